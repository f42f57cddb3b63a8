// Result files read back onto their grid: both forms as a run writes them (CP932 header, CR LF), the
// placing of a matrix by the generated grid, points without a result, and files that do not fit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "view/noisemap/ResultFile.h"

namespace kelmora {
namespace {

// "# 予測点X[m] Y[m] 等価騒音レベルLAeqT[dB] 予測点Z[m]" and its LAmax twin in CP932, as a run writes them.
const std::string kLAeqHeader =
    "# \x97\x5c\x91\xaa\x93\x5f"
    "X[m] Y[m] \x93\x99\x89\xbf\x91\x9b\x89\xb9\x83\x8c\x83\x78\x83\x8b"
    "LAeqT[dB] \x97\x5c\x91\xaa\x93\x5f"
    "Z[m]\r\n";
const std::string kLAmaxHeader =
    "# \x97\x5c\x91\xaa\x93\x5f"
    "X[m] Y[m] \x8d\xc5\x91\xe5\x91\x9b\x89\xb9\x83\x8c\x83\x78\x83\x8b"
    "LAmax[dB] \x97\x5c\x91\xaa\x93\x5f"
    "Z[m]\r\n";

// A horizontal grid of 3 columns × 2 rows (columnDivisions 2, rowDivisions 1) at 10 m spacing, 1.5 m
// above a ground at 12 m, in generated order: columns left to right, each from its bottom node.
CCalcInfo SmallGrid() {
    CCalcInfo calc;
    calc.mode = kHorizontalGridMode;
    calc.rowDivisions = 1;
    calc.columnDivisions = 2;
    for (int c = 0; c <= 2; ++c) {
        for (int r = 0; r <= 1; ++r)
            calc.gridPoints.emplace_back(CVector3D{10.0 * c, 5.0 + 10.0 * r, 13.5});
    }
    return calc;
}

std::string XyzLine(double x, double y, double level, double z) {
    char line[128];
    std::snprintf(line, sizeof line, " %.3f %.3f %.1f %.3f\r\n", x, y, level, z);
    return line;
}

std::string SmallGridXyz(const std::string& header, const double levels[6]) {
    std::string text = header;
    const CCalcInfo calc = SmallGrid();
    for (std::size_t i = 0; i < 6; ++i) {
        const CVector3D& p = calc.gridPoints[i].position;
        text += XyzLine(p.x, p.y, levels[i], p.z);
    }
    return text;
}

std::string WithoutLastLine(const std::string& text) {
    return text.substr(0, text.rfind("\r\n", text.size() - 3) + 2);
}

TEST(ResultFile, XyzFormIsPlacedInFileOrderWithItsOwnPositionsAndQuantity) {
    const double levels[6] = {55.2, 48.0, 61.7, -86.8, 40.1, 39.9};
    const ResultFileData data = ParseResultFile(SmallGridXyz(kLAeqHeader, levels));
    EXPECT_EQ(data.form, ResultFileData::Form::Xyz);
    EXPECT_EQ(data.quantity, MapQuantity::LAeqT);
    EXPECT_EQ(ParseResultFile(SmallGridXyz(kLAmaxHeader, levels)).quantity, MapQuantity::LAmax);

    // The project's own grid points may since have moved: the file's positions count.
    CCalcInfo calc = SmallGrid();
    for (CPredictivePoint& p : calc.gridPoints)
        p.position.x += 1000;
    const LevelGrid grid = PlaceResultFile(data, calc);
    EXPECT_EQ(grid.columns, 3);
    EXPECT_EQ(grid.rows, 2);
    EXPECT_EQ(grid.positions[grid.Index(2, 1)], (CVector3D{20, 15, 13.5}));
    EXPECT_DOUBLE_EQ(grid.levels[grid.Index(1, 0)], 61.7);
    EXPECT_TRUE(std::isnan(grid.levels[grid.Index(1, 1)]));  // −86.8 dB: reached by no source
}

TEST(ResultFile, MatrixRowsAreGridRowsFromTheBottomPlacedOnTheGeneratedPoints) {
    // Line r holds row r (bottom first), value c is column c: grid point c·(rowDivisions + 1) + r.
    const std::string matrix = " 50.0 51.0 52.0\r\n 60.0 61.0 -86.8\r\n";
    const ResultFileData data = ParseResultFile(matrix);
    EXPECT_EQ(data.form, ResultFileData::Form::Matrix);
    EXPECT_EQ(data.quantity, MapQuantity::Unknown);
    const CCalcInfo calc = SmallGrid();
    const LevelGrid grid = PlaceResultFile(data, calc);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(grid.positions[grid.Index(c, 0)], calc.gridPoints[2 * c].position);
        EXPECT_DOUBLE_EQ(grid.levels[grid.Index(c, 0)], 50.0 + c);
    }
    EXPECT_DOUBLE_EQ(grid.levels[grid.Index(1, 1)], 61.0);
    EXPECT_TRUE(std::isnan(grid.levels[grid.Index(2, 1)]));
    // Plain LF line ends, blank lines and a missing last line end read the same.
    const LevelGrid lf = PlaceResultFile(ParseResultFile("\n 50.0 51.0 52.0\n\n 60.0 61.0 -86.8"), calc);
    EXPECT_EQ(lf.positions, grid.positions);
    EXPECT_DOUBLE_EQ(lf.levels[grid.Index(1, 1)], 61.0);
}

TEST(ResultFile, FilesThatDoNotFitTheProjectsGridAreRefusedWithTheReason) {
    const double levels[6] = {55, 48, 61, 50, 40, 39};
    const CCalcInfo calc = SmallGrid();
    const struct {
        const char* name;
        std::string bytes;
        CCalcInfo calc;
        const char* reason;
    } cases[] = {
        {"xyz with a point too few", WithoutLastLine(SmallGridXyz(kLAeqHeader, levels)), calc, "点の数 5"},
        {"matrix of other size", " 50 51\r\n 60 61\r\n", calc, "2 行 × 2 列"},
        {"matrix without generated points", " 50 51 52\r\n 60 61 62\r\n",
         [] {
             CCalcInfo c = SmallGrid();
             c.gridPoints.clear();
             return c;
         }(),
         "格子の予測点がありません"},
        {"points that are no grid",
         kLAeqHeader + XyzLine(0, 5, 50, 0) + XyzLine(0, 15, 50, 0) + XyzLine(10, 5, 50, 0) +
             XyzLine(10, 15, 50, 0) + XyzLine(5, 10, 50, 0) + XyzLine(20, 15, 50, 0),
         calc, "格子になっていません"},
        {"divisions out of range", " 1\r\n",
         [] {
             CCalcInfo c;
             c.rowDivisions = 0;
             return c;
         }(),
         "範囲外"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            PlaceResultFile(ParseResultFile(c.bytes), c.calc);
            ADD_FAILURE() << "accepted";
        } catch (const NoiseMapError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST(ResultFile, BytesThatAreNoResultFileAreRefusedNamingTheLine) {
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"empty", "", "レベルがありません"},
        {"header only", kLAeqHeader, "レベルがありません"},
        {"three numbers in xyz", kLAeqHeader + " 1 2 3\r\n", "2 行目"},
        {"a word", kLAeqHeader + XyzLine(0, 0, 50, 0) + " 1 2 abc 4\r\n", "3 行目"},
        {"not a number", " 1 2 nan\r\n", "1 行目"},
        {"infinite", " 1 2 1e400\r\n", "1 行目"},
        {"ragged matrix", " 1 2 3\r\n 4 5\r\n", "2 行目"},
        {"header inside a matrix", " 1 2 3\r\n# x\r\n", "2 行目"},
        {"huge value", " 1 2 3e12\r\n", "1 行目"},
        {"binary", std::string("\x00\x01\x02\xff\xfe", 5), "1 行目"},
        {"long line", std::string(kMaxResultLineBytes + 1, ' ') + "1", "1 行目"},
        {"too many columns",
         [] {
             std::string line;
             for (std::size_t i = 0; i <= kMaxGridSide; ++i)
                 line += " 1";
             return line;
         }(),
         "1 行目"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ParseResultFile(c.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const NoiseMapError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST(ResultFile, ReadFromDiskNamesTheFileThatCannotBeOpened) {
    const std::filesystem::path missing =
        std::filesystem::temp_directory_path() / "kelmora-no-such-result.txt";
    try {
        ReadResultFile(missing, SmallGrid());
        ADD_FAILURE() << "read";
    } catch (const NoiseMapError& e) {
        EXPECT_NE(std::string(e.what()).find("kelmora-no-such-result.txt"), std::string::npos);
    }
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "kelmora-result-test.txt";
    const double levels[6] = {55, 48, 61, 50, 40, 39};
    std::ofstream(file, std::ios::binary) << SmallGridXyz(kLAmaxHeader, levels);
    MapQuantity quantity = MapQuantity::Unknown;
    const LevelGrid grid = ReadResultFile(file, SmallGrid(), &quantity);
    EXPECT_EQ(quantity, MapQuantity::LAmax);
    EXPECT_EQ(grid.NodeCount(), 6u);
    std::filesystem::remove(file);
}

// ---------------------------------------------------------------------------------------------------

TEST(LevelGrid, PointsWithoutSoundHaveNoResultAndTheCountMustMatchTheDivisions) {
    std::vector<CPredictivePoint> points(6);
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].position = {1.0 * i, 0, 0};
        points[i].resultAverage = CBand::Filled(40.0 + i);
        points[i].resultMax = CBand::Filled(50.0 + i);
    }
    // A point below the ground keeps the no-sound spectrum: −100 dB in each band, −86.8 dB overall.
    points[4].resultAverage = CBand::Filled(kNoSoundLevel);
    const LevelGrid average = GridFromPoints(points, 1, 2, MapQuantity::LAeqT);
    const LevelGrid maximum = GridFromPoints(points, 1, 2, MapQuantity::LAmax);
    const double bands21 = 10 * std::log10(21.0);
    EXPECT_NEAR(average.levels[0], 40 + bands21, 1e-9);
    EXPECT_NEAR(maximum.levels[0], 50 + bands21, 1e-9);
    EXPECT_TRUE(std::isnan(average.levels[4]));
    EXPECT_FALSE(std::isnan(maximum.levels[4]));
    EXPECT_NEAR(NoSoundOverallLevel(), -100 + bands21, 1e-9);
    EXPECT_TRUE(IsNoResultLevel(-86.8));   // as a result file prints it
    EXPECT_FALSE(IsNoResultLevel(-86.6));  // a real, if faint, level
    EXPECT_THROW(GridFromPoints(points, 2, 2, MapQuantity::LAeqT), NoiseMapError);
    EXPECT_THROW(GridFromPoints(points, -1, 2, MapQuantity::LAeqT), NoiseMapError);
}

TEST(LevelGrid, VerticalGridsAreDrawnAlongTheLineAtTheNodesElevations) {
    // Two columns 5 m apart along a line running north-east, nodes at 1.5 and 3 m over a ground at 10
    // and 11 m.
    LevelGrid g;
    g.columns = 2;
    g.rows = 2;
    g.positions = {{0, 0, 11.5}, {0, 0, 13}, {3, 4, 12.5}, {3, 4, 14}};
    g.levels = {50, 51, 52, 53};
    ASSERT_TRUE(IsVerticalGrid(g));
    const std::vector<MapPoint> m = MapCoordinates(g);
    EXPECT_DOUBLE_EQ(m[3].x(), 5.0);
    EXPECT_DOUBLE_EQ(m[3].y(), 14.0);
    EXPECT_DOUBLE_EQ(m[1].x(), 0.0);
    g.positions[1].x = 0.01;  // a column leaning 1 cm: no vertical grid
    EXPECT_FALSE(IsVerticalGrid(g));
    EXPECT_DOUBLE_EQ(MapCoordinates(g)[3].x(), 3.0);  // plan coordinates
}

TEST(LevelGrid, DifferenceOfTwoScenariosIsNodeByNodeAndRefusesAnotherGrid) {
    LevelGrid a;
    a.columns = 2;
    a.rows = 2;
    a.positions = {{0, 0, 1}, {0, 10, 1}, {10, 0, 1}, {10, 10, 1}};
    a.levels = {50, 60, std::nan(""), 45};
    LevelGrid b = a;
    b.levels = {47, 61.5, 40, 45};
    b.positions[3].z = 4;  // an embankment in scenario B lifts the ground under one node
    const LevelGrid d = DifferenceGrid(a, b);
    EXPECT_DOUBLE_EQ(d.levels[0], 3.0);
    EXPECT_DOUBLE_EQ(d.levels[1], -1.5);
    EXPECT_TRUE(std::isnan(d.levels[2]));
    EXPECT_DOUBLE_EQ(d.levels[3], 0.0);

    LevelGrid moved = b;
    moved.positions[2].x += 0.003;  // 3 mm: another grid
    EXPECT_THROW(DifferenceGrid(a, moved), NoiseMapError);
    LevelGrid bigger = a;
    bigger.columns = 1;
    bigger.rows = 4;
    try {
        DifferenceGrid(a, bigger);
        ADD_FAILURE();
    } catch (const NoiseMapError& e) {
        EXPECT_NE(std::string(e.what()).find("格子が異なります"), std::string::npos);
    }
}

}  // namespace
}  // namespace kelmora
