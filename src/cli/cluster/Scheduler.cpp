#include "cli/cluster/Scheduler.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "cli/cluster/Subprocess.h"

namespace kelmora::cli {
namespace {

std::string_view Trimmed(std::string_view s) {
    const std::size_t begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) return {};
    const std::size_t end = s.find_last_not_of(" \t\r\n");
    return s.substr(begin, end - begin + 1);
}

std::vector<std::string_view> LinesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        if (!line.empty()) lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::optional<int> Number(std::string_view s) {
    int v = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (error != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    return v;
}

// The value of "Key=value" in a line of space-separated fields.
std::string_view FieldValue(std::string_view line, std::string_view key) {
    std::size_t at = 0;
    while ((at = line.find(key, at)) != std::string_view::npos) {
        if ((at == 0 || line[at - 1] == ' ') && line.substr(at + key.size(), 1) == "=") {
            std::string_view value = line.substr(at + key.size() + 1);
            return value.substr(0, value.find(' '));
        }
        ++at;
    }
    return {};
}

std::string Ending(std::string_view state, std::string_view exitCode) {
    return std::string(state) + ", exit code " + std::string(exitCode);
}

// The fields of a line split at `separator`.
std::vector<std::string_view> Fields(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t at = line.find(separator);
        fields.push_back(line.substr(0, at));
        if (at == std::string_view::npos) return fields;
        line.remove_prefix(at + 1);
    }
}

bool IsDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// A state as Slurm writes it: "PD", "R", "FAILED", "OUT_OF_MEMORY".
bool IsStateWord(std::string_view s) {
    return !s.empty() && s.size() <= 32 &&
           s.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_") == std::string_view::npos;
}

// "1:0": the exit code and the signal.
bool IsExitCode(std::string_view s) {
    const std::size_t colon = s.find(':');
    return colon != std::string_view::npos && IsDigits(s.substr(0, colon)) && IsDigits(s.substr(colon + 1));
}

// The array task of "ID_K", when the line is about job ID.
std::optional<int> TaskOfJob(std::string_view id, std::string_view jobId) {
    if (id.size() <= jobId.size() + 1 || id.substr(0, jobId.size()) != jobId || id[jobId.size()] != '_')
        return std::nullopt;
    const std::string_view task = id.substr(jobId.size() + 1);
    return IsDigits(task) ? Number(task) : std::nullopt;
}

// Runs a Slurm command within the limits; its stderr (or why it did not start or was stopped) as the
// error.
ProgramResult Slurm(const std::vector<std::string>& argv, const SlurmLimits& limits) {
    ProgramResult r = RunProgram(argv, {limits.seconds, limits.outputBytes});
    if (!r.started) throw SchedulerError(argv[0] + " を実行できません: " + r.err);
    if (r.timedOut) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", limits.seconds);
        throw SchedulerError(argv[0] + " が " + seconds + " 秒たっても終わらないので止めました");
    }
    if (r.flooded) {
        throw SchedulerError(argv[0] + " の出力が多すぎる (" + std::to_string(limits.outputBytes) +
                             " バイトを超えた) ので止めました");
    }
    return r;
}

}  // namespace

std::string ParseSubmittedJobId(std::string_view out) {
    for (std::string_view line : LinesOf(out)) {
        const std::size_t semicolon = line.find(';');
        const std::string_view id = line.substr(0, semicolon);
        const std::string_view cluster =
            semicolon == std::string_view::npos ? "" : line.substr(semicolon + 1);
        if (IsDigits(id) && cluster.find_first_of(" \t") == std::string_view::npos) return std::string(id);
    }
    return {};
}

std::vector<QueuedTask> ParseQueuedTasks(std::string_view out, std::string_view jobId) {
    std::vector<QueuedTask> tasks;
    for (std::string_view line : LinesOf(out)) {
        const std::vector<std::string_view> f = Fields(line, '|');
        if (f.size() != 3 || f[0] != jobId || !(f[1] == "N/A" || IsDigits(f[1])) || !IsStateWord(f[2]))
            continue;
        QueuedTask task;
        task.arrayTask = f[1] == "N/A" ? 0 : Number(f[1]).value_or(0);
        task.running = f[2] != "PD";
        tasks.push_back(task);
    }
    return tasks;
}

std::map<int, std::string> ParseAccountedEndings(std::string_view out, std::string_view jobId) {
    std::map<int, std::string> endings;
    for (std::string_view line : LinesOf(out)) {
        const std::vector<std::string_view> f = Fields(line, '|');
        if (f.size() != 3 || !IsExitCode(f[2])) continue;
        const std::string_view state = f[1].substr(0, f[1].find(' '));  // "CANCELLED by 0"
        const std::optional<int> task = TaskOfJob(f[0], jobId);
        if (task && IsStateWord(state)) endings[*task] = Ending(state, f[2]);
    }
    return endings;
}

std::map<int, std::string> ParseControlEndings(std::string_view out, std::string_view jobId) {
    std::map<int, std::string> endings;
    for (std::string_view line : LinesOf(out)) {
        if (FieldValue(line, "ArrayJobId") != jobId) continue;
        const std::string_view task = FieldValue(line, "ArrayTaskId");
        const std::string_view state = FieldValue(line, "JobState");
        const std::string_view exitCode = FieldValue(line, "ExitCode");
        if (IsDigits(task) && IsStateWord(state) && IsExitCode(exitCode)) {
            if (const std::optional<int> k = Number(task)) endings[*k] = Ending(state, exitCode);
        }
    }
    return endings;
}

std::string CSlurm::Submit(const SubmitRequest& request) {
    std::vector<std::string> argv = {"sbatch", "--parsable"};
    if (!request.array.empty()) argv.push_back("--array=" + request.array);
    if (!request.afterOk.empty()) {
        argv.push_back("--dependency=afterok:" + request.afterOk);
        // A job whose shards failed would otherwise wait in the queue for ever.
        argv.push_back("--kill-on-invalid-dep=yes");
    }
    argv.push_back(request.script.string());
    const ProgramResult r = Slurm(argv, limits_);
    const std::string id = ParseSubmittedJobId(r.out);
    if (r.exitStatus != 0 || id.empty()) {
        throw SchedulerError("sbatch が投入を断りました: " +
                             std::string(Trimmed(r.err.empty() ? r.out : r.err)));
    }
    return id;
}

std::vector<QueuedTask> CSlurm::Queued(const std::string& jobId) {
    const ProgramResult r =
        Slurm({"squeue", "--noheader", "--array", "--jobs=" + jobId, "--format=%F|%K|%t"}, limits_);
    if (r.exitStatus != 0) {
        // A job that has left the controller's memory altogether.
        if (r.err.find("Invalid job id") != std::string::npos) return {};
        throw SchedulerError("squeue: " + std::string(Trimmed(r.err)));
    }
    return ParseQueuedTasks(r.out, jobId);
}

std::map<int, std::string> CSlurm::Endings(const std::string& jobId) {
    // The accounting database when there is one, else the controller's memory of recent jobs; a
    // command that fails or is stopped only means that record is not at hand.
    const ProgramLimits limits{limits_.seconds, limits_.outputBytes};
    const ProgramResult accounted = RunProgram({"sacct", "--noheader", "--parsable2", "--allocations",
                                                "--jobs=" + jobId, "--format=JobID,State,ExitCode"},
                                               limits);
    if (accounted.started && !accounted.timedOut && !accounted.flooded && accounted.exitStatus == 0) {
        std::map<int, std::string> endings = ParseAccountedEndings(accounted.out, jobId);
        if (!endings.empty()) return endings;
    }
    const ProgramResult control = RunProgram({"scontrol", "--oneliner", "show", "job", jobId}, limits);
    if (control.started && !control.timedOut && !control.flooded && control.exitStatus == 0)
        return ParseControlEndings(control.out, jobId);
    return {};
}

void CSlurm::Cancel(const std::string& jobId) {
    Slurm({"scancel", jobId}, limits_);
}

}  // namespace kelmora::cli
