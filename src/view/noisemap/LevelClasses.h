#pragma once
// The level classes of a noise map: ascending limits L0 < L1 < … < Ln-1 cut the levels into n + 1
// half-open classes (−∞, L0), [L0, L1), …, [Ln-1, +∞), and the legend's text of each.
#include <cstddef>
#include <string>
#include <vector>

namespace kelmora {

// The range a class limit of a map may take.
inline constexpr double kLowestClassLimit = -200.0;  // dB
inline constexpr double kHighestClassLimit = 300.0;  // dB

struct LevelClasses {
    std::vector<double> limits;  // dB, strictly ascending
    bool signedLabels = false;   // a difference map: "+2" and "−2" in the legend

    std::size_t ClassCount() const { return limits.size() + 1; }
    // Lower and upper limit of class k; −∞ / +∞ for the open ends.
    double Lower(std::size_t k) const;
    double Upper(std::size_t k) const;
    // The class of a level: the k with Lower(k) ≤ level < Upper(k).
    std::size_t ClassOf(double level) const;
};

// `count` limits from `from` in steps of `step`. Throws NoiseMapError for values that are not finite,
// a step below 0.1 dB (the legend's resolution), or limits outside −200 … 300 dB.
LevelClasses EvenClasses(double from, double step, std::size_t count);

// The classes of a difference map: a neutral class [−w/2, +w/2) centred on no change, and
// `classesEachSide` classes of width w below and above it (the outermost open), with the limits
// ±w/2, ±3w/2, … — mirror images of each other; signed legend texts. Throws NoiseMapError unless
// 0 < w ≤ 50 dB, 1 ≤ classesEachSide ≤ 20 and the outermost limit stays within ±100 dB.
LevelClasses DifferenceClasses(double classWidth, std::size_t classesEachSide);

// The number of classes each side of the neutral class of width `classWidth` whose limits reach down to
// `lowestLimit` (< 0) and no further: the count of limits −w/2, −3w/2, … at or above it. Throws
// NoiseMapError for a lowest limit that is not below −w/2 or not finite.
std::size_t DifferenceClassesReaching(double lowestLimit, double classWidth);

// A limit as the legend prints it: whole numbers without decimals, others with one ("37.5"); with
// `withSign` a "+" before positive values; negative values with the minus sign "−".
std::string FormatLimit(double limit, bool withSign = false);

// The legend's text of class k: "< 35", "35–40", "≥ 80"; for signed classes "−2 – 0", "0 – +2".
std::string ClassLabel(const LevelClasses& classes, std::size_t k);

}  // namespace kelmora
