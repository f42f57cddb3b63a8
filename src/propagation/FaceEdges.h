#pragma once
// The sides of a scene face as diffracting edges: where a segment meets the face, which sides lie
// between the face and a point of its plane, and the half-plane stand-ins used by the edge searches.
//
// Side k (0 = A … 3 = D) runs from corner k to corner k+1 of RectCorners (corners numbered from 0
// here), the side after D being A.
#include <array>
#include <optional>

#include "geometry/Plane.h"
#include "geometry/RectGeometry.h"
#include "model/RectObstacle.h"

namespace kelmora {

inline constexpr int kSideCount = 4;

// Corners of the face's rectangle.
inline CFaceCorners FaceCorners(const CRectObstacle& face) {
    return RectCorners(face.rect);
}

inline int NextSide(int side) {
    return (side + 1) % kSideCount;
}
inline int OppositeSide(int side) {
    return (side + 2) % kSideCount;
}
inline int PreviousSide(int side) {
    return (side + 3) % kSideCount;
}
inline const CVector3D& SideStart(const CFaceCorners& corners, int side) {
    return corners[side];
}
inline const CVector3D& SideEnd(const CFaceCorners& corners, int side) {
    return corners[NextSide(side)];
}

// Number of sides whose `diffracts` flag is set.
int DiffractingSideCount(const CRectObstacle& face);

// Where a segment meets a face's plane.
struct CFaceHit {
    CVector3D point;
    bool inside = false;  // the point lies on the face (within 0.001 m)
};

// The point where the segment a–b meets the face's plane and whether it lies on the face; empty when
// the segment does not meet the plane (both ends on one side, or the segment lying in the plane).
std::optional<CFaceHit> IntersectSegmentFace(const CFaceCorners& corners, const CVector3D& a,
                                             const CVector3D& b);
std::optional<CFaceHit> IntersectSegmentFace(const CRectObstacle& face, const CVector3D& a,
                                             const CVector3D& b);

// The sides that lie between the face and a point q of its plane outside it: the sides whose outer
// half-plane (within the face's plane) contains q. One side when q lies beyond a single side, two
// adjacent sides when q lies in a corner region. Indexed by side.
using CSideFlags = std::array<bool, kSideCount>;
CSideFlags EdgesFacing(const CFaceCorners& corners, const CVector3D& q);

// Corners of the half-plane bounded by the line of `side`: the side lengthened by 5000 m beyond both
// of its ends and the opposite side moved 5000 m farther away, within the face's plane. The sides keep
// their numbers.
CFaceCorners WidenForEdge(const CFaceCorners& corners, int side);

// The half-plane on the far side of `side`: the mirror image of the face across that side, widened for
// its side A, which is the old side. Only side A diffracts; every other attribute is the face's.
CRectObstacle FaceBeyondEdge(const CRectObstacle& face, int side);

}  // namespace kelmora
