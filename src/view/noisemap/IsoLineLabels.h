#pragma once
// The level written along the iso-lines of a map ("55" on the 55 dB line), placed where the line runs
// nearly straight for the length of the label, turned to follow it and kept upright, and never over
// another label: candidates are taken at even distances along each line, every line's first
// candidate before any line's second, and a candidate whose box would touch a label already placed
// (or leave the frame) is dropped.
#include <optional>
#include <string>
#include <vector>

#include "view/DisplayList.h"
#include "view/noisemap/LevelBands.h"
#include "view/noisemap/MapLayer.h"

namespace kelmora {

struct IsoLabelStyle {
    int textHeight = 13;        // px, the label font's cell height
    double spacing = 320.0;     // px between candidates along a line
    double clearance = 4.0;     // px kept free around each label
    bool signedLevels = false;  // "+2", "−2": the lines of a difference map
};

struct IsoLabel {
    CVertex2D centre;       // px; the line passes through it
    double angleDeg = 0.0;  // counter-clockwise on the target, within (−90°, 90°]
    double width = 0.0;     // px of the text box, with its clearance
    double height = 0.0;
    std::string text;
};

// The box of a frame the labels stay inside [px]; none: anywhere.
struct LabelFrame {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// The labels of the lines. `width` measures a text in the label font of `style.textHeight`.
std::vector<IsoLabel> PlaceIsoLineLabels(const std::vector<IsoLine>& lines, const MapToPixels& toPixels,
                                         const TextWidth& width, const IsoLabelStyle& style,
                                         const std::optional<LabelFrame>& frame);

// True when the two labels' boxes (turned rectangles) overlap.
bool LabelsOverlap(const IsoLabel& a, const IsoLabel& b);

// The labels as turned texts in the iso-line colour with a white halo.
void DrawIsoLineLabels(DisplayLayer& layer, const std::vector<IsoLabel>& labels, const IsoLabelStyle& style);

}  // namespace kelmora
