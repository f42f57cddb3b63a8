// `kelmora-calc merge PROJECT PART... [--breakdown FILE] [--laeq FILE] [--lamax FILE] [--matrix]
// [--quiet]`: the files of a run split into blocks (`run --shard`), written from the blocks' parts
// byte for byte as `kelmora-calc run` of the same project with the same options writes them.
//
// The parts are all read and checked first; on any refusal (a part of another project or engine,
// parts of different splits, a block given twice, points that no part holds, a damaged part, a part
// without the breakdown asked for) every reason is printed, the exit status is 1 and no file is
// written or replaced.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "calc/ContentDigest.h"
#include "calc/EngineVersion.h"
#include "calc/PartMerge.h"
#include "calc/ShardRun.h"
#include "cli/CliRunHost.h"
#include "cli/CommandProject.h"
#include "cli/Commands.h"
#include "cli/PointLevels.h"

namespace kelmora::cli {
namespace {

struct MergeOptions {
    std::string project;
    std::vector<std::string> parts;
    CliRunChoices choices;
};

// The parts stay open from their check to the end of the merge: as many files as there are parts,
// beyond the usual soft limit for a merge of thousands of shards.
void AllowOpenFiles(std::size_t parts) {
    constexpr rlim_t kOthers = 64;  // the program's own files, the output files
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return;
    const rlim_t wanted = static_cast<rlim_t>(parts) + kOthers;
    if (wanted <= limit.rlim_cur) return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

int RunMerge(const MergeOptions& opt) {
    std::optional<ProjectDocument> doc = ReadCommandProject(opt.project);
    if (!doc) return 1;
    CCalcInfo& calcInfo = doc->model.calcInfo;
    if (calcInfo.mode == kSinglePointMode) {
        std::fprintf(stderr, "%s\n", std::string(kSinglePointNotSplit).c_str());
        return 1;
    }
    MergeExpectation expected;
    expected.modelDigest = ModelDigest(doc->model);
    expected.engineVersion = std::string(EngineVersion());
    expected.needBreakdown = opt.choices.breakdownFile.has_value();
    const std::vector<std::filesystem::path> parts(opt.parts.begin(), opt.parts.end());
    AllowOpenFiles(parts.size());
    GatheredParts gathered = GatherParts(parts, expected, calcInfo.PredictionPoints());
    if (!gathered.refusals.empty()) {
        for (const std::string& refusal : gathered.refusals)
            std::fprintf(stderr, "%s\n", refusal.c_str());
        std::fprintf(stderr, "結合しません: ファイルは書き込まれていません\n");
        return 1;
    }
    CMergeJob job(calcInfo, std::move(gathered.inOrder));
    const int status = RunJobFromCommandLine(job, opt.choices);
    if (status != 0) return status;
    return PrintPointLevels(calcInfo, opt.choices) ? 0 : 1;
}

}  // namespace

void AddMergeCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<MergeOptions>();
    CLI::App* cmd = app.add_subcommand(
        "merge", "Write the result files of a split run from its parts (run --shard), as run writes them");
    cmd->add_option("project", opt->project, "project file the parts were computed from")->required();
    cmd->add_option("parts", opt->parts, "part files, one per block, in any order")->required();
    AddRunChoiceOptions(*cmd, opt->choices);
    cmd->callback([opt, &exitCode] { exitCode = RunMerge(*opt); });
}

}  // namespace kelmora::cli
