#include "view/noisemap/LevelClasses.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "view/noisemap/LevelGrid.h"

namespace kelmora {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::size_t kMostDifferenceClassesEachSide = 20;
constexpr double kLargestDifference = 100.0;  // dB
// The legend shows limits to a tenth of a decibel: narrower classes would share their texts, and a
// width far below it (1e-320) would make every limit the same number.
constexpr double kNarrowestClass = 0.1;  // dB

}  // namespace

double LevelClasses::Lower(std::size_t k) const {
    return k == 0 || k > limits.size() ? -kInfinity : limits[k - 1];
}

double LevelClasses::Upper(std::size_t k) const {
    return k >= limits.size() ? kInfinity : limits[k];
}

std::size_t LevelClasses::ClassOf(double level) const {
    // The number of limits at or below the level.
    return static_cast<std::size_t>(std::upper_bound(limits.begin(), limits.end(), level) - limits.begin());
}

LevelClasses EvenClasses(double from, double step, std::size_t count) {
    if (!std::isfinite(from) || !std::isfinite(step) || !(step > 0.0)) {
        throw NoiseMapError("等級の開始値と幅は数値で、幅は 0 より大きくしてください");
    }
    if (step < kNarrowestClass) throw NoiseMapError("等級の幅は 0.1 dB 以上にしてください");
    LevelClasses classes;
    for (std::size_t i = 0; i < count; ++i)
        classes.limits.push_back(from + static_cast<double>(i) * step);
    if (count > 0 &&
        (classes.limits.front() < kLowestClassLimit || classes.limits.back() > kHighestClassLimit)) {
        throw NoiseMapError("等級の範囲は -200 dB から 300 dB までにしてください");
    }
    return classes;
}

LevelClasses DifferenceClasses(double classWidth, std::size_t classesEachSide) {
    if (!std::isfinite(classWidth) || !(classWidth > 0.0) || classWidth > 50.0) {
        throw NoiseMapError("差分の等級の幅は 0 より大きく 50 dB 以下にしてください");
    }
    if (classWidth < kNarrowestClass) throw NoiseMapError("等級の幅は 0.1 dB 以上にしてください");
    if (classesEachSide < 1 || classesEachSide > kMostDifferenceClassesEachSide) {
        throw NoiseMapError("差分の等級は片側 1 から 20 までにしてください");
    }
    const double outermost = classWidth * (0.5 + static_cast<double>(classesEachSide - 1));
    if (outermost > kLargestDifference) throw NoiseMapError("差分の等級は ±100 dB の範囲にしてください");
    LevelClasses classes;
    classes.signedLabels = true;
    // Each limit is computed, not accumulated, so that −L and +L are exact negatives.
    for (std::size_t k = classesEachSide; k-- > 0;)
        classes.limits.push_back(-classWidth * (0.5 + static_cast<double>(k)));
    for (std::size_t k = 0; k < classesEachSide; ++k)
        classes.limits.push_back(classWidth * (0.5 + static_cast<double>(k)));
    return classes;
}

std::size_t DifferenceClassesReaching(double lowestLimit, double classWidth) {
    if (!std::isfinite(lowestLimit) || !std::isfinite(classWidth) || !(classWidth > 0.0) ||
        !(lowestLimit <= -0.5 * classWidth)) {
        throw NoiseMapError("差分の最も低い等級の下限は −幅/2 以下にしてください");
    }
    const double steps = std::floor((-lowestLimit - 0.5 * classWidth) / classWidth + 1e-9);
    return static_cast<std::size_t>(std::min(steps, 1e6)) + 1;
}

std::string FormatLimit(double limit, bool withSign) {
    char buffer[64];
    const double rounded = std::round(limit);
    const bool whole = std::fabs(limit - rounded) < 1e-9;
    const double magnitude = std::fabs(whole ? rounded : limit);
    const auto result =
        whole ? std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, 0)
              : std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed, 1);
    std::string digits(buffer, result.ptr);
    if (digits == "0" || digits == "0.0") return digits;
    if (limit < 0.0) return "−" + digits;
    return withSign ? "+" + digits : digits;
}

std::string ClassLabel(const LevelClasses& classes, std::size_t k) {
    const bool withSign = classes.signedLabels;
    const double lower = classes.Lower(k);
    const double upper = classes.Upper(k);
    if (std::isinf(lower) && std::isinf(upper)) return "全て";
    if (std::isinf(lower)) return "< " + FormatLimit(upper, withSign);
    if (std::isinf(upper)) return "≥ " + FormatLimit(lower, withSign);
    const char* dash = withSign ? " – " : "–";
    return FormatLimit(lower, withSign) + dash + FormatLimit(upper, withSign);
}

}  // namespace kelmora
