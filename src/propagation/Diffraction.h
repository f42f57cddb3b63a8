#pragma once
// Diffraction points of a straight propagation segment S–R over the edges of one or two obstacle
// faces: the minimum-path-difference points ("最小経路差回折位置", X and Y for a double diffraction).
//
// A diffraction point is crossing when the segment passes through the obstacle (the receiving end lies
// in its shadow, the path difference counts positive) and non-crossing ("交差無し") when the segment
// passes beside it (the path difference counts negative).
//
// Each search is offered on a face and on a face prepared for repeated searches (CEdgeFace).
#include <array>
#include <optional>

#include "geometry/Vector.h"
#include "model/RectObstacle.h"
#include "propagation/FaceEdges.h"

namespace kelmora {

// The diffraction point of S–R on side `side`, found on the half-plane bounded by that side's line.
// Points on side A are moved by the face's `edgeOffset` (the apex of a building screen). Empty when
// S–R is parallel to the side or does not meet the face's plane. A prepared face finds each point once.
std::optional<CEdgePoint> EdgeDiffractionPoint(const CRectObstacle& face, const CVector3D& s,
                                               const CVector3D& r, int side);
std::optional<CEdgePoint> EdgeDiffractionPoint(const CEdgeFace& face, const CVector3D& s, const CVector3D& r,
                                               int side);

// A diffraction point and whether the segment passes through the obstacle there.
struct CDiffractionPoint {
    CVector3D point;
    bool crossing = false;
};

// The diffraction point of the face's diffracting side with the smallest signed path difference (the
// earlier side wins ties). Empty when the face has no diffracting side or the point of any of its
// diffracting sides cannot be found.
std::optional<CDiffractionPoint> MinPathDifferencePoint(const CRectObstacle& face, const CVector3D& s,
                                                        const CVector3D& r);
std::optional<CDiffractionPoint> MinPathDifferencePoint(const CEdgeFace& face, const CVector3D& s,
                                                        const CVector3D& r);

// The two diffraction points of S–R over two faces, in the order in which the segment meets the faces.
struct CDoubleEdgePoints {
    CVector3D first;   // on the face met first
    CVector3D second;  // on the face met second
    bool crossFirst = false;
    bool crossSecond = false;
    bool xFirst = true;  // face X (the first argument) is met first
};

// The diffraction points of S–R over side `sideX` of x and side `sideY` of y. When the segment crosses
// both obstacles the two points are refined so that each is seen from the other. Empty when a side is
// parallel to S–R or a point cannot be found.
std::optional<CDoubleEdgePoints> DoubleEdgePoints(const CRectObstacle& x, const CVector3D& s,
                                                  const CVector3D& r, int sideX, const CRectObstacle& y,
                                                  int sideY);
std::optional<CDoubleEdgePoints> DoubleEdgePoints(const CEdgeFace& x, const CVector3D& s, const CVector3D& r,
                                                  int sideX, const CEdgeFace& y, int sideY);

// One face of a double diffraction with what the searches over its pairs of sides ask again and again
// about the segment S–R, found once per side. It refers to the face, which must outlive it.
class CSegmentEdges {
public:
    CSegmentEdges(const CEdgeFace& face, const CVector3D& s, const CVector3D& r)
        : face_(face), s_(s), r_(r), segment_(DirectedLine(s, r)) {}

    const CEdgeFace& face() const { return face_; }
    const CVector3D& s() const { return s_; }
    const CVector3D& r() const { return r_; }

    // Where the line S–R comes closest to the side's line.
    const CLinesClosestPoints& Nearest(int side);
    // EdgeDiffractionPoint of the side for the segment from `from` to `to`.
    std::optional<CEdgePoint> Point(int side, const CVector3D& from, const CVector3D& to);
    // Where S–R meets the face (IntersectSegmentFace).
    const std::optional<CFaceHit>& OnSegment();
    // The plane through S (or R) and the side's line: PlaneFromPoints(S, side start, side end).
    const CPlane& PlaneThroughS(int side);
    const CPlane& PlaneThroughR(int side);

private:
    // The plane through `end` and the side's line, made once into `kept`.
    const CPlane& PlaneThrough(std::optional<CPlane>& kept, const CVector3D& end, int side) const;

    const CEdgeFace& face_;
    CVector3D s_;
    CVector3D r_;
    CDirectedLine segment_;
    std::array<std::optional<CLinesClosestPoints>, kSideCount> nearest_;
    std::array<std::optional<std::optional<CEdgePoint>>, kSideCount> direct_;
    std::optional<std::optional<CFaceHit>> onSegment_;
    std::array<std::optional<CPlane>, kSideCount> throughS_;
    std::array<std::optional<CPlane>, kSideCount> throughR_;
};

// DoubleEdgePoints of the segment S–R both faces were prepared for.
std::optional<CDoubleEdgePoints> DoubleEdgePoints(CSegmentEdges& x, int sideX, CSegmentEdges& y, int sideY);

// The pair of diffracting sides of x and y whose points give the shortest travelled length (only the
// crossed points count as detours; the first pair wins ties). Empty when no pair gives points.
std::optional<CDoubleEdgePoints> MinPathDoubleDiffraction(const CRectObstacle& x, const CVector3D& s,
                                                          const CVector3D& r, const CRectObstacle& y);
std::optional<CDoubleEdgePoints> MinPathDoubleDiffraction(const CEdgeFace& x, const CVector3D& s,
                                                          const CVector3D& r, const CEdgeFace& y);

// The four path differences [m] of a double diffraction at p1 (on the face met first) and p2.
struct CDoublePathDifferences {
    double first = 0.0;            // δ1: S → p1 → R
    double second = 0.0;           // δ2: S → p2 → R
    double secondFromFirst = 0.0;  // δ2·1: p1 → p2 → R
    double firstFromSecond = 0.0;  // δ1·2: S → p1 → p2
};

// Each path difference is signed by whether its straight segment passes through that face. Empty when
// one of the segments does not meet the face's plane.
std::optional<CDoublePathDifferences> DoublePathDifferences(const CRectObstacle& first, const CVector3D& s,
                                                            const CVector3D& r, const CVector3D& p1,
                                                            const CVector3D& p2, const CRectObstacle& second);
std::optional<CDoublePathDifferences> DoublePathDifferences(const CEdgeFace& first, const CVector3D& s,
                                                            const CVector3D& r, const CVector3D& p1,
                                                            const CVector3D& p2, const CEdgeFace& second);
// The same for the segment S–R both faces were prepared for.
std::optional<CDoublePathDifferences> DoublePathDifferences(CSegmentEdges& first, const CVector3D& p1,
                                                            const CVector3D& p2, CSegmentEdges& second);

}  // namespace kelmora
