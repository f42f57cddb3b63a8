#pragma once
// Synthetic sites for the benchmarks: box buildings with closed walls, knife-edge barriers on ground
// lines, outdoor sources and a horizontal grid of prediction points, laid out on a lattice so that the
// size of the site can be scaled while its character stays the same.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "model/Noise.h"

namespace kelmora::bench {

// A ground line through the vertices with a knife-edge barrier over the arc lengths from..to.
inline CGroundLine BarrierLine(std::vector<CVector3D> vertices, double from, double to, double height) {
    CGroundLine line;
    line.polyline.vertices = std::move(vertices);
    line.absorptionLeft = CBand::Filled(0.2);
    line.absorptionRight = CBand::Filled(0.2);
    CWall wall;
    wall.rangeStart = from;
    wall.rangeEnd = to;
    wall.height = height;
    wall.absorptionLeft = CBand::Filled(0.1);
    wall.absorptionRight = CBand::Filled(0.1);
    line.walls.push_back(wall);
    return line;
}

// A box building over the plan box x0..x1, y0..y1 with a flat roof at `height` and a closed exterior wall.
inline CBuilding BoxBuilding(double x0, double y0, double x1, double y1, double height) {
    CBuilding building;
    CRoof roof;
    roof.face.rect = {{x0, y0, height}, {x1, y0, height}, {x1, y1, height}};
    building.roofs.push_back(roof);
    CBuildingWall wall;
    wall.polyline.vertices = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
    wall.closed = 1;
    wall.topZ = height;
    wall.absorption = CBand::Filled(0.1);
    building.walls.push_back(wall);
    return building;
}

struct SiteSize {
    int buildings = 4;
    int barriers = 2;
    int sources = 3;
    int gridSide = 5;      // points along each side of the horizontal grid
    bool openings = true;  // each building holds a room with one source and a 2 m × 1 m opening
};

// Lattice cells of 40 m, one building in each of the first `buildings` cells (row by row), barriers
// between the rows of buildings (then across the columns), sources at the cells' corners, and the grid
// over the whole lattice 1.5 m above the flat ground. The model is in horizontal grid mode.
inline CNoise SyntheticSite(const SiteSize& size) {
    constexpr double kCell = 40.0;
    const int columns =
        std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(size.buildings)))));
    const int rows = std::max(1, (size.buildings + columns - 1) / columns);
    const double width = columns * kCell;
    const double depth = rows * kCell;

    CNoise site;
    for (int i = 0; i < size.buildings; ++i) {
        const double x0 = kCell * (i % columns) + 10.0;
        const double y0 = kCell * (i / columns) + 10.0;
        const double x1 = x0 + 15.0 + 3.0 * (i % 3);
        const double y1 = y0 + 12.0;
        CBuilding building = BoxBuilding(x0, y0, x1, y1, 5.0 + 2.0 * (i % 4));
        if (size.openings) {
            CWindow opening;
            opening.rect = {{x0 + 2.0, y0, 1.0}, {x0 + 4.0, y0, 1.0}, {x0 + 4.0, y0, 2.0}};
            opening.tl = CBand::Filled(15.0);
            CRoom room;
            room.surfaceArea = 1000.0;
            room.meanAbsorption = CBand::Filled(0.3);
            room.openings.push_back(opening);
            CSound machine;
            machine.position = {(x0 + x1) / 2.0, (y0 + y1) / 2.0, 1.5};
            machine.powerAverage = CBand::Filled(90.0);
            machine.powerMax = CBand::Filled(95.0);
            room.sources.push_back(machine);
            building.rooms.push_back(room);
        }
        site.buildings.push_back(building);
    }
    for (int j = 0; j < size.barriers; ++j) {
        const double height = 2.5 + 0.5 * (j % 4);
        if (j < rows) {
            const double y = kCell * j + 32.0;
            site.groundLines.push_back(BarrierLine({{-20, y, 0}, {width + 20, y, 0}}, 20.0, width, height));
        } else {
            const double x = kCell * ((j - rows) % columns) + 32.0;
            site.groundLines.push_back(BarrierLine({{x, -20, 0}, {x, depth + 20, 0}}, 20.0, depth, height));
        }
    }
    for (int k = 0; k < size.sources; ++k) {
        CSound source;
        source.position = {kCell * (k % columns) + 5.0, kCell * ((k / columns) % rows) + 5.0, 1.5};
        source.powerAverage = CBand::Filled(85.0 + k % 3);
        source.powerMax = CBand::Filled(92.0);
        site.outdoorSources.push_back(source);
    }
    CCalcInfo& grid = site.calcInfo;
    grid.mode = kHorizontalGridMode;
    grid.rowDivisions = grid.columnDivisions = std::max(1, size.gridSide) - 1;
    const int side = grid.rowDivisions + 1;
    for (int c = 0; c < side; ++c) {
        for (int r = 0; r < side; ++r) {
            const double x = -10.0 + (width + 20.0) * c / std::max(1, side - 1);
            const double y = -10.0 + (depth + 20.0) * r / std::max(1, side - 1);
            grid.gridPoints.emplace_back(CVector3D{x, y, 1.5});
        }
    }
    return site;
}

}  // namespace kelmora::bench
