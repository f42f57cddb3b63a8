#include "view/noisemap/LevelBands.h"

#include <algorithm>
#include <bit>
#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/envelope.hpp>
#include <boost/geometry/algorithms/within.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <cmath>
#include <limits>
#include <numbers>
#include <unordered_map>
#include <unordered_set>

namespace kelmora {

namespace bg = boost::geometry;

namespace {

using Triangle = std::array<std::uint32_t, 3>;

double Cross(const MapPoint& o, const MapPoint& a, const MapPoint& b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

bool SamePoint(const MapPoint& a, const MapPoint& b) {
    return a.x() == b.x() && a.y() == b.y();
}

// The direction of a line on the map as an angle in [0, 180) degrees.
double LineAngle(double dx, double dy) {
    double a = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
    if (a < 0.0) a += 180.0;
    if (a >= 180.0) a -= 180.0;
    return a;
}

// ---------------------------------------------------------------------------------------------------
// Points where the surface crosses a level, computed from the edge's two nodes in one fixed order so
// that the two triangles sharing an edge produce bit-identical points.

class Crossings {
public:
    explicit Crossings(const LevelSurface& s) : s_(s) {}

    MapPoint At(std::uint32_t a, std::uint32_t b, double level) const {
        if (a > b) std::swap(a, b);
        const double fa = s_.levels[a];
        const double fb = s_.levels[b];
        const double t = (level - fa) / (fb - fa);
        const MapPoint& pa = s_.nodes[a];
        const MapPoint& pb = s_.nodes[b];
        if (!(t > 0.0)) return pa;
        if (!(t < 1.0)) return pb;
        return {pa.x() + t * (pb.x() - pa.x()), pa.y() + t * (pb.y() - pa.y())};
    }

private:
    const LevelSurface& s_;
};

// The part of a triangle where lower ≤ level ≤ upper: a convex polygon walked counter-clockwise along
// the triangle's edges, each edge contributing its start (when inside) and its crossings of the two
// limits in order. Fewer than three points when the part has no area.
void ClassPiece(const LevelSurface& s, const Crossings& crossings, const Triangle& t, double lower,
                double upper, std::vector<MapPoint>& piece) {
    piece.clear();
    const auto push = [&piece](const MapPoint& p) {
        if (piece.empty() || !SamePoint(piece.back(), p)) piece.push_back(p);
    };
    for (int e = 0; e < 3; ++e) {
        const std::uint32_t a = t[e];
        const std::uint32_t b = t[(e + 1) % 3];
        const double fa = s.levels[a];
        const double fb = s.levels[b];
        if (fa >= lower && fa <= upper) push(s.nodes[a]);
        // Strict crossings only: a limit reached at a node is that node.
        const bool crossLower = std::isfinite(lower) && (fa - lower) * (fb - lower) < 0.0;
        const bool crossUpper = std::isfinite(upper) && (fa - upper) * (fb - upper) < 0.0;
        if (crossLower && crossUpper) {
            // Rising edges meet the lower limit first, falling ones the upper.
            if (fa < fb) {
                push(crossings.At(a, b, lower));
                push(crossings.At(a, b, upper));
            } else {
                push(crossings.At(a, b, upper));
                push(crossings.At(a, b, lower));
            }
        } else if (crossLower) {
            push(crossings.At(a, b, lower));
        } else if (crossUpper) {
            push(crossings.At(a, b, upper));
        }
    }
    while (piece.size() > 1 && SamePoint(piece.front(), piece.back()))
        piece.pop_back();
}

double RingSignedArea(const std::vector<MapPoint>& ring) {
    double twice = 0.0;
    for (std::size_t i = 0, n = ring.size(); i < n; ++i) {
        const MapPoint& p = ring[i];
        const MapPoint& q = ring[(i + 1) % n];
        twice += p.x() * q.y() - q.x() * p.y();
    }
    return 0.5 * twice;
}

// ---------------------------------------------------------------------------------------------------
// The outline of a set of pieces that tile a region: every edge that two pieces share runs once in each
// direction and cancels; the edges left are the region's border, with the region on their left.

struct PointKey {
    std::uint64_t x;
    std::uint64_t y;
    friend bool operator==(const PointKey&, const PointKey&) = default;
};

struct PointKeyHash {
    std::size_t operator()(const PointKey& k) const {
        return static_cast<std::size_t>(k.x * 0x9E3779B97F4A7C15ull ^
                                        (k.y + 0x632BE59BD9B4E019ull + (k.x << 6)));
    }
};

PointKey KeyOf(const MapPoint& p) {
    // +0.0 and −0.0 are the same point.
    return {std::bit_cast<std::uint64_t>(p.x() + 0.0), std::bit_cast<std::uint64_t>(p.y() + 0.0)};
}

class RegionOutline {
public:
    void AddPiece(const std::vector<MapPoint>& piece) {
        const std::size_t n = piece.size();
        for (std::size_t i = 0; i < n; ++i)
            AddEdge(VertexOf(piece[i]), VertexOf(piece[(i + 1) % n]));
    }

    // The closed rings of the border, open (first point not repeated): counter-clockwise around the
    // region, clockwise around its holes. Where the border touches itself at a point the rings are cut
    // there, so no ring touches itself.
    std::vector<std::vector<MapPoint>> Rings() const {
        std::vector<std::vector<std::uint32_t>> outgoing(points_.size());
        std::vector<std::pair<std::uint32_t, std::uint32_t>> edges;
        edges.reserve(edges_.size());
        for (std::uint64_t e : edges_)
            edges.emplace_back(static_cast<std::uint32_t>(e >> 32), static_cast<std::uint32_t>(e));
        // A fixed order makes the rings independent of the hash table's iteration order.
        std::sort(edges.begin(), edges.end());
        std::unordered_map<std::uint64_t, std::size_t> edgeIndex;
        edgeIndex.reserve(edges.size());
        for (std::size_t i = 0; i < edges.size(); ++i) {
            outgoing[edges[i].first].push_back(edges[i].second);
            edgeIndex[EdgeKey(edges[i].first, edges[i].second)] = i;
        }
        std::vector<bool> used(edges.size(), false);
        std::vector<std::vector<MapPoint>> rings;
        std::vector<std::uint32_t> cycle;
        for (std::size_t start = 0; start < edges.size(); ++start) {
            if (used[start]) continue;
            cycle.clear();
            std::size_t e = start;
            while (!used[e]) {
                used[e] = true;
                const auto [from, to] = edges[e];
                cycle.push_back(from);
                const std::uint32_t next = NextVertex(from, to, outgoing[to]);
                const auto found = edgeIndex.find(EdgeKey(to, next));
                if (found == edgeIndex.end()) break;
                e = found->second;
            }
            SplitAtRepeatedVertices(cycle, outgoing, rings);
        }
        return rings;
    }

private:
    // A cycle that passes a vertex twice — a band that closes around a hole and touches itself there —
    // is cut into loops at that vertex: the outer ring and the ring of the hole, which touch at it.
    void SplitAtRepeatedVertices(const std::vector<std::uint32_t>& cycle,
                                 const std::vector<std::vector<std::uint32_t>>& outgoing,
                                 std::vector<std::vector<MapPoint>>& rings) const {
        std::vector<std::uint32_t> stack;
        std::unordered_map<std::uint32_t, std::size_t> at;
        const auto emit = [&](std::size_t from) {
            if (stack.size() - from >= 3) rings.push_back(RingPoints(stack, from, outgoing));
            for (std::size_t i = from; i < stack.size(); ++i)
                at.erase(stack[i]);
            stack.resize(from);
        };
        for (const std::uint32_t v : cycle) {
            if (const auto seen = at.find(v); seen != at.end()) emit(seen->second);
            at[v] = stack.size();
            stack.push_back(v);
        }
        emit(0);
    }

    // The points of the ring stack[from…]. A vertex where the ring runs straight on is left out (the
    // grid's border nodes between two crossings), unless other border edges meet there: a polygon that
    // touches this one at the vertex must find it as a vertex of both.
    std::vector<MapPoint> RingPoints(const std::vector<std::uint32_t>& stack, std::size_t from,
                                     const std::vector<std::vector<std::uint32_t>>& outgoing) const {
        const std::size_t n = stack.size() - from;
        std::vector<MapPoint> ring;
        ring.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t v = stack[from + i];
            const MapPoint& prev = points_[stack[from + (i + n - 1) % n]];
            const MapPoint& next = points_[stack[from + (i + 1) % n]];
            const MapPoint& p = points_[v];
            const bool straight =
                outgoing[v].size() == 1 && Cross(prev, p, next) == 0.0 &&
                (p.x() - prev.x()) * (next.x() - p.x()) + (p.y() - prev.y()) * (next.y() - p.y()) > 0.0;
            if (!straight) ring.push_back(p);
        }
        return ring;
    }

    static std::uint64_t EdgeKey(std::uint32_t a, std::uint32_t b) { return (std::uint64_t{a} << 32) | b; }

    std::uint32_t VertexOf(const MapPoint& p) {
        const auto [it, added] = ids_.try_emplace(KeyOf(p), static_cast<std::uint32_t>(points_.size()));
        if (added) points_.push_back(p);
        return it->second;
    }

    void AddEdge(std::uint32_t a, std::uint32_t b) {
        if (a == b) return;
        if (edges_.erase(EdgeKey(b, a)) == 0) edges_.insert(EdgeKey(a, b));
    }

    // At the end of an edge from → to, the outgoing edge that turns clockwise least from the way back:
    // it bounds the same corner of the region, which keeps regions that touch at a point apart.
    std::uint32_t NextVertex(std::uint32_t from, std::uint32_t to,
                             const std::vector<std::uint32_t>& out) const {
        if (out.size() == 1) return out.front();
        const MapPoint& v = points_[to];
        const double bx = points_[from].x() - v.x();
        const double by = points_[from].y() - v.y();
        std::uint32_t best = out.empty() ? to : out.front();
        double bestTurn = std::numeric_limits<double>::infinity();
        for (std::uint32_t candidate : out) {
            const double ox = points_[candidate].x() - v.x();
            const double oy = points_[candidate].y() - v.y();
            double turn = -std::atan2(bx * oy - by * ox, bx * ox + by * oy);  // clockwise from the way back
            if (turn <= 0.0) turn += 2.0 * std::numbers::pi;
            if (turn < bestTurn) {
                bestTurn = turn;
                best = candidate;
            }
        }
        return best;
    }

    std::unordered_map<PointKey, std::uint32_t, PointKeyHash> ids_;
    std::vector<MapPoint> points_;
    std::unordered_set<std::uint64_t> edges_;
};

MapRing ClosedRing(const std::vector<MapPoint>& open) {
    MapRing ring(open.begin(), open.end());
    ring.push_back(open.front());
    return ring;
}

// Outer rings (counter-clockwise) become polygons; each hole (clockwise) goes into the smallest outer
// ring around it.
MapMultiPolygon AssemblePolygons(std::vector<std::vector<MapPoint>> rings) {
    struct Outer {
        MapPolygon polygon;
        bg::model::box<MapPoint> box;
        double area;
    };
    std::vector<Outer> outers;
    std::vector<std::vector<MapPoint>> holes;
    for (std::vector<MapPoint>& ring : rings) {
        if (ring.size() < 3) continue;
        const double area = RingSignedArea(ring);
        if (area > 0.0) {
            Outer outer{MapPolygon{}, {}, area};
            outer.polygon.outer() = ClosedRing(ring);
            bg::envelope(outer.polygon, outer.box);
            outers.push_back(std::move(outer));
        } else if (area < 0.0) {
            holes.push_back(std::move(ring));
        }
    }
    std::sort(outers.begin(), outers.end(), [](const Outer& a, const Outer& b) { return a.area < b.area; });
    for (const std::vector<MapPoint>& hole : holes) {
        // The middle of an edge of the hole lies inside its outer ring, never on another border.
        const MapPoint probe{0.5 * (hole[0].x() + hole[1].x()), 0.5 * (hole[0].y() + hole[1].y())};
        for (Outer& outer : outers) {
            if (!bg::covered_by(probe, outer.box)) continue;
            if (!bg::within(probe, outer.polygon.outer())) continue;
            outer.polygon.inners().push_back(ClosedRing(hole));
            break;
        }
    }
    MapMultiPolygon out;
    out.reserve(outers.size());
    for (Outer& outer : outers)
        out.push_back(std::move(outer.polygon));
    return out;
}

// ---------------------------------------------------------------------------------------------------
// Iso-line segments joined into lines.

class LineJoiner {
public:
    void AddSegment(const MapPoint& a, const MapPoint& b) {
        if (SamePoint(a, b)) return;
        std::uint32_t ia = VertexOf(a);
        std::uint32_t ib = VertexOf(b);
        // A limit that runs along an edge shared by two triangles yields that edge twice.
        const std::uint64_t key = ia < ib ? (std::uint64_t{ia} << 32) | ib : (std::uint64_t{ib} << 32) | ia;
        if (!seen_.insert(key).second) return;
        const auto s = static_cast<std::uint32_t>(segments_.size());
        segments_.emplace_back(ia, ib);
        links_[ia].push_back(s);
        links_[ib].push_back(s);
    }

    std::vector<MapLine> Lines() const {
        std::vector<bool> used(segments_.size(), false);
        std::vector<MapLine> lines;
        // Open lines first, from their ends (points with one segment), then the closed loops.
        for (int pass = 0; pass < 2; ++pass) {
            for (std::uint32_t v = 0; v < points_.size(); ++v) {
                if (pass == 0 && links_[v].size() != 1) continue;
                for (std::uint32_t s : links_[v]) {
                    if (!used[s]) lines.push_back(Walk(v, s, used));
                }
            }
        }
        return lines;
    }

private:
    std::uint32_t VertexOf(const MapPoint& p) {
        const auto [it, added] = ids_.try_emplace(KeyOf(p), static_cast<std::uint32_t>(points_.size()));
        if (added) {
            points_.push_back(p);
            links_.emplace_back();
        }
        return it->second;
    }

    MapLine Walk(std::uint32_t v, std::uint32_t s, std::vector<bool>& used) const {
        MapLine line{points_[v]};
        for (;;) {
            used[s] = true;
            const auto [a, b] = segments_[s];
            v = a == v ? b : a;
            line.push_back(points_[v]);
            const auto next = std::find_if(links_[v].begin(), links_[v].end(),
                                           [&used](std::uint32_t t) { return !used[t]; });
            if (next == links_[v].end()) return line;
            s = *next;
        }
    }

    std::unordered_map<PointKey, std::uint32_t, PointKeyHash> ids_;
    std::vector<MapPoint> points_;
    std::vector<std::vector<std::uint32_t>> links_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> segments_;
    std::unordered_set<std::uint64_t> seen_;
};

}  // namespace

LevelSurface TriangulateGrid(std::span<const MapPoint> nodes, std::span<const double> levels, int columns,
                             int rows) {
    LevelSurface s;
    s.nodes.assign(nodes.begin(), nodes.end());
    s.levels.assign(levels.begin(), levels.end());
    if (columns < 2 || rows < 2 || nodes.size() != levels.size() ||
        nodes.size() != static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) ||
        nodes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return s;
    }
    const auto at = [rows](int c, int r) {
        return static_cast<std::uint32_t>(static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) +
                                          static_cast<std::size_t>(r));
    };
    // One step along a row (u) and along a column (v), averaged over the grid.
    const MapPoint& origin = s.nodes[at(0, 0)];
    const MapPoint& rowEnd = s.nodes[at(columns - 1, 0)];
    const MapPoint& columnEnd = s.nodes[at(0, rows - 1)];
    const double ux = (rowEnd.x() - origin.x()) / (columns - 1);
    const double uy = (rowEnd.y() - origin.y()) / (columns - 1);
    const double vx = (columnEnd.x() - origin.x()) / (rows - 1);
    const double vy = (columnEnd.y() - origin.y()) / (rows - 1);
    // Diagonal (c, r)–(c+1, r+1) runs along u + v, the other along u − v. Of the two, the one nearer to
    // 45° on the map; on a tie the flatter one.
    const double anglePlus = LineAngle(ux + vx, uy + vy);
    const double angleMinus = LineAngle(ux - vx, uy - vy);
    const double offPlus = std::fabs(anglePlus - 45.0);
    const double offMinus = std::fabs(angleMinus - 45.0);
    const bool alongPlus = offPlus < offMinus || (offPlus == offMinus && anglePlus <= angleMinus);

    const auto add = [&s](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        if (std::isnan(s.levels[a]) || std::isnan(s.levels[b]) || std::isnan(s.levels[c])) return;
        const double twiceArea = Cross(s.nodes[a], s.nodes[b], s.nodes[c]);
        if (!std::isfinite(twiceArea) || twiceArea == 0.0) return;
        if (twiceArea > 0.0)
            s.triangles.push_back({a, b, c});
        else
            s.triangles.push_back({a, c, b});
    };
    s.triangles.reserve(2 * static_cast<std::size_t>(columns - 1) * static_cast<std::size_t>(rows - 1));
    for (int c = 0; c + 1 < columns; ++c) {
        for (int r = 0; r + 1 < rows; ++r) {
            const std::uint32_t n00 = at(c, r), n10 = at(c + 1, r), n11 = at(c + 1, r + 1),
                                n01 = at(c, r + 1);
            if (alongPlus) {
                add(n00, n10, n11);
                add(n00, n11, n01);
            } else {
                add(n00, n10, n01);
                add(n10, n11, n01);
            }
        }
    }
    return s;
}

double SurfaceArea(const LevelSurface& surface) {
    double area = 0.0;
    for (const Triangle& t : surface.triangles)
        area += 0.5 * Cross(surface.nodes[t[0]], surface.nodes[t[1]], surface.nodes[t[2]]);
    return area;
}

double BandArea(const LevelBand& band) {
    double area = 0.0;
    for (const MapPolygon& polygon : band.area) {
        // Closed rings: the repeated last point adds nothing to the sum.
        area += RingSignedArea({polygon.outer().begin(), polygon.outer().end()});
        for (const MapRing& hole : polygon.inners())
            area += RingSignedArea({hole.begin(), hole.end()});
    }
    return area;
}

std::vector<LevelBand> BuildLevelBands(const LevelSurface& surface, const LevelClasses& classes) {
    const std::size_t classCount = classes.ClassCount();
    std::vector<RegionOutline> outlines(classCount);
    const Crossings crossings(surface);
    std::vector<MapPoint> piece;
    for (const Triangle& t : surface.triangles) {
        const double f0 = surface.levels[t[0]], f1 = surface.levels[t[1]], f2 = surface.levels[t[2]];
        const std::size_t lowest = classes.ClassOf(std::min({f0, f1, f2}));
        const std::size_t highest = classes.ClassOf(std::max({f0, f1, f2}));
        for (std::size_t k = lowest; k <= highest; ++k) {
            ClassPiece(surface, crossings, t, classes.Lower(k), classes.Upper(k), piece);
            if (piece.size() >= 3 && RingSignedArea(piece) > 0.0) outlines[k].AddPiece(piece);
        }
    }
    std::vector<LevelBand> bands;
    bands.reserve(classCount);
    for (std::size_t k = 0; k < classCount; ++k)
        bands.push_back({k, classes.Lower(k), classes.Upper(k), AssemblePolygons(outlines[k].Rings())});
    return bands;
}

std::vector<IsoLine> BuildIsoLines(const LevelSurface& surface, const LevelClasses& classes) {
    const Crossings crossings(surface);
    std::vector<IsoLine> out;
    out.reserve(classes.limits.size());
    for (const double level : classes.limits) {
        LineJoiner joiner;
        for (const Triangle& t : surface.triangles) {
            // Corners at or above the limit against those below it; an edge between the two kinds
            // holds one point of the line.
            MapPoint ends[2];
            int found = 0;
            for (int e = 0; e < 3 && found < 2; ++e) {
                const std::uint32_t a = t[e];
                const std::uint32_t b = t[(e + 1) % 3];
                if ((surface.levels[a] >= level) != (surface.levels[b] >= level))
                    ends[found++] = crossings.At(a, b, level);
            }
            if (found == 2) joiner.AddSegment(ends[0], ends[1]);
        }
        out.push_back({level, joiner.Lines()});
    }
    return out;
}

}  // namespace kelmora
