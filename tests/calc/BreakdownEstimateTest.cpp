// The size of a breakdown known before the run writes it: the estimate from a few points against the
// file a run really writes, exact when every point is sampled, and the run's question before a large
// one, whose answer can drop the breakdown and keep the results.
#include "calc/BreakdownEstimate.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "calc/FakeRunHost.h"
#include "calc/PredictionRun.h"
#include "calc/RunSites.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using runsites::Source;

// Two sources on either side of a building, a barrier along the south, and a 5 × 5 grid over the site
// at 1.5 m: points in the open and in the building's shadow, with paths reflected once.
CNoise GridSite() {
    CNoise site;
    CGroundLine ground = fixtures::GroundLine({{-20, -10, 0}, {80, -10, 0}}, 0.5, 0.5);
    ground.walls.push_back(fixtures::Wall(10.0, 70.0, 3.0));
    site.groundLines.push_back(ground);
    site.buildings.push_back(fixtures::BoxBuilding(20, 10, 40, 30, 8.0));
    site.outdoorSources = {Source({10, 20, 2}, 95.0), Source({50, 12, 5}, 90.0)};
    site.maxReflections = 1;
    site.calcInfo.mode = kHorizontalGridMode;
    site.calcInfo.rowDivisions = 4;
    site.calcInfo.columnDivisions = 4;
    for (int i = 0; i <= 4; ++i)
        for (int j = 0; j <= 4; ++j)
            site.calcInfo.gridPoints.emplace_back(CVector3D{-10.0 + 20.0 * i, -5.0 + 12.5 * j, 1.5});
    return site;
}

class BreakdownEstimateTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kelmora-estimate-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(BreakdownEstimateTest, ThreePointsTellTheSizeOfTheWholeRunWithinAThird) {
    CNoise site = GridSite();
    const BreakdownEstimate estimate = EstimateBreakdownSize(site);
    EXPECT_EQ(estimate.points, 25);
    EXPECT_EQ(estimate.sampledPoints, 3);

    FakeRunHost host;
    host.chosenFiles[OutputFile::Breakdown] = Path("breakdown.csv");
    CPredictionJob job(site, {2, 0});
    job.RunHere(host);
    ASSERT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    const double written = static_cast<double>(fs::file_size(Path("breakdown.csv")));
    ASSERT_GT(written, 100000.0);
    // The points differ in their paths (in the open, behind the barrier, in the building's shadow); the
    // mean of three spread over the grid is within a third of the file's size.
    EXPECT_NEAR(static_cast<double>(estimate.bytes) / written, 1.0, 1.0 / 3.0)
        << estimate.bytes << " estimated, " << written << " written";

    // Sampled whole, the estimate is the file's size to the byte; a single point's is too.
    EXPECT_EQ(EstimateBreakdownSize(GridSite(), 25).bytes, static_cast<std::uint64_t>(written));
    CNoise single = GridSite();
    single.calcInfo.mode = kSinglePointMode;
    single.calcInfo.singlePoint.position = {60, 40, 1.5};
    FakeRunHost singleHost;
    singleHost.chosenFiles[OutputFile::Breakdown] = Path("single.csv");
    CPredictionJob singleJob(single, {1, 0});
    const BreakdownEstimate one = EstimateBreakdownSize(single);
    singleJob.RunHere(singleHost);
    EXPECT_EQ(one.bytes, fs::file_size(Path("single.csv")));
    EXPECT_EQ(one.sampledPoints, 1);
}

// A host that asks about a large breakdown and answers as told.
class AskingHost : public FakeRunHost {
public:
    bool AsksAboutLargeBreakdowns() const override { return true; }
    bool KeepLargeBreakdown(const BreakdownSizeWarning& warning) override {
        warnings.push_back(warning);
        return keep;
    }
    bool keep = false;
    std::vector<BreakdownSizeWarning> warnings;
};

TEST_F(BreakdownEstimateTest, RunAsksBeforeALargeBreakdownAndCanGoOnWithoutIt) {
    for (const bool keep : {false, true}) {
        CNoise site = GridSite();
        AskingHost host;
        host.keep = keep;
        host.chosenFiles[OutputFile::Breakdown] = Path("breakdown.csv");
        host.chosenFiles[OutputFile::AverageResult] = Path("laeq.txt");
        PredictionRunSettings settings{2, 0};
        settings.largeBreakdownBytes = 1000;  // this small site's breakdown counts as large
        CPredictionJob job(site, settings);
        job.RunHere(host);
        ASSERT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
        ASSERT_EQ(host.warnings.size(), 1u);
        EXPECT_EQ(host.warnings[0].estimate.points, 25);
        EXPECT_TRUE(host.warnings[0].space) << "the disk of the chosen file tells its free space";
        EXPECT_EQ(fs::exists(Path("breakdown.csv")), keep);
        EXPECT_TRUE(fs::exists(Path("laeq.txt"))) << "the results are written either way";
        fs::remove(Path("breakdown.csv"));
    }
    // Below the bound nothing is asked; a host that cannot ask is not even given an estimate to make.
    AskingHost quiet;
    quiet.chosenFiles[OutputFile::Breakdown] = Path("breakdown.csv");
    CNoise site = GridSite();
    CPredictionJob job(site, {2, 0});
    job.RunHere(quiet);
    EXPECT_TRUE(quiet.warnings.empty());
    EXPECT_TRUE(fs::exists(Path("breakdown.csv")));
}

TEST(BreakdownSizeWarning, OverAGigabyteOrTheSpaceOfTheDisk) {
    const BreakdownEstimate big{1'600'000'000, 121, 3};
    const BreakdownEstimate small{279'000'000, 121, 3};
    EXPECT_TRUE((BreakdownSizeWarning{big, std::nullopt}).Warranted(kLargeBreakdownBytes));
    EXPECT_FALSE((BreakdownSizeWarning{small, std::nullopt}).Warranted(kLargeBreakdownBytes));
    EXPECT_TRUE((BreakdownSizeWarning{small, 200'000'000}).Warranted(kLargeBreakdownBytes));
    EXPECT_FALSE((BreakdownSizeWarning{small, 300'000'000}).Warranted(kLargeBreakdownBytes));

    EXPECT_EQ(LargeBreakdownQuestion({big, 12'300'000'000}),
              "計算内訳ファイルは約 1.6 GB になる見込みです（予測点 121 点のうち 3 点から見積もり）。\n"
              "保存先の空き容量は 12.3 GB です。\n\n計算内訳ファイルを出力しますか?");
    EXPECT_EQ(LargeBreakdownQuestion({small, 200'000'000}),
              "計算内訳ファイルは約 279 MB になる見込みです（予測点 121 点のうち 3 点から見積もり）。\n"
              "保存先の空き容量は 200 MB です。足りません。\n\n計算内訳ファイルを出力しますか?");
    EXPECT_EQ(ByteSizeText(512), "1 KB");
    EXPECT_EQ(ByteSizeText(250'000'000'000), "250 GB");
}

}  // namespace
}  // namespace kelmora
