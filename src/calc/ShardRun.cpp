#include "calc/ShardRun.h"

#include <optional>
#include <span>
#include <string_view>

#include "calc/BreakdownWriter.h"
#include "calc/EngineVersion.h"
#include "calc/OpeningSources.h"
#include "calc/OrderedPointRunner.h"
#include "calc/PartFile.h"
#include "calc/PointPrediction.h"
#include "calc/PredictionRun.h"
#include "calc/TextOutput.h"

namespace kelmora {

CShardJob::CShardJob(CNoise& model, ShardTarget target, PredictionRunSettings settings)
    : model_(model), target_(std::move(target)), settings_(settings) {}

CShardJob::~CShardJob() {
    Join();
}

void CShardJob::Run() {
    // The same check of the model's values as the whole run, so that a shard never computes a model
    // the whole run refuses.
    if (const std::optional<std::string> problem = RunInputProblem(model_)) {
        SetErrorText(*problem);
        PostEnd(kJobError);
        return;
    }
    if (model_.calcInfo.mode == kSinglePointMode) {
        SetErrorText(std::string(kSinglePointNotSplit));
        PostEnd(kJobError);
        return;
    }
    BuildOpeningSources(model_);
    const std::span<CPredictivePoint> points = model_.calcInfo.PredictionPoints();
    const int pointCount = static_cast<int>(points.size());

    PartHeader header;
    header.modelDigest = target_.modelDigest;
    header.engineVersion = EngineIdentity();
    header.shard = target_.shard;
    header.shardCount = target_.shardCount;
    header.pointCount = pointCount;
    header.points = ShardPoints(target_.shard, target_.shardCount, pointCount);
    header.withBreakdown = target_.withBreakdown;
    CPartWriter part(target_.part, header);

    const PredictionSite site(model_);
    const PointRange block = header.points;
    OrderedPointTasks tasks;
    tasks.begin = [&](int index) { PostProgress(index + 1, block.count); };
    tasks.compute = [&](int index, CTextSink& sink) {
        const int global = block.first + index;
        CBreakdownWriter w(target_.withBreakdown ? &sink : nullptr, this);
        ComputeListedPoint(site, points[static_cast<std::size_t>(global)], global + 1, pointCount, w);
    };
    tasks.emit = [&](int index, std::string_view text) {
        ThrowIfCancelled();
        const int global = block.first + index;
        const CPredictivePoint& p = points[static_cast<std::size_t>(global)];
        PartPoint computed;
        computed.index = global;
        computed.position = p.position;
        for (int b = 0; b < kThirdOctaveBands; ++b) {
            computed.average[static_cast<std::size_t>(b)] = p.resultAverage.value(b);
            computed.maximum[static_cast<std::size_t>(b)] = p.resultMax.value(b);
        }
        part.WritePoint(computed, text);
    };
    RunPointsInOrder(block.count, tasks, {settings_.threads, settings_.window});
    ThrowIfCancelled();
    part.Commit();
    PostEnd(kJobNormalEnd);
}

}  // namespace kelmora
