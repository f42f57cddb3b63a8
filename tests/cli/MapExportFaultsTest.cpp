// The map command's files under faults: a disk that fills up, a kill at any moment, the leftovers of an
// export killed before, symbolic links, and numbers that do not fit. Each ends with exit 0 and a whole
// file, or exit 1 with a message and the previous file as it was; nothing is left beside it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CalcProcess.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using testing::CalcProcess;
using testing::EndedProcess;
using testing::Outcome;
using testing::Slurp;
using testing::WriteBytes;

// The first bytes of each kind of file written.
std::string Signature(const std::string& name) {
    if (name.ends_with(".gpkg")) return std::string("SQLite format 3\0", 16);
    if (name.ends_with(".tif")) return std::string("II*\0", 4);
    if (name.ends_with(".png")) return "\x89PNG";
    if (name.ends_with(".svg")) return "<?xml";
    return "{";
}

class MapExportFaults : public CalcProcess {
protected:
    void SetUp() override {
        CalcProcess::SetUp();
        // A horizontal grid of 6 × 6 nodes, 4 m apart, around the source; its LAeqT result file.
        project_ = Project("grid.kel", [](CNoise& m) {
            CCalcInfo& c = m.calcInfo;
            c.mode = kHorizontalGridMode;
            c.rowDivisions = 5;
            c.columnDivisions = 5;
            for (int col = 0; col <= 5; ++col)
                for (int row = 0; row <= 5; ++row)
                    c.gridPoints.emplace_back(CVector3D{-10.0 + 4.0 * col, -10.0 + 4.0 * row, 1.5});
        });
        results_ = folder_ / "laeq.txt";
        const Outcome run = Calc({"run", project_.string(), "--laeq", results_.string(), "--quiet"});
        ASSERT_EQ(run.status, 0) << run.err;
    }

    Outcome Map(const fs::path& out, std::vector<std::string> more = {},
                const testing::Options& options = {}) {
        std::vector<std::string> args = {"map", project_.string(), "--results", results_.string(),
                                         "-o",  out.string()};
        args.insert(args.end(), more.begin(), more.end());
        return Calc(args, options);
    }

    fs::path project_;
    fs::path results_;
};

TEST_F(MapExportFaults, AFullDiskKeepsThePreviousMap) {
    for (const char* name : {"m.geojson", "m.gpkg", "m.tif", "m.png", "m.svg"}) {
        SCOPED_TRACE(name);
        const fs::path out = folder_ / name;
        WriteBytes(out, "the previous map");
        // Room for a few hundred bytes: the file is cut short however it is written.
        const Outcome full = Map(out, {}, {.fileSizeLimit = 300});
        EXPECT_EQ(full.status, 1);
        EXPECT_NE(full.err.find(out.string()), std::string::npos) << full.err;
        EXPECT_NE(full.err.find("File too large"), std::string::npos) << full.err;
        EXPECT_EQ(Slurp(out), "the previous map");
        EXPECT_EQ(Names(), (std::vector<std::string>{"grid.kel", "laeq.txt", name}));
        fs::remove(out);
        const Outcome room = Map(out);
        EXPECT_EQ(room.status, 0) << room.err;
        EXPECT_EQ(Slurp(out).substr(0, Signature(name).size()), Signature(name));
        fs::remove(out);
    }
}

// A kill at any moment of an export leaves the previous file or the new one, whole, and nothing else.
// Where the file system has no unnamed files, the temporary of an export killed before has a name; it
// goes with the next export of that file once its process has ended.
TEST_F(MapExportFaults, AKilledExportLeavesNothingBesideTheMap) {
    const fs::path out = folder_ / "m.gpkg";
    WriteBytes(out, "the previous map");
    for (int afterMs : {100, 300, 500, 700, 900}) {
        SCOPED_TRACE(afterMs);
        Map(out, {}, {.interruptAfterMs = afterMs, .signal = SIGKILL});
        const std::string bytes = Slurp(out);
        EXPECT_TRUE(bytes == "the previous map" || bytes.starts_with(Signature("m.gpkg")));
        EXPECT_EQ(Names(), (std::vector<std::string>{"grid.kel", "laeq.txt", "m.gpkg"}));
    }
    const std::string stale = ".m.gpkg." + std::to_string(EndedProcess()) + ".0123456789abcdef.tmp";
    WriteBytes(folder_ / stale, "half a database");
    const Outcome map = Map(out);
    EXPECT_EQ(map.status, 0) << map.err;
    EXPECT_EQ(Names(), (std::vector<std::string>{"grid.kel", "laeq.txt", "m.gpkg"}));
}

// Every form of the map written through a symbolic link: the link stays and its target is replaced.
TEST_F(MapExportFaults, MapsAreWrittenThroughSymbolicLinks) {
    fs::create_directory(folder_ / "store");
    for (const char* name : {"m.geojson", "m.gpkg", "m.tif", "m.png", "m.svg"}) {
        SCOPED_TRACE(name);
        const fs::path link = folder_ / ("link-" + std::string(name));
        fs::create_symlink(fs::path("store") / name, link);
        const Outcome map = Map(link);
        EXPECT_EQ(map.status, 0) << map.err;
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(Slurp(folder_ / "store" / name).substr(0, Signature(name).size()), Signature(name));
    }
}

// Numbers beyond their type or their sense: refused with a message, nothing written.
TEST_F(MapExportFaults, NumbersOutOfRangeAreRefused) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--size", "4294967297x4294967297"},
         "--size は 幅x高さ (1..16384) で指定してください: 4294967297x4294967297"},
        {{"--size", "0x100"}, "--size は 幅x高さ (1..16384) で指定してください: 0x100"},
        {{"--crs", "EPSG:4294973973"}, "--crs は EPSG:番号 で指定してください: EPSG:4294973973"},
        {{"--crs", "EPSG:-6677"}, "--crs は EPSG:番号 で指定してください: EPSG:-6677"},
        {{"--step", "1e-320"}, "等級の幅は 0.1 dB 以上にしてください"},
        {{"--step", "0.01"}, "等級の幅は 0.1 dB 以上にしてください"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        std::vector<std::string> args = c.args;
        const Outcome map = Map(folder_ / "m.png", args);
        EXPECT_EQ(map.status, 1);
        EXPECT_EQ(map.err, c.message + "\n");
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"grid.kel", "laeq.txt"}));
}

}  // namespace
}  // namespace kelmora
