#include "cli/CliRunHost.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "CaptureStream.h"

namespace kelmora::cli {
namespace {

using testing::Capture;

class IdleJob : public CLongJob {
public:
    void Run() override {}
};

// A job whose body is given by the test.
class ScriptedJob : public CLongJob {
public:
    explicit ScriptedJob(std::function<void(ScriptedJob&)> body) : body_(std::move(body)) {}
    void Run() override { body_(*this); }

private:
    std::function<void(ScriptedJob&)> body_;
};

struct HostFixture {
    Capture out;
    Capture err;
    double now = 100.0;
    CCliRunHost host;

    explicit HostFixture(CliRunChoices choices, bool terminal = false)
        : host(std::move(choices), {out.file(), err.file(), terminal, [this] { return now; }}) {}
};

TEST(CliRunHost, FilesAndFormFromTheCommandLine) {
    CliRunChoices choices;
    choices.breakdownFile = "out/内訳.csv";
    choices.maximumFile = "out/lamax.txt";
    HostFixture f(choices);
    EXPECT_EQ(f.host.ChooseOutputFile(FileRequestFor(OutputFile::Breakdown)), "out/内訳.csv");
    // An option that was not given is a cancelled dialog: the file is skipped.
    EXPECT_EQ(f.host.ChooseOutputFile(FileRequestFor(OutputFile::AverageResult)), std::nullopt);
    EXPECT_EQ(f.host.ChooseOutputFile(FileRequestFor(OutputFile::MaximumResult)), "out/lamax.txt");
    EXPECT_TRUE(f.host.AskXyzForm(OutputFile::AverageResult, "?"));

    choices.matrix = true;
    HostFixture matrix(choices);
    EXPECT_FALSE(matrix.host.AskXyzForm(OutputFile::MaximumResult, "?"));  // "No": matrix form
}

TEST(CliRunHost, ChoicesFromTheOptions) {
    const struct {
        const char* args;
        CliRunChoices expected;
    } cases[] = {
        {"", {}},
        {"--breakdown b.csv --laeq eq.txt --lamax max.txt --matrix --quiet",
         {"b.csv", "eq.txt", "max.txt", true, true}},
        {"--lamax max.txt", {std::nullopt, std::nullopt, "max.txt", false, false}},
    };
    for (const auto& c : cases) {
        CLI::App app;
        CliRunChoices choices;
        AddRunChoiceOptions(app, choices);
        app.parse(c.args, false);
        EXPECT_EQ(choices.breakdownFile, c.expected.breakdownFile) << c.args;
        EXPECT_EQ(choices.averageFile, c.expected.averageFile) << c.args;
        EXPECT_EQ(choices.maximumFile, c.expected.maximumFile) << c.args;
        EXPECT_EQ(choices.matrix, c.expected.matrix) << c.args;
        EXPECT_EQ(choices.quiet, c.expected.quiet) << c.args;
    }
}

TEST(CliRunHost, MessagesToStdoutWarningsToStderr) {
    HostFixture f({});
    f.host.ShowMessage("予測点の等価騒音レベルは52.3[dB]です", MessageIcon::kInformation);
    f.host.ShowMessage("論理エラー SP交点", MessageIcon::kWarning);
    EXPECT_EQ(f.out.text(), "予測点の等価騒音レベルは52.3[dB]です\n");
    EXPECT_EQ(f.err.text(), "論理エラー SP交点\n");
}

TEST(CliRunHost, ProgressWithoutATerminalIsOnePlainLinePerItem) {
    HostFixture f({});
    f.host.ReportProgress(1, 3);
    f.host.ReportProgress(2, 3);
    f.host.ReportProgress(3, 3);
    f.host.ReportEnd(kJobNormalEnd);
    EXPECT_EQ(f.err.text(), "1 / 3 処理中\n2 / 3 処理中\n3 / 3 処理中\n");
    EXPECT_EQ(f.out.text(), "");

    CliRunChoices quiet;
    quiet.quiet = true;
    for (bool terminal : {false, true}) {
        HostFixture q(quiet, terminal);
        q.host.ReportProgress(1, 3);
        q.host.ReportEnd(kJobNormalEnd);
        EXPECT_EQ(q.err.text(), "") << terminal;
    }
}

TEST(CliRunHost, ProgressOnATerminalIsOneLineRedrawnInPlace) {
    HostFixture f({}, true);
    f.host.ReportProgress(1, 4);
    f.now += 0.05;  // too soon for a redraw
    f.host.ReportProgress(2, 4);
    f.now = 110.0;
    f.host.ReportProgress(3, 4);
    f.now = 110.01;  // the last item is always shown
    f.host.ReportProgress(4, 4);
    f.host.ShowMessage("done", MessageIcon::kInformation);  // the line is taken away first
    f.host.ReportEnd(kJobNormalEnd);
    EXPECT_EQ(f.err.text(),
              "\r1 / 4 処理中 [--------------------]   0%\x1b[K"
              "\r3 / 4 処理中 [##########----------]  50% 残り約 0:10\x1b[K"
              "\r4 / 4 処理中 [###############-----]  75% 残り約 0:04\x1b[K"
              "\r\x1b[K");
    EXPECT_EQ(f.out.text(), "done\n");
}

TEST(CliRunHost, FinishReportsTheEndAndGivesTheExitStatus) {
    const struct {
        int end;
        const char* errorText;
        int status;
        const char* stderrText;
    } cases[] = {
        {kJobNormalEnd, "", 0, ""},
        {kJobCancelled, "", 130, "キャンセルしました.\n"},
        // A message box's two lines on one line of the terminal.
        {kJobError, "出力テキストファイルオープンエラー\n(out/x.csv)", 1,
         "出力テキストファイルオープンエラー (out/x.csv)\n"},
        {kJobError, "", 1, "エラー発生\n"},
        {0, "", 1, "エラー発生\n"},  // the job never reported its end
    };
    for (const auto& c : cases) {
        HostFixture f({});
        IdleJob job;
        job.SetErrorText(c.errorText);
        if (c.end != 0) f.host.ReportEnd(c.end);
        EXPECT_EQ(f.host.Finish(job), c.status) << c.end;
        EXPECT_EQ(f.err.text(), c.stderrText) << c.end;
        EXPECT_EQ(ExitStatusFor(c.end), c.status);
    }
}

TEST(RunJobFromCommandLine, CtrlCEndsTheRunAtItsNextWriteWithStatus130) {
    const struct {
        bool interrupt;
        int status;
        const char* stderrText;
    } cases[] = {{false, 0, "1 / 3 処理中\n2 / 3 処理中\n3 / 3 処理中\n"},
                 {true, 130, "1 / 3 処理中\n2 / 3 処理中\nキャンセルしました.\n"}};
    for (const auto& c : cases) {
        Capture out;
        Capture err;
        int pointsDone = 0;
        ScriptedJob job([&](ScriptedJob& j) {
            for (int m = 1; m <= 3; ++m) {
                j.PostProgress(m, 3);
                if (c.interrupt && m == 2) std::raise(SIGINT);
                j.ThrowIfCancelled();  // as every breakdown line does
                ++pointsDone;
            }
            j.PostEnd(kJobNormalEnd);
        });
        EXPECT_EQ(RunJobFromCommandLine(job, {}, {out.file(), err.file(), false, {}}), c.status);
        EXPECT_EQ(pointsDone, c.interrupt ? 1 : 3);
        EXPECT_EQ(err.text(), c.stderrText);
    }
}

}  // namespace
}  // namespace kelmora::cli
