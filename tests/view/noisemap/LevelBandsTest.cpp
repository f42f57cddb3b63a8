// Level bands and iso-lines against grids whose bands are known by hand, and against an independent
// check of random grids: the level interpolated at sample points inside each band lies in its class.
#include <gtest/gtest.h>

#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/is_valid.hpp>
#include <boost/geometry/algorithms/within.hpp>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <random>

#include "view/noisemap/LevelBands.h"

namespace kelmora {
namespace {

namespace bg = boost::geometry;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A grid of columns × rows nodes at (x0 + c·dx, y0 + r·dy) in generated order (columns of rows) with
// the level f(x, y).
struct TestGrid {
    int columns = 0;
    int rows = 0;
    std::vector<MapPoint> nodes;
    std::vector<double> levels;

    LevelSurface Surface() const { return TriangulateGrid(nodes, levels, columns, rows); }
};

TestGrid MakeGrid(int columns, int rows, double x0, double y0, double dx, double dy,
                  const std::function<double(double, double)>& f) {
    TestGrid g{columns, rows, {}, {}};
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const double x = x0 + c * dx;
            const double y = y0 + r * dy;
            g.nodes.emplace_back(x, y);
            g.levels.push_back(f(x, y));
        }
    }
    return g;
}

// Measured by the polygon library, independently of the band builder.
double AreaOf(const LevelBand& band) {
    return bg::area(band.area);
}

int HoleCount(const LevelBand& band) {
    int n = 0;
    for (const MapPolygon& p : band.area)
        n += static_cast<int>(p.inners().size());
    return n;
}

// The level of the piecewise-linear surface at p: on the triangle that holds p (all three edges turn
// left towards it), from the plane through the triangle's corners lifted to their levels.
std::optional<double> LevelOnTriangles(const LevelSurface& s, const MapPoint& p) {
    const auto left = [](const MapPoint& a, const MapPoint& b, const MapPoint& q) {
        return (b.x() - a.x()) * (q.y() - a.y()) - (b.y() - a.y()) * (q.x() - a.x()) >= -1e-12;
    };
    for (const auto& t : s.triangles) {
        const MapPoint& a = s.nodes[t[0]];
        const MapPoint& b = s.nodes[t[1]];
        const MapPoint& c = s.nodes[t[2]];
        if (!left(a, b, p) || !left(b, c, p) || !left(c, a, p)) continue;
        // Normal of the lifted plane: (b − a) × (c − a) in (x, y, level).
        const double ux = b.x() - a.x(), uy = b.y() - a.y(), uf = s.levels[t[1]] - s.levels[t[0]];
        const double vx = c.x() - a.x(), vy = c.y() - a.y(), vf = s.levels[t[2]] - s.levels[t[0]];
        const double nx = uy * vf - uf * vy, ny = uf * vx - ux * vf, nf = ux * vy - uy * vx;
        return s.levels[t[0]] - (nx * (p.x() - a.x()) + ny * (p.y() - a.y())) / nf;
    }
    return std::nullopt;
}

double TotalAreaOf(const std::vector<LevelBand>& bands) {
    double total = 0.0;
    for (const LevelBand& band : bands)
        total += AreaOf(band);
    return total;
}

// ---------------------------------------------------------------------------------------------------

TEST(LevelBands, PlaneGivesStraightParallelBandEdgesAtTheInterpolatedLevels) {
    // 30 dB at x = 0 rising 2 dB/m to 50 dB at x = 10, over 0 ≤ y ≤ 4: the limits 35, 40, 45 dB lie at
    // x = 2.5, 5 and 7.5 m.
    const TestGrid g = MakeGrid(11, 5, 0, 0, 1, 1, [](double x, double) { return 30 + 2 * x; });
    const LevelSurface surface = g.Surface();
    const std::vector<LevelBand> bands = BuildLevelBands(surface, EvenClasses(35, 5, 3));
    ASSERT_EQ(bands.size(), 4u);
    const double edges[] = {0, 2.5, 5, 7.5, 10};
    for (std::size_t k = 0; k < bands.size(); ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(bands[k].area.size(), 1u);
        EXPECT_EQ(HoleCount(bands[k]), 0);
        EXPECT_NEAR(AreaOf(bands[k]), 2.5 * 4, 1e-9);
        // A rectangle: every corner on one of the band's two edges, at the bottom or the top.
        const MapRing& ring = bands[k].area[0].outer();
        EXPECT_EQ(ring.size(), 5u);  // four corners, closed
        for (const MapPoint& p : ring) {
            EXPECT_TRUE(std::fabs(p.x() - edges[k]) < 1e-12 || std::fabs(p.x() - edges[k + 1]) < 1e-12)
                << p.x();
            EXPECT_TRUE(p.y() == 0.0 || p.y() == 4.0) << p.y();
        }
    }
    const std::vector<IsoLine> iso = BuildIsoLines(surface, EvenClasses(35, 5, 3));
    ASSERT_EQ(iso.size(), 3u);
    for (std::size_t i = 0; i < iso.size(); ++i) {
        ASSERT_EQ(iso[i].lines.size(), 1u);
        for (const MapPoint& p : iso[i].lines[0])
            EXPECT_NEAR(p.x(), edges[i + 1], 1e-12);
        // Between two columns a line has a point on each of the five row edges and four diagonals it
        // crosses; the 40 dB line runs along the column at x = 5 through its five nodes.
        EXPECT_EQ(iso[i].lines[0].size(), i == 1 ? 5u : 9u);
    }
}

TEST(LevelBands, ObliquePlaneOnARotatedGridHasEveryBandVertexOnALimitOrOnTheBorder) {
    // Nodes of a grid turned by 30°, the level rising along another direction.
    const double cs = std::cos(M_PI / 6), sn = std::sin(M_PI / 6);
    TestGrid g{9, 7, {}, {}};
    const auto level = [](double x, double y) { return 40 + 1.5 * x - 2.25 * y; };
    for (int c = 0; c < g.columns; ++c) {
        for (int r = 0; r < g.rows; ++r) {
            const double x = 3 + 2 * (c * cs - r * sn);
            const double y = -1 + 2 * (c * sn + r * cs);
            g.nodes.emplace_back(x, y);
            g.levels.push_back(level(x, y));
        }
    }
    const LevelSurface surface = g.Surface();
    const LevelClasses classes = EvenClasses(20, 4, 12);
    const std::vector<LevelBand> bands = BuildLevelBands(surface, classes);
    EXPECT_NEAR(TotalAreaOf(bands), SurfaceArea(surface), 1e-9);
    EXPECT_NEAR(SurfaceArea(surface), 16 * 12, 1e-9);
    for (const LevelBand& band : bands) {
        EXPECT_LE(band.area.size(), 1u);  // a plane's band over a convex grid is one convex piece
        for (const MapPolygon& polygon : band.area) {
            for (const MapPoint& p : polygon.outer()) {
                const double f = level(p.x(), p.y());
                const bool onLimit = std::fabs(f - band.lower) < 1e-9 || std::fabs(f - band.upper) < 1e-9;
                // On the border: along a row or a column through the grid's outer nodes.
                const double u = ((p.x() - 3) * cs + (p.y() + 1) * sn) / 2;
                const double v = (-(p.x() - 3) * sn + (p.y() + 1) * cs) / 2;
                const bool onBorder = std::fabs(u) < 1e-9 || std::fabs(u - 8) < 1e-9 || std::fabs(v) < 1e-9 ||
                                      std::fabs(v - 6) < 1e-9;
                EXPECT_TRUE(onLimit || onBorder) << p.x() << " " << p.y() << " level " << f;
            }
        }
    }
}

TEST(LevelBands, SinglePeakGivesNestedRingsAndCornerPiecesThatTouchOnlyAtPoints) {
    // 60 − 4·(|x| + |y|) over −5 … 5: linear in each quadrant, so the triangles carry it exactly. Its
    // level lines are diamonds |x| + |y| = (60 − L)/4: 1.25, 2.5, 3.75 and 5 m for 55, 50, 45 and 40 dB.
    // The 35 dB diamond (6.25 m) leaves the grid: the band from 35 to 40 dB falls into four corner
    // pieces, each touching the next only at the middle of a grid side.
    const TestGrid g = MakeGrid(11, 11, -5, -5, 1, 1,
                                [](double x, double y) { return 60 - 4 * (std::fabs(x) + std::fabs(y)); });
    const std::vector<LevelBand> bands = BuildLevelBands(g.Surface(), EvenClasses(35, 5, 5));
    ASSERT_EQ(bands.size(), 6u);
    const auto diamond = [](double d) { return 2 * d * d; };
    const struct {
        std::size_t polygons;
        int holes;
        double area;
    } expected[] = {
        {4, 0, 4 * 3.75 * 3.75 / 2},           // < 35: the four corners
        {4, 0, 4 * (12.5 - 3.75 * 3.75 / 2)},  // 35–40
        {1, 1, diamond(5) - diamond(3.75)},    // 40–45: a ring whose corners touch the border
        {1, 1, diamond(3.75) - diamond(2.5)},  // 45–50
        {1, 1, diamond(2.5) - diamond(1.25)},  // 50–55
        {1, 0, diamond(1.25)},                 // ≥ 55: the top
    };
    for (std::size_t k = 0; k < bands.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(bands[k].area.size(), expected[k].polygons);
        EXPECT_EQ(HoleCount(bands[k]), expected[k].holes);
        EXPECT_NEAR(AreaOf(bands[k]), expected[k].area, 1e-9);
        std::string why;
        EXPECT_TRUE(bg::is_valid(bands[k].area, why)) << why;
    }
    EXPECT_NEAR(TotalAreaOf(bands), 100.0, 1e-9);
    // The peak lies inside the top band and inside the hole of every ring around it.
    const MapPoint peak(0.1, 0.1);
    EXPECT_TRUE(bg::within(peak, bands[5].area));
    for (std::size_t k = 2; k < 5; ++k)
        EXPECT_FALSE(bg::within(peak, bands[k].area));
}

// The same grid listed in another order: columns reversed, rows reversed, or rows first.
TestGrid Relisted(const TestGrid& g, bool reverseColumns, bool reverseRows, bool transpose) {
    TestGrid out;
    out.columns = transpose ? g.rows : g.columns;
    out.rows = transpose ? g.columns : g.rows;
    for (int c = 0; c < out.columns; ++c) {
        for (int r = 0; r < out.rows; ++r) {
            int gc = transpose ? r : c;
            int gr = transpose ? c : r;
            if (reverseColumns) gc = g.columns - 1 - gc;
            if (reverseRows) gr = g.rows - 1 - gr;
            const std::size_t i = static_cast<std::size_t>(gc) * g.rows + gr;
            out.nodes.push_back(g.nodes[i]);
            out.levels.push_back(g.levels[i]);
        }
    }
    return out;
}

TEST(LevelBands, SaddleHasTheSameTopologyWhicheverWayTheGridIsListed) {
    // One cell, 40 dB at two opposite corners and 60 dB at the other two: on the diagonal through the
    // 40 dB corners the low band runs across the cell in one piece and the high band is two corners.
    const TestGrid saddle{2, 2, {{0, 0}, {0, 1}, {1, 0}, {1, 1}}, {40, 60, 60, 40}};
    // A larger one: 50 + 3·x·y around the middle of a 7 × 5 grid.
    const TestGrid wide = MakeGrid(7, 5, -3, -2, 1, 1, [](double x, double y) { return 50 + 3 * x * y; });
    for (const TestGrid* grid : {&saddle, &wide}) {
        const LevelClasses classes = EvenClasses(35, 5, 6);
        const std::vector<LevelBand> reference = BuildLevelBands(grid->Surface(), classes);
        for (int order = 1; order < 8; ++order) {
            SCOPED_TRACE(order);
            const TestGrid relisted = Relisted(*grid, order & 1, order & 2, order & 4);
            const std::vector<LevelBand> bands = BuildLevelBands(relisted.Surface(), classes);
            ASSERT_EQ(bands.size(), reference.size());
            for (std::size_t k = 0; k < bands.size(); ++k) {
                EXPECT_EQ(bands[k].area.size(), reference[k].area.size()) << "class " << k;
                EXPECT_EQ(HoleCount(bands[k]), HoleCount(reference[k])) << "class " << k;
                EXPECT_NEAR(AreaOf(bands[k]), AreaOf(reference[k]), 1e-9) << "class " << k;
            }
        }
    }
    const std::vector<LevelBand> bands = BuildLevelBands(saddle.Surface(), EvenClasses(50, 5, 1));
    EXPECT_EQ(bands[0].area.size(), 1u);  // below 50 dB: one piece along the diagonal
    EXPECT_NEAR(AreaOf(bands[0]), 0.75, 1e-12);
    EXPECT_EQ(bands[1].area.size(), 2u);  // at or above: the two 60 dB corners, 1/8 m² each
    EXPECT_NEAR(AreaOf(bands[1]), 0.25, 1e-12);
}

TEST(LevelBands, NodesWithoutAResultLeaveTheirTrianglesOut) {
    // 5 × 5 nodes at 50 dB; the middle node has no result. The six triangles around it (3 m²) are a
    // hole in the one band; a missing corner node takes one or two triangles off the border.
    TestGrid g = MakeGrid(5, 5, 0, 0, 1, 1, [](double, double) { return 52.0; });
    g.levels[2 * 5 + 2] = kNaN;
    const LevelSurface surface = g.Surface();
    EXPECT_NEAR(SurfaceArea(surface), 16 - 3, 1e-12);
    std::vector<LevelBand> bands = BuildLevelBands(surface, EvenClasses(35, 5, 10));
    EXPECT_NEAR(TotalAreaOf(bands), 13, 1e-12);
    const LevelBand& band = bands[4];  // 50–55
    ASSERT_EQ(band.area.size(), 1u);
    EXPECT_EQ(HoleCount(band), 1);
    for (const LevelBand& b : bands)
        EXPECT_FALSE(bg::covered_by(MapPoint(2.0, 2.0), b.area)) << b.classIndex;
    EXPECT_FALSE(bg::within(MapPoint(2.4, 2.6), band.area));  // inside the hexagon
    EXPECT_TRUE(bg::within(MapPoint(1.3, 2.6), band.area));   // beside it

    g.levels[0] = kNaN;
    g.levels[4 * 5 + 4] = kNaN;
    const LevelSurface cornersGone = g.Surface();
    // The diagonal runs through (0, 0) and (4, 4): two triangles go at each of those corners.
    EXPECT_NEAR(SurfaceArea(cornersGone), 13 - 2, 1e-12);
    EXPECT_NEAR(TotalAreaOf(BuildLevelBands(cornersGone, EvenClasses(35, 5, 10))), 11, 1e-12);
    // Iso-lines do not cross the hole: no point of any line inside the hexagon.
    g = MakeGrid(5, 5, 0, 0, 1, 1, [](double x, double) { return 40 + 5 * x; });
    g.levels[2 * 5 + 2] = kNaN;
    MapPolygon hexagon;
    hexagon.outer() = {{1, 1}, {2, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 2}, {1, 1}};
    int points = 0;
    for (const IsoLine& iso : BuildIsoLines(g.Surface(), EvenClasses(42.5, 5, 3))) {
        for (const MapLine& line : iso.lines) {
            for (const MapPoint& p : line) {
                EXPECT_FALSE(bg::within(p, hexagon)) << p.x() << " " << p.y();
                ++points;
            }
        }
    }
    EXPECT_GT(points, 20);
}

TEST(LevelBands, BandsThatTouchAtANodeOnALimitStayValidPolygons) {
    // Levels on whole multiples of 5 dB put nodes exactly on limits. Here the 45 dB node at (1, 2) is
    // where two pieces of the 40–45 dB band touch, one of them running straight through it: it stays a
    // vertex of both, so they touch at a shared point and do not overlap.
    const double rowsTopDown[4][4] = {{30, 50, 40, 30}, {30, 45, 45, 50}, {50, 40, 45, 50}, {50, 35, 30, 30}};
    TestGrid g{4, 4, {}, {}};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            g.nodes.emplace_back(c, r);
            g.levels.push_back(rowsTopDown[3 - r][c]);
        }
    }
    const LevelSurface surface = g.Surface();
    const std::vector<LevelBand> bands = BuildLevelBands(surface, EvenClasses(35, 5, 10));
    for (const LevelBand& band : bands) {
        std::string why;
        EXPECT_TRUE(bg::is_valid(band.area, why)) << "class " << band.classIndex << ": " << why;
    }
    EXPECT_EQ(bands[2].area.size(), 2u);
    EXPECT_NEAR(TotalAreaOf(bands), 9.0, 1e-12);
}

TEST(LevelBands, GridsTooSmallOrWithoutResultsGiveNoBands) {
    const TestGrid line = MakeGrid(5, 1, 0, 0, 1, 1, [](double x, double) { return 50 + x; });
    EXPECT_TRUE(line.Surface().triangles.empty());
    TestGrid empty = MakeGrid(3, 3, 0, 0, 1, 1, [](double, double) { return kNaN; });
    for (const LevelBand& band : BuildLevelBands(empty.Surface(), EvenClasses(35, 5, 10)))
        EXPECT_TRUE(band.area.empty());
    // All nodes on one point: no triangle has an area.
    TestGrid collapsed = MakeGrid(3, 3, 1, 1, 0, 0, [](double, double) { return 50; });
    EXPECT_TRUE(collapsed.Surface().triangles.empty());
}

// ---------------------------------------------------------------------------------------------------
// Random grids: every sample point inside a band has a level (interpolated on the same triangles) in
// the band's class, the bands cover the surface once, and their polygons are valid.

struct RandomCase {
    unsigned seed;
    bool quantised;  // levels on whole multiples of 5 dB: many nodes and edges exactly on a limit
    bool holes;
};

class RandomGridBands : public testing::TestWithParam<RandomCase> {};

TEST_P(RandomGridBands, SamplesInsideEachBandLieInItsClass) {
    const RandomCase param = GetParam();
    std::mt19937 random(param.seed);
    std::uniform_real_distribution<double> level(30.0, 85.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // A skewed grid, as a calibration with a turned picture would make it.
    TestGrid g{17, 12, {}, {}};
    for (int c = 0; c < g.columns; ++c) {
        for (int r = 0; r < g.rows; ++r) {
            g.nodes.emplace_back(10 + 3.0 * c - 0.8 * r, -5 + 0.6 * c + 2.5 * r);
            double f = level(random);
            if (param.quantised) f = 5 * std::round(f / 5);
            if (param.holes && unit(random) < 0.08) f = kNaN;
            g.levels.push_back(f);
        }
    }
    const LevelSurface surface = g.Surface();
    const LevelClasses classes = EvenClasses(35, 5, 10);
    const std::vector<LevelBand> bands = BuildLevelBands(surface, classes);
    EXPECT_NEAR(TotalAreaOf(bands), SurfaceArea(surface), 1e-9 * SurfaceArea(surface));
    for (const LevelBand& band : bands) {
        std::string why;
        EXPECT_TRUE(bg::is_valid(band.area, why)) << "class " << band.classIndex << ": " << why;
    }
    std::uniform_real_distribution<double> sx(-5.0, 65.0), sy(-10.0, 35.0);
    int inside = 0;
    for (int i = 0; i < 4000; ++i) {
        const MapPoint p(sx(random), sy(random));
        const std::optional<double> f = LevelOnTriangles(surface, p);
        int containing = 0;
        for (const LevelBand& band : bands) {
            if (!bg::within(p, band.area)) continue;
            ++containing;
            ASSERT_TRUE(f.has_value()) << "a band outside the surface at " << p.x() << " " << p.y();
            EXPECT_GE(*f, band.lower - 1e-9) << p.x() << " " << p.y();
            EXPECT_LE(*f, band.upper + 1e-9) << p.x() << " " << p.y();
        }
        EXPECT_LE(containing, 1) << p.x() << " " << p.y();
        if (f && containing == 1) ++inside;
        // A point of the surface away from every limit lies in exactly one band.
        if (f) {
            double nearest = std::numeric_limits<double>::infinity();
            for (const double limit : classes.limits)
                nearest = std::min(nearest, std::fabs(*f - limit));
            if (nearest > 1e-6) {
                EXPECT_EQ(containing, 1) << p.x() << " " << p.y() << " level " << *f;
            }
        }
    }
    EXPECT_GT(inside, 1000);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomGridBands,
                         testing::Values(RandomCase{1, false, false}, RandomCase{2, false, true},
                                         RandomCase{3, true, false}, RandomCase{4, true, true},
                                         RandomCase{5, false, true}, RandomCase{6, true, true}));

TEST(IsoLines, LieOnTheBorderBetweenTheClassesBelowAndAboveTheirLimit) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> level(40.0, 60.0);
    TestGrid g = MakeGrid(12, 9, 0, 0, 2, 2, [&](double, double) { return level(random); });
    const LevelSurface surface = g.Surface();
    const LevelClasses classes = EvenClasses(45, 5, 3);
    for (const IsoLine& iso : BuildIsoLines(surface, classes)) {
        EXPECT_FALSE(iso.lines.empty());
        for (const MapLine& line : iso.lines) {
            EXPECT_GE(line.size(), 2u);
            for (const MapPoint& p : line) {
                const std::optional<double> f = LevelOnTriangles(surface, p);
                ASSERT_TRUE(f.has_value());
                EXPECT_NEAR(*f, iso.level, 1e-9);
            }
        }
    }
}

}  // namespace
}  // namespace kelmora
