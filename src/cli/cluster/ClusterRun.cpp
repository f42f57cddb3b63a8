#include "cli/cluster/ClusterRun.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "calc/ContentDigest.h"
#include "calc/EngineVersion.h"
#include "calc/PartFile.h"
#include "calc/ProgressLine.h"
#include "calc/ShardRun.h"
#include "model/persistence/InputFile.h"
#include "model/persistence/InputFileStream.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora::cli {
namespace fs = std::filesystem;
namespace {

// Polls of the queue that may fail in a row (a busy controller) before the command gives up.
constexpr int kQueueFailuresTolerated = 10;
// Log lines shown for a failed job.
constexpr int kLogLinesShown = 8;

std::string ShardName(int shard, int shards) {
    return std::to_string(shard) + "/" + std::to_string(shards);
}

// A value of an #SBATCH line: in double quotes, which sbatch removes; '%' is the file name patterns'
// escape.
std::string DirectiveValue(std::string_view text, bool isFilePattern) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        if (c == '%' && isFilePattern) quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// What the #SBATCH lines cannot hold: a line break or another control character in a value would end
// the directive and put the rest into the script as lines of its own.
std::optional<std::string> DirectiveProblem(const ClusterRequest& request) {
    const struct {
        const char* option;
        const std::string& value;
    } values[] = {{"--partition", request.partition}, {"--time", request.time}, {"--mem", request.memory}};
    for (const auto& v : values) {
        if (HasControlCharacter(v.value))
            return std::string(v.option) + " に制御文字 (改行など) は使えません";
    }
    if (HasControlCharacter(request.workdir.string()))
        return "作業フォルダの名前に制御文字 (改行など) は使えません: " + request.workdir.string();
    return std::nullopt;
}

// The #SBATCH lines common to both scripts.
std::string Directives(const ClusterRequest& request, std::string_view jobName,
                       const std::string& outputPattern) {
    std::string text = "#SBATCH --job-name=" + std::string(jobName) + "\n";
    text += "#SBATCH --output=" + outputPattern + "\n";
    if (!request.partition.empty())
        text += "#SBATCH --partition=" + DirectiveValue(request.partition, false) + "\n";
    if (!request.time.empty()) text += "#SBATCH --time=" + DirectiveValue(request.time, false) + "\n";
    if (!request.memory.empty()) text += "#SBATCH --mem=" + DirectiveValue(request.memory, false) + "\n";
    return text;
}

// ---- The work folder's record of the jobs last submitted ----

struct JobRecord {
    std::string shardJob;
    std::string mergeJob;
};

// The text of a small file the cluster command keeps in its work folder, or "" when there is none.
// Only a regular file is read, within `maxBytes`: a FIFO put in its place must not block the command.
std::string ReadSmallFile(const fs::path& path, std::uint64_t maxBytes) {
    try {
        const std::vector<std::uint8_t> bytes = ReadRegularFile(path, maxBytes);
        return std::string(bytes.begin(), bytes.end());
    } catch (const InputFileError&) {
        return {};
    }
}

JobRecord ReadJobRecord(const fs::path& path) {
    JobRecord record;
    std::istringstream in(ReadSmallFile(path, 4096));
    std::string key, id;
    while (in >> key >> id) {
        if (key == "shards") record.shardJob = id;
        if (key == "merge") record.mergeJob = id;
    }
    return record;
}

// The exit status the merge job left in its status file, if any.
std::optional<int> ReadMergeStatus(const fs::path& path) {
    std::istringstream in(ReadSmallFile(path, 64));
    int code = -1;
    if (in >> code) return code;
    return std::nullopt;
}

bool WriteJobRecord(const fs::path& path, const JobRecord& record) {
    const std::string text = "shards " + (record.shardJob.empty() ? "-" : record.shardJob) + "\nmerge " +
                             (record.mergeJob.empty() ? "-" : record.mergeJob) + "\n";
    try {
        SaveFileBytes(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool IsJobId(const std::string& id) {
    return !id.empty() && id != "-";
}

// The last lines of a log, each indented; empty when there is no log.
std::string LogTail(const fs::path& path) {
    constexpr std::uint64_t kTailBytes = 4096;
    std::string text;
    try {
        RegularFile log(path);
        const std::uint64_t from = log.size() > kTailBytes ? log.size() - kTailBytes : 0;
        if (::lseek(log.fd(), static_cast<off_t>(from), SEEK_SET) < 0) return {};
        text.resize(kTailBytes);
        text.resize(log.Read(text.data(), text.size()));
    } catch (const InputFileError&) {
        return {};
    }
    std::vector<std::string> lines;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    std::string tail;
    const std::size_t first = lines.size() > kLogLinesShown ? lines.size() - kLogLinesShown : 0;
    for (std::size_t i = first; i < lines.size(); ++i)
        tail += "    " + lines[i] + "\n";
    return tail;
}

// True when the part of `shard` is a whole part of this project, engine and split.
bool PartIsCurrent(const fs::path& path, int shard, int shards, const Digest& digest, int pointCount,
                   bool withBreakdown) {
    try {
        CInputFileStream in{RegularFile(path)};
        CPartReader reader(in);
        const PartHeader& h = reader.header();
        if (h.modelDigest != digest || h.engineVersion != EngineVersion() || h.shard != shard ||
            h.shardCount != shards || h.pointCount != pointCount || (withBreakdown && !h.withBreakdown)) {
            return false;
        }
        PartPoint point;
        while (reader.Next(point, nullptr)) {
        }
        return true;
    } catch (const PartFileError&) {
        return false;
    } catch (const InputFileError&) {
        return false;
    }
}

class ClusterRun {
public:
    ClusterRun(const ClusterRequest& request, const ProjectDocument& project, CScheduler& scheduler,
               ClusterIo io)
        : request_(request),
          project_(project),
          scheduler_(scheduler),
          io_(std::move(io)),
          folder_(request.workdir, request.shards) {}

    int Run() {
        if (const std::optional<std::string> problem = DirectiveProblem(request_)) {
            Error(*problem);
            return 1;
        }
        if (!Prepare()) return 1;
        if (!Submit()) return 1;
        if (!request_.wait) return 0;
        return Follow();
    }

private:
    void Error(const std::string& text) {
        ClearProgress();
        std::fprintf(io_.err, "%s\n", text.c_str());
        std::fflush(io_.err);
    }
    void Say(const std::string& text) {
        ClearProgress();
        std::fprintf(io_.out, "%s\n", text.c_str());
        std::fflush(io_.out);
    }
    double Now() const {
        if (io_.now) return io_.now();
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    void Sleep(double seconds) const {
        if (io_.sleepFor) {
            io_.sleepFor(seconds);
        } else {
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        }
    }

    // Reads the project, takes over or clears up after the jobs of an earlier call, copies the project
    // into the work folder and finds the shards to compute.
    bool Prepare() {
        const ProjectDocument* doc = &project_;
        if (doc->model.calcInfo.mode == kSinglePointMode) {
            Error(std::string(kSinglePointNotSplit));
            return false;
        }
        const Digest digest = ModelDigest(doc->model);
        const int pointCount = static_cast<int>(doc->model.calcInfo.PredictionPoints().size());

        std::error_code ec;
        for (const fs::path& dir : {folder_.root(), folder_.PartsFolder(), folder_.LogsFolder()}) {
            fs::create_directories(dir, ec);
            if (ec) {
                Error("作業フォルダを作れません: " + dir.string() + " (" + ec.message() + ")");
                return false;
            }
        }
        if (!TakeOverEarlierJobs()) return false;
        try {
            SaveProjectFile(folder_.Project(), *doc);
        } catch (const ProjectFileError& e) {
            Error(std::string(e.what()) + " " + folder_.Project().string() + " (" + e.reason() + ")");
            return false;
        }
        for (int k = 1; k <= request_.shards; ++k) {
            const fs::path part = folder_.Part(k);
            if (PartIsCurrent(part, k, request_.shards, digest, pointCount, request_.breakdown.has_value())) {
                continue;
            }
            // A stale part goes, so that a part at this name means a finished shard of this run.
            if (fs::is_regular_file(part, ec)) fs::remove(part, ec);
            missing_.push_back(k);
        }
        return true;
    }

    // The jobs of an earlier call with this folder: shards still queued stop this call; a merge that
    // waits for shards that failed is cancelled, as it would never start.
    bool TakeOverEarlierJobs() {
        const JobRecord earlier = ReadJobRecord(folder_.Jobs());
        try {
            if (IsJobId(earlier.shardJob) && !scheduler_.Queued(earlier.shardJob).empty()) {
                Error("前回投入したシャードのジョブ " + earlier.shardJob +
                      " がまだ終わっていません: 終わるのを待つか、scancel " + earlier.shardJob +
                      " で取り消してから実行してください");
                return false;
            }
            if (IsJobId(earlier.mergeJob)) {
                const std::vector<QueuedTask> merge = scheduler_.Queued(earlier.mergeJob);
                if (!merge.empty() && merge.front().running) {
                    Error("前回投入した結合のジョブ " + earlier.mergeJob +
                          " が実行中です: 終わるのを待ってください");
                    return false;
                }
                if (!merge.empty()) {
                    scheduler_.Cancel(earlier.mergeJob);
                    Say("前回の結合のジョブ " + earlier.mergeJob + " を取り消しました");
                }
            }
        } catch (const SchedulerError& e) {
            Error(e.what());
            return false;
        }
        return true;
    }

    bool WriteScript(const fs::path& path, const std::string& text) {
        try {
            SaveFileBytes(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
            fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                            fs::perm_options::add);
            return true;
        } catch (const std::exception& e) {
            Error("バッチスクリプトを書けません: " + path.string() + " (" + e.what() + ")");
            return false;
        }
    }

    bool Submit() {
        if (!WriteScript(folder_.ShardScript(), ShardBatchScript(request_, folder_)) ||
            !WriteScript(folder_.MergeScript(), MergeBatchScript(request_, folder_))) {
            return false;
        }
        std::error_code ec;
        fs::remove(folder_.MergeStatus(), ec);
        const int done = request_.shards - static_cast<int>(missing_.size());
        if (done > 0)
            Say("計算済みのシャード: " + std::to_string(done) + " / " + std::to_string(request_.shards));
        JobRecord record;
        try {
            if (!missing_.empty()) {
                record.shardJob = scheduler_.Submit({folder_.ShardScript(), ArraySpec(missing_), ""});
                WriteJobRecord(folder_.Jobs(), record);
                Say("シャードのジョブ " + record.shardJob + ": シャード " + ArraySpec(missing_) + " / " +
                    std::to_string(request_.shards) + " (" + std::to_string(missing_.size()) + " 個)");
            }
            record.mergeJob = scheduler_.Submit({folder_.MergeScript(), "", record.shardJob});
        } catch (const SchedulerError& e) {
            Error(e.what());
            return false;
        }
        if (!WriteJobRecord(folder_.Jobs(), record)) {
            Error("ジョブの記録を書けません: " + folder_.Jobs().string());
        }
        Say("結合のジョブ " + record.mergeJob +
            (record.shardJob.empty() ? std::string() : " (シャードがすべて正常に終わった後)"));
        record_ = record;
        return true;
    }

    // ---- Following the jobs ----

    struct Counts {
        int done = 0, running = 0, pending = 0, failed = 0;
    };

    // Follows the shards to their end, then the merge. The exit status.
    int Follow() {
        std::map<int, int> absentPolls;  // shard → polls that found it neither queued nor with a part
        std::set<int> finished, failed;
        int queueFailures = 0;
        int mergeAbsentPolls = 0;
        const double start = Now();
        for (;;) {
            std::map<int, bool> queued;  // shard → running
            std::optional<bool> mergeQueued;
            try {
                if (IsJobId(record_.shardJob)) {
                    for (const QueuedTask& t : scheduler_.Queued(record_.shardJob))
                        queued[t.arrayTask] = t.running;
                }
                const std::vector<QueuedTask> merge = scheduler_.Queued(record_.mergeJob);
                if (!merge.empty()) mergeQueued = merge.front().running;
                queueFailures = 0;
            } catch (const SchedulerError& e) {
                if (++queueFailures >= kQueueFailuresTolerated) {
                    Error(e.what());
                    return 1;
                }
                Sleep(request_.pollSeconds);
                continue;
            }

            Counts counts;
            std::error_code ec;
            for (int k : missing_) {
                if (finished.count(k) != 0 || failed.count(k) != 0) continue;
                const auto q = queued.find(k);
                if (q != queued.end()) {
                    absentPolls[k] = 0;
                    ++(q->second ? counts.running : counts.pending);
                } else if (fs::exists(folder_.Part(k), ec) && fs::is_regular_file(folder_.Part(k), ec)) {
                    finished.insert(k);
                } else if (++absentPolls[k] >= 2) {
                    // Out of the queue without a part, also a poll later (a shared folder may show a new
                    // file late).
                    failed.insert(k);
                } else {
                    ++counts.running;
                }
            }
            counts.done = static_cast<int>(finished.size());
            counts.failed = static_cast<int>(failed.size());
            const bool shardsOver = counts.running == 0 && counts.pending == 0;

            if (shardsOver && !failed.empty()) return ReportFailedShards(failed, mergeQueued.has_value());
            if (shardsOver && !mergeQueued) {
                const std::optional<int> code = ReadMergeStatus(folder_.MergeStatus());
                if (code || ++mergeAbsentPolls >= 2) return ReportMerge(code.value_or(-1));
            }
            ShowProgress(counts, mergeQueued, Now() - start);
            Sleep(request_.pollSeconds);
        }
    }

    int ReportFailedShards(const std::set<int>& failed, bool mergeQueued) {
        if (mergeQueued) {
            try {
                scheduler_.Cancel(record_.mergeJob);
            } catch (const SchedulerError&) {
                // Slurm drops a merge whose shards failed by itself (--kill-on-invalid-dep).
            }
        }
        std::map<int, std::string> endings;
        try {
            endings = scheduler_.Endings(record_.shardJob);
        } catch (const SchedulerError&) {
        }
        for (int k : failed) {
            const auto ending = endings.find(k);
            Error("シャード " + ShardName(k, request_.shards) + " が失敗しました" +
                  (ending != endings.end() ? " (" + ending->second + ")" : std::string()) + ": ログ " +
                  folder_.ShardLog(k).string() + "\n" + LogTail(folder_.ShardLog(k)));
        }
        Error(
            "結合はしていません。原因を取り除いてから同じコマンドをもう一度実行すると、パートのないシャードだ"
            "けを投入します");
        return 1;
    }

    int ReportMerge(int code) {
        if (code != 0) {
            Error(
                "結合のジョブ " + record_.mergeJob + " が失敗しました" +
                (code > 0 ? " (終了コード " + std::to_string(code) + ")" : std::string(" (終了コードなし)")) +
                ": ログ " + folder_.MergeLog().string() + "\n" + LogTail(folder_.MergeLog()));
            return 1;
        }
        std::string files;
        for (const auto& f : {request_.breakdown, request_.laeq, request_.lamax}) {
            if (f) files += "\n  " + f->string();
        }
        Say(files.empty() ? "結合しました: 予測点の表は " + folder_.MergeLog().string() + " にあります"
                          : "結合しました:" + files);
        return 0;
    }

    void ShowProgress(const Counts& c, const std::optional<bool>& mergeQueued, double elapsed) {
        if (request_.quiet) return;
        const int total = request_.shards;
        const int alreadyDone = total - static_cast<int>(missing_.size());
        std::string line = "シャード 完了 " + std::to_string(alreadyDone + c.done) + " / " +
                           std::to_string(total) + "、実行中 " + std::to_string(c.running) + "、待機 " +
                           std::to_string(c.pending) + "、失敗 " + std::to_string(c.failed) + " — 結合 " +
                           (mergeQueued ? (*mergeQueued ? "実行中" : "待機中") : "終了");
        const std::string counts = line;
        if (const std::optional<double> left =
                RemainingSeconds(c.done, static_cast<int>(missing_.size()), elapsed)) {
            if (c.done < static_cast<int>(missing_.size())) line += " — " + RemainingTimeText(*left);
        }
        if (io_.errIsTerminal) {
            std::fprintf(io_.err, "\r%s\x1b[K", line.c_str());
            lineShown_ = true;
        } else if (counts != lastCounts_) {
            std::fprintf(io_.err, "%s\n", line.c_str());
        }
        lastCounts_ = counts;
        std::fflush(io_.err);
    }

    void ClearProgress() {
        if (!lineShown_) return;
        std::fprintf(io_.err, "\r\x1b[K");
        std::fflush(io_.err);
        lineShown_ = false;
    }

    const ClusterRequest& request_;
    const ProjectDocument& project_;
    CScheduler& scheduler_;
    const ClusterIo io_;
    const WorkFolder folder_;
    std::vector<int> missing_;
    JobRecord record_;
    std::string lastCounts_;
    bool lineShown_ = false;
};

}  // namespace

fs::path WorkFolder::Part(int shard) const {
    return PartsFolder() / ("part-" + std::to_string(shard) + "-of-" + std::to_string(shards_) + ".kpart");
}

fs::path WorkFolder::ShardLog(int shard) const {
    return LogsFolder() / ("shard-" + std::to_string(shard) + ".log");
}

std::string ShellQuoted(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::string ArraySpec(const std::vector<int>& shards) {
    std::string spec;
    for (std::size_t i = 0; i < shards.size();) {
        std::size_t j = i;
        while (j + 1 < shards.size() && shards[j + 1] == shards[j] + 1)
            ++j;
        if (!spec.empty()) spec += ',';
        spec += std::to_string(shards[i]);
        if (j > i) spec += "-" + std::to_string(shards[j]);
        i = j + 1;
    }
    return spec;
}

std::string ShardBatchScript(const ClusterRequest& request, const WorkFolder& folder) {
    const std::string n = std::to_string(request.shards);
    std::string text = "#!/bin/sh\n";
    text += Directives(request, "kelmora-shard",
                       DirectiveValue((folder.LogsFolder() / "shard-").string(), true) + "%a.log");
    if (request.cpusPerTask > 0)
        text += "#SBATCH --cpus-per-task=" + std::to_string(request.cpusPerTask) + "\n";
    text += "# Shard K of " + n +
            " of the prediction: array task K computes the K-th block of the points into its part.\n"
            "# Written by kelmora-calc cluster; submit again with sbatch --array=K,... for single shards.\n";
    const std::string part = (folder.PartsFolder() / "part-").string();
    text += "exec " + ShellQuoted(request.calc.string()) + " run " + ShellQuoted(folder.Project().string()) +
            " --shard \"$SLURM_ARRAY_TASK_ID/" + n + "\" --part " + ShellQuoted(part) +
            "\"$SLURM_ARRAY_TASK_ID\"" + ShellQuoted("-of-" + n + ".kpart") +
            " --threads \"${SLURM_CPUS_PER_TASK:-1}\"" + (request.breakdown ? " --with-breakdown" : "") +
            "\n";
    return text;
}

std::string MergeBatchScript(const ClusterRequest& request, const WorkFolder& folder) {
    std::string text = "#!/bin/sh\n";
    text += Directives(request, "kelmora-merge", DirectiveValue(folder.MergeLog().string(), true));
    text += "# The run's files from the parts of all " + std::to_string(request.shards) +
            " shards, once every shard has ended well.\n";
    text += ShellQuoted(request.calc.string()) + " merge " + ShellQuoted(folder.Project().string()) + " " +
            ShellQuoted((folder.PartsFolder() / "part-").string()) + "*" +
            ShellQuoted("-of-" + std::to_string(request.shards) + ".kpart");
    if (request.breakdown) text += " --breakdown " + ShellQuoted(request.breakdown->string());
    if (request.laeq) text += " --laeq " + ShellQuoted(request.laeq->string());
    if (request.lamax) text += " --lamax " + ShellQuoted(request.lamax->string());
    if (request.matrix) text += " --matrix";
    text += " --quiet\nstatus=$?\necho \"$status\" >" + ShellQuoted(folder.MergeStatus().string()) +
            "\nexit \"$status\"\n";
    return text;
}

int RunCluster(const ClusterRequest& request, const ProjectDocument& project, CScheduler& scheduler,
               ClusterIo io) {
    ClusterRun run(request, project, scheduler, std::move(io));
    return run.Run();
}

}  // namespace kelmora::cli
