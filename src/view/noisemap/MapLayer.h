#pragma once
// A noise map as display-list items: the bands filled in their class colours, the iso-lines, and the
// legend — the same list for the plan window and the exported pictures.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ViewRecord.h"
#include "view/DisplayList.h"
#include "view/noisemap/ColourScheme.h"
#include "view/noisemap/LevelBands.h"
#include "view/noisemap/LevelClasses.h"

namespace kelmora {

// Where a map point lands on the target [px].
using MapToPixels = std::function<CVertex2D(const MapPoint&)>;

// Plan map coordinates through the window's calibration and zoom (at Z = 0, as plan objects).
MapToPixels PlanMapToPixels(const CKelmoraViewData& view);

inline constexpr Rgb kIsoLineColour{64, 64, 64};

// One filled area per band that has a colour and an area, lowest class first, no frame: neighbouring
// bands meet without a gap.
void DrawMapBands(DisplayLayer& layer, const std::vector<LevelBand>& bands, const ColourScheme& scheme,
                  const MapToPixels& toPixels);

// Every iso-line as thin dark lines.
void DrawIsoLines(DisplayLayer& layer, const std::vector<IsoLine>& lines, const MapToPixels& toPixels);

// ---------------------------------------------------------------------------------------------------
// The legend: a heading, an optional second heading line (the grid height), optional notes (the two
// results of a difference map), an optional warning in red, then a colour box and the class text for
// every class, the highest class on top. The notes and the warning wrap to the width of the heading
// and the classes, so that a long file name or the warning does not widen the legend.

struct LegendEntry {
    std::string label;
    std::optional<Rgb> colour;  // none: the class is not filled on the map

    friend bool operator==(const LegendEntry&, const LegendEntry&) = default;
};

struct MapLegend {
    std::string heading;
    std::string subheading;
    std::vector<std::string> notes;
    std::string warning;
    std::vector<LegendEntry> entries;  // highest class first

    friend bool operator==(const MapLegend&, const MapLegend&) = default;
};

// The text after the class of an unfilled class, whose box is drawn empty and struck through: the map
// shows the plan there, not white.
inline constexpr std::string_view kLegendUnfilled = " (着色なし)";

MapLegend MakeLegend(const LevelClasses& classes, const ColourScheme& scheme, std::string heading,
                     std::string subheading);

// The width of a text [px] in the plan's label font (15 px high); the platform measures it.
using TextWidth = std::function<int(const std::string&)>;

struct LegendSize {
    int width = 0;
    int height = 0;
};
LegendSize MeasureLegend(const MapLegend& legend, const TextWidth& width);

// The legend on a white box with a grey frame, its top-left corner at `topLeft`.
void DrawLegend(DisplayLayer& layer, const MapLegend& legend, ClientPoint topLeft, const TextWidth& width);

// A text cut into lines of at most `maxWidth` px (at spaces where it has them, else between any two
// characters); a word longer than the width is cut between characters.
std::vector<std::string> WrapText(const std::string& text, int maxWidth, const TextWidth& width);

}  // namespace kelmora
