#include "propagation/ScenePathStrip.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "geometry/Polygon.h"
#include "geometry/RectGeometry.h"
#include "geometry/VectorOps.h"

namespace kelmora {

namespace {

// The polygon algebra behind the reach tests is the costly part of building a scene. Most walls and roofs
// are either clearly apart from the strip or clearly run through it, which the strip's own frame tells
// at once; only those within this margin [m] of its boundary go through the polygon algebra. The margin
// is far above rounding, so the quick answers are those the polygon algebra gives.
constexpr double kClearMargin = 1e-3;

enum class StripReach { kApart, kThrough, kUnsure };

CVertex2D InFrame(const CVertex2D& p, const CPathStrip& strip) {
    const CVertex2D d = p - strip.origin;
    return {Dot(d, strip.u), Dot(d, strip.n)};
}

// True when the frame points all lie beyond one side of the strip by more than the margin: then the
// strip has no area near a segment or within a footprint of these points.
bool ClearlyApart(std::initializer_list<CVertex2D> framePoints, const CPathStrip& strip) {
    const double low = -kPathStripHalfWidth - kClearMargin;
    const double highAlong = strip.length + kPathStripHalfWidth + kClearMargin;
    const double highAcross = kPathStripHalfWidth + kClearMargin;
    const auto all = [&](auto beyond) { return std::all_of(framePoints.begin(), framePoints.end(), beyond); };
    return all([&](const CVertex2D& p) { return p.x < low; }) ||
           all([&](const CVertex2D& p) { return p.x > highAlong; }) ||
           all([&](const CVertex2D& p) { return p.y < low; }) ||
           all([&](const CVertex2D& p) { return p.y > highAcross; });
}

// True when some point of the frame segment a–b lies inside the strip by more than the margin: then the
// strip has area on both sides of the segment next to that point.
bool ClearlyThrough(const CVertex2D& a, const CVertex2D& b, const CPathStrip& strip) {
    // Clip the segment's parameter range 0..1 to the strip shrunk by the margin, one axis at a time.
    double enter = 0.0;
    double leave = 1.0;
    const auto clip = [&](double from, double step, double low, double high) {
        if (step == 0.0) return from > low && from < high;
        double t1 = (low - from) / step;
        double t2 = (high - from) / step;
        if (t1 > t2) std::swap(t1, t2);
        enter = std::max(enter, t1);
        leave = std::min(leave, t2);
        return enter < leave;
    };
    const double inner = kPathStripHalfWidth - kClearMargin;
    return clip(a.x, b.x - a.x, -inner, strip.length + inner) && clip(a.y, b.y - a.y, -inner, inner);
}

StripReach SegmentReach(const CVertex2D& a, const CVertex2D& b, const CPathStrip& strip) {
    if (!strip.framed) return StripReach::kUnsure;
    const CVertex2D fa = InFrame(a, strip);
    const CVertex2D fb = InFrame(b, strip);
    if (ClearlyApart({fa, fb}, strip)) return StripReach::kApart;
    // A segment without length reaches nothing, however deep inside it lies.
    if (a != b && ClearlyThrough(fa, fb, strip)) return StripReach::kThrough;
    return StripReach::kUnsure;
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
    strip.origin = Plan(s);
    strip.length = Distance2D(Plan(s), Plan(r));
    strip.framed = strip.length > 0.0 && std::isfinite(strip.length);
    if (strip.framed) {
        strip.u = Normalize(Plan(r) - Plan(s));
        strip.n = LeftNormal2D(Plan(s), Plan(r));
    }
    return strip;
}

bool SegmentCrossesStrip(const CVertex2D& a, const CVertex2D& b, const CPathStrip& strip) {
    switch (SegmentReach(a, b, strip)) {
        case StripReach::kApart:
            return false;
        case StripReach::kThrough:
            return true;
        case StripReach::kUnsure:
            break;
    }
    return SegmentCrossesPolygon2D(a, b, strip.polygon);
}

bool RoofReachesStrip(const CMyRect& rect, const CPathStrip& strip) {
    const std::array<CVertex2D, 4> c = RectCorners2D(rect);
    if (strip.framed) {
        if (ClearlyApart(
                {InFrame(c[0], strip), InFrame(c[1], strip), InFrame(c[2], strip), InFrame(c[3], strip)},
                strip))
            return false;
        if (SegmentReach(c[0], c[1], strip) == StripReach::kThrough ||
            SegmentReach(c[1], c[2], strip) == StripReach::kThrough)
            return true;
    }
    const std::vector<CVertex2D> footprint(c.begin(), c.end());
    return IntersectionArea2D(footprint, strip.polygon) > 0.0 || SegmentCrossesStrip(c[0], c[1], strip) ||
           SegmentCrossesStrip(c[1], c[2], strip);
}

}  // namespace kelmora
