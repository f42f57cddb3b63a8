#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "propagation/DiffractionCorrection.h"
#include "propagation/FaceEdges.h"
#include "propagation/ObstacleFixtures.h"

namespace kelmora {
namespace {

// One-third-octave band numbers of 50 Hz and 5 kHz (those of 100 Hz and 1 kHz are the fixtures').
constexpr int k50Hz = 0;
constexpr int k5kHz = 20;

double Energy(double level) {
    return std::pow(10.0, level / 10.0);
}

// S (−10,0,1) → R (10,0,1) over a 5 m knife edge: δ = 2·√116 − 20 = 1.5407 m. Chart values worked out
// by hand: N = 2δf/343.7; −13 − 10·log10 N from N = 1 on, −5 − 9.08·asinh(N^0.485) below.
TEST(SingleDiffractionCorrection, KnifeEdgeCrossedFromTheChart) {
    const auto d = SingleDiffractionCorrection(Barrier(0.0, 5.0), {-10, 0, 1}, {10, 0, 1});
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->third[k50Hz], -10.758912714, 1e-8);
    EXPECT_NEAR(d->third[k100Hz], -12.667243314, 1e-8);
    EXPECT_NEAR(d->third[k1kHz], -22.525570532, 1e-8);
    EXPECT_NEAR(d->third[k5kHz], -29.515270576, 1e-8);
    EXPECT_DOUBLE_EQ(d->overall, d->overallLevel());
    EXPECT_DOUBLE_EQ(d->octave[4], d->third[k1kHz]);

    // The right-angle chart lies 2.5 dB above the knife chart beyond N = 1.
    CRectObstacle square = Barrier(0.0, 5.0);
    square.wedgeType = kRightAngleWedge;
    EXPECT_NEAR(SingleDiffractionCorrection(square, {-10, 0, 1}, {10, 0, 1})->third[k1kHz], -20.025570532,
                1e-8);
}

TEST(SingleDiffractionCorrection, PassingAboveTheEdgeStaysBetweenZeroAndTheEdgeValue) {
    // δ = −(2·√101 − 20) = −0.0998 m: N = −0.58 at 1 kHz lies below the chart's −0.324 (0 dB).
    const auto d = SingleDiffractionCorrection(Barrier(0.0, 5.0), {-10, 0, 6}, {10, 0, 6});
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->third[k50Hz], -3.377423320, 1e-8);
    EXPECT_NEAR(d->third[k100Hz], -2.740355071, 1e-8);
    EXPECT_EQ(d->third[k1kHz], 0.0);
    for (const double v : d->third) {
        EXPECT_LE(v, 0.0);
        EXPECT_GT(v, -5.0);
    }
}

TEST(SingleDiffractionCorrection, RepresentationOfTheSpectrumAsked) {
    const auto octaves = SingleDiffractionCorrection(Barrier(0.0, 5.0), {-10, 0, 1}, {10, 0, 1}, 1);
    ASSERT_TRUE(octaves);
    EXPECT_EQ(octaves->kind, 1);
    EXPECT_NEAR(octaves->octave[4], -22.525570532, 1e-8);
    // One overall value, taken at 0 Hz: N = 0 is the edge value of the chart.
    const auto overall = SingleDiffractionCorrection(Barrier(0.0, 5.0), {-10, 0, 1}, {10, 0, 1}, 0);
    ASSERT_TRUE(overall);
    EXPECT_DOUBLE_EQ(overall->overall, -5.0);
}

TEST(SingleDiffractionCorrection, NoDiffractingSideOrNoWayRound) {
    const auto closed = SingleDiffractionCorrection(Barrier(0.0, 5.0, kNoSide), {-10, 0, 1}, {10, 0, 1});
    ASSERT_TRUE(closed);
    for (const double v : closed->third)
        EXPECT_EQ(v, kNoSoundLevel);
    // A segment that never reaches the barrier has no diffraction point on its single side.
    EXPECT_FALSE(SingleDiffractionCorrection(Barrier(0.0, 5.0), {-10, 0, 1}, {-5, 0, 1}));
}

TEST(SingleDiffractionCorrection, TransmittedSoundWhereTheLossIsPositive) {
    CRectObstacle panel = Barrier(0.0, 5.0);
    panel.tl = CBand::Filled(10.0);
    panel.tl.third[k50Hz] = 0.0;
    const auto d = SingleDiffractionCorrection(panel, {-10, 0, 1}, {10, 0, 1});
    ASSERT_TRUE(d);
    // 10·log10[(1 − d)·10^−1 + d] with d = 10^(−2.2526).
    EXPECT_NEAR(d->third[k1kHz], -9.786810080, 1e-8);
    EXPECT_NEAR(d->third[k50Hz], -10.758912714, 1e-8);
}

// The corrections over several sides combine the energy shares d = 10^(D/10) passing each side.
TEST(SingleDiffractionCorrection, CombinesTheSidesOfAFiniteFace) {
    // A 10 m wide panel from z = 1 to z = 5, passed 2 m from its end at y = 5 and 1 m below its top.
    const CVector3D s{-10, 3, 4};
    const CVector3D r{10, 3, 4};
    const auto side = [&](const CRectObstacle& f, int k) {
        return Energy(SingleEdgeCorrection(f, s, r, k)->third[k1kHz]);
    };
    struct Case {
        SideMask sides;
        double (*combine)(double a, double b, double c, double d, double cBeyond);
    };
    const std::vector<Case> cases = {
        {{1, 0, 0, 1}, [](double a, double, double, double d, double) { return a + (1 - a) * d; }},
        {{1, 1, 0, 0}, [](double a, double b, double, double, double) { return a + (1 - a) * b; }},
        {{1, 0, 1, 0}, [](double a, double, double, double, double cb) { return 1 - std::abs(a - cb); }},
        {{1, 1, 0, 1}, [](double a, double b, double, double d, double) { return a + (1 - a) * (b + d); }},
        {{1, 1, 1, 1},
         [](double a, double b, double c, double d, double) { return a + c + (1 - a - c) * (b + d); }},
    };
    for (const Case& c : cases) {
        const CRectObstacle panel = Barrier(0.0, 5.0, c.sides, 5.0, 1.0);
        const CRectObstacle all = Barrier(0.0, 5.0, kAllSides, 5.0, 1.0);
        const double expected = c.combine(side(all, 0), side(all, 1), side(all, 2), side(all, 3),
                                          side(FaceBeyondEdge(all, 2), 0));
        const auto d = SingleDiffractionCorrection(panel, s, r);
        ASSERT_TRUE(d);
        EXPECT_NEAR(d->third[k1kHz], 10.0 * std::log10(expected), 1e-9)
            << c.sides[0] << c.sides[1] << c.sides[2] << c.sides[3];
    }
}

TEST(SingleDiffractionCorrection, StripFarFromItsFootActsAsItsTop) {
    // Top and foot diffract; the path crosses 4 m below the top and 4 m above the foot, which it passes
    // so far (δ −1.54 m) that the half-plane beyond the foot lets everything through at 5 kHz:
    // 1 − |d_top − 1| = d_top.
    const CRectObstacle strip = Barrier(0.0, 5.0, SideMask{1, 0, 1, 0}, 50.0, -3.0);
    const auto d = SingleDiffractionCorrection(strip, {-10, 0, 1}, {10, 0, 1});
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->third[k5kHz], -29.515270576, 1e-8);
}

// S (0,0,1) → R (100,0,1) over tops at x = 50 (8 m) and x = 80 (6 m): δ1 = 0.9752 m dominates, the far
// top seen from the near one has δ2·1 = 0.1945 m; the band value is the sum of their chart values.
TEST(DoubleDiffractionCorrection, DominantEdgePlusTheOtherSeenFromIt) {
    const CVector3D s{0, 0, 1};
    const CVector3D r{100, 0, 1};
    const auto knife = DoubleDiffractionCorrection(Barrier(50.0, 8.0), s, r, Barrier(80.0, 6.0));
    ASSERT_TRUE(knife);
    EXPECT_NEAR(knife->third[k50Hz], -16.946847535, 1e-8);
    EXPECT_NEAR(knife->third[k1kHz], -34.077310003, 1e-8);
    EXPECT_NEAR(knife->third[k5kHz], -48.056710090, 1e-8);
    EXPECT_DOUBLE_EQ(knife->overall, knife->overallLevel());
    // The order in which the two faces are given does not matter.
    const auto swapped = DoubleDiffractionCorrection(Barrier(80.0, 6.0), s, r, Barrier(50.0, 8.0));
    ASSERT_TRUE(swapped);
    EXPECT_NEAR(swapped->third[k1kHz], knife->third[k1kHz], 1e-9);
    // One right-angle wedge puts both edges on the right-angle chart.
    CRectObstacle square = Barrier(80.0, 6.0);
    square.wedgeType = kRightAngleWedge;
    EXPECT_NEAR(DoubleDiffractionCorrection(Barrier(50.0, 8.0), s, r, square)->third[k1kHz], -29.077310003,
                1e-8);
}

TEST(DoubleDiffractionCorrection, TransmissionThroughBothObstacles) {
    CRectObstacle near = Barrier(50.0, 8.0);
    CRectObstacle far = Barrier(80.0, 6.0);
    near.tl = CBand::Filled(5.0);
    far.tl = CBand::Filled(5.0);
    far.tl.third[k50Hz] = 0.0;  // one obstacle without transmission in this band: none through both
    const auto d = DoubleDiffractionCorrection(near, {0, 0, 1}, {100, 0, 1}, far);
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->third[k1kHz], -9.984740769, 1e-8);
    EXPECT_NEAR(d->third[k50Hz], -16.946847535, 1e-8);
}

TEST(DoubleDiffractionCorrection, FailedTermsCountAsSilenceExceptForASingleSide) {
    const CVector3D s{0, 0, 1};
    const CVector3D r{100, 0, 1};
    // The second obstacle stands beyond R: no point on it can be found.
    EXPECT_FALSE(DoubleDiffractionCorrection(Barrier(50.0, 8.0), s, r, Barrier(150.0, 6.0)));
    // With two diffracting sides each failed term counts as −100 dB: 10·log10(2·10^−10 − 10^−20).
    const auto d =
        DoubleDiffractionCorrection(Barrier(50.0, 8.0), s, r, Barrier(150.0, 6.0, SideMask{1, 1, 0, 0}));
    ASSERT_TRUE(d);
    for (const double v : d->third)
        EXPECT_NEAR(v, -96.989700044, 1e-8);
    // Faces without diffracting sides give silence; a ground face has no edges to pass.
    const auto closed = DoubleDiffractionCorrection(Barrier(50.0, 8.0, kNoSide), s, r, Barrier(80.0, 6.0));
    ASSERT_TRUE(closed);
    EXPECT_EQ(closed->third[k1kHz], kNoSoundLevel);
    CRectObstacle ground = Barrier(80.0, 6.0);
    ground.wedgeType = kGroundFace;
    EXPECT_FALSE(DoubleEdgeCorrection(Barrier(50.0, 8.0), s, r, 0, ground, 0));
}

}  // namespace
}  // namespace kelmora

namespace kelmora {
namespace {

// Obstacles are ranked by their 1 kHz value computed alone; it must be the full spectrum's value.
TEST(SingleDiffractionBand, SameValueAndFailureAsTheFullSpectrumAt1kHz) {
    CRectObstacle transmitting = Barrier(0.0, 5.0, kAllSides, 5.0, 1.0);
    transmitting.tl = CBand::Filled(8.0);
    const std::vector<CRectObstacle> faces = {
        Barrier(0.0, 5.0), Barrier(0.0, 5.0, SideMask{1, 0, 1, 0}, 50.0, -3.0),
        Barrier(0.0, 5.0, SideMask{1, 1, 0, 1}, 5.0, 1.0), transmitting};
    for (const CVector3D& through : {CVector3D{0, 3, 4}, CVector3D{0, 0, 7}, CVector3D{0, 7, 0.5}}) {
        for (const CRectObstacle& face : faces) {
            const CVector3D s = through + CVector3D{-10, 1, 0.5};
            const CVector3D r = through + CVector3D{30, -3, -2};
            const auto full = SingleDiffractionCorrection(face, s, r);
            ASSERT_TRUE(full);
            EXPECT_EQ(SingleDiffractionBand(CEdgeFace(face), s, r, k1kHz), full->levelAt(1000.0));
        }
    }
    const CRectObstacle wall = Barrier(0.0, 5.0);
    EXPECT_FALSE(SingleDiffractionBand(CEdgeFace(wall), {-10, 0, 1}, {-5, 0, 1}, k1kHz));
}

}  // namespace
}  // namespace kelmora

namespace kelmora {
namespace {

// The combination of the sides over synthetic energy shares: the literal formulas wherever they give
// at most 0 dB, 0 dB where the shares add up to more than the whole energy (sound passing several edges
// in their bright zone), and no value where the sum is not positive.
TEST(CombinedSideLevel, LiteralFormulasLimitedToNoGain) {
    const double shares[] = {0.1, 0.5, 1.0};
    struct Table {
        SideLayout layout;
        int sides;
        double (*literal)(const std::array<double, kSideCount>& d);
    };
    const Table tables[] = {
        {SideLayout::kQuadrant, 2, [](const auto& d) { return d[0] + (1 - d[0]) * d[1]; }},
        {SideLayout::kStrip, 2, [](const auto& d) { return 1 - std::abs(d[0] - d[1]); }},
        {SideLayout::kThreeSides, 3, [](const auto& d) { return d[0] + (1 - d[0]) * (d[1] + d[2]); }},
        {SideLayout::kFourSides, 4,
         [](const auto& d) { return d[0] + d[2] + (1 - d[0] - d[2]) * (d[1] + d[3]); }},
    };
    int limited = 0;
    for (const Table& t : tables) {
        int combinations = 1;
        for (int k = 0; k < t.sides; ++k)
            combinations *= 3;
        for (int c = 0; c < combinations; ++c) {
            std::array<double, kSideCount> d{};
            for (int k = 0, rest = c; k < t.sides; ++k, rest /= 3)
                d[k] = shares[rest % 3];
            SCOPED_TRACE(testing::Message() << static_cast<int>(t.layout) << ": " << d[0] << " " << d[1]
                                            << " " << d[2] << " " << d[3]);
            const double e = t.literal(d);
            const std::optional<double> level = CombinedSideLevel(t.layout, d);
            if (!(e > 0.0)) {
                EXPECT_FALSE(level);
                continue;
            }
            ASSERT_TRUE(level);
            EXPECT_LE(*level, 0.0);
            if (e <= 1.0) {
                EXPECT_NEAR(*level, 10.0 * std::log10(e), 1e-12);
            } else {
                EXPECT_EQ(*level, 0.0);
                ++limited;
            }
        }
    }
    // Three sides with d = 0.5, 1, 1 would give +2.4 dB; four sides with 0.1 0.5 0.1 0.5 +0.9 dB.
    EXPECT_EQ(*CombinedSideLevel(SideLayout::kThreeSides, {0.5, 1.0, 1.0, 0.0}), 0.0);
    EXPECT_EQ(*CombinedSideLevel(SideLayout::kFourSides, {0.1, 0.5, 0.1, 0.5}), 0.0);
    EXPECT_GT(limited, 20);
}

}  // namespace
}  // namespace kelmora
