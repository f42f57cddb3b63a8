// Faces of barriers and slope shoulders along ground lines, and the slope-foot ground lines. The path
// runs from S = (0, 0) to R = (100, 0); the path strip covers x −7.5..107.5, y −7.5..7.5.
#include <gtest/gtest.h>

#include <string>

#include "SceneFixtures.h"
#include "geometry/RectGeometry.h"
#include "model/Noise.h"
#include "propagation/GroundModel.h"
#include "propagation/WallFaces.h"

namespace kelmora {
namespace {

using fixtures::GroundLine;
using fixtures::SamePoint;
using fixtures::Spectrum;
using fixtures::Wall;

using fixtures::kR;
using fixtures::kS;

Scene FacesOf(const CWall& wall, const CGroundLine& line) {
    Scene scene;
    AppendWallFaces(wall, line, kS, kR, scene);
    return scene;
}

// A ground line across the path at x = 50, running north (its left is −x).
CGroundLine LineAcrossPath() {
    return GroundLine({{50, -20, 0}, {50, 20, 0}});
}

TEST(SceneWallFaces, BarrierFaceRisesFromItsGapByItsHeight) {
    struct Case {
        double offsetHorizontal, offsetVertical;
        CMyRect rect;
    };
    const Case cases[] = {
        {0.0, 0.0, {{50, -20, 3}, {50, 20, 3}, {50, 20, 0}}},
        {0.0, 1.0, {{50, -20, 4}, {50, 20, 4}, {50, 20, 1}}},  // the gap once, not twice
        {2.0, 0.5, {{48, -20, 3.5}, {48, 20, 3.5}, {48, 20, 0.5}}},
    };
    for (const Case& c : cases) {
        CWall wall = Wall(0.0, 40.0, 3.0);
        wall.offsetHorizontal = c.offsetHorizontal;
        wall.offsetVertical = c.offsetVertical;
        const Scene scene = FacesOf(wall, LineAcrossPath());
        ASSERT_EQ(scene.size(), 1u);
        EXPECT_TRUE(SamePoint(scene[0].rect.p1, c.rect.p1));
        EXPECT_TRUE(SamePoint(scene[0].rect.p2, c.rect.p2));
        EXPECT_TRUE(SamePoint(scene[0].rect.p3, c.rect.p3));
        EXPECT_EQ(scene[0].reflects, 1);
        EXPECT_EQ(scene[0].obstructs, 1);
    }
}

TEST(SceneWallFaces, OnlyPiecesReachingIntoTheStripMakeFaces) {
    // A zig-zag line: the middle piece crosses the path, the outer ones stay outside the strip, and the
    // last piece of the second line only touches the strip's edge.
    CGroundLine zigzag = GroundLine({{30, -40, 0}, {50, -20, 0}, {50, 20, 0}, {30, 40, 0}});
    CWall wall = Wall(0.0, 96.0, 3.0);
    wall.diffractStart = 1;
    wall.diffractEnd = 1;
    Scene scene = FacesOf(wall, zigzag);
    ASSERT_EQ(scene.size(), 1u);
    EXPECT_EQ(scene[0].rect.p1, (CVector3D{50, -20, 3}));
    EXPECT_EQ(scene[0].diffracts, (std::array<std::int32_t, 4>{1, 0, 0, 0}));  // an inner piece

    const CGroundLine touching = GroundLine({{50, -20, 0}, {50, 7.5, 0}, {60, 7.5, 0}, {60, 20, 0}});
    scene = FacesOf(Wall(0.0, 50.0, 3.0), touching);
    ASSERT_EQ(scene.size(), 1u);  // the piece along the strip's edge and the one beyond it make none
    EXPECT_EQ(scene[0].rect.p2, (CVector3D{50, 7.5, 3}));
}

TEST(SceneWallFaces, NamesSayTheKindOfWall) {
    struct Case {
        std::int32_t type;
        const char* memo;
        const char* name;
    };
    const Case cases[] = {
        {kKnifeEdgeBarrier, "", "ofナイフウェッジ壁"},
        {kRightAngleBarrier, "東側", "of直角ウェッジ壁(東側)"},
        {kSlopeShoulder, "", "of法面"},
    };
    for (const Case& c : cases) {
        CWall wall = Wall(0.0, 40.0, 3.0, c.type);
        wall.memo = c.memo;
        const Scene scene = FacesOf(wall, LineAcrossPath());
        ASSERT_EQ(scene.size(), 1u);
        EXPECT_EQ(scene[0].name, c.name);
        EXPECT_EQ(scene[0].wedgeType, c.type);
    }
}

TEST(SceneWallFaces, SlopeFootLineLiesAlongTheSlopeFaceFoot) {
    // Shoulder 3 m high on a 1 m offset with a 0.5 m gap; the slope falls 3 m over 4 m. To the left (−x)
    // the foot lies at x = 49 − 4 = 45, to the right at 49 + 4 = 53, at height 0.5 + 3 − 3 = 0.5.
    CGroundLine line = LineAcrossPath();
    line.absorptionLeft = Spectrum(0.1);
    line.absorptionRight = Spectrum(0.2);
    struct Case {
        std::int32_t slopeSide;
        double footX;
        double towardsSlope, farSide;  // absorption of the foot line's sides
    };
    const Case cases[] = {{kSlopeLeft, 45.0, 0.7, 0.1}, {kSlopeRight, 53.0, 0.8, 0.2}};
    for (const Case& c : cases) {
        CWall shoulder = Wall(5.0, 35.0, 3.0, kSlopeShoulder);
        shoulder.offsetHorizontal = 1.0;
        shoulder.offsetVertical = 0.5;
        shoulder.slopeHorizontal = 4.0;
        shoulder.slopeVertical = 3.0;
        shoulder.slopeSide = c.slopeSide;
        shoulder.absorptionLeft = Spectrum(0.7);
        shoulder.absorptionRight = Spectrum(0.8);
        const CGroundLine foot = SlopeFootGroundLine(line, shoulder);
        ASSERT_EQ(foot.polyline.vertices.size(), 2u);
        EXPECT_TRUE(SamePoint(foot.polyline.vertices[0], {c.footX, -15, 0.5}));
        EXPECT_TRUE(SamePoint(foot.polyline.vertices[1], {c.footX, 15, 0.5}));
        const bool left = c.slopeSide == kSlopeLeft;
        EXPECT_EQ(left ? foot.absorptionRight : foot.absorptionLeft, Spectrum(c.towardsSlope));
        EXPECT_EQ(left ? foot.absorptionLeft : foot.absorptionRight, Spectrum(c.farSide));
        EXPECT_EQ(foot.memo, "法尻の地表線自動追加");
        EXPECT_TRUE(foot.walls.empty());

        // The slope face's lower edge (corners 3 and 4) runs along the foot line.
        const Scene scene = FacesOf(shoulder, line);
        ASSERT_EQ(scene.size(), 1u);
        const CFaceCorners corners = RectCorners(scene[0].rect);
        EXPECT_TRUE(SamePoint(corners[2], foot.polyline.vertices[1]));
        EXPECT_TRUE(SamePoint(corners[3], foot.polyline.vertices[0]));
    }
}

TEST(SceneWallFaces, EverySlopeShoulderAddsOneFootLineToTheTerrain) {
    CNoise model;
    CGroundLine first = LineAcrossPath();
    first.walls = {Wall(0, 10, 3, kSlopeShoulder), Wall(0, 10, 3, kKnifeEdgeBarrier),
                   Wall(10, 20, 3, kSlopeShoulder)};
    CGroundLine second = GroundLine({{70, -20, 0}, {70, 20, 0}});
    second.walls = {Wall(0, 10, 3, kRightAngleBarrier), Wall(20, 30, 3, kSlopeShoulder)};
    model.groundLines = {first, second};
    const std::vector<CGroundLine> terrain = AllGroundLines(model);
    ASSERT_EQ(terrain.size(), 5u);
    EXPECT_EQ(terrain[0], first);
    EXPECT_EQ(terrain[1], second);
    EXPECT_EQ(terrain[2].polyline.vertices[0].y, -20.0);  // first line's shoulders, in wall order
    EXPECT_EQ(terrain[3].polyline.vertices[0].y, -10.0);
    EXPECT_EQ(terrain[4].polyline.vertices[0].x, 70.0 - 3.0);  // left of a northward line is west
}

}  // namespace
}  // namespace kelmora
