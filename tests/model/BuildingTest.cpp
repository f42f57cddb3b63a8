#include <gtest/gtest.h>

#include <algorithm>

#include "geometry/Polygon.h"
#include "model/Building.h"

namespace kelmora {
namespace {

TEST(CanonicalRoofRect, StoresCornerThreeAsTheThirdPoint) {
    struct Case {
        RectEntry entry;
        CMyRect expected;
    };
    const Case cases[] = {
        {{0, 0, 10, 20, 0, 5, 8, 6}, {{0, 0, 10}, {20, 0, 10}, {20, 8, 6}}},
        // Any point of side C's line gives the same rectangle.
        {{0, 0, 10, 20, 0, -40, 8, 6}, {{0, 0, 10}, {20, 0, 10}, {20, 8, 6}}},
        // Side A along (3, 4): the entered point lies 2 m to its left and 1 m along it, so corner 3 is
        // p2 + 2·(−0.8, 0.6).
        {{0, 0, 4, 3, 4, -1, 2, 2}, {{0, 0, 4}, {3, 4, 4}, {1.4, 5.2, 2}}},
    };
    for (const Case& c : cases) {
        const CMyRect r = CanonicalRoofRect(c.entry);
        EXPECT_EQ(r.p1, c.expected.p1);
        EXPECT_EQ(r.p2, c.expected.p2);
        EXPECT_NEAR(r.p3.x, c.expected.p3.x, 1e-12);
        EXPECT_NEAR(r.p3.y, c.expected.p3.y, 1e-12);
        EXPECT_NEAR(r.p3.z, c.expected.p3.z, 1e-12);
    }
}

CRoof FlatRoof(double x0, double y0, double x1, double y1, double z) {
    CRoof roof;
    roof.face.rect = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}};
    return roof;
}

std::vector<CVertex2D> PlanOf(const CBuildingWall& wall) {
    return PlanVertices(wall.polyline.vertices);
}

TEST(WallsFromRoofs, TouchingRoofsMakeOneWallAroundTheirFootprint) {
    CBuilding building;
    building.roofs = {FlatRoof(0, 0, 10, 10, 8), FlatRoof(10, 0, 20, 10, 6)};
    ASSERT_EQ(GenerateWallsFromRoofs(building), 1);
    const CBuildingWall& wall = building.walls.at(0);
    EXPECT_EQ(wall.closed, 1);
    EXPECT_EQ(wall.topZ, 6.0);
    EXPECT_EQ(wall.bottomZ, 0.0);
    EXPECT_EQ(wall.diffractTop, 1);
    EXPECT_EQ(wall.diffractBottom, 0);
    EXPECT_EQ(wall.memo, "自動生成, Z座標等を変更してください");
    EXPECT_DOUBLE_EQ(PolygonArea2D(PlanOf(wall)), 200.0);
    for (const CVector3D& v : wall.polyline.vertices) {
        EXPECT_EQ(v.z, 6.0);
        EXPECT_TRUE(v.x == 0 || v.x == 20 || v.y == 0 || v.y == 10) << v.x << "," << v.y;
    }
    EXPECT_NE(wall.polyline.vertices.front(), wall.polyline.vertices.back());
}

TEST(WallsFromRoofs, SeparateRoofsStaySeparateUntilBridged) {
    CBuilding building;
    building.roofs = {FlatRoof(0, 0, 10, 10, 5), FlatRoof(30, 0, 40, 5, 5)};
    ASSERT_EQ(GenerateWallsFromRoofs(building), 2);
    EXPECT_DOUBLE_EQ(PolygonArea2D(PlanOf(building.walls[0])), 100.0);
    EXPECT_DOUBLE_EQ(PolygonArea2D(PlanOf(building.walls[1])), 50.0);

    building.walls.clear();
    building.roofs.push_back(FlatRoof(5, 2, 35, 4, 5));
    ASSERT_EQ(GenerateWallsFromRoofs(building), 1);
    // 100 + 50 + the bridge's 20 × 2 between x = 10 and 30.
    EXPECT_DOUBLE_EQ(PolygonArea2D(PlanOf(building.walls[0])), 190.0);
}

TEST(WallsFromRoofs, RoofsAtOrBelowTheGroundGetWallsReachingThreeMetresLower) {
    for (auto [height, bottom] : {std::pair{0.0, -3.0}, std::pair{-2.0, -5.0}, std::pair{0.5, 0.0}}) {
        CBuilding building;
        building.roofs = {FlatRoof(0, 0, 10, 10, 4), FlatRoof(0, 0, 10, 10, height)};
        ASSERT_EQ(GenerateWallsFromRoofs(building), 1);
        EXPECT_EQ(building.walls[0].topZ, height);
        EXPECT_EQ(building.walls[0].bottomZ, bottom);
    }
}

TEST(WallsFromRoofs, ReportsNoRoofAndShortEdgesWithoutChangingTheBuilding) {
    CBuilding building;
    EXPECT_EQ(GenerateWallsFromRoofs(building), 0);

    building.walls.resize(1);
    building.walls[0].memo = "既存";
    const std::vector<CBuildingWall> before = building.walls;
    building.roofs = {FlatRoof(0, 0, 10, 10, 5), FlatRoof(50, 0, 60, 0.9, 5)};
    EXPECT_EQ(GenerateWallsFromRoofs(building), -1);
    EXPECT_EQ(building.walls, before);
}

TEST(WallsFromRoofs, RunningTwiceAppendsASecondIdenticalSet) {
    CBuilding building;
    building.roofs = {FlatRoof(0, 0, 10, 10, 5), FlatRoof(30, 0, 40, 5, 5)};
    ASSERT_EQ(GenerateWallsFromRoofs(building), 2);
    ASSERT_EQ(GenerateWallsFromRoofs(building), 2);
    ASSERT_EQ(building.walls.size(), 4u);
    EXPECT_EQ(building.walls[2], building.walls[0]);
    EXPECT_EQ(building.walls[3], building.walls[1]);
}

}  // namespace
}  // namespace kelmora
