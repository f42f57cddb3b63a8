#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry/RectGeometry.h"
#include "geometry/VectorOps.h"
#include "propagation/Diffraction.h"
#include "propagation/FaceEdges.h"
#include "propagation/ObstacleFixtures.h"

namespace kelmora {
namespace {

// Points of the plane x = 0 of a 100 m × 5 m barrier, and the sides that lie between them and the barrier.
TEST(EdgesFacing, SidesWhoseOuterHalfPlaneHoldsThePoint) {
    const CFaceCorners c = FaceCorners(Barrier(0.0, 5.0));
    struct Case {
        CVector3D q;
        CSideFlags facing;
    };
    const std::vector<Case> cases = {
        {{0, 0, 7}, {true, false, false, false}},     // above the top
        {{0, -60, 2}, {false, true, false, false}},   // beyond the end at y = −50 only
        {{0, 0, -1}, {false, false, true, false}},    // below the foot
        {{0, 60, 2}, {false, false, false, true}},    // beyond the end at y = +50 only
        {{0, 60, 7}, {true, false, false, true}},     // corner regions: two adjacent sides
        {{0, -60, 7}, {true, true, false, false}},    //
        {{0, -60, -1}, {false, true, true, false}},   //
        {{0, 60, -1}, {false, false, true, true}},    //
        {{0, 49, 5.5}, {true, false, false, false}},  // above the top near an end: not the end
    };
    for (const Case& c0 : cases)
        EXPECT_EQ(EdgesFacing(c, c0.q), c0.facing) << c0.q;
}

TEST(IntersectSegmentFace, OnFaceBesideItOrMissingThePlane) {
    const CRectObstacle wall = Barrier(0.0, 5.0);
    const auto through = IntersectSegmentFace(wall, {-10, 0, 1}, {10, 0, 3});
    ASSERT_TRUE(through);
    EXPECT_TRUE(Near(through->point, {0, 0, 2}));
    EXPECT_TRUE(through->inside);
    const auto above = IntersectSegmentFace(wall, {-10, 0, 6}, {10, 0, 6});
    ASSERT_TRUE(above);
    EXPECT_FALSE(above->inside);
    // Within 1 mm of the top still counts as on the face.
    EXPECT_TRUE(IntersectSegmentFace(wall, {-10, 0, 5.0009}, {10, 0, 5.0009})->inside);
    EXPECT_FALSE(IntersectSegmentFace(wall, {-10, 0, 1}, {-1, 0, 1}));  // stops short of the plane
    EXPECT_FALSE(IntersectSegmentFace(wall, {0, -10, 1}, {0, 10, 1}));  // lies in the plane
}

// The segment test spares the point-on-face test for points clearly outside the face's box, and, on the
// frames with side lines, for points clearly inside the face or clearly beyond a side; it must answer
// exactly as the full test, also for points just around the rim of tilted faces and of the half-planes
// of their sides, and right at the 1 mm tolerance.
// The corners of the face-th random face with coordinates within ±reach m: every second one square to the
// axes (walls and roofs mostly stand so, where the box fits the face closely), every third one the
// half-plane of one of its sides.
CFaceCorners RandomRimTestFace(std::mt19937& random, double reach, int face) {
    std::uniform_real_distribution<double> coordinate(-reach, reach);
    CMyRect rect{{coordinate(random), coordinate(random), coordinate(random)},
                 {coordinate(random), coordinate(random), coordinate(random)},
                 {coordinate(random), coordinate(random), coordinate(random)}};
    if (face % 2 == 0) {
        rect.p2 = {rect.p2.x, rect.p1.y, rect.p1.z};
        rect.p3 = face % 4 == 0 ? CVector3D{rect.p2.x, rect.p1.y, rect.p3.z}
                                : CVector3D{rect.p2.x, rect.p3.y, rect.p1.z};
    }
    return face % 3 == 0 ? WidenForEdge(RectCorners(rect), face % kSideCount) : RectCorners(rect);
}

TEST(IntersectSegmentFace, SameAnswerAsThePointOnFaceTestAroundTheRim) {
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> rim(-0.03, 0.03);
    std::uniform_real_distribution<double> tiny(-2e-6, 2e-6);
    const auto nearRim = [&](std::mt19937& r) {
        switch (r() % 3) {
            case 0:
                return rim(r);
            case 1:
                return tiny(r);  // around the side's line
            default:
                return (r() % 2 == 0 ? 0.001 : -0.001) + tiny(r);  // around the tolerance
        }
    };
    std::uniform_real_distribution<double> along(-0.2, 1.2);
    int checked = 0;
    for (int face = 0; face < 200; ++face) {
        const CFaceCorners c = RandomRimTestFace(random, 50.0, face);
        const CFaceFrame frame = MakeFaceFrame(c, (face / 2) % 2 == 1);  // with and without side lines
        const CVector3D n = UnitNormal(c[0], c[1], c[2]);
        for (int k = 0; k < 50; ++k) {
            // A point near side k % 4 (or beyond its ends), crossed by a short segment through the plane.
            const int side = k % kSideCount;
            const CVector3D outward = Normalize(SideStart(c, side) - c[(side + 3) % kSideCount]);
            const CVector3D p = SideStart(c, side) + along(random) * (SideEnd(c, side) - SideStart(c, side)) +
                                nearRim(random) * outward;
            const auto hit = IntersectSegmentFace(frame, p + n, p - n);
            ASSERT_TRUE(hit);
            EXPECT_EQ(hit->inside, PointInFace(c, hit->point, 0.001)) << hit->point;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 10000);
}

// Points at the rim, also off the plane by up to the tolerance and beyond, along the sides and around
// the corners: the point-on-face test of a frame answers exactly as the full test.
TEST(PointOnFace, SameAnswerAsTheFullTestAtTheRimOffThePlane) {
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> across(-0.0015, 0.0015);
    std::uniform_real_distribution<double> offPlane(-0.0012, 0.0012);
    std::uniform_real_distribution<double> along(-0.01, 1.01);
    int accepted = 0;
    int checked = 0;
    for (int face = 0; face < 200; ++face) {
        const CFaceCorners c = RandomRimTestFace(random, 500.0, face);
        const CFaceFrame frame = MakeFaceFrame(c, true);
        const CVector3D n = UnitNormal(c[0], c[1], c[2]);
        for (int k = 0; k < 100; ++k) {
            const int side = k % kSideCount;
            const CVector3D outward = Normalize(SideStart(c, side) - c[(side + 3) % kSideCount]);
            // Every fifth point within millimetres of one of the side's corners.
            const CVector3D sideVector = SideEnd(c, side) - SideStart(c, side);
            const bool atCorner = k % 5 == 0;
            const double t = atCorner ? (k % 10 == 0 ? 0.0 : 1.0) : along(random);
            const double nearCorner = atCorner ? across(random) : 0.0;
            const CVector3D p = SideStart(c, side) + t * sideVector + nearCorner * Normalize(sideVector) +
                                across(random) * outward + offPlane(random) * n;
            const bool full = PointInFace(c, p, 0.001);
            EXPECT_EQ(PointOnFace(frame, p), full) << p;
            accepted += full;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 20000);
    EXPECT_GT(accepted, 5000);  // both answers are well represented
    EXPECT_LT(accepted, 15000);
}

TEST(FaceBeyondEdge, HalfPlaneOnTheFarSideWithOnlyItsSideADiffracting) {
    CRectObstacle wall = Barrier(0.0, 5.0, kAllSides, 50.0, 1.0);
    wall.name = "壁";
    const CRectObstacle below = FaceBeyondEdge(wall, 2);  // beyond the foot at z = 1
    EXPECT_EQ(below.diffracts, (SideMask{1, 0, 0, 0}));
    EXPECT_EQ(below.name, "壁");
    const CFaceCorners c = FaceCorners(below);
    // Side A lies on the old foot, in the old foot's direction (towards +y).
    EXPECT_NEAR(c[0].z, 1.0, 1e-9);
    EXPECT_NEAR(c[1].z, 1.0, 1e-9);
    EXPECT_GT(c[1].y, c[0].y);
    EXPECT_TRUE(PointInFace(c, {0, 0, 0.5}, 0.001));
    EXPECT_TRUE(PointInFace(c, {0, 3000, -2000}, 0.001));
    EXPECT_FALSE(PointInFace(c, {0, 0, 1.5}, 0.001));
}

TEST(EdgeDiffractionPoint, TopOfABarrierCrossedOrPassedAbove) {
    const CRectObstacle wall = Barrier(0.0, 5.0);
    const auto crossed = EdgeDiffractionPoint(wall, {-10, 0, 1}, {10, 0, 1}, 0);
    ASSERT_TRUE(crossed);
    EXPECT_TRUE(Near(crossed->edge, {0, 0, 5}));
    EXPECT_TRUE(Near(crossed->onPlane, {0, 0, 1}));
    EXPECT_TRUE(crossed->crossing);
    // Oblique path: the edge point is where the path line passes closest to the top line.
    const auto oblique = EdgeDiffractionPoint(wall, {-10, -10, 1}, {10, 10, 1}, 0);
    ASSERT_TRUE(oblique);
    EXPECT_TRUE(Near(oblique->edge, {0, 0, 5}));
    const auto above = EdgeDiffractionPoint(wall, {-10, 0, 6}, {10, 0, 6}, 0);
    ASSERT_TRUE(above);
    EXPECT_TRUE(Near(above->edge, {0, 0, 5}));
    EXPECT_FALSE(above->crossing);
    // A path that reaches the plane beyond the end is still crossing for the top's half-plane.
    const auto pastEnd = EdgeDiffractionPoint(wall, {-10, 80, 1}, {10, 80, 1}, 0);
    ASSERT_TRUE(pastEnd);
    EXPECT_TRUE(pastEnd->crossing);
    EXPECT_FALSE(EdgeDiffractionPoint(wall, {-10, 0, 1}, {-5, 0, 1}, 0));  // never reaches the plane
}

TEST(EdgeDiffractionPoint, EdgeOffsetMovesOnlyPointsOfTheTop) {
    CRectObstacle screen = Barrier(0.0, 5.0, kAllSides);
    screen.edgeOffset = {1.5, 0, 0};
    const auto top = EdgeDiffractionPoint(screen, {-10, 0, 1}, {10, 0, 1}, 0);
    ASSERT_TRUE(top);
    EXPECT_TRUE(Near(top->edge, {1.5, 0, 5}));
    EXPECT_TRUE(Near(top->onPlane, {1.5, 0, 1}));
    const auto end = EdgeDiffractionPoint(screen, {-10, 0, 1}, {10, 0, 1}, 3);
    ASSERT_TRUE(end);
    EXPECT_TRUE(Near(end->edge, {0, 50, 1}));
}

// The frames of a scene's faces (and the points found on them) are kept from scene to scene: the same
// rectangle with another edge offset, in a later or a nested scene, must find its own points.
TEST(EdgeDiffractionPoint, ScenesOfOneThreadKeepEachFacesOwnOffset) {
    const CVector3D s{-10, 0, 1};
    const CVector3D r{10, 0, 1};
    std::vector<CRectObstacle> plain{Barrier(0.0, 5.0)};
    std::vector<CRectObstacle> shifted{Barrier(0.0, 5.0)};
    shifted[0].edgeOffset = {1.5, 0, 0};
    const auto topIn = [&](const std::vector<CRectObstacle>& faces) {
        const CFaceFrames scene(faces);
        return EdgeDiffractionPoint(CEdgeFace(scene, 0), s, r, 0)->edge;
    };
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(Near(topIn(plain), {0, 0, 5}));
        EXPECT_TRUE(Near(topIn(shifted), {1.5, 0, 5}));
    }
    const CFaceFrames outer(plain);
    EXPECT_TRUE(Near(topIn(shifted), {1.5, 0, 5}));
    EXPECT_TRUE(Near(EdgeDiffractionPoint(CEdgeFace(outer, 0), s, r, 0)->edge, {0, 0, 5}));
}

TEST(MinPathDifferencePoint, SideWithTheSmallestDetourWins) {
    const CRectObstacle wall = Barrier(0.0, 5.0, SideMask{1, 1, 0, 1});
    // Mid-way the top is the shortest way round (δ 1.54 m against 98 m round the ends).
    const auto middle = MinPathDifferencePoint(wall, {-10, 0, 1}, {10, 0, 1});
    ASSERT_TRUE(middle);
    EXPECT_TRUE(Near(middle->point, {0, 0, 5}));
    EXPECT_TRUE(middle->crossing);
    // 2 m from the end at y = 50 the way round it (δ 0.40 m) beats the top (1.54 m).
    const auto nearEnd = MinPathDifferencePoint(wall, {-10, 48, 1}, {10, 48, 1});
    ASSERT_TRUE(nearEnd);
    EXPECT_TRUE(Near(nearEnd->point, {0, 50, 1}));
    // Passing beside the end (non-crossing for that side) gives the negative, smallest difference.
    const auto beside = MinPathDifferencePoint(wall, {-10, 52, 1}, {10, 52, 1});
    ASSERT_TRUE(beside);
    EXPECT_TRUE(Near(beside->point, {0, 50, 1}));
    EXPECT_FALSE(beside->crossing);
    EXPECT_FALSE(MinPathDifferencePoint(Barrier(0.0, 5.0, kNoSide), {-10, 0, 1}, {10, 0, 1}));
}

// S (0,0,1) → R (100,0,1) over tops at x = 50 (8 m) and x = 80 (6 m).
TEST(DoubleEdgePoints, MeetingOrderAndPointsOverTwoCrossedTops) {
    const CRectObstacle near = Barrier(50.0, 8.0);
    const CRectObstacle far = Barrier(80.0, 6.0);
    const CVector3D s{0, 0, 1};
    const CVector3D r{100, 0, 1};
    for (const bool nearGivenFirst : {true, false}) {
        const auto p = nearGivenFirst ? DoubleEdgePoints(near, s, r, 0, far, 0)
                                      : DoubleEdgePoints(far, s, r, 0, near, 0);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->xFirst, nearGivenFirst);
        EXPECT_TRUE(Near(p->first, {50, 0, 8}));
        EXPECT_TRUE(Near(p->second, {80, 0, 6}));
        EXPECT_TRUE(p->crossFirst);
        EXPECT_TRUE(p->crossSecond);
    }
    // The far top (3 m) lies below the line from the near top to R (3.8 m there): not crossed.
    const auto low = DoubleEdgePoints(near, s, r, 0, Barrier(80.0, 3.0), 0);
    ASSERT_TRUE(low);
    EXPECT_TRUE(low->crossFirst);
    EXPECT_FALSE(low->crossSecond);
}

TEST(DoubleEdgePoints, CrossedPairRefinedWhereEachEdgeSeesTheOther) {
    // A level top at x = 50 (8 m) and a top at x = 80 sloping from 2 m at y = 50 to 10 m at y = −50. The
    // plane through R and the first top cuts the second at E2' = (80, 27.5, 3.8); the first point is
    // searched on the way S → E2', the second from the first point to R (worked out by hand).
    CRectObstacle sloping = Barrier(80.0, 6.0);
    sloping.rect = {{80, 50, 2}, {80, -50, 10}, {80, -50, 0}};
    const auto p = DoubleEdgePoints(Barrier(50.0, 8.0), {0, 0, 1}, {100, 0, 1}, 0, sloping, 0);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->crossFirst);
    EXPECT_TRUE(p->crossSecond);
    EXPECT_TRUE(Near(p->first, {50, 17.250586781, 8}, 1e-8));
    EXPECT_TRUE(Near(p->second, {80, 7.119793942, 5.430416485}, 1e-8));
}

TEST(MinPathDoubleDiffraction, ShortestPairOfSides) {
    // Close to the end at y = +50 of both barriers the way round the ends is shorter than over the tops.
    const CRectObstacle near = Barrier(50.0, 8.0, SideMask{1, 0, 0, 1});
    const CRectObstacle far = Barrier(80.0, 6.0, SideMask{1, 0, 0, 1});
    const auto overTops = MinPathDoubleDiffraction(near, {0, 0, 1}, {100, 0, 1}, far);
    ASSERT_TRUE(overTops);
    EXPECT_TRUE(Near(overTops->first, {50, 0, 8}));
    const auto roundEnds = MinPathDoubleDiffraction(near, {0, 49, 1}, {100, 49, 1}, far);
    ASSERT_TRUE(roundEnds);
    EXPECT_TRUE(Near(roundEnds->first, {50, 50, 1}));
    EXPECT_TRUE(Near(roundEnds->second, {80, 50, 1}));
    EXPECT_FALSE(MinPathDoubleDiffraction(near, {0, 0, 1}, {100, 0, 1}, Barrier(80.0, 6.0, kNoSide)));
}

TEST(DoublePathDifferences, SignedByTheSegmentsThroughEachFace) {
    const auto d = DoublePathDifferences(Barrier(50.0, 8.0), {0, 0, 1}, {100, 0, 1}, {50, 0, 8}, {80, 0, 6},
                                         Barrier(80.0, 6.0));
    ASSERT_TRUE(d);
    // Worked out by hand: √(50²+7²)·2 − 100, √(80²+5²) + √(20²+5²) − 100, ...
    EXPECT_NEAR(d->first, 0.9752444909, 1e-9);
    EXPECT_NEAR(d->second, 0.7716258375, 1e-9);
    EXPECT_NEAR(d->secondFromFirst, 0.1944986394, 1e-9);
    EXPECT_NEAR(d->firstFromSecond, 0.3981172928, 1e-9);
    // A first face that the path passes above counts negative.
    const auto above = DoublePathDifferences(Barrier(50.0, 0.5), {0, 0, 1}, {100, 0, 1}, {50, 0, 0.5},
                                             {80, 0, 6}, Barrier(80.0, 6.0));
    ASSERT_TRUE(above);
    EXPECT_LT(above->first, 0.0);
    EXPECT_GT(above->second, 0.0);
    EXPECT_FALSE(DoublePathDifferences(Barrier(150.0, 8.0), {0, 0, 1}, {100, 0, 1}, {150, 0, 8}, {80, 0, 6},
                                       Barrier(80.0, 6.0)));
}

}  // namespace
}  // namespace kelmora
