#pragma once
// A vertical section as a picture: the bands of a vertical grid over distance along its line × height,
// the ground below the grid, axes with metre ticks, and the legend at the right.
#include <optional>

#include "view/DisplayList.h"
#include "view/noisemap/MapLayer.h"
#include "view/noisemap/NoiseMap.h"

namespace kelmora {

struct SectionFrame {
    int width = 960;   // px of the whole picture
    int height = 480;  // px
    // The height of the grid's lowest nodes above the ground [m]; with it the ground under the section
    // is drawn.
    std::optional<double> lowestNodeAboveGround;
    bool isoLines = true;
};

// Tick spacing of an axis: 1, 2 or 5 times a power of ten, giving about `count` ticks over `range`.
double NiceTickStep(double range, int count);

// The section of a map of a vertical grid. `width` measures the legend's texts.
DisplayLayer DrawSection(const NoiseMap& map, const SectionFrame& frame, const TextWidth& width);

}  // namespace kelmora
