// The commands on results driven as a user drives them: the contributions table, the exceedance of the
// limits kept beside a project, and a what-if scenario's levels from the transfers of a cache.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CalcProcess.h"
#include "model/persistence/ExtensionFile.h"
#include "model/persistence/TextCodec.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using testing::CalcProcess;
using testing::Outcome;
using testing::Slurp;
using testing::WriteBytes;

// Two outdoor sources (100 dB at the origin, 90 dB at (0, 40)) and two labelled points.
std::function<void(CNoise&)> TwoSources(double firstPower) {
    return [firstPower](CNoise& m) {
        m.outdoorSources[0].powerAverage = CBand::Filled(firstPower);
        m.outdoorSources[0].memo = "送風機, 屋上";
        CSound second = m.outdoorSources[0];
        second.position = {0, 40, 1.5};
        second.powerAverage = CBand::Filled(90.0);
        second.powerMax = CBand::Filled(95.0);
        second.memo = "ポンプ";
        m.outdoorSources.push_back(second);
        m.calcInfo.mode = kPointListMode;
        CPredictivePoint a({10, 0, 1.5}), b({0, 30, 1.5});
        a.label = "境界A";
        b.label = "住居1";
        m.calcInfo.pointList = {a, b};
    };
}

TEST_F(CalcProcess, ContributionsWriteTheRankedTableAndReuseTheCache) {
    const fs::path project = Project("two.kel", TwoSources(100.0));
    const std::string csv = (folder_ / "contrib.csv").string();
    const std::string cache = (folder_ / "run.cache").string();
    const Outcome first =
        Calc({"contributions", project.string(), "--quiet", "--cache", cache, "--csv", csv});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "転送: 計算 4 組, 再利用 0 組\n");
    const std::string bytes = Slurp(csv);
    EXPECT_NE(bytes.find("\r\n"), std::string::npos);
    const std::string text = Cp932ToUtf8(bytes);
    // At A the 100 dB source is 10 m away, the 90 dB one 41 m (22.5 dB less): it ranks first with 99.4 % of
    // the energy.
    EXPECT_EQ(text.substr(0, text.find("\r\n")),
              "予測点,X[m],Y[m],Z[m],音源,メモ,LAeqT[dB],LAmax[dB],寄与率[%],順位");
    EXPECT_NE(text.find("境界A,10.000,0.000,1.500,外部音源1,\"送風機, 屋上\",85.2,95.2,99.4,1\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("境界A,10.000,0.000,1.500,外部音源2,ポンプ,"), std::string::npos);
    // At the dwelling 30 m from the first source and 10 m from the second.
    EXPECT_NE(text.find("住居1,0.000,30.000,1.500,外部音源2,ポンプ,75.2,80.2,"), std::string::npos) << text;

    // A power edit: the second call traces nothing; without --csv the table goes to stdout.
    const fs::path quieter = Project("quieter.kel", TwoSources(70.0));
    const Outcome second = Calc({"contributions", quieter.string(), "--quiet", "--cache", cache});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.err, "転送: 計算 0 組, 再利用 4 組\n");
    EXPECT_NE(second.out.find("住居1,0.000,30.000,1.500,外部音源2,ポンプ,75.2,80.2,"), std::string::npos);
    EXPECT_NE(second.out.find("境界A,10.000,0.000,1.500,外部音源1,\"送風機, 屋上\",55.2,95.2,"),
              std::string::npos)
        << second.out;
}

TEST_F(CalcProcess, RunPrintsExceedancesAndComputesScenariosFromTheCache) {
    const fs::path project = Project("two.kel", TwoSources(100.0));
    ProjectExtras extras;
    extras.limits = {{LimitScope::AllPoints, "", 80.0, std::nullopt},
                     {LimitScope::LabelPrefix, "住居", 70.0, 85.0}};
    extras.scenarios = {{"対策", {{"外部音源1", true, -10.0}, {"外部音源2", false, 0.0}}}};
    WriteBytes(ExtensionFilePath(project), WriteExtensionText(extras));

    const Outcome limited = Calc({"run", project.string(), "--quiet", "--limits"});
    ASSERT_EQ(limited.status, 0) << limited.err;
    EXPECT_NE(limited.out.find("超過LAeqT[dB] 超過LAmax[dB]\n"), std::string::npos);
    EXPECT_NE(limited.out.find("10.000 0.000 1.500 85.2 95.2 5.2 -\n"), std::string::npos) << limited.out;

    const std::string cache = (folder_ / "run.cache").string();
    const std::string laeq = (folder_ / "laeq.txt").string();
    EXPECT_EQ(Calc({"run", project.string(), "--quiet", "--scenario", "対策"}).status, 1) << "needs a cache";
    const Outcome noCache =
        Calc({"run", project.string(), "--quiet", "--cache", cache, "--scenario", "対策"});
    EXPECT_EQ(noCache.status, 1);
    ASSERT_EQ(Calc({"run", project.string(), "--quiet", "--cache", cache}).status, 0);
    const Outcome missing =
        Calc({"run", project.string(), "--quiet", "--cache", cache, "--scenario", "無い"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("シナリオ「無い」"), std::string::npos);

    const Outcome scenario =
        Calc({"run", project.string(), "--quiet", "--cache", cache, "--scenario", "対策", "--laeq", laeq});
    ASSERT_EQ(scenario.status, 0) << scenario.err;
    EXPECT_EQ(scenario.err, "");
    const std::string fromCache = Slurp(laeq);
    // The same model edited by hand and run in full.
    const fs::path edited = Project("edited.kel", [](CNoise& m) {
        TwoSources(90.0)(m);
        m.outdoorSources[0].powerMax = CBand::Filled(100.0);
        m.outdoorSources[1].powerAverage = CBand::Filled(-100.0);
        m.outdoorSources[1].powerMax = CBand::Filled(-100.0);
    });
    ASSERT_EQ(Calc({"run", edited.string(), "--quiet", "--laeq", laeq}).status, 0);
    EXPECT_EQ(fromCache, Slurp(laeq));
}

}  // namespace
}  // namespace kelmora
