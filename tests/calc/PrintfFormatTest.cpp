#include "calc/PrintfFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

namespace kelmora {
namespace {

// The test process runs in the "C" locale, so the C library's snprintf is the reference.
std::string CPrintf(const char* format, double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

TEST(Format, NumbersAsCPrintfPrintsThem) {
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {0.0,      -0.0,        0.0005,
                             0.0015,   0.25,        2.5,
                             -2.5,     1.005,       1e-5,
                             50.0,     63.0,        1000.0,
                             1250.0,   5000.0,      123456.0,
                             1e6,      123456789.0, 1e21,
                             -3.14159, 63.2222,     -86.7778,
                             0.05,     99.95,       1e300,
                             inf,      -inf,        std::numeric_limits<double>::quiet_NaN()};
    for (const char* format : {"%.3f", "%.2f", "%.1f", "%g", "%f"}) {
        for (double v : values)
            EXPECT_EQ(Format(format, {v}), CPrintf(format, v)) << format << " " << v;
    }
}

TEST(Format, TextIntegersAndPercent) {
    EXPECT_EQ(Format("予測点(%d/%d)", {3, -12}), "予測点(3/-12)");
    EXPECT_EQ(Format("<湿度[%%]>→, %.1f", {60.0}), "<湿度[%]>→, 60.0");
    EXPECT_EQ(Format("(%s)", {"100%%d"}), "(100%%d)") << "arguments are not formats";
    EXPECT_EQ(Format("no conversions", {}), "no conversions");
}

TEST(Format, ArgumentMismatchIsAProgrammingError) {
    EXPECT_THROW(Format("%d", {1.0}), std::logic_error);
    EXPECT_THROW(Format("%.1f", {1}), std::logic_error);
    EXPECT_THROW(Format("%d %d", {1}), std::logic_error);
    EXPECT_THROW(Format("%d", {1, 2}), std::logic_error);
    EXPECT_THROW(Format("%x", {1}), std::logic_error);
    EXPECT_THROW(Format("100%", {}), std::logic_error);
}

}  // namespace
}  // namespace kelmora
