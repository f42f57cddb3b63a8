#pragma once
// The batch scheduler as the cluster command uses it: submit a batch script (as a job array, or after
// a job has ended well), see which tasks of a job are still queued, learn how ended tasks went, and
// cancel. CSlurm drives Slurm's commands (sbatch, squeue, sacct, scontrol, scancel); tests put a
// scripted scheduler in its place.
#include <cstddef>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora::cli {

struct SubmitRequest {
    std::filesystem::path script;
    std::string array;    // task ids as "1-4" or "2,5-7"; empty: a single job
    std::string afterOk;  // the job whose tasks must all end well before this one starts; empty: none
};

// A task still in the queue.
struct QueuedTask {
    int arrayTask = 0;  // 0 for a job that is no array
    bool running = false;
};

// The scheduler refused or could not be asked; what() holds its own message.
class SchedulerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CScheduler {
public:
    virtual ~CScheduler() = default;
    // The id of the submitted job.
    virtual std::string Submit(const SubmitRequest& request) = 0;
    // The tasks of the job that are pending or running; empty once the job has left the queue.
    virtual std::vector<QueuedTask> Queued(const std::string& jobId) = 0;
    // What the scheduler still knows of the ended tasks of the job: array task → "FAILED, exit code
    // 1:0". Empty when it keeps no record.
    virtual std::map<int, std::string> Endings(const std::string& jobId) = 0;
    virtual void Cancel(const std::string& jobId) = 0;
};

// How long each of Slurm's commands may take and how much it may print before it is stopped and its
// call fails: a controller that does not answer, or a command that floods, must not hang the cluster
// command or fill its memory.
struct SlurmLimits {
    double seconds = 120.0;
    std::size_t outputBytes = std::size_t{8} << 20;
};

class CSlurm : public CScheduler {
public:
    explicit CSlurm(SlurmLimits limits = {}) : limits_(limits) {}
    std::string Submit(const SubmitRequest& request) override;
    std::vector<QueuedTask> Queued(const std::string& jobId) override;
    std::map<int, std::string> Endings(const std::string& jobId) override;
    void Cancel(const std::string& jobId) override;

private:
    const SlurmLimits limits_;
};

// ---- What Slurm's commands print ----
// Each command is asked for a fixed machine-readable form, and only lines of that form about the job
// asked for count: warnings, notes and anything else a site's wrappers print are passed over.

// The job id of `sbatch --parsable`: a line "12" or "12;cluster". Empty when there is none.
std::string ParseSubmittedJobId(std::string_view out);
// `squeue --noheader --array --jobs=ID --format=%F|%K|%t`: one line per task of job ID, its array
// task id (or "N/A") and its state code.
std::vector<QueuedTask> ParseQueuedTasks(std::string_view out, std::string_view jobId);
// `sacct --noheader --parsable2 --allocations --jobs=ID --format=JobID,State,ExitCode`: "12_3|FAILED|1:0"
// per task of job ID.
std::map<int, std::string> ParseAccountedEndings(std::string_view out, std::string_view jobId);
// `scontrol --oneliner show job ID`: one line per task with "ArrayJobId=12", "ArrayTaskId=3",
// "JobState=FAILED", "ExitCode=1:0".
std::map<int, std::string> ParseControlEndings(std::string_view out, std::string_view jobId);

}  // namespace kelmora::cli
