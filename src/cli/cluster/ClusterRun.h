#pragma once
// A prediction run on a batch cluster: the points split into shards that a job array computes, one
// array task per shard (`kelmora-calc run --shard K/N`), and a merge job that writes the run's files
// from the parts once every shard has ended well (`kelmora-calc merge`).
//
// Everything lives in a work folder that every node sees at the same path: a copy of the project (so
// that editing the project meanwhile changes nothing), the two batch scripts, the parts, the logs and
// the ids of the jobs last submitted. Called again with the same folder, the run submits only the
// shards whose parts are missing (or stale: of another project, engine or split), then the merge.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cluster/Scheduler.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora::cli {

// The largest number of shards of a cluster run: array task ids and the merge's command line stay
// within what schedulers and shells take.
inline constexpr int kMaxClusterShards = 10000;

struct ClusterRequest {
    std::filesystem::path project;  // absolute paths throughout
    int shards = 1;
    std::filesystem::path workdir;
    std::string partition;  // empty: the scheduler's defaults
    std::string time;
    std::string memory;
    int cpusPerTask = 0;  // 0: the scheduler's default (one CPU); the shard uses as many threads
    std::optional<std::filesystem::path> breakdown;
    std::optional<std::filesystem::path> laeq;
    std::optional<std::filesystem::path> lamax;
    bool matrix = false;
    bool wait = false;
    bool quiet = false;  // no progress line while waiting
    double pollSeconds = 5.0;
    std::filesystem::path calc;  // the kelmora-calc that the jobs run
};

// The files of a work folder for a split into `shards`.
class WorkFolder {
public:
    WorkFolder(std::filesystem::path root, int shards) : root_(std::move(root)), shards_(shards) {}

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path Project() const { return root_ / "project.kel"; }
    std::filesystem::path PartsFolder() const { return root_ / "parts"; }
    std::filesystem::path Part(int shard) const;
    std::filesystem::path LogsFolder() const { return root_ / "logs"; }
    std::filesystem::path ShardLog(int shard) const;
    std::filesystem::path MergeLog() const { return LogsFolder() / "merge.log"; }
    std::filesystem::path ShardScript() const { return root_ / "shards.sbatch"; }
    std::filesystem::path MergeScript() const { return root_ / "merge.sbatch"; }
    std::filesystem::path MergeStatus() const { return root_ / "merge.status"; }
    std::filesystem::path Jobs() const { return root_ / "jobs"; }

private:
    std::filesystem::path root_;
    int shards_;
};

// `text` as one word of the POSIX shell.
std::string ShellQuoted(std::string_view text);
// Task ids in Slurm's array form: {1, 2, 3, 5} → "1-3,5".
std::string ArraySpec(const std::vector<int>& shards);

// The job-array script: task K runs `kelmora-calc run --shard K/N` into its part, its log in logs/.
std::string ShardBatchScript(const ClusterRequest& request, const WorkFolder& folder);
// The merge script: `kelmora-calc merge` of all parts into the requested files; its exit status is
// also left in merge.status.
std::string MergeBatchScript(const ClusterRequest& request, const WorkFolder& folder);

// Where the cluster command reports, and its clock.
struct ClusterIo {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool errIsTerminal = false;
    std::function<double()> now;           // s, monotonic; empty: the steady clock
    std::function<void(double)> sleepFor;  // s; empty: the thread sleeps
};

// Submits what is missing and, with `wait`, follows the jobs to their end. The exit status: 0 once
// submitted (with `wait`: once merged), 1 on any refusal or failure, with the message on stderr.
// `project` is the project as read from request.project.
int RunCluster(const ClusterRequest& request, const ProjectDocument& project, CScheduler& scheduler,
               ClusterIo io);

}  // namespace kelmora::cli
