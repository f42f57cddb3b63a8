#include "view/noisemap/DifferenceMap.h"

#include "view/noisemap/MapTexts.h"

namespace kelmora {

std::vector<std::string> DifferenceNotes(const std::string& nameA, const std::string& nameB) {
    return {std::string(kLegendScenarioA) + nameA, std::string(kLegendScenarioB) + nameB};
}

NoiseMap BuildDifferenceMap(const NamedLevels& a, const NamedLevels& b, MapQuantity quantity,
                            const MapStyle& style, std::optional<double> gridHeight,
                            const MapShaping& shaping) {
    LevelGrid difference = DifferenceGrid(a.grid, b.grid);
    const bool vertical = IsVerticalGrid(difference);
    const NoiseMapKind kind{quantity, true, vertical ? std::nullopt : gridHeight};
    NoiseMap map = BuildNoiseMap(std::move(difference), style.classes, style.scheme, kind, shaping);
    map.legend.notes = DifferenceNotes(a.name, b.name);
    return map;
}

}  // namespace kelmora
