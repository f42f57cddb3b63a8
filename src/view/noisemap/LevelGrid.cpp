#include "view/noisemap/LevelGrid.h"

#include <cmath>
#include <limits>

#include "model/Band.h"

namespace kelmora {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Positions in result files carry millimetres; two grids are the same when every node agrees to that.
constexpr double kSamePositionTolerance = 0.002;  // m

double PlanDistance(const CVector3D& a, const CVector3D& b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

}  // namespace

double NoSoundOverallLevel() {
    static const double level = CBand::Filled(kNoSoundLevel).overallLevel();
    return level;
}

bool IsNoResultLevel(double level) {
    // A result file rounds −86.78 dB to −86.8; anything up to half a print step above counts too.
    return !std::isfinite(level) || level <= NoSoundOverallLevel() + 0.05;
}

LevelGrid GridFromPoints(std::span<const CPredictivePoint> points, int rowDivisions, int columnDivisions,
                         MapQuantity quantity) {
    const long long rows = static_cast<long long>(rowDivisions) + 1;
    const long long columns = static_cast<long long>(columnDivisions) + 1;
    if (rowDivisions < 0 || columnDivisions < 0 || static_cast<long long>(points.size()) != rows * columns) {
        throw NoiseMapError("予測点の数 " + std::to_string(points.size()) + " が格子 (縦" +
                            std::to_string(rowDivisions) + " × 横" + std::to_string(columnDivisions) +
                            " 分割) と合いません");
    }
    LevelGrid grid;
    grid.rows = static_cast<int>(rows);
    grid.columns = static_cast<int>(columns);
    grid.positions.reserve(points.size());
    grid.levels.reserve(points.size());
    for (const CPredictivePoint& p : points) {
        const double level =
            quantity == MapQuantity::LAmax ? p.resultMax.overallLevel() : p.resultAverage.overallLevel();
        grid.positions.push_back(p.position);
        grid.levels.push_back(IsNoResultLevel(level) ? kNaN : level);
    }
    return grid;
}

bool IsVerticalGrid(const LevelGrid& grid) {
    if (grid.rows < 2 || grid.columns < 1 || grid.NodeCount() != grid.Index(grid.columns, 0)) return false;
    for (int c = 0; c < grid.columns; ++c) {
        const CVector3D& bottom = grid.positions[grid.Index(c, 0)];
        for (int r = 1; r < grid.rows; ++r) {
            if (PlanDistance(bottom, grid.positions[grid.Index(c, r)]) > kSamePositionTolerance) return false;
        }
    }
    return true;
}

std::vector<MapPoint> MapCoordinates(const LevelGrid& grid) {
    std::vector<MapPoint> out;
    out.reserve(grid.NodeCount());
    if (!IsVerticalGrid(grid)) {
        for (const CVector3D& p : grid.positions)
            out.emplace_back(p.x, p.y);
        return out;
    }
    // The columns of a vertical grid stand on one straight plan line.
    const CVector3D& start = grid.positions.front();
    for (const CVector3D& p : grid.positions)
        out.emplace_back(PlanDistance(start, p), p.z);
    return out;
}

LevelGrid DifferenceGrid(const LevelGrid& a, const LevelGrid& b) {
    const auto differ = [](const std::string& why) {
        return NoiseMapError("2つの結果の格子が異なります (" + why +
                             ")。同じ格子の結果ファイルを指定してください");
    };
    if (a.columns != b.columns || a.rows != b.rows || a.NodeCount() != b.NodeCount()) {
        throw differ(std::to_string(a.columns) + "×" + std::to_string(a.rows) + " 点と " +
                     std::to_string(b.columns) + "×" + std::to_string(b.rows) + " 点");
    }
    // Two scenarios of a site may differ in their terrain, which moves a horizontal grid's nodes up or
    // down with the ground; a section is drawn at the nodes' heights, so there the heights must agree.
    const bool vertical = IsVerticalGrid(a);
    LevelGrid out = a;
    for (std::size_t i = 0; i < a.NodeCount(); ++i) {
        const CVector3D& p = a.positions[i];
        const CVector3D& q = b.positions[i];
        const bool samePlace = std::fabs(p.x - q.x) <= kSamePositionTolerance &&
                               std::fabs(p.y - q.y) <= kSamePositionTolerance &&
                               (!vertical || std::fabs(p.z - q.z) <= kSamePositionTolerance);
        if (!samePlace) {
            throw differ(std::to_string(i + 1) + " 番目の点の位置");
        }
        out.levels[i] = a.levels[i] - b.levels[i];  // NaN when either has no result
    }
    return out;
}

}  // namespace kelmora
