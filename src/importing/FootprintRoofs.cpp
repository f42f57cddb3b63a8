#include "importing/FootprintRoofs.h"

#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <cmath>
#include <exception>
#include <map>
#include <numbers>
#include <utility>

namespace kelmora {

namespace bg = boost::geometry;

namespace {

using Point = bg::model::d2::point_xy<double>;
using Polygon = bg::model::polygon<Point>;
using MultiPolygon = bg::model::multi_polygon<Polygon>;
using Box = bg::model::box<Point>;

// Vertices closer than this are one [m].
constexpr double kSamePoint = 1e-6;

double Length(const CVertex2D& v) {
    return std::hypot(v.x, v.y);
}

// The ring without repeated vertices (the closing one included).
std::vector<CVertex2D> Clean(const std::vector<CVertex2D>& ring) {
    std::vector<CVertex2D> out;
    for (const CVertex2D& p : ring)
        if (out.empty() || Length(p - out.back()) >= kSamePoint) out.push_back(p);
    while (out.size() > 1 && Length(out.front() - out.back()) < kSamePoint)
        out.pop_back();
    return out;
}

// The ring without the vertices where it runs straight on within `sinTolerance`.
std::vector<CVertex2D> Corners(std::vector<CVertex2D> ring, double sinTolerance) {
    bool removed = true;
    while (removed && ring.size() > 3) {
        removed = false;
        for (std::size_t i = 0; i < ring.size() && ring.size() > 3; ++i) {
            const CVertex2D a = ring[i] - ring[(i + ring.size() - 1) % ring.size()];
            const CVertex2D b = ring[(i + 1) % ring.size()] - ring[i];
            const double la = Length(a), lb = Length(b);
            if (std::abs(Cross(a, b)) <= sinTolerance * la * lb && Dot(a, b) > 0.0) {
                ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(i));
                removed = true;
                break;
            }
        }
    }
    return ring;
}

// The direction [rad] of the longest edge of the ring.
double LongestEdgeAngle(const std::vector<CVertex2D>& ring) {
    double longest = -1.0;
    double angle = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const CVertex2D d = ring[(i + 1) % ring.size()] - ring[i];
        if (Length(d) > longest) {
            longest = Length(d);
            angle = std::atan2(d.y, d.x);
        }
    }
    return angle;
}

// Turning by an angle given by its cosine and sine.
struct Turn {
    double c = 1.0;
    double s = 0.0;

    CVertex2D operator()(const CVertex2D& p) const { return {p.x * c - p.y * s, p.x * s + p.y * c}; }
    Turn Back() const { return {c, -s}; }
};

Turn TurnBy(double angle) {
    return {std::cos(angle), std::sin(angle)};
}

std::vector<CVertex2D> TurnRing(const std::vector<CVertex2D>& ring, const Turn& turn) {
    std::vector<CVertex2D> out;
    out.reserve(ring.size());
    for (const CVertex2D& p : ring)
        out.push_back(turn(p));
    return out;
}

double RingArea(const std::vector<CVertex2D>& ring) {
    double twice = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const CVertex2D& a = ring[i];
        const CVertex2D& b = ring[(i + 1) % ring.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return 0.5 * twice;
}

// A rectangle of the turned frame, turned back (x0 < x1, y0 < y1).
PlanRectangle Rectangle(double x0, double x1, double y0, double y1, const Turn& back) {
    return {{back({x0, y0}), back({x1, y0}), back({x1, y1}), back({x0, y1})}};
}

// ---- Rectilinear footprints ---------------------------------------------------------------------

struct HorizontalEdge {
    double x0 = 0.0;
    double x1 = 0.0;
    double y = 0.0;
};

// The corners of a rectilinear ring of the turned frame moved onto common lines: every edge runs exactly
// along x or y, at the mean of its ends. False when the edges do not alternate between the two.
bool Snap(const std::vector<CVertex2D>& ring, std::vector<CVertex2D>& snapped,
          std::vector<HorizontalEdge>& edges) {
    const std::size_t n = ring.size();
    std::vector<bool> horizontal(n);
    std::vector<double> at(n);
    for (std::size_t j = 0; j < n; ++j) {
        const CVertex2D& a = ring[j];
        const CVertex2D& b = ring[(j + 1) % n];
        horizontal[j] = std::abs(b.x - a.x) >= std::abs(b.y - a.y);
        at[j] = horizontal[j] ? 0.5 * (a.y + b.y) : 0.5 * (a.x + b.x);
    }
    snapped.assign(n, {});
    for (std::size_t j = 0; j < n; ++j) {
        const std::size_t next = (j + 1) % n;
        if (horizontal[j] == horizontal[next]) return false;
        snapped[next] = horizontal[j] ? CVertex2D{at[next], at[j]} : CVertex2D{at[j], at[next]};
    }
    for (std::size_t j = 0; j < n; ++j) {
        if (!horizontal[j]) continue;
        const double xa = snapped[j].x, xb = snapped[(j + 1) % n].x;
        edges.push_back({std::min(xa, xb), std::max(xa, xb), at[j]});
    }
    return true;
}

void Close(double x0, double x1, const std::pair<double, double>& stretch, const Turn& back,
           RoofCover& cover) {
    if (x1 > x0 && stretch.second > stretch.first)
        cover.rectangles.push_back(Rectangle(x0, x1, stretch.first, stretch.second, back));
}

// Slabs between the distinct x of the corners; in each, the stretches inside the footprint (between
// pairs of horizontal edges crossing it); stretches that go on unchanged into the next slab make one
// rectangle.
bool SplitRectilinear(const FootprintRings& rings, double angle, RoofCover& cover) {
    const Turn turn = TurnBy(-angle);
    std::vector<HorizontalEdge> edges;
    std::vector<double> xs;
    for (const std::vector<CVertex2D>& ring : rings) {
        std::vector<CVertex2D> snapped;
        if (!Snap(TurnRing(ring, turn), snapped, edges)) return false;
        for (const CVertex2D& p : snapped)
            xs.push_back(p.x);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    const Turn back = turn.Back();
    std::map<std::pair<double, double>, double> open;  // stretch → x where its rectangle starts
    for (std::size_t k = 0; k + 1 < xs.size(); ++k) {
        const double mid = 0.5 * (xs[k] + xs[k + 1]);
        std::vector<double> ys;
        for (const HorizontalEdge& e : edges)
            if (e.x0 < mid && mid < e.x1) ys.push_back(e.y);
        std::sort(ys.begin(), ys.end());
        std::map<std::pair<double, double>, double> next;
        for (std::size_t i = 0; i + 1 < ys.size(); i += 2) {
            const std::pair<double, double> stretch{ys[i], ys[i + 1]};
            const auto it = open.find(stretch);
            next[stretch] = it != open.end() ? it->second : xs[k];
        }
        for (const auto& [stretch, start] : open)
            if (!next.contains(stretch)) Close(start, xs[k], stretch, back, cover);
        open = std::move(next);
    }
    for (const auto& [stretch, start] : open)
        Close(start, xs.back(), stretch, back, cover);
    return true;
}

// ---- Strips ---------------------------------------------------------------------------------------

Polygon ToPolygon(const FootprintRings& rings, const Turn& turn) {
    Polygon polygon;
    for (std::size_t r = 0; r < rings.size(); ++r) {
        auto& ring = r == 0 ? polygon.outer() : (polygon.inners().emplace_back(), polygon.inners().back());
        for (const CVertex2D& p : rings[r]) {
            const CVertex2D q = turn(p);
            ring.push_back(Point(q.x, q.y));
        }
        if (!rings[r].empty()) ring.push_back(ring.front());
    }
    bg::correct(polygon);
    return polygon;
}

// One strip between two heights of the turned frame: its rectangles (one per stretch of x that the
// footprint occupies within it) and how much more area they cover than the footprint does there.
struct Strip {
    double y0 = 0.0;
    double y1 = 0.0;
    std::vector<std::pair<double, double>> stretches;
    double area = 0.0;    // of the rectangles
    double excess = 0.0;  // m² beyond the footprint
};

Strip MakeStrip(const Polygon& polygon, const Box& bounds, double y0, double y1) {
    Strip strip{y0, y1, {}, 0.0, 0.0};
    MultiPolygon pieces;
    const double left = bounds.min_corner().x() - 1.0, right = bounds.max_corner().x() + 1.0;
    bg::intersection(polygon, Box(Point(left, y0), Point(right, y1)), pieces);
    std::vector<std::pair<double, double>> stretches;
    double inside = 0.0;
    for (const Polygon& piece : pieces) {
        const double a = bg::area(piece);
        if (a <= 0.0) continue;
        inside += a;
        Box envelope;
        bg::envelope(piece, envelope);
        stretches.emplace_back(envelope.min_corner().x(), envelope.max_corner().x());
    }
    std::sort(stretches.begin(), stretches.end());
    for (const auto& s : stretches) {
        if (!strip.stretches.empty() && s.first <= strip.stretches.back().second)
            strip.stretches.back().second = std::max(strip.stretches.back().second, s.second);
        else
            strip.stretches.push_back(s);
    }
    for (const auto& [xa, xb] : strip.stretches)
        strip.area += (xb - xa) * (y1 - y0);
    strip.excess = std::max(0.0, strip.area - inside);
    return strip;
}

// Strips across the footprint, the one that covers the most beyond it halved until the excess of all of
// them is within the limit: thin where the outline runs across the strips, wide where it runs along them.
void CoverWithStrips(const FootprintRings& rings, double angle, RoofCover& cover) {
    cover.strips = true;
    const Turn turn = TurnBy(-angle);
    const Turn back = turn.Back();
    const Polygon polygon = ToPolygon(rings, turn);
    Box bounds;
    bg::envelope(polygon.outer(), bounds);
    const double allowed = cover.footprintArea * kStripExcessLimit;
    std::vector<Strip> strips;
    try {
        strips.push_back(MakeStrip(polygon, bounds, bounds.min_corner().y(), bounds.max_corner().y()));
        double excess = strips.front().excess;
        while (excess > allowed && static_cast<int>(strips.size()) < kMaxStrips) {
            const auto worst =
                std::max_element(strips.begin(), strips.end(),
                                 [](const Strip& a, const Strip& b) { return a.excess < b.excess; });
            const double y0 = worst->y0, y1 = worst->y1, middle = 0.5 * (y0 + y1);
            excess -= worst->excess;
            *worst = MakeStrip(polygon, bounds, y0, middle);
            excess += worst->excess;
            // The new strip may move the others: `worst` is not used after it.
            strips.push_back(MakeStrip(polygon, bounds, middle, y1));
            excess += strips.back().excess;
        }
    } catch (const std::exception&) {
        // Rings the polygon library cannot intersect: the whole footprint's bounding rectangle.
        const Box& b = bounds;
        strips = {Strip{
            b.min_corner().y(), b.max_corner().y(), {{b.min_corner().x(), b.max_corner().x()}}, 0.0, 0.0}};
        strips.front().area =
            (b.max_corner().x() - b.min_corner().x()) * (b.max_corner().y() - b.min_corner().y());
    }
    std::sort(strips.begin(), strips.end(), [](const Strip& a, const Strip& b) { return a.y0 < b.y0; });
    for (const Strip& strip : strips) {
        for (const auto& [xa, xb] : strip.stretches)
            cover.rectangles.push_back(Rectangle(xa, xb, strip.y0, strip.y1, back));
        cover.coveredArea += strip.area;
    }
}

}  // namespace

double PlanRectangle::Area() const {
    return Length(corners[1] - corners[0]) * Length(corners[3] - corners[0]);
}

double FootprintArea(const FootprintRings& rings) {
    double area = 0.0;
    for (std::size_t r = 0; r < rings.size(); ++r) {
        const double a = std::abs(RingArea(Clean(rings[r])));
        area += r == 0 ? a : -a;
    }
    return std::max(0.0, area);
}

bool IsRectilinear(const FootprintRings& rings, double toleranceDegrees) {
    if (rings.empty()) return false;
    const double sinTolerance = std::sin(toleranceDegrees * std::numbers::pi / 180.0);
    const std::vector<CVertex2D> outer = Clean(rings.front());
    if (outer.size() < 4) return false;
    const Turn turn = TurnBy(-LongestEdgeAngle(outer));
    for (const std::vector<CVertex2D>& given : rings) {
        const std::vector<CVertex2D> ring = TurnRing(Corners(Clean(given), sinTolerance), turn);
        if (ring.size() < 4) return false;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const CVertex2D a = ring[i] - ring[(i + ring.size() - 1) % ring.size()];
            const CVertex2D b = ring[(i + 1) % ring.size()] - ring[i];
            const double lb = Length(b);
            if (std::abs(Dot(a, b)) > sinTolerance * Length(a) * lb) return false;
            if (std::min(std::abs(b.x), std::abs(b.y)) > sinTolerance * lb) return false;
        }
    }
    return true;
}

RoofCover CoverFootprint(const FootprintRings& given) {
    RoofCover cover;
    FootprintRings rings;
    for (const std::vector<CVertex2D>& ring : given) {
        std::vector<CVertex2D> clean = Clean(ring);
        if (clean.size() >= 3) rings.push_back(std::move(clean));
    }
    if (rings.empty()) return cover;
    cover.footprintArea = FootprintArea(rings);
    if (!(cover.footprintArea > 0.0)) return cover;
    const double angle = LongestEdgeAngle(rings.front());
    if (IsRectilinear(rings)) {
        const double sinTolerance = std::sin(std::numbers::pi / 180.0);
        FootprintRings corners;
        for (const std::vector<CVertex2D>& ring : rings)
            corners.push_back(Corners(ring, sinTolerance));
        if (SplitRectilinear(corners, angle, cover)) {
            for (const PlanRectangle& r : cover.rectangles)
                cover.coveredArea += r.Area();
            return cover;
        }
        cover.rectangles.clear();
    }
    CoverWithStrips(rings, angle, cover);
    return cover;
}

}  // namespace kelmora
