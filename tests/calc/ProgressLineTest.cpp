#include "calc/ProgressLine.h"

#include <gtest/gtest.h>

#include <limits>

namespace kelmora {
namespace {

TEST(ProgressLine, BarFillsTheShareDoneRoundedDown) {
    const struct {
        int done;
        int total;
        const char* bar;
    } cases[] = {{0, 4, "[----------]"},  {1, 4, "[##--------]"}, {2, 4, "[#####-----]"},
                 {3, 4, "[#######---]"},  {4, 4, "[##########]"}, {9, 4, "[##########]"},
                 {-1, 4, "[----------]"}, {1, 0, "[----------]"}};
    for (const auto& c : cases)
        EXPECT_EQ(ProgressBar(c.done, c.total, 10), c.bar) << c.done << "/" << c.total;
}

TEST(ProgressLine, RemainingTimeFromTheFinishedItems) {
    EXPECT_FALSE(RemainingSeconds(0, 10, 5.0));
    EXPECT_DOUBLE_EQ(*RemainingSeconds(2, 10, 5.0), 20.0);  // 2.5 s per item, 8 items left
    EXPECT_DOUBLE_EQ(*RemainingSeconds(10, 10, 5.0), 0.0);

    const struct {
        double seconds;
        const char* text;
    } cases[] = {{0.0, "残り約 0:00"},     {0.2, "残り約 0:01"},
                 {59.2, "残り約 1:00"},    {754.0, "残り約 12:34"},
                 {3599.0, "残り約 59:59"}, {3723.0, "残り約 1:02:03"},
                 {-5.0, "残り約 0:00"},    {std::numeric_limits<double>::quiet_NaN(), "残り約 0:00"}};
    for (const auto& c : cases)
        EXPECT_EQ(RemainingTimeText(c.seconds), c.text) << c.seconds;
}

TEST(ProgressLine, TerminalLine) {
    // Item 1 of 4: nothing done yet, no estimate.
    EXPECT_EQ(TerminalProgressLine(1, 4, 0.0), "1 / 4 処理中 [--------------------]   0%");
    // Item 3 of 4 after 10 s: 2 done (5 s each), 2 left.
    EXPECT_EQ(TerminalProgressLine(3, 4, 10.0), "3 / 4 処理中 [##########----------]  50% 残り約 0:10");
    // 1 done of 3: 33 %, bar of 6 cells.
    EXPECT_EQ(TerminalProgressLine(2, 3, 1.5), "2 / 3 処理中 [######--------------]  33% 残り約 0:03");
    EXPECT_EQ(TerminalProgressLine(7, 0, 3.0), "処理中(7)");
}

}  // namespace
}  // namespace kelmora
