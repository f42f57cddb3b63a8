#pragma once
// The limits that apply to a prediction point and whether its levels exceed them. Of the limits that
// set a quantity (LAeqT or LAmax), the most particular one applies: one for the point's label, else the
// one of the longest prefix its label starts with, else one for all points (of several equally
// particular ones, the last in the list). A level is compared as it is printed, to a tenth of a dB, so
// that a printed 55.0 never counts as above a limit of 55.
#include <optional>
#include <string>
#include <string_view>

#include "model/LevelLimits.h"

namespace kelmora {

struct PointLimits {
    std::optional<double> laeq;   // dB
    std::optional<double> lamax;  // dB
};

PointLimits LimitsForPoint(const LevelLimits& limits, std::string_view label);

// The level less the limit, the level rounded to 0.1 dB as printed: above 0 is an exceedance.
double Exceedance(double level, double limit);
bool Exceeds(double level, const std::optional<double>& limit);

// "%.1f" of the exceedance, or "-" without a limit.
std::string ExceedanceText(double level, const std::optional<double>& limit);

// The verdict on a point: no limit applies, all limits met, or one of them exceeded.
enum class LimitVerdict { NoLimit, Met, Exceeded };
LimitVerdict VerdictFor(const PointLimits& limits, double laeq, double lamax);

// A limit typed into a table row: the scope (0 all points, 1 label prefix, 2 label), the prefix or label,
// and the two limits as typed (empty: not limited). The limit, or the reason it cannot be one in
// `problem` ("…を入力してください" style).
std::optional<LevelLimit> ParseLimitRow(int scope, const std::string& text, const std::string& laeq,
                                        const std::string& lamax, std::string& problem);

// The words of the scopes in the table: "全予測点", "ラベルの先頭", "ラベル".
const char* LimitScopeWord(LimitScope scope);

}  // namespace kelmora
