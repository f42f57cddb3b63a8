#include "propagation/Diffraction.h"

#include <limits>
#include <utility>

#include "acoustics/Formulas.h"
#include "geometry/Plane.h"
#include "geometry/VectorOps.h"

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
std::optional<CDoubleEdgePoints> RefineCrossedPair(CSegmentEdges& first, int firstSide, CSegmentEdges& second,
                                                   int secondSide, const CVector3D& s, const CVector3D& r) {
    const CFaceCorners& c1 = first.face().frame().corners;
    const CFaceCorners& c2 = second.face().frame().corners;
    const CVector3D& a1 = SideStart(c1, firstSide);
    const CVector3D& b1 = SideEnd(c1, firstSide);
    const CVector3D& a2 = SideStart(c2, secondSide);
    const CVector3D& b2 = SideEnd(c2, secondSide);

    // Does the first side meet the plane through S and the second side within its length, and the
    // second side the plane through R and the first side?
    const std::optional<CVector3D> e1 = IntersectSegmentPlane(a1, b1, second.PlaneThroughS(secondSide));
    const bool firstSeesS = e1 && PositionOnRay(a1, b1, *e1) == kWithinReach;
    const std::optional<CVector3D> e2 = IntersectSegmentPlane(a2, b2, first.PlaneThroughR(firstSide));
    const bool secondSeesR = e2 && PositionOnRay(a2, b2, *e2) == kWithinReach;

    const std::optional<CEdgePoint> p1 = first.Point(firstSide, s, secondSeesR ? *e2 : r);
    if (!p1) return std::nullopt;
    const bool fromFirst = firstSeesS || (!secondSeesR && p1->crossing);
    const std::optional<CEdgePoint> p2 = second.Point(secondSide, fromFirst ? p1->edge : s, r);
    if (!p2) return std::nullopt;
    return CDoubleEdgePoints{p1->edge, p2->edge, p1->crossing, p2->crossing, true};
}

std::optional<CDoubleEdgePoints> DoubleEdgePointsOf(CSegmentEdges& x, const CVector3D& s, const CVector3D& r,
                                                    int sideX, CSegmentEdges& y, int sideY) {
    // Which edge does the segment pass first? Compare where S–R comes closest to each side's line.
    const CLinesClosestPoints& nearX = x.Nearest(sideX);
    const CLinesClosestPoints& nearY = y.Nearest(sideY);
    if (nearX.relation == kLinesParallel || nearY.relation == kLinesParallel) return std::nullopt;
    const bool xFirst = !(Distance(s, nearY.onA) < Distance(s, nearX.onA));

    CSegmentEdges& first = xFirst ? x : y;
    CSegmentEdges& second = xFirst ? y : x;
    const int firstSide = xFirst ? sideX : sideY;
    const int secondSide = xFirst ? sideY : sideX;

    const std::optional<CEdgePoint> p1 = first.Point(firstSide, s, r);
    if (!p1) return std::nullopt;
    // Behind a crossed first edge the second edge is searched from that edge.
    const std::optional<CEdgePoint> p2 = second.Point(secondSide, p1->crossing ? p1->edge : s, r);
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

}  // namespace

const CLinesClosestPoints& CSegmentEdges::Nearest(int side) {
    std::optional<CLinesClosestPoints>& n = nearest_[side];
    if (!n) {
        const CFaceCorners& c = face_.frame().corners;
        n = ClosestPointsOfLines(segment_, DirectedLine(SideStart(c, side), SideEnd(c, side)));
    }
    return *n;
}

std::optional<CEdgePoint> CSegmentEdges::Point(int side, const CVector3D& from, const CVector3D& to) {
    if (!(from == s_ && to == r_)) return EdgeDiffractionPoint(face_, from, to, side);
    std::optional<std::optional<CEdgePoint>>& p = direct_[side];
    if (!p) p = EdgeDiffractionPoint(face_, s_, r_, side);
    return *p;
}

const CPlane& CSegmentEdges::PlaneThroughS(int side) {
    return PlaneThrough(throughS_[side], s_, side);
}

const CPlane& CSegmentEdges::PlaneThroughR(int side) {
    return PlaneThrough(throughR_[side], r_, side);
}

const CPlane& CSegmentEdges::PlaneThrough(std::optional<CPlane>& kept, const CVector3D& end, int side) const {
    if (!kept) {
        const CFaceCorners& c = face_.frame().corners;
        kept = PlaneFromPoints(end, SideStart(c, side), SideEnd(c, side));
    }
    return *kept;
}

const std::optional<CFaceHit>& CSegmentEdges::OnSegment() {
    if (!onSegment_) onSegment_ = IntersectSegmentFace(face_.frame(), s_, r_);
    return *onSegment_;
}

namespace {

std::optional<CEdgePoint> FindEdgePoint(const CEdgeFace& face, const CVector3D& s, const CVector3D& r,
                                        int side) {
    const CFaceFrame& widened = face.halfPlane(side);
    const std::optional<CPointPair> closest =
        ClosestPointsSnapped(DirectedLine(s, r), face.halfPlaneEdge(side), kSnap);
    if (!closest) return std::nullopt;
    const std::optional<CFaceHit> hit = IntersectSegmentFace(widened, s, r);
    if (!hit) return std::nullopt;
    CEdgePoint result{closest->onB, hit->point, hit->inside};
    if (side == 0) {
        result.edge = result.edge + face.face().edgeOffset;
        result.onPlane = result.onPlane + face.face().edgeOffset;
    }
    return result;
}

}  // namespace

std::optional<CEdgePoint> EdgeDiffractionPoint(const CEdgeFace& face, const CVector3D& s, const CVector3D& r,
                                               int side) {
    return face.frames().EdgePoint(side, s, r, [&] { return FindEdgePoint(face, s, r, side); });
}

std::optional<CEdgePoint> EdgeDiffractionPoint(const CRectObstacle& face, const CVector3D& s,
                                               const CVector3D& r, int side) {
    return EdgeDiffractionPoint(CEdgeFace(face), s, r, side);
}

std::optional<CDiffractionPoint> MinPathDifferencePoint(const CEdgeFace& face, const CVector3D& s,
                                                        const CVector3D& r) {
    std::optional<CDiffractionPoint> best;
    double bestDelta = std::numeric_limits<double>::infinity();
    for (int k = 0; k < kSideCount; ++k) {
        if (face.face().diffracts[k] == 0) continue;
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

std::optional<CDiffractionPoint> MinPathDifferencePoint(const CRectObstacle& face, const CVector3D& s,
                                                        const CVector3D& r) {
    return MinPathDifferencePoint(CEdgeFace(face), s, r);
}

std::optional<CDoubleEdgePoints> DoubleEdgePoints(const CEdgeFace& x, const CVector3D& s, const CVector3D& r,
                                                  int sideX, const CEdgeFace& y, int sideY) {
    CSegmentEdges ex(x, s, r);
    CSegmentEdges ey(y, s, r);
    return DoubleEdgePointsOf(ex, s, r, sideX, ey, sideY);
}

std::optional<CDoubleEdgePoints> DoubleEdgePoints(CSegmentEdges& x, int sideX, CSegmentEdges& y, int sideY) {
    return DoubleEdgePointsOf(x, x.s(), x.r(), sideX, y, sideY);
}

std::optional<CDoubleEdgePoints> DoubleEdgePoints(const CRectObstacle& x, const CVector3D& s,
                                                  const CVector3D& r, int sideX, const CRectObstacle& y,
                                                  int sideY) {
    return DoubleEdgePoints(CEdgeFace(x), s, r, sideX, CEdgeFace(y), sideY);
}

std::optional<CDoubleEdgePoints> MinPathDoubleDiffraction(const CEdgeFace& x, const CVector3D& s,
                                                          const CVector3D& r, const CEdgeFace& y) {
    CSegmentEdges ex(x, s, r);
    CSegmentEdges ey(y, s, r);
    std::optional<CDoubleEdgePoints> best;
    double bestLength = std::numeric_limits<double>::infinity();
    for (int i = 0; i < kSideCount; ++i) {
        if (x.face().diffracts[i] == 0) continue;
        for (int j = 0; j < kSideCount; ++j) {
            if (y.face().diffracts[j] == 0) continue;
            const std::optional<CDoubleEdgePoints> p = DoubleEdgePointsOf(ex, s, r, i, ey, j);
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

std::optional<CDoubleEdgePoints> MinPathDoubleDiffraction(const CRectObstacle& x, const CVector3D& s,
                                                          const CVector3D& r, const CRectObstacle& y) {
    return MinPathDoubleDiffraction(CEdgeFace(x), s, r, CEdgeFace(y));
}

namespace {

// The path differences from the hits of the segments with the faces.
std::optional<CDoublePathDifferences> PathDifferencesOfHits(
    const CVector3D& s, const CVector3D& r, const CVector3D& p1, const CVector3D& p2,
    const std::optional<CFaceHit>& firstOnPath, const std::optional<CFaceHit>& secondOnPath,
    const std::optional<CFaceHit>& secondBehindFirst, const std::optional<CFaceHit>& firstBeforeSecond) {
    if (!firstOnPath || !secondOnPath || !secondBehindFirst || !firstBeforeSecond) return std::nullopt;
    return CDoublePathDifferences{
        PathDifference(s, r, p1, firstOnPath->inside),
        PathDifference(s, r, p2, secondOnPath->inside),
        PathDifference(p1, r, p2, secondBehindFirst->inside),
        PathDifference(s, p2, p1, firstBeforeSecond->inside),
    };
}

}  // namespace

std::optional<CDoublePathDifferences> DoublePathDifferences(const CEdgeFace& first, const CVector3D& s,
                                                            const CVector3D& r, const CVector3D& p1,
                                                            const CVector3D& p2, const CEdgeFace& second) {
    const std::optional<CFaceHit> firstOnPath = IntersectSegmentFace(first.frame(), s, r);
    const std::optional<CFaceHit> secondOnPath = IntersectSegmentFace(second.frame(), s, r);
    const std::optional<CFaceHit> secondBehindFirst = IntersectSegmentFace(second.frame(), p1, r);
    const std::optional<CFaceHit> firstBeforeSecond = IntersectSegmentFace(first.frame(), s, p2);
    return PathDifferencesOfHits(s, r, p1, p2, firstOnPath, secondOnPath, secondBehindFirst,
                                 firstBeforeSecond);
}

std::optional<CDoublePathDifferences> DoublePathDifferences(CSegmentEdges& first, const CVector3D& p1,
                                                            const CVector3D& p2, CSegmentEdges& second) {
    const CVector3D& s = first.s();
    const CVector3D& r = first.r();
    const std::optional<CFaceHit>& firstOnPath = first.OnSegment();
    const std::optional<CFaceHit>& secondOnPath = second.OnSegment();
    const std::optional<CFaceHit> secondBehindFirst = IntersectSegmentFace(second.face().frame(), p1, r);
    const std::optional<CFaceHit> firstBeforeSecond = IntersectSegmentFace(first.face().frame(), s, p2);
    return PathDifferencesOfHits(s, r, p1, p2, firstOnPath, secondOnPath, secondBehindFirst,
                                 firstBeforeSecond);
}

std::optional<CDoublePathDifferences> DoublePathDifferences(const CRectObstacle& first, const CVector3D& s,
                                                            const CVector3D& r, const CVector3D& p1,
                                                            const CVector3D& p2,
                                                            const CRectObstacle& second) {
    return DoublePathDifferences(CEdgeFace(first), s, r, p1, p2, CEdgeFace(second));
}

}  // namespace kelmora
