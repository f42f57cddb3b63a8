// A run split into blocks: every split, merged in any order, gives the whole run's files byte for
// byte; the merge refuses parts that do not make exactly that run; a block that does not finish
// leaves no part behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "FakeRunHost.h"
#include "RunSites.h"
#include "calc/ContentDigest.h"
#include "calc/EngineVersion.h"
#include "calc/PartFile.h"
#include "calc/PartMerge.h"
#include "calc/PredictionRun.h"
#include "calc/ShardRun.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using runsites::ReadFileBytes;
using runsites::Source;

// Ground with a barrier, a building, a steady and an impulsive source, and twelve points (a list, or
// a grid of 3 rows × 4 columns) of which the last lies underground.
CNoise SplitSite(std::int32_t mode) {
    CNoise site;
    site.groundLines.push_back(fixtures::GroundLine({{-20, -20, 0}, {60, -20, 0}}, 0.2, 0.2));
    site.groundLines.push_back(fixtures::BarrierLine({-20, 15}, {25, 15}, 3.0));
    site.buildings = {fixtures::BoxBuilding(20, 0, 30, 8, 6.0)};
    site.outdoorSources = {Source({5, 5, 1.0}, 95.0), Source({12, -8, 2.0}, 90.0)};
    site.outdoorSources[1].noiseType = kImpulsiveNoise;
    site.outdoorSources[1].eventsPerHour = 20.0;
    site.calcInfo.mode = mode;
    site.calcInfo.rowDivisions = 2;
    site.calcInfo.columnDivisions = 3;
    std::vector<CPredictivePoint>& points =
        mode == kPointListMode ? site.calcInfo.pointList : site.calcInfo.gridPoints;
    for (int c = 0; c <= 3; ++c) {
        for (int r = 0; r <= 2; ++r)
            points.emplace_back(CVector3D{-10.0 + 15.0 * c, 8.0 + 9.0 * r, 1.2});
    }
    points.back().position.z = -2.0;
    return site;
}

struct RunFiles {
    std::string breakdown, laeq, lamax;
    friend bool operator==(const RunFiles&, const RunFiles&) = default;
};

class SplitRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("kelmora-split-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void ChooseFiles(FakeRunHost& host, const std::string& prefix, bool breakdown) const {
        if (breakdown) host.chosenFiles[OutputFile::Breakdown] = (dir_ / (prefix + ".csv")).string();
        host.chosenFiles[OutputFile::AverageResult] = (dir_ / (prefix + "-laeq.txt")).string();
        host.chosenFiles[OutputFile::MaximumResult] = (dir_ / (prefix + "-lamax.txt")).string();
    }
    RunFiles Files(const std::string& prefix) const {
        return {ReadFileBytes(dir_ / (prefix + ".csv")), ReadFileBytes(dir_ / (prefix + "-laeq.txt")),
                ReadFileBytes(dir_ / (prefix + "-lamax.txt"))};
    }

    RunFiles WholeRun(CNoise site, bool breakdown, bool matrix) const {
        FakeRunHost host;
        ChooseFiles(host, "whole", breakdown);
        host.answerXyz = !matrix;
        CPredictionJob job(site, {1, 0});
        job.RunHere(host);
        EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd}) << job.errorText();
        return Files("whole");
    }

    // The parts of all blocks of the site split into `count`, each block computed from a fresh copy of
    // the project as a separate machine would.
    std::vector<fs::path> Parts(const CNoise& site, int count, bool breakdown,
                                const std::string& tag = "") const {
        std::vector<fs::path> parts;
        for (int k = 1; k <= count; ++k) {
            CNoise copy = site;
            ShardTarget target;
            target.shard = k;
            target.shardCount = count;
            target.part = dir_ / ("part" + tag + "-" + std::to_string(k) + "-of-" + std::to_string(count));
            target.modelDigest = ModelDigest(copy);
            target.withBreakdown = breakdown;
            FakeRunHost host;
            CShardJob job(copy, target, {k % 2 + 1, 0});
            job.RunHere(host);
            EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd}) << job.errorText();
            EXPECT_EQ(static_cast<int>(host.progress.size()),
                      ShardPoints(k, count, static_cast<int>(copy.calcInfo.PredictionPoints().size())).count);
            parts.push_back(target.part);
        }
        return parts;
    }

    MergeExpectation Expect(const CNoise& site, bool breakdown) const {
        return {ModelDigest(site), EngineIdentity(), breakdown};
    }

    RunFiles Merge(CNoise site, const std::vector<fs::path>& parts, bool breakdown, bool matrix) const {
        GatheredParts gathered =
            GatherParts(parts, Expect(site, breakdown), site.calcInfo.PredictionPoints());
        EXPECT_TRUE(gathered.refusals.empty()) << gathered.refusals.front();
        FakeRunHost host;
        ChooseFiles(host, "merged", breakdown);
        host.answerXyz = !matrix;
        CMergeJob job(site.calcInfo, std::move(gathered.inOrder));
        job.RunHere(host);
        EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd}) << job.errorText();
        return Files("merged");
    }

    // The refusals of a merge of `parts` into the site.
    std::vector<std::string> Refusals(const CNoise& site, const std::vector<fs::path>& parts,
                                      const MergeExpectation& expected) const {
        CNoise copy = site;
        return GatherParts(parts, expected, copy.calcInfo.PredictionPoints()).refusals;
    }

    fs::path dir_;
};

TEST_F(SplitRunTest, MergedPartsInAnyOrderAreTheWholeRunByteForByte) {
    const struct {
        std::int32_t mode;
        bool breakdown;
        bool matrix;
    } runs[] = {
        {kPointListMode, true, false},
        {kHorizontalGridMode, false, false},
        {kHorizontalGridMode, true, true},
    };
    std::mt19937 shuffle(16);
    for (const auto& run : runs) {
        const CNoise site = SplitSite(run.mode);
        const RunFiles whole = WholeRun(site, run.breakdown, run.matrix);
        ASSERT_FALSE(whole.laeq.empty());
        // 12 points: one block, uneven blocks, and more blocks than points (some of them empty).
        for (int count : {1, 5, 7, 13}) {
            SCOPED_TRACE(testing::Message() << "mode " << run.mode << ", " << count << " blocks");
            std::vector<fs::path> parts = Parts(site, count, run.breakdown);
            std::shuffle(parts.begin(), parts.end(), shuffle);
            EXPECT_TRUE(Merge(site, parts, run.breakdown, run.matrix) == whole);
        }
    }
}

TEST_F(SplitRunTest, MergeRefusesPartsThatDoNotMakeTheWholeRun) {
    const CNoise site = SplitSite(kPointListMode);
    const std::vector<fs::path> three = Parts(site, 3, false);
    const std::vector<fs::path> four = Parts(site, 4, false, "b");
    CNoise edited = site;
    edited.temperature = 25.0;
    const std::vector<fs::path> ofEdited = Parts(edited, 3, false, "e");
    const std::vector<fs::path> withBreakdown = Parts(site, 3, true, "w");

    const fs::path cut = dir_ / "cut";
    std::string bytes = ReadFileBytes(three[1]);
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() - 1);
    const fs::path folder = dir_ / "a-folder";
    fs::create_directory(folder);
    // A pipe that nobody writes: opening it for reading would wait for ever.
    const fs::path fifo = dir_ / "a-fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    MergeExpectation otherEngine = Expect(site, false);
    otherEngine.engineVersion = "0.0+other";
    const struct {
        const char* what;
        std::vector<fs::path> parts;
        MergeExpectation expected;
        std::vector<std::string> refusals;
    } cases[] = {
        {"a part of the edited project",
         {three[0], ofEdited[1], three[2]},
         Expect(site, false),
         {ofEdited[1].string() + ": 別のプロジェクトか、編集される前のプロジェクトのパートです",
          "予測点 5–8 がありません: シャード 2/3"}},
        {"parts of another engine",
         {three[0]},
         otherEngine,
         {three[0].string() + ": 別のエンジン (" + EngineIdentity() +
          ") で計算されたパートです (このエンジンは 0.0+other)"}},
        {"a part of another split",
         {three[0], three[1], three[2], four[3]},
         Expect(site, false),
         {four[3].string() + ": 4 分割のパートです (他のパートは 3 分割)"}},
        {"a missing block",
         {three[2], three[0]},
         Expect(site, false),
         {"予測点 5–8 がありません: シャード 2/3"}},
        {"two missing blocks",
         {four[1]},
         Expect(site, false),
         {"予測点 1–3 がありません: シャード 1/4", "予測点 7–9 がありません: シャード 3/4",
          "予測点 10–12 がありません: シャード 4/4"}},
        {"the same block twice",
         {three[0], three[1], three[1], three[2]},
         Expect(site, false),
         {three[1].string() + ": シャード 2/3 が " + three[1].string() + " と重複しています"}},
        {"a part cut short",
         {three[0], cut, three[2]},
         Expect(site, false),
         {cut.string() + ": パートファイルが途中で切れています", "予測点 5–8 がありません: シャード 2/3"}},
        {"parts without the breakdown asked for",
         {withBreakdown[0], three[1], withBreakdown[2]},
         Expect(site, true),
         {three[1].string() +
              ": 計算内訳を含まないパートです (シャードを --with-breakdown で計算してください)",
          "予測点 5–8 がありません: シャード 2/3"}},
        {"no part at all",
         {folder, fifo},
         Expect(site, false),
         {folder.string() + ": パートファイルを開けません (通常のファイルではありません)",
          fifo.string() + ": パートファイルを開けません (通常のファイルではありません)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Refusals(site, c.parts, c.expected), c.refusals);
    }
    // The parts with breakdown serve a merge without one as well.
    EXPECT_TRUE(Refusals(site, withBreakdown, Expect(site, false)).empty());
}

// The parts are checked, then their names change before the merge copies them: renamed, removed and
// replaced by another file. The merge copies from the files it checked and writes the whole run.
// A part changed in its place after the check fails the merge, which then keeps the files of the
// earlier merge, and a cancel does the same; nothing is left beside them.
TEST_F(SplitRunTest, AMergeCopiesFromThePartsItCheckedAndOtherwiseKeepsThePreviousFiles) {
    const CNoise site = SplitSite(kPointListMode);
    const RunFiles whole = WholeRun(site, true, false);
    std::vector<fs::path> parts = Parts(site, 3, true);
    const auto names = [&] {
        std::vector<std::string> all;
        for (const auto& entry : fs::directory_iterator(dir_))
            all.push_back(entry.path().filename().string());
        std::sort(all.begin(), all.end());
        return all;
    };
    const auto merge = [&](CNoise copy, const std::function<void(CLongJob&)>& meanwhile, FakeRunHost& host,
                           CLongJob*& running) {
        GatheredParts gathered = GatherParts(parts, Expect(copy, true), copy.calcInfo.PredictionPoints());
        EXPECT_TRUE(gathered.refusals.empty());
        ChooseFiles(host, "merged", true);
        CMergeJob job(copy.calcInfo, std::move(gathered.inOrder));
        running = &job;
        meanwhile(job);
        job.RunHere(host);
        running = nullptr;
        return host.ends;
    };
    CLongJob* running = nullptr;
    {
        FakeRunHost host;
        const std::vector<int> ends = merge(
            site,
            [&](CLongJob&) {
                fs::rename(parts[2], dir_ / "moved");
                fs::remove(parts[1]);
                // A new file under the name, as a shard run again would put there.
                fs::remove(parts[0]);
                std::ofstream(parts[0], std::ios::binary) << "not the part that was checked";
            },
            host, running);
        EXPECT_EQ(ends, std::vector<int>{kJobNormalEnd});
        EXPECT_TRUE(Files("merged") == whole);
    }
    parts = Parts(site, 3, true);
    const std::vector<std::string> before = names();
    {
        // One byte of a breakdown changed where the part lies.
        FakeRunHost host;
        const std::vector<int> ends = merge(
            site,
            [&](CLongJob&) {
                std::fstream part(parts[1], std::ios::binary | std::ios::in | std::ios::out);
                part.seekp(static_cast<std::streamoff>(fs::file_size(parts[1]) / 2));
                part.put('#');
            },
            host, running);
        EXPECT_EQ(ends, std::vector<int>{kJobError});
        EXPECT_TRUE(Files("merged") == whole) << "the earlier merge's files are kept";
        EXPECT_EQ(names(), before);
    }
    parts = Parts(site, 3, true);
    {
        // Cancelled as the breakdown of the second point is copied.
        struct : FakeRunHost {
            CLongJob** job = nullptr;
            void ReportProgress(int item, int itemCount) override {
                FakeRunHost::ReportProgress(item, itemCount);
                if (item == 2 && *job != nullptr) (*job)->RequestCancel();
            }
        } host;
        host.job = &running;
        const std::vector<int> ends = merge(
            site, [](CLongJob&) {}, host, running);
        EXPECT_EQ(ends, std::vector<int>{kJobCancelled});
        EXPECT_TRUE(Files("merged") == whole);
        EXPECT_EQ(names(), before);
    }
}

TEST_F(SplitRunTest, ABlockThatDoesNotFinishLeavesNoPart) {
    CNoise site = SplitSite(kHorizontalGridMode);
    ShardTarget target;
    target.shard = 2;
    target.shardCount = 2;
    target.part = dir_ / "part";
    target.modelDigest = ModelDigest(site);
    target.withBreakdown = true;
    {
        CShardJob job(site, target, {1, 0});
        CancellingHost host(job, 3);
        job.RunHere(host);
        EXPECT_EQ(host.ends, std::vector<int>{kJobCancelled});
    }
    // A folder where the part should go: refused before any point is computed.
    fs::create_directory(target.part);
    {
        CShardJob job(site, target, {1, 0});
        FakeRunHost host;
        job.RunHere(host);
        EXPECT_EQ(host.ends, std::vector<int>{kJobError});
        EXPECT_TRUE(host.progress.empty());
        EXPECT_NE(job.errorText().find("パートファイルを作成できません: " + target.part.string()),
                  std::string::npos)
            << job.errorText();
    }
    fs::remove(target.part);
    {
        ShardTarget nowhere = target;
        nowhere.part = dir_ / "no-such-folder" / "part";
        CShardJob job(site, nowhere, {1, 0});
        FakeRunHost host;
        job.RunHere(host);
        EXPECT_EQ(host.ends, std::vector<int>{kJobError});
        EXPECT_EQ(job.errorText(), "パートファイルを作成できません: " + nowhere.part.string() +
                                       " (No such file or directory)");
    }
    EXPECT_TRUE(fs::is_empty(dir_)) << "a temporary file was left behind";

    site.calcInfo.mode = kSinglePointMode;
    CShardJob job(site, target, {1, 0});
    FakeRunHost host;
    job.RunHere(host);
    EXPECT_EQ(host.ends, std::vector<int>{kJobError});
    EXPECT_EQ(job.errorText(), kSinglePointNotSplit);
    EXPECT_TRUE(fs::is_empty(dir_));

    // A model the whole run refuses is refused by a shard too, before anything is computed.
    site.calcInfo.mode = kHorizontalGridMode;
    site.maxReflections = 858993459;
    CShardJob refused(site, target, {1, 0});
    FakeRunHost refusedHost;
    refused.RunHere(refusedHost);
    EXPECT_EQ(refusedHost.ends, std::vector<int>{kJobError});
    EXPECT_NE(refused.errorText().find("maxReflections"), std::string::npos) << refused.errorText();
    EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
}  // namespace kelmora
