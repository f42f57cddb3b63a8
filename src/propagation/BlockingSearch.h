#pragma once
// The search for the obstacles of one straight propagation segment: free, blocked without remedy, or
// passing over one or two diffracting obstacles with their diffraction points.
#include <span>

#include "geometry/Vector.h"
#include "model/RectObstacle.h"
#include "propagation/FaceEdges.h"
#include "propagation/FaceIndex.h"

namespace kelmora {

// The obstacles of a segment, in the order in which the segment meets them (X nearer to its start).
struct CBlockingResult {
    bool rejected = false;  // the segment passes through an obstacle that offers no edge
    int count = 0;          // 0 (free), 1 or 2 diffracting obstacles
    FaceIndex x = kNoFace;
    CVector3D pointX;
    bool crossX = false;
    FaceIndex y = kNoFace;
    CVector3D pointY;
    bool crossY = false;
};

// Obstacles nearer to each other than this along the segment [m] count as one.
inline constexpr double kObstacleMergeDistance = 5.0;

// Tests the segment start → end against every obstructing face of the scene. A face the segment passes
// through is a crossing obstacle unless it is excluded (the segment's own reflecting faces and
// diffractors); one whose plane the segment meets beside the face is a non-crossing obstacle when every
// side between that point and the face diffracts. Obstacles closer than 5 m to each other along the
// segment are merged into the more attenuating one, and of the rest the two most attenuating (lowest
// single diffraction correction at 1 kHz) are kept.
CBlockingResult FindBlockingFaces(const CVector3D& start, const CVector3D& end,
                                  std::span<const CRectObstacle> scene, std::span<const FaceIndex> excluded);
// The same on a scene whose face frames are already made.
CBlockingResult FindBlockingFaces(const CVector3D& start, const CVector3D& end, const CFaceFrames& scene,
                                  std::span<const FaceIndex> excluded);

}  // namespace kelmora
