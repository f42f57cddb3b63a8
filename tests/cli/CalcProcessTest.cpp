// kelmora-calc driven as a user drives it: a separate process with arguments, exit status, standard
// output and error, and the files it leaves. The levels expected are worked out by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CalcProcess.h"
#include "calc/EngineVersion.h"
#include "calc/TransferCache.h"
#include "model/persistence/TextCodec.h"
#include "propagation/SceneFixtures.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using testing::CalcProcess;
using testing::Outcome;
using testing::Slurp;

// 10 m from the source: 100 + 10·log10 21 + 10·log10 2 − 11 − 20 = 85.23 dB, of which the air takes
// 0.06 dB (20 °C, 60 %: 0.26 dB in the 4 kHz band, 0.38 dB in the 5 kHz band, less below): 85.17 dB.
// LAmax 10 dB more.
TEST_F(CalcProcess, RunShowsTheSinglePointsLevels) {
    const Outcome run = Calc({"run", Project("one.kel").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "予測点の等価騒音レベルは85.2[dB]です\n予測点の最大騒音レベルは95.2[dB]です\n");
}

// A list of two points at 10 m and 20 m (79.21 dB less 0.13 dB of air): the X Y Z result files in CP932 with
// CR LF, the breakdown, nothing else left in the folder; a result file that cannot be opened ends with status
// 1 and its message, the files of the earlier run untouched.
TEST_F(CalcProcess, RunWritesTheFilesOfAList) {
    const fs::path project = Project("list.kel", [](CNoise& m) {
        m.calcInfo.mode = kPointListMode;
        m.calcInfo.pointList = {CPredictivePoint({10, 0, 1.5}), CPredictivePoint({0, 20, 1.5})};
    });
    const std::string laeq = (folder_ / "laeq.txt").string();
    const std::string breakdown = (folder_ / "breakdown.csv").string();
    const Outcome run = Calc({"run", project.string(), "--quiet", "--breakdown", breakdown, "--laeq", laeq});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Cp932ToUtf8(Slurp(laeq)),
              "# 予測点X[m] Y[m] 等価騒音レベルLAeqT[dB] 予測点Z[m]\r\n"
              " 10.000 0.000 85.2 1.500\r\n"
              " 0.000 20.000 79.1 1.500\r\n");
    const std::string text = Cp932ToUtf8(Slurp(breakdown));
    EXPECT_NE(text.find("★予測点(2/2), X[m]→, 0.000, Y[m]→, 20.000, Z[m]→, 1.500\r\n"), std::string::npos);
    EXPECT_EQ(Names(), (std::vector<std::string>{"breakdown.csv", "laeq.txt", "list.kel"}));

    const std::string before = Slurp(breakdown);
    const std::string missing = (folder_ / "missing" / "lamax.txt").string();
    const Outcome failed = Calc({"run", project.string(), "--quiet", "--laeq", laeq, "--lamax", missing});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "最大騒音レベル計算結果出力テキストファイルオープンエラー (" + missing + ")\n");
    EXPECT_EQ(Slurp(breakdown), before);
}

// Values no dialog accepts, and output that cannot reach the standard output: status 1 and a message.
TEST_F(CalcProcess, RunRefusesWhatItCannotDo) {
    const Outcome huge =
        Calc({"run", Project("bad.kel", [](CNoise& m) { m.maxReflections = 858993459; }).string()});
    EXPECT_EQ(huge.status, 1);
    EXPECT_EQ(huge.out, "");
    EXPECT_EQ(huge.err, "計算条件 の maxReflections が範囲外です: 858993459（0 から 100 まで）\n");

    const Outcome full = Calc({"run", Project("one.kel").string()}, {.stdoutPath = "/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "標準出力に書き込めません\n");
}

// A JSON text without end, or nested without bound: status 1 and a message, no project written.
TEST_F(CalcProcess, LoadRefusesEndlessOrBottomlessJson) {
    const std::string kel = (folder_ / "never.kel").string();
    const Outcome endless = Calc({"load", "/dev/zero", "-o", kel});
    EXPECT_EQ(endless.status, 1);
    EXPECT_EQ(endless.err, "JSON ファイルを読めません: /dev/zero (通常のファイルではありません)\n");
    const fs::path deep = folder_ / "deep.json";
    std::ofstream(deep) << std::string(100000, '[') << std::string(100000, ']');
    const Outcome bottomless = Calc({"load", deep.string(), "-o", kel});
    EXPECT_EQ(bottomless.status, 1);
    EXPECT_EQ(bottomless.err,
              deep.string() + ": (JSON 全体): JSON の入れ子が深すぎます（1024 段まで）: 行 1, 列 1025\n");
    EXPECT_FALSE(fs::exists(kel));
}

// Ctrl+C during a search over up to 100 reflections between three buildings ends the run at once (sent
// after two seconds, so that a loaded machine has started the program and its handler by then).
TEST_F(CalcProcess, InterruptEndsALongRun) {
    const fs::path project = Project("long.kel", [](CNoise& m) {
        m.buildings = {fixtures::BoxBuilding(-10, 4, 10, 10, 8.0),
                       fixtures::BoxBuilding(-10, -10, 10, -4, 8.0),
                       fixtures::BoxBuilding(12, -10, 20, 10, 8.0)};
        m.outdoorSources[0].position = {-5, 0, 1.5};
        m.calcInfo.singlePoint.position = {5, 0, 1.5};
        m.maxReflections = 100;
    });
    const auto start = std::chrono::steady_clock::now();
    const Outcome run = Calc({"run", project.string(), "--quiet"}, {.interruptAfterMs = 2000});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.err, "キャンセルしました.\n");
    EXPECT_LT(seconds, 10.0);
}

// The plan as a PNG of 500 × 300 pixels (a new window's picture area); on a disk that fills up the
// previous picture stays whole and nothing else is left beside it.
TEST_F(CalcProcess, RenderWritesAWholePictureOrNone) {
    const fs::path project = Project("plan.kel");
    const std::string png = (folder_ / "plan.png").string();
    const Outcome render = Calc({"render", project.string(), "-o", png});
    EXPECT_EQ(render.status, 0) << render.err;
    const std::string bytes = Slurp(png);
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(bytes.substr(16, 8), std::string("\0\0\x01\xf4\0\0\x01\x2c", 8));  // IHDR width, height
    EXPECT_EQ(render.out.rfind(png + ": 500 x 300 px", 0), 0u) << render.out;

    // The picture is written, but what the command prints is lost.
    const Outcome lost = Calc({"render", project.string(), "-o", png}, {.stdoutPath = "/dev/full"});
    EXPECT_EQ(lost.status, 1);
    EXPECT_NE(lost.err.find("標準出力に書き込めません\n"), std::string::npos) << lost.err;

    const Outcome full =
        Calc({"render", project.string(), "-o", png, "--size", "2000x2000"}, {.fileSizeLimit = 4096});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("画像を書き込めません: " + png + " ("), std::string::npos) << full.err;
    EXPECT_EQ(Slurp(png), bytes);
    EXPECT_EQ(Names(), (std::vector<std::string>{"plan.kel", "plan.png"}));
}

// --cache: the first run computes every pair and writes the cache, a run after a power edit reuses
// them all and writes the files of a run without cache; a cache cut short, damaged, of another engine
// or of another project is ignored with a warning, everything is computed and the cache written anew.
TEST_F(CalcProcess, RunReusesTheTransfersOfItsCache) {
    const auto list = [](double power) {
        return [power](CNoise& m) {
            m.calcInfo.mode = kPointListMode;
            m.calcInfo.pointList = {CPredictivePoint({10, 0, 1.5}), CPredictivePoint({0, 20, 1.5}),
                                    CPredictivePoint({-5, 5, 1.5})};
            m.outdoorSources[0].powerAverage = CBand::Filled(power);
        };
    };
    const fs::path first = Project("first.kel", list(100.0));
    const fs::path louder = Project("louder.kel", list(103.0));
    const std::string cache = (folder_ / "run.cache").string();
    const std::string laeq = (folder_ / "laeq.txt").string();
    const auto run = [&](const fs::path& project, bool withCache) {
        std::vector<std::string> args = {"run", project.string(), "--quiet", "--laeq", laeq};
        if (withCache) args.insert(args.end(), {"--cache", cache});
        const Outcome outcome = Calc(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return std::make_pair(outcome.err, Slurp(laeq));
    };
    EXPECT_EQ(run(first, true).first, "転送: 計算 3 組, 再利用 0 組\n");
    const auto reused = run(louder, true);
    EXPECT_EQ(reused.first, "転送: 計算 0 組, 再利用 3 組\n");
    const std::string expected = run(louder, false).second;
    EXPECT_EQ(reused.second, expected);

    const std::string whole = Slurp(cache);
    const auto damaged = [&](const std::string& bytes, const std::string& reason) {
        std::ofstream(cache, std::ios::binary | std::ios::trunc) << bytes;
        const auto outcome = run(louder, true);
        EXPECT_NE(outcome.first.find("警告: 転送キャッシュ " + cache), std::string::npos) << outcome.first;
        EXPECT_NE(outcome.first.find(reason), std::string::npos) << outcome.first;
        EXPECT_NE(outcome.first.find("転送: 計算 3 組, 再利用 0 組"), std::string::npos) << outcome.first;
        EXPECT_EQ(outcome.second, expected);
        EXPECT_EQ(Slurp(cache), whole) << "written anew";
    };
    damaged(whole.substr(0, whole.size() / 2), "途中で切れています");
    std::string flipped = whole;
    flipped[flipped.size() / 3] ^= 0x10;
    damaged(flipped, "壊れています");
    const std::vector<std::uint8_t> bytes(whole.begin(), whole.end());
    const std::vector<std::uint8_t> other =
        EncodeTransferCache(DecodeTransferCache(bytes, EngineVersion()), "0.0-other");
    damaged(std::string(other.begin(), other.end()), "別の版の計算エンジン");
    const fs::path two = Project("two.kel", [&](CNoise& m) {
        list(100.0)(m);
        m.outdoorSources.push_back(m.outdoorSources[0]);
        m.outdoorSources[1].position = {3, 3, 1.5};
    });
    const auto ofTwo = run(two, true);
    EXPECT_NE(ofTwo.first.find("別のプロジェクト"), std::string::npos) << ofTwo.first;
    EXPECT_NE(ofTwo.first.find("転送: 計算 6 組, 再利用 0 組"), std::string::npos) << ofTwo.first;
    EXPECT_EQ(ofTwo.second, run(two, false).second);
}

}  // namespace
}  // namespace kelmora
