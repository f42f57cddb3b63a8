#include "geometry/PolylineOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GeometryExpect.h"

namespace kelmora {
namespace {

// A climbing line: 5 m east rising 3 m, then 13 m north rising 5 m (18 m long).
const CPolyline kClimb{{{0, 0, 0}, {4, 0, 3}, {4, 12, 8}}};

TEST(PolylineOps, Length) {
    EXPECT_DOUBLE_EQ(PolylineLength(kClimb), 18.0);
    EXPECT_DOUBLE_EQ(PolylineLength(CPolyline{{{1, 2, 3}}}), 0.0);
    EXPECT_DOUBLE_EQ(PolylineLength(CPolyline{}), 0.0);
}

TEST(PolylineOps, PointAtLength) {
    struct Case {
        double s, up, left;
        CVector3D expected;
        const char* what;
    };
    const Case cases[] = {
        {-1, 2, 1, {0, 0, 0}, "before the start: first vertex, no up, no left"},
        {0, 2, 1, {0, 0, 0}, "at the start"},
        {2.5, 0, 0, {2, 0, 1.5}, "on the first segment"},
        {2.5, 2, 0, {2, 0, 3.5}, "raised"},
        {2.5, 0, 1, {2, 1, 1.5}, "left of an eastward segment is north"},
        {2.5, 0, -1, {2, -1, 1.5}, "negative left is right"},
        {5, 0, 0, {4, 0, 3}, "at the inner vertex"},
        {11.5, 0, 1, {3, 6, 5.5}, "left of a northward segment is west"},
        {18, 1, 0, {4, 12, 9}, "at the end"},
        {25, 1, 0, {4, 12, 9}, "beyond the end: last vertex raised, no extrapolation"},
        {25, 0, 1, {3, 12, 8}, "beyond the end, moved along the last segment's normal"},
        {4.99, 2, 1, {3.992, 1, 4.994}, "raised near a vertex keeps its own segment"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Near(PointAtLength(kClimb, c.s, c.up, c.left), c.expected, 1e-12)) << c.what;
    }
    EXPECT_EQ(PointAtLength(CPolyline{}, 3.0), CVector3D{});
    EXPECT_EQ(PointAtLength(CPolyline{{{1, 2, 3}}}, 3.0, 1.0, 1.0), (CVector3D{1, 2, 4}));
}

TEST(PolylineOps, SubPolyline) {
    struct Case {
        double s1, s2;
        std::vector<CVector3D> expected;
    };
    const Case cases[] = {
        {2.5, 11.5, {{2, 0, 1.5}, {4, 0, 3}, {4, 6, 5.5}}},
        {11.5, 2.5, {{2, 0, 1.5}, {4, 0, 3}, {4, 6, 5.5}}},
        {0, 18, {{0, 0, 0}, {4, 0, 3}, {4, 12, 8}}},
        {-5, 40, {{0, 0, 0}, {4, 0, 3}, {4, 12, 8}}},
        {8.25, 11.5, {{4, 3, 4.25}, {4, 6, 5.5}}},
        {20, 30, {}},
    };
    for (const Case& c : cases) {
        const CPolyline part = SubPolyline(kClimb, c.s1, c.s2);
        ASSERT_EQ(part.vertices.size(), c.expected.size()) << c.s1 << ".." << c.s2;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_TRUE(Near(part.vertices[i], c.expected[i], 1e-12)) << c.s1 << ".." << c.s2 << " #" << i;
        }
    }
    // Starting exactly at a vertex does not repeat it.
    const CPolyline square{{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}};
    const CPolyline fromVertex = SubPolyline(square, 10, 25);
    EXPECT_EQ(fromVertex.vertices, (std::vector<CVector3D>{{10, 0, 0}, {10, 10, 0}, {5, 10, 0}}));
    EXPECT_TRUE(SubPolyline(CPolyline{{{1, 1, 1}}}, 0, 1).vertices.empty());
}

TEST(PolylineOps, OffsetPolylineMovesLeftAndMitresCorners) {
    struct Case {
        std::vector<CVector3D> line;
        double left, up;
        std::vector<CVector3D> expected;
        const char* what;
    };
    const double h = std::sqrt(0.5);
    const Case cases[] = {
        {{{0, 0, 0}, {10, 0, 0}}, 1, 0, {{0, 1, 0}, {10, 1, 0}}, "straight line, 1 m to the left"},
        {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}},
         1,
         0,
         {{0, 1, 0}, {9, 1, 0}, {9, 10, 0}},
         "inside of a left turn"},
        {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, -1, 0, {{0, -1, 0}, {11, -1, 0}, {11, 10, 0}}, "outside"},
        {{{0, 0, 0}, {10, 0, 0}}, 0, 2, {{0, 0, 2}, {10, 0, 2}}, "raised without a sideways move"},
        {{{0, 0, 0}, {10, 0, 0}}, 1, -0.5, {{0, 1, -0.5}, {10, 1, -0.5}}, "moved and lowered"},
        {{{0, 0, 0}, {10, 0, 0}, {20, 0, 5}}, 1, 0, {{0, 1, 0}, {10, 1, 0}, {20, 1, 5}}, "slope change"},
        {{{0, 0, 0}, {10, 10, 0}, {30, 30, 0}},
         1,
         0,
         {{-h, h, 0}, {10 - h, 10 + h, 0}, {30 - h, 30 + h, 0}},
         "straight on through a vertex"},
        {{{5, 5, 5}}, 1, 1, {{5, 5, 6}}, "single vertex: only raised"},
    };
    for (const Case& c : cases) {
        const CPolyline copy = OffsetPolyline(CPolyline{c.line}, c.left, c.up);
        ASSERT_EQ(copy.vertices.size(), c.expected.size()) << c.what;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_TRUE(Near(copy.vertices[i], c.expected[i], 1e-9)) << c.what << " #" << i;
        }
    }
}

TEST(PolylineOps, OffsetOfCollinearVerticesStaysOnTheOffsetLine) {
    // Collinear vertices whose unit directions differ only by rounding once threw the offset vertex
    // tens of metres along the line.
    const CPolyline line{{{0, 0, 0}, {-12, -15, 0}, {-20, -25, 0}}};
    const CPolyline copy = OffsetPolyline(line, 1.0, 0.0);
    const double k = 1.0 / std::sqrt(41.0);  // left normal of (−4, −5) is (5, −4)/√41
    EXPECT_TRUE(Near(copy.vertices[1], {-12 + 5 * k, -15 - 4 * k, 0}, 1e-9));
}

TEST(PolylineOps, LengthAtPointAndItsSegment) {
    EXPECT_NEAR(LengthAtPoint(kClimb, {4, 6, 5.5}), 11.5, 1e-12);
    EXPECT_NEAR(LengthAtPoint(kClimb, {4, 0, 3}), 5.0, 1e-12);
    EXPECT_NEAR(LengthAtPoint(kClimb, {2, 0, 1.5}), 2.5, 1e-12);
    EXPECT_EQ(LengthAtPoint(kClimb, {-1, 0, 0}), 0.0);  // behind the start
    const auto segment = SegmentContaining(kClimb, {4, 6, 5.5});
    ASSERT_TRUE(segment);
    EXPECT_EQ(*segment, (CSegment3D{{4, 0, 3}, {4, 12, 8}}));
    EXPECT_FALSE(SegmentContaining(kClimb, {-1, 0, 0}));
    EXPECT_FALSE(SegmentContaining(kClimb, {4, 13, 8}));  // beyond the end
}

TEST(PolylineOps, NearestVertexInPlan) {
    const CPolyline line{{{0, 0, 9}, {10, 0, 0}, {10, 10, 0}, {0, 0, 1}}};
    auto nearest = NearestVertex2D(line, {1, 1});
    ASSERT_TRUE(nearest);
    EXPECT_EQ(nearest->index, 0u);  // tie with the last vertex: the first wins
    EXPECT_EQ(nearest->vertex, (CVector3D{0, 0, 9}));
    EXPECT_DOUBLE_EQ(nearest->distancePlan, std::sqrt(2.0));
    nearest = NearestVertex2D(line, {9, 8});
    ASSERT_TRUE(nearest);
    EXPECT_EQ(nearest->index, 2u);
    EXPECT_FALSE(NearestVertex2D(CPolyline{}, {1, 1}));
}

TEST(PolylineOps, NearestPointOnOffsetLine) {
    const CPolyline ramp{{{0, 0, 0}, {10, 0, 10}, {10, 10, 10}}};
    struct Case {
        CVertex2D p;
        double left;
        CVector3D point;
        std::size_t segment;
    };
    const Case cases[] = {
        {{5, 3}, 0, {5, 0, 5}, 0},      // height interpolated along the rising segment
        {{5, 3}, 1, {5, 1, 5}, 0},      // on the offset line
        {{-5, -1}, 0, {0, 0, 0}, 0},    // before the start: clamped
        {{15, -5}, 0, {10, 0, 10}, 0},  // equally near both segments at the corner: the earlier wins
        {{12, 7}, 0, {10, 7, 10}, 1},  {{12, 7}, -1, {11, 7, 10}, 1},
    };
    for (const Case& c : cases) {
        const auto r = NearestPointOnOffset2D(ramp, c.left, c.p);
        ASSERT_TRUE(r) << c.p;
        EXPECT_TRUE(Near(r->point, c.point, 1e-12)) << c.p << " left " << c.left;
        EXPECT_TRUE(
            Near(r->segment.start,
                 OffsetSegmentLeft(ramp.vertices[c.segment], ramp.vertices[c.segment + 1], c.left).start))
            << c.p;
    }
    // A vertical segment has no plan length: its start is the candidate.
    const auto up = NearestPointOnOffset2D(CPolyline{{{3, 3, 0}, {3, 3, 8}}}, 1, {10, 10});
    ASSERT_TRUE(up);
    EXPECT_EQ(up->point, (CVector3D{3, 3, 0}));
    EXPECT_FALSE(NearestPointOnOffset2D(CPolyline{{{3, 3, 0}}}, 0, {1, 1}));
}

TEST(PolylineOps, OffsetCrossingsFindTheOffsetLineAndSortFromA) {
    const CPolyline corner{{{0, 0, 0}, {10, 0, 0}, {10, 10, 2}}};
    const CVertex2D a{0, 5}, b{20, 5};
    std::vector<COffsetCrossing> records;
    ASSERT_TRUE(OffsetCrossings2D(corner, a, b, 1.0, records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].offset, 1.0);
    EXPECT_TRUE(records[0].lastSegment);
    EXPECT_FALSE(records[0].firstSegment);
    EXPECT_EQ(records[0].segmentStart, (CVector3D{10, 0, 0}));
    EXPECT_EQ(records[0].segmentEnd, (CVector3D{10, 10, 2}));
    EXPECT_TRUE(Near(records[0].point, {9, 5}));

    // A second line crossing nearer to a goes first; an equally near one goes before the older record.
    const CPolyline nearer{{{3, -10, 0}, {3, 10, 0}}};
    ASSERT_TRUE(OffsetCrossings2D(nearer, a, b, 0.0, records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(Near(records[0].point, {3, 5}));
    EXPECT_TRUE(records[0].firstSegment && records[0].lastSegment);
    const CPolyline same{{{9, 20, 0}, {9, -20, 0}}};
    ASSERT_TRUE(OffsetCrossings2D(same, a, b, 0.0, records));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].segmentStart, (CVector3D{9, 20, 0}));
    EXPECT_EQ(records[2].segmentStart, (CVector3D{10, 0, 0}));
}

TEST(PolylineOps, OffsetCrossingsIgnoreTouchesAndDegenerateInput) {
    const CPolyline line{{{0, 0, 0}, {10, 0, 0}}};
    std::vector<COffsetCrossing> records;
    EXPECT_FALSE(OffsetCrossings2D(line, {5, 5}, {5, 0}, 0.0, records));  // ends on the line
    EXPECT_FALSE(OffsetCrossings2D(line, {5, 5}, {5, 1}, 0.0, records));
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(OffsetCrossings2D(line, {5, 5}, {5, 0}, 1.0, records));  // the offset line is crossed

    // a = b in plan: nothing found, earlier records untouched.
    EXPECT_FALSE(OffsetCrossings2D(line, {5, 5}, {5, 5}, 0.0, records));
    EXPECT_EQ(records.size(), 1u);
    // A vertical segment (no plan length) is skipped.
    const CPolyline post{{{5, 0, 0}, {5, 0, 9}}};
    std::vector<COffsetCrossing> none;
    EXPECT_FALSE(OffsetCrossings2D(post, {0, 0}, {10, 0}, 0.0, none));
}

}  // namespace
}  // namespace kelmora
