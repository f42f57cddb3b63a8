#include "propagation/FaceEdges.h"

#include "geometry/VectorOps.h"

namespace kelmora {
namespace {

// How far [m] a side is lengthened, and the opposite side moved, to stand for a half-plane.
constexpr double kHalfPlaneReach = 5000.0;
// A point of the plane this close [m] to a side belongs to the face.
constexpr double kOnFace = 0.001;

}  // namespace

int DiffractingSideCount(const CRectObstacle& face) {
    int n = 0;
    for (const std::int32_t d : face.diffracts)
        n += d != 0;
    return n;
}

std::optional<CFaceHit> IntersectSegmentFace(const CFaceCorners& corners, const CVector3D& a,
                                             const CVector3D& b) {
    const std::optional<CVector3D> point = IntersectSegmentFacePlane(a, b, corners);
    if (!point) return std::nullopt;
    return CFaceHit{*point, PointInFace(corners, *point, kOnFace)};
}

std::optional<CFaceHit> IntersectSegmentFace(const CRectObstacle& face, const CVector3D& a,
                                             const CVector3D& b) {
    return IntersectSegmentFace(FaceCorners(face), a, b);
}

CSideFlags EdgesFacing(const CFaceCorners& corners, const CVector3D& q) {
    CSideFlags facing{};
    for (int k = 0; k < kSideCount; ++k) {
        // The direction from side k across the face, towards its opposite side.
        const CVector3D inward = corners[OppositeSide(k)] - corners[NextSide(k)];
        facing[k] = Dot(q - SideStart(corners, k), inward) < 0.0;
    }
    return facing;
}

CFaceCorners WidenForEdge(const CFaceCorners& corners, int side) {
    const CVector3D along = kHalfPlaneReach * Normalize(SideEnd(corners, side) - SideStart(corners, side));
    const CVector3D away = kHalfPlaneReach * Normalize(corners[OppositeSide(side)] - corners[NextSide(side)]);
    CFaceCorners widened;
    widened[side] = corners[side] - along;
    widened[NextSide(side)] = corners[NextSide(side)] + along;
    widened[OppositeSide(side)] = corners[OppositeSide(side)] + along + away;
    widened[PreviousSide(side)] = corners[PreviousSide(side)] - along + away;
    return widened;
}

CRectObstacle FaceBeyondEdge(const CRectObstacle& face, int side) {
    const CFaceCorners c = FaceCorners(face);
    // The face's extent across the side, laid out on the other side of it.
    const CVector3D across = c[OppositeSide(side)] - c[NextSide(side)];
    const CFaceCorners mirrored{SideStart(c, side), SideEnd(c, side), SideEnd(c, side) - across,
                                SideStart(c, side) - across};
    const CFaceCorners widened = WidenForEdge(mirrored, 0);
    CRectObstacle beyond = face;
    beyond.rect = {widened[0], widened[1], widened[2]};
    beyond.diffracts = {1, 0, 0, 0};
    return beyond;
}

}  // namespace kelmora
