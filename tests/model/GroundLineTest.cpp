#include <gtest/gtest.h>

#include "model/GroundLine.h"

namespace kelmora {
namespace {

CGroundLine LineThrough(std::vector<CVector3D> vertices) {
    CGroundLine line;
    line.polyline.vertices = std::move(vertices);
    return line;
}

TEST(GroundLine, NewLineAndWallHaveTheirDefaults) {
    const CGroundLine line;
    EXPECT_TRUE(line.polyline.vertices.empty());
    EXPECT_TRUE(line.walls.empty());
    EXPECT_EQ(line.absorptionLeft, CBand());
    const CWall wall;
    EXPECT_EQ(wall.type, kKnifeEdgeBarrier);
    EXPECT_EQ(wall.rangeEnd, 5.0);
    EXPECT_EQ(wall.height, 2.5);
    EXPECT_EQ(wall.diffractTop, 1);
    EXPECT_EQ(wall.diffractBottom + wall.diffractStart + wall.diffractEnd, 0);
    EXPECT_EQ(wall.slopeHorizontal, 3.0);
    EXPECT_EQ(wall.slopeVertical, 3.0);
    EXPECT_TRUE(wall.tl.allEqual(0.0));
}

TEST(GroundLine, NewWallWithoutSelectionSpansTheLineToTheMillimetreBelow) {
    CGroundLine line = LineThrough({{0, 0, 0}, {3, 0, 0}, {7.0004, 0, 0}});
    line.walls.resize(1);
    line.walls[0].offsetHorizontal = 2.5;
    EXPECT_EQ(PlaceNewWall(line, -1), 1);
    ASSERT_EQ(line.walls.size(), 2u);
    EXPECT_EQ(line.walls[1].rangeStart, 0.0);
    EXPECT_DOUBLE_EQ(line.walls[1].rangeEnd, 7.0);
    EXPECT_EQ(line.walls[1].offsetHorizontal, 0.0);

    // The length is measured in space: a 3-4-5 rise.
    CGroundLine slope = LineThrough({{0, 0, 0}, {3, 0, 4}});
    PlaceNewWall(slope, -1);
    EXPECT_DOUBLE_EQ(slope.walls[0].rangeEnd, 5.0);

    CGroundLine bare;
    PlaceNewWall(bare, -1);
    EXPECT_EQ(bare.walls[0].rangeEnd, 0.0);
}

TEST(GroundLine, NewWallMirrorsASelectedWallThatStandsOffTheLine) {
    CGroundLine line = LineThrough({{0, 0, 0}, {20, 0, 0}});
    CWall selected;
    selected.type = kSlopeShoulder;
    selected.rangeStart = 2;
    selected.rangeEnd = 8;
    selected.offsetHorizontal = 2.5;
    selected.memo = "北側";
    line.walls = {selected, CWall{}};

    PlaceNewWall(line, 0);
    CWall mirrored = selected;
    mirrored.offsetHorizontal = -2.5;
    EXPECT_EQ(line.walls.back(), mirrored);

    // A wall on the line itself (offset 0) or an invalid selection gives a wall over the whole line.
    for (int selection : {1, 7}) {
        PlaceNewWall(line, selection);
        EXPECT_EQ(line.walls.back().rangeStart, 0.0);
        EXPECT_EQ(line.walls.back().rangeEnd, 20.0);
        EXPECT_EQ(line.walls.back().type, kKnifeEdgeBarrier);
    }
}

TEST(GroundLine, ShiftedCopyMovesOnlyThePolyline) {
    CGroundLine source = LineThrough({{0, 0, 0}, {10, 0, 0}});
    source.absorptionLeft = CBand::Filled(0.5);
    source.walls.resize(2);
    source.memo = "元";
    const CGroundLine copy = ShiftedCopy(source, 2.0, 1.0);
    CGroundLine expected = LineThrough({{0, 2, 1}, {10, 2, 1}});  // left of +x is +y
    EXPECT_EQ(copy, expected);
    EXPECT_EQ(ShiftedCopy(source, -2.0, 0.0).polyline.vertices[1], (CVector3D{10, -2, 0}));
}

struct FaceCase {
    const char* name;
    std::int32_t type;
    double offsetVertical;
    double height;
    std::int32_t slopeSide;
    CVector3D s, e;  // ends on the raised base line
    CMyRect expected;
};

TEST(GroundLine, FaceRectRisesFromTheRaisedBaseByTheHeight) {
    const FaceCase cases[] = {
        {"barrier on the ground",
         kKnifeEdgeBarrier,
         0,
         2.5,
         0,
         {0, 0, 0},
         {10, 0, 0},
         {{0, 0, 2.5}, {10, 0, 2.5}, {10, 0, 0}}},
        // The gap raises the base once: the face spans z 1..3 above ground at z 0, not 2..4.
        {"barrier with a 1 m gap",
         kRightAngleBarrier,
         1.0,
         2.0,
         0,
         {0, 0, 1},
         {10, 0, 1},
         {{0, 0, 3}, {10, 0, 3}, {10, 0, 1}}},
        {"shoulder sloping left",
         kSlopeShoulder,
         0,
         3.0,
         kSlopeLeft,
         {0, 0, 0},
         {10, 0, 0},
         {{0, 0, 3}, {10, 0, 3}, {10, 3, 0}}},
        {"shoulder sloping right",
         kSlopeShoulder,
         0,
         3.0,
         kSlopeRight,
         {0, 0, 0},
         {10, 0, 0},
         {{0, 0, 3}, {10, 0, 3}, {10, -3, 0}}},
        // Along +y the left is −x; the foot lies at gap + height − drop = 1 + 3 − 3 above the ground.
        {"raised shoulder along +y",
         kSlopeShoulder,
         1.0,
         3.0,
         kSlopeLeft,
         {0, 0, 1},
         {0, 5, 1},
         {{0, 0, 4}, {0, 5, 4}, {-3, 5, 1}}},
        {"shoulder piece without plan length",
         kSlopeShoulder,
         0,
         3.0,
         kSlopeLeft,
         {2, 2, 0},
         {2, 2, 1},
         {{2, 2, 3}, {2, 2, 4}, {2, 2, 1}}},
    };
    for (const FaceCase& c : cases) {
        CWall wall;
        wall.type = c.type;
        wall.offsetVertical = c.offsetVertical;
        wall.height = c.height;
        wall.slopeSide = c.slopeSide;
        EXPECT_EQ(BuildFaceRect(wall, c.s, c.e), c.expected) << c.name;
    }
}

TEST(GroundLine, FaceAttributesDiffractOnlyAtTheWallsOwnEdges) {
    CWall wall;
    wall.type = kSlopeShoulder;
    wall.diffractTop = 1;
    wall.diffractBottom = 1;
    wall.diffractStart = 1;
    wall.diffractEnd = 1;
    wall.tl = CBand::Filled(15);
    wall.absorptionLeft = CBand::Filled(0.3);
    wall.diffuseRight = kDiffuseReflection;
    struct Case {
        bool first, last;
        double gap;
        std::array<std::int32_t, 4> diffracts;
    };
    const Case cases[] =
        {
            {true, true, 0.5, {1, 1, 1, 1}},  {true, false, 0.5, {1, 0, 1, 1}},
            {false, true, 0.5, {1, 1, 1, 0}}, {false, false, 0.5, {1, 0, 1, 0}},
            {true, true, 0.0, {1, 1, 0, 1}},  // standing on the ground: never at the foot
        };
    for (const Case& c : cases) {
        wall.offsetVertical = c.gap;
        CRectObstacle face;
        face.name = "壁";
        ApplyFaceAttributes(wall, c.first, c.last, face);
        EXPECT_EQ(face.diffracts, c.diffracts) << c.first << c.last << c.gap;
        EXPECT_EQ(face.wedgeType, kSlopeShoulder);
        EXPECT_EQ(face.tl, wall.tl);
        EXPECT_EQ(face.absorptionLeft, wall.absorptionLeft);
        EXPECT_EQ(face.diffuseRight, kDiffuseReflection);
        EXPECT_EQ(face.name, "壁");
    }
}

}  // namespace
}  // namespace kelmora
