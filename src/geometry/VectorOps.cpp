#include "geometry/VectorOps.h"

#include <algorithm>
#include <cmath>

namespace kelmora {

double Length(const CVector3D& v) {
    return std::sqrt(Dot(v, v));
}
double Length(const CVertex2D& v) {
    return std::sqrt(Dot(v, v));
}

CVector3D Normalize(const CVector3D& v) {
    const double len = Length(v);
    return len > 0.0 ? (1.0 / len) * v : v;
}

CVertex2D Normalize(const CVertex2D& v) {
    const double len = Length(v);
    return len > 0.0 ? (1.0 / len) * v : v;
}

double Distance(const CVector3D& a, const CVector3D& b) {
    return Length(b - a);
}
double Distance2D(const CVertex2D& a, const CVertex2D& b) {
    return Length(b - a);
}

namespace {
// arccos of the cosine, kept inside [−1, 1] so that rounding of parallel vectors cannot give NaN.
double AngleFromCosine(double dot, double lengthProduct) {
    if (lengthProduct <= 0.0) return 0.0;
    return std::acos(std::clamp(dot / lengthProduct, -1.0, 1.0));
}
}  // namespace

double AngleBetween(const CVector3D& a, const CVector3D& b) {
    return AngleFromCosine(Dot(a, b), Length(a) * Length(b));
}

double AngleBetween2D(const CVertex2D& a, const CVertex2D& b) {
    return AngleFromCosine(Dot(a, b), Length(a) * Length(b));
}

double DistancePointLine(const CVector3D& p, const CVector3D& a, const CVector3D& b) {
    return Length(Cross(p - a, b - a)) / Length(b - a);
}

double DistancePointLine2D(const CVertex2D& p, const CVertex2D& a, const CVertex2D& b) {
    return std::abs(Cross(p - a, b - a)) / Length(b - a);
}

CVector3D ProjectPointOnLine(const CVector3D& p, const CVector3D& a, const CVector3D& b) {
    const CVector3D u = Normalize(b - a);
    return a + Dot(p - a, u) * u;
}

CVertex2D LeftNormal2D(const CVertex2D& a, const CVertex2D& b) {
    const CVertex2D d = b - a;
    return Normalize(CVertex2D{-d.y, d.x});
}

namespace {
template <typename V>
RayPosition ClassifyOnRay(const V& origin, const V& end, const V& p) {
    if (Dot(p - origin, end - origin) < 0.0) return kBehindOrigin;
    return Length(end - origin) >= Length(p - origin) ? kWithinReach : kBeyondEnd;
}
}  // namespace

RayPosition PositionOnRay(const CVector3D& origin, const CVector3D& end, const CVector3D& p) {
    return ClassifyOnRay(origin, end, p);
}

RayPosition PositionOnRay2D(const CVertex2D& origin, const CVertex2D& end, const CVertex2D& p) {
    return ClassifyOnRay(origin, end, p);
}

CVector3D Centroid4(const CVector3D& a, const CVector3D& b, const CVector3D& c, const CVector3D& d) {
    return 0.25 * (a + b + c + d);
}

std::optional<CVertex2D> LineIntersection2D(const CVertex2D& a1, const CVertex2D& a2, const CVertex2D& b1,
                                            const CVertex2D& b2) {
    const double den = Cross(a2 - a1, b2 - b1);
    if (den == 0.0) return std::nullopt;
    const double t = Cross(b1 - a1, b2 - b1) / den;
    return a1 + t * (a2 - a1);
}

bool SegmentsCross2D(const CVertex2D& a1, const CVertex2D& a2, const CVertex2D& b1, const CVertex2D& b2) {
    // The ends of each segment must lie strictly on opposite sides of the other segment's line.
    const CVertex2D da = a2 - a1;
    const CVertex2D db = b2 - b1;
    const bool bStraddlesA = Cross(b2 - a1, da) * Cross(b1 - a1, da) < 0.0;
    const bool aStraddlesB = Cross(a2 - b1, db) * Cross(a1 - b1, db) < 0.0;
    return bStraddlesA && aStraddlesB;
}

bool InsideTriangle(const CVector3D& a, const CVector3D& b, const CVector3D& c, const CVector3D& p) {
    // p is inside when it turns the same way from each edge (the third edge is looked at only when the
    // first two agree).
    const CVector3D n1 = Cross(b - a, p - b);
    const CVector3D n2 = Cross(c - b, p - c);
    if (!(Dot(n1, n2) > 0.0)) return false;
    const CVector3D n3 = Cross(a - c, p - a);
    return Dot(n1, n3) > 0.0;
}

CDirectedLine DirectedLine(const CVector3D& a, const CVector3D& b) {
    return {a, b, Normalize(b - a)};
}

CLinesClosestPoints ClosestPointsOfLines(const CVector3D& a1, const CVector3D& a2, const CVector3D& b1,
                                         const CVector3D& b2) {
    return ClosestPointsOfLines(DirectedLine(a1, a2), DirectedLine(b1, b2));
}

CLinesClosestPoints ClosestPointsOfLines(const CDirectedLine& lineA, const CDirectedLine& lineB) {
    const CVector3D& a1 = lineA.a;
    const CVector3D& b1 = lineB.a;
    CLinesClosestPoints result;
    const CVector3D da = lineA.b - a1;
    const CVector3D db = lineB.b - b1;
    if (Dot(da, da) == 0.0 || Dot(db, db) == 0.0) return result;
    const CVector3D& u = lineA.unit;
    const CVector3D& v = lineB.unit;
    const double w = Dot(u, v);
    const double den = 1.0 - w * w;
    if (den == 0.0) return result;
    const double e = Dot(b1 - a1, u);
    const double f = Dot(b1 - a1, v);
    const double s = (e - f * w) / den;
    const double t = (e * w - f) / den;
    result.onA = a1 + s * u;
    result.onB = b1 + t * v;
    const CVector3D gap = result.onA - result.onB;
    result.relation = Dot(gap, gap) < 1e-6 ? kLinesMeet : kLinesSkew;
    return result;
}

std::optional<CPointPair> ClosestPointsSnapped(const CVector3D& a1, const CVector3D& a2, const CVector3D& b1,
                                               const CVector3D& b2, double tol) {
    return ClosestPointsSnapped(DirectedLine(a1, a2), DirectedLine(b1, b2), tol);
}

std::optional<CPointPair> ClosestPointsSnapped(const CDirectedLine& lineA, const CDirectedLine& lineB,
                                               double tol) {
    const CVector3D& a1 = lineA.a;
    const CVector3D& a2 = lineA.b;
    const CVector3D& b1 = lineB.a;
    const CVector3D& b2 = lineB.b;
    // An end point pair whose squared distance exceeds tol² by more than rounding is farther apart than
    // tol: its square root is spared.
    const double clearlyFarther = tol * tol * (1.0 + 1e-6);
    for (const CVector3D* a : {&a1, &a2}) {
        for (const CVector3D* b : {&b1, &b2}) {
            const CVector3D d = *b - *a;
            if (Dot(d, d) > clearlyFarther) continue;
            if (Distance(*a, *b) < tol) return CPointPair{*a, *b};
        }
    }
    const CLinesClosestPoints closest = ClosestPointsOfLines(lineA, lineB);
    if (closest.relation == kLinesParallel) return std::nullopt;
    return CPointPair{closest.onA, closest.onB};
}

CVector3D OffsetPointLeft(const CVector3D& p, const CVector3D& from, const CVector3D& to, double dist) {
    const CVertex2D n = LeftNormal2D(Plan(from), Plan(to));
    return {p.x + dist * n.x, p.y + dist * n.y, p.z};
}

CSegment3D OffsetSegmentLeft(const CVector3D& a, const CVector3D& b, double dist) {
    return {OffsetPointLeft(a, a, b, dist), OffsetPointLeft(b, a, b, dist)};
}

}  // namespace kelmora
