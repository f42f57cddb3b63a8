#pragma once
// A finer grid for drawing a coarse one smoothly: every cell cut into n × n smaller cells whose nodes
// take the bilinear blend of the cell's four corners, in position and in level. The grid's own nodes
// are among the new ones with their levels unchanged, so each keeps exactly the class its level
// has; a cell with a corner that has no result passes the gap on only where that corner weighs in.
#include <span>
#include <vector>

#include "view/noisemap/MapGeometry.h"

namespace kelmora {

struct RefinedGrid {
    std::vector<MapPoint> nodes;  // node (c, r) at index c·rows + r, as the grid
    std::vector<double> levels;   // dB; NaN = no result
    int columns = 0;
    int rows = 0;
};

// The cuts per cell side for a grid of columns × rows nodes: up to 8, fewer as the grid grows so
// that the finer grid stays within about a quarter of a million nodes; 1 for a grid already that
// fine.
int SmoothingFactor(int columns, int rows);

// The grid with each cell cut `factor` times along each side. A factor below 2, or nodes and levels
// that do not match columns × rows, give the grid as it is.
RefinedGrid RefineGrid(std::span<const MapPoint> nodes, std::span<const double> levels, int columns, int rows,
                       int factor);

}  // namespace kelmora
