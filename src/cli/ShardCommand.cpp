#include "cli/ShardCommand.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "calc/ContentDigest.h"
#include "calc/PartFile.h"
#include "calc/ShardRun.h"
#include "cli/CommandProject.h"
#include "cli/NumberText.h"

namespace kelmora::cli {
std::optional<ShardNumber> ParseShardNumber(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::optional<int> shard = ParseWholeNumber(text.substr(0, slash), 1, kMaxShardCount);
    const std::optional<int> count = ParseWholeNumber(text.substr(slash + 1), 1, kMaxShardCount);
    if (!shard || !count || *shard > *count) return std::nullopt;
    return ShardNumber{*shard, *count};
}

void AddShardOptions(CLI::App& run, ShardChoices& choices) {
    CLI::Option* shard = run.add_option_function<std::string>(
        "--shard",
        [&choices](const std::string& text) {
            choices.requested = true;
            choices.shard = text;
        },
        "compute only block K of N of the points (contiguous, in stored order) into the part file of --part");
    CLI::Option* part = run.add_option("--part", choices.part, "part file written by --shard, for merge");
    CLI::Option* breakdown = run.add_flag(
        "--with-breakdown", choices.withBreakdown,
        "with --shard: keep each point's calculation breakdown in the part, for merge --breakdown");
    shard->needs(part);
    part->needs(shard);
    breakdown->needs(shard);
}

bool ShardRequested(const ShardChoices& choices) {
    return choices.requested;
}

int RunShard(const std::string& project, const ShardChoices& shard, const CliRunChoices& run, int threads) {
    const std::optional<ShardNumber> number = ParseShardNumber(shard.shard);
    if (!number) {
        std::fprintf(stderr, "--shard は K/N (1 ≤ K ≤ N ≤ %d) で指定してください: %s\n", kMaxShardCount,
                     shard.shard.c_str());
        return 1;
    }
    if (run.breakdownFile || run.averageFile || run.maximumFile || run.matrix) {
        std::fprintf(
            stderr,
            "--shard は結果をパートファイルに書きます: --breakdown、--laeq、--lamax、--matrix は merge "
            "に指定してください (計算内訳をパートに含めるには --with-breakdown)\n");
        return 1;
    }
    std::optional<ProjectDocument> doc = ReadCommandProject(project);
    if (!doc) return 1;
    ShardTarget target;
    target.shard = number->shard;
    target.shardCount = number->shardCount;
    target.part = shard.part;
    target.modelDigest = ModelDigest(doc->model);
    target.withBreakdown = shard.withBreakdown;
    CShardJob job(doc->model, target, {threads, 0});
    return RunJobFromCommandLine(job, run);
}

}  // namespace kelmora::cli
