// Which limit applies to a point and when its level exceeds it.
#include <gtest/gtest.h>

#include "calc/LimitCheck.h"

namespace kelmora {
namespace {

TEST(LimitCheck, TheMostParticularLimitAppliesPerQuantity) {
    const LevelLimits limits = {
        {LimitScope::AllPoints, "", 60.0, 75.0},
        {LimitScope::LabelPrefix, "No.", 55.0, std::nullopt},
        {LimitScope::LabelPrefix, "No.1", 50.0, std::nullopt},
        {LimitScope::Label, "No.12", std::nullopt, 70.0},
    };
    struct Case {
        const char* label;
        std::optional<double> laeq, lamax;
    } cases[] = {
        {"", 60.0, 75.0},      {"住居", 60.0, 75.0},  {"No.2", 55.0, 75.0},
        {"No.15", 50.0, 75.0}, {"No.12", 50.0, 70.0}, {"no.1", 60.0, 75.0},
    };
    for (const Case& c : cases) {
        const PointLimits p = LimitsForPoint(limits, c.label);
        EXPECT_EQ(p.laeq, c.laeq) << c.label;
        EXPECT_EQ(p.lamax, c.lamax) << c.label;
    }
    EXPECT_FALSE(LimitsForPoint({}, "x").laeq.has_value());
}

TEST(LimitCheck, LevelsCompareAsPrinted) {
    EXPECT_FALSE(Exceeds(55.04, 55.0));
    EXPECT_TRUE(Exceeds(55.06, 55.0));
    EXPECT_FALSE(Exceeds(99.0, std::nullopt));
    EXPECT_EQ(ExceedanceText(55.04, 55.0), "0.0");
    EXPECT_EQ(ExceedanceText(52.26, 55.0), "-2.7");
    EXPECT_EQ(ExceedanceText(60.0, std::nullopt), "-");
    EXPECT_EQ(VerdictFor({}, 90.0, 90.0), LimitVerdict::NoLimit);
    EXPECT_EQ(VerdictFor({55.0, std::nullopt}, 55.0, 90.0), LimitVerdict::Met);
    EXPECT_EQ(VerdictFor({55.0, 70.0}, 50.0, 70.1), LimitVerdict::Exceeded);
}

}  // namespace
}  // namespace kelmora
