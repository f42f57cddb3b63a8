#pragma once
// How large the calculation breakdown of a run will be, known before the run writes it: a breakdown
// lists every propagation path of every source at every point, and a grid of a few hundred points over
// a site with buildings writes gigabytes. The estimate writes the breakdown of a few points spread over
// the run's points into a byte counter — the paths those points really have — and scales their mean
// size to all the points. A run warns with it when the breakdown would exceed a gigabyte or the free
// space of the disk it goes to.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "model/Noise.h"

namespace kelmora {

class CLongJob;
struct PredictionSite;

struct BreakdownEstimate {
    std::uint64_t bytes = 0;  // the estimated size of the file
    int points = 0;           // the run's points
    int sampledPoints = 0;    // the points whose breakdown was written to estimate it

    friend bool operator==(const BreakdownEstimate&, const BreakdownEstimate&) = default;
};

inline constexpr int kBreakdownSamplePoints = 3;
// A breakdown larger than this is worth a question before the run writes it.
inline constexpr std::uint64_t kLargeBreakdownBytes = 1'000'000'000;  // 1 GB

// The estimated breakdown of a run over the site's model (its opening sources built, as the run builds
// them): the breakdown of up to `samples` points evenly spread over the run's points (the first and the
// last among them) written into a counter, their mean size times the number of points. Exact when
// every point is sampled. The job's cancel flag (job may be null) is tested as the run tests it.
BreakdownEstimate EstimateBreakdownSize(const PredictionSite& site, int samples = kBreakdownSamplePoints,
                                        const CLongJob* job = nullptr);
// The same for a model as stored (its opening sources are built on a copy).
BreakdownEstimate EstimateBreakdownSize(const CNoise& model, int samples = kBreakdownSamplePoints);

// The bytes a file written at `path` may take: the free space of its disk available to the program,
// with the size of a file it replaces. None when the disk does not tell.
std::optional<std::uint64_t> SpaceForFile(const std::filesystem::path& path);

// What the user is asked before a large breakdown: the estimate and the space for it.
struct BreakdownSizeWarning {
    BreakdownEstimate estimate;
    std::optional<std::uint64_t> space;  // bytes, none when unknown

    // Larger than `largeBytes` (kLargeBreakdownBytes for a run), or than the space known.
    bool Warranted(std::uint64_t largeBytes) const;
    friend bool operator==(const BreakdownSizeWarning&, const BreakdownSizeWarning&) = default;
};

// A size as people read it: "850 MB", "1.6 GB", "12 KB".
std::string ByteSizeText(std::uint64_t bytes);
// The question: "計算内訳ファイルは約 1.6 GB になる見込みです（予測点 121 点のうち 3 点から見積もり）。", the
// space of the disk (and that it does not suffice), and "計算内訳ファイルを出力しますか?".
std::string LargeBreakdownQuestion(const BreakdownSizeWarning& warning);
inline constexpr const char* kKeepBreakdownButton = "計算内訳を出力する";
inline constexpr const char* kDropBreakdownButton = "計算内訳なしで計算する";

}  // namespace kelmora
