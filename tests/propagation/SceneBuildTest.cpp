// The whole scene of one source–point pair: the path strip, the order of the faces and degenerate paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneFixtures.h"
#include "model/Noise.h"
#include "propagation/Scene.h"
#include "propagation/ScenePathStrip.h"

namespace kelmora {
namespace {

using fixtures::SamePoint;

TEST(SceneBuild, PathStripReachesBeyondSAndRAndLiesOnTheGroundPlane) {
    // S → R along (0.6, 0.8): 7.5 u = (4.5, 6), 7.5 n = (−6, 4.5).
    const auto strip = PathStrip({0, 0, 3}, {30, 40, 12});
    EXPECT_TRUE(SamePoint(strip[0], {-10.5, -1.5, 0}));
    EXPECT_TRUE(SamePoint(strip[1], {28.5, 50.5, 0}));
    EXPECT_TRUE(SamePoint(strip[2], {40.5, 41.5, 0}));
    EXPECT_TRUE(SamePoint(strip[3], {1.5, -10.5, 0}));
}

TEST(SceneBuild, FacesComeInBuildingWallGroundOrder) {
    CNoise model;
    CBuilding roofsOnly = fixtures::BoxBuilding(20, -5, 30, 5, 6.0, false);
    roofsOnly.memo = "1";
    CBuilding walled = fixtures::BoxBuilding(40, -10, 60, 10, 8.0);
    walled.memo = "2";
    model.buildings = {roofsOnly, walled};
    CGroundLine barrier = fixtures::BarrierLine({80, -20}, {80, 20}, 3.0);
    barrier.walls.push_back(fixtures::Wall(0.0, 40.0, 2.0, kSlopeShoulder));
    barrier.walls[0].memo = "A";
    model.groundLines = {barrier, fixtures::BarrierLine({90, -20}, {90, 20}, 2.0)};

    const Scene scene = BuildScene(model, {0, 0, 1.5}, {100, 0, 1.5});
    std::vector<std::string> names;
    for (const CRectObstacle& face : scene)
        names.push_back(face.name);
    // The slope adds a foot line 3 m west of x = 80 that the path crosses too: four ground faces.
    const std::vector<std::string> expected = {"of建物屋上面",
                                               "of建物用回折壁A(2)",
                                               "of建物用回折壁A(2)",
                                               "of建物屋上面",
                                               "of建物外壁(2)",
                                               "of建物外壁(2)",
                                               "ofナイフウェッジ壁(A)",
                                               "of法面",
                                               "ofナイフウェッジ壁",
                                               "of地表面",
                                               "of地表面",
                                               "of地表面",
                                               "of地表面"};
    EXPECT_EQ(names, expected);

    // Rebuilding into the same list replaces it.
    Scene reused = scene;
    BuildScene(model, {0, 0, 1.5}, {100, 0, 1.5}, reused);
    EXPECT_EQ(reused, scene);
}

TEST(SceneBuild, SourceAndPointAtOnePlanPositionGiveADegenerateSceneWithoutError) {
    CNoise model;
    model.buildings = {fixtures::BoxBuilding(0, 0, 20, 20, 8.0),
                       fixtures::BoxBuilding(30, 0, 50, 20, 8.0, false)};
    model.groundLines = {fixtures::BarrierLine({5, -20}, {5, 40}, 3.0)};
    Scene scene;
    ASSERT_NO_THROW(scene = BuildScene(model, {10, 10, 1}, {10, 10, 5}));
    ASSERT_EQ(scene.size(), 1u);
    EXPECT_EQ(scene[0].name, "of地表面");
}

}  // namespace
}  // namespace kelmora
