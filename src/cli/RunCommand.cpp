// `kelmora-calc run PROJECT [--breakdown FILE] [--laeq FILE] [--lamax FILE] [--matrix] [--threads N]
// [--quiet]`: the prediction run of a project with its own calculation settings, as the desktop program
// runs it, the file dialogs answered from the options.
//
// The single point's LAeqT is shown as the program shows it, followed by its LAmax. For a list or a grid
// without a result file the points' levels are printed as a table. Exit status 0 on a normal end, 1 on
// an error (its text on stderr), 130 when cancelled with Ctrl+C.
//
// With --shard K/N --part FILE the run computes one block of the points into a part file for
// `kelmora-calc merge` (ShardCommand.h).
#include <cstdio>
#include <memory>
#include <string>

#include "calc/PredictionRun.h"
#include "calc/PrintfFormat.h"
#include "cli/CliRunHost.h"
#include "cli/CommandProject.h"
#include "cli/Commands.h"
#include "cli/PointLevels.h"
#include "cli/ShardCommand.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora::cli {
namespace {

struct RunOptions {
    std::string project;
    CliRunChoices choices;
    int threads = 0;  // 0: one per core
    ShardChoices shard;
};

int RunPrediction(const RunOptions& opt) {
    std::optional<ProjectDocument> project = ReadCommandProject(opt.project);
    if (!project) return 1;
    ProjectDocument& doc = *project;
    CPredictionJob job(doc.model, {opt.threads, 0});
    const int status = RunJobFromCommandLine(job, opt.choices);
    if (status != 0) return status;
    return PrintPointLevels(doc.model.calcInfo, opt.choices) ? 0 : 1;
}

}  // namespace

void AddRunCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<RunOptions>();
    CLI::App* cmd =
        app.add_subcommand("run", "Run the prediction of a project with its calculation settings");
    cmd->add_option("project", opt->project, "project file")->required();
    AddRunChoiceOptions(*cmd, opt->choices);
    cmd->add_option("--threads", opt->threads, "threads computing points (default: one per core)")
        ->check(CLI::Range(1, 1024));
    AddShardOptions(*cmd, opt->shard);
    cmd->callback([opt, &exitCode] {
        exitCode = ShardRequested(opt->shard) ? RunShard(opt->project, opt->shard, opt->choices, opt->threads)
                                              : RunPrediction(*opt);
    });
}

}  // namespace kelmora::cli
