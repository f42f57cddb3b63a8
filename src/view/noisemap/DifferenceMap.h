#pragma once
// The map of how much two results of the same grid differ, A − B node by node, that does not mislead:
// no change falls in a neutral grey class centred on zero, quieter classes are blue and louder ones red
// in mirror images, and the legend names both results ("A − B", then "A: …" and "B: …"). The two
// results may be result files, runs or scenarios; they are given as level grids with their names.
#include <optional>
#include <string>

#include "view/noisemap/LevelGrid.h"
#include "view/noisemap/MapStyle.h"
#include "view/noisemap/NoiseMap.h"

namespace kelmora {

struct NamedLevels {
    const LevelGrid& grid;
    std::string name;  // a file's name or a scenario's, as the legend shows it
};

// Throws NoiseMapError when the grids differ (DifferenceGrid).
NoiseMap BuildDifferenceMap(const NamedLevels& a, const NamedLevels& b, MapQuantity quantity,
                            const MapStyle& style, std::optional<double> gridHeight,
                            const MapShaping& shaping = {});

// The notes of the legend of a difference: "A: <a>", "B: <b>".
std::vector<std::string> DifferenceNotes(const std::string& nameA, const std::string& nameB);

}  // namespace kelmora
