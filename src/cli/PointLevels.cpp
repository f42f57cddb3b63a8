#include "cli/PointLevels.h"

#include <cstdio>
#include <string>

#include "calc/PrintfFormat.h"

namespace kelmora::cli {
namespace {

bool Print(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

bool PrintLevels(const CCalcInfo& calcInfo, const CliRunChoices& choices) {
    if (calcInfo.mode == kSinglePointMode) {
        return Print(Format("予測点の最大騒音レベルは%.1f[dB]です\n",
                            {calcInfo.singlePoint.resultMax.overallLevel()}));
    }
    if (choices.averageFile || choices.maximumFile) return true;
    bool ok = Print("# X[m] Y[m] Z[m] LAeqT[dB] LAmax[dB]\n");
    for (const CPredictivePoint& p : calcInfo.PredictionPoints()) {
        ok = ok && Print(Format("%.3f %.3f %.3f %.1f %.1f\n",
                                {p.position.x, p.position.y, p.position.z, p.resultAverage.overallLevel(),
                                 p.resultMax.overallLevel()}));
    }
    return ok;
}

}  // namespace

bool PrintPointLevels(const CCalcInfo& calcInfo, const CliRunChoices& choices) {
    if (!PrintLevels(calcInfo, choices) || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "標準出力に書き込めません\n");
        return false;
    }
    return true;
}

}  // namespace kelmora::cli
