#pragma once
// The batch scheduler as the cluster command uses it: submit a batch script (as a job array, or after
// a job has ended well), see which tasks of a job are still queued, learn how ended tasks went, and
// cancel. CSlurm drives Slurm's commands (sbatch, squeue, sacct, scontrol, scancel); tests put a
// scripted scheduler in its place.
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

class CSlurm : public CScheduler {
public:
    std::string Submit(const SubmitRequest& request) override;
    std::vector<QueuedTask> Queued(const std::string& jobId) override;
    std::map<int, std::string> Endings(const std::string& jobId) override;
    void Cancel(const std::string& jobId) override;
};

// ---- What Slurm's commands print ----

// The job id of `sbatch --parsable`: "12" or "12;cluster". Empty when there is none.
std::string ParseSubmittedJobId(std::string_view out);
// `squeue -h -r -o "%K %t"`: one line per task, array task id (or "N/A") and state code.
std::vector<QueuedTask> ParseQueuedTasks(std::string_view out);
// `sacct -n -P -X -o JobID,State,ExitCode`: "12_3|FAILED|1:0" per task.
std::map<int, std::string> ParseAccountedEndings(std::string_view out);
// `scontrol -o show job`: one line per task with "ArrayTaskId=3", "JobState=FAILED", "ExitCode=1:0".
std::map<int, std::string> ParseControlEndings(std::string_view out);

}  // namespace kelmora::cli
