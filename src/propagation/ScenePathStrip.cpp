#include "propagation/ScenePathStrip.h"

#include <algorithm>
#include <initializer_list>

#include "geometry/Polygon.h"
#include "geometry/RectGeometry.h"
#include "geometry/VectorOps.h"

namespace kelmora {

namespace {

// True when the plan bounding box of the points lies strictly apart from the strip's box. Such points
// can neither cross the strip nor overlap it with area, so the polygon algebra (the costly part of
// building a scene) is skipped for them; touching boxes still go through the exact tests.
bool ApartFromStrip(std::initializer_list<CVertex2D> points, const CPathStrip& strip) {
    CVertex2D low = *points.begin();
    CVertex2D high = low;
    for (const CVertex2D& p : points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    return high.x < strip.boxMin.x || low.x > strip.boxMax.x || high.y < strip.boxMin.y ||
           low.y > strip.boxMax.y;
}

}  // namespace

std::array<CVector3D, 4> PathStrip(const CVector3D& s, const CVector3D& r) {
    const CVertex2D s2 = Plan(s);
    const CVertex2D r2 = Plan(r);
    const CVertex2D u = kPathStripHalfWidth * Normalize(r2 - s2);
    const CVertex2D n = kPathStripHalfWidth * LeftNormal2D(s2, r2);
    const auto corner = [](const CVertex2D& p) { return CVector3D{p.x, p.y, 0.0}; };
    return {corner(s2 + n - u), corner(r2 + n + u), corner(r2 - n + u), corner(s2 - n - u)};
}

CPathStrip MakePathStrip(const CVector3D& s, const CVector3D& r) {
    CPathStrip strip;
    strip.source = s;
    strip.receiver = r;
    strip.corners = PathStrip(s, r);
    strip.polygon.reserve(4);
    for (const CVector3D& c : strip.corners)
        strip.polygon.push_back(Plan(c));
    strip.boxMin = strip.boxMax = strip.polygon.front();
    for (const CVertex2D& p : strip.polygon) {
        strip.boxMin = {std::min(strip.boxMin.x, p.x), std::min(strip.boxMin.y, p.y)};
        strip.boxMax = {std::max(strip.boxMax.x, p.x), std::max(strip.boxMax.y, p.y)};
    }
    return strip;
}

bool SegmentCrossesStrip(const CVertex2D& a, const CVertex2D& b, const CPathStrip& strip) {
    if (ApartFromStrip({a, b}, strip)) return false;
    return SegmentCrossesPolygon2D(a, b, strip.polygon);
}

bool RoofReachesStrip(const CMyRect& rect, const CPathStrip& strip) {
    const std::array<CVertex2D, 4> c = RectCorners2D(rect);
    if (ApartFromStrip({c[0], c[1], c[2], c[3]}, strip)) return false;
    const std::vector<CVertex2D> footprint(c.begin(), c.end());
    return IntersectionArea2D(footprint, strip.polygon) > 0.0 ||
           SegmentCrossesPolygon2D(c[0], c[1], strip.polygon) ||
           SegmentCrossesPolygon2D(c[1], c[2], strip.polygon);
}

}  // namespace kelmora
