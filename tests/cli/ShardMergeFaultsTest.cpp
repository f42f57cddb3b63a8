// The shard and merge commands under faults, as a batch scheduler and a careless job script meet them:
// names that cannot take a part, links, empty or huge shard numbers, termination and kills, the
// leftovers of an earlier attempt, and signals and unopenable files during a merge. Each ends with exit
// 0 (whole files), 1 with a message, or the cancel's status, and never leaves a previous file replaced
// by a partial one or a temporary beside it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CalcProcess.h"
#include "propagation/SceneFixtures.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using testing::CalcProcess;
using testing::EndedProcess;
using testing::Options;
using testing::Outcome;
using testing::Slurp;
using testing::WriteBytes;

// A list of points among three buildings with reflections: each point takes a while, and its breakdown
// is long.
void ListAmongBuildings(CNoise& m, int points, int reflections) {
    m.buildings = {fixtures::BoxBuilding(-10, 4, 10, 10, 8.0), fixtures::BoxBuilding(-10, -10, 10, -4, 8.0),
                   fixtures::BoxBuilding(12, -10, 20, 10, 8.0)};
    m.outdoorSources[0].position = {-5, 0, 1.5};
    m.maxReflections = reflections;
    m.calcInfo.mode = kPointListMode;
    for (int i = 0; i < points; ++i)
        m.calcInfo.pointList.emplace_back(CVector3D{-8.0 + 0.5 * i, 0.5 * (i % 5) - 1.0, 1.5});
}

class ShardMergeFaults : public CalcProcess {
protected:
    // A shard of a short list into `part`, with progress lines.
    Outcome Shard(const fs::path& project, const std::string& part, const std::string& shard = "1/2") {
        return Calc({"run", project.string(), "--shard", shard, "--part", part});
    }
};

// A folder, a pipe, a device node or an empty name at --part: refused before a point is computed, the
// name left as it was. Shard numbers that an unset variable or a typo gives: refused as well.
TEST_F(ShardMergeFaults, NamesThatCannotTakeAPartAndBadShardNumbersAreRefusedFirst) {
    const fs::path project = Project("list.kel", [](CNoise& m) { ListAmongBuildings(m, 4, 1); });
    const fs::path folder = folder_ / "a-folder";
    fs::create_directory(folder);
    const fs::path fifo = folder_ / "a-fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // The null device's numbers, made here: as root a replaced node would be a real loss.
    const fs::path device = folder_ / "a-null-device";
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;

    struct Case {
        std::string part;
        std::string reason;
    };
    std::vector<Case> cases = {{folder.string(), "Is a directory"},
                               {fifo.string(), "通常のファイルではありません"},
                               {"", "No such file or directory"}};
    if (haveDevice) cases.push_back({device.string(), "通常のファイルではありません"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        const Outcome run = Shard(project, c.part);
        EXPECT_FALSE(run.hung);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "パートファイルを作成できません: " + c.part + " (" + c.reason + ")\n");
    }
    EXPECT_TRUE(fs::is_directory(folder) && fs::is_empty(folder));
    EXPECT_TRUE(fs::is_fifo(fifo));
    if (haveDevice) {
        EXPECT_TRUE(fs::is_character_file(device));
    }

    for (const char* shard : {"", "1/", "0/2", "3/2", "4294967297/4294967298", "1/2 ", "1/100001"}) {
        SCOPED_TRACE(shard);
        const Outcome run = Shard(project, (folder_ / "part").string(), shard);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err,
                  std::string("--shard は K/N (1 ≤ K ≤ N ≤ 100000) で指定してください: ") + shard + "\n");
    }
    std::vector<std::string> expected = {"a-fifo", "a-folder", "list.kel"};
    if (haveDevice) expected.insert(expected.begin() + 2, "a-null-device");
    EXPECT_EQ(Names(), expected);
}

// A part named through a symbolic link replaces the link's target; the link stays.
TEST_F(ShardMergeFaults, APartIsWrittenThroughASymbolicLink) {
    const fs::path project = Project("list.kel", [](CNoise& m) { ListAmongBuildings(m, 2, 0); });
    fs::create_directory(folder_ / "store");
    WriteBytes(folder_ / "store" / "part-1", "an older part");
    fs::create_symlink("store/part-1", folder_ / "link");
    const Outcome run =
        Calc({"run", project.string(), "--shard", "1/1", "--part", (folder_ / "link").string(), "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(folder_ / "link"));
    EXPECT_EQ(Slurp(folder_ / "store" / "part-1").substr(0, 8), "KELMPART");
    const Outcome merge = Calc({"merge", project.string(), (folder_ / "link").string(), "--quiet"});
    EXPECT_EQ(merge.status, 0) << merge.err;
}

// SIGTERM, as a scheduler sends it at a time limit or on scancel, cancels the shard: status 143, the
// previous part at the name kept, no temporary left; a kill leaves no temporary either. The next
// attempt removes the leftovers of attempts that ended, and only theirs.
TEST_F(ShardMergeFaults, TerminationAndKillsLeaveNoTemporaryAndTheNextAttemptClearsOldOnes) {
    const fs::path project = Project("long.kel", [](CNoise& m) { ListAmongBuildings(m, 3, 100); });
    const fs::path part = folder_ / "part";
    WriteBytes(part, "the part of an earlier run");
    const Outcome terminated =
        Calc({"run", project.string(), "--shard", "1/1", "--part", part.string(), "--quiet"},
             {.interruptAfterMs = 500, .signal = SIGTERM});
    EXPECT_EQ(terminated.status, 143);
    EXPECT_EQ(terminated.err, "キャンセルしました.\n");
    const Outcome killed =
        Calc({"run", project.string(), "--shard", "1/1", "--part", part.string(), "--quiet"},
             {.interruptAfterMs = 500, .signal = SIGKILL});
    EXPECT_EQ(killed.status, 128 + SIGKILL);
    EXPECT_EQ(Slurp(part), "the part of an earlier run");
    EXPECT_EQ(Names(), (std::vector<std::string>{"long.kel", "part"}));

    // Leftovers named as the program names its temporaries (where a file system has no unnamed
    // files): of an ended attempt, of a process that still runs (this test), and of another name.
    const std::string random = ".0123456789abcdef.tmp";
    const std::string ended = ".part." + std::to_string(EndedProcess()) + random;
    const std::string running = ".part." + std::to_string(::getpid()) + random;
    const std::string other = ".other." + std::to_string(EndedProcess()) + random;
    for (const std::string& name : {ended, running, other})
        WriteBytes(folder_ / name, "195 MB once");
    const fs::path quick = Project("quick.kel", [](CNoise& m) { ListAmongBuildings(m, 2, 0); });
    const Outcome next = Calc({"run", quick.string(), "--shard", "1/1", "--part", part.string(), "--quiet"});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(Names(), (std::vector<std::string>{other, running, "long.kel", "part", "quick.kel"}));
}

// Ctrl+C or SIGTERM at any moment of a merge: the merge ends whole (status 0) or keeps the previous
// breakdown (the cancel's status); a file that cannot be opened is named on the same line as what
// went wrong; a pipe given as a part is refused without waiting for a writer.
TEST_F(ShardMergeFaults, AMergeEndsWholeOrKeepsThePreviousFiles) {
    const fs::path project = Project("list.kel", [](CNoise& m) { ListAmongBuildings(m, 12, 2); });
    const fs::path reference = folder_ / "reference.csv";
    ASSERT_EQ(Calc({"run", project.string(), "--breakdown", reference.string(), "--quiet"}).status, 0);
    const std::string whole = Slurp(reference);
    fs::remove(reference);
    std::vector<std::string> args = {"merge", project.string()};
    for (int k = 1; k <= 3; ++k) {
        const std::string part = (folder_ / ("part-" + std::to_string(k))).string();
        ASSERT_EQ(Calc({"run", project.string(), "--shard", std::to_string(k) + "/3", "--part", part,
                        "--with-breakdown", "--quiet"})
                      .status,
                  0);
        args.push_back(part);
    }
    const fs::path breakdown = folder_ / "breakdown.csv";
    args.insert(args.end(), {"--breakdown", breakdown.string(), "--quiet"});
    const std::vector<std::string> names = {"breakdown.csv", "list.kel", "part-1", "part-2", "part-3"};
    int cancelled = 0;
    for (int signal : {SIGINT, SIGTERM}) {
        for (int afterMs : {1, 10, 30, 60, 120}) {
            SCOPED_TRACE(::testing::Message() << "signal " << signal << " after " << afterMs << " ms");
            WriteBytes(breakdown, "the breakdown of an earlier merge");
            const Outcome merge = Calc(args, {.interruptAfterMs = afterMs, .signal = signal});
            if (merge.status == 0) {
                EXPECT_EQ(Slurp(breakdown), whole);
            } else {
                ++cancelled;
                EXPECT_EQ(merge.status, 128 + signal) << merge.err;
                EXPECT_EQ(Slurp(breakdown), "the breakdown of an earlier merge");
            }
            EXPECT_EQ(Names(), names);
        }
    }
    EXPECT_GT(cancelled, 0) << "no signal came during a merge: the test shows nothing";

    const std::string unopenable = (folder_ / "missing" / "breakdown.csv").string();
    std::vector<std::string> toMissing = args;
    toMissing[toMissing.size() - 2] = unopenable;
    const Outcome missing = Calc(toMissing);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "出力テキストファイルオープンエラー (" + unopenable + ")\n");

    const fs::path fifo = folder_ / "part-fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> withFifo = args;
    withFifo[4] = fifo.string();
    const Outcome piped = Calc(withFifo, {.timeoutSeconds = 20});
    EXPECT_FALSE(piped.hung);
    EXPECT_EQ(piped.status, 1);
    EXPECT_NE(piped.err.find(fifo.string() + ": パートファイルを開けません (通常のファイルではありません)\n"),
              std::string::npos)
        << piped.err;
}

}  // namespace
}  // namespace kelmora
