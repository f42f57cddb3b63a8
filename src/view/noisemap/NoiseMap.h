#pragma once
// A noise map ready to draw: a grid's levels on their triangles, cut into the bands and iso-lines of
// the chosen classes, with the colours and the legend that go with them. Built once per grid and
// choice of classes; drawing it into a plan or a section only transforms its geometry.
#include <optional>
#include <string>
#include <vector>

#include "model/ViewRecord.h"
#include "view/DisplayList.h"
#include "view/noisemap/ColourScheme.h"
#include "view/noisemap/LevelBands.h"
#include "view/noisemap/LevelClasses.h"
#include "view/noisemap/LevelGrid.h"
#include "view/noisemap/MapLayer.h"

namespace kelmora {

// What a map shows and how it is classed.
struct NoiseMapKind {
    MapQuantity quantity = MapQuantity::LAeqT;
    bool difference = false;                          // levels of scenario A minus those of scenario B
    std::optional<double> gridHeight = std::nullopt;  // m above ground of a horizontal grid, for the legend
};

struct NoiseMap {
    LevelGrid grid;
    bool vertical = false;  // a section along the line of a vertical grid
    LevelSurface surface;
    LevelClasses classes;
    ColourScheme scheme;
    std::vector<LevelBand> bands;
    std::vector<IsoLine> isoLines;
    MapLegend legend;
};

// The legend's heading: the level shown, or its difference, with the unit.
std::string LegendHeading(const NoiseMapKind& kind);

// Builds the map of a grid. The scheme must have a colour entry (or none) for every class.
NoiseMap BuildNoiseMap(LevelGrid grid, LevelClasses classes, ColourScheme scheme, const NoiseMapKind& kind);

// The bands, then the iso-lines when asked for, placed on the plan through the window's transforms.
DisplayLayer DrawPlanMap(const NoiseMap& map, const CKelmoraViewData& view, bool isoLines);

// The level of the map's surface at a map point; none outside the triangles (no result there).
std::optional<double> LevelAtPoint(const NoiseMap& map, const MapPoint& p);

}  // namespace kelmora
