#include "geometry/Polygon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "GeometryExpect.h"

namespace kelmora {
namespace {

using Polygon = std::vector<CVertex2D>;

Polygon Reversed(Polygon p) {
    std::reverse(p.begin(), p.end());
    return p;
}

// Twice the signed area by the shoelace formula: negative for a clockwise ring.
double SignedArea(const Polygon& p) {
    double sum = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i)
        sum += Cross(p[i], p[(i + 1) % p.size()]);
    return 0.5 * sum;
}

const Polygon kSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}};  // anticlockwise
// An L of 75 m²: a 10 × 5 foot and a 5 × 5 upright; the corner at (5, 5) is re-entrant.
const Polygon kEll{{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}};

TEST(Polygon, AreaInBothOrientations) {
    struct Case {
        Polygon p;
        double area;
    };
    const Case cases[] = {{kSquare, 100},        {kEll, 75}, {{{0, 0}, {4, 0}, {0, 3}}, 6},
                          {{{0, 0}, {4, 0}}, 0}, {{}, 0},    {{{0, 0}, {5, 0}, {10, 0}}, 0}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(PolygonArea2D(c.p), c.area);
        EXPECT_DOUBLE_EQ(PolygonArea2D(Reversed(c.p)), c.area);
    }
    EXPECT_DOUBLE_EQ(PolylineArea2D(CPolyline{{{0, 0, 3}, {0, 10, 1}, {10, 10, 2}, {10, 0, 0}}}), 100.0);
}

TEST(Polygon, PointInPolygonIsStrict) {
    struct Case {
        const Polygon* shape;
        CVertex2D p;
        bool inside;
    };
    const Case cases[] = {
        {&kSquare, {5, 5}, true},   {&kSquare, {0, 0}, false},  {&kSquare, {5, 0}, false},
        {&kSquare, {10, 7}, false}, {&kSquare, {11, 5}, false}, {&kSquare, {9.999, 9.999}, true},
        {&kEll, {7, 7}, false},     {&kEll, {2, 7}, true},      {&kEll, {5, 5}, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(PointInPolygon2D(*c.shape, c.p), c.inside) << c.p;
        EXPECT_EQ(PointInPolygon2D(Reversed(*c.shape), c.p), c.inside) << c.p << " clockwise";
    }
    EXPECT_FALSE(PointInPolygon2D({{0, 0}, {10, 0}}, {5, 0}));
    EXPECT_TRUE(ContainsPoint2D(CPolyline{{{0, 0, 5}, {10, 0, 5}, {10, 10, 5}, {0, 10, 5}}}, {3, 3}));
}

TEST(Polygon, IntersectionAreas) {
    struct Case {
        Polygon a, b;
        double area;
        const char* what;
    };
    const Case cases[] = {
        {kSquare, {{5, 5}, {15, 5}, {15, 15}, {5, 15}}, 25, "overlapping corners"},
        {kSquare, {{10, 0}, {20, 0}, {20, 10}, {10, 10}}, 0, "sharing only an edge"},
        {kSquare, {{2, 2}, {4, 2}, {4, 4}, {2, 4}}, 4, "one inside the other"},
        {kEll, {{4, 4}, {8, 4}, {8, 8}, {4, 8}}, 4 + 3, "square over the re-entrant corner"},
        {kSquare, {{1, 1}, {5, 5}}, 0, "two vertices"},
        {kSquare, {{20, 20}, {30, 20}, {30, 30}}, 0, "apart"},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(IntersectionArea2D(c.a, c.b), c.area, 1e-9) << c.what;
        EXPECT_NEAR(IntersectionArea2D(Reversed(c.b), c.a), c.area, 1e-9) << c.what << " swapped";
    }
    // A vertical roof has a footprint of no area; it must not upset the overlay.
    EXPECT_EQ(IntersectionArea2D({{0, 5}, {10, 5}, {10, 5}, {0, 5}}, kSquare), 0.0);
}

TEST(Polygon, IntersectionAndUnionReturnOpenClockwiseRings) {
    const auto parts = PolygonIntersection2D(kSquare, {{5, 5}, {15, 5}, {15, 15}, {5, 15}});
    ASSERT_EQ(parts.size(), 1u);
    ASSERT_EQ(parts[0].size(), 4u);  // no closing vertex
    EXPECT_DOUBLE_EQ(SignedArea(parts[0]), -25.0);
    EXPECT_TRUE(std::count(parts[0].begin(), parts[0].end(), CVertex2D{5, 5}) == 1);
    EXPECT_TRUE(PolygonIntersection2D(kSquare, {{0, 0}, {1, 1}}).empty());

    const auto merged = PolygonUnion2D(Reversed(kSquare), {{5, 5}, {15, 5}, {15, 15}, {5, 15}});
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_DOUBLE_EQ(SignedArea(merged[0]), -175.0);
    EXPECT_EQ(merged[0].size(), 8u);
    const auto touching = PolygonUnion2D(kSquare, {{10, 0}, {20, 0}, {20, 10}, {10, 10}});
    ASSERT_EQ(touching.size(), 1u);
    EXPECT_DOUBLE_EQ(SignedArea(touching[0]), -200.0);
    EXPECT_EQ(PolygonUnion2D(kSquare, {{20, 20}, {30, 20}, {30, 30}}).size(), 2u);
}

TEST(Polygon, UnionWithADegenerateInputIsTheOtherUnchanged) {
    const Polygon stub{{1, 1}, {2, 2}};
    EXPECT_EQ(PolygonUnion2D(kSquare, stub), std::vector<Polygon>{kSquare});
    EXPECT_EQ(PolygonUnion2D(stub, kEll), std::vector<Polygon>{kEll});
    EXPECT_TRUE(PolygonUnion2D(stub, {}).empty());
}

TEST(Polygon, ConvexCornerFlags) {
    EXPECT_EQ(ConvexCornerFlags(kEll), (std::vector<int>{1, 1, 1, 0, 1, 1}));
    EXPECT_EQ(ConvexCornerFlags(Reversed(kEll)), (std::vector<int>{1, 1, 0, 1, 1, 1}));
    // A vertex in the middle of a hull edge is not a hull point.
    EXPECT_EQ(ConvexCornerFlags({{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}}),
              (std::vector<int>{1, 0, 1, 1, 1}));
    EXPECT_EQ(ConvexCornerFlags({{0, 0}, {10, 0}}), (std::vector<int>{1, 1}));
}

TEST(Polygon, Centroids) {
    EXPECT_TRUE(Near(PolygonCentroid2D(kSquare), {5, 5}));
    // The L as a 50 m² foot centred at (5, 2.5) plus a 25 m² upright centred at (2.5, 7.5).
    EXPECT_TRUE(Near(PolygonCentroid2D(Reversed(kEll)), {312.5 / 75, 312.5 / 75}));
    EXPECT_TRUE(Near(PolygonCentroid2D({{3, 4}}), {3, 4}));
    EXPECT_TRUE(Near(PolygonCentroid2D({{1, 1}, {5, 1}, {3, 1}}), {1, 1}));  // no area: first point
    try {
        PolygonCentroid2D({});
        ADD_FAILURE() << "an empty outline has no centroid";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Boost.Geometry Centroid calculation exception");
    }
}

TEST(Polygon, NonFiniteCoordinatesRaiseTheOverlayError) {
    for (double bad : {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        const Polygon broken{{0, 0}, {10, 0}, {bad, 10}, {0, 10}};
        try {
            IntersectionArea2D(broken, kSquare);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), "Boost.Geometry Overlay invalid input exception");
        }
        EXPECT_THROW(PolygonUnion2D(kSquare, broken), std::exception);
    }
}

TEST(Polygon, SegmentIntersectionIncludesEndPoints) {
    struct Case {
        CVertex2D a1, a2, b1, b2;
        bool meets;
        CVertex2D at;
    };
    const Case cases[] = {
        {{0, 0}, {10, 10}, {0, 10}, {10, 0}, true, {5, 5}},
        {{0, 0}, {10, 0}, {10, 0}, {10, 10}, true, {10, 0}},  // meeting at end points
        {{0, 0}, {10, 0}, {5, 0}, {5, 10}, true, {5, 0}},
        {{0, 0}, {10, 0}, {11, -1}, {11, 1}, false, {}},
        {{0, 0}, {10, 0}, {0, 1}, {10, 1}, false, {}},  // parallel
        {{0, 0}, {10, 0}, {2, 0}, {8, 0}, false, {}},   // collinear
    };
    for (const Case& c : cases) {
        const auto x = SegmentIntersection2D(c.a1, c.a2, c.b1, c.b2);
        ASSERT_EQ(x.has_value(), c.meets) << c.a1 << c.a2 << c.b1 << c.b2;
        if (x) {
            EXPECT_TRUE(Near(*x, c.at));
        }
    }
}

TEST(Polygon, SideOfLine) {
    EXPECT_EQ(SideOfLine2D({5, 1}, {0, 0}, {10, 0}), 1);
    EXPECT_EQ(SideOfLine2D({5, -1e-12}, {0, 0}, {10, 0}), -1);
    EXPECT_EQ(SideOfLine2D({20, 0}, {0, 0}, {10, 0}), 0);
    EXPECT_EQ(SideOfLine2D({5, 1}, {10, 0}, {0, 0}), -1);
}

TEST(Polygon, SegmentCrossesPolygon) {
    struct Case {
        CVertex2D a, b;
        bool crosses;
        const char* what;
    };
    const Case cases[] = {
        {{-5, 5}, {15, 5}, true, "straight through"},     {{-5, 5}, {5, 5}, true, "ending inside"},
        {{2, 2}, {8, 3}, true, "wholly inside"},          {{0, -5}, {0, 15}, false, "along an edge"},
        {{-5, 5}, {5, -5}, false, "touching a corner"},   {{-5, 5}, {0, 5}, false, "ending on the boundary"},
        {{-5, 20}, {15, 20}, false, "passing 10 m away"}, {{5, 5}, {5, 5}, false, "zero length"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SegmentCrossesPolygon2D(c.a, c.b, kSquare), c.crosses) << c.what;
        EXPECT_EQ(SegmentCrossesPolygon2D(c.b, c.a, Reversed(kSquare)), c.crosses) << c.what << " reversed";
    }
}

}  // namespace
}  // namespace kelmora
