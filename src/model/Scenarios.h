#pragma once
// What-if studies: a named set of changes to the user's sources (a source switched off, or its power
// lowered or raised by some decibels), computed from the transfers of the last run without changing the
// model until the user applies it.
#include <string>
#include <vector>

namespace kelmora {

// The change of one user source. `source` names it as the results of a run do (an outdoor source, or a
// room's source through its openings).
struct SourceAdjustment {
    std::string source;
    bool on = true;
    double gainDb = 0.0;  // dB added to the source's power spectra

    friend bool operator==(const SourceAdjustment&, const SourceAdjustment&) = default;
};

struct Scenario {
    std::string name;
    std::vector<SourceAdjustment> adjustments;

    friend bool operator==(const Scenario&, const Scenario&) = default;
};

using Scenarios = std::vector<Scenario>;

}  // namespace kelmora
