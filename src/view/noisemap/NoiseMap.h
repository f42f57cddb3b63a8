#pragma once
// A noise map ready to draw: a grid's levels on their triangles, cut into the bands and iso-lines of
// the chosen classes, with the colours and the legend that go with them. Built once per grid and
// choice of classes; drawing it into a plan, a section or a page only transforms its geometry.
#include <optional>
#include <string>
#include <vector>

#include "model/ViewRecord.h"
#include "view/DisplayList.h"
#include "view/noisemap/ColourScheme.h"
#include "view/noisemap/IsoLineLabels.h"
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

// How the surface is made from the grid and what is cut out of its bands.
struct MapShaping {
    bool smooth = false;   // bilinear within each cell (GridSmoothing) instead of flat facets
    MapMultiPolygon mask;  // areas without level colours (building footprints); plan maps only
};

struct NoiseMap {
    LevelGrid grid;         // the levels as computed, node by node
    bool vertical = false;  // a section along the line of a vertical grid
    LevelSurface surface;   // the surface the bands follow (finer than the grid when smoothed)
    LevelClasses classes;
    ColourScheme scheme;
    std::vector<LevelBand> bands;
    std::vector<IsoLine> isoLines;
    MapLegend legend;
};

// The legend's heading: the level shown, or its difference ("A − B"), with the unit.
std::string LegendHeading(const NoiseMapKind& kind);

// Builds the map of a grid. The scheme must have a colour entry (or none) for every class.
NoiseMap BuildNoiseMap(LevelGrid grid, LevelClasses classes, ColourScheme scheme, const NoiseMapKind& kind,
                       const MapShaping& shaping = {});

// What a plan map draws besides its bands.
struct MapLook {
    bool isoLines = true;
    bool isoLineLabels = true;
};

// The bands, then the iso-lines when asked for, placed on the plan through the window's transforms.
DisplayLayer DrawPlanMap(const NoiseMap& map, const CKelmoraViewData& view, bool isoLines);
// The same through any placement, with the iso-lines' labels (`width` measures the plan's 15 px label
// font; the labels are smaller and kept inside `frame`).
DisplayLayer DrawPlanMap(const NoiseMap& map, const MapToPixels& toPixels, const MapLook& look,
                         const TextWidth& width, const std::optional<LabelFrame>& frame);

// The level of the map's surface at a map point; none outside the triangles (no result there).
std::optional<double> LevelAtPoint(const NoiseMap& map, const MapPoint& p);

}  // namespace kelmora
