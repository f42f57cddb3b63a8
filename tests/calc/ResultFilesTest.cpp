#include "calc/ResultFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FakeRunHost.h"
#include "model/persistence/TextCodec.h"

namespace kelmora {
namespace {

// A point whose LAeqT is `laeq` and LAmax `laeq` + 5 (single overall values).
CPredictivePoint PointWithLevels(CVector3D at, double laeq) {
    CPredictivePoint p(at);
    p.resultAverage.kind = 0;
    p.resultAverage.overall = laeq;
    p.resultMax.kind = 0;
    p.resultMax.overall = laeq + 5.0;
    return p;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ResultFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("kelmora-results-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
};

TEST_F(ResultFilesTest, XyzFormOfAList) {
    std::vector<CPredictivePoint> points;
    for (int i = 0; i < 5; ++i)
        points.push_back(PointWithLevels({i * 10.0, -2.5, 1.2345}, 40.0 + i * 0.25));
    points.push_back(CPredictivePoint({7, 8, 9}));  // never computed: 21 bands of −100 dB
    CTextBuffer laeq, lamax;
    WriteXyzResults(laeq, ResultLevel::Average, points, nullptr);
    WriteXyzResults(lamax, ResultLevel::Maximum, std::span(points).first(1), nullptr);
    EXPECT_EQ(Cp932ToUtf8(laeq.bytes()),
              "# 予測点X[m] Y[m] 等価騒音レベルLAeqT[dB] 予測点Z[m]\r\n"
              " 0.000 -2.500 40.0 1.234\r\n"
              " 10.000 -2.500 40.2 1.234\r\n"
              " 20.000 -2.500 40.5 1.234\r\n"
              " 30.000 -2.500 40.8 1.234\r\n"
              " 40.000 -2.500 41.0 1.234\r\n"
              " 7.000 8.000 -86.8 9.000\r\n");
    EXPECT_EQ(Cp932ToUtf8(lamax.bytes()),
              "# 予測点X[m] Y[m] 最大騒音レベルLAmax[dB] 予測点Z[m]\r\n"
              " 0.000 -2.500 45.0 1.234\r\n");
}

TEST_F(ResultFilesTest, MatrixFormRowsFromTheBottomEdge) {
    // 3 columns × ... : rowDivisions 2, columnDivisions 3 → 3 lines of 4 values; the grid is generated
    // column by column, each column from the bottom edge up, so point index = c·3 + r.
    std::vector<CPredictivePoint> points;
    for (int i = 0; i < 12; ++i)
        points.push_back(PointWithLevels({}, 10.0 + i));
    CTextBuffer out;
    WriteMatrixResults(out, ResultLevel::Average, points, 2, 3, nullptr);
    EXPECT_EQ(out.bytes(),
              " 10.0 13.0 16.0 19.0\r\n"
              " 11.0 14.0 17.0 20.0\r\n"
              " 12.0 15.0 18.0 21.0\r\n");

    // Points that do not make up the grid are listed instead.
    CTextBuffer fallback;
    WriteMatrixResults(fallback, ResultLevel::Average, std::span(points).first(11), 2, 3, nullptr);
    EXPECT_EQ(std::count(fallback.bytes().begin(), fallback.bytes().end(), '\n'), 12);
    EXPECT_EQ(fallback.bytes().rfind("# ", 0), 0u);
}

TEST_F(ResultFilesTest, CancelStopsAtTheNextLine) {
    IdleJob job;
    job.RequestCancel();
    CTextBuffer out;
    std::vector<CPredictivePoint> points(3);
    EXPECT_THROW(WriteXyzResults(out, ResultLevel::Average, points, &job), JobCancelled);
    EXPECT_THROW(WriteMatrixResults(out, ResultLevel::Average, points, 2, 0, &job), JobCancelled);
    EXPECT_TRUE(out.bytes().empty());
}

TEST_F(ResultFilesTest, GridRunOffersBothFilesAndAsksTheForm) {
    CCalcInfo info;
    info.mode = kHorizontalGridMode;
    info.rowDivisions = 1;
    info.columnDivisions = 1;
    for (int i = 0; i < 4; ++i)
        info.gridPoints.push_back(PointWithLevels({}, 50.0 + i));
    FakeRunHost host;
    host.chosenFiles = {{OutputFile::AverageResult, Path("laeq.txt")},
                        {OutputFile::MaximumResult, Path("lamax.txt")}};
    host.answerXyz = false;
    IdleJob job;
    ASSERT_TRUE(WriteResultFiles(job, host, info));
    EXPECT_EQ(host.requestedFiles, (std::vector{OutputFile::AverageResult, OutputFile::MaximumResult}));
    EXPECT_EQ(host.askedForms, (std::vector{OutputFile::AverageResult, OutputFile::MaximumResult}));
    EXPECT_EQ(ReadFile(dir_ / "laeq.txt"), " 50.0 52.0\r\n 51.0 53.0\r\n");
    EXPECT_EQ(ReadFile(dir_ / "lamax.txt"), " 55.0 57.0\r\n 56.0 58.0\r\n");
}

TEST_F(ResultFilesTest, ListRunUsesXyzWithoutAsking) {
    CCalcInfo info;
    info.mode = kPointListMode;
    info.pointList.push_back(PointWithLevels({1, 2, 3}, 60.0));
    FakeRunHost host;
    host.chosenFiles = {{OutputFile::MaximumResult, Path("lamax.txt")}};  // the LAeqT dialog is cancelled
    IdleJob job;
    ASSERT_TRUE(WriteResultFiles(job, host, info));
    EXPECT_TRUE(host.askedForms.empty());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "laeq.txt"));
    EXPECT_EQ(Cp932ToUtf8(ReadFile(dir_ / "lamax.txt")),
              "# 予測点X[m] Y[m] 最大騒音レベルLAmax[dB] 予測点Z[m]\r\n 1.000 2.000 65.0 3.000\r\n");
}

TEST_F(ResultFilesTest, OpenErrorEndsTheRunBeforeTheLamaxFile) {
    CCalcInfo info;
    info.mode = kPointListMode;
    info.pointList.resize(2);
    FakeRunHost host;
    const std::string unopenable = Path("missing/laeq.txt");
    host.chosenFiles = {{OutputFile::AverageResult, unopenable},
                        {OutputFile::MaximumResult, Path("lamax.txt")}};
    IdleJob job;
    EXPECT_FALSE(WriteResultFiles(job, host, info));
    EXPECT_EQ(job.errorText(),
              "等価騒音レベル計算結果出力テキストファイルオープンエラー\n(" + unopenable + ")");
    EXPECT_EQ(host.requestedFiles, std::vector{OutputFile::AverageResult});
    EXPECT_FALSE(std::filesystem::exists(dir_ / "lamax.txt"));

    host.chosenFiles = {{OutputFile::Breakdown, Path("missing/b.csv")}};
    EXPECT_TRUE(OfferOutputFile(job, host, OutputFile::Breakdown).openFailed);
    EXPECT_EQ(job.errorText(), "出力テキストファイルオープンエラー\n(" + Path("missing/b.csv") + ")");
}

}  // namespace
}  // namespace kelmora
