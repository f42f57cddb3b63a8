#pragma once
// The vertical section of one propagation path: the path unfolded along its plan length, its nodes at
// their heights, and the ground under it from the terrain model the scenes are built on, with each
// node's height above that ground.
#include <span>
#include <string>
#include <vector>

#include "geometry/Vector.h"
#include "model/GroundLine.h"
#include "propagation/TracedPaths.h"
#include "view/DisplayList.h"

namespace kelmora {

struct PathProfileNode {
    PathNodeRole role = PathNodeRole::Source;
    double along = 0.0;   // m of plan length from the path's first node
    double z = 0.0;       // m, elevation
    double ground = 0.0;  // m, elevation of the ground under it
};

struct PathProfile {
    std::vector<PathProfileNode> nodes;  // the nodes the sound travels through, in order
    std::vector<CVertex2D> ground;       // (along, ground elevation) [m] under the whole path
    double length = 0.0;                 // m, plan length
    bool throughOpening = false;
};

// Ground samples are taken at most this far apart along each leg [m] ...
inline constexpr double kProfileSampleSpacing = 0.5;
// ... and at most this many per leg.
inline constexpr int kMaxProfileSamplesPerLeg = 400;

// The profile of a path over the terrain (the ground lines with the slope-foot lines, AllGroundLines).
PathProfile ProfileOfPath(std::span<const CGroundLine> terrain, const PointPath& path);

// The label of a node in the sketch: its role and its height above the ground, "回折点 地上4.0m".
std::string ProfileNodeLabel(const PathProfileNode& node, bool throughOpening);

// The sketch of a profile in a picture of width × height px: the ground, the path in the colour of its
// kind, its nodes numbered from the source, axes in metres, and at the right the list of the nodes by
// number with their labels.
DisplayLayer DrawPathSection(const PathProfile& profile, PathKind kind, int width, int height);

}  // namespace kelmora
