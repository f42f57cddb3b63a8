// The terrain model (ground height and absorption between ground lines) and the ground faces of the
// scene along the path S = (0, 0) → R = (100, 0).
#include <gtest/gtest.h>

#include <string>

#include "SceneFixtures.h"
#include "geometry/RectGeometry.h"
#include "model/Noise.h"
#include "propagation/GroundModel.h"
#include "propagation/Scene.h"
#include "propagation/SceneGroundFaces.h"

namespace kelmora {
namespace {

using fixtures::GroundLine;
using fixtures::SamePoint;
using fixtures::Spectrum;

using fixtures::kR;
using fixtures::kS;

// Two northward ground lines: x = 0 at height 0 and x = 30 rising northwards, 10 m high at y = 0.
std::vector<CGroundLine> TwoLines() {
    return {GroundLine({{0, -100, 0}, {0, 100, 0}}, 0.2, 0.7),
            GroundLine({{30, -100, 0}, {30, 100, 20}}, 0.4, 0.9)};
}

TEST(SceneGround, HeightInterpolatesToTheNextLineBeyondThePoint) {
    const std::vector<CGroundLine> terrain = TwoLines();
    struct Case {
        CVector3D p;
        double height;
    };
    const Case cases[] = {
        {{10, 0, 0}, 10.0 / 3.0},   // a third of the way from the 0 m line to the 10 m point
        {{10, 0, 40}, 10.0 / 3.0},  // whatever height the question is asked from
        {{10, 10, 0}, 11.0 / 3.0},  // the second line is 11 m high at y = 10
        {{-5, 0, 0}, 0.0},          // nothing beyond the first line
        {{40, 0, 0}, 10.0},         // nothing beyond the second line
        {{0, 0, 0}, 0.0},           // on a line
    };
    for (const Case& c : cases)
        EXPECT_NEAR(GroundHeightAt(terrain, c.p), c.height, 1e-12) << c.p.x << " " << c.p.y << " " << c.p.z;
    EXPECT_EQ(GroundHeightAt(std::vector<CGroundLine>{}, {10, 0, 0}), 0.0);

    // The way to the next line passes through one of its vertices, and it still counts.
    const std::vector<CGroundLine> bent = {terrain[0],
                                           GroundLine({{40, -100, 10}, {30, 0, 10}, {40, 100, 10}})};
    EXPECT_NEAR(GroundHeightAt(bent, {10, 0, 0}), 10.0 / 3.0, 1e-12);
}

TEST(SceneGround, AbsorptionIsThatOfTheNearestLinesSide) {
    const std::vector<CGroundLine> terrain = TwoLines();
    struct Case {
        double x;
        double absorption;
    };
    // Left of the northward lines is west.
    const Case cases[] = {{-5, 0.2}, {10, 0.7}, {0, 0.7}, {20, 0.4}, {35, 0.9}};
    for (const Case& c : cases)
        EXPECT_EQ(GroundAbsorptionAt(terrain, {c.x, 0, 0}), Spectrum(c.absorption)) << c.x;
    EXPECT_EQ(GroundAbsorptionAt(std::vector<CGroundLine>{}, {10, 0, 0}), Spectrum(1.0));
}

TEST(SceneGround, GroundFaceReflectsOnlyOnItsUpperSide) {
    struct Case {
        CVector3D c1, c2, c3;
        bool upperIsLeft;
    };
    const Case cases[] = {
        {{0, 0, 0}, {10, 0, 0}, {3, 10, 0}, true},    // anticlockwise seen from above
        {{0, 0, 0}, {10, 0, 0}, {3, -10, 0}, false},  // clockwise
    };
    for (const Case& c : cases) {
        CRectObstacle face;
        face.name = "kept";
        SetGroundFace(face, c.c1, c.c2, c.c3, Spectrum(0.35));
        EXPECT_EQ(face.rect.p3, (CVector3D{10, c.c3.y, 0}));  // the exact corner 3
        EXPECT_EQ(face.absorptionLeft, Spectrum(c.upperIsLeft ? 0.35 : 1.0));
        EXPECT_EQ(face.absorptionRight, Spectrum(c.upperIsLeft ? 1.0 : 0.35));
        EXPECT_EQ(face.wedgeType, kGroundFace);
        EXPECT_EQ(face.diffracts, (std::array<std::int32_t, 4>{0, 0, 0, 0}));
        EXPECT_EQ(face.name, "kept");
    }
}

Scene GroundFaces(const std::vector<CGroundLine>& terrain, const CVector3D& s = kS, const CVector3D& r = kR) {
    Scene scene;
    AppendGroundFaces(terrain, MakePathStrip(s, r), scene);
    return scene;
}

TEST(SceneGround, WithoutGroundLinesTheGroundIsFlatAndFullyAbsorbing) {
    const Scene scene = GroundFaces({});
    ASSERT_EQ(scene.size(), 1u);
    EXPECT_EQ(scene[0].rect, (CMyRect{{-7.5, 7.5, 0}, {107.5, 7.5, 0}, {107.5, -7.5, 0}}));
    EXPECT_EQ(scene[0].absorptionLeft, Spectrum(1.0));
    EXPECT_EQ(scene[0].absorptionRight, Spectrum(1.0));
    EXPECT_EQ(scene[0].name, "of地表面");
    EXPECT_EQ(scene[0].obstructs, 0);
    EXPECT_EQ(scene[0].reflects, 1);
}

TEST(SceneGround, UncrossedTerrainGivesOnePlaneThroughSRAndTheStripsSide) {
    // Eastward lines beside the path: y = 20 at 0 m and y = −20 at 10 m. Under S and R the ground is 5 m
    // high, under the middle of the strip's left side (50, 7.5) 10 · 12.5/40 = 3.125 m: the plane falls
    // 0.25 m per metre northwards.
    const std::vector<CGroundLine> terrain = {GroundLine({{-100, 20, 0}, {200, 20, 0}}, 0.3, 0.6),
                                              GroundLine({{-100, -20, 10}, {200, -20, 10}}, 0.1, 0.1)};
    const Scene scene = GroundFaces(terrain);
    ASSERT_EQ(scene.size(), 1u);
    EXPECT_TRUE(SamePoint(scene[0].rect.p1, {-7.5, 7.5, 3.125}, 1e-9));
    EXPECT_TRUE(SamePoint(scene[0].rect.p2, {107.5, 7.5, 3.125}, 1e-9));
    EXPECT_TRUE(SamePoint(scene[0].rect.p3, {107.5, -7.5, 6.875}, 1e-9));
    // S lies right of the nearest line (the first of two equally near); the upper side is the right one.
    EXPECT_EQ(scene[0].absorptionRight, Spectrum(0.6));
    EXPECT_EQ(scene[0].absorptionLeft, Spectrum(1.0));
}

TEST(SceneGround, CrossedLinesBreakTheGroundIntoFacesWithTheAbsorptionOfTheirSide) {
    // Line A at x = 30, 0 m, running north (west is its left); line B at x = 70, 8 m, running south
    // (east is its left). Between them the ground rises 0.2 m per metre.
    const std::vector<CGroundLine> terrain = {GroundLine({{30, -100, 0}, {30, 100, 0}}, 0.1, 0.2),
                                              GroundLine({{70, 100, 8}, {70, -100, 8}}, 0.3, 0.4)};
    const Scene scene = GroundFaces(terrain);
    ASSERT_EQ(scene.size(), 3u);
    struct Expected {
        CMyRect rect;
        double absorption;
    };
    const Expected expected[] = {
        {{{-7.5, 7.5, 0}, {30, 7.5, 0}, {30, -7.5, 0}}, 0.1},      // A's west side
        {{{30, 7.5, 0}, {70, 7.5, 8}, {70, -7.5, 8}}, 0.4},        // B's west side
        {{{70, 7.5, 8}, {107.5, 7.5, 8}, {107.5, -7.5, 8}}, 0.3},  // B's east side
    };
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_TRUE(SamePoint(scene[k].rect.p1, expected[k].rect.p1, 1e-9)) << k;
        EXPECT_TRUE(SamePoint(scene[k].rect.p2, expected[k].rect.p2, 1e-9)) << k;
        EXPECT_TRUE(SamePoint(scene[k].rect.p3, expected[k].rect.p3, 1e-9)) << k;
        EXPECT_EQ(scene[k].absorptionRight, Spectrum(expected[k].absorption)) << k;  // the upper side
        EXPECT_EQ(scene[k].absorptionLeft, Spectrum(1.0)) << k;
    }
}

TEST(SceneGround, PathThroughAVertexOfALineCrossesIt) {
    // Line A bends at (30, 0) on the path; line B at x = 70 is 8 m high. The ground rises from A on.
    const std::vector<CGroundLine> terrain = {GroundLine({{20, -100, 0}, {30, 0, 0}, {20, 100, 0}}, 0.1, 0.2),
                                              GroundLine({{70, -100, 8}, {70, 100, 8}}, 0.3, 0.4)};
    const Scene scene = GroundFaces(terrain);
    ASSERT_EQ(scene.size(), 3u);
    EXPECT_TRUE(SamePoint(scene[0].rect.p2, {30, 7.5, 0}, 1e-9));
    // The next face lies in the plane of A's segment arriving at the vertex (x = 30 + 0.1y) and B's
    // crossing (70, 0, 8): 8 · 39.25/40 m high at (70, 7.5).
    EXPECT_TRUE(SamePoint(scene[1].rect.p2, {70, 7.5, 7.85}, 1e-9));
    EXPECT_EQ(scene[0].absorptionRight, Spectrum(0.1));  // A's side towards S
    // A line that only touches the path at a vertex does not cross it.
    const std::vector<CGroundLine> touching = {GroundLine({{20, -100, 0}, {30, 0, 0}, {40, -100, 0}})};
    EXPECT_EQ(GroundFaces(touching).size(), 1u);
}

TEST(SceneGround, ShallowCrossingIsPlacedWhereThePathCrossesTheLine) {
    // A flat line crossing the path at x = 50 at angles down to 1e-9 rad, under a level path and under
    // a path climbing to 30 m. The crossing lies at x = 50 in plan, where the path passes over it.
    for (const double halfDrop : {6e-3, 6e-8}) {
        const std::vector<CGroundLine> terrain = {
            GroundLine({{-10, halfDrop, 0}, {110, -halfDrop, 0}}, 0.5, 0.5)};
        for (const CVector3D& r : {kR, CVector3D{100, 0, 30}}) {
            Scene scene;
            ASSERT_NO_THROW(scene = GroundFaces(terrain, kS, r));
            ASSERT_EQ(scene.size(), 2u);
            EXPECT_TRUE(SamePoint(scene[0].rect.p2, {50, 7.5, 0}, 1e-6)) << halfDrop << " " << r.z;
            EXPECT_TRUE(SamePoint(scene[1].rect.p1, {50, 7.5, 0}, 1e-6)) << halfDrop << " " << r.z;
        }
    }
}

TEST(SceneGround, CrossingThatCannotBeLocatedStopsTheScene) {
    CNoise model;
    model.buildings.push_back(fixtures::BoxBuilding(40, -10, 60, 10, 8.0, false));
    model.groundLines.push_back(GroundLine({{50, -100, std::nan("")}, {50, 100, 0}}));
    Scene scene(3);
    try {
        BuildScene(model, kS, kR, scene);
        ADD_FAILURE() << "no error raised";
    } catch (const SceneError& error) {
        EXPECT_EQ(std::string(error.what()), "論理エラー SP交点");
    }
    EXPECT_TRUE(scene.empty());
}

}  // namespace
}  // namespace kelmora
