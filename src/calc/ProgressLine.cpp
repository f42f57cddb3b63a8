#include "calc/ProgressLine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "calc/LongJobTexts.h"

namespace kelmora {
namespace {

constexpr int kBarWidth = 20;  // cells

}  // namespace

std::string ProgressBar(int done, int total, int width) {
    const int filled =
        total > 0 ? static_cast<int>(static_cast<long long>(std::clamp(done, 0, total)) * width / total) : 0;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), '-') + "]";
}

std::optional<double> RemainingSeconds(int done, int total, double elapsedSeconds) {
    if (done <= 0 || total < done) return std::nullopt;
    return elapsedSeconds * (total - done) / done;
}

std::string RemainingTimeText(double seconds) {
    // Kept within a range that converts to an integer (an estimate of centuries helps nobody anyway).
    const double bounded = std::isfinite(seconds) ? std::clamp(seconds, 0.0, 1e9) : 0.0;
    const long long whole = static_cast<long long>(std::ceil(bounded));
    char text[64];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "残り約 %lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "残り約 %lld:%02lld", whole / 60, whole % 60);
    }
    return text;
}

std::string TerminalProgressLine(int item, int itemCount, double elapsedSeconds) {
    std::string line = ProgressText(item, itemCount);
    if (itemCount <= 0) return line;
    const int done = std::clamp(item - 1, 0, itemCount);
    char percent[16];
    std::snprintf(percent, sizeof percent, " %3d%%", static_cast<int>(100LL * done / itemCount));
    line += " " + ProgressBar(done, itemCount, kBarWidth) + percent;
    if (const auto left = RemainingSeconds(done, itemCount, elapsedSeconds))
        line += " " + RemainingTimeText(*left);
    return line;
}

}  // namespace kelmora
