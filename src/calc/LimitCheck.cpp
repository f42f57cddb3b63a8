#include "calc/LimitCheck.h"

#include <charconv>
#include <cmath>

#include "calc/PrintfFormat.h"

namespace kelmora {
namespace {

// How particular a limit is for the label: −1 when it does not apply.
long Particularity(const LevelLimit& limit, std::string_view label) {
    switch (limit.scope) {
        case LimitScope::AllPoints:
            return 0;
        case LimitScope::LabelPrefix:
            return label.starts_with(limit.text) ? 1 + static_cast<long>(limit.text.size()) : -1;
        case LimitScope::Label:
            return label == limit.text ? 1L << 30 : -1;
    }
    return -1;
}

double PrintedLevel(double level) {
    // As "%.1f" prints it (read back whatever the locale).
    const std::string text = Format("%.1f", {level});
    double value = level;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

PointLimits LimitsForPoint(const LevelLimits& limits, std::string_view label) {
    PointLimits out;
    long laeqAt = -1, lamaxAt = -1;
    for (const LevelLimit& limit : limits) {
        const long p = Particularity(limit, label);
        if (p < 0) continue;
        if (limit.laeq && p >= laeqAt) {
            out.laeq = limit.laeq;
            laeqAt = p;
        }
        if (limit.lamax && p >= lamaxAt) {
            out.lamax = limit.lamax;
            lamaxAt = p;
        }
    }
    return out;
}

double Exceedance(double level, double limit) {
    return PrintedLevel(level) - limit;
}

bool Exceeds(double level, const std::optional<double>& limit) {
    return limit.has_value() && Exceedance(level, *limit) > 1e-9;
}

std::string ExceedanceText(double level, const std::optional<double>& limit) {
    if (!limit) return "-";
    const double e = Exceedance(level, *limit);
    return Format("%.1f", {std::fabs(e) < 1e-9 ? 0.0 : e});
}

LimitVerdict VerdictFor(const PointLimits& limits, double laeq, double lamax) {
    if (!limits.laeq && !limits.lamax) return LimitVerdict::NoLimit;
    return Exceeds(laeq, limits.laeq) || Exceeds(lamax, limits.lamax) ? LimitVerdict::Exceeded
                                                                      : LimitVerdict::Met;
}

namespace {

// A level typed as text: none for an empty field; false for one that is not a number from 0 to 200.
bool ParseLevel(const std::string& text, std::optional<double>& level) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        level.reset();
        return true;
    }
    const std::size_t last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value) || value < 0.0 || value > 200.0)
        return false;
    level = value;
    return true;
}

}  // namespace

std::optional<LevelLimit> ParseLimitRow(int scope, const std::string& text, const std::string& laeq,
                                        const std::string& lamax, std::string& problem) {
    LevelLimit limit;
    limit.scope = scope == 1   ? LimitScope::LabelPrefix
                  : scope == 2 ? LimitScope::Label
                               : LimitScope::AllPoints;
    if (limit.scope != LimitScope::AllPoints) {
        if (text.empty()) {
            problem = "ラベルまたはその先頭の文字を入力してください。";
            return std::nullopt;
        }
        limit.text = text;
    }
    if (!ParseLevel(laeq, limit.laeq) || !ParseLevel(lamax, limit.lamax)) {
        problem = "規制値には 0 から 200 までの数字を入力してください。";
        return std::nullopt;
    }
    if (!limit.laeq && !limit.lamax) {
        problem = "LAeqT か LAmax の規制値を入力してください。";
        return std::nullopt;
    }
    return limit;
}

const char* LimitScopeWord(LimitScope scope) {
    switch (scope) {
        case LimitScope::LabelPrefix:
            return "ラベルの先頭";
        case LimitScope::Label:
            return "ラベル";
        case LimitScope::AllPoints:
            break;
    }
    return "全予測点";
}

}  // namespace kelmora
