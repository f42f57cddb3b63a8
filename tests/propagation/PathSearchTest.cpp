#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "propagation/ObstacleFixtures.h"
#include "propagation/PathSearch.h"

namespace kelmora {
namespace {

// A flat ground face at z = 0 over x −50..150, y −10..10: reflects on its upper side only, never blocks.
CRectObstacle Ground() {
    CRectObstacle ground = Plate(0.0, -50, 150, -10, 10);
    ground.wedgeType = kGroundFace;
    ground.obstructs = 0;
    ground.absorptionRight = CBand::Filled(1.0);
    return ground;
}

// A knife-edge barrier across the x axis that only blocks (like a building screen).
CRectObstacle Screen(double at, double top) {
    CRectObstacle screen = Barrier(at, top);
    screen.reflects = 0;
    return screen;
}

// A 4 m high reflecting wall without edges along the plane y = `at`, from x = x0 to x1.
CRectObstacle SideWall(double at, double x0 = -100.0, double x1 = 100.0) {
    CRectObstacle wall = Barrier(0.0, 4.0, kNoSide);
    wall.rect = {{x0, at, 4}, {x1, at, 4}, {x1, at, 0}};
    return wall;
}

std::vector<CVector3D> ReflectionPoints(const CPropagationPath& path) {
    std::vector<CVector3D> points;
    for (std::size_t i = 1; i + 1 < path.size(); ++i)
        points.push_back(path[i].point);
    return points;
}

TEST(FindPropagationPaths, FreeFieldHasOnlyTheDirectPath) {
    const std::vector<CPropagationPath> paths = FindPropagationPaths({0, 0, 1}, {30, 5, 2}, {}, 2);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], (CPropagationPath{EndNode({0, 0, 1}), EndNode({30, 5, 2})}));
}

// S (0,0,2), R (100,0,3): the image S′ (0,0,−2) sees R through the ground at x = 100·2/5 = 40.
TEST(FindPropagationPaths, GroundReflectionOverAFlatLine) {
    const std::vector<CRectObstacle> scene = {Ground()};
    EXPECT_EQ(FindPropagationPaths({0, 0, 2}, {100, 0, 3}, scene, 0).size(), 1u);
    for (const int maxReflections : {1, 2}) {
        const std::vector<CPropagationPath> paths =
            FindPropagationPaths({0, 0, 2}, {100, 0, 3}, scene, maxReflections);
        ASSERT_EQ(paths.size(), 2u) << maxReflections;  // twice on the same face never counts
        ASSERT_EQ(paths[1].size(), 3u);
        EXPECT_EQ(paths[1][1].face, 0);
        EXPECT_TRUE(Near(paths[1][1].point, {40, 0, 0}));
        EXPECT_TRUE(Near(paths[1][1].image, {0, 0, -2}));
        EXPECT_EQ(paths[1][1].reflectState, kOnFace);
    }
}

TEST(FindPropagationPaths, KnifeEdgeCrossedOrPassedBeside) {
    const std::vector<CRectObstacle> scene = {Screen(50.0, 5.0)};
    const std::vector<CPropagationPath> over = FindPropagationPaths({0, 0, 1}, {100, 0, 1}, scene, 2);
    ASSERT_EQ(over.size(), 1u);
    EXPECT_EQ(over[0][1].diffractorX, 0);
    EXPECT_EQ(over[0][1].crossX, kPassesOver);
    EXPECT_EQ(over[0][1].crossY, kNoDiffraction);
    EXPECT_TRUE(Near(over[0][1].pointX, {50, 0, 5}));
    // Passing 1 m above the top: the edge is recorded as non-crossing by the check of the free leg.
    const std::vector<CPropagationPath> beside = FindPropagationPaths({0, 0, 6}, {100, 0, 6}, scene, 2);
    ASSERT_EQ(beside.size(), 1u);
    EXPECT_EQ(beside[0][1].diffractorX, 0);
    EXPECT_EQ(beside[0][1].crossX, kPassesBeside);
    EXPECT_TRUE(Near(beside[0][1].pointX, {50, 0, 5}));
}

// The screen at x = 50 stands between S (0,0,2) and R (100,0,3) over the ground. The ground reflection
// lies before the screen, aimed at its top (50,0,5): x = 50·2/7; or beyond it, seen from the top:
// S″ = (50,0,−5) to R gives x = 50 + 50·5/8.
TEST(FindPropagationPaths, GroundReflectionOnEitherSideOfAScreen) {
    const std::vector<CRectObstacle> scene = {Screen(50.0, 5.0), Ground()};
    const std::vector<CPropagationPath> paths = FindPropagationPaths({0, 0, 2}, {100, 0, 3}, scene, 1);
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0].size(), 2u);
    EXPECT_EQ(paths[0][1].crossX, kPassesOver);

    const CPropagationPath& before = paths[1];
    EXPECT_TRUE(Near(before[1].point, {50.0 * 2.0 / 7.0, 0, 0}, 1e-9));
    EXPECT_EQ(before[1].crossX, kNoDiffraction);
    EXPECT_EQ(before[2].diffractorX, 0);
    EXPECT_EQ(before[2].crossX, kPassesOver);

    const CPropagationPath& beyond = paths[2];
    EXPECT_TRUE(Near(beyond[1].point, {81.25, 0, 0}, 1e-9));
    EXPECT_TRUE(Near(beyond[1].image, {50, 0, -5}, 1e-9));
    EXPECT_EQ(beyond[1].crossX, kPassesOver);
    EXPECT_EQ(beyond[2].crossX, kNoDiffraction);
}

// Two walls along y = 5 and y = −5, S (0,0,2) and R (20,0,2) between them.
TEST(FindPropagationPaths, ReflectionsBetweenTwoWallsInLexicographicOrder) {
    const std::vector<CRectObstacle> scene = {SideWall(5.0), SideWall(-5.0)};
    const CVector3D s{0, 0, 2};
    const CVector3D r{20, 0, 2};
    EXPECT_EQ(FindPropagationPaths(s, r, scene, 0).size(), 1u);
    EXPECT_EQ(FindPropagationPaths(s, r, scene, 1).size(), 3u);
    const std::vector<CPropagationPath> paths = FindPropagationPaths(s, r, scene, 2);
    ASSERT_EQ(paths.size(), 5u);
    EXPECT_EQ(ReflectionPoints(paths[1]), (std::vector<CVector3D>{{10, 5, 2}}));
    EXPECT_EQ(ReflectionPoints(paths[2]), (std::vector<CVector3D>{{10, -5, 2}}));
    // Images (0,10,2) then (0,−20,2): the line to R meets y = −5 at x = 15, and back to y = 5 at x = 5.
    const std::vector<CVector3D> twice = ReflectionPoints(paths[3]);
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_TRUE(Near(twice[0], {5, 5, 2}));
    EXPECT_TRUE(Near(twice[1], {15, -5, 2}));
    EXPECT_TRUE(Near(ReflectionPoints(paths[4])[0], {5, -5, 2}));
    // With two faces, sequences of three are never searched.
    EXPECT_EQ(FindPropagationPaths(s, r, scene, 3), paths);
}

TEST(FindPropagationPaths, FacesThatNeverReflect) {
    CRectObstacle absorbing = SideWall(5.0);
    absorbing.absorptionLeft = absorbing.absorptionRight = CBand::Filled(1.0);
    CRectObstacle screen = SideWall(-5.0);
    screen.reflects = 0;
    EXPECT_EQ(FindPropagationPaths({0, 0, 2}, {20, 0, 2}, std::vector{absorbing, screen}, 2).size(), 1u);
}

// A 10 m × 4 m reflector in the plane x = 10 (y −5..5, z 0..4), S = (0,0,2) and R = (0, yR, zR): the
// reflection point lies at (10, yR/2, (2 + zR)/2).
TEST(FindPropagationPaths, ReflectionPointWithinOneMetreOfTheReflector) {
    CRectObstacle reflector = Barrier(10.0, 4.0, kNoSide, 5.0);
    reflector.obstructs = 0;
    struct Case {
        double yR, zR;
        int paths;
        std::int32_t state;
    };
    const std::vector<Case> cases = {
        {4.0, 2.0, 2, kOnFace},     // (10, 2, 2) on the face
        {11.6, 2.0, 2, kNearFace},  // 0.8 m beyond the side at y = 5
        {12.4, 2.0, 1, 0},          // 1.2 m beyond it
        {11.2, 7.2, 2, kNearFace},  // beyond the corner (5, 4) by (0.6, 0.6): 0.85 m
        {11.6, 7.6, 1, 0},          // by (0.8, 0.8): 1.13 m
    };
    for (const Case& c : cases) {
        const std::vector<CPropagationPath> paths =
            FindPropagationPaths({0, 0, 2}, {0, c.yR, c.zR}, std::vector{reflector}, 1);
        ASSERT_EQ(paths.size(), static_cast<std::size_t>(c.paths)) << c.yR;
        if (c.paths == 2) {
            EXPECT_EQ(paths[1][1].reflectState, c.state) << c.yR;
        }
    }
}

TEST(FindPropagationPaths, ReflectionPointMustLieMoreThanThirtyCentimetresFromTheSource) {
    CRectObstacle reflector = Barrier(10.0, 4.0, kNoSide, 5.0);
    reflector.obstructs = 0;
    const std::vector scene{reflector};
    EXPECT_EQ(FindPropagationPaths({9.8, 0, 2}, {0, 0, 2}, scene, 1).size(), 1u);  // 0.2 m: dropped
    EXPECT_EQ(FindPropagationPaths({9.6, 0, 2}, {0, 0, 2}, scene, 1).size(), 2u);  // 0.4 m: kept
    // The receiver may stand close to the last reflecting face when nothing lies between them.
    EXPECT_EQ(FindPropagationPaths({0, 0, 2}, {9.8, 1, 2}, scene, 1).size(), 2u);
}

// Screens of 5 m at x = 25 and x = 75 over the ground, S (0,0,2), R (100,0,3). Besides the direct path
// over both screens, the ground reflection lies before both (aimed at the first top: x = 25·2/7), beyond
// both (seen from the second top, image (75,0,−5): x = 75 + 25·5/8), or between them (from the first top
// to the second: x = 50), one path per placement of the screens on the two legs.
TEST(FindPropagationPaths, ScreensPlacedOnEitherLegOfAGroundReflection) {
    const std::vector<CRectObstacle> scene = {Screen(25.0, 5.0), Screen(75.0, 5.0), Ground()};
    const std::vector<CPropagationPath> paths = FindPropagationPaths({0, 0, 2}, {100, 0, 3}, scene, 1);
    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(paths[0][1].crossX, kPassesOver);
    EXPECT_EQ(paths[0][1].crossY, kPassesOver);
    struct Expected {
        double x;  // of the reflection point
        std::int32_t groundLegX, groundLegY, receiverLegX, receiverLegY;
    };
    const std::vector<Expected> expected = {
        {25.0 * 2.0 / 7.0, kNoDiffraction, kNoDiffraction, kPassesOver, kPassesOver},
        {90.625, kPassesOver, kPassesOver, kNoDiffraction, kNoDiffraction},
        {50.0, kPassesOver, kNoDiffraction, kPassesOver, kNoDiffraction},
    };
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const CPropagationPath& path = paths[k + 1];
        const Expected& e = expected[k];
        EXPECT_TRUE(Near(path[1].point, {e.x, 0, 0}, 1e-9)) << k;
        EXPECT_EQ(path[1].crossX, e.groundLegX) << k;
        EXPECT_EQ(path[1].crossY, e.groundLegY) << k;
        EXPECT_EQ(path[2].crossX, e.receiverLegX) << k;
        EXPECT_EQ(path[2].crossY, e.receiverLegY) << k;
    }
    // The split placement records each screen alone on its leg.
    EXPECT_EQ(paths[3][1].diffractorX, 0);
    EXPECT_EQ(paths[3][2].diffractorX, 1);
}

// A point of the plan moved to an arbitrary place: turned by 0.37 rad about the vertical, tilted by
// 0.05 rad and shifted far from the origin, so that points computed on a face's plane come out a
// rounding error off it.
CVector3D Displaced(const CVector3D& p) {
    const double c = std::cos(0.37);
    const double s = std::sin(0.37);
    const CVector3D turned{c * p.x - s * p.y, s * p.x + c * p.y, p.z};
    const double ct = std::cos(0.05);
    const double st = std::sin(0.05);
    return {turned.x + 1234.567, ct * turned.y - st * turned.z + 765.4321,
            st * turned.y + ct * turned.z + 12.3};
}

CRectObstacle Displaced(CRectObstacle face) {
    face.rect = {Displaced(face.rect.p1), Displaced(face.rect.p2), Displaced(face.rect.p3)};
    return face;
}

// A screen over reflecting ground with two reflections: over the top; ground before the screen; ground
// beyond it; and ground, top, ground again on the same face. The second reflection's leg crosses the top,
// and the first reflection lies in the ground's plane: however rounding places it, the sound reaches the
// top from the ground's upper side. Over a patch of receivers, the displaced site has the four paths of
// the plain one, at the same places.
TEST(FindPropagationPaths, GroundTopGroundOnOneFaceOverAPatchOfReceivers) {
    const std::vector<CRectObstacle> plain = {Screen(50.0, 5.0), Ground()};
    const std::vector<CRectObstacle> displaced = {Displaced(plain[0]), Displaced(plain[1])};
    const CVector3D s{0, 0, 2};
    int fourth = 0;
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 10; ++j) {
            const CVector3D r{100 + 0.1 * i, 0.1 * j, 3};
            SCOPED_TRACE(testing::Message() << "R " << r.x << " " << r.y);
            const std::vector<CPropagationPath> expected = FindPropagationPaths(s, r, plain, 2);
            ASSERT_EQ(expected.size(), 4u);
            const CPropagationPath& twice = expected[3];
            ASSERT_EQ(twice.size(), 4u);
            EXPECT_EQ(twice[1].face, 1);
            EXPECT_EQ(twice[2].face, 1);
            EXPECT_EQ(twice[2].crossX, kPassesOver);
            EXPECT_LT(twice[1].point.x, 50.0);
            EXPECT_GT(twice[2].point.x, 50.0);

            const std::vector<CPropagationPath> paths =
                FindPropagationPaths(Displaced(s), Displaced(r), displaced, 2);
            ASSERT_EQ(paths.size(), expected.size());
            for (std::size_t k = 0; k < paths.size(); ++k) {
                ASSERT_EQ(paths[k].size(), expected[k].size()) << k;
                for (std::size_t n = 0; n < paths[k].size(); ++n) {
                    EXPECT_EQ(paths[k][n].face, expected[k][n].face);
                    EXPECT_EQ(paths[k][n].crossX, expected[k][n].crossX);
                    EXPECT_TRUE(Near(paths[k][n].point, Displaced(expected[k][n].point), 1e-6))
                        << k << " " << n;
                }
            }
            fourth += paths.size() == 4 ? 1 : 0;
        }
    }
    EXPECT_EQ(fourth, 100);
}

// Eight reflecting walls and up to 100 reflections: 8^8 sequences of faces and more, far beyond any
// wait. The checkpoint is asked at every sequence and every leg, and its exception ends the search.
TEST(FindPropagationPaths, CheckpointEndsASearchOverManyReflections) {
    std::vector<CRectObstacle> scene;
    for (int k = 1; k <= 4; ++k) {
        scene.push_back(SideWall(5.0 * k));
        scene.push_back(SideWall(-5.0 * k));
    }
    int calls = 0;
    const auto checkpoint = [&] {
        if (++calls == 20000) throw std::runtime_error("cancelled");
    };
    EXPECT_THROW(FindPropagationPaths({0, 0, 2}, {20, 0, 2}, scene, 100, checkpoint), std::runtime_error);
    EXPECT_EQ(calls, 20000);
    // Without reflections the direct path is all there is, with or without a checkpoint.
    calls = 0;
    EXPECT_EQ(FindPropagationPaths({0, 0, 2}, {20, 0, 2}, scene, 0, checkpoint).size(), 1u);
    EXPECT_GE(calls, 2);
}

// S (0,0,1) → R (100,0,1) over screens at x = 20 (4 m), 50 (8 m) and 80 (6 m).
TEST(FindPropagationPaths, DoubleDiffractionOverTheTwoMostAttenuatingScreens) {
    const std::vector<CRectObstacle> scene = {Screen(20.0, 4.0), Screen(80.0, 6.0), Screen(50.0, 8.0)};
    const std::vector<CPropagationPath> paths = FindPropagationPaths({0, 0, 1}, {100, 0, 1}, scene, 2);
    ASSERT_EQ(paths.size(), 1u);
    const CPathRInfo& r = paths[0][1];
    EXPECT_EQ(r.diffractorX, 2);
    EXPECT_EQ(r.diffractorY, 1);
    EXPECT_EQ(r.crossX, kPassesOver);
    EXPECT_EQ(r.crossY, kPassesOver);
    EXPECT_TRUE(Near(r.pointX, {50, 0, 8}));
    EXPECT_TRUE(Near(r.pointY, {80, 0, 6}));
}

}  // namespace
}  // namespace kelmora
