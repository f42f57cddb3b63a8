#pragma once
// Lengths, angles, projections, side and crossing tests on plan and space vectors [m, rad].
// Everything is in double precision in the site frame (x east, y north, z up).
#include <optional>

#include "geometry/Vector.h"

namespace kelmora {

// A directed segment in space [m].
struct CSegment3D {
    CVector3D start;
    CVector3D end;

    friend bool operator==(const CSegment3D&, const CSegment3D&) = default;
};

// ---- Lengths, directions, angles ----

// Euclidean length [m].
double Length(const CVector3D& v);
double Length(const CVertex2D& v);

// v / Length(v); a zero vector is returned unchanged.
CVector3D Normalize(const CVector3D& v);
CVertex2D Normalize(const CVertex2D& v);

// Length(b − a) [m].
double Distance(const CVector3D& a, const CVector3D& b);
double Distance2D(const CVertex2D& a, const CVertex2D& b);

// The angle between two vectors [rad, 0..π]; 0 when either vector has zero length.
double AngleBetween(const CVector3D& a, const CVector3D& b);
double AngleBetween2D(const CVertex2D& a, const CVertex2D& b);

// ---- Lines ----

// Distance of p from the infinite line through a and b [m]. a ≠ b is required.
double DistancePointLine(const CVector3D& p, const CVector3D& a, const CVector3D& b);
double DistancePointLine2D(const CVertex2D& p, const CVertex2D& a, const CVertex2D& b);

// Foot of p on the infinite line through a and b (not clamped to the segment). a ≠ b is required.
CVector3D ProjectPointOnLine(const CVector3D& p, const CVector3D& a, const CVector3D& b);

// Unit left normal (−dy, dx)/|d| of the plan direction d = b − a; zero when a = b.
CVertex2D LeftNormal2D(const CVertex2D& a, const CVertex2D& b);

// Where p lies relative to the ray origin → end.
enum RayPosition : int {
    kBeyondEnd = 0,     // ahead of the origin but farther than the end
    kWithinReach = 1,   // ahead of the origin and not farther than the end
    kBehindOrigin = 2,  // (p − origin)·(end − origin) < 0
};
RayPosition PositionOnRay(const CVector3D& origin, const CVector3D& end, const CVector3D& p);
RayPosition PositionOnRay2D(const CVertex2D& origin, const CVertex2D& end, const CVertex2D& p);

// The mean of four points.
CVector3D Centroid4(const CVector3D& a, const CVector3D& b, const CVector3D& c, const CVector3D& d);

// Intersection of the infinite plan lines a1–a2 and b1–b2; empty only when they are exactly parallel.
std::optional<CVertex2D> LineIntersection2D(const CVertex2D& a1, const CVertex2D& a2, const CVertex2D& b1,
                                            const CVertex2D& b2);

// True when the plan segments a1–a2 and b1–b2 cross properly; touching, collinear or end-on-segment
// configurations do not count.
bool SegmentsCross2D(const CVertex2D& a1, const CVertex2D& a2, const CVertex2D& b1, const CVertex2D& b2);

// True when p lies strictly inside the triangle a, b, c (p is expected in the triangle's plane);
// a point on an edge or a vertex is not inside.
bool InsideTriangle(const CVector3D& a, const CVector3D& b, const CVector3D& c, const CVector3D& p);

// ---- Closest points of two lines ----

enum LinesRelation : int {
    kLinesParallel = 0,  // parallel, or one of the lines is degenerate (two equal points)
    kLinesMeet = 1,      // the closest points are less than 1e-3 m apart (squared distance < 1e-6 m²)
    kLinesSkew = 2,      // the lines pass each other
};

// The closest points of the infinite lines a1–a2 (onA) and b1–b2 (onB); points are zero when parallel.
struct CLinesClosestPoints {
    LinesRelation relation = kLinesParallel;
    CVector3D onA;
    CVector3D onB;
};
CLinesClosestPoints ClosestPointsOfLines(const CVector3D& a1, const CVector3D& a2, const CVector3D& b1,
                                         const CVector3D& b2);

// A line through two points with its unit direction Normalize(b − a), made once for a line met again
// and again (the results of the functions taking it are those of the functions taking the points).
struct CDirectedLine {
    CVector3D a;
    CVector3D b;
    CVector3D unit;
};
CDirectedLine DirectedLine(const CVector3D& a, const CVector3D& b);
CLinesClosestPoints ClosestPointsOfLines(const CDirectedLine& a, const CDirectedLine& b);

// A pair of points, the first on line A and the second on line B.
struct CPointPair {
    CVector3D onA;
    CVector3D onB;

    friend bool operator==(const CPointPair&, const CPointPair&) = default;
};

// Closest points of the lines a1–a2 and b1–b2, snapped to the end points: when an end point of A lies
// closer than tol [m] to an end point of B (pairs tried in the order a1b1, a1b2, a2b1, a2b2) that pair is
// returned; otherwise ClosestPointsOfLines. Empty when the lines are parallel or degenerate.
std::optional<CPointPair> ClosestPointsSnapped(const CVector3D& a1, const CVector3D& a2, const CVector3D& b1,
                                               const CVector3D& b2, double tol);
std::optional<CPointPair> ClosestPointsSnapped(const CDirectedLine& a, const CDirectedLine& b, double tol);

// ---- Horizontal offsets (z never changes) ----

// Both ends of a → b moved by dist [m] along the plan left normal (negative dist: to the right).
// A vertical segment (zero plan length) is returned unmoved.
CSegment3D OffsetSegmentLeft(const CVector3D& a, const CVector3D& b, double dist);

// p moved by dist [m] along the plan left normal of from → to.
CVector3D OffsetPointLeft(const CVector3D& p, const CVector3D& from, const CVector3D& to, double dist);

}  // namespace kelmora
