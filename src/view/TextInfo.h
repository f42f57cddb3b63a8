#pragma once
// CTextInfo: the style of the plan's text labels (corner coordinates, clicked positions).
#include <string>

#include "view/DisplayList.h"

namespace kelmora {

struct CTextInfo {
    Rgb textColor{0, 0, 255};
    Rgb backColor{255, 255, 255};
    int opaque = 1;  // 1: the text's box is filled with backColor
    FontSpec font;   // 15 px Japanese proportional face
    int anchor = 0;  // which point of the text's box lies at the given point (AnchoredTopLeft)

    friend bool operator==(const CTextInfo&, const CTextInfo&) = default;

    // The text anchored at `at`; the rasteriser measures it and places its box.
    void Draw(DisplayLayer& target, ClientPoint at, const std::string& text) const;
};

}  // namespace kelmora
