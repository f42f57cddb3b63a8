#include "cli/PointLevels.h"

#include <cstdio>
#include <string>

#include "calc/LimitCheck.h"
#include "calc/PrintfFormat.h"

namespace kelmora::cli {
namespace {

bool Print(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

// " LAeqTの超過 LAmaxの超過" of a point.
std::string ExceedanceColumns(const CPredictivePoint& p, const LevelLimits& limits) {
    const PointLimits applying = LimitsForPoint(limits, p.label);
    return " " + ExceedanceText(p.resultAverage.overallLevel(), applying.laeq) + " " +
           ExceedanceText(p.resultMax.overallLevel(), applying.lamax);
}

bool PrintLevels(const CCalcInfo& calcInfo, const CliRunChoices& choices, const LevelLimits* limits) {
    if (calcInfo.mode == kSinglePointMode) {
        bool ok = Print(Format("予測点の最大騒音レベルは%.1f[dB]です\n",
                               {calcInfo.singlePoint.resultMax.overallLevel()}));
        if (limits != nullptr)
            ok = ok && Print("# 超過LAeqT[dB] 超過LAmax[dB]\n" +
                             ExceedanceColumns(calcInfo.singlePoint, *limits).substr(1) + "\n");
        return ok;
    }
    if (limits == nullptr && (choices.averageFile || choices.maximumFile)) return true;
    bool ok = Print(limits != nullptr ? "# X[m] Y[m] Z[m] LAeqT[dB] LAmax[dB] 超過LAeqT[dB] 超過LAmax[dB]\n"
                                      : "# X[m] Y[m] Z[m] LAeqT[dB] LAmax[dB]\n");
    for (const CPredictivePoint& p : calcInfo.PredictionPoints()) {
        std::string line =
            Format("%.3f %.3f %.3f %.1f %.1f", {p.position.x, p.position.y, p.position.z,
                                                p.resultAverage.overallLevel(), p.resultMax.overallLevel()});
        if (limits != nullptr) line += ExceedanceColumns(p, *limits);
        ok = ok && Print(line + "\n");
    }
    return ok;
}

}  // namespace

bool PrintPointLevels(const CCalcInfo& calcInfo, const CliRunChoices& choices, const LevelLimits* limits) {
    if (!PrintLevels(calcInfo, choices, limits) || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "標準出力に書き込めません\n");
        return false;
    }
    return true;
}

}  // namespace kelmora::cli
