#include "view/noisemap/ResultFile.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "model/persistence/InputFile.h"

namespace kelmora {

namespace {

// Coordinates and levels beyond this are no result of a run [m, dB].
constexpr double kLargestValue = 1e9;

[[noreturn]] void Fail(const std::string& message) {
    throw NoiseMapError(message);
}

[[noreturn]] void FailAtLine(std::size_t line, const std::string& why) {
    Fail("結果ファイルの " + std::to_string(line) + " 行目を読めません: " + why);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// The numbers of one line; false when a word is not a finite number of a plausible size.
bool ParseNumbers(std::string_view line, std::vector<double>& out, std::size_t most) {
    out.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size()) break;
        std::size_t end = i;
        while (end < line.size() && !IsBlank(line[end]))
            ++end;
        if (out.size() == most) return false;
        double value = 0.0;
        const char* first = line.data() + i;
        const char* last = line.data() + end;
        const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
        if (ec != std::errc() || ptr != last || !std::isfinite(value) || std::fabs(value) > kLargestValue)
            return false;
        out.push_back(value);
        i = end;
    }
    return true;
}

MapQuantity QuantityOfHeader(std::string_view header) {
    if (header.find("LAmax") != std::string_view::npos) return MapQuantity::LAmax;
    if (header.find("LAeqT") != std::string_view::npos) return MapQuantity::LAeqT;
    return MapQuantity::Unknown;
}

std::string GridText(int rowDivisions, int columnDivisions) {
    return "縦" + std::to_string(rowDivisions) + " × 横" + std::to_string(columnDivisions) + " 分割";
}

// Every cell of the grid must be a convex quadrilateral turned the same way as the first one, or the
// triangles of neighbouring cells would overlap.
void CheckGridShape(const LevelGrid& grid) {
    const std::vector<MapPoint> p = MapCoordinates(grid);
    int turn = 0;
    for (int c = 0; c + 1 < grid.columns; ++c) {
        for (int r = 0; r + 1 < grid.rows; ++r) {
            const MapPoint& a = p[grid.Index(c, r)];
            const MapPoint& b = p[grid.Index(c + 1, r)];
            const MapPoint& d = p[grid.Index(c + 1, r + 1)];
            const MapPoint& e = p[grid.Index(c, r + 1)];
            const auto cross = [](const MapPoint& o, const MapPoint& u, const MapPoint& v) {
                return (u.x() - o.x()) * (v.y() - o.y()) - (u.y() - o.y()) * (v.x() - o.x());
            };
            // The four corner turns of the quadrilateral a b d e.
            const double turns[4] = {cross(a, b, d), cross(b, d, e), cross(d, e, a), cross(e, a, b)};
            for (const double t : turns) {
                const int sign = t > 0.0 ? 1 : (t < 0.0 ? -1 : 0);
                if (sign == 0 || (turn != 0 && sign != turn)) {
                    Fail("結果ファイルの点が格子になっていません (" + std::to_string(c + 1) + " 列目 " +
                         std::to_string(r + 1) +
                         " 行目のます)。この結果を計算したプロジェクトを指定してください");
                }
                turn = sign;
            }
        }
    }
}

}  // namespace

ResultFileData ParseResultFile(std::string_view bytes) {
    if (bytes.size() > kMaxResultFileBytes) Fail("結果ファイルが大きすぎます");
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    ResultFileData data;
    bool formKnown = false;
    std::vector<double> numbers;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (line.size() > kMaxResultLineBytes) FailAtLine(lineNumber, "行が長すぎます");
        std::size_t first = 0;
        while (first < line.size() && IsBlank(line[first]))
            ++first;
        if (first == line.size()) continue;
        if (line[first] == '#') {
            if (!formKnown) {
                data.form = ResultFileData::Form::Xyz;
                data.quantity = QuantityOfHeader(line);
                formKnown = true;
                continue;
            }
            if (data.form == ResultFileData::Form::Xyz) continue;
            FailAtLine(lineNumber, "行列形式の途中に見出し行があります");
        }
        if (!formKnown) {
            data.form = ResultFileData::Form::Matrix;
            formKnown = true;
        }
        if (data.form == ResultFileData::Form::Xyz) {
            if (!ParseNumbers(line, numbers, 4) || numbers.size() != 4)
                FailAtLine(lineNumber, "X Y レベル Z の4つの数値ではありません");
            if (data.positions.size() == kMaxGridSide * kMaxGridSide) Fail("結果ファイルの点が多すぎます");
            data.positions.push_back({numbers[0], numbers[1], numbers[3]});
            data.levels.push_back(numbers[2]);
            continue;
        }
        if (!ParseNumbers(line, numbers, kMaxGridSide) || numbers.empty())
            FailAtLine(lineNumber, "数値の並びではないか、数値が多すぎます");
        if (data.matrixRows == 0) {
            data.matrixColumns = static_cast<int>(numbers.size());
        } else if (numbers.size() != static_cast<std::size_t>(data.matrixColumns)) {
            FailAtLine(lineNumber, "数値の数 " + std::to_string(numbers.size()) + " が1行目の " +
                                       std::to_string(data.matrixColumns) + " と違います");
        }
        if (static_cast<std::size_t>(data.matrixRows) == kMaxGridSide) Fail("結果ファイルの行が多すぎます");
        ++data.matrixRows;
        data.levels.insert(data.levels.end(), numbers.begin(), numbers.end());
    }
    if (data.levels.empty()) Fail("結果ファイルにレベルがありません");
    return data;
}

LevelGrid PlaceResultFile(const ResultFileData& data, const CCalcInfo& calc) {
    const int rowDivisions = calc.rowDivisions;
    const int columnDivisions = calc.columnDivisions;
    const bool divisionsOk = rowDivisions >= 1 && columnDivisions >= 1 &&
                             static_cast<std::size_t>(rowDivisions) < kMaxGridSide &&
                             static_cast<std::size_t>(columnDivisions) < kMaxGridSide;
    if (!divisionsOk)
        Fail("プロジェクトの格子の分割数 (" + GridText(rowDivisions, columnDivisions) + ") が範囲外です");
    const std::size_t rows = static_cast<std::size_t>(rowDivisions) + 1;
    const std::size_t columns = static_cast<std::size_t>(columnDivisions) + 1;

    LevelGrid grid;
    grid.rows = static_cast<int>(rows);
    grid.columns = static_cast<int>(columns);
    if (data.form == ResultFileData::Form::Xyz) {
        if (data.positions.size() != rows * columns) {
            Fail("結果ファイルの点の数 " + std::to_string(data.positions.size()) + " がプロジェクトの格子 (" +
                 GridText(rowDivisions, columnDivisions) + "、" + std::to_string(rows * columns) +
                 " 点) と合いません");
        }
        grid.positions = data.positions;
        grid.levels = data.levels;
    } else {
        if (static_cast<std::size_t>(data.matrixRows) != rows ||
            static_cast<std::size_t>(data.matrixColumns) != columns) {
            Fail("結果ファイルの行列 (" + std::to_string(data.matrixRows) + " 行 × " +
                 std::to_string(data.matrixColumns) + " 列) がプロジェクトの格子 (" +
                 GridText(rowDivisions, columnDivisions) + ") と合いません");
        }
        if (calc.gridPoints.size() != rows * columns) {
            Fail(
                "プロジェクトに格子の予測点がありません。行列形式の結果は格子を作ったプロジェクトと一緒に開い"
                "てください");
        }
        grid.positions.reserve(rows * columns);
        grid.levels.reserve(rows * columns);
        // Row r, column c of the matrix is the grid point c·(rowDivisions + 1) + r.
        for (std::size_t c = 0; c < columns; ++c) {
            for (std::size_t r = 0; r < rows; ++r) {
                grid.positions.push_back(calc.gridPoints[c * rows + r].position);
                grid.levels.push_back(data.levels[r * columns + c]);
            }
        }
        for (const CVector3D& p : grid.positions) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                Fail("プロジェクトの格子の予測点の座標が数値ではありません");
        }
    }
    for (double& level : grid.levels) {
        if (IsNoResultLevel(level)) level = std::numeric_limits<double>::quiet_NaN();
    }
    CheckGridShape(grid);
    return grid;
}

LevelGrid ReadResultFile(const std::filesystem::path& path, const CCalcInfo& calc, MapQuantity* quantity) {
    // Only a regular file is read: a FIFO would block, a device never end.
    std::optional<RegularFile> file;
    try {
        file.emplace(path);
    } catch (const InputFileError& e) {
        Fail("結果ファイルを開けません: " + path.string() + " (" + e.reason() + ")");
    }
    std::vector<std::uint8_t> read;
    try {
        read = file->ReadAll(kMaxResultFileBytes);
    } catch (const InputFileError& e) {
        Fail(e.reason() == kFileTooLarge
                 ? "結果ファイルが大きすぎます: " + path.string()
                 : "結果ファイルを読めません: " + path.string() + " (" + e.reason() + ")");
    }
    const ResultFileData data =
        ParseResultFile(std::string_view(reinterpret_cast<const char*>(read.data()), read.size()));
    if (quantity != nullptr) *quantity = data.quantity;
    return PlaceResultFile(data, calc);
}

}  // namespace kelmora
