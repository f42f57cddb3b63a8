#pragma once
// A document's map settings turned into what a map is built with: the level classes and their colours
// for level maps and for difference maps, and the choices of the settings dialog (its schemes by name),
// with the checks the dialog makes before it takes a change.
#include <optional>
#include <string>
#include <vector>

#include "model/MapSettings.h"
#include "view/noisemap/ColourScheme.h"
#include "view/noisemap/LevelClasses.h"

namespace kelmora {

struct MapStyle {
    LevelClasses classes;
    ColourScheme scheme;
};

// The schemes the settings offer, in the order of the dialog's list: the standard, European and
// classic schemes, then "user" (the user's own limits and colours).
struct SchemeChoice {
    std::string id;
    std::string name;
};
std::vector<SchemeChoice> SchemeChoices();
inline constexpr const char* kUserSchemeId = "user";
inline constexpr const char* kUserSchemeName = "ユーザー定義";

// What is wrong with the settings, as the dialog says it; none when they make a map. Class widths must
// be > 0 and the limits lie within −200 … 300 dB; a user scheme needs 1 … 30 classes with strictly
// rising lower limits; difference classes need 0 < width ≤ 50 dB and 1 … 20 classes each side.
std::optional<std::string> MapSettingsProblem(const MapSettings& settings);

// The classes and colours of a level map. Throws NoiseMapError for settings with a problem.
MapStyle LevelMapStyle(const MapSettings& settings);
// The classes and colours of a difference map (DifferenceClasses, DivergingScheme). Throws
// NoiseMapError for settings with a problem.
MapStyle DifferenceMapStyle(const MapSettings& settings);

// The same, falling back to the defaults' classes when the settings have a problem (a hand-edited
// extension file): a map is always drawn.
MapStyle LevelMapStyleOrDefault(const MapSettings& settings);
MapStyle DifferenceMapStyleOrDefault(const MapSettings& settings);

// A user scheme to start editing from: the classes and colours the settings draw now.
std::vector<MapClassColour> UserClassesFrom(const MapStyle& style);

}  // namespace kelmora
