// `kelmora-calc run PROJECT [--breakdown FILE] [--laeq FILE] [--lamax FILE] [--matrix] [--threads N]
// [--quiet]`: the prediction run of a project with its own calculation settings, as the desktop program
// runs it, the file dialogs answered from the options.
//
// The single point's LAeqT is shown as the program shows it, followed by its LAmax. For a list or a grid
// without a result file the points' levels are printed as a table. Exit status 0 on a normal end, 1 on
// an error (its text on stderr), 130 when cancelled with Ctrl+C.
#include <cstdio>
#include <memory>
#include <string>

#include "calc/PredictionRun.h"
#include "calc/PrintfFormat.h"
#include "cli/CliRunHost.h"
#include "cli/CommandProject.h"
#include "cli/Commands.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora::cli {
namespace {

struct RunOptions {
    std::string project;
    CliRunChoices choices;
    int threads = 0;  // 0: one per core
};

bool Print(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

// What the desktop program's message box does not show: the single point's LAmax, or the levels of
// the points of a list or a grid when no result file was written.
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

int RunPrediction(const RunOptions& opt) {
    std::optional<ProjectDocument> project = ReadCommandProject(opt.project);
    if (!project) return 1;
    ProjectDocument& doc = *project;
    CPredictionJob job(doc.model, {opt.threads, 0});
    const int status = RunJobFromCommandLine(job, opt.choices);
    if (status != 0) return status;
    if (!PrintLevels(doc.model.calcInfo, opt.choices) || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "標準出力に書き込めません\n");
        return 1;
    }
    return 0;
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
    cmd->callback([opt, &exitCode] { exitCode = RunPrediction(*opt); });
}

}  // namespace kelmora::cli
