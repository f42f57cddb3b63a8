#include "propagation/FaceEdges.h"

#include <algorithm>

#include "geometry/VectorOps.h"
#include "propagation/WorkCounters.h"

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

CFaceFrame MakeFaceFrame(const CFaceCorners& corners) {
    CFaceFrame frame{corners, PlaneFromPoints(corners[0], corners[1], corners[2]), corners[0], corners[0]};
    for (const CVector3D& c : corners) {
        frame.low = {std::min(frame.low.x, c.x), std::min(frame.low.y, c.y), std::min(frame.low.z, c.z)};
        frame.high = {std::max(frame.high.x, c.x), std::max(frame.high.y, c.y), std::max(frame.high.z, c.z)};
    }
    return frame;
}

namespace {
// PointInFace accepts only points within 0.001 m of the face; a point this far [m] outside the box of the
// corners is not on the face, and the test can be spared.
constexpr double kClearlyOff = 0.01;

bool OutsideBox(const CFaceFrame& frame, const CVector3D& p) {
    return p.x < frame.low.x - kClearlyOff || p.y < frame.low.y - kClearlyOff ||
           p.z < frame.low.z - kClearlyOff || p.x > frame.high.x + kClearlyOff ||
           p.y > frame.high.y + kClearlyOff || p.z > frame.high.z + kClearlyOff;
}
}  // namespace

std::optional<CFaceHit> IntersectSegmentFace(const CFaceFrame& frame, const CVector3D& a,
                                             const CVector3D& b) {
    ++WorkCounters().faceTests;
    const std::optional<CVector3D> point = IntersectSegmentPlane(a, b, frame.plane);
    if (!point) return std::nullopt;
    if (OutsideBox(frame, *point)) return CFaceHit{*point, false};
    return CFaceHit{*point, PointInFace(frame.corners, frame.plane, *point, kOnFace)};
}

std::optional<CFaceHit> IntersectSegmentFace(const CFaceCorners& corners, const CVector3D& a,
                                             const CVector3D& b) {
    return IntersectSegmentFace(MakeFaceFrame(corners), a, b);
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

const CFaceFrame& CEdgeFrames::halfPlane(int side) const {
    std::optional<CFaceFrame>& frame = halfPlanes_[side];
    if (!frame) frame = MakeFaceFrame(WidenForEdge(frame_.corners, side));
    return *frame;
}

CFaceFrames::CFaceFrames(std::span<const CRectObstacle> faces) : faces_(faces) {
    frames_.reserve(faces.size());
    for (const CRectObstacle& face : faces)
        frames_.emplace_back(FaceCorners(face));
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
