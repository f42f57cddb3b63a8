#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "geometry/RectGeometry.h"
#include "propagation/DiffuseReflection.h"
#include "propagation/ObstacleFixtures.h"

namespace kelmora {
namespace {

TEST(SubdivideFace, CellsNoLargerThanAskedInGridOrder) {
    const CFaceGrid grid = SubdivideFace({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, 5.0);
    EXPECT_EQ(grid.countA, 2);
    EXPECT_EQ(grid.countB, 2);
    EXPECT_DOUBLE_EQ(grid.cellArea, 25.0);
    ASSERT_EQ(grid.centres.size(), 4u);
    EXPECT_TRUE(Near(grid.centres[0], {2.5, 2.5, 0}));
    EXPECT_TRUE(Near(grid.centres[1], {7.5, 2.5, 0}));  // along side A first
    EXPECT_TRUE(Near(grid.centres[2], {2.5, 7.5, 0}));
    const CFaceGrid odd = SubdivideFace({{0, 0, 0}, {10, 0, 0}, {10, 3, 0}}, 4.0);
    EXPECT_EQ(odd.countA, 3);
    EXPECT_EQ(odd.countB, 1);
    EXPECT_NEAR(odd.cellArea, 10.0, 1e-12);
}

// The plan-view corners' x range of a clipped wall standing along y = 10 from x = 0 to 200.
std::pair<double, double> ClippedRange(const CMyRect& rect) {
    const CFaceCorners c = RectCorners(rect);
    double lo = c[0].x, hi = c[0].x;
    for (const CVector3D& p : c) {
        lo = std::min(lo, p.x);
        hi = std::max(hi, p.x);
    }
    return {lo, hi};
}

TEST(ClipFaceToPath, StretchBetweenThePathFeetWithTheMarginWhicheverWayTheSideRuns) {
    const CMyRect forward{{0, 10, 0}, {200, 10, 0}, {200, 10, 5}};
    const CMyRect backward{{200, 10, 0}, {0, 10, 0}, {0, 10, 5}};
    struct Case {
        double sx, rx;
        bool ok;
        double lo, hi;
    };
    const std::vector<Case> cases = {
        {50, 70, true, 45, 75},      // both feet within: their stretch plus 5 m
        {70, 50, true, 45, 75},      // the path the other way
        {190, 210, true, 185, 200},  // running off the end
        {-10, 210, true, 0, 200},    // covering the whole wall
        {300, 320, false, 0, 0},     // beyond the end
    };
    for (const Case& c : cases) {
        for (const CMyRect& wall : {forward, backward}) {
            CMyRect clipped = wall;
            ASSERT_EQ(ClipFaceToPath(clipped, 5.0, {c.sx, 0, 1}, {c.rx, 0, 1}), c.ok) << c.sx;
            if (!c.ok) {
                EXPECT_EQ(clipped, wall);
                continue;
            }
            const auto [lo, hi] = ClippedRange(clipped);
            EXPECT_NEAR(lo, c.lo, 1e-9) << c.sx;
            EXPECT_NEAR(hi, c.hi, 1e-9) << c.sx;
            EXPECT_NEAR(RectArea(clipped), 5.0 * (c.hi - c.lo), 1e-9);
        }
    }
}

// A 1 m × 1 m panel in the plane x = 4 centred at (4, 0, 5), absorbing 0.2 towards −x; S = (0,0,5),
// R = (0,3,5), Q = 2. One cell (4/4 = 1 m): 10·log10[1·cos 0·(4/5)·0.8 / (4²·5²)] + 10·log10 2 − 16.
CRectObstacle Panel() {
    CRectObstacle panel = Barrier(4.0, 5.5, kNoSide, 0.5, 4.5);
    panel.absorptionLeft = CBand::Filled(0.2);
    panel.absorptionRight = CBand::Filled(0.2);
    panel.diffuseLeft = panel.diffuseRight = kDiffuseReflection;
    return panel;
}

TEST(DiffuseReflectionCorrection, OneCellByTheCosineLaw) {
    const std::vector<CRectObstacle> scene = {Panel()};
    const std::vector<FaceIndex> ignored = {0};
    const auto d = DiffuseReflectionCorrection(scene[0], 2.0, {0, 0, 5}, {0, 3, 5}, scene, ignored);
    ASSERT_TRUE(d);
    for (const double v : d->third)
        EXPECT_NEAR(v, -40.948500217, 1e-8);
    EXPECT_DOUBLE_EQ(d->overall, d->overallLevel());
}

TEST(DiffuseReflectionCorrection, SourceTwentyMetresFromALargeFaceUsesFiveMetreCells) {
    // 10 m × 10 m face in the plane x = 20; four cells at y = ±2.5, z = 2.5 and 7.5 (worked out by hand).
    CRectObstacle face = Barrier(20.0, 10.0, kNoSide, 5.0, 0.0);
    const std::vector<CRectObstacle> scene = {face};
    const std::vector<FaceIndex> ignored = {0};
    const auto d = DiffuseReflectionCorrection(face, 1.0, {0, 0, 5}, {0, 8, 3}, scene, ignored);
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->third[k1kHz], -49.375905783, 1e-8);
}

TEST(DiffuseReflectionCorrection, LegsOverAndThroughObstacles) {
    std::vector<CRectObstacle> scene = {Panel(), Barrier(2.0, 6.0, kTopOnly, 1.0)};
    const std::vector<FaceIndex> ignored = {0};
    // The 2 m wide barrier at x = 2 stands in the incoming leg only: D_in over its top (δ = 0.472 m) and
    // the cell sees the sound arrive from the top: cos θin = 2/√5.
    const auto over = DiffuseReflectionCorrection(scene[0], 2.0, {0, 0, 5}, {0, 3, 5}, scene, ignored);
    ASSERT_TRUE(over);
    EXPECT_NEAR(over->third[k100Hz], -51.079975254, 1e-8);
    EXPECT_NEAR(over->third[k1kHz], -58.822225666, 1e-8);
    // Without any edge to pass, the only cell contributes nothing.
    scene[1].diffracts = kNoSide;
    const auto blocked = DiffuseReflectionCorrection(scene[0], 2.0, {0, 0, 5}, {0, 3, 5}, scene, ignored);
    ASSERT_TRUE(blocked);
    for (const double v : blocked->third)
        EXPECT_EQ(v, kNoSoundLevel);
}

TEST(DiffuseReflectionCorrection, FailsForASourceInTheFacePlane) {
    const std::vector<CRectObstacle> scene = {Panel()};
    const std::vector<FaceIndex> ignored = {0};
    EXPECT_FALSE(DiffuseReflectionCorrection(scene[0], 2.0, {4, 3, 5}, {0, 3, 5}, scene, ignored));
}

}  // namespace
}  // namespace kelmora
