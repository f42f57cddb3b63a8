// Every input file of every command given as a pipe that nobody writes, and as a sparse file far
// larger than any real one: each is refused at once with a message naming it (exit 1), never waited
// for or read to its end. A background picture named by the project that is a pipe leaves the plan
// without its picture.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CalcProcess.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using testing::CalcProcess;
using testing::Outcome;
using testing::WriteBytes;

class CommandInputs : public CalcProcess {
protected:
    void SetUp() override {
        CalcProcess::SetUp();
        fifo_ = folder_ / "pipe";
        ASSERT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
        huge_ = folder_ / "huge";
        WriteBytes(huge_, "KELMPART");
        fs::resize_file(huge_, std::uintmax_t{4} << 30);
    }

    // Runs the command with "IN" in its arguments replaced by `input`; it must end within 20 s.
    Outcome WithInput(std::vector<std::string> args, const fs::path& input) {
        for (std::string& a : args)
            if (a == "IN") a = input.string();
        const Outcome outcome = Calc(args, {.timeoutSeconds = 20});
        EXPECT_FALSE(outcome.hung) << "waited for " << input;
        return outcome;
    }

    fs::path fifo_;
    fs::path huge_;
};

TEST_F(CommandInputs, PipesAndHugeFilesAreRefusedByEveryCommand) {
    const fs::path grid = Project("grid.kel", [](CNoise& m) {
        m.calcInfo.mode = kHorizontalGridMode;
        m.calcInfo.rowDivisions = 1;
        m.calcInfo.columnDivisions = 1;
        m.calcInfo.gridPoints = {CPredictivePoint({5, 5, 1.5}), CPredictivePoint({5, 10, 1.5}),
                                 CPredictivePoint({10, 5, 1.5}), CPredictivePoint({10, 10, 1.5})};
    });
    const std::string results = (folder_ / "laeq.txt").string();
    ASSERT_EQ(Calc({"run", grid.string(), "--laeq", results, "--quiet"}).status, 0);
    const std::string project = grid.string();
    const std::string projectRefused = "ドキュメントを開くことに失敗しました。 (IN: ";
    const struct {
        std::vector<std::string> args;
        std::string pipeMessage;  // "IN" stands for the file's name; the reason follows
        std::string hugeMessage;
    } commands[] = {
        {{"run", "IN", "--quiet"},
         projectRefused + "通常のファイルではありません)",
         projectRefused + "ファイルが大きすぎます)"},
        {{"dump", "IN"},
         projectRefused + "通常のファイルではありません)",
         projectRefused + "ファイルが大きすぎます)"},
        {{"render", "IN", "-o", (folder_ / "plan.png").string()},
         projectRefused + "通常のファイルではありません)",
         projectRefused + "ファイルが大きすぎます)"},
        {{"merge", "IN", (folder_ / "part").string()},
         projectRefused + "通常のファイルではありません)",
         projectRefused + "ファイルが大きすぎます)"},
        {{"cluster", "IN", "--shards", "2", "--workdir", (folder_ / "work").string()},
         projectRefused + "通常のファイルではありません)",
         projectRefused + "ファイルが大きすぎます)"},
        {{"load", "IN", "-o", (folder_ / "loaded.kel").string()},
         "JSON ファイルを読めません: IN (通常のファイルではありません)",
         "JSON ファイルを読めません: IN (ファイルが大きすぎます)"},
        {{"spectrum", "IN"}, "入力時にエラーが発生しました. (IN)", "入力時にエラーが発生しました. (IN)"},
        {{"map", project, "--results", "IN", "-o", (folder_ / "m.png").string()},
         "結果ファイルを開けません: IN (通常のファイルではありません)",
         "結果ファイルが大きすぎます: IN"},
        {{"map", project, "--results", results, "--minus", "IN", "-o", (folder_ / "m.png").string()},
         "結果ファイルを開けません: IN (通常のファイルではありません)",
         "結果ファイルが大きすぎます: IN"},
        {{"merge", project, "IN"},
         "IN: パートファイルを開けません (通常のファイルではありません)",
         "IN: パートファイルの形式 0 は読めません"},
    };
    const auto expected = [](std::string message, const fs::path& input) {
        for (std::size_t at; (at = message.find("IN")) != std::string::npos;)
            message.replace(at, 2, input.string());
        return message;
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const Outcome piped = WithInput(c.args, fifo_);
        EXPECT_EQ(piped.status, 1);
        EXPECT_NE(piped.err.find(expected(c.pipeMessage, fifo_)), std::string::npos) << piped.err;
        const Outcome huge = WithInput(c.args, huge_);
        EXPECT_EQ(huge.status, 1);
        EXPECT_NE(huge.err.find(expected(c.hugeMessage, huge_)), std::string::npos) << huge.err;
    }
    EXPECT_TRUE(fs::is_fifo(fifo_));
    EXPECT_FALSE(fs::exists(folder_ / "plan.png") || fs::exists(folder_ / "m.png") ||
                 fs::exists(folder_ / "loaded.kel") || fs::exists(folder_ / "work"));
}

TEST_F(CommandInputs, ABackgroundPictureThatIsAPipeLeavesThePlanWithoutIt) {
    ProjectDocument doc = NewProjectDocument();
    doc.viewRecords[0].viewData.imagePath = fifo_.string();
    const fs::path project = folder_ / "with-picture.kel";
    SaveProjectFile(project, doc);
    const Outcome render = WithInput({"render", "IN", "-o", (folder_ / "plan.png").string()}, project);
    EXPECT_EQ(render.status, 0) << render.err;
    EXPECT_NE(render.out.find("picture no"), std::string::npos) << render.out;
}

}  // namespace
}  // namespace kelmora
