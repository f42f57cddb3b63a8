#pragma once
// CShardJob: one block of the points of a prediction run over a list or a grid, computed exactly as
// the whole run computes them — the building-opening sources built the same way, every point's
// breakdown numbered among all the points of the run — and written to a part file instead of the
// breakdown and result files. The parts of all blocks, merged (PartMerge.h), give the whole run's
// files byte for byte.
#include <filesystem>

#include "calc/ContentDigest.h"
#include "calc/LongJob.h"
#include "calc/PredictionRun.h"
#include "model/Noise.h"

namespace kelmora {

struct ShardTarget {
    int shard = 1;       // K, from 1
    int shardCount = 1;  // N
    std::filesystem::path part;
    Digest modelDigest{};  // of the model as read from its project, before the run
    bool withBreakdown = false;
};

// The error text of a run of one point that is asked to compute a block.
inline constexpr std::string_view kSinglePointNotSplit = "1点の予測は分割できません";

class CShardJob : public CLongJob {
public:
    // The job works on `model` as the whole run does; the model must outlive the job.
    CShardJob(CNoise& model, ShardTarget target, PredictionRunSettings settings = {});
    ~CShardJob() override;

    // Reports progress for every point of the block, numbered within the block, and ends with
    // kJobNormalEnd once the part is in place. A part that cannot be written, or a single-point
    // project, ends with kJobError and the reason as the error text; no part is left behind.
    void Run() override;

private:
    CNoise& model_;
    const ShardTarget target_;
    const PredictionRunSettings settings_;
};

}  // namespace kelmora
