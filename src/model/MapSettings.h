#pragma once
// How a document draws its noise map: the colour scheme and classes, iso-lines and their labels, grid
// crosses, the masking of building footprints, smoothing, and the classes of difference maps. Kept per
// document, beside its project file.
#include <cstdint>
#include <string>
#include <vector>

namespace kelmora {

// A class of a user's own scheme: the levels from `lowerDb` up to the next class's lower bound (the
// last class has no upper bound; levels below the first class are not coloured).
struct MapClassColour {
    double lowerDb = 0.0;
    std::uint32_t rgb = 0;  // 0xRRGGBB

    friend bool operator==(const MapClassColour&, const MapClassColour&) = default;
};

struct MapSettings {
    std::string scheme = "standard";          // "standard", "eu", "classic" or "user"
    double lowestClassDb = 35.0;              // dB, the lower bound of the lowest coloured class
    double classWidthDb = 5.0;                // dB
    std::vector<MapClassColour> userClasses;  // the "user" scheme, lowest first
    bool isoLines = true;
    bool isoLineLabels = true;
    bool gridCrosses = false;  // the grid's points drawn over a shown map
    bool maskBuildings = true;
    bool smooth = false;  // bilinear within each grid cell when drawn
    // Difference maps: the neutral class is ± half the class width around no change, with this many
    // classes of that width below and above it.
    double differenceClassWidthDb = 1.0;
    int differenceClassesEachSide = 5;

    friend bool operator==(const MapSettings&, const MapSettings&) = default;
};

}  // namespace kelmora
