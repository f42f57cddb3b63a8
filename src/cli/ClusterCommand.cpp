// `kelmora-calc cluster PROJECT --shards N --workdir DIR [--partition P] [--time T] [--mem M]
// [--cpus-per-task C] [--breakdown F] [--laeq F] [--lamax F] [--matrix] [--wait] [--poll S] [--quiet]`:
// the prediction split into N shards on a Slurm cluster — a job array of `run --shard` and a merge job
// after it — submitted with sbatch; with --wait followed to the merged files (ClusterRun.h).
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "cli/CliRunHost.h"
#include "cli/CommandProject.h"
#include "cli/Commands.h"
#include "cli/cluster/ClusterRun.h"

namespace kelmora::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSharedFolder =
    "The work folder, the project, the output files and kelmora-calc itself must be visible at the same "
    "paths "
    "from every node of the cluster (a shared file system such as NFS): the shards and the merge run on the "
    "nodes and read and write there. Run the same command again with the same work folder to submit only the "
    "shards whose parts are missing (after a failure, once its cause is removed).";

struct ClusterOptions {
    std::string project;
    std::string workdir;
    ClusterRequest request;
    CliRunChoices choices;
};

std::optional<fs::path> Absolute(const std::optional<std::string>& path) {
    if (!path) return std::nullopt;
    return fs::absolute(*path).lexically_normal();
}

int RunClusterCommand(ClusterOptions& opt) {
    ClusterRequest& r = opt.request;
    r.project = fs::absolute(opt.project).lexically_normal();
    r.workdir = fs::absolute(opt.workdir).lexically_normal();
    r.breakdown = Absolute(opt.choices.breakdownFile);
    r.laeq = Absolute(opt.choices.averageFile);
    r.lamax = Absolute(opt.choices.maximumFile);
    r.matrix = opt.choices.matrix;
    r.quiet = opt.choices.quiet;
    std::error_code ec;
    r.calc = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        std::fprintf(stderr, "kelmora-calc の場所が分かりません (%s)\n", ec.message().c_str());
        return 1;
    }
    const std::optional<ProjectDocument> project = ReadCommandProject(r.project.string());
    if (!project) return 1;
    CSlurm slurm;
    ClusterIo io;
    io.errIsTerminal = isatty(fileno(stderr)) != 0;
    return RunCluster(r, *project, slurm, io);
}

}  // namespace

void AddClusterCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<ClusterOptions>();
    CLI::App* cmd = app.add_subcommand(
        "cluster", "Run the prediction split into shards on a Slurm cluster: a job array and a merge job");
    cmd->footer(kSharedFolder);
    cmd->add_option("project", opt->project, "project file")->required();
    cmd->add_option("--shards", opt->request.shards, "number of shards (array tasks)")
        ->required()
        ->check(CLI::Range(1, kMaxClusterShards));
    cmd->add_option("--workdir", opt->workdir,
                    "work folder on a shared file system: project copy, batch scripts, parts, logs")
        ->required();
    cmd->add_option("--partition", opt->request.partition, "Slurm partition of the jobs");
    cmd->add_option("--time", opt->request.time, "time limit of each job (Slurm's form, e.g. 2:00:00)");
    cmd->add_option("--mem", opt->request.memory, "memory of each job (Slurm's form, e.g. 4G)");
    cmd->add_option("--cpus-per-task", opt->request.cpusPerTask,
                    "CPUs of each shard, computing on as many threads")
        ->check(CLI::Range(1, 1024));
    AddRunChoiceOptions(*cmd, opt->choices);
    cmd->add_flag("--wait", opt->request.wait,
                  "follow the jobs to their end and report the merged files or the failed shards");
    cmd->add_option("--poll", opt->request.pollSeconds, "seconds between looks at the queue with --wait (5)")
        ->check(CLI::Range(0.2, 3600.0));
    cmd->callback([opt, &exitCode] { exitCode = RunClusterCommand(*opt); });
}

}  // namespace kelmora::cli
