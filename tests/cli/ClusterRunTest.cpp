// The cluster command against a scripted scheduler: what it submits on a first and on a later call,
// how it treats the jobs of an earlier call, how it follows the jobs to the merged files or to the
// failed shards; the batch scripts run by a shell; and what Slurm's commands print, read back.
#include "cli/cluster/ClusterRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "calc/ContentDigest.h"
#include "calc/ShardRun.h"
#include "cli/cluster/Subprocess.h"

#include "CaptureStream.h"

namespace kelmora::cli {
namespace {

namespace fs = std::filesystem;

using testing::Capture;

// A scheduler whose queue the test moves along. Submitted array tasks wait in the queue until the
// test lets them go.
class FakeScheduler : public CScheduler {
public:
    std::vector<SubmitRequest> submitted;
    std::map<std::string, std::vector<QueuedTask>> queue;
    std::vector<std::string> cancelled;
    std::map<int, std::string> endings;
    int polls = 0;
    std::function<void(int poll)> onPoll;  // called before each look at the shards' job

    std::string Submit(const SubmitRequest& request) override {
        submitted.push_back(request);
        const std::string id = std::to_string(100 + static_cast<int>(submitted.size()));
        std::vector<QueuedTask>& tasks = queue[id];
        if (request.array.empty()) {
            tasks.push_back({0, false});
        } else {
            std::istringstream spec(request.array);
            for (std::string item; std::getline(spec, item, ',');) {
                const std::size_t dash = item.find('-');
                const int from = std::stoi(item.substr(0, dash));
                const int to = dash == std::string::npos ? from : std::stoi(item.substr(dash + 1));
                for (int k = from; k <= to; ++k)
                    tasks.push_back({k, false});
            }
        }
        return id;
    }
    std::vector<QueuedTask> Queued(const std::string& jobId) override {
        if (onPoll && jobId == shardJob()) onPoll(++polls);
        const auto it = queue.find(jobId);
        return it == queue.end() ? std::vector<QueuedTask>{} : it->second;
    }
    std::map<int, std::string> Endings(const std::string&) override { return endings; }
    void Cancel(const std::string& jobId) override {
        cancelled.push_back(jobId);
        queue.erase(jobId);
    }

    std::string shardJob() const { return submitted.size() >= 2 ? "101" : ""; }
};

// A list of seven points and nothing to hear: parts are computed in no time.
ProjectDocument SevenPoints() {
    ProjectDocument doc = NewProjectDocument();
    doc.model.calcInfo.mode = kPointListMode;
    for (int i = 0; i < 7; ++i)
        doc.model.calcInfo.pointList.emplace_back(CVector3D{10.0 * i, 0, 1.2});
    return doc;
}

class ClusterRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kelmora-cluster-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        request_.project = dir_ / "project.kel";
        request_.shards = 4;
        request_.workdir = dir_ / "work";
        request_.laeq = dir_ / "laeq.txt";
        request_.calc = "/opt/kelmora/kelmora-calc";
        request_.pollSeconds = 1.0;
        request_.quiet = true;
    }
    void TearDown() override { fs::remove_all(dir_); }

    int Run(FakeScheduler& scheduler, const ProjectDocument& doc = SevenPoints()) {
        ClusterIo io;
        io.out = out_.file();
        io.err = err_.file();
        io.now = [this] { return clock_; };
        io.sleepFor = [this](double s) { clock_ += s; };
        return RunCluster(request_, doc, scheduler, io);
    }

    // Computes the part of `shard` into the work folder as its array task would.
    void ComputePart(int shard, const ProjectDocument& doc = SevenPoints()) {
        CNoise model = doc.model;
        ShardTarget target;
        target.shard = shard;
        target.shardCount = request_.shards;
        target.part = WorkFolder(request_.workdir, request_.shards).Part(shard);
        target.modelDigest = ModelDigest(model);
        fs::create_directories(target.part.parent_path());
        CShardJob job(model, target, {1, 0});
        IdleHost host;
        job.RunHere(host);
        ASSERT_EQ(job.state(), kJobNormalEnd) << job.errorText();
    }

    void WriteFile(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    class IdleHost : public CRunHost {
        std::optional<std::string> ChooseOutputFile(const FileRequest&) override { return std::nullopt; }
        bool AskXyzForm(OutputFile, std::string_view) override { return true; }
        void ShowMessage(std::string_view, MessageIcon) override {}
        void ReportProgress(int, int) override {}
        void ReportEnd(int) override {}
    };

    fs::path dir_;
    ClusterRequest request_;
    Capture out_, err_;
    double clock_ = 0.0;
};

TEST_F(ClusterRunTest, AFirstCallSubmitsEveryShardAndTheMergeAfterThem) {
    FakeScheduler scheduler;
    ASSERT_EQ(Run(scheduler), 0) << err_.text();
    const WorkFolder folder(request_.workdir, 4);
    ASSERT_EQ(scheduler.submitted.size(), 2u);
    EXPECT_EQ(scheduler.submitted[0].script, folder.ShardScript());
    EXPECT_EQ(scheduler.submitted[0].array, "1-4");
    EXPECT_EQ(scheduler.submitted[1].script, folder.MergeScript());
    EXPECT_EQ(scheduler.submitted[1].afterOk, "101");
    EXPECT_EQ(out_.text(),
              "シャードのジョブ 101: シャード 1-4 / 4 (4 個)\n結合のジョブ 102 "
              "(シャードがすべて正常に終わった後)\n");
    // The jobs read the copy of the project in the work folder.
    EXPECT_EQ(ReadProjectFile(folder.Project()).model, SevenPoints().model);
    EXPECT_TRUE(fs::is_directory(folder.PartsFolder()));
    EXPECT_TRUE(fs::is_directory(folder.LogsFolder()));
}

TEST_F(ClusterRunTest, ALaterCallSubmitsOnlyTheShardsWithoutACurrentPart) {
    request_.shards = 5;
    const WorkFolder folder(request_.workdir, 5);
    for (int k : {1, 2, 4})
        ComputePart(k);
    // Shard 3's part is of the project before an edit; shard 5 has none.
    ProjectDocument before = SevenPoints();
    before.model.humidity = 80.0;
    ComputePart(3, before);
    const auto written = fs::last_write_time(folder.Part(1));

    FakeScheduler scheduler;
    ASSERT_EQ(Run(scheduler), 0) << err_.text();
    ASSERT_EQ(scheduler.submitted.size(), 2u);
    EXPECT_EQ(scheduler.submitted[0].array, "3,5");
    EXPECT_EQ(scheduler.submitted[1].afterOk, "101");
    EXPECT_FALSE(fs::exists(folder.Part(3))) << "the stale part stays";
    EXPECT_EQ(fs::last_write_time(folder.Part(1)), written);
    EXPECT_NE(out_.text().find("計算済みのシャード: 3 / 5\n"), std::string::npos) << out_.text();

    // With every part in place only the merge is left to do.
    ComputePart(3);
    ComputePart(5);
    FakeScheduler again;
    ASSERT_EQ(Run(again), 0) << err_.text();
    ASSERT_EQ(again.submitted.size(), 1u);
    EXPECT_EQ(again.submitted[0].script, folder.MergeScript());
    EXPECT_EQ(again.submitted[0].afterOk, "");
}

TEST_F(ClusterRunTest, JobsOfAnEarlierCallAreWaitedForOrCleared) {
    const WorkFolder folder(request_.workdir, 4);
    WriteFile(folder.Jobs(), "shards 7\nmerge 8\n");
    {
        // Shards still running: nothing is submitted.
        FakeScheduler scheduler;
        scheduler.queue["7"] = {{2, true}};
        scheduler.queue["8"] = {{0, false}};
        EXPECT_EQ(Run(scheduler), 1);
        EXPECT_TRUE(scheduler.submitted.empty());
        EXPECT_TRUE(scheduler.cancelled.empty());
        EXPECT_NE(err_.text().find("ジョブ 7 がまだ終わっていません"), std::string::npos) << err_.text();
    }
    {
        // A merge that waits for shards that have ended (and failed) would never start: it goes.
        FakeScheduler scheduler;
        scheduler.queue["8"] = {{0, false}};
        EXPECT_EQ(Run(scheduler), 0) << err_.text();
        EXPECT_EQ(scheduler.cancelled, std::vector<std::string>{"8"});
        EXPECT_EQ(scheduler.submitted.size(), 2u);
    }
    {
        // A merge running now is left to finish.
        WriteFile(folder.Jobs(), "shards -\nmerge 9\n");
        FakeScheduler scheduler;
        scheduler.queue["9"] = {{0, true}};
        EXPECT_EQ(Run(scheduler), 1);
        EXPECT_TRUE(scheduler.submitted.empty());
    }
}

TEST_F(ClusterRunTest, OnePointIsNotSentToTheCluster) {
    ProjectDocument doc = SevenPoints();
    doc.model.calcInfo.mode = kSinglePointMode;
    FakeScheduler scheduler;
    EXPECT_EQ(Run(scheduler, doc), 1);
    EXPECT_TRUE(scheduler.submitted.empty());
    EXPECT_EQ(err_.text(), std::string(kSinglePointNotSplit) + "\n");
}

TEST_F(ClusterRunTest, WaitingReportsAFailedShardWithItsLogAndDropsTheMerge) {
    request_.wait = true;
    const WorkFolder folder(request_.workdir, 4);
    FakeScheduler scheduler;
    scheduler.endings = {{1, "COMPLETED, exit code 0:0"}, {3, "FAILED, exit code 1:0"}};
    scheduler.onPoll = [&](int poll) {
        std::vector<QueuedTask>& tasks = scheduler.queue["101"];
        if (poll == 1) {
            for (QueuedTask& t : tasks)
                t.running = true;
        }
        if (poll == 2) {
            // Shards 1, 2 and 4 end with their parts, shard 3 without.
            tasks.clear();
            for (int k : {1, 2, 4})
                WriteFile(folder.Part(k), "part");
            std::string log;
            for (int line = 1; line <= 12; ++line)
                log += "line " + std::to_string(line) + "\n";
            WriteFile(folder.ShardLog(3), log + "パートファイルを置けません: …\n");
        }
    };
    EXPECT_EQ(Run(scheduler), 1);
    const std::string err = err_.text();
    EXPECT_NE(err.find("シャード 3/4 が失敗しました (FAILED, exit code 1:0): ログ " +
                       folder.ShardLog(3).string() + "\n    line 6\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("    line 12\n    パートファイルを置けません: …\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("line 5\n"), std::string::npos) << "more of the log than its end";
    EXPECT_EQ(err.find("シャード 1/4"), std::string::npos);
    EXPECT_EQ(scheduler.cancelled, std::vector<std::string>{"102"});
    // A shard out of the queue without a part counts as failed only a poll later (a shared folder
    // may show a new file late).
    EXPECT_EQ(scheduler.polls, 3);
}

TEST_F(ClusterRunTest, WaitingEndsWithTheMergedFilesOrTheMergeLog) {
    request_.wait = true;
    const WorkFolder folder(request_.workdir, 4);
    for (const char* status : {"0\n", "1\n"}) {
        SCOPED_TRACE(status);
        FakeScheduler scheduler;
        scheduler.onPoll = [&](int poll) {
            if (poll != 2) return;
            scheduler.queue["101"].clear();
            for (int k = 1; k <= 4; ++k)
                WriteFile(folder.Part(k), "part");
        };
        Capture out, err;
        ClusterIo io;
        io.out = out.file();
        io.err = err.file();
        io.now = [this] { return clock_; };
        io.sleepFor = [&](double s) {
            clock_ += s;
            // The merge runs once the shards are over.
            if (scheduler.polls >= 3 && scheduler.queue.count("102") != 0) {
                scheduler.queue.erase("102");
                WriteFile(folder.MergeStatus(), status);
                WriteFile(folder.MergeLog(), "結合しません: ファイルは書き込まれていません\n");
            }
        };
        const int code = RunCluster(request_, SevenPoints(), scheduler, io);
        if (std::string(status) == "0\n") {
            EXPECT_EQ(code, 0) << err.text();
            EXPECT_NE(out.text().find("結合しました:\n  " + request_.laeq->string() + "\n"),
                      std::string::npos)
                << out.text();
        } else {
            EXPECT_EQ(code, 1);
            EXPECT_NE(err.text().find("結合のジョブ 102 が失敗しました (終了コード 1): ログ " +
                                      folder.MergeLog().string() + "\n    結合しません"),
                      std::string::npos)
                << err.text();
        }
        fs::remove_all(request_.workdir);
    }
}

// ---- The batch scripts, run by the shell ----

// Runs `script` with sh in `env` and returns the arguments that the fake kelmora-calc received, one
// per line.
std::string RunScript(const fs::path& script, const std::string& env, const fs::path& argsFile) {
    fs::remove(argsFile);
    const ProgramResult r = RunProgram({"sh", "-c", env + " sh \"$0\"", script.string()});
    EXPECT_TRUE(r.started);
    std::ifstream in(argsFile);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST_F(ClusterRunTest, TheBatchScriptsPassEveryPathWholeToKelmoraCalc) {
    // Paths with a space, quotes and a dollar sign in them, which the shell must not touch.
    const fs::path odd = dir_ / "it's a \"work\" $HOME";
    request_.workdir = odd / "work";
    request_.breakdown = odd / "out put.csv";
    request_.laeq = odd / "la eq.txt";
    request_.lamax = std::nullopt;
    request_.matrix = true;
    request_.calc = odd / "fake calc";
    const fs::path args = dir_ / "args";
    // The fake kelmora-calc writes its arguments one per line and fails when asked to.
    WriteFile(request_.calc, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >'" + args.string() +
                                 "'\nexit ${FAKE_STATUS:-0}\n");
    fs::permissions(request_.calc, fs::perms::owner_all);
    FakeScheduler scheduler;
    ASSERT_EQ(Run(scheduler), 0) << err_.text();
    const WorkFolder folder(request_.workdir, 4);

    const std::string shard =
        RunScript(folder.ShardScript(), "SLURM_ARRAY_TASK_ID=3 SLURM_CPUS_PER_TASK=6", args);
    EXPECT_EQ(shard, "run\n" + folder.Project().string() + "\n--shard\n3/4\n--part\n" +
                         folder.Part(3).string() + "\n--threads\n6\n--with-breakdown\n");

    for (int k : {2, 1, 4, 3})
        WriteFile(folder.Part(k), "part");
    WriteFile(folder.PartsFolder() / "part-1-of-5.kpart", "a part of another split");
    const std::string merge = RunScript(folder.MergeScript(), "FAKE_STATUS=3", args);
    EXPECT_EQ(merge, "merge\n" + folder.Project().string() + "\n" + folder.Part(1).string() + "\n" +
                         folder.Part(2).string() + "\n" + folder.Part(3).string() + "\n" +
                         folder.Part(4).string() + "\n--breakdown\n" + request_.breakdown->string() +
                         "\n--laeq\n" + request_.laeq->string() + "\n--matrix\n--quiet\n");
    std::ifstream status(folder.MergeStatus());
    int code = -1;
    status >> code;
    EXPECT_EQ(code, 3);

    // The log names are in the directives, with the quotes and the file name patterns' '%' escaped.
    std::ifstream script(folder.ShardScript());
    const std::string text((std::istreambuf_iterator<char>(script)), {});
    const std::string logs = folder.LogsFolder().string();
    std::string quoted;
    for (char c : logs) {
        if (c == '"') quoted += '\\';
        quoted += c;
    }
    EXPECT_NE(text.find("#SBATCH --output=\"" + quoted + "/shard-\"%a.log\n"), std::string::npos) << text;
}

TEST(ClusterScripts, ArraySpecJoinsRuns) {
    EXPECT_EQ(ArraySpec({1, 2, 3, 4}), "1-4");
    EXPECT_EQ(ArraySpec({3}), "3");
    EXPECT_EQ(ArraySpec({1, 3, 4, 5, 9, 10}), "1,3-5,9-10");
}

// ---- Values and commands that would break the scripts or the command ----

// A line break or another control character in a value of an #SBATCH line would end the directive and
// put the rest into the script as shell lines: refused before anything is written or submitted.
TEST_F(ClusterRunTest, ControlCharactersInDirectiveValuesAreRefused) {
    const struct {
        const char* what;
        std::function<void(ClusterRequest&)> set;
        std::string message;
    } cases[] = {
        {"partition", [](ClusterRequest& r) { r.partition = "debug\necho owned"; },
         "--partition に制御文字 (改行など) は使えません"},
        {"time", [](ClusterRequest& r) { r.time = "1:00:00\r"; },
         "--time に制御文字 (改行など) は使えません"},
        {"memory", [](ClusterRequest& r) { r.memory = std::string("4G\0x", 4); },
         "--mem に制御文字 (改行など) は使えません"},
        {"work folder", [&](ClusterRequest& r) { r.workdir = dir_ / "work\n#SBATCH --uid=0"; },
         "作業フォルダの名前に制御文字 (改行など) は使えません: " +
             (dir_ / "work\n#SBATCH --uid=0").string()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ClusterRequest kept = request_;
        c.set(request_);
        FakeScheduler scheduler;
        Capture err;
        ClusterIo io;
        io.err = err.file();
        EXPECT_EQ(RunCluster(request_, SevenPoints(), scheduler, io), 1);
        EXPECT_EQ(err.text(), c.message + "\n");
        EXPECT_TRUE(scheduler.submitted.empty());
        request_ = kept;
    }
    EXPECT_TRUE(fs::is_empty(dir_));
    // Spaces and quotes are no control characters: quoted in the directive.
    request_.partition = "long \"queue\"";
    FakeScheduler scheduler;
    ASSERT_EQ(Run(scheduler), 0) << err_.text();
    std::ifstream script(WorkFolder(request_.workdir, 4).ShardScript());
    const std::string text((std::istreambuf_iterator<char>(script)), {});
    EXPECT_NE(text.find("#SBATCH --partition=\"long \\\"queue\\\"\"\n"), std::string::npos) << text;
}

// Slurm's commands as a test puts them on PATH: a folder of shell scripts.
class FakeSlurmCommands {
public:
    explicit FakeSlurmCommands(const fs::path& folder) : folder_(folder), path_(std::getenv("PATH")) {
        fs::create_directories(folder_);
        setenv("PATH", (folder_.string() + ":" + path_).c_str(), 1);
    }
    ~FakeSlurmCommands() { setenv("PATH", path_.c_str(), 1); }
    FakeSlurmCommands(const FakeSlurmCommands&) = delete;
    FakeSlurmCommands& operator=(const FakeSlurmCommands&) = delete;

    void Put(const std::string& name, const std::string& body) {
        const fs::path script = folder_ / name;
        std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(script, fs::perms::owner_all);
    }

private:
    fs::path folder_;
    std::string path_;
};

// An sbatch that never returns, one that floods its output, a squeue and a sacct that print warnings
// beside (or instead of) their lines: each call ends within its limits, and only the lines of the form
// asked for count.
TEST_F(ClusterRunTest, SlurmCommandsThatHangFloodOrWarnAreBounded) {
    FakeSlurmCommands commands(dir_ / "bin");
    CSlurm slurm({0.5, 1 << 20});
    const auto refusal = [&](const SubmitRequest& r) -> std::string {
        try {
            slurm.Submit(r);
            return "";
        } catch (const SchedulerError& e) {
            return e.what();
        }
    };
    const auto start = std::chrono::steady_clock::now();
    commands.Put("sbatch", "sleep 1000");
    EXPECT_EQ(refusal({dir_ / "s.sbatch", "1-4", ""}), "sbatch が 0.5 秒たっても終わらないので止めました");
    commands.Put("sbatch", "exec cat /dev/zero");
    EXPECT_EQ(refusal({dir_ / "s.sbatch", "1-4", ""}),
              "sbatch の出力が多すぎる (1048576 バイトを超えた) ので止めました");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
    commands.Put("sbatch", "echo 'sbatch: warning: the partition is busy'; echo '77;cluster'");
    EXPECT_EQ(slurm.Submit({dir_ / "s.sbatch", "1-4", ""}), "77");

    commands.Put("squeue",
                 "echo 'squeue: warning: slurmctld is slow to answer'\n"
                 "echo 'NOTE: some words with spaces'\necho '77|2|R'\necho '78|3|R'");
    const std::vector<QueuedTask> queued = slurm.Queued("77");
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].arrayTask, 2);
    commands.Put("squeue", "echo 'squeue: warning: slurmctld is slow to answer'");
    EXPECT_TRUE(slurm.Queued("77").empty()) << "a warning is no running task";
    commands.Put("sacct", "echo 'sacct: warning: no accounting'\necho '77_2|FAILED|1:0'");
    EXPECT_EQ(slurm.Endings("77"), (std::map<int, std::string>{{2, "FAILED, exit code 1:0"}}));
}

// With --wait and a squeue that prints nothing but warnings, the shards are found out of the queue
// without parts: the command reports them as failed instead of waiting for ever.
TEST_F(ClusterRunTest, WaitingOnAQueueThatOnlyWarnsEnds) {
    FakeSlurmCommands commands(dir_ / "bin");
    commands.Put("sbatch", "echo $$");
    commands.Put("squeue", "echo 'squeue: warning: the controller is being upgraded, some words'");
    commands.Put("sacct", "exit 1");
    commands.Put("scontrol", "exit 1");
    commands.Put("scancel", "exit 0");
    request_.wait = true;
    CSlurm slurm({5.0, 1 << 20});
    ClusterIo io;
    io.out = out_.file();
    io.err = err_.file();
    io.sleepFor = [](double) {};
    EXPECT_EQ(RunCluster(request_, SevenPoints(), slurm, io), 1);
    EXPECT_NE(err_.text().find("シャード 1/4 が失敗しました"), std::string::npos) << err_.text();
}

// ---- What Slurm prints ----

TEST(SlurmOutput, SubmittedJobIds) {
    EXPECT_EQ(ParseSubmittedJobId("4711\n"), "4711");
    EXPECT_EQ(ParseSubmittedJobId("4711;cluster-a\n"), "4711");
    EXPECT_EQ(ParseSubmittedJobId("sbatch: warning: the partition is nearly full\n4711\n"), "4711");
    EXPECT_EQ(ParseSubmittedJobId("sbatch: error: Batch job submission failed\n"), "");
    EXPECT_EQ(ParseSubmittedJobId(""), "");
}

TEST(SlurmOutput, QueuedTasksOfTheJobOnly) {
    // squeue --noheader --array --format=%F|%K|%t: pending and running array tasks, a job that is no
    // array, and lines that are not of that form or of another job, passed over.
    const std::vector<QueuedTask> tasks = ParseQueuedTasks(
        "12|3|PD\n12|4|PD\n12|1|R\n12|2|CG\n12|N/A|PD\n\n"
        "squeue: warning: the controller is busy, retrying\n13|5|R\nsome words|R\n12|x|R\n",
        "12");
    ASSERT_EQ(tasks.size(), 5u);
    EXPECT_EQ(tasks[0].arrayTask, 3);
    EXPECT_FALSE(tasks[0].running);
    EXPECT_EQ(tasks[2].arrayTask, 1);
    EXPECT_TRUE(tasks[2].running);
    EXPECT_TRUE(tasks[3].running);  // completing: still in the queue
    EXPECT_EQ(tasks[4].arrayTask, 0);
    EXPECT_TRUE(ParseQueuedTasks("", "12").empty());
    EXPECT_TRUE(ParseQueuedTasks("NOTE: the job is old\n", "12").empty());
}

TEST(SlurmOutput, EndingsFromAccountingOrFromTheController) {
    const std::map<int, std::string> accounted = ParseAccountedEndings(
        "12_1|COMPLETED|0:0\n12_3|FAILED|1:0\n12_4|CANCELLED by 0|0:15\n12|PENDING|0:0\n"
        "sacct: warning: accounting storage is slow\n120_5|FAILED|1:0\n12_6|FAILED|x\n",
        "12");
    EXPECT_EQ(accounted, (std::map<int, std::string>{{1, "COMPLETED, exit code 0:0"},
                                                     {3, "FAILED, exit code 1:0"},
                                                     {4, "CANCELLED, exit code 0:15"}}));
    const std::map<int, std::string> control = ParseControlEndings(
        "JobId=15 ArrayJobId=12 ArrayTaskId=3 JobName=kelmora-shard UserId=root(0) JobState=FAILED "
        "Reason=NonZeroExitCode "
        "Dependency=(null) ExitCode=1:0\n"
        "JobId=13 ArrayJobId=12 ArrayTaskId=1 JobName=kelmora-shard JobState=COMPLETED Reason=None "
        "ExitCode=0:0\n"
        "JobId=21 ArrayJobId=20 ArrayTaskId=2 JobState=FAILED ExitCode=1:0\n",
        "12");
    EXPECT_EQ(control,
              (std::map<int, std::string>{{1, "COMPLETED, exit code 0:0"}, {3, "FAILED, exit code 1:0"}}));
}

}  // namespace
}  // namespace kelmora::cli
