// Building faces in the scene: roofs, exterior wall surfaces and the screens that stand in for a
// building with exterior walls. The path runs along the x axis from S = (0, 0) to R = (100, 0), so the
// path strip covers x −7.5..107.5, y −7.5..7.5.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneFixtures.h"
#include "geometry/RectGeometry.h"
#include "propagation/BuildingFaces.h"

namespace kelmora {
namespace {

using fixtures::BoxBuilding;
using fixtures::BoxWall;
using fixtures::FlatRoof;
using fixtures::SamePoint;
using fixtures::Spectrum;

using fixtures::kR;
using fixtures::kS;

Scene FacesOf(const CBuilding& building, const CVector3D& s = kS, const CVector3D& r = kR) {
    Scene scene;
    AppendBuildingFaces(building, s, r, scene);
    return scene;
}

std::vector<std::string> Names(const Scene& scene) {
    std::vector<std::string> names;
    for (const CRectObstacle& face : scene)
        names.push_back(face.name);
    return names;
}

TEST(SceneBuildingFaces, RoofsBlockOnlyWhileTheBuildingHasNoExteriorWalls) {
    CBuilding building = BoxBuilding(40, -10, 60, 10, 8.0, /*withWalls=*/false);
    building.roofs[0].memo = "倉庫";
    building.memo = "工場棟";
    Scene scene = FacesOf(building);
    ASSERT_EQ(scene.size(), 1u);
    EXPECT_EQ(scene[0].name, "of建物屋上面(倉庫)");
    EXPECT_EQ(scene[0].obstructs, 1);
    EXPECT_EQ(scene[0].reflects, 1);
    EXPECT_EQ(scene[0].rect, building.roofs[0].face.rect);

    // Four wall segments: screen A over the two crossed by the path, the roof and the two crossed wall
    // surfaces only reflect.
    building = BoxBuilding(40, -10, 60, 10, 8.0, /*withWalls=*/true);
    building.memo = "工場棟";
    building.walls[0].absorption = Spectrum(0.3);
    building.walls[0].diffuse = kDiffuseReflection;
    scene = FacesOf(building);
    EXPECT_EQ(Names(scene),
              (std::vector<std::string>{"of建物用回折壁A(工場棟)", "of建物用回折壁A(工場棟)", "of建物屋上面",
                                        "of建物外壁(工場棟)", "of建物外壁(工場棟)"}));
    EXPECT_EQ(scene[2].obstructs, 0);
    // Screen over the east segment (60,−10) → (60,10): the inside of the anticlockwise wall is on its
    // left (−x), so the outer face is its right side.
    const CRectObstacle& screen = scene[0];
    EXPECT_EQ(screen.rect, (CMyRect{{60, -10, 8}, {60, 10, 8}, {60, 10, 0}}));
    EXPECT_EQ(screen.diffracts, (std::array<std::int32_t, 4>{1, 1, 0, 1}));
    EXPECT_EQ(screen.reflects, 0);
    EXPECT_EQ(screen.obstructs, 1);
    EXPECT_EQ(screen.wedgeType, kShoulderOrBuildingWall);
    EXPECT_EQ(screen.absorptionRight, Spectrum(0.3));
    EXPECT_EQ(screen.absorptionLeft, Spectrum(1.0));
    EXPECT_EQ(screen.diffuseRight, kSpecularReflection);
    EXPECT_EQ(scene[1].rect.p1, (CVector3D{40, 10, 8}));  // the closing segment (40,10) → (40,−10)
    const CRectObstacle& surface = scene[3];
    EXPECT_EQ(surface.rect, screen.rect);
    EXPECT_EQ(surface.reflects, 1);
    EXPECT_EQ(surface.obstructs, 0);
    EXPECT_EQ(surface.diffracts, (std::array<std::int32_t, 4>{1, 1, 0, 1}));  // box corners stand out
    EXPECT_EQ(surface.absorptionRight, Spectrum(0.3));
    EXPECT_EQ(surface.diffuseRight, kDiffuseReflection);
    EXPECT_EQ(surface.diffuseLeft, kSpecularReflection);
}

TEST(SceneBuildingFaces, OpenWallOfTwoVerticesGetsOneScreenAWithDiffractingEnds) {
    CBuilding building;
    building.roofs.push_back(FlatRoof(50, -20, 70, 20, 6.0));
    CBuildingWall wall;
    wall.polyline.vertices = {{50, -20, 0}, {50, 20, 0}};
    wall.diffractStart = 0;
    wall.diffractEnd = 0;
    wall.topZ = 6.0;
    wall.absorption = Spectrum(0.25);
    building.walls.push_back(wall);
    const Scene scene = FacesOf(building);
    ASSERT_EQ(Names(scene), (std::vector<std::string>{"of建物用回折壁A", "of建物屋上面", "of建物外壁"}));
    // Left of (50,−20) → (50,20) is −x, outside the roof: the left side is the outer face.
    EXPECT_EQ(scene[0].diffracts, (std::array<std::int32_t, 4>{1, 1, 0, 1}));
    EXPECT_EQ(scene[0].absorptionLeft, Spectrum(0.25));
    EXPECT_EQ(scene[0].absorptionRight, Spectrum(1.0));
    EXPECT_EQ(scene[2].diffracts, (std::array<std::int32_t, 4>{1, 0, 0, 0}));  // the wall's own end flags
}

TEST(SceneBuildingFaces, ScreenAOnlyWhereThePathLineMeetsTheSegment) {
    struct Case {
        CVector3D a, b;
        bool screen;
    };
    const Case cases[] = {
        {{50, -20, 0}, {50, 20, 0}, true},   // across the path
        {{50, 2, 0}, {50, 20, 0}, false},    // reaches into the strip but stops short of the path line
        {{50, 7.5, 0}, {50, 20, 0}, false},  // only touches the strip's edge: no face at all
        {{50, 20, 0}, {50, 40, 0}, false},   // outside the strip
    };
    for (const Case& c : cases) {
        CBuilding building;
        CBuildingWall wall;
        wall.polyline.vertices = {c.a, c.b};
        building.walls.push_back(wall);
        const Scene scene = FacesOf(building);
        const bool reaches = c.a.y < 7.5 && c.b.y > -7.5;
        EXPECT_EQ(scene.size(), (c.screen ? 1u : 0u) + (reaches ? 1u : 0u)) << c.a.y << ".." << c.b.y;
    }
}

TEST(SceneBuildingFaces, RoofTakesPartWhenItReachesIntoTheStrip) {
    struct Case {
        const char* what;
        CMyRect rect;
        bool included;
    };
    const Case cases[] = {
        {"over the path", {{40, -5, 8}, {60, -5, 8}, {60, 5, 8}}, true},
        {"beside the strip", {{40, 20, 8}, {60, 20, 8}, {60, 40, 8}}, false},
        {"touching the strip's edge", {{40, 7.5, 8}, {60, 7.5, 8}, {60, 20, 8}}, false},
        {"vertical, across the path", {{50, -5, 8}, {50, 5, 8}, {50, 5, 0}}, true},
        {"vertical, beside the strip", {{50, 10, 8}, {50, 20, 8}, {50, 20, 0}}, false},
    };
    for (const Case& c : cases) {
        CBuilding building;
        building.roofs.emplace_back().face.rect = c.rect;
        EXPECT_EQ(FacesOf(building).size(), c.included ? 1u : 0u) << c.what;
    }
}

// A box x 20..40, y −10..10 with an extra vertex on its north side: five segments, so one screen B.
CBuilding FiveSegmentBuilding(double yShift = 0.0) {
    CBuilding building;
    building.memo = "棟";
    CBuildingWall wall = BoxWall(20, -10 + yShift, 40, 10 + yShift, 0.0, 8.0);
    wall.polyline.vertices.insert(wall.polyline.vertices.begin() + 3, {30, 10 + yShift, 0});
    building.walls.push_back(wall);
    return building;
}

TEST(SceneBuildingFaces, ScreenBStandsAcrossThePathAtTheApexOverTheBuilding) {
    // The sight lines S → (20,10) and R → (40,10) meet at (25, 12.5), those to the south corners at
    // (25, −12.5). The apex: S(0,0,5) → (20,0,8) rises 3/20, R(100,0,1.5) → (40,0,8) rises 13/120 per
    // metre towards S; they meet at x = 880/31, z = 287/31.
    const CBuilding building = FiveSegmentBuilding();
    const CVector3D s{0, 0, 5};
    const auto screen = BuildScreenB(building, s, kR);
    ASSERT_TRUE(screen);
    const double h = 287.0 / 31.0;
    EXPECT_TRUE(SamePoint(screen->rect.p1, {25, 12.5, h}, 1e-9));
    EXPECT_TRUE(SamePoint(screen->rect.p2, {25, -12.5, h}, 1e-9));
    EXPECT_TRUE(SamePoint(screen->rect.p3, {25, -12.5, 0}, 1e-9));
    EXPECT_EQ(screen->diffracts, (std::array<std::int32_t, 4>{1, 1, 0, 1}));
    EXPECT_TRUE(SamePoint(screen->edgeOffset, {880.0 / 31.0 - 25.0, 0, 0}, 1e-9));
    EXPECT_EQ(screen->wedgeType, kKnifeEdgeWedge);
    EXPECT_EQ(screen->reflects, 0);
    EXPECT_EQ(screen->obstructs, 1);
    EXPECT_EQ(screen->absorptionLeft, Spectrum(1.0));
    EXPECT_EQ(screen->absorptionRight, Spectrum(1.0));

    const Scene scene = FacesOf(building, s, kR);
    ASSERT_EQ(Names(scene),
              (std::vector<std::string>{"of建物用回折壁B(棟)", "of建物外壁(棟)", "of建物外壁(棟)"}));
    EXPECT_EQ(scene[0].rect, screen->rect);
}

TEST(SceneBuildingFaces, ScreenBBesideThePathRunsFromTheWidestToTheNarrowestVertexSeenFromS) {
    // Shifted 12 m north the building lies wholly left of the path (y 2..22): widest from S is (20,22),
    // narrowest (40,2). Mirrored to the south the same vertices mirror and the other lateral side diffracts.
    for (const double sign : {1.0, -1.0}) {
        CBuilding building = FiveSegmentBuilding(12.0);
        for (CVector3D& v : building.walls[0].polyline.vertices)
            v.y *= sign;
        const auto screen = BuildScreenB(building, kS, kR);
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->rect, (CMyRect{{20, 22 * sign, 8}, {40, 2 * sign, 8}, {40, 2 * sign, 0}}));
        EXPECT_EQ(screen->diffracts, sign > 0 ? (std::array<std::int32_t, 4>{1, 0, 0, 1})
                                              : (std::array<std::int32_t, 4>{1, 1, 0, 0}));
    }
}

TEST(SceneBuildingFaces, NoScreenBWhenTheBuildingIsNotBetweenSAndR) {
    // Behind S: wall vertices on both sides of the path line, the wall reaches into the strip, but the
    // segment S–R crosses none of it.
    CBuilding behind = FiveSegmentBuilding();
    for (CVector3D& v : behind.walls[0].polyline.vertices)
        v.x -= 45.0;  // x −25..−5
    EXPECT_FALSE(BuildScreenB(behind, kS, kR));
    EXPECT_EQ(Names(FacesOf(behind)), (std::vector<std::string>{"of建物外壁(棟)"}));
    EXPECT_FALSE(BuildScreenB(CBuilding{}, kS, kR));
}

TEST(SceneBuildingFaces, OutsideSideOfClosedAndOpenWalls) {
    const CBuilding box = BoxBuilding(40, -10, 60, 10, 8.0);
    CBuildingWall clockwise = box.walls[0];
    std::reverse(clockwise.polyline.vertices.begin(), clockwise.polyline.vertices.end());
    CBuildingWall open = box.walls[0];
    open.closed = 0;
    struct Case {
        const CBuildingWall* wall;
        int segment;
        int side;
    };
    const Case cases[] = {
        {&box.walls[0], 0, -1}, {&box.walls[0], 3, -1},  // anticlockwise: inside on the left
        {&clockwise, 1, 1},     {&clockwise, 3, 1},      // clockwise: outside on the left
        {&open, 0, -1},         {&open, 2, -1},          // open: roof footprint on the left
        {&open, 3, 0},          {&box.walls[0], 4, 0},   // no such segment
        {&box.walls[0], -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OutsideSide(*c.wall, c.segment, box), c.side) << c.segment;
    CBuilding roofless;
    EXPECT_EQ(OutsideSide(open, 0, roofless), 1);
}

TEST(SceneBuildingFaces, PointsOnTheBuildingSurfaceAreNotInside) {
    const CBuilding box = BoxBuilding(40, -10, 60, 10, 8.0);
    struct Case {
        CVector3D p;
        bool inside;
    };
    const Case cases[] = {
        {{50, 0, 5}, true},         {{50, 0, 9}, false},  // above the roof
        {{60, 0, 4}, false},                              // reflection point on the east wall
        {{60 - 1e-9, 0, 4}, false},                       // ... with rounding noise inside
        {{60 - 1e-3, 0, 4}, true},                        // a millimetre inside
        {{50, 0, 8}, false},                              // reflection point on the roof
        {{50, 0, 8 - 1e-9}, false},                       // ... with rounding noise below
        {{50, 0, 8 - 1e-3}, true},                        // a millimetre below
        {{70, 0, 4}, false},                              // beside the building
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildingContainsPoint(box, c.p), c.inside) << c.p.x << " " << c.p.z;
    EXPECT_FALSE(BuildingContainsPoint(BoxBuilding(40, -10, 60, 10, 8.0, false), {50, 0, 5}));
}

}  // namespace
}  // namespace kelmora
