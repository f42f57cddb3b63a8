#include <gtest/gtest.h>

#include <cmath>

#include "acoustics/AirAbsorption.h"

namespace kelmora {
namespace {

// The attenuation coefficient [dB/m] as ISO 9613-1 writes it (reference pressure), with the
// standard's own constants: a separate evaluation to hold the program's rounded law against.
double Iso9613Coefficient(double f, double temperatureC, double humidity) {
    const double t = temperatureC + 273.15;
    const double t0 = 293.15;
    const double t01 = 273.16;
    const double c = -6.8346 * std::pow(t01 / t, 1.261) + 4.6151;
    const double h = humidity * std::pow(10.0, c);
    const double frO = 24.0 + 4.04e4 * h * (0.02 + h) / (0.391 + h);
    const double frN =
        std::pow(t / t0, -0.5) * (9.0 + 280.0 * h * std::exp(-4.170 * (std::pow(t / t0, -1.0 / 3.0) - 1.0)));
    return 8.686 * f * f *
           (1.84e-11 * std::sqrt(t / t0) +
            std::pow(t / t0, -2.5) * (0.01275 * std::exp(-2239.1 / t) / (frO + f * f / frO) +
                                      0.1068 * std::exp(-3352.0 / t) / (frN + f * f / frN)));
}

TEST(AirAbsorptionBand, HundredMetresAtTwentyDegreesSixtyPercent) {
    const CBand band = AirAbsorptionBand(100.0, 20.0, 60.0);
    ASSERT_EQ(band.kind, 2);
    EXPECT_NEAR(band.third[13], -0.48, 0.005);  // 1 kHz
    EXPECT_NEAR(band.third[19], -2.56, 0.005);  // 4 kHz
    EXPECT_NEAR(band.third[20], -3.77, 0.005);  // 5 kHz
    for (int i = 1; i < kThirdOctaveBands; ++i)
        EXPECT_LT(band.third[i], band.third[i - 1]) << i;
}

TEST(AirAbsorptionCoefficient, AgreesWithIso9613WithinRoundedConstants) {
    // The rounded constants, T = t + 273 and the simplified nitrogen term keep the law within
    // about 1 % of the standard over ordinary outdoor conditions.
    for (double temperature : {0.0, 10.0, 20.0, 30.0, 40.0}) {
        for (double humidity : {20.0, 40.0, 60.0, 80.0, 100.0}) {
            for (int i = 0; i < kThirdOctaveBands; ++i) {
                const double f = bandFrequency(2, i);
                const double iso = Iso9613Coefficient(f, temperature, humidity);
                EXPECT_NEAR(AirAbsorptionCoefficient(f, temperature, humidity), iso, 0.015 * iso)
                    << temperature << " °C " << humidity << " % " << f << " Hz";
            }
        }
    }
}

TEST(AirAbsorptionBand, ProportionalToDistance) {
    const CBand near = AirAbsorptionBand(10.0, 15.0, 70.0);
    const CBand far = AirAbsorptionBand(250.0, 15.0, 70.0);
    for (int i = 0; i < kThirdOctaveBands; ++i)
        EXPECT_NEAR(far.third[i], 25.0 * near.third[i], 1e-12);
    EXPECT_TRUE(AirAbsorptionBand(0.0, 15.0, 70.0).allEqual(0.0));
}

TEST(AirAbsorptionBand, OtherKinds) {
    const CBand octaves = AirAbsorptionBand(100.0, 20.0, 60.0, 1);
    ASSERT_EQ(octaves.kind, 1);
    EXPECT_NEAR(octaves.octave[4], -0.48, 0.005);  // 1 kHz
    EXPECT_NEAR(octaves.octave[6], -2.56, 0.005);  // 4 kHz
    const CBand overallOnly = AirAbsorptionBand(100.0, 20.0, 60.0, 0);
    EXPECT_EQ(overallOnly.kind, 0);
    EXPECT_EQ(overallOnly.overall, 0.0);
}

}  // namespace
}  // namespace kelmora
