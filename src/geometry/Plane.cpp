#include "geometry/Plane.h"

#include <algorithm>
#include <cmath>

#include "geometry/VectorOps.h"

namespace kelmora {

CVector3D UnitNormal(const CVector3D& p0, const CVector3D& p1, const CVector3D& p2) {
    return Normalize(Cross(p1 - p0, p2 - p1));
}

CPlane PlaneFromPoints(const CVector3D& p0, const CVector3D& p1, const CVector3D& p2) {
    const CVector3D n = UnitNormal(p0, p1, p2);
    return {n.x, n.y, n.z, Dot(n, p0)};
}

namespace {

CVector3D Normal(const CPlane& plane) {
    return {plane.nx, plane.ny, plane.nz};
}

int SideAlong(const CVector3D& p, const CVector3D& p0, const CVector3D& n) {
    const double s = Dot(p - p0, n);
    return (s > 0.0) - (s < 0.0);
}

// Signed distance of p from the plane through p0 with unit normal n [m]; n·p0 is the plane's d.
double SignedDistance(const CVector3D& p, const CVector3D& n, double d) {
    return Dot(n, p) - d;
}

}  // namespace

int SideOfPlane(const CVector3D& p, const CVector3D& p0, const CVector3D& p1, const CVector3D& p2) {
    return SideAlong(p, p0, UnitNormal(p0, p1, p2));
}

int SideOfPlane(const CVector3D& p, const CVector3D& p0, const CPlane& plane) {
    return SideAlong(p, p0, Normal(plane));
}

double DistancePointPlane(const CVector3D& p, const CVector3D& p0, const CVector3D& p1, const CVector3D& p2) {
    return DistancePointPlane(p, PlaneFromPoints(p0, p1, p2));
}

double DistancePointPlane(const CVector3D& p, const CPlane& plane) {
    return std::abs(SignedDistance(p, Normal(plane), plane.d));
}

CVector3D ProjectPointOnPlane(const CVector3D& p, const CVector3D& p0, const CVector3D& p1,
                              const CVector3D& p2) {
    return ProjectPointOnPlane(p, PlaneFromPoints(p0, p1, p2));
}

CVector3D ProjectPointOnPlane(const CVector3D& p, const CPlane& plane) {
    const CVector3D n = Normal(plane);
    return p - SignedDistance(p, n, plane.d) * n;
}

CVector3D MirrorPoint(const CVector3D& p, const CVector3D& p0, const CVector3D& p1, const CVector3D& p2) {
    return MirrorPoint(p, PlaneFromPoints(p0, p1, p2));
}

CVector3D MirrorPoint(const CVector3D& p, const CPlane& plane) {
    const CVector3D n = Normal(plane);
    return p - 2.0 * SignedDistance(p, n, plane.d) * n;
}

std::optional<CVector3D> IntersectSegmentPlane(const CVector3D& a, const CVector3D& b, const CPlane& plane) {
    // End points within 1e-6 m of the plane are taken as lying on it.
    constexpr double kOnPlane = 1e-6;
    const CVector3D n{plane.nx, plane.ny, plane.nz};
    double sa = plane.d - Dot(n, a);
    double sb = plane.d - Dot(n, b);
    if (std::abs(sa) < kOnPlane) sa = 0.0;
    if (std::abs(sb) < kOnPlane) sb = 0.0;
    if (sa == 0.0 && sb == 0.0) return std::nullopt;  // the segment lies in the plane
    if ((sa > 0.0 && sb > 0.0) || (sa < 0.0 && sb < 0.0)) return std::nullopt;
    const double t = std::abs(sa) / (std::abs(sa) + std::abs(sb));
    return a + t * (b - a);
}

std::optional<CVector3D> IntersectSegmentFacePlane(const CVector3D& a, const CVector3D& b,
                                                   const CFaceCorners& corners) {
    return IntersectSegmentPlane(a, b, PlaneFromPoints(corners[0], corners[1], corners[2]));
}

namespace {
// Distance of p from the segment a–b [m] (from the nearer end when the foot lies outside it).
double DistancePointSegment(const CVector3D& p, const CVector3D& a, const CVector3D& b) {
    const CVector3D d = b - a;
    const double len2 = Dot(d, d);
    if (len2 == 0.0) return Distance(a, p);
    const double t = std::clamp(Dot(p - a, d) / len2, 0.0, 1.0);
    return Distance(a + t * d, p);
}
}  // namespace

bool PointInFace(const CFaceCorners& corners, const CVector3D& p, double tol) {
    return PointInFace(corners, PlaneFromPoints(corners[0], corners[1], corners[2]), p, tol);
}

bool PointInFace(const CFaceCorners& corners, const CPlane& plane, const CVector3D& p, double tol) {
    // A point farther than this from the face's plane is never on the face, whatever tol is.
    constexpr double kOffPlane = 0.001;
    const auto& [c1, c2, c3, c4] = corners;
    const CVector3D q = ProjectPointOnPlane(p, plane);
    if (Distance(q, p) > kOffPlane) return false;

    const CVector3D m12 = 0.5 * (c1 + c2);
    if (InsideTriangle(c1, c2, c4, q) || InsideTriangle(c2, c3, c4, q) || InsideTriangle(m12, c3, c4, q) ||
        InsideTriangle(c1, c2, c3, q)) {
        return true;
    }
    // Points on the rim (missed by the strict triangle test) are accepted near a side. The distance is
    // taken to the side itself, not to its infinite line, so that points far out along the extension of
    // a side are not mistaken for points of the face.
    for (int k = 0; k < 4; ++k) {
        if (DistancePointSegment(p, corners[k], corners[(k + 1) % 4]) <= tol) return true;
    }
    return false;
}

std::optional<double> PlaneHeightAt(double x, double y, const CVector3D& p0, const CVector3D& p1,
                                    const CVector3D& p2) {
    constexpr double kVerticalReach = 50000.0;  // m below and above the plan point
    const auto hit =
        IntersectSegmentPlane({x, y, -kVerticalReach}, {x, y, kVerticalReach}, PlaneFromPoints(p0, p1, p2));
    if (!hit) return std::nullopt;
    return hit->z;
}

}  // namespace kelmora
