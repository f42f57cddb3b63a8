#include <gtest/gtest.h>

#include <vector>

#include "propagation/BlockingSearch.h"
#include "propagation/ObstacleFixtures.h"

namespace kelmora {
namespace {

CBlockingResult Search(const std::vector<CRectObstacle>& scene, const CVector3D& s, const CVector3D& r,
                       std::vector<FaceIndex> excluded = {}) {
    return FindBlockingFaces(s, r, scene, excluded);
}

TEST(FindBlockingFaces, FreeFieldAndFacesThatDoNotObstruct) {
    const CBlockingResult empty = Search({}, {-10, 0, 1}, {10, 0, 1});
    EXPECT_FALSE(empty.rejected);
    EXPECT_EQ(empty.count, 0);
    CRectObstacle reflectorOnly = Barrier(0.0, 5.0, kNoSide);
    reflectorOnly.obstructs = 0;
    EXPECT_EQ(Search({reflectorOnly}, {-10, 0, 1}, {10, 0, 1}).count, 0);
    EXPECT_FALSE(Search({reflectorOnly}, {-10, 0, 1}, {10, 0, 1}).rejected);
}

TEST(FindBlockingFaces, KnifeEdgeCrossedOrPassedAbove) {
    const std::vector<CRectObstacle> scene = {Barrier(0.0, 5.0)};
    const CBlockingResult crossed = Search(scene, {-10, 0, 1}, {10, 0, 1});
    ASSERT_FALSE(crossed.rejected);
    ASSERT_EQ(crossed.count, 1);
    EXPECT_EQ(crossed.x, 0);
    EXPECT_TRUE(Near(crossed.pointX, {0, 0, 5}));
    EXPECT_TRUE(crossed.crossX);
    EXPECT_EQ(crossed.y, kNoFace);
    const CBlockingResult above = Search(scene, {-10, 0, 6}, {10, 0, 6});
    ASSERT_EQ(above.count, 1);
    EXPECT_TRUE(Near(above.pointX, {0, 0, 5}));
    EXPECT_FALSE(above.crossX);
}

TEST(FindBlockingFaces, BesideAFaceOnlyWhenEverySideTowardsThePathDiffracts) {
    struct Case {
        SideMask sides;
        CVector3D through;  // where the segment meets the barrier's plane
        int count;
    };
    const std::vector<Case> cases = {
        {kTopOnly, {0, -60, 2}, 0},              // beyond the end at y = −50, which does not diffract
        {SideMask{0, 1, 0, 0}, {0, -60, 2}, 1},  // the same end diffracting
        {SideMask{1, 0, 0, 1}, {0, 60, 7}, 1},   // above the corner of top and end D, both diffracting
        {kTopOnly, {0, 60, 7}, 0},               // the same corner with end D not diffracting
    };
    for (const Case& c : cases) {
        const CVector3D s = c.through + CVector3D{-10, 0, 0};
        const CVector3D r = c.through + CVector3D{10, 0, 0};
        const CBlockingResult b = Search({Barrier(0.0, 5.0, c.sides)}, s, r);
        EXPECT_FALSE(b.rejected);
        EXPECT_EQ(b.count, c.count) << c.through;
        if (b.count == 1) {
            EXPECT_FALSE(b.crossX);
        }
    }
}

TEST(FindBlockingFaces, StraightThroughAFaceWithoutEdgesIsRejectedUnlessExcluded) {
    const CBlockingResult closed = Search({Barrier(0.0, 5.0, kNoSide)}, {-10, 0, 1}, {10, 0, 1});
    EXPECT_TRUE(closed.rejected);
    CRectObstacle ground = Plate(0.0, -20, 20, -20, 20, kAllSides);
    ground.wedgeType = kGroundFace;
    EXPECT_TRUE(Search({ground}, {0, 0, 5}, {1, 0, -5}).rejected);
    // A segment that ends on its own reflecting face is not blocked by it.
    const CBlockingResult own =
        Search({Barrier(5.0, 2.0), Barrier(0.0, 5.0, kNoSide)}, {-10, 0, 1}, {0, 0, 1}, {1});
    EXPECT_FALSE(own.rejected);
    EXPECT_EQ(own.count, 0);
}

// S (0,0,1) → R (100,0,1).
TEST(FindBlockingFaces, ObstaclesCloseAlongThePathMergeIntoTheMoreAttenuating) {
    const CVector3D s{0, 0, 1};
    const CVector3D r{100, 0, 1};
    // 3 m apart: only the taller remains, whichever comes first in the scene or along the path.
    for (const auto& scene : {std::vector<CRectObstacle>{Barrier(50.0, 8.0), Barrier(53.0, 6.0)},
                              std::vector<CRectObstacle>{Barrier(53.0, 6.0), Barrier(50.0, 8.0)},
                              std::vector<CRectObstacle>{Barrier(50.0, 6.0), Barrier(53.0, 8.0)}}) {
        const CBlockingResult b = Search(scene, s, r);
        ASSERT_EQ(b.count, 1);
        EXPECT_NEAR(b.pointX.z, 8.0, 1e-9);
    }
    // A chain of three within 5 m of each other collapses to its tallest.
    const CBlockingResult chain = Search({Barrier(50.0, 7.0), Barrier(54.0, 9.0), Barrier(58.0, 6.0)}, s, r);
    ASSERT_EQ(chain.count, 1);
    EXPECT_EQ(chain.x, 1);
    // Passed high above, both give 0 dB at 1 kHz: the one nearer to the end remains.
    const CBlockingResult level = Search({Barrier(50.0, 5.0), Barrier(53.0, 5.0)}, {0, 0, 9}, {100, 0, 9});
    ASSERT_EQ(level.count, 1);
    EXPECT_EQ(level.x, 1);
    EXPECT_FALSE(level.crossX);
}

TEST(FindBlockingFaces, TwoMostAttenuatingOfThreeInTheOrderMet) {
    const CVector3D s{0, 0, 1};
    const CVector3D r{100, 0, 1};
    // δ at 1 kHz decides: 8 m at x = 50 (0.98 m) and 6 m at x = 80 (0.77 m) beat 4 m at x = 20 (0.28 m).
    const CBlockingResult b = Search({Barrier(80.0, 6.0), Barrier(20.0, 4.0), Barrier(50.0, 8.0)}, s, r);
    ASSERT_FALSE(b.rejected);
    ASSERT_EQ(b.count, 2);
    EXPECT_EQ(b.x, 2);
    EXPECT_EQ(b.y, 0);
    EXPECT_TRUE(Near(b.pointX, {50, 0, 8}));
    EXPECT_TRUE(Near(b.pointY, {80, 0, 6}));
    EXPECT_TRUE(b.crossX);
    EXPECT_TRUE(b.crossY);
    // The far one the most attenuating (10 m): still reported in the order met.
    const CBlockingResult tallFar =
        Search({Barrier(80.0, 10.0), Barrier(20.0, 4.0), Barrier(50.0, 8.0)}, s, r);
    ASSERT_EQ(tallFar.count, 2);
    EXPECT_EQ(tallFar.x, 2);
    EXPECT_EQ(tallFar.y, 0);
}

// Obstacles are ranked by their correction in the 1 kHz band alone. The 8 m screen lets 60 dB through
// in every band but 1 kHz, where its panels let nearly everything through (TL 3 dB): there it
// attenuates by less than 3.01 dB, while the 4 m screen (δ = 0.28 m, N = 1.63: −15.1 dB) and the 6 m one
// (δ = 0.77 m, N = 4.5: −19.5 dB) attenuate far more. In every other band the 8 m screen attenuates most.
TEST(FindBlockingFaces, RankingIsDecidedInThe1kHzBand) {
    const CVector3D s{0, 0, 1};
    const CVector3D r{100, 0, 1};
    CRectObstacle leaky = Barrier(50.0, 8.0);
    leaky.tl = CBand::Filled(60.0);
    leaky.tl.third[13] = 3.0;  // 1 kHz
    const CBlockingResult two = Search({Barrier(80.0, 6.0), Barrier(20.0, 4.0), leaky}, s, r);
    ASSERT_EQ(two.count, 2);
    EXPECT_EQ(two.x, 1);
    EXPECT_EQ(two.y, 0);
    // Of two screens 3 m apart the one that attenuates more at 1 kHz remains, here the lower one.
    const CBlockingResult merged = Search({leaky, Barrier(53.0, 6.0)}, s, r);
    ASSERT_EQ(merged.count, 1);
    EXPECT_EQ(merged.x, 1);
    EXPECT_TRUE(Near(merged.pointX, {53, 0, 6}));
}

}  // namespace
}  // namespace kelmora
