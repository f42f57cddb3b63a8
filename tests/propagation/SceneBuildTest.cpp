// The whole scene of one source–point pair: the path strip, the order of the faces and degenerate paths.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "SceneFixtures.h"
#include "geometry/Polygon.h"
#include "geometry/RectGeometry.h"
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

TEST(SceneBuild, QuickStripTestsAgreeWithThePolygonAlgebra) {
    // Walls and roofs scattered around two strips, many of them ending on or just beside the strip's
    // edges: the reach tests answer as the plan polygon operations do.
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> coordinate(-30.0, 130.0);
    std::uniform_int_distribution<int> snap(0, 3);
    const double nudges[] = {0.0, 1e-9, -1e-9, 1e-3, -1e-3};
    for (const CVector3D& r : {CVector3D{100, 0, 0}, CVector3D{80, 60, 0}}) {
        const CPathStrip strip = MakePathStrip({0, 0, 0}, r);
        const auto point = [&]() {
            CVertex2D p{coordinate(random), coordinate(random)};
            // Every other point is moved onto the strip's left edge line, give or take a nudge.
            if (snap(random) < 2) {
                const double along = coordinate(random);
                const double across = 7.5 + nudges[snap(random)];
                p = Plan(strip.corners[0]) +
                    along / 115.0 * (Plan(strip.corners[1]) - Plan(strip.corners[0]));
                p = p + (across - 7.5) * strip.n;
            }
            return p;
        };
        for (int k = 0; k < 3000; ++k) {
            const CVertex2D a = point();
            const CVertex2D b = point();
            ASSERT_EQ(SegmentCrossesStrip(a, b, strip), SegmentCrossesPolygon2D(a, b, strip.polygon)) << k;
            const CMyRect roof{
                {a.x, a.y, 5}, {b.x, b.y, 5}, {b.x + 0.3 * (a.y - b.y), b.y + 0.3 * (b.x - a.x), 5}};
            const auto c = RectCorners2D(roof);
            const bool direct = IntersectionArea2D({c.begin(), c.end()}, strip.polygon) > 0.0 ||
                                SegmentCrossesPolygon2D(c[0], c[1], strip.polygon) ||
                                SegmentCrossesPolygon2D(c[1], c[2], strip.polygon);
            ASSERT_EQ(RoofReachesStrip(roof, strip), direct) << k;
        }
    }
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
