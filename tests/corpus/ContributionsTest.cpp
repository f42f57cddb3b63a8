// What each source adds at each point, from the transfers of whole runs of random sites and of the
// bundled example: the partials add up to the points' levels, a source switched off takes away exactly
// its own share, and a what-if scenario computed from the transfers writes the result files of a full
// run of the model edited the same way.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ExampleSample.h"
#include "RandomSite.h"
#include "calc/FakeRunHost.h"
#include "calc/PredictionRun.h"
#include "calc/ResultFiles.h"
#include "calc/ScenarioModel.h"
#include "calc/SourceContributions.h"
#include "model/persistence/ProjectJson.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using corpus::ExampleGridSample;
using corpus::Slurp;

struct ResultTexts {
    std::string laeq;
    std::string lamax;
};

// Runs the model as the desktop program does, with both result files; the model keeps the results.
ResultTexts RunModel(CNoise& model, CTransferStore* store) {
    const fs::path dir = fs::temp_directory_path() / ("kelmora-contrib-" + std::to_string(getpid()));
    fs::create_directories(dir);
    FakeRunHost host;
    host.chosenFiles[OutputFile::AverageResult] = (dir / "laeq.txt").string();
    host.chosenFiles[OutputFile::MaximumResult] = (dir / "lamax.txt").string();
    {
        CPredictionJob job(model, {2, 0}, store);
        job.RunHere(host);
    }
    EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    ResultTexts out{Slurp(dir / "laeq.txt"), Slurp(dir / "lamax.txt")};
    fs::remove_all(dir);
    return out;
}

// The files the run writes for the model's present results, without running it.
ResultTexts FilesOf(const CNoise& model) {
    CTextBuffer laeq, lamax;
    WriteXyzResults(laeq, ResultLevel::Average, model.calcInfo.PredictionPoints(), nullptr);
    WriteXyzResults(lamax, ResultLevel::Maximum, model.calcInfo.PredictionPoints(), nullptr);
    return {laeq.bytes(), lamax.bytes()};
}

struct Site {
    std::string name;
    CNoise model;
};

std::vector<Site> Sites() {
    std::vector<Site> sites{{"example", ExampleGridSample(10)}};
    for (const std::uint64_t seed : {3u, 11u, 29u})
        sites.push_back({"random " + std::to_string(seed), corpus::RandomSite(seed)});
    return sites;
}

std::vector<double> Column(const std::vector<SourceShare>& shares, bool maximum) {
    std::vector<double> levels;
    for (const SourceShare& s : shares)
        levels.push_back(maximum ? s.lamaxOverall : s.laeqOverall);
    return levels;
}

TEST(Contributions, PartialsAddUpToEveryPointsLevelsAndOffTakesOnlyItsOwnShare) {
    for (Site& site : Sites()) {
        SCOPED_TRACE(site.name);
        CTransferStore store;
        RunModel(site.model, &store);
        const std::vector<UserSourceInfo> infos = UserSourceInfos(site.model);
        ASSERT_EQ(infos.size(), UserSources(site.model).size());
        const std::span<const CPredictivePoint> points = site.model.calcInfo.PredictionPoints();
        int checked = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const std::vector<SourceShare> shares = PointShares(site.model, store, i);
            ASSERT_EQ(shares.size(), infos.size());
            const double laeq = points[i].resultAverage.overallLevel();
            const double lamax = points[i].resultMax.overallLevel();
            if (laeq < -80.0) continue;  // reached by nothing
            EXPECT_NEAR(EnergySumLevel(Column(shares, false)), laeq, 0.01) << "point " << i;
            EXPECT_NEAR(EnergySumLevel(Column(shares, true)), lamax, 0.01) << "point " << i;
            // Grouped by building: the same sums, each building once.
            const std::vector<RankedShare> groups = RankSharesByBuilding(shares, infos);
            std::vector<double> groupLevels;
            double percent = 0.0;
            for (const RankedShare& g : groups) {
                groupLevels.push_back(g.laeq);
                percent += g.percent;
            }
            EXPECT_NEAR(EnergySumLevel(groupLevels), laeq, 0.01);
            EXPECT_NEAR(percent, 100.0, 1e-6);
            ++checked;
        }
        EXPECT_GT(checked, 0);

        // Each source switched off in turn: its share goes, every other share stays bit for bit.
        for (std::size_t s = 0; s < infos.size(); ++s) {
            Scenario off{"off", {{infos[s].name, false, 0.0}}};
            const std::optional<CNoise> variant = ScenarioFromTransfers(site.model, off, store);
            ASSERT_TRUE(variant.has_value());
            for (std::size_t i = 0; i < points.size(); i += 7) {
                const std::vector<SourceShare> before = PointShares(site.model, store, i);
                const std::vector<SourceShare> after = PointShares(*variant, store, i);
                std::vector<double> others;
                for (std::size_t o = 0; o < infos.size(); ++o) {
                    if (o == s) {
                        if (before[o].reached) {
                            EXPECT_LT(after[o].laeqOverall, before[o].laeqOverall - 60.0);
                        }
                    } else {
                        EXPECT_EQ(after[o].laeq, before[o].laeq) << "source " << o << " at point " << i;
                        EXPECT_EQ(after[o].lamax, before[o].lamax);
                        others.push_back(before[o].laeqOverall);
                    }
                }
                const double level = variant->calcInfo.PredictionPoints()[i].resultAverage.overallLevel();
                if (EnergySumLevel(others) > -80.0) {
                    EXPECT_NEAR(EnergySumLevel(others), level, 0.01);
                }
            }
        }
    }
}

TEST(Contributions, BuildingGroupSumsItsRoomsSources) {
    const std::vector<UserSourceInfo> infos = {{"外部音源1", "", -1},
                                               {"建物1-室1-音源1", "", 0},
                                               {"建物1-室2-音源1", "", 0},
                                               {"建物2-室1-音源1", "", 1}};
    std::vector<SourceShare> shares(4);
    const double levels[] = {40.0, 50.0, 50.0, 30.0};
    for (int i = 0; i < 4; ++i) {
        shares[i].reached = true;
        shares[i].laeqOverall = levels[i];
        shares[i].lamaxOverall = levels[i] + 10.0;
    }
    const std::vector<RankedShare> groups = RankSharesByBuilding(shares, infos);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].name, "建物1");
    EXPECT_NEAR(groups[0].laeq, 50.0 + 10.0 * std::log10(2.0), 1e-9);
    EXPECT_NEAR(groups[0].lamax, 60.0 + 10.0 * std::log10(2.0), 1e-9);
    EXPECT_EQ(groups[1].name, "外部音源1");
    EXPECT_EQ(groups[2].name, "建物2");
    EXPECT_EQ(groups[2].rank, 3);
    // 2e5 of 2e5 + 1e4 + 1e3 in energy.
    EXPECT_NEAR(groups[0].percent, 100.0 * 2e5 / 2.11e5, 1e-9);
}

TEST(Contributions, WhatIfFromTransfersWritesTheFilesOfAFullRunOfTheEditedModel) {
    for (Site& site : Sites()) {
        SCOPED_TRACE(site.name);
        CTransferStore store;
        RunModel(site.model, &store);
        const std::vector<UserSourceInfo> infos = UserSourceInfos(site.model);
        ASSERT_GE(infos.size(), 2u);
        const std::string last = infos.back().name;
        struct Case {
            std::string name;
            Scenario scenario;
            void (*timeEdit)(CNoise&);
        };
        const std::vector<Case> cases = {
            {"power", {"quieter", {{infos[0].name, true, -6.5}, {last, true, 2.0}}}, nullptr},
            {"off", {"off", {{infos[0].name, false, 0.0}}}, nullptr},
            {"time pattern",
             {"night", {}},
             [](CNoise& m) {
                 CSound& s = m.outdoorSources.at(0);
                 s.eventsPerHour /= 3.0;
                 s.duration = std::min(s.duration, 600.0);
                 m.targetTime = 28800.0;
             }},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            std::optional<CNoise> whatIf;
            if (c.timeEdit == nullptr) {
                whatIf = ScenarioFromTransfers(site.model, c.scenario, store);
                ASSERT_TRUE(whatIf.has_value());
            } else {
                whatIf = site.model;
                c.timeEdit(*whatIf);
                ASSERT_TRUE(InstantUpdatePossible(site.model, *whatIf, store));
                ASSERT_TRUE(RecomputeFromTransfers(*whatIf, store));
            }
            CNoise edited = c.timeEdit == nullptr ? ApplyScenario(site.model, c.scenario) : *whatIf;
            const ResultTexts full = RunModel(edited, nullptr);
            const ResultTexts instant = FilesOf(*whatIf);
            EXPECT_EQ(instant.laeq, full.laeq);
            EXPECT_EQ(instant.lamax, full.lamax);
            EXPECT_NE(instant.laeq, FilesOf(site.model).laeq);
        }
    }
}

}  // namespace
}  // namespace kelmora
