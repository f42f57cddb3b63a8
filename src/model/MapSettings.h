#pragma once
// How a document draws its noise map: the colour scheme and classes, iso-lines, grid crosses and the
// masking of building footprints. Kept per document, beside its project file.
#include <cstdint>
#include <string>
#include <vector>

namespace kelmora {

// A class of a user's own scheme: the levels from `lowerDb` up to the next class's lower bound.
struct MapClassColour {
    double lowerDb = 0.0;
    std::uint32_t rgb = 0;  // 0xRRGGBB

    friend bool operator==(const MapClassColour&, const MapClassColour&) = default;
};

struct MapSettings {
    std::string scheme = "standard";          // "standard", "classic" or "user"
    double lowestClassDb = 35.0;              // dB, the lower bound of the lowest coloured class
    double classWidthDb = 5.0;                // dB
    std::vector<MapClassColour> userClasses;  // the "user" scheme
    bool isoLines = true;
    bool isoLineLabels = true;
    bool gridCrosses = false;
    bool maskBuildings = true;
    bool smooth = false;  // bilinear within each grid cell when drawn

    friend bool operator==(const MapSettings&, const MapSettings&) = default;
};

}  // namespace kelmora
