// Expected values were worked out independently of the code (Python, from the chart and energy
// formulas); 343.7 Hz is used so that λ = 1 m and N = 2·δ.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "acoustics/Formulas.h"

namespace kelmora {
namespace {

constexpr double kUnitWavelength = 343.7;  // Hz
constexpr int kKnife = 0;
constexpr int kRightAngle = 1;

TEST(PathDifference, DetourOverEdgeSignedByCrossing) {
    const CVector3D s{0, 0, 0}, r{10, 0, 0}, e{5, 0, 5};
    const double detour = 2.0 * std::sqrt(50.0) - 10.0;  // 4.142 m
    EXPECT_NEAR(PathDifference(s, r, e, true), detour, 1e-12);
    EXPECT_NEAR(PathDifference(s, r, e, false), -detour, 1e-12);
    EXPECT_NEAR(PathDifference(s, r, {5, 0, 0}, true), 0.0, 1e-12);
}

TEST(FresnelNumber, TwiceThePathDifferenceInWavelengths) {
    EXPECT_DOUBLE_EQ(FresnelNumber(kUnitWavelength, 0.5), 1.0);
    EXPECT_NEAR(FresnelNumber(1000.0, 0.1), 0.581903, 1e-6);
    EXPECT_NEAR(FresnelNumber(1000.0, -0.1), -0.581903, 1e-6);
}

struct ChartCase {
    int wedgeType;
    double n;
    double expected;  // dB
};

TEST(WedgeDiffractionCorrection, ChartValues) {
    const ChartCase cases[] = {
        // Knife wedge.
        {kKnife, 10.0, -23.0},
        {kKnife, 1.0, -13.0},
        {kKnife, 0.5, -11.033683},
        {kKnife, 0.0, -5.0},
        {kKnife, -0.05, -2.895233},
        {kKnife, -0.324, -0.000005},
        {kKnife, -0.325, 0.0},
        {kKnife, -5.0, 0.0},
        // Right-angle wedge (any non-zero type).
        {kRightAngle, 10.0, -20.5},
        {kRightAngle, 1.0, -10.5},
        {kRightAngle, 0.5, -8.533683},
        {kRightAngle, 0.0, -2.5},
        {kRightAngle, -0.05, -0.395233},
        {kRightAngle, -0.0718, -0.000601},
        {kRightAngle, -0.0719, 0.0},
        {2, 1.0, -10.5},
    };
    for (const ChartCase& c : cases) {
        EXPECT_NEAR(WedgeDiffractionCorrection(c.wedgeType, kUnitWavelength, c.n / 2.0), c.expected, 1e-6)
            << "type " << c.wedgeType << " N " << c.n;
    }
}

TEST(WedgeDiffractionCorrection, ContinuousAcrossBreakpoints) {
    // Left and right limits at the lower bound, N = 0 and N = 1 of each chart differ by less than
    // the charts' own rounding (a few thousandths of a dB).
    const struct {
        int wedgeType;
        double breakpoint;
    } cases[] = {{kKnife, -0.324},       {kKnife, 0.0},      {kKnife, 1.0},
                 {kRightAngle, -0.0718}, {kRightAngle, 0.0}, {kRightAngle, 1.0}};
    for (const auto& c : cases) {
        const double left =
            WedgeDiffractionCorrection(c.wedgeType, kUnitWavelength, c.breakpoint / 2.0 - 1e-9);
        const double right =
            WedgeDiffractionCorrection(c.wedgeType, kUnitWavelength, c.breakpoint / 2.0 + 1e-9);
        EXPECT_NEAR(left, right, 0.005) << "type " << c.wedgeType << " N " << c.breakpoint;
    }
}

TEST(EdgeEnergyRatio, ValuesAndSignIndependence) {
    const struct {
        double n;
        double expected;  // dB
    } cases[] = {{0.0, -3.010300}, {0.1, -7.525750}, {1.0, -14.281321}, {10.0, -23.305865}};
    for (const auto& c : cases) {
        EXPECT_NEAR(EdgeEnergyRatio(kUnitWavelength, c.n / 2.0), c.expected, 1e-6) << "N " << c.n;
        EXPECT_EQ(EdgeEnergyRatio(kUnitWavelength, -c.n / 2.0), EdgeEnergyRatio(kUnitWavelength, c.n / 2.0));
    }
    EXPECT_EQ(EdgeEnergyRatio(1000.0, -0.5), EdgeEnergyRatio(1000.0, 0.5));
}

TEST(EdgeEnergyCorrections, PairAndFourEdges) {
    // e(N=0) = 0.5, e(N=1) = 0.037311: 10·log10(0.462689).
    EXPECT_NEAR(EdgePairEnergyDifference(kUnitWavelength, 0.0, 0.5), -3.347133, 1e-6);
    EXPECT_NEAR(EdgePairEnergyDifference(kUnitWavelength, 0.5, 0.0), -3.347133, 1e-6);
    EXPECT_EQ(EdgePairEnergyDifference(kUnitWavelength, 0.3, -0.3), -std::numeric_limits<double>::infinity());
    // Pairs (N 0.1, N 1) and (N 10, N 0.5).
    EXPECT_NEAR(FourEdgeEnergyCorrection(kUnitWavelength, 0.05, 5.0, 0.5, 0.25), -1.356754, 1e-6);
    // A reflector whose edges are all far beyond the path reflects nearly in full.
    EXPECT_NEAR(FourEdgeEnergyCorrection(kUnitWavelength, 1e6, 1e6, 1e6, 1e6), 0.0, 1e-3);
}

TEST(TransmissionCombination, CombinesDiffractedAndTransmittedEnergy) {
    EXPECT_NEAR(*TransmissionCombination(-20.0, 10.0), -9.625735, 1e-6);
    // No diffraction loss: the transmitted part changes nothing.
    EXPECT_NEAR(*TransmissionCombination(0.0, 25.0), 0.0, 1e-12);
    // Diffraction removes everything: only the transmitted sound is left.
    EXPECT_NEAR(*TransmissionCombination(-300.0, 15.0), -15.0, 1e-9);
}

TEST(TransmissionCombination, FailsUnlessBracketPositive) {
    // d = 2, 10^(−TL/10) = 10: (1 − 2)·10 + 2 < 0.
    EXPECT_FALSE(TransmissionCombination(10.0 * std::log10(2.0), -10.0).has_value());
    EXPECT_FALSE(TransmissionCombination(std::nan(""), 10.0).has_value());
    EXPECT_FALSE(TransmissionCombination(std::numeric_limits<double>::infinity(), 10.0).has_value());
}

TEST(AbsorptionCorrection, FullAbsorptionSilencesThePath) {
    EXPECT_EQ(AbsorptionCorrection(0.0), 0.0);
    EXPECT_NEAR(AbsorptionCorrection(0.5), -3.010300, 1e-6);
    EXPECT_NEAR(AbsorptionCorrection(0.9), -10.0, 1e-12);
    EXPECT_EQ(AbsorptionCorrection(1.0), -std::numeric_limits<double>::infinity());
}

}  // namespace
}  // namespace kelmora
