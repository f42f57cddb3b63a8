#pragma once
// CLineInfo: the style of the plan's lines and areas, and how one styled line, polyline, hatched area
// or arrow becomes primitives of a layer.
#include <span>

#include "view/DisplayList.h"

namespace kelmora {

struct CLineInfo {
    int visible = 1;     // 0 draws nothing
    int penStyle = 0;    // line pattern, 0 solid
    Rgb color;           // line, frame and fill colour
    int width = 1;       // px
    int filled = 0;      // 1: regions are filled solid (or hatched on an opaque background)
    int hatched = 1;     // 1: a filled region is hatched rather than solid
    int hatchStyle = 5;  // diagonal cross-hatch
    Rgb hatchBackground{255, 255, 255};

    friend bool operator==(const CLineInfo&, const CLineInfo&) = default;

    // A line a → b. Up to 2 px wide a pen line; wider, a bar of the line's width: a rectangle for
    // vertical and horizontal lines, otherwise a quadrilateral around the line.
    void DrawSegment(DisplayLayer& target, ClientPoint a, ClientPoint b) const;
    // An open line through the points (nothing for fewer than two). Wider than 5 px it is drawn as the
    // outline of the band that the offset segments enclose.
    void DrawPolyline(DisplayLayer& target, std::span<const ClientPoint> points) const;
    // A hatched area with a one-pixel frame (nothing for fewer than three points).
    void DrawHatchedPolygon(DisplayLayer& target, std::span<const ClientPoint> points) const;
    // DrawSegment(a, b) with a head at b: two 10-pixel strokes at ±45° pointing back toward a.
    void DrawArrow(DisplayLayer& target, ClientPoint a, ClientPoint b) const;

    Pen LinePen() const;
    // The one-pixel pen of frames around regions.
    Pen FramePen() const;
};

}  // namespace kelmora
