// Roof rectangles over footprints: rectilinear footprints split exactly, the others covered by strips
// along their longest edge within 1 % of their area.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "importing/FootprintRoofs.h"

namespace kelmora {
namespace {

std::vector<CVertex2D> Turned(std::vector<CVertex2D> ring, double degrees, CVertex2D shift = {}) {
    const double a = degrees * std::numbers::pi / 180.0;
    for (CVertex2D& p : ring)
        p = CVertex2D{p.x * std::cos(a) - p.y * std::sin(a), p.x * std::sin(a) + p.y * std::cos(a)} + shift;
    return ring;
}

double SumOfAreas(const RoofCover& cover) {
    double sum = 0.0;
    for (const PlanRectangle& r : cover.rectangles)
        sum += r.Area();
    return sum;
}

// Every corner of every rectangle lies within the footprint or on its outline, checked by the winding of
// the footprint's outer ring (the cases here have no holes).
bool InsideOrOn(const std::vector<CVertex2D>& ring, const CVertex2D& p) {
    double winding = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const CVertex2D a = ring[i] - p, b = ring[(i + 1) % ring.size()] - p;
        if (std::abs(Cross(a, b)) < 1e-7 && Dot(a, b) <= 1e-7) return true;  // on an edge
        winding += std::atan2(Cross(a, b), Dot(a, b));
    }
    return std::abs(winding) > std::numbers::pi;
}

// An L of 30 × 10 m with a 10 × 20 m arm: 500 m².
const std::vector<CVertex2D> kL{{0, 0}, {30, 0}, {30, 10}, {10, 10}, {10, 30}, {0, 30}};

TEST(FootprintRoofs, RectilinearFootprintsSplitExactly) {
    struct Case {
        const char* name;
        FootprintRings rings;
        double area;
    };
    const Case cases[] = {
        {"L", {kL}, 500.0},
        {"L clockwise", {{kL.rbegin(), kL.rend()}}, 500.0},
        {"L turned 30° far from the origin", {Turned(kL, 30.0, {-12345.6, 35000.0})}, 500.0},
        {"L with a vertex on a straight edge",
         {{{0, 0}, {15, 0}, {30, 0}, {30, 10}, {10, 10}, {10, 30}, {0, 30}}},
         500.0},
        {"square with a courtyard",
         {{{0, 0}, {20, 0}, {20, 20}, {0, 20}}, {{5, 5}, {15, 5}, {15, 15}, {5, 15}}},
         300.0},
        {"U", {{{0, 0}, {30, 0}, {30, 20}, {20, 20}, {20, 10}, {10, 10}, {10, 20}, {0, 20}}}, 500.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(IsRectilinear(c.rings));
        const RoofCover cover = CoverFootprint(c.rings);
        EXPECT_FALSE(cover.strips);
        EXPECT_NEAR(cover.footprintArea, c.area, 1e-6);
        // The roofs' area equals the footprint's, and no roof reaches outside it.
        EXPECT_NEAR(SumOfAreas(cover), c.area, 1e-6);
        EXPECT_NEAR(cover.coveredArea, c.area, 1e-6);
        for (const PlanRectangle& r : cover.rectangles)
            for (const CVertex2D& corner : r.corners)
                EXPECT_TRUE(InsideOrOn(c.rings.front(), corner)) << corner.x << " " << corner.y;
    }
    // The L is two rectangles, not the strips of a slab per vertex.
    EXPECT_EQ(CoverFootprint({kL}).rectangles.size(), 2u);
}

TEST(FootprintRoofs, RightAnglesWithinOneDegree) {
    // A rectangle whose corner is pulled so that two of its angles are 90 ± 0.8°: still rectilinear, and its
    // roofs are within a hair of its area. Pulled to ±1.5°: strips.
    auto skewed = [](double degrees) {
        const double dx = 10.0 * std::tan(degrees * std::numbers::pi / 180.0);
        return std::vector<CVertex2D>{{0, 0}, {40, 0}, {40 + dx, 10}, {0, 10}};
    };
    EXPECT_TRUE(IsRectilinear({skewed(0.8)}));
    const RoofCover near = CoverFootprint({skewed(0.8)});
    EXPECT_FALSE(near.strips);
    EXPECT_NEAR(near.coveredArea, near.footprintArea, 0.01 * near.footprintArea);
    EXPECT_FALSE(IsRectilinear({skewed(1.5)}));
    EXPECT_TRUE(CoverFootprint({skewed(1.5)}).strips);
}

TEST(FootprintRoofs, OtherFootprintsAreCoveredByStripsWithinOnePercent) {
    std::vector<CVertex2D> circle;
    for (int i = 0; i < 32; ++i)
        circle.push_back(
            {8.0 * std::cos(i * std::numbers::pi / 16), 8.0 * std::sin(i * std::numbers::pi / 16)});
    struct Case {
        const char* name;
        std::vector<CVertex2D> ring;
    };
    const Case cases[] = {
        {"triangle", {{0, 0}, {40, 0}, {15, 25}}},
        {"triangle turned 17°", Turned({{0, 0}, {40, 0}, {15, 25}}, 17.0, {500, 500})},
        {"tank", circle},
        // A V whose arms are apart: the strips between them must leave the gap open.
        {"V", {{0, 0}, {10, 0}, {20, 30}, {15, 30}, {5, 5}, {-5, 30}, {-10, 30}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(IsRectilinear({c.ring}));
        const RoofCover cover = CoverFootprint({c.ring});
        EXPECT_TRUE(cover.strips);
        EXPECT_GT(cover.rectangles.size(), 1u);
        EXPECT_NEAR(SumOfAreas(cover), cover.coveredArea, 1e-6 * cover.coveredArea);
        EXPECT_GE(cover.coveredArea, cover.footprintArea * (1.0 - 1e-9));
        EXPECT_LE(cover.coveredArea, cover.footprintArea * (1.0 + kStripExcessLimit));
    }
    // The triangle's strips run along its longest edge, the base: every strip is horizontal.
    for (const PlanRectangle& r : CoverFootprint({{{0, 0}, {40, 0}, {15, 25}}}).rectangles)
        EXPECT_NEAR(r.corners[0].y, r.corners[1].y, 1e-9);
}

TEST(FootprintRoofs, FootprintsWithoutAreaGetNoRoof) {
    EXPECT_TRUE(CoverFootprint({{{0, 0}, {10, 0}, {20, 0}}}).rectangles.empty());
    EXPECT_TRUE(CoverFootprint({{{0, 0}, {10, 0}}}).rectangles.empty());
    EXPECT_TRUE(CoverFootprint({}).rectangles.empty());
}

}  // namespace
}  // namespace kelmora
