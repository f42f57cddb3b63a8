#pragma once
// CPlotInfo: the point markers of the plan (sources, prediction points) and their shapes.
#include "view/DisplayList.h"

namespace kelmora {

enum class MarkerShape : int {
    Circle = 0,
    Square = 1,
    Diamond = 2,
    TriangleUp = 3,
    TriangleDown = 4,
    Cross = 5,  // ×
    Plus = 6,   // +
};

struct CPlotInfo {
    int shape = 0;  // MarkerShape
    int size = 5;   // half-size of the marker [px]; ≤ 0 draws nothing
    Rgb color;
    int filled = 0;
    int width = 1;  // pen width of hollow markers and of the strokes [px]

    friend bool operator==(const CPlotInfo&, const CPlotInfo&) = default;

    // The marker centred on (x, y); nothing for a size ≤ 0 or an unknown shape.
    void Draw(DisplayLayer& target, ClientPoint at) const;
};

}  // namespace kelmora
