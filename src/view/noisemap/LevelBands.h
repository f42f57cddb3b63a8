#pragma once
// Level bands and iso-lines of a grid. Each grid cell is split into two triangles along one diagonal
// (the same for every cell) and the level is taken as linear in dB on each triangle, so the bands are
// exact for that piecewise-linear surface and a saddle cell needs no special case. A triangle with a
// corner that has no result is left out: the map has a hole there.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "view/noisemap/LevelClasses.h"
#include "view/noisemap/MapGeometry.h"

namespace kelmora {

// The triangulated level surface of a grid, in map coordinates.
struct LevelSurface {
    std::vector<MapPoint> nodes;
    std::vector<double> levels;  // dB per node; NaN = no result
    // Node indices of each triangle, counter-clockwise; only triangles whose three corners have a
    // result and that have an area.
    std::vector<std::array<std::uint32_t, 3>> triangles;
};

// Splits the cells of a grid of columns × rows nodes (node (c, r) at index c·rows + r) into triangles.
// The diagonal is chosen once for the grid by its direction on the map — the one running nearer to
// lower-left → upper-right — so the surface does not depend on the order in which the grid lists its
// nodes (either column order, either row order, columns or rows first).
LevelSurface TriangulateGrid(std::span<const MapPoint> nodes, std::span<const double> levels, int columns,
                             int rows);

// The area covered by the surface's triangles [map units²].
double SurfaceArea(const LevelSurface& surface);

// The part of the surface in one level class: polygons with holes.
struct LevelBand {
    std::size_t classIndex = 0;
    double lower = 0.0;  // dB, −∞ for the lowest class
    double upper = 0.0;  // dB, +∞ for the highest class
    MapMultiPolygon area;
};

// The area of a band [map units²]: its polygons less their holes.
double BandArea(const LevelBand& band);

// One band per class, lowest first (a band may be empty). The pieces of the triangles are joined into
// whole polygons; where two parts of a band only touch at a point they stay separate polygons. The
// areas of all bands add up to SurfaceArea.
std::vector<LevelBand> BuildLevelBands(const LevelSurface& surface, const LevelClasses& classes);

// The lines where the surface has one of the class limits.
struct IsoLine {
    double level = 0.0;  // dB
    std::vector<MapLine>
        lines;  // open lines end at the border of the surface; closed ones repeat the first point
};

// One entry per class limit, lowest first. A line is the border between the levels below the limit
// and those at or above it, and lies exactly on the borders of the bands.
std::vector<IsoLine> BuildIsoLines(const LevelSurface& surface, const LevelClasses& classes);

}  // namespace kelmora
