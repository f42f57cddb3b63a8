#pragma once
// The levels of a grid of prediction points, laid out as the grid generator makes them: columns of
// rows, node (c, r) at index c·rows + r, each column from its bottom (lowest) node up. A node without
// a result — below the ground or reached by no source — holds NaN.
#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "geometry/Vector.h"
#include "model/PredictivePoint.h"
#include "view/noisemap/MapGeometry.h"

namespace kelmora {

// A noise map that cannot be made (a result file that does not fit, grids that differ, bad class
// limits); what() is the message shown to the user.
class NoiseMapError : public std::runtime_error {
public:
    explicit NoiseMapError(const std::string& message) : std::runtime_error(message) {}
};

// Which level a map shows.
enum class MapQuantity { LAeqT, LAmax, Unknown };

// The overall level of a point that no sound reaches: −100 dB in each of the 21 bands, about
// −86.8 dB. Levels at or below it (up to the rounding of a result file's "%.1f") are no result.
double NoSoundOverallLevel();
bool IsNoResultLevel(double level);

struct LevelGrid {
    int columns = 0;                   // nodes along a row: columnDivisions + 1
    int rows = 0;                      // nodes along a column: rowDivisions + 1
    std::vector<CVector3D> positions;  // m
    std::vector<double> levels;        // dB; NaN where there is no result

    std::size_t Index(int column, int row) const {
        return static_cast<std::size_t>(column) * static_cast<std::size_t>(rows) +
               static_cast<std::size_t>(row);
    }
    std::size_t NodeCount() const { return positions.size(); }
};

// The grid of points in generated order (rowDivisions + 1 per column) with the overall level of their
// LAeqT or LAmax results. Throws NoiseMapError when the count does not match the divisions.
LevelGrid GridFromPoints(std::span<const CPredictivePoint> points, int rowDivisions, int columnDivisions,
                         MapQuantity quantity);

// A vertical grid: every column stands on one plan position (to the millimetre of a result file) and
// has more than one node.
bool IsVerticalGrid(const LevelGrid& grid);

// The map coordinates of the nodes: plan x, y of a horizontal grid; for a vertical grid the plan
// distance from the first column along the line and the node's elevation z.
std::vector<MapPoint> MapCoordinates(const LevelGrid& grid);

// A − B node by node, no result where either has none. Throws NoiseMapError unless both grids have the
// same columns and rows and every node lies within 2 mm of the other's in plan (and in height for a
// vertical grid, whose section is drawn at the nodes' heights).
LevelGrid DifferenceGrid(const LevelGrid& a, const LevelGrid& b);

}  // namespace kelmora
