#include "geometry/RectGeometry.h"

#include <cmath>

#include "geometry/VectorOps.h"

namespace kelmora {

namespace {
// Corners of the rectangle with side A from p1 to p2 and side C on the line through p3 parallel to it;
// the same construction serves space and plan points.
template <typename V>
std::array<V, 4> CornersFromThreePoints(const V& p1, const V& p2, const V& p3) {
    const V side = p2 - p1;
    if (Dot(side, side) == 0.0) return {p1, p2, p2, p1};
    const V u = Normalize(side);
    return {p1, p2, p3 + Dot(p2 - p3, u) * u, p3 + Dot(p1 - p3, u) * u};
}
}  // namespace

CFaceCorners RectCorners(const CMyRect& rect) {
    return CornersFromThreePoints(rect.p1, rect.p2, rect.p3);
}

std::array<CVertex2D, 4> RectCorners2D(const CMyRect& rect) {
    return CornersFromThreePoints(Plan(rect.p1), Plan(rect.p2), Plan(rect.p3));
}

CPolyline RectCornersPolyline2D(const CMyRect& rect) {
    CPolyline line;
    for (const CVertex2D& c : RectCorners2D(rect))
        line.vertices.push_back({c.x, c.y, 0.0});
    return line;
}

CPolyline RectCornersPolyline(const CMyRect& rect) {
    const CFaceCorners corners = RectCorners(rect);
    return CPolyline{{corners.begin(), corners.end()}};
}

double RectArea(const CMyRect& rect) {
    return Length(Cross(rect.p2 - rect.p1, rect.p3 - rect.p1));
}

CVector3D RectCentre(const CMyRect& rect) {
    const CFaceCorners c = RectCorners(rect);
    return Centroid4(c[0], c[1], c[2], c[3]);
}

std::array<CVector3D, 2> RectNormalPoints(const CMyRect& rect, double dist) {
    const CFaceCorners c = RectCorners(rect);
    const CVector3D centre = Centroid4(c[0], c[1], c[2], c[3]);
    const CVector3D n = UnitNormal(c[0], c[1], c[2]);
    return {centre + dist * n, centre - dist * n};
}

bool RectContains(const CMyRect& rect, const CVector3D& p) {
    constexpr double kOnFace = 0.001;  // m
    return PointInFace(RectCorners(rect), p, kOnFace);
}

}  // namespace kelmora
