#pragma once
// Limits of the level at the prediction points (an environmental standard, a contract), against which a
// prediction's results are shown as met or exceeded. A limit applies to every point, to the points whose
// label starts with a prefix, or to the points with one label.
#include <optional>
#include <string>
#include <vector>

namespace kelmora {

enum class LimitScope {
    AllPoints,    // every prediction point
    LabelPrefix,  // the points whose label starts with `text`
    Label,        // the points whose label is `text`
};

struct LevelLimit {
    LimitScope scope = LimitScope::AllPoints;
    std::string text;             // the prefix or the label; empty for every point
    std::optional<double> laeq;   // dB, limit of LAeqT; none: not limited
    std::optional<double> lamax;  // dB, limit of LAmax

    friend bool operator==(const LevelLimit&, const LevelLimit&) = default;
};

using LevelLimits = std::vector<LevelLimit>;

}  // namespace kelmora
