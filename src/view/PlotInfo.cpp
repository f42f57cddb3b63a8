#include "view/PlotInfo.h"

#include <vector>

namespace kelmora {

void CPlotInfo::Draw(DisplayLayer& target, ClientPoint at) const {
    const int s = size;
    if (s <= 0 || shape < 0 || shape > 6) return;
    // A point far beyond any window (the plan zoomed far in, or an item at a huge coordinate, clamped to
    // the pixel range) has no mark to show, and its corners would not fit the pixel range.
    constexpr int kFar = 1 << 28;
    if (at.x > kFar || at.x < -kFar || at.y > kFar || at.y < -kFar || s > kFar) return;
    const int x = at.x;
    const int y = at.y;
    const Pen pen{color, width, PenStyle::Solid};
    auto stroke = [&](ClientPoint a, ClientPoint b) { target.push_back(PolylinePrimitive{{a, b}, pen}); };
    // Hollow outlines close on their first point; filled shapes are solid areas without a frame.
    auto outline = [&](std::vector<ClientPoint> corners) {
        if (filled) {
            target.push_back(
                PolygonPrimitive{std::move(corners), FillRule::Alternate, kNoPen, SolidBrush(color)});
        } else {
            corners.push_back(corners.front());
            target.push_back(PolylinePrimitive{std::move(corners), pen});
        }
    };
    switch (static_cast<MarkerShape>(shape)) {
        case MarkerShape::Circle:
            if (filled) {
                target.push_back(EllipsePrimitive{x - s, y - s, x + s, y + s, Pen{color, 1, PenStyle::Solid},
                                                  SolidBrush(color)});
            } else {
                target.push_back(EllipsePrimitive{x - s, y - s, x + s, y + s, pen, Brush{}});
            }
            break;
        case MarkerShape::Square:
            if (filled) {
                target.push_back(
                    RectanglePrimitive{{x - s, y - s}, {x + s, y + s}, kNoPen, SolidBrush(color)});
            } else {
                target.push_back(RectanglePrimitive{{x - s, y - s}, {x + s, y + s}, pen, Brush{}});
            }
            break;
        case MarkerShape::Diamond:
            outline({{x, y - s}, {x - s, y}, {x, y + s}, {x + s, y}});
            break;
        case MarkerShape::TriangleUp:
            outline({{x, y - s}, {x - s, y + s}, {x + s, y + s}});
            break;
        case MarkerShape::TriangleDown:
            outline({{x - s, y - s}, {x, y + s}, {x + s, y - s}});
            break;
        case MarkerShape::Cross: {
            // The filled cross is the narrow one: half as wide as it is tall.
            const int w = filled ? s / 2 : s;
            stroke({x - w, y - s}, {x + w, y + s});
            stroke({x - w, y + s}, {x + w, y - s});
            break;
        }
        case MarkerShape::Plus:
            stroke({x, y - s}, {x, y + s});
            stroke({x - s, y}, {x + s, y});
            break;
    }
}

}  // namespace kelmora
