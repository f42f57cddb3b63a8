// The commands on a run's results: `kelmora-calc contributions PROJECT [--cache FILE] [--csv OUT]
// [--threads N] [--quiet]` writes what each source adds at each point (SourceContributions.h) — the
// table the desktop program's results window exports — and `run --scenario` computes a what-if
// scenario's levels from the transfers of a cache.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "calc/PredictionRun.h"
#include "calc/ResultFiles.h"
#include "calc/ScenarioModel.h"
#include "calc/SourceContributions.h"
#include "calc/TextOutput.h"
#include "calc/TransferCache.h"
#include "cli/CommandProject.h"
#include "cli/Commands.h"
#include "cli/PointLevels.h"
#include "cli/ResultsCommands.h"
#include "model/persistence/ExtensionFile.h"

namespace kelmora::cli {
namespace {

struct ContributionsOptions {
    std::string project;
    std::string cache;
    std::string csv;  // empty: stdout
    int threads = 0;
    bool quiet = false;
};

std::optional<ProjectExtras> ReadCommandExtras(const std::string& project) {
    try {
        return ReadExtensionFile(project);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", ExtensionFilePath(project).string().c_str(), e.what());
    }
    return std::nullopt;
}

// Writes `text` (UTF-8) as a CP932 file with CR LF line ends, replacing `path` only when whole.
bool WriteCp932File(const std::string& path, const std::string& text) {
    std::unique_ptr<CTextFile> file = CTextFile::Create(path, nullptr);
    if (!file) {
        std::fprintf(stderr, "%s に書き込めません\n", path.c_str());
        return false;
    }
    try {
        std::string bytes;
        AppendTextFileBytes(bytes, text);
        file->Write(bytes);
        file->Close();
    } catch (const TextFileWriteError& e) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
        return false;
    }
    return true;
}

bool WriteScenarioResults(const std::string& path, ResultLevel level, const CCalcInfo& calc, bool matrix) {
    std::unique_ptr<CTextFile> file = CTextFile::Create(path, nullptr);
    if (!file) {
        std::fprintf(stderr, "%s に書き込めません\n", path.c_str());
        return false;
    }
    try {
        if (matrix && (calc.mode == kHorizontalGridMode || calc.mode == kVerticalGridMode))
            WriteMatrixResults(*file, level, calc.PredictionPoints(), calc.rowDivisions, calc.columnDivisions,
                               nullptr);
        else
            WriteXyzResults(*file, level, calc.PredictionPoints(), nullptr);
        file->Close();
    } catch (const TextFileWriteError& e) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
        return false;
    }
    return true;
}

int RunContributions(const ContributionsOptions& opt) {
    std::optional<ProjectDocument> project = ReadCommandProject(opt.project);
    if (!project) return 1;
    CNoise& model = project->model;
    CliRunChoices choices;
    choices.quiet = opt.quiet;
    CTransferStore store;
    if (opt.cache.empty()) {
        CPredictionJob job(model, {opt.threads, 0}, &store);
        const int status = RunJobFromCommandLine(job, choices);
        if (status != 0) return status;
    } else {
        const int status = RunWithTransferCache(model, opt.cache, opt.threads, choices, store);
        if (status != 0) return status;
    }
    const std::string table = ContributionsCsv(model, store);
    if (!opt.csv.empty()) return WriteCp932File(opt.csv, table) ? 0 : 1;
    // On the terminal the table stays UTF-8 with the system's line ends.
    if (std::fwrite(table.data(), 1, table.size(), stdout) != table.size()) {
        std::fprintf(stderr, "標準出力に書き込めません\n");
        return 1;
    }
    return 0;
}

}  // namespace

std::optional<LevelLimits> ReadCommandLimits(const std::string& project) {
    std::optional<ProjectExtras> extras = ReadCommandExtras(project);
    if (!extras) return std::nullopt;
    return extras->limits;
}

int RunScenario(const std::string& projectPath, const std::string& cache, const std::string& name,
                const CliRunChoices& choices, bool limits) {
    std::optional<ProjectDocument> project = ReadCommandProject(projectPath);
    if (!project) return 1;
    const std::optional<ProjectExtras> extras = ReadCommandExtras(projectPath);
    if (!extras) return 1;
    const Scenario* scenario = FindScenario(extras->scenarios, name);
    if (scenario == nullptr) {
        std::fprintf(stderr, "シナリオ「%s」は %s にありません\n", name.c_str(),
                     ExtensionFilePath(projectPath).string().c_str());
        return 1;
    }
    CTransferStore store;
    try {
        store = ReadTransferCache(cache);
    } catch (const TransferCacheError& e) {
        std::fprintf(stderr, "転送キャッシュ %s を使えません (%s)\n", cache.c_str(), e.what());
        return 1;
    }
    std::vector<std::string> unknown;
    ApplyScenario(project->model, *scenario, &unknown);
    for (const std::string& source : unknown)
        std::fprintf(stderr, "警告: シナリオの音源「%s」はプロジェクトにありません\n", source.c_str());
    std::optional<CNoise> variant = ScenarioFromTransfers(project->model, *scenario, store);
    if (!variant) {
        std::fprintf(stderr,
                     "転送キャッシュ %s は今のプロジェクトの計算のものではありません。先に run --cache "
                     "で計算してください\n",
                     cache.c_str());
        return 1;
    }
    const CCalcInfo& calc = variant->calcInfo;
    if (calc.mode == kSinglePointMode) {
        std::printf("%s\n", SinglePointLevelText(calc.singlePoint.resultAverage.overallLevel()).c_str());
    } else {
        if (choices.averageFile &&
            !WriteScenarioResults(*choices.averageFile, ResultLevel::Average, calc, choices.matrix))
            return 1;
        if (choices.maximumFile &&
            !WriteScenarioResults(*choices.maximumFile, ResultLevel::Maximum, calc, choices.matrix))
            return 1;
    }
    std::optional<LevelLimits> applying;
    if (limits) applying = extras->limits;
    return PrintPointLevels(calc, choices, applying ? &*applying : nullptr) ? 0 : 1;
}

void AddContributionsCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<ContributionsOptions>();
    CLI::App* cmd = app.add_subcommand(
        "contributions", "What each source adds at each prediction point (partial LAeqT and LAmax, ranked)");
    cmd->add_option("project", opt->project, "project file")->required();
    cmd->add_option("--cache", opt->cache, "transfer cache file: read if present, written at the end");
    cmd->add_option("--csv", opt->csv, "the table as a CSV file (CP932, CR LF); default: stdout");
    cmd->add_option("--threads", opt->threads, "threads computing points (default: one per core)")
        ->check(CLI::Range(1, 1024));
    cmd->add_flag("--quiet", opt->quiet, "no progress");
    cmd->callback([opt, &exitCode] { exitCode = RunContributions(*opt); });
}

}  // namespace kelmora::cli
