// `kelmora-calc run PROJECT [--breakdown FILE] [--laeq FILE] [--lamax FILE] [--matrix] [--threads N]
// [--quiet]`: the prediction run of a project with its own calculation settings, as the desktop program
// runs it, the file dialogs answered from the options.
//
// The single point's LAeqT is shown as the program shows it, followed by its LAmax. For a list or a grid
// without a result file the points' levels are printed as a table. Exit status 0 on a normal end, 1 on
// an error (its text on stderr), 130 when cancelled with Ctrl+C.
//
// With --cache FILE the run reuses the transfers the file holds wherever they still hold and writes
// the run's transfers to it at the end (TransferCache.h); how many source–point pairs were computed and
// reused is told on stderr. A cache that cannot be used is ignored with a warning. A FILE that is no
// cache (nor missing, nor empty) is never replaced: the run is refused before it computes anything.
//
// With --limits the printed levels carry the exceedance of the limits kept in the project's extension
// file (LimitCheck.h): a list or a grid is then always printed as a table. With --scenario NAME (and
// --cache FILE) the levels of a what-if scenario kept in the extension file are computed from the
// transfers of the cache, without tracing a path (ResultsCommands.cpp).
//
// With --shard K/N --part FILE the run computes one block of the points into a part file for
// `kelmora-calc merge` (ShardCommand.h).
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "calc/PredictionRun.h"
#include "calc/PrintfFormat.h"
#include "calc/TransferCache.h"
#include "cli/CliRunHost.h"
#include "cli/CommandProject.h"
#include "cli/Commands.h"
#include "cli/PointLevels.h"
#include "cli/ResultsCommands.h"
#include "cli/ShardCommand.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora::cli {
namespace {

struct RunOptions {
    std::string project;
    CliRunChoices choices;
    int threads = 0;  // 0: one per core
    ShardChoices shard;
    std::string cache;  // transfer cache file; empty: none
    bool limits = false;
    std::string scenario;  // empty: the project as it is
};

// The transfers of the cache file that the run of `model` can use, into `store`: none, without a word,
// from a file that does not exist yet or is empty, none with a warning from a cache that cannot be used
// (damaged, of another engine) or that holds no pair of the run's sources and points. False, with the
// reason on stderr and before anything is computed, for a name the run must not replace: a file that is
// no transfer cache, or one that cannot be read or is no regular file (a folder, a FIFO, a device).
bool ReadCacheFor(const std::string& path, const CNoise& model, CTransferStore& store) {
    CacheFileKind kind = CacheFileKind::kMissing;
    try {
        kind = InspectTransferCacheFile(path);
    } catch (const TransferCacheError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }
    if (kind == CacheFileKind::kOther) {
        std::fprintf(stderr, "%s は転送キャッシュではありません。置き換えないので --cache には使えません\n",
                     path.c_str());
        return false;
    }
    if (kind != CacheFileKind::kCache) return true;
    const std::vector<Fingerprint> keys = UserSourceKeys(model);
    const std::vector<CVector3D> positions = RunPointPositions(model);
    const TransferCacheUse use{keys, positions};
    try {
        store = ReadTransferCache(path, &use);
    } catch (const TransferCacheError& e) {
        std::fprintf(stderr, "警告: 転送キャッシュ %s を使えません (%s)。すべての組を計算します\n",
                     path.c_str(), e.what());
        store = CTransferStore();
        return true;
    }
    const CTransferMatch match(store, keys, positions);
    if (match.RunPairs() > 0 && match.FoundPairs() == 0)
        std::fprintf(
            stderr,
            "警告: 転送キャッシュ %s には、この計算の予測点と音源の組がありません。すべての組を計算します\n",
            path.c_str());
    return true;
}

int RunPrediction(const RunOptions& opt) {
    std::optional<ProjectDocument> project = ReadCommandProject(opt.project);
    if (!project) return 1;
    ProjectDocument& doc = *project;
    std::optional<LevelLimits> limits;
    if (opt.limits) {
        limits = ReadCommandLimits(opt.project);
        if (!limits) return 1;
    }
    if (opt.cache.empty()) {
        CPredictionJob job(doc.model, {opt.threads, 0});
        const int status = RunJobFromCommandLine(job, opt.choices);
        if (status != 0) return status;
        return PrintPointLevels(doc.model.calcInfo, opt.choices, limits ? &*limits : nullptr) ? 0 : 1;
    }
    CTransferStore store;
    const int status = RunWithTransferCache(doc.model, opt.cache, opt.threads, opt.choices, store);
    if (status != 0) return status;
    return PrintPointLevels(doc.model.calcInfo, opt.choices, limits ? &*limits : nullptr) ? 0 : 1;
}

}  // namespace

int RunWithTransferCache(CNoise& model, const std::string& cache, int threads, const CliRunChoices& choices,
                         CTransferStore& store) {
    if (!ReadCacheFor(cache, model, store)) return 1;
    CPredictionJob job(model, {threads, 0}, &store);
    const int status = RunJobFromCommandLine(job, choices);
    if (status != 0) return status;
    const TransferCounts counts = job.transferCounts();
    std::fprintf(stderr, "転送: 計算 %lld 組, 再利用 %lld 組\n", static_cast<long long>(counts.computed),
                 static_cast<long long>(counts.reused));
    try {
        WriteTransferCache(cache, store);
    } catch (const TransferCacheError& e) {
        std::fprintf(stderr, "転送キャッシュ %s を書けません (%s)\n", cache.c_str(), e.what());
        return 1;
    }
    return 0;
}

void AddRunCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<RunOptions>();
    CLI::App* cmd =
        app.add_subcommand("run", "Run the prediction of a project with its calculation settings");
    cmd->add_option("project", opt->project, "project file")->required();
    AddRunChoiceOptions(*cmd, opt->choices);
    cmd->add_option("--threads", opt->threads, "threads computing points (default: one per core)")
        ->check(CLI::Range(1, 1024));
    cmd->add_option("--cache", opt->cache, "transfer cache file: read if present, written at the end");
    cmd->add_flag("--limits", opt->limits, "print the exceedance of the limits kept beside the project");
    cmd->add_option("--scenario", opt->scenario,
                    "levels of a what-if scenario kept beside the project, from the transfers of --cache");
    AddShardOptions(*cmd, opt->shard);
    cmd->callback([opt, &exitCode] {
        if (!opt->scenario.empty()) {
            if (opt->cache.empty() || ShardRequested(opt->shard)) {
                std::fprintf(stderr, "--scenario には --cache が必要で、--shard とは一緒に使えません\n");
                exitCode = 1;
                return;
            }
            exitCode = RunScenario(opt->project, opt->cache, opt->scenario, opt->choices, opt->limits);
            return;
        }
        if (ShardRequested(opt->shard) && !opt->cache.empty()) {
            std::fprintf(stderr, "--cache は --shard と一緒には使えません\n");
            exitCode = 1;
            return;
        }
        exitCode = ShardRequested(opt->shard) ? RunShard(opt->project, opt->shard, opt->choices, opt->threads)
                                              : RunPrediction(*opt);
    });
}

}  // namespace kelmora::cli
