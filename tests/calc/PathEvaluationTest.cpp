// One source at one point on sites whose paths can be followed by hand. The expected levels come from
// the formulas themselves: spreading 10·log10 Q − 11 − 20·log10 r over the straight distance, the
// knife-wedge chart for the barrier, 10·log10(1 − α) for absorption, energy sums of the paths. Air
// absorption is checked against the published figures at 20 °C and 60 % (ISO 9613-1: 0.48, 2.56 and
// 3.77 dB per 100 m at 1, 4 and 5 kHz) in those bands, and the other bands by taking the air absorption
// of the same travelled length off the level.
#include "calc/PathEvaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "RunSites.h"
#include "acoustics/AirAbsorption.h"
#include "calc/TextOutput.h"
#include "propagation/Scene.h"

namespace kelmora {
namespace {

using runsites::BandOf;
using runsites::BandsOnLine;
using runsites::CountLines;
using runsites::EnergySum;
using runsites::Source;
using runsites::Spreading;

constexpr double kTemperature = 20.0;
constexpr double kHumidity = 60.0;

// Air absorption [dB per metre] at 20 °C, 60 % from the published table.
struct PublishedAir {
    double frequency;
    double perMetre;
};
constexpr PublishedAir kPublishedAir[] = {{1000, -0.0048}, {4000, -0.0256}, {5000, -0.0377}};

struct Evaluation {
    bool reached = false;
    SourceLevels levels;
    std::string breakdown;  // decoded
};

Evaluation Evaluate(const CNoise& site, const CSound& source, const CVector3D& point,
                    int maxReflections = 2) {
    const Scene scene = BuildScene(site, source.position, point);
    CTextBuffer out;
    CBreakdownWriter w(&out, nullptr);
    Evaluation e;
    e.reached = ComputeSourceAtPoint(scene, site.buildings, kTemperature, kHumidity, maxReflections, source,
                                     point, w, e.levels);
    e.breakdown = runsites::DecodedBreakdown(out.bytes());
    return e;
}

// Checks a level spectrum made of `withoutAir` (per band, no air absorption) plus the air absorption
// over `travelled` metres: the published figures in their bands, the air absorption law in every band.
void ExpectLevelWithAir(const CBand& level, const std::vector<double>& withoutAir, double travelled) {
    for (const PublishedAir& a : kPublishedAir) {
        const int b = BandOf(a.frequency);
        EXPECT_NEAR(level.value(b), withoutAir[b] + a.perMetre * travelled, 0.01 + 0.00005 * travelled)
            << a.frequency << " Hz";
    }
    const CBand air = AirAbsorptionBand(travelled, kTemperature, kHumidity);
    for (int b = 0; b < kThirdOctaveBands; ++b)
        EXPECT_NEAR(level.value(b) - air.value(b), withoutAir[b], 1e-9) << bandFrequency(2, b) << " Hz";
}

std::vector<double> Flat(double value) {
    return std::vector<double>(kThirdOctaveBands, value);
}

TEST(ComputeSourceAtPoint, FreeFieldIsSpreadingAndAirAbsorption) {
    const CNoise site;  // no terrain, no buildings: the ground reflects nothing
    const CSound source = Source({0, 0, 1.5}, 100.0, 2.0, 105.0);
    const Evaluation e = Evaluate(site, source, {100, 0, 1.5});
    ASSERT_TRUE(e.reached);
    // Q = 2 at 100 m: 3.01 − 11 − 40 = −47.99 dB.
    ExpectLevelWithAir(e.levels.average, Flat(100.0 + Spreading(100.0, 2.0)), 100.0);
    // The maximum power takes the same attenuation.
    for (int b = 0; b < kThirdOctaveBands; ++b)
        EXPECT_NEAR(e.levels.maximum.value(b), e.levels.average.value(b) + 5.0, 1e-9);

    EXPECT_EQ(CountLines(e.breakdown, "伝搬経路(1/1)"), 1);
    EXPECT_EQ(CountLines(e.breakdown,
                         "<伝搬経路距離[m]>→, 100.000, <直線距離[m]>→, 100.000, <距離減衰量[dB]>→, "
                         "-47.99, <気温[℃]>→, 20.0, <湿度[%]>→, 60.0"),
              1);
    // The printed path level and the source's level at the point agree with the computed ones.
    const std::vector<double> printed = BandsOnLine(e.breakdown, "予測点の音圧レベル[dB]");
    ASSERT_EQ(printed.size(), 21u);
    EXPECT_NEAR(printed[BandOf(1000)], e.levels.average.value(BandOf(1000)), 0.005);
}

TEST(ComputeSourceAtPoint, SourceAtThePointTravelsNoDistance) {
    const CNoise site;
    const CSound source = Source({3, 4, 1.5}, 80.0);
    const Evaluation e = Evaluate(site, source, {3, 4, 1.5});
    ASSERT_TRUE(e.reached);
    // Neither spreading nor air absorption: the power level itself.
    for (int b = 0; b < kThirdOctaveBands; ++b)
        EXPECT_NEAR(e.levels.average.value(b), 80.0, 1e-9);
    EXPECT_EQ(CountLines(e.breakdown, "<伝搬経路距離[m]>"), 0);
}

// A ground line far to the side makes the ground under the path a plain reflecting face without edges.
TEST(ComputeSourceAtPoint, GroundReflectionAddsTheImageSourcePath) {
    const struct {
        double absorption;
        double absorptionCorrection;  // 10·log10(1 − α)
    } cases[] = {{0.0, 0.0}, {0.5, -3.0103}, {0.9, -10.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.absorption);
        CNoise site;
        site.groundLines.push_back(
            fixtures::GroundLine({{-100, 50, 0}, {100, 50, 0}}, c.absorption, c.absorption));
        const CSound source = Source({0, 0, 1}, 90.0, 1.0);
        const Evaluation e = Evaluate(site, source, {10, 0, 1});
        ASSERT_TRUE(e.reached);
        EXPECT_EQ(CountLines(e.breakdown, "伝搬経路(2/2)"), 1);

        // Direct 10 m; reflected at (5, 0, 0) from the image source (0, 0, −1): 2·√26 m.
        const double reflected = 2.0 * std::sqrt(26.0);
        const CBand airDirect = AirAbsorptionBand(10.0, kTemperature, kHumidity);
        const CBand airReflected = AirAbsorptionBand(reflected, kTemperature, kHumidity);
        for (int b = 0; b < kThirdOctaveBands; ++b) {
            const double direct = 90.0 + Spreading(10.0, 1.0) + airDirect.value(b);
            const double viaGround =
                90.0 + Spreading(reflected, 1.0) + airReflected.value(b) + c.absorptionCorrection;
            EXPECT_NEAR(e.levels.average.value(b), EnergySum({direct, viaGround, -100.0}), 1e-4);
        }
        EXPECT_EQ(CountLines(e.breakdown,
                             "【鏡面反射】of地表面, <音源位置>, X[m]→, 0.000, Y[m]→, 0.000, Z[m]→, 1.000, "
                             "<予測位置>, X[m]→, 10.000, Y[m]→, 0.000, Z[m]→, 1.000, <反射面反射位置>, "
                             "X[m]→, 5.000, Y[m]→, 0.000, Z[m]→, 0.000"),
                  1);
        // A face without diffracting edges is an endless reflector: no correction.
        EXPECT_EQ(BandsOnLine(e.breakdown, "<反射面補正量[dB]>"), Flat(0.0));
        EXPECT_NEAR(BandsOnLine(e.breakdown, "<吸音補正量[dB]>")[0], c.absorptionCorrection, 0.005);
    }
}

// A barrier halfway between source and point, 20 m apart at 1 m height: its top lies so high that the
// detour is δ = 343.7 / 1800 m, giving the Fresnel number N = 2δf/343.7 = f / 900. Knife-wedge chart:
// N ≥ 1: −13 − 10·log10 N; 0 ≤ N < 1: −5 − 9.08·asinh(N^0.485).
TEST(ComputeSourceAtPoint, BarrierFollowsTheKnifeWedgeChart) {
    const double delta = 343.7 / 1800.0;
    const double top = 1.0 + std::sqrt(std::pow(10.0 + delta / 2.0, 2) - 100.0);
    CNoise site;
    CGroundLine line = fixtures::GroundLine({{10, -100, 0}, {10, 100, 0}}, 1.0, 1.0);
    CWall wall = fixtures::Wall(0.0, 200.0, top);
    wall.absorptionLeft = wall.absorptionRight = CBand::Filled(1.0);
    line.walls.push_back(wall);
    site.groundLines.push_back(line);

    const CSound source = Source({0, 0, 1}, 100.0, 2.0);
    const Evaluation e = Evaluate(site, source, {20, 0, 1});
    ASSERT_TRUE(e.reached);
    EXPECT_EQ(CountLines(e.breakdown, "伝搬経路(1/1)"), 1);
    EXPECT_EQ(CountLines(e.breakdown, "【1回回折】"), 1);

    std::vector<double> withoutAir(kThirdOctaveBands);
    for (int b = 0; b < kThirdOctaveBands; ++b) {
        const double n = bandFrequency(2, b) / 900.0;
        const double chart =
            n >= 1.0 ? -13.0 - 10.0 * std::log10(n) : -5.0 - 9.08 * std::asinh(std::pow(n, 0.485));
        withoutAir[b] = 100.0 + Spreading(20.0, 2.0) + chart;
    }
    // Q = 2 at 20 m: −34.01 dB; N = 1.11 at 1 kHz: −13.46 dB; N = 0.56 at 500 Hz: −11.31 dB.
    EXPECT_NEAR(withoutAir[BandOf(1000)], 100.0 - 34.0103 - 13.4576, 1e-4);
    EXPECT_NEAR(withoutAir[BandOf(500)], 100.0 - 34.0103 - 11.3080, 1e-4);
    // Spreading over the straight 20 m, air absorption over the detour 20 + δ.
    ExpectLevelWithAir(e.levels.average, withoutAir, 20.0 + delta);
    EXPECT_NEAR(BandsOnLine(e.breakdown, "<1回回折補正量[dB]>")[BandOf(1000)], -13.46, 0.005);
    EXPECT_EQ(CountLines(e.breakdown, "<伝搬経路距離[m]>→, 20.191, <直線距離[m]>→, 20.000"), 1);
}

// Source and point 20 m apart, 5 m from an endless wall: the reflected path runs from the image source
// (0, 10, 1), √500 m long, and loses 10·log10(1 − α) of the side the sound arrives on.
TEST(ComputeSourceAtPoint, ReflectingWallLosesTheAbsorptionOfTheSideHit) {
    const double reflected = std::sqrt(500.0);
    const CBand airDirect = AirAbsorptionBand(20.0, kTemperature, kHumidity);
    const CBand airReflected = AirAbsorptionBand(reflected, kTemperature, kHumidity);
    const CSound source = Source({0, 0, 1}, 100.0, 2.0);
    const auto direct = [&](int b) { return 100.0 + Spreading(20.0, 2.0) + airDirect.value(b); };
    const auto viaWall = [&](int b) { return 100.0 + Spreading(reflected, 2.0) + airReflected.value(b); };

    // The source lies right of the wall's line (which runs towards +x), so the right side is hit.
    const Evaluation e =
        Evaluate(runsites::ReflectingWallSite(CBand::Filled(0.9), CBand::Filled(0.5)), source, {20, 0, 1});
    ASSERT_TRUE(e.reached);
    EXPECT_EQ(CountLines(e.breakdown, "伝搬経路(2/2)"), 1);
    for (int b = 0; b < kThirdOctaveBands; ++b)
        EXPECT_NEAR(e.levels.average.value(b), EnergySum({direct(b), viaWall(b) - 3.0103, -100.0}), 1e-4);
    EXPECT_EQ(CountLines(e.breakdown, "<反射面反射位置>, X[m]→, 10.000, Y[m]→, 5.000, Z[m]→, 1.000"), 1);
    EXPECT_EQ(BandsOnLine(e.breakdown, "<反射面補正量[dB]>"), Flat(0.0));
    EXPECT_NEAR(BandsOnLine(e.breakdown, "<吸音補正量[dB]>")[0], -3.01, 0.005);

    // A side absorbing everything in the lowest band: that band of the reflected path is at minus
    // infinity and adds nothing; its other bands count as before.
    CBand partlyAbsorbing = CBand::Filled(0.5);
    partlyAbsorbing.value(0) = 1.0;
    const Evaluation silent =
        Evaluate(runsites::ReflectingWallSite(CBand::Filled(0.0), partlyAbsorbing), source, {20, 0, 1});
    ASSERT_TRUE(silent.reached);
    EXPECT_EQ(CountLines(silent.breakdown, "<吸音補正量[dB]>, 50[Hz]バンド→, -inf, 63[Hz]バンド→, -3.01"), 1);
    EXPECT_EQ(BandsOnLine(silent.breakdown, "【音圧レベル[dB]】", 1)[0], -INFINITY);
    EXPECT_NEAR(silent.levels.average.value(0), EnergySum({direct(0), -100.0}), 1e-9);
    EXPECT_NEAR(silent.levels.average.value(1), EnergySum({direct(1), viaWall(1) - 3.0103, -100.0}), 1e-4);
}

TEST(ComputeSourceAtPoint, NoPathLeavesTheLevelsAndSaysSo) {
    // A barrier without diffracting edges that lets nothing through and reflects nothing.
    CNoise site;
    CGroundLine line = fixtures::GroundLine({{10, -100, 0}, {10, 100, 0}}, 1.0, 1.0);
    CWall wall = fixtures::Wall(0.0, 200.0, 5.0);
    wall.diffractTop = 0;
    wall.absorptionLeft = wall.absorptionRight = CBand::Filled(1.0);
    line.walls.push_back(wall);
    site.groundLines.push_back(line);

    CSound source = Source({0, 0, 1}, 100.0);
    source.levelAverageAtPoint = CBand::Filled(12.0);  // left over from another point
    const Scene scene = BuildScene(site, source.position, {20, 0, 1});
    CTextBuffer out;
    CBreakdownWriter w(&out, nullptr);
    w.ChangeLevel(1);
    EXPECT_FALSE(
        ComputeSourceAtPoint(scene, site.buildings, kTemperature, kHumidity, 2, source, {20, 0, 1}, w));
    EXPECT_TRUE(source.levelAverageAtPoint.allEqual(kNoSoundLevel));
    EXPECT_TRUE(source.levelMaxAtPoint.allEqual(kNoSoundLevel));
    EXPECT_EQ(runsites::DecodedBreakdown(out.bytes()), "\n , , ■伝搬経路無し");
    EXPECT_EQ(w.level(), 1);
}

}  // namespace
}  // namespace kelmora
