#include "cli/cluster/Scheduler.h"

#include <charconv>
#include <optional>
#include <sstream>

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

// Runs a Slurm command; its stderr (or why it did not start) as the error.
ProgramResult Slurm(const std::vector<std::string>& argv) {
    ProgramResult r = RunProgram(argv);
    if (!r.started) throw SchedulerError(argv[0] + " を実行できません: " + r.err);
    return r;
}

}  // namespace

std::string ParseSubmittedJobId(std::string_view out) {
    const std::string_view line = Trimmed(out);
    const std::string_view id = Trimmed(line.substr(0, line.find(';')));
    return id.find_first_not_of("0123456789") == std::string_view::npos ? std::string(id) : std::string();
}

std::vector<QueuedTask> ParseQueuedTasks(std::string_view out) {
    std::vector<QueuedTask> tasks;
    for (std::string_view line : LinesOf(out)) {
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos) continue;
        QueuedTask task;
        task.arrayTask = Number(line.substr(0, space)).value_or(0);
        const std::string_view state = Trimmed(line.substr(space + 1));
        task.running = state != "PD";
        tasks.push_back(task);
    }
    return tasks;
}

std::map<int, std::string> ParseAccountedEndings(std::string_view out) {
    std::map<int, std::string> endings;
    for (std::string_view line : LinesOf(out)) {
        const std::size_t bar1 = line.find('|');
        const std::size_t bar2 = line.find('|', bar1 + 1);
        if (bar1 == std::string_view::npos || bar2 == std::string_view::npos) continue;
        const std::string_view id = line.substr(0, bar1);
        const std::size_t underscore = id.find('_');
        if (underscore == std::string_view::npos) continue;
        if (const std::optional<int> task = Number(id.substr(underscore + 1))) {
            std::string_view state = line.substr(bar1 + 1, bar2 - bar1 - 1);
            state = state.substr(0, state.find(' '));  // "CANCELLED by 0"
            endings[*task] = Ending(state, line.substr(bar2 + 1));
        }
    }
    return endings;
}

std::map<int, std::string> ParseControlEndings(std::string_view out) {
    std::map<int, std::string> endings;
    for (std::string_view line : LinesOf(out)) {
        if (const std::optional<int> task = Number(FieldValue(line, "ArrayTaskId"))) {
            endings[*task] = Ending(FieldValue(line, "JobState"), FieldValue(line, "ExitCode"));
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
    const ProgramResult r = Slurm(argv);
    const std::string id = ParseSubmittedJobId(r.out);
    if (r.exitStatus != 0 || id.empty()) {
        throw SchedulerError("sbatch が投入を断りました: " +
                             std::string(Trimmed(r.err.empty() ? r.out : r.err)));
    }
    return id;
}

std::vector<QueuedTask> CSlurm::Queued(const std::string& jobId) {
    const ProgramResult r = Slurm({"squeue", "-h", "-r", "-j", jobId, "-o", "%K %t"});
    if (r.exitStatus != 0) {
        // A job that has left the controller's memory altogether.
        if (r.err.find("Invalid job id") != std::string::npos) return {};
        throw SchedulerError("squeue: " + std::string(Trimmed(r.err)));
    }
    return ParseQueuedTasks(r.out);
}

std::map<int, std::string> CSlurm::Endings(const std::string& jobId) {
    // The accounting database when there is one, else the controller's memory of recent jobs.
    const ProgramResult accounted =
        RunProgram({"sacct", "-n", "-P", "-X", "-j", jobId, "-o", "JobID,State,ExitCode"});
    if (accounted.started && accounted.exitStatus == 0) {
        std::map<int, std::string> endings = ParseAccountedEndings(accounted.out);
        if (!endings.empty()) return endings;
    }
    const ProgramResult control = RunProgram({"scontrol", "-o", "show", "job", jobId});
    if (control.started && control.exitStatus == 0) return ParseControlEndings(control.out);
    return {};
}

void CSlurm::Cancel(const std::string& jobId) {
    Slurm({"scancel", jobId});
}

}  // namespace kelmora::cli
