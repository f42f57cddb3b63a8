#include "calc/BreakdownEstimate.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <system_error>

#include "calc/BreakdownLines.h"
#include "calc/BreakdownWriter.h"
#include "calc/OpeningSources.h"
#include "calc/PointPrediction.h"
#include "calc/PredictionRun.h"
#include "calc/TextOutput.h"

namespace kelmora {

namespace {

// Counts the bytes of the breakdown instead of keeping them.
class ByteCounter : public CTextSink {
public:
    void Write(std::string_view bytes) override { count_ += bytes.size(); }
    std::uint64_t count() const { return count_; }

private:
    std::uint64_t count_ = 0;
};

}  // namespace

BreakdownEstimate EstimateBreakdownSize(const PredictionSite& site, int samples, const CLongJob* job) {
    const CCalcInfo& calc = site.model.calcInfo;
    const std::span<const CPredictivePoint> points = calc.PredictionPoints();
    BreakdownEstimate estimate;
    estimate.points = static_cast<int>(points.size());
    if (points.empty() || samples < 1) return estimate;
    ByteCounter counter;
    CBreakdownWriter w(&counter, job);
    if (calc.mode == kSinglePointMode) {
        // The one point, written as the run writes it.
        CPredictivePoint point = calc.singlePoint;
        WriteSinglePointHeading(w, point.position);
        ComputePoint(site, point, w);
        WriteSinglePointResult(w, point.resultAverage.overallLevel(), point.resultMax.overallLevel());
        estimate.sampledPoints = 1;
        estimate.bytes = counter.count();
        return estimate;
    }
    const std::size_t n = points.size();
    const std::size_t taken = std::min<std::size_t>(n, static_cast<std::size_t>(samples));
    for (std::size_t k = 0; k < taken; ++k) {
        // Evenly over the list, the first and the last point included.
        const std::size_t index = taken == 1 ? 0 : (k * (n - 1) + (taken - 1) / 2) / (taken - 1);
        CPredictivePoint point = points[index];
        ComputeListedPoint(site, point, static_cast<int>(index) + 1, static_cast<int>(n), w);
    }
    estimate.sampledPoints = static_cast<int>(taken);
    estimate.bytes = taken == n
                         ? counter.count()
                         : static_cast<std::uint64_t>(static_cast<double>(counter.count()) / taken * n);
    return estimate;
}

BreakdownEstimate EstimateBreakdownSize(const CNoise& model, int samples) {
    CNoise copy = model;
    BuildOpeningSources(copy);
    const PredictionSite site(copy);
    return EstimateBreakdownSize(site, samples);
}

std::optional<std::uint64_t> SpaceForFile(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::current_path(ec);
    const fs::space_info space = fs::space(folder, ec);
    if (ec || space.available == static_cast<std::uintmax_t>(-1)) return std::nullopt;
    std::uint64_t bytes = space.available;
    if (const std::uintmax_t old = fs::file_size(path, ec); !ec && fs::is_regular_file(path, ec))
        bytes += old;
    return bytes;
}

bool BreakdownSizeWarning::Warranted(std::uint64_t largeBytes) const {
    return estimate.bytes > largeBytes || (space && estimate.bytes > *space);
}

std::string ByteSizeText(std::uint64_t bytes) {
    char text[64];
    const double b = static_cast<double>(bytes);
    if (b >= 1e9)
        std::snprintf(text, sizeof text, b >= 1e11 ? "%.0f GB" : "%.1f GB", b / 1e9);
    else if (b >= 1e6)
        std::snprintf(text, sizeof text, "%.0f MB", b / 1e6);
    else
        std::snprintf(text, sizeof text, "%.0f KB", std::max(1.0, b / 1e3));
    return text;
}

std::string LargeBreakdownQuestion(const BreakdownSizeWarning& warning) {
    const BreakdownEstimate& e = warning.estimate;
    std::string text = "計算内訳ファイルは約 " + ByteSizeText(e.bytes) + " になる見込みです";
    if (e.sampledPoints < e.points)
        text += "（予測点 " + std::to_string(e.points) + " 点のうち " + std::to_string(e.sampledPoints) +
                " 点から見積もり）";
    text += "。\n";
    if (warning.space) {
        text += "保存先の空き容量は " + ByteSizeText(*warning.space) + " です";
        text += e.bytes > *warning.space ? "。足りません。\n" : "。\n";
    }
    text += "\n計算内訳ファイルを出力しますか?";
    return text;
}

}  // namespace kelmora
