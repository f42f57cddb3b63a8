// The prediction run: time weighting, the rules that skip sources and points, the energy sums of a
// point, the run's modes with their files, host calls and end codes, the same bytes from any number
// of threads, and cancelling.
#include "calc/PredictionRun.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

#include "FakeRunHost.h"
#include "RunSites.h"
#include "acoustics/AirAbsorption.h"
#include "calc/OpeningSources.h"
#include "calc/PointPrediction.h"
#include "calc/PrintfFormat.h"
#include "calc/TextOutput.h"

namespace kelmora {
namespace {

using runsites::CountLines;
using runsites::DecodedBreakdown;
using runsites::ReadFileBytes;
using runsites::Source;
using runsites::Spreading;

TEST(TimeWeighting, ShareOfTheTargetTimeOrEventsPerSecond) {
    const struct {
        std::int32_t noiseType;
        double duration;  // s per event
        double eventsPerHour;
        double targetTime;  // s
        double offset;      // dB added to every band; NAN: no sound
    } cases[] = {
        {kSteadyNoise, 3600, 10, 3600, 0.0},      // 36000 s on during 3600 s: capped, w = 1
        {kSteadyNoise, 60, 6, 3600, -10.0},       // 360 s of 3600 s
        {kFluctuatingNoise, 60, 6, 3600, -10.0},  // the same rule
        {kSteadyNoise, 60, 6, 600, -10.0},        // one event of 60 s in 600 s
        {kImpulsiveNoise, 999, 36, 3600, -20.0},  // 36 event exposures over 3600 s; duration unused
        {kImpulsiveNoise, 999, 36, 600, -20.0},   // 6 events over 600 s
        {kImpulsiveNoise, 0, 3600, 3600, 0.0},    // one event per second
        {kSteadyNoise, 3600, 0, 3600, NAN},       // never on
        {kImpulsiveNoise, 1, 0, 3600, NAN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.noiseType << " " << c.duration << " s " << c.eventsPerHour
                                        << "/h T " << c.targetTime);
        CSound source = Source({0, 0, 0}, 0.0);
        source.noiseType = c.noiseType;
        source.duration = c.duration;
        source.eventsPerHour = c.eventsPerHour;
        CBand level = CBand::Filled(50.0);
        level.value(3) = 72.5;
        const CBand weighted = TimeWeighting(source, level, c.targetTime);
        if (std::isnan(c.offset)) {
            EXPECT_TRUE(weighted.allEqual(kNoSoundLevel));
        } else {
            EXPECT_NEAR(weighted.value(0), 50.0 + c.offset, 1e-9);
            EXPECT_NEAR(weighted.value(3), 72.5 + c.offset, 1e-9);
        }
    }
}

// Flat ground 0.3 m high that reflects nothing, far from the points.
CNoise GroundAt30cm() {
    CNoise site;
    site.groundLines.push_back(fixtures::GroundLine({{-100, -50, 0.3}, {100, -50, 0.3}}, 1.0, 1.0));
    return site;
}

TEST(PointPrediction, PointsAreComputedDownTo30CentimetresBelowGroundExclusive) {
    const CNoise site = GroundAt30cm();
    const PredictionSite context(site);
    const struct {
        double z;
        bool computed;
    } cases[] = {{1.5, true}, {0.3, true}, {0.01, true}, {0.0, false}, {-5.0, false}};
    for (const auto& c : cases)
        EXPECT_EQ(PointAboveGround(context, {10, 0, c.z}), c.computed) << c.z;
}

TEST(PointPrediction, SourcesAreSkippedBelowGroundAndBeyondTheEffectiveDistance) {
    CNoise site = GroundAt30cm();
    site.effectiveDistance = 100.0;
    const PredictionSite context(site);
    const struct {
        CVector3D at;
        const char* skip;  // the breakdown line, or null when computed
    } cases[] = {
        {{0, 0, 0.0}, nullptr},  // exactly 0.3 m below the ground: still computed
        {{0, 0, -0.01}, "音源が地下の為、計算しない"},
        {{-100, 0, 1.5}, nullptr},  // exactly at the effective distance
        {{-100.001, 0, 1.5}, "距離が離れている為、計算しない"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at.x);
        CPredictivePoint point({0, 0, 1.5});
        CTextBuffer out;
        CBreakdownWriter w(&out, nullptr);
        w.ChangeLevel(1);
        const bool reached = ComputeSourceForPoint(context, point, Source(c.at, 90.0), w);
        EXPECT_EQ(reached, c.skip == nullptr);
        EXPECT_EQ(w.level(), 1);
        if (c.skip != nullptr) {
            EXPECT_EQ(DecodedBreakdown(out.bytes()), std::string("\n , , ■") + c.skip);
            EXPECT_TRUE(point.resultAverage.allEqual(kNoSoundLevel));
        } else {
            EXPECT_GT(point.resultAverage.overallLevel(), 0.0);
        }
    }
}

// Two sources 10 m either side of the point in a free field.
TEST(PointPrediction, AverageAndMaximumLevelsAreEnergySumsOverTheSources) {
    CNoise site;
    site.outdoorSources = {Source({0, 0, 1.5}, 90.0, 2.0, 100.0), Source({20, 0, 1.5}, 90.0, 2.0, 100.0)};
    CPredictivePoint point({10, 0, 1.5});
    point.resultAverage = point.resultMax = CBand::Filled(70.0);  // an earlier run's results
    CBreakdownWriter w(nullptr, nullptr);

    ComputePoint(PredictionSite(site), point, w);
    const double one =
        90.0 + Spreading(10.0, 2.0) +
        10.0 * std::log10(std::pow(10.0, AirAbsorptionBand(10.0, 20.0, 60.0).value(13) / 10.0));
    EXPECT_NEAR(point.resultAverage.value(13), one + 3.0103, 1e-4);  // 1 kHz
    EXPECT_NEAR(point.resultMax.value(13), one + 10.0 + 3.0103, 1e-4);
    const double bothAverage = point.resultAverage.overallLevel();
    const double bothMax = point.resultMax.overallLevel();

    // A source that is never on adds nothing to LAeqT but all of its maximum to LAmax.
    site.outdoorSources[1].eventsPerHour = 0.0;
    ComputePoint(PredictionSite(site), point, w);
    EXPECT_NEAR(point.resultAverage.overallLevel(), bothAverage - 3.0103, 1e-4);
    EXPECT_NEAR(point.resultMax.overallLevel(), bothMax, 1e-9);
}

// A room of R = ᾱS/(1 − ᾱ) = 100 m² (ᾱ = 0.5, S = 100 m²) with a 1 m × 1 m opening in the plane x = 0
// (TL 10 dB, Q 2), one patch centred at (0, 0.5, 1.5); the opening source stands 0.2 m outside it at
// (0.2, 0.5, 1.5). The room source (Q 2) lies 2 m behind it on the normal: the room term is
// C = 10·log10(2/(4π·4) + 1/100) = −13.029 dB, so the opening radiates Lw − 10 − 13.029 dB.
CNoise RoomWithOneOpening() {
    CWindow opening;
    opening.rect = {{0, 0, 1}, {0, 1, 1}, {0, 1, 2}};
    opening.tl = CBand::Filled(10.0);
    opening.q = 2.0;
    opening.isOutdoorSource = 1;
    CRoom room;
    room.computeFromShape = 0;
    room.surfaceArea = 100.0;
    room.meanAbsorption = CBand::Filled(0.5);
    room.openings = {opening};
    room.sources = {Source({-1.8, 0.5, 1.5}, 100.0, 2.0, 110.0)};
    CBuilding building;
    building.rooms = {room};
    CNoise site;
    site.buildings = {building};
    return site;
}

class PredictionRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() /
            ("kelmora-run-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Read(const std::string& name) const { return ReadFileBytes(dir_ / name); }
    static void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::filesystem::path dir_;
};

TEST_F(PredictionRunTest, SinglePointBehindARoomOpening) {
    CNoise site = RoomWithOneOpening();
    site.calcInfo.mode = kSinglePointMode;
    site.calcInfo.singlePoint.position = {100.2, 0.5, 1.5};  // 100 m in front of the opening source
    FakeRunHost host;
    host.chosenFiles[OutputFile::Breakdown] = Path("breakdown.csv");
    CPredictionJob job(site, {1, 0});
    job.RunHere(host);

    EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    EXPECT_TRUE(host.progress.empty());
    ASSERT_EQ(site.openingSources.size(), 1u);
    const CBand air = AirAbsorptionBand(100.0, 20.0, 60.0);
    const CPredictivePoint& point = site.calcInfo.singlePoint;
    const double roomTerm = 10.0 * std::log10(2.0 / (4.0 * M_PI * 4.0) + 0.01);
    EXPECT_NEAR(roomTerm, -13.029, 0.0005);
    for (int b = 0; b < kThirdOctaveBands; ++b) {
        const double level = 100.0 - 10.0 + roomTerm + Spreading(100.0, 2.0) + air.value(b);
        EXPECT_NEAR(point.resultAverage.value(b), level, 1e-4);
        EXPECT_NEAR(point.resultMax.value(b), level + 10.0, 1e-4);
    }
    // The LAeqT in the message; no result file is offered for the single point.
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].first, SinglePointLevelText(point.resultAverage.overallLevel()));
    EXPECT_EQ(host.messages[0].second, MessageIcon::kInformation);
    EXPECT_EQ(host.requestedFiles, std::vector<OutputFile>{OutputFile::Breakdown});

    const std::string bytes = Read("breakdown.csv");
    EXPECT_EQ(bytes.rfind(Utf8ToCp932("★予測点, X[m]→, 100.200, Y[m]→, 0.500, Z[m]→, 1.500\r\n"), 0), 0u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const std::string text = DecodedBreakdown(bytes);
    EXPECT_EQ(
        CountLines(text, " ◆<建物開口部音源(1/1)>, X[m]→, 0.200, Y[m]→, 0.500, Z[m]→, 1.500, <定常騒音>"), 1);
    EXPECT_EQ(CountLines(text, Format(" ◆等価騒音レベルLAeqT[dB]→, %.1f, 最大騒音レベルLAmax[dB]→, %.1f",
                                      {point.resultAverage.overallLevel(), point.resultMax.overallLevel()})),
              1);
}

TEST_F(PredictionRunTest, SinglePointIsComputedEvenUnderground) {
    CNoise site = GroundAt30cm();
    site.outdoorSources = {Source({0, 0, 1.5}, 90.0)};
    site.calcInfo.mode = kSinglePointMode;
    site.calcInfo.singlePoint.position = {10, 0, -3.0};
    FakeRunHost host;
    CPredictionJob job(site, {1, 0});
    job.RunHere(host);
    EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    EXPECT_GT(site.calcInfo.singlePoint.resultAverage.overallLevel(), 0.0);
}

// A list of three points, the second one underground, with results of an earlier run still in it.
CNoise ListSite() {
    CNoise site = GroundAt30cm();
    site.outdoorSources = {Source({0, 0, 1.5}, 90.0)};
    site.calcInfo.mode = kPointListMode;
    for (CVector3D at : {CVector3D{10, 0, 1.5}, CVector3D{20, 0, 0.0}, CVector3D{30, 0, 1.5}}) {
        CPredictivePoint p(at);
        p.resultAverage = p.resultMax = CBand::Filled(60.0);
        site.calcInfo.pointList.push_back(p);
    }
    return site;
}

TEST_F(PredictionRunTest, ListWithAPointUnderground) {
    CNoise site = ListSite();
    FakeRunHost host;
    host.chosenFiles[OutputFile::Breakdown] = Path("breakdown.csv");
    host.chosenFiles[OutputFile::AverageResult] = Path("laeq.txt");
    CPredictionJob job(site, {2, 0});
    job.RunHere(host);

    EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    EXPECT_EQ(host.progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(host.requestedFiles, (std::vector<OutputFile>{OutputFile::Breakdown, OutputFile::AverageResult,
                                                            OutputFile::MaximumResult}));
    EXPECT_TRUE(host.askedForms.empty());  // a list is always written as X Y Z

    const std::string text = DecodedBreakdown(Read("breakdown.csv"));
    EXPECT_EQ(text.rfind("★予測点(1/3), X[m]→, 10.000", 0), 0u);
    EXPECT_EQ(CountLines(text, "★予測点(2/3), X[m]→, 20.000, Y[m]→, 0.000, Z[m]→, 0.000"), 1);
    EXPECT_EQ(CountLines(text, " ◆予測点が地下の為、計算しない"), 1);
    EXPECT_EQ(CountLines(text, "<外部音源(1/1)>"), 2);
    // The point underground keeps no level of the earlier run: 21 bands of −100 dB.
    const std::string laeq = Cp932ToUtf8(Read("laeq.txt"));
    const auto& points = site.calcInfo.pointList;
    EXPECT_EQ(laeq, Format("# 予測点X[m] Y[m] 等価騒音レベルLAeqT[dB] 予測点Z[m]\r\n"
                           " 10.000 0.000 %.1f 1.500\r\n"
                           " 20.000 0.000 -86.8 0.000\r\n"
                           " 30.000 0.000 %.1f 1.500\r\n",
                           {points[0].resultAverage.overallLevel(), points[2].resultAverage.overallLevel()}));
    EXPECT_GT(points[0].resultAverage.overallLevel(), points[2].resultAverage.overallLevel());
}

TEST_F(PredictionRunTest, BreakdownThatCannotBeOpenedEndsTheRunBeforeAnyPoint) {
    CNoise site = ListSite();
    FakeRunHost host;
    const std::string path = Path("no-such-folder/breakdown.csv");
    host.chosenFiles[OutputFile::Breakdown] = path;
    host.chosenFiles[OutputFile::AverageResult] = Path("laeq.txt");
    CPredictionJob job(site, {});
    job.RunHere(host);

    EXPECT_EQ(host.ends, std::vector<int>{kJobError});
    EXPECT_EQ(job.errorText(), "出力テキストファイルオープンエラー\n(" + path + ")");
    EXPECT_TRUE(host.progress.empty());
    EXPECT_EQ(host.requestedFiles, std::vector<OutputFile>{OutputFile::Breakdown});
    EXPECT_TRUE(site.calcInfo.pointList[0].resultAverage.allEqual(60.0));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "laeq.txt"));
}

// A small site with something of everything: ground that reflects, a barrier with a lateral edge, two
// buildings, one of them with a room whose opening radiates, three outdoor sources and a 4 × 4 grid.
CNoise GridSite() {
    CNoise site;
    site.groundLines.push_back(fixtures::GroundLine({{-20, -20, 0}, {60, -20, 0}}, 0.2, 0.2));
    CGroundLine barrier = fixtures::BarrierLine({-20, 15}, {25, 15}, 3.0);
    barrier.walls[0].diffractEnd = 1;
    barrier.absorptionLeft = barrier.absorptionRight = CBand::Filled(0.2);
    site.groundLines.push_back(barrier);
    CNoise room = RoomWithOneOpening();
    CBuilding hall = fixtures::BoxBuilding(-6, -2, 0, 4, 4.0);
    hall.rooms = room.buildings[0].rooms;
    site.buildings = {hall, fixtures::BoxBuilding(20, 0, 30, 8, 6.0)};
    site.outdoorSources = {Source({5, 5, 1.0}, 95.0), Source({12, -8, 2.0}, 90.0),
                           Source({35, 12, 0.5}, 85.0)};
    site.outdoorSources[1].noiseType = kImpulsiveNoise;
    site.outdoorSources[1].eventsPerHour = 20.0;
    site.calcInfo.mode = kHorizontalGridMode;
    site.calcInfo.rowDivisions = 3;
    site.calcInfo.columnDivisions = 3;
    for (int c = 0; c <= 3; ++c) {
        for (int r = 0; r <= 3; ++r)
            site.calcInfo.gridPoints.emplace_back(CVector3D{-10.0 + 15.0 * c, 8.0 + 6.0 * r, 1.2});
    }
    return site;
}

TEST_F(PredictionRunTest, GridFilesAreTheSameBytesWithAnyNumberOfThreads) {
    std::string reference[3];
    const PredictionRunSettings settings[] = {{1, 0}, {2, 0}, {3, 1}, {2, 16}};
    for (const PredictionRunSettings& s : settings) {
        SCOPED_TRACE(testing::Message() << s.threads << " threads, window " << s.window);
        CNoise site = GridSite();
        FakeRunHost host;
        host.chosenFiles[OutputFile::Breakdown] = Path("breakdown.csv");
        host.chosenFiles[OutputFile::AverageResult] = Path("laeq.txt");
        host.chosenFiles[OutputFile::MaximumResult] = Path("lamax.txt");
        host.answerXyz = false;
        CPredictionJob job(site, s);
        job.RunHere(host);
        ASSERT_EQ(host.ends, std::vector<int>{kJobNormalEnd}) << job.errorText();
        EXPECT_EQ(host.progress.size(), 16u);
        EXPECT_EQ(host.askedForms,
                  (std::vector<OutputFile>{OutputFile::AverageResult, OutputFile::MaximumResult}));
        const std::string files[] = {Read("breakdown.csv"), Read("laeq.txt"), Read("lamax.txt")};
        if (reference[0].empty()) {
            for (int i = 0; i < 3; ++i)
                reference[i] = files[i];
            const std::string text = DecodedBreakdown(reference[0]);
            EXPECT_EQ(CountLines(text, "予測点(16/16), 等価騒音レベルLAeqT[dB]"), 1);
            EXPECT_EQ(CountLines(text, "<建物開口部音源(1/1)>"), 16);
            EXPECT_GT(CountLines(text, "【1回回折】"), 0);
            EXPECT_GT(CountLines(text, "【鏡面反射】"), 0);
            EXPECT_EQ(runsites::Lines(Cp932ToUtf8(reference[1])).size(), 4u);  // the matrix form
            continue;
        }
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(files[i] == reference[i]) << "file " << i << " differs";
    }
}

TEST_F(PredictionRunTest, CancelStopsWithinThePointBeingComputed) {
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        CNoise site = GridSite();
        CPredictionJob job(site, {threads, 0});
        CancellingHost host(job, 2);
        host.chosenFiles[OutputFile::Breakdown] = Path("breakdown.csv");
        host.chosenFiles[OutputFile::AverageResult] = Path("laeq.txt");
        job.RunHere(host);

        EXPECT_EQ(host.ends, std::vector<int>{kJobCancelled});
        EXPECT_EQ(host.progress.size(), 2u);
        const std::string text = DecodedBreakdown(Read("breakdown.csv"));
        EXPECT_EQ(CountLines(text, "予測点(1/16), 等価騒音レベルLAeqT[dB]"), 1);
        EXPECT_EQ(CountLines(text, "予測点(2/16), 等価騒音レベルLAeqT[dB]"), 0);
        EXPECT_EQ(CountLines(text, "予測点(3/16)"), 0);
        EXPECT_FALSE(std::filesystem::exists(dir_ / "laeq.txt"));
    }
}

// Up to 100 reflections between the walls of three buildings: one source at one point would take
// longer than anyone waits. A cancel requested meanwhile ends the run promptly.
TEST_F(PredictionRunTest, CancelReachesIntoASearchOverManyReflections) {
    CNoise site;
    site.buildings = {fixtures::BoxBuilding(-10, 4, 10, 10, 8.0),
                      fixtures::BoxBuilding(-10, -10, 10, -4, 8.0),
                      fixtures::BoxBuilding(12, -10, 20, 10, 8.0)};
    site.outdoorSources = {Source({-5, 0, 1.5}, 90.0)};
    site.maxReflections = 100;
    site.calcInfo.mode = kSinglePointMode;
    site.calcInfo.singlePoint.position = {5, 0, 1.5};
    FakeRunHost host;
    CPredictionJob job(site, {1, 0});
    ASSERT_TRUE(job.Start(host));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(host.ends.empty());  // still searching
    job.RequestCancel();
    EXPECT_EQ(host.WaitForEnd(), std::optional<int>(kJobCancelled));
    job.Join();
}

// Values no dialog accepts end the run before anything is computed or any file is offered, with a text
// that names the object and the field; an opening that would make more sources than memory can hold,
// too.
TEST_F(PredictionRunTest, ModelsThatCannotBeRunAreRefusedBeforeAnything) {
    const struct {
        std::function<void(CNoise&)> plant;
        const char* error;  // empty: the run goes ahead
    } cases[] = {
        {[](CNoise& m) { m.humidity = NAN; }, "計算条件 の humidity が有限の数値ではありません: nan"},
        {[](CNoise& m) { m.maxReflections = 858993459; },
         "計算条件 の maxReflections が範囲外です: 858993459（0 から 100 まで）"},
        {[](CNoise& m) { m.buildings[0].rooms[0].openings[0].rect.p2.y = 1e62; },
         "建物 1 の室 1 の開口部 1 が大きすぎます: 音源 1e+62 個（100000 個まで）"},
        {[](CNoise& m) {
             // 250 × 400 patches (the last row 0.5 m high), two room sources: twice the limit.
             m.buildings[0].rooms[0].openings[0].rect = {{0, 0, 0}, {0, 250, 0}, {0, 250, 399.5}};
             m.buildings[0].rooms[0].sources.push_back(m.buildings[0].rooms[0].sources[0]);
         },
         "建物 1 の室 1 の開口部 1 が大きすぎます: 音源 200000 個（100000 個まで）"},
        {[](CNoise&) {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        CNoise site = RoomWithOneOpening();
        site.calcInfo.mode = kPointListMode;
        site.calcInfo.pointList = {CPredictivePoint({50, 0.5, 1.5})};
        site.calcInfo.pointList[0].resultAverage = CBand::Filled(60.0);
        c.plant(site);
        FakeRunHost host;
        host.chosenFiles[OutputFile::Breakdown] = Path("breakdown.csv");
        CPredictionJob job(site, {1, 0});
        job.RunHere(host);
        if (*c.error == '\0') {
            EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd}) << job.errorText();
            continue;
        }
        EXPECT_EQ(host.ends, std::vector<int>{kJobError});
        EXPECT_EQ(job.errorText(), c.error);
        EXPECT_TRUE(host.requestedFiles.empty());
        EXPECT_TRUE(site.openingSources.empty());
        EXPECT_TRUE(site.calcInfo.pointList[0].resultAverage.allEqual(60.0));
    }
    // With one room source the same opening makes exactly as many sources as allowed.
    CNoise largest = RoomWithOneOpening();
    largest.buildings[0].rooms[0].openings[0].rect = {{0, 0, 0}, {0, 250, 0}, {0, 250, 399.5}};
    EXPECT_EQ(OpeningPatchCount(largest.buildings[0].rooms[0].openings[0]), 100000.0);
    EXPECT_EQ(OpeningPatches(largest.buildings[0].rooms[0].openings[0]).size(), 100000u);
    EXPECT_FALSE(RunInputProblem(largest));
}

// A disk that fills up while a file of the run is written: the run ends with the write error and every
// file of that name keeps its previous content; nothing else is left in the folder.
TEST_F(PredictionRunTest, FullDiskLeavesThePreviousFilesWhole) {
    struct Case {
        const char* name;
        bool breakdown;
        rlim_t fileSizeLimit;  // bytes
    };
    const Case cases[] = {{"breakdown", true, 4096}, {"LAeqT file", false, 40}};
    ::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail with EFBIG
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir_ / "breakdown.csv", "old breakdown");
        WriteFile(dir_ / "laeq.txt", "old levels");
        CNoise site = GridSite();
        FakeRunHost host;
        if (c.breakdown) host.chosenFiles[OutputFile::Breakdown] = Path("breakdown.csv");
        host.chosenFiles[OutputFile::AverageResult] = Path("laeq.txt");
        CPredictionJob job(site, {1, 0});
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit unlimited = limit;
        limit.rlim_cur = c.fileSizeLimit;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        job.RunHere(host);
        ::setrlimit(RLIMIT_FSIZE, &unlimited);

        EXPECT_EQ(host.ends, std::vector<int>{kJobError});
        EXPECT_EQ(job.errorText(), "テキストファイル出力失敗!");
        EXPECT_EQ(Read("breakdown.csv"), "old breakdown");
        EXPECT_EQ(Read("laeq.txt"), "old levels");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 2);
    }
}

}  // namespace
}  // namespace kelmora
