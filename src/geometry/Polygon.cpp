#include "geometry/Polygon.h"

// The polygon library's robust rescaling leaves a factor that GCC's optimiser cannot prove initialised,
// and one of its headers announces a deprecated include; neither concerns this code.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#define BOOST_ALLOW_DEPRECATED_HEADERS

#include <algorithm>
#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/centroid.hpp>
#include <boost/geometry/algorithms/convex_hull.hpp>
#include <boost/geometry/algorithms/detail/has_self_intersections.hpp>
#include <boost/geometry/algorithms/intersection.hpp>
#include <boost/geometry/algorithms/union.hpp>
#include <boost/geometry/algorithms/within.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <boost/geometry/strategies/strategies.hpp>
#include <boost/numeric/conversion/converter_policies.hpp>
#include <cmath>
#include <stdexcept>

#include "geometry/VectorOps.h"

namespace kelmora {

namespace {

namespace bg = boost::geometry;
// Plan point and polygon of the polygon algebra: clockwise, closed rings.
using BPoint = bg::model::d2::point_xy<double>;
using BPolygon = bg::model::polygon<BPoint>;

// The outer ring of the vertex list closed by its first vertex, reversed when it runs anticlockwise so
// that the ring is clockwise. Nothing else is checked.
BPolygon ToClockwisePolygon(const std::vector<CVertex2D>& vertices) {
    BPolygon polygon;
    auto& ring = polygon.outer();
    for (const CVertex2D& v : vertices)
        ring.emplace_back(v.x, v.y);
    if (!vertices.empty()) ring.push_back(ring.front());
    if (bg::area(polygon) < 0.0) {
        ring.clear();
        for (auto it = vertices.rbegin(); it != vertices.rend(); ++it)
            ring.emplace_back(it->x, it->y);
        ring.push_back(ring.front());
    }
    return polygon;
}

std::vector<CVertex2D> OpenOuterRing(const BPolygon& polygon) {
    std::vector<CVertex2D> vertices;
    for (const BPoint& p : polygon.outer())
        vertices.push_back({p.x(), p.y()});
    if (!vertices.empty()) vertices.pop_back();  // the closing vertex
    return vertices;
}

bool AllFinite(const std::vector<CVertex2D>& vertices) {
    return std::all_of(vertices.begin(), vertices.end(),
                       [](const CVertex2D& v) { return std::isfinite(v.x) && std::isfinite(v.y); });
}

// Runs an overlay (intersection or union) of two polygons. Coordinates that are not finite make the
// overlay fail with its usual invalid-input error rather than return garbage or a conversion error.
template <typename Overlay>
std::vector<BPolygon> RunOverlay(const std::vector<CVertex2D>& a, const std::vector<CVertex2D>& b,
                                 Overlay overlay) {
    if (!AllFinite(a) || !AllFinite(b)) throw bg::overlay_invalid_input_exception();
    std::vector<BPolygon> result;
    try {
        overlay(ToClockwisePolygon(a), ToClockwisePolygon(b), result);
    } catch (const boost::numeric::bad_numeric_cast&) {
        throw bg::overlay_invalid_input_exception();
    }
    return result;
}

std::vector<BPolygon> Intersection(const std::vector<CVertex2D>& a, const std::vector<CVertex2D>& b) {
    return RunOverlay(a, b, [](const BPolygon& x, const BPolygon& y, std::vector<BPolygon>& out) {
        bg::intersection(x, y, out);
    });
}

}  // namespace

std::vector<CVertex2D> PlanVertices(const std::vector<CVector3D>& points) {
    std::vector<CVertex2D> plan;
    plan.reserve(points.size());
    for (const CVector3D& p : points)
        plan.push_back(Plan(p));
    return plan;
}

double PolygonArea2D(const std::vector<CVertex2D>& polygon) {
    if (polygon.size() < 3) return 0.0;
    const double area = bg::area(ToClockwisePolygon(polygon));
    if (area < 0.0) throw std::logic_error("clockwise ring with negative area");
    return area;
}

double IntersectionArea2D(const std::vector<CVertex2D>& a, const std::vector<CVertex2D>& b) {
    if (a.size() < 3 || b.size() < 3) return 0.0;
    double area = 0.0;
    for (const BPolygon& part : Intersection(a, b))
        area += bg::area(part);
    return area;
}

std::vector<std::vector<CVertex2D>> PolygonIntersection2D(const std::vector<CVertex2D>& a,
                                                          const std::vector<CVertex2D>& b) {
    std::vector<std::vector<CVertex2D>> result;
    if (a.size() < 3 || b.size() < 3) return result;
    for (const BPolygon& part : Intersection(a, b))
        result.push_back(OpenOuterRing(part));
    return result;
}

std::vector<std::vector<CVertex2D>> PolygonUnion2D(const std::vector<CVertex2D>& a,
                                                   const std::vector<CVertex2D>& b) {
    if (a.size() < 3 && b.size() < 3) return {};
    if (a.size() < 3) return {b};
    if (b.size() < 3) return {a};
    std::vector<std::vector<CVertex2D>> result;
    const auto parts = RunOverlay(a, b, [](const BPolygon& x, const BPolygon& y, std::vector<BPolygon>& out) {
        bg::union_(x, y, out);
    });
    for (const BPolygon& part : parts)
        result.push_back(OpenOuterRing(part));
    return result;
}

bool PointInPolygon2D(const std::vector<CVertex2D>& polygon, const CVertex2D& p) {
    if (polygon.size() < 3) return false;
    return bg::within(BPoint(p.x, p.y), ToClockwisePolygon(polygon));
}

std::vector<int> ConvexCornerFlags(const std::vector<CVertex2D>& polygon) {
    std::vector<int> flags(polygon.size(), 1);
    if (polygon.size() < 3) return flags;
    BPolygon hull;
    bg::convex_hull(ToClockwisePolygon(polygon), hull);
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const bool onHull = std::any_of(hull.outer().begin(), hull.outer().end(), [&](const BPoint& h) {
            return h.x() == polygon[i].x && h.y() == polygon[i].y;
        });
        flags[i] = onHull ? 1 : 0;
    }
    return flags;
}

CVertex2D PolygonCentroid2D(const std::vector<CVertex2D>& polygon) {
    // The library gives the single point of a one-vertex ring, the first point of a ring without area
    // and raises its centroid error for an empty one.
    BPoint centroid(0.0, 0.0);
    bg::centroid(ToClockwisePolygon(polygon), centroid);
    return {centroid.x(), centroid.y()};
}

std::optional<CVertex2D> SegmentIntersection2D(const CVertex2D& a1, const CVertex2D& a2, const CVertex2D& b1,
                                               const CVertex2D& b2) {
    const double den = (b2.y - b1.y) * (a2.x - a1.x) - (b2.x - b1.x) * (a2.y - a1.y);
    if (den == 0.0) return std::nullopt;
    const double t = ((b1.x - a1.x) * (b2.y - b1.y) - (b1.y - a1.y) * (b2.x - b1.x)) / den;
    const double u = ((a1.y - b1.y) * (a2.x - a1.x) - (a1.x - b1.x) * (a2.y - a1.y)) / den;
    if (t < 0.0 || t > 1.0 || u < 0.0 || u > 1.0) return std::nullopt;
    return a1 + t * (a2 - a1);
}

int SideOfLine2D(const CVertex2D& p, const CVertex2D& a, const CVertex2D& b) {
    const double side = Cross(b - a, p - a);
    return (side > 0.0) - (side < 0.0);
}

bool SegmentCrossesPolygon2D(const CVertex2D& a, const CVertex2D& b, const std::vector<CVertex2D>& polygon) {
    if (a == b) return false;
    // Two triangles on the segment reaching 10 m out to either side: the segment runs through the polygon
    // when the polygon has area in both.
    constexpr double kReach = 10.0;  // m
    const CVertex2D middle = 0.5 * (a + b);
    const CVertex2D n = LeftNormal2D(a, b);
    const std::vector<CVertex2D> leftTriangle{a, b, middle + kReach * n};
    const std::vector<CVertex2D> rightTriangle{a, b, middle - kReach * n};
    return IntersectionArea2D(polygon, leftTriangle) != 0.0 &&
           IntersectionArea2D(polygon, rightTriangle) != 0.0;
}

bool ContainsPoint2D(const CPolyline& line, const CVertex2D& p) {
    return PointInPolygon2D(PlanVertices(line.vertices), p);
}

double PolylineArea2D(const CPolyline& line) {
    return PolygonArea2D(PlanVertices(line.vertices));
}

}  // namespace kelmora
