#pragma once
// Building footprints kept free of level colours: a map shows the levels outdoors, and a level drawn
// over a building would read as the level inside it.
#include <vector>

#include "model/Noise.h"
#include "view/noisemap/LevelBands.h"
#include "view/noisemap/MapGeometry.h"

namespace kelmora {

// The plan footprints of the site's buildings: each roof's rectangle seen from above and the area
// inside each closed exterior wall, overlapping ones merged. Degenerate shapes (fewer than three
// distinct corners, no area, coordinates that are not finite) are left out.
MapMultiPolygon BuildingFootprints(const CNoise& model);

// The bands less the footprints. A band whose polygon the geometry library cannot cut (it reports
// invalid input) keeps that polygon whole rather than losing it.
void MaskBands(std::vector<LevelBand>& bands, const MapMultiPolygon& footprints);

// The iso-lines less their parts inside the footprints (a line cut by a building becomes two).
void MaskIsoLines(std::vector<IsoLine>& lines, const MapMultiPolygon& footprints);

}  // namespace kelmora
