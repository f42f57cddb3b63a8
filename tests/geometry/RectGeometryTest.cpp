#include "geometry/RectGeometry.h"

#include <gtest/gtest.h>

#include <random>

#include "GeometryExpect.h"
#include "geometry/VectorOps.h"

namespace kelmora {
namespace {

// A wall 10 m long along x, 5 m high: side A is the foot, side C the top.
const CMyRect kWall{{0, 0, 0}, {10, 0, 0}, {3, 0, 5}};

TEST(RectGeometry, CornersAreTheFeetOnTheLineOfSideC) {
    const CFaceCorners c = RectCorners(kWall);
    EXPECT_TRUE(Near(c[0], {0, 0, 0}));
    EXPECT_TRUE(Near(c[1], {10, 0, 0}));
    EXPECT_TRUE(Near(c[2], {10, 0, 5}));
    EXPECT_TRUE(Near(c[3], {0, 0, 5}));
    EXPECT_DOUBLE_EQ(RectArea(kWall), 50.0);
    EXPECT_TRUE(Near(RectCentre(kWall), {5, 0, 2.5}));
}

TEST(RectGeometry, DegenerateSideAGivesAFlatRectangle) {
    const CMyRect post{{1, 2, 0}, {1, 2, 0}, {1, 2, 4}};
    const CFaceCorners c = RectCorners(post);
    EXPECT_EQ(c, (CFaceCorners{post.p1, post.p2, post.p2, post.p1}));
    EXPECT_EQ(RectArea(post), 0.0);
    const auto plan = RectCorners2D({{1, 2, 0}, {1, 2, 7}, {5, 5, 0}});  // vertical side A: a point in plan
    EXPECT_EQ(plan, (std::array<CVertex2D, 4>{{{1, 2}, {1, 2}, {1, 2}, {1, 2}}}));
}

TEST(RectGeometry, AnyPointOnTheLineOfSideCGivesTheSameTrueRectangle) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-50.0, 50.0);
    for (int i = 0; i < 200; ++i) {
        const CVector3D p1{u(rng), u(rng), u(rng)}, p2{u(rng), u(rng), u(rng)};
        const CVector3D p3{u(rng), u(rng), u(rng)};
        const CVector3D along = Normalize(p2 - p1);
        const CMyRect rect{p1, p2, p3};
        const CMyRect slid{p1, p2, p3 + u(rng) * along};
        const CFaceCorners c = RectCorners(rect);
        const CFaceCorners d = RectCorners(slid);
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(Near(c[k], d[k], 1e-9));
        EXPECT_NEAR(Dot(c[2] - c[1], c[1] - c[0]), 0.0, 1e-8);  // B ⟂ A
        EXPECT_TRUE(Near(c[2] - c[3], c[1] - c[0], 1e-9));      // C parallel and equal to A
        EXPECT_NEAR(DistancePointLine(p3, c[2], c[3]), 0.0, 1e-9);
        EXPECT_NEAR(RectArea(rect), Distance(c[0], c[1]) * Distance(c[1], c[2]), 1e-8);
        EXPECT_NEAR(RectArea(slid), RectArea(rect), 1e-8);
    }
}

TEST(RectGeometry, PlanCornersAreBuiltInThePlanNotProjected) {
    // A tilted rectangle: p3 off the perpendicular in space. In space corner 3 is (12.5, 5, 7.5); the plan
    // construction uses x, y only and gives (10, 5).
    const CMyRect tilted{{0, 0, 0}, {10, 0, 10}, {3, 5, -2}};
    EXPECT_TRUE(Near(RectCorners(tilted)[2], {12.5, 5, 7.5}));
    const auto plan = RectCorners2D(tilted);
    EXPECT_TRUE(Near(plan[2], {10, 5}));
    EXPECT_TRUE(Near(plan[3], {0, 5}));
    const CPolyline line = RectCornersPolyline2D(tilted);
    ASSERT_EQ(line.vertices.size(), 4u);
    EXPECT_TRUE(Near(line.vertices[2], {10, 5, 0}));
    EXPECT_TRUE(Near(RectCornersPolyline(tilted).vertices[2], {12.5, 5, 7.5}));
}

TEST(RectGeometry, NormalPointsLeftSideFirst) {
    // A roof at 3 m turning anticlockwise seen from above: its left side is up.
    const CMyRect roof{{0, 0, 3}, {10, 0, 3}, {0, 6, 3}};
    const auto points = RectNormalPoints(roof, 0.5);
    EXPECT_TRUE(Near(points[0], {5, 3, 3.5}));
    EXPECT_TRUE(Near(points[1], {5, 3, 2.5}));
    // The wall's side A runs east and B runs up: the right-hand screw points south.
    EXPECT_TRUE(Near(RectNormalPoints(kWall, 1.0)[0], {5, -1, 2.5}));
}

TEST(RectGeometry, ContainsUsesTheMillimetreTolerance) {
    EXPECT_TRUE(RectContains(kWall, {5, 0, 2}));
    EXPECT_TRUE(RectContains(kWall, {5, 0.0009, 2}));
    EXPECT_FALSE(RectContains(kWall, {5, 0.0011, 2}));
    EXPECT_TRUE(RectContains(kWall, {10.0009, 0, 2}));
    EXPECT_FALSE(RectContains(kWall, {10.0011, 0, 2}));
    EXPECT_FALSE(RectContains(kWall, {30, 0, 5}));  // on the line of side C, far beyond its end
}

}  // namespace
}  // namespace kelmora
