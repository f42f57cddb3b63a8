#pragma once
// Reflection points, image sources and leg diffractions of a propagation path: the operations the path
// search uses to place a path's reflections once the diffraction points on its legs are known.
#include <cstddef>
#include <optional>
#include <span>

#include "model/RectObstacle.h"
#include "propagation/FaceEdges.h"
#include "propagation/PathNode.h"

namespace kelmora {

// Quality of a path's reflection points.
enum ReflectionQuality : int {
    kSomePointMissing = 0,  // some reflection node has no reflection point
    kAllOnFaces = 1,        // every reflection point lies on its face (also: no reflection)
    kSomeNearFaces = 2,     // some reflection point lies off its face (within the search's tolerance)
};

// Places reflection node n on the line from `next` to its image: the point where that line meets the
// face's plane (reflectState 1 on the face, 2 beside it) or, when it does not, reflectState 0. False
// when the side of the face towards `next` absorbs everything.
bool ReflectionPointOfNode(CPropagationPath& path, std::size_t n, const CVector3D& next,
                           const CFaceFrames& scene);

// Places every reflection point from the last reflection back to the first, each aimed at the first
// crossed diffraction point of the following leg (or the following node). A node followed by a leg with a
// single non-crossing diffraction is left as it is. Empty on failure (a fully absorbing side, or a leg
// with a second diffraction but no first); otherwise the quality, kSomePointMissing as soon as a node has
// no reflection point.
std::optional<ReflectionQuality> ComputeReflectionPoints(CPropagationPath& path, const CFaceFrames& scene);

// Mirrors again, from node max(a, 1) on, each reflection node's incoming point (its leg's last crossed
// diffraction point, else the previous node's image) in its face: a diffraction point acts as a new
// source for the later reflections.
void RecomputeImages(CPropagationPath& path, std::size_t a, const CFaceFrames& scene);

// Records the diffractions of the leg arriving at node b (kNoFace for none: its cross flag becomes
// kNoDiffraction and its point is left as it was). When node b reflects and the leg passes over an obstacle,
// the sound must arrive at and leave the face on the same side: false when the last crossed point and the
// outgoing point lie on opposite sides of its plane, or the outgoing point lies in it.
bool SetLegDiffraction(CPropagationPath& path, std::size_t b, FaceIndex x, const CVector3D& pointX,
                       std::int32_t crossX, FaceIndex y, const CVector3D& pointY, std::int32_t crossY,
                       const CFaceFrames& scene);

}  // namespace kelmora
