#include <gtest/gtest.h>

#include "model/Room.h"

namespace kelmora {
namespace {

CRoom SquareRoom(double floorZ, double ceilingZ, bool counterClockwise = true) {
    CRoom room;
    room.floorZ = floorZ;
    room.ceilingZ = ceilingZ;
    room.outline.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    if (!counterClockwise) room.outline.vertices = {{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}};
    return room;
}

TEST(Room, EffectiveAreaIsTheRectanglesUnlessEntered) {
    CWindow opening;
    opening.rect = {{0, 0, 2.5}, {4, 0, 2.5}, {4, 0, 0}};
    opening.area = 99.0;
    EXPECT_DOUBLE_EQ(EffectiveArea(opening), 10.0);
    opening.areaFromRect = 0;
    EXPECT_EQ(EffectiveArea(opening), 99.0);
}

TEST(Room, SurfaceAreaFromTheShape) {
    // 10 × 10 m, 3 m high: floor and ceiling 200 m², walls 40 m × 3 m.
    CRoom room = SquareRoom(0, 3);
    EXPECT_DOUBLE_EQ(WallArea(room), 120.0);
    EXPECT_DOUBLE_EQ(ComputedSurfaceArea(room), 320.0);
    room.floorZ = 5;  // the storey height counts whichever way round it is entered
    EXPECT_DOUBLE_EQ(WallArea(room), 80.0);
    room.outline.vertices.resize(2);
    EXPECT_EQ(WallArea(room), 0.0);
    EXPECT_EQ(ComputedSurfaceArea(room), 0.0);
}

TEST(Room, OpeningHeightsFollowTheSurface) {
    const CRoom room = SquareRoom(0.5, 4.0);
    CWindow container;
    container.rect = {{0, 0, 3.0}, {4, 0, 3.0}, {4, 0, 1.0}};
    struct Case {
        std::int32_t belongsTo;
        const CWindow* containing;
        double z1, z3;
    };
    const Case cases[] = {
        {kOnCeiling, nullptr, 4.0, 4.0}, {kOnFloor, nullptr, 0.5, 0.5},      {kOnWall, nullptr, 4.0, 0.5},
        {kOnWall, &container, 3.0, 1.0}, {kOnCeiling, &container, 4.0, 4.0},
    };
    for (const Case& c : cases) {
        const OpeningHeights h = OpeningHeightsFromSurface(c.belongsTo, room, c.containing);
        EXPECT_EQ(h.z1, c.z1) << c.belongsTo;
        EXPECT_EQ(h.z3, c.z3) << c.belongsTo;
    }
}

TEST(WallOpenings, OneFullHeightOpeningPerEdgeOfASquareRoom) {
    CRoom room = SquareRoom(0, 3);
    room.defaultAbsorptionWall = CBand::Filled(0.25);
    room.defaultTl = CBand::Filled(35);
    room.openings.resize(1);
    ASSERT_EQ(GenerateWallOpenings(room, {}), 4);
    ASSERT_EQ(room.openings.size(), 5u);
    const CVector3D corners[] = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {0, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        const CWindow& w = room.openings[1 + i];
        const CVector3D s = corners[i], e = corners[i + 1];
        EXPECT_EQ(w.rect, (CMyRect{{s.x, s.y, 3}, {e.x, e.y, 3}, {e.x, e.y, 0}})) << i;
        EXPECT_DOUBLE_EQ(w.area, 30.0);
        EXPECT_EQ(w.areaFromRect, 1);
        EXPECT_EQ(w.absorption, room.defaultAbsorptionWall);
        EXPECT_EQ(w.tl, room.defaultTl);
        EXPECT_EQ(w.belongsTo, kOnWall);
        EXPECT_EQ(w.isOutdoorSource, 1);
        EXPECT_EQ(w.q, 2.0);
        EXPECT_EQ(w.memo, "自動生成, 項目確認要");
    }
}

TEST(WallOpenings, OpenOutlinesGetNoClosingEdge) {
    CRoom two = SquareRoom(0, 3);
    two.outline.vertices.resize(2);
    EXPECT_EQ(GenerateWallOpenings(two, {}), 1);
    CRoom collinear = SquareRoom(0, 3);
    collinear.outline.vertices = {{0, 0, 0}, {5, 0, 0}, {12, 0, 0}};
    EXPECT_EQ(GenerateWallOpenings(collinear, {}), 2);
    CRoom single = SquareRoom(0, 3);
    single.outline.vertices.resize(1);
    EXPECT_EQ(GenerateWallOpenings(single, {}), 0);
    EXPECT_TRUE(single.openings.empty());
}

TEST(WallOpenings, TooLowOrTooShortFailsWithoutAddingAnything) {
    CRoom low = SquareRoom(0, 0.5);
    EXPECT_EQ(GenerateWallOpenings(low, {}), -1);
    EXPECT_TRUE(low.openings.empty());
    CRoom notched = SquareRoom(0, 3);
    notched.outline.vertices.insert(notched.outline.vertices.begin() + 2, {10, 9.5, 0});
    EXPECT_EQ(GenerateWallOpenings(notched, {}), -1);
    EXPECT_TRUE(notched.openings.empty());
}

TEST(WallOpenings, AWallFacingAnotherPartOfTheBuildingIsNotASource) {
    // A roof south of the room covers the point 0.5 m outside its south wall (5, −0.5).
    CRoof neighbour;
    neighbour.face.rect = {{-5, -8, 5}, {15, -8, 5}, {15, -0.2, 5}};
    for (bool counterClockwise : {true, false}) {
        CRoom room = SquareRoom(0, 3, counterClockwise);
        ASSERT_EQ(GenerateWallOpenings(room, {neighbour}), 4);
        for (const CWindow& w : room.openings) {
            const bool south = w.rect.p1.y == 0 && w.rect.p2.y == 0;
            EXPECT_EQ(w.isOutdoorSource, south ? 0 : 1) << counterClockwise << " " << w.rect.p1.x;
        }
    }
}

}  // namespace
}  // namespace kelmora
