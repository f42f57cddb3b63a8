#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "acoustics/BandTransmission.h"

namespace kelmora {
namespace {

// 10·log10(0.99·10^(−TL/10) + 0.01) for a −20 dB diffraction correction, worked out by hand.
constexpr double kMinus20WithTl10 = -9.625735;

CBand WithBand(double fill, int band, double value) {
    CBand b = CBand::Filled(fill);
    b.third[band] = value;
    return b;
}

TEST(ApplyTransmission, SingleObstacleOnlyWhereTlPositive) {
    CBand correction = CBand::Filled(-20.0);
    CBand tl = WithBand(0.0, 5, 10.0);
    tl.third[6] = -10.0;  // a negative loss lets nothing through either
    ASSERT_TRUE(ApplyTransmission(correction, tl));
    for (int i = 0; i < kThirdOctaveBands; ++i) {
        EXPECT_NEAR(correction.third[i], i == 5 ? kMinus20WithTl10 : -20.0, 1e-6) << i;
    }
    EXPECT_DOUBLE_EQ(correction.overall, correction.overallLevel());
}

TEST(ApplyTransmission, ObstacleWithoutTransmissionLeavesBands) {
    CBand correction = WithBand(-20.0, 3, -35.0);
    ASSERT_TRUE(ApplyTransmission(correction, CBand::Filled(0.0)));
    EXPECT_EQ(correction.third, WithBand(-20.0, 3, -35.0).third);
}

TEST(ApplyTransmission, DoubleObstacleUsesSumWhereBothTransmit) {
    CBand correction = CBand::Filled(-20.0);
    CBand tl1 = CBand::Filled(4.0);
    CBand tl2 = CBand::Filled(6.0);
    tl1.third[0] = 0.0;   // first obstacle opaque to transmission in this band
    tl2.third[1] = -7.0;  // sum −3: not > 0
    tl1.third[2] = -2.0;  // sum 4 > 0 with both non-zero
    ASSERT_TRUE(ApplyTransmission(correction, tl1, tl2));
    EXPECT_DOUBLE_EQ(correction.third[0], -20.0);
    EXPECT_DOUBLE_EQ(correction.third[1], -20.0);
    EXPECT_NEAR(correction.third[2], 10.0 * std::log10(0.99 * std::pow(10.0, -0.4) + 0.01), 1e-9);
    for (int i = 3; i < kThirdOctaveBands; ++i)
        EXPECT_NEAR(correction.third[i], kMinus20WithTl10, 1e-6) << i;
}

TEST(ApplyTransmission, FailedBandFailsWholeCorrectionAndKeepsIt) {
    CBand correction = WithBand(-20.0, 7, std::numeric_limits<double>::infinity());
    const CBand before = correction;
    EXPECT_FALSE(ApplyTransmission(correction, CBand::Filled(10.0)));
    EXPECT_EQ(correction, before);
    EXPECT_FALSE(ApplyTransmission(correction, CBand::Filled(5.0), CBand::Filled(5.0)));
    EXPECT_EQ(correction, before);
}

}  // namespace
}  // namespace kelmora
