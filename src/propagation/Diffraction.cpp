#include "propagation/Diffraction.h"

#include <limits>
#include <utility>

#include "calc/acoustics/Formulas.h"
#include "geometry/Plane.h"
#include "geometry/VectorOps.h"
#include "propagation/FaceEdges.h"

namespace kelmora {
namespace {

// End points of the path and of the edge line closer than this [m] are taken as meeting there.
constexpr double kSnap = 0.001;

// Travelled length [m] from s over the crossed points to r.
double DetourLength(const CVector3D& s, const CVector3D& r, const CDoubleEdgePoints& p) {
    CVector3D from = s;
    double length = 0.0;
    if (p.crossFirst) {
        length += Distance(from, p.first);
        from = p.first;
    }
    if (p.crossSecond) {
        length += Distance(from, p.second);
        from = p.second;
    }
    return length + Distance(from, r);
}

// The refinement of two crossed points: each edge point is searched again as seen from the other
// obstacle's edge, where the planes through the path ends and the other edge cut the side.
std::optional<CDoubleEdgePoints> RefineCrossedPair(const CRectObstacle& first, int firstSide,
                                                   const CRectObstacle& second, int secondSide,
                                                   const CVector3D& s, const CVector3D& r) {
    const CFaceCorners c1 = FaceCorners(first);
    const CFaceCorners c2 = FaceCorners(second);
    const CVector3D& a1 = SideStart(c1, firstSide);
    const CVector3D& b1 = SideEnd(c1, firstSide);
    const CVector3D& a2 = SideStart(c2, secondSide);
    const CVector3D& b2 = SideEnd(c2, secondSide);

    // Does the first side meet the plane through S and the second side within its length, and the
    // second side the plane through R and the first side?
    const std::optional<CVector3D> e1 = IntersectSegmentPlane(a1, b1, PlaneFromPoints(s, a2, b2));
    const bool firstSeesS = e1 && PositionOnRay(a1, b1, *e1) == kWithinReach;
    const std::optional<CVector3D> e2 = IntersectSegmentPlane(a2, b2, PlaneFromPoints(r, a1, b1));
    const bool secondSeesR = e2 && PositionOnRay(a2, b2, *e2) == kWithinReach;

    const std::optional<CEdgePoint> p1 = EdgeDiffractionPoint(first, s, secondSeesR ? *e2 : r, firstSide);
    if (!p1) return std::nullopt;
    const bool fromFirst = firstSeesS || (!secondSeesR && p1->crossing);
    const std::optional<CEdgePoint> p2 =
        EdgeDiffractionPoint(second, fromFirst ? p1->edge : s, r, secondSide);
    if (!p2) return std::nullopt;
    return CDoubleEdgePoints{p1->edge, p2->edge, p1->crossing, p2->crossing, true};
}

}  // namespace

std::optional<CEdgePoint> EdgeDiffractionPoint(const CRectObstacle& face, const CVector3D& s,
                                               const CVector3D& r, int side) {
    const CFaceCorners widened = WidenForEdge(FaceCorners(face), side);
    const std::optional<CPointPair> closest =
        ClosestPointsSnapped(s, r, SideStart(widened, side), SideEnd(widened, side), kSnap);
    if (!closest) return std::nullopt;
    const std::optional<CFaceHit> hit = IntersectSegmentFace(widened, s, r);
    if (!hit) return std::nullopt;
    CEdgePoint result{closest->onB, hit->point, hit->inside};
    if (side == 0) {
        result.edge = result.edge + face.edgeOffset;
        result.onPlane = result.onPlane + face.edgeOffset;
    }
    return result;
}

std::optional<CDiffractionPoint> MinPathDifferencePoint(const CRectObstacle& face, const CVector3D& s,
                                                        const CVector3D& r) {
    std::optional<CDiffractionPoint> best;
    double bestDelta = std::numeric_limits<double>::infinity();
    for (int k = 0; k < kSideCount; ++k) {
        if (face.diffracts[k] == 0) continue;
        const std::optional<CEdgePoint> e = EdgeDiffractionPoint(face, s, r, k);
        if (!e) return std::nullopt;
        const double delta = PathDifference(s, r, e->edge, e->crossing);
        if (!best || delta < bestDelta) {
            best = CDiffractionPoint{e->edge, e->crossing};
            bestDelta = delta;
        }
    }
    return best;
}

std::optional<CDoubleEdgePoints> DoubleEdgePoints(const CRectObstacle& x, const CVector3D& s,
                                                  const CVector3D& r, int sideX, const CRectObstacle& y,
                                                  int sideY) {
    // Which edge does the segment pass first? Compare where S–R comes closest to each side's line.
    const CFaceCorners cx = FaceCorners(x);
    const CFaceCorners cy = FaceCorners(y);
    const CLinesClosestPoints nearX = ClosestPointsOfLines(s, r, SideStart(cx, sideX), SideEnd(cx, sideX));
    const CLinesClosestPoints nearY = ClosestPointsOfLines(s, r, SideStart(cy, sideY), SideEnd(cy, sideY));
    if (nearX.relation == kLinesParallel || nearY.relation == kLinesParallel) return std::nullopt;
    const bool xFirst = !(Distance(s, nearY.onA) < Distance(s, nearX.onA));

    const CRectObstacle& first = xFirst ? x : y;
    const CRectObstacle& second = xFirst ? y : x;
    const int firstSide = xFirst ? sideX : sideY;
    const int secondSide = xFirst ? sideY : sideX;

    const std::optional<CEdgePoint> p1 = EdgeDiffractionPoint(first, s, r, firstSide);
    if (!p1) return std::nullopt;
    // Behind a crossed first edge the second edge is searched from that edge.
    const std::optional<CEdgePoint> p2 =
        EdgeDiffractionPoint(second, p1->crossing ? p1->edge : s, r, secondSide);
    if (!p2) return std::nullopt;

    std::optional<CDoubleEdgePoints> result;
    if (p1->crossing && p2->crossing) {
        result = RefineCrossedPair(first, firstSide, second, secondSide, s, r);
        if (!result) return std::nullopt;
    } else {
        result = CDoubleEdgePoints{p1->edge, p2->edge, p1->crossing, p2->crossing, true};
    }
    result->xFirst = xFirst;
    return result;
}

std::optional<CDoubleEdgePoints> MinPathDoubleDiffraction(const CRectObstacle& x, const CVector3D& s,
                                                          const CVector3D& r, const CRectObstacle& y) {
    std::optional<CDoubleEdgePoints> best;
    double bestLength = std::numeric_limits<double>::infinity();
    for (int i = 0; i < kSideCount; ++i) {
        if (x.diffracts[i] == 0) continue;
        for (int j = 0; j < kSideCount; ++j) {
            if (y.diffracts[j] == 0) continue;
            const std::optional<CDoubleEdgePoints> p = DoubleEdgePoints(x, s, r, i, y, j);
            if (!p) continue;
            const double length = DetourLength(s, r, *p);
            if (!best || length < bestLength) {
                best = p;
                bestLength = length;
            }
        }
    }
    return best;
}

std::optional<CDoublePathDifferences> DoublePathDifferences(const CRectObstacle& first, const CVector3D& s,
                                                            const CVector3D& r, const CVector3D& p1,
                                                            const CVector3D& p2,
                                                            const CRectObstacle& second) {
    const CFaceCorners c1 = FaceCorners(first);
    const CFaceCorners c2 = FaceCorners(second);
    const std::optional<CFaceHit> firstOnPath = IntersectSegmentFace(c1, s, r);
    const std::optional<CFaceHit> secondOnPath = IntersectSegmentFace(c2, s, r);
    const std::optional<CFaceHit> secondBehindFirst = IntersectSegmentFace(c2, p1, r);
    const std::optional<CFaceHit> firstBeforeSecond = IntersectSegmentFace(c1, s, p2);
    if (!firstOnPath || !secondOnPath || !secondBehindFirst || !firstBeforeSecond) return std::nullopt;
    return CDoublePathDifferences{
        PathDifference(s, r, p1, firstOnPath->inside),
        PathDifference(s, r, p2, secondOnPath->inside),
        PathDifference(p1, r, p2, secondBehindFirst->inside),
        PathDifference(s, p2, p1, firstBeforeSecond->inside),
    };
}

}  // namespace kelmora
