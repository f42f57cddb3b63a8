#include "geometry/VectorOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "GeometryExpect.h"

namespace kelmora {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(VectorOps, AnglesIncludingRoundingAndZeroVectors) {
    struct Case {
        CVector3D a, b;
        double angle;
    };
    const Case cases[] = {
        {{1, 0, 0}, {0, 3, 0}, kPi / 2},
        {{1, 0, 0}, {-2, 0, 0}, kPi},
        {{1, 1, 0}, {1, 0, 0}, kPi / 4},
        {{0.1, 0.1, 0.1}, {0.3, 0.3, 0.3}, 0.0},  // cosine rounds above 1: must not give NaN
        {{0, 0, 0}, {1, 0, 0}, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(AngleBetween(c.a, c.b), c.angle, 1e-7) << c.a << c.b;
        EXPECT_NEAR(AngleBetween2D(Plan(c.a), Plan(c.b)), c.angle, 1e-7) << c.a << c.b;
    }
}

TEST(VectorOps, NormalizeLeavesZeroAlone) {
    EXPECT_EQ(Normalize(CVector3D{}), CVector3D{});
    EXPECT_EQ(Normalize(CVertex2D{}), CVertex2D{});
    EXPECT_TRUE(Near(Normalize(CVector3D{3, 0, 4}), {0.6, 0, 0.8}));
}

TEST(VectorOps, DistancesAndProjectionOnInfiniteLines) {
    EXPECT_DOUBLE_EQ(DistancePointLine({7, 3, 4}, {0, 0, 0}, {1, 0, 0}), 5.0);
    EXPECT_DOUBLE_EQ(DistancePointLine2D({3, -4}, {0, 0}, {10, 0}),
                     4.0);  // right of the line, still positive
    EXPECT_DOUBLE_EQ(Distance2D({1, 1}, {4, 5}), 5.0);
    // Beyond the end of a–b: the foot is not clamped.
    EXPECT_TRUE(Near(ProjectPointOnLine({20, 5, 1}, {0, 0, 0}, {10, 0, 0}), {20, 0, 0}));
}

TEST(VectorOps, LeftNormalPointsLeftOfTravel) {
    EXPECT_TRUE(Near(LeftNormal2D({0, 0}, {2, 0}), {0, 1}));
    EXPECT_TRUE(Near(LeftNormal2D({0, 0}, {0, -3}), {1, 0}));
    EXPECT_TRUE(Near(LeftNormal2D({1, 1}, {2, 2}), {-std::sqrt(0.5), std::sqrt(0.5)}));
    EXPECT_EQ(LeftNormal2D({1, 1}, {1, 1}), CVertex2D{});
}

TEST(VectorOps, PositionOnRay) {
    struct Case {
        CVector3D p;
        RayPosition expected;
    };
    const CVector3D origin{0, 0, 0}, end{10, 0, 0};
    const Case cases[] = {
        {{-0.001, 5, 0}, kBehindOrigin}, {{0, 5, 0}, kWithinReach},   // square to the ray at the origin
        {{5, 2, 0}, kWithinReach},       {{10, 0, 0}, kWithinReach},  // at the end
        {{10, 0.1, 0}, kBeyondEnd},      {{9.9, 0, 2}, kBeyondEnd},   // farther than the end, not past it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PositionOnRay(origin, end, c.p), c.expected) << c.p;
        if (c.p.z == 0) {
            EXPECT_EQ(PositionOnRay2D(Plan(origin), Plan(end), Plan(c.p)), c.expected) << c.p;
        }
    }
}

TEST(VectorOps, LineIntersectionFailsOnlyForExactlyParallelLines) {
    const auto x = LineIntersection2D({0, 0}, {1, 1}, {4, 0}, {4, 1});  // meets far beyond both
    ASSERT_TRUE(x.has_value());
    EXPECT_TRUE(Near(*x, {4, 4}));
    EXPECT_FALSE(LineIntersection2D({0, 0}, {1, 1}, {0, 1}, {2, 3}).has_value());
    EXPECT_TRUE(LineIntersection2D({0, 0}, {1, 0}, {0, 1}, {1, 1 + 1e-12}).has_value());
}

TEST(VectorOps, SegmentsCrossOnlyProperly) {
    struct Case {
        CVertex2D a1, a2, b1, b2;
        bool cross;
        const char* what;
    };
    const Case cases[] = {
        {{0, 0}, {10, 10}, {0, 10}, {10, 0}, true, "X"},
        {{0, 0}, {10, 0}, {10, 0}, {10, 10}, false, "shared end point"},
        {{0, 0}, {10, 0}, {5, 0}, {5, 10}, false, "end on the other segment"},
        {{0, 0}, {10, 0}, {5, 0}, {15, 0}, false, "collinear overlap"},
        {{0, 0}, {10, 0}, {11, -1}, {11, 1}, false, "beyond the end"},
        {{0, 0}, {10, 0}, {9.999, -1}, {9.999, 1}, true, "just inside the end"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SegmentsCross2D(c.a1, c.a2, c.b1, c.b2), c.cross) << c.what;
        EXPECT_EQ(SegmentsCross2D(c.b2, c.b1, c.a2, c.a1), c.cross) << c.what << " reversed";
    }
}

TEST(VectorOps, InsideTriangleIsStrictInEitherOrientation) {
    const CVector3D a{0, 0, 2}, b{4, 0, 2}, c{0, 4, 2};
    struct Case {
        CVector3D p;
        bool inside;
    };
    const Case cases[] = {{{1, 1, 2}, true},  {{2, 0, 2}, false},     {{0, 0, 2}, false},
                          {{2, 2, 2}, false}, {{2.001, 2, 2}, false}, {{1.999, 2, 2}, true},
                          {{5, 1, 2}, false}};
    for (const Case& k : cases) {
        EXPECT_EQ(InsideTriangle(a, b, c, k.p), k.inside) << k.p;
        EXPECT_EQ(InsideTriangle(a, c, b, k.p), k.inside) << k.p << " clockwise";
    }
}

TEST(VectorOps, ClosestPointsOfLinesAtTheMeetingThreshold) {
    // Line A is the x axis, line B runs along y at height h above x = 2: the gap is h.
    struct Case {
        double h;
        LinesRelation relation;
    };
    const Case cases[] = {{0.0, kLinesMeet}, {0.00099, kLinesMeet}, {0.00101, kLinesSkew}, {1.0, kLinesSkew}};
    for (const Case& c : cases) {
        const auto r = ClosestPointsOfLines({-1, 0, 0}, {5, 0, 0}, {2, -3, c.h}, {2, 7, c.h});
        EXPECT_EQ(r.relation, c.relation) << c.h;
        EXPECT_TRUE(Near(r.onA, {2, 0, 0})) << c.h;
        EXPECT_TRUE(Near(r.onB, {2, 0, c.h})) << c.h;
    }
    EXPECT_EQ(ClosestPointsOfLines({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-3, 1, 0}).relation, kLinesParallel);
    EXPECT_EQ(ClosestPointsOfLines({0, 0, 0}, {0, 0, 0}, {0, 1, 0}, {3, 1, 0}).relation, kLinesParallel);
}

TEST(VectorOps, SnappedClosestPointsPreferEndPointPairsInOrder) {
    const CVector3D a1{0, 0, 0}, a2{10, 0, 0};
    // b1 and b2 both near a1: a1–b1 is tried first.
    auto r = ClosestPointsSnapped(a1, a2, {0, 0.0005, 0}, {0.0005, 0, 0}, 0.001);
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, (CPointPair{a1, {0, 0.0005, 0}}));
    r = ClosestPointsSnapped(a1, a2, {5, 5, 1}, {10, 0.0009, 0}, 0.001);
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, (CPointPair{a2, {10, 0.0009, 0}}));
    // Exactly tol apart is not closer than tol: the plain closest points of the lines.
    r = ClosestPointsSnapped(a1, a2, {10, 0.001, 0}, {10, 5, 0}, 0.001);
    ASSERT_TRUE(r);
    EXPECT_TRUE(Near(r->onA, {10, 0, 0}));
    // Parallel lines fail unless an end pair snaps.
    EXPECT_FALSE(ClosestPointsSnapped(a1, a2, {0, 1, 0}, {10, 1, 0}, 0.001));
    EXPECT_TRUE(ClosestPointsSnapped(a1, a2, {0, 0.0001, 0}, {10, 0.0001, 0}, 0.001));
}

TEST(VectorOps, HorizontalOffsetsKeepHeights) {
    const CSegment3D s = OffsetSegmentLeft({0, 0, 1}, {10, 0, 2}, 2.0);
    EXPECT_TRUE(Near(s.start, {0, 2, 1}));
    EXPECT_TRUE(Near(s.end, {10, 2, 2}));
    const CSegment3D r = OffsetSegmentLeft({0, 0, 1}, {10, 0, 2}, -2.0);
    EXPECT_TRUE(Near(r.start, {0, -2, 1}));
    const CSegment3D vertical = OffsetSegmentLeft({3, 4, 0}, {3, 4, 9}, 2.0);
    EXPECT_EQ(vertical, (CSegment3D{{3, 4, 0}, {3, 4, 9}}));
    EXPECT_TRUE(Near(OffsetPointLeft({5, 5, 7}, {0, 0, 0}, {0, 10, 3}, 1.5), {3.5, 5, 7}));
}

}  // namespace
}  // namespace kelmora
