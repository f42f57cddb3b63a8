#include "calc/LongJob.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <new>
#include <stdexcept>
#include <thread>

#include "FakeRunHost.h"
#include "calc/LongJobTexts.h"

namespace kelmora {
namespace {

// A job whose body is given by the test.
class ScriptedJob : public CLongJob {
public:
    explicit ScriptedJob(std::function<void(ScriptedJob&)> body) : body_(std::move(body)) {}
    ~ScriptedJob() override { Join(); }
    void Run() override { body_(*this); }

private:
    std::function<void(ScriptedJob&)> body_;
};

TEST(LongJob, ReportsProgressThenNormalEnd) {
    FakeRunHost host;
    ScriptedJob job([](ScriptedJob& j) {
        for (int m = 1; m <= 3; ++m)
            j.PostProgress(m, 3);
        EXPECT_TRUE(j.PostEnd(kJobNormalEnd));
    });
    job.RunHere(host);
    EXPECT_EQ(host.progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    EXPECT_EQ(job.state(), kJobNormalEnd);
}

TEST(LongJob, NormalEndAfterCancelRequestReportsCancel) {
    FakeRunHost host;
    ScriptedJob job([](ScriptedJob& j) {
        j.RequestCancel();
        EXPECT_FALSE(j.PostEnd(kJobNormalEnd));
    });
    job.RunHere(host);
    EXPECT_EQ(host.ends, std::vector<int>{kJobCancelled});
    EXPECT_EQ(job.state(), kJobCancelled);
}

// Once a job replaces its output files it runs to its end: a cancel that comes then, or came just
// before, neither stops the writing nor reports a cancel of files that were written; the next run
// hears cancels again.
TEST(LongJob, ACommittingJobIgnoresCancelUntilItsNextRun) {
    FakeRunHost host;
    int run = 0;
    ScriptedJob job([&run](ScriptedJob& j) {
        j.RequestCancel();
        if (++run == 1) {
            j.BeginCommit();
            EXPECT_NO_THROW(j.ThrowIfCancelled());
            j.RequestCancel();
            EXPECT_TRUE(j.PostEnd(kJobNormalEnd));
        } else {
            j.ThrowIfCancelled();
            ADD_FAILURE() << "the second run did not hear its cancel";
        }
    });
    job.RunHere(host);
    job.RunHere(host);
    EXPECT_EQ(host.ends, (std::vector<int>{kJobNormalEnd, kJobCancelled}));
}

TEST(LongJob, EscapingExceptionsStillEndTheRun) {
    const struct {
        std::function<void(ScriptedJob&)> body;
        int end;
        const char* errorText;
    } cases[] = {
        {[](ScriptedJob& j) {
             j.RequestCancel();
             j.ThrowIfCancelled();
         },
         kJobCancelled, ""},
        {[](ScriptedJob&) { throw std::runtime_error("論理エラー SP交点"); }, kJobError, "論理エラー SP交点"},
        {[](ScriptedJob& j) {
             j.SetErrorText("出力テキストファイルオープンエラー\n(a.csv)");
             throw std::runtime_error("later");
         },
         kJobError, "出力テキストファイルオープンエラー\n(a.csv)"},
        {[](ScriptedJob&) { throw 42; }, kJobError, ""},
        {[](ScriptedJob&) { throw std::bad_alloc(); }, kJobError, "メモリが足りません"},
    };
    for (const auto& c : cases) {
        FakeRunHost host;
        ScriptedJob job(c.body);
        job.RunHere(host);
        EXPECT_EQ(host.ends, std::vector<int>{c.end});
        EXPECT_EQ(job.errorText(), c.errorText);
    }
}

TEST(LongJob, FirstWriteErrorIsTheOneKept) {
    FakeRunHost host;
    ScriptedJob job([](ScriptedJob& j) {
        j.ReportWriteError("テキストファイル出力失敗!");
        j.ReportWriteError("second");
        EXPECT_TRUE(j.errorReported());
        j.PostEnd(kJobError);
    });
    job.RunHere(host);
    EXPECT_EQ(job.errorText(), "テキストファイル出力失敗!");
    EXPECT_EQ(host.ends, std::vector<int>{kJobError});
}

TEST(LongJob, WorkerThreadStopsOnCancelAndCanRunAgain) {
    FakeRunHost host;
    std::atomic<bool> started = false;
    ScriptedJob job([&](ScriptedJob& j) {
        started = true;
        for (;;) {
            j.ThrowIfCancelled();
            std::this_thread::yield();
        }
    });
    ASSERT_TRUE(job.Start(host));
    while (!started)
        std::this_thread::yield();
    EXPECT_FALSE(job.Start(host)) << "a running job is not started twice";
    job.RequestCancel();
    EXPECT_EQ(host.WaitForEnd(), kJobCancelled);

    // A new run starts from a clean state: the cancel request of the last one is gone.
    FakeRunHost second;
    started = false;
    ASSERT_TRUE(job.Start(second));
    while (!started)
        std::this_thread::yield();
    EXPECT_FALSE(job.cancelRequested());
    job.RequestCancel();
    EXPECT_EQ(second.WaitForEnd(), kJobCancelled);
    job.Join();
}

TEST(LongJobTexts, ProgressAndFinalMessages) {
    EXPECT_EQ(ProgressText(3, 10), "3 / 10 処理中");
    EXPECT_EQ(ProgressText(7, 0), "処理中(7)");
    EXPECT_EQ(EndStatusText(kJobCancelled), "キャンセル");
    EXPECT_EQ(EndStatusText(kJobNormalEnd), "終了");
    EXPECT_EQ(EndStatusText(kJobError), "エラー発生");
    EXPECT_EQ(EndStatusText(0), "エラー発生");

    const struct {
        int result;
        const char* text;  // nullptr: no message
        MessageIcon icon;
    } cases[] = {
        {kJobNormalEnd, "処理正常終了しました.", MessageIcon::kInformation},
        {kJobCancelled, "キャンセルしました.", MessageIcon::kInformation},
        {kJobError, "エラー発生.\nテキストファイル出力失敗!", MessageIcon::kError},
        {kJobStartFailure, "エラー発生.\nテキストファイル出力失敗!", MessageIcon::kError},
        {0, "リターン値エラー.", MessageIcon::kError},
        {5, nullptr, MessageIcon::kInformation},
    };
    for (const auto& c : cases) {
        const auto message = FinalMessageFor(c.result, "テキストファイル出力失敗!");
        ASSERT_EQ(message.has_value(), c.text != nullptr) << c.result;
        if (!message) continue;
        EXPECT_EQ(message->text, c.text);
        EXPECT_EQ(message->icon, c.icon);
    }
}

}  // namespace
}  // namespace kelmora
