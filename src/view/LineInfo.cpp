#include "view/LineInfo.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace kelmora {

namespace {

// Half the line width across a → b, turned to the left of the direction on the screen: (sin θ, −cos θ)
// times width/2, each component truncated to whole pixels.
ClientPoint HalfWidthOffset(ClientPoint a, ClientPoint b, int width) {
    const double theta = std::atan2(static_cast<double>(b.y) - a.y, static_cast<double>(b.x) - a.x);
    return {TruncateToPixel(std::sin(theta) * width * 0.5), TruncateToPixel(-std::cos(theta) * width * 0.5)};
}

ClientPoint Add(ClientPoint p, ClientPoint o) {
    return {p.x + o.x, p.y + o.y};
}
ClientPoint Sub(ClientPoint p, ClientPoint o) {
    return {p.x - o.x, p.y - o.y};
}

}  // namespace

Pen CLineInfo::LinePen() const {
    const PenStyle style = penStyle >= 0 && penStyle <= 5 ? static_cast<PenStyle>(penStyle) : PenStyle::Solid;
    return {color, width, style};
}

Pen CLineInfo::FramePen() const {
    return {color, 1, PenStyle::Solid};
}

void CLineInfo::DrawSegment(DisplayLayer& target, ClientPoint a, ClientPoint b) const {
    if (!visible) return;
    if (width <= 2) {
        target.push_back(PolylinePrimitive{{a, b}, LinePen()});
        return;
    }
    const Brush fill = filled ? SolidBrush(color) : Brush{};
    const Pen outline = filled ? kNoPen : LinePen();
    const int h = width / 2;
    if (a.x == b.x) {
        target.push_back(RectanglePrimitive{{a.x - h, a.y}, {b.x + h, b.y}, outline, fill});
        return;
    }
    if (a.y == b.y) {
        target.push_back(RectanglePrimitive{{a.x, a.y - h}, {b.x, b.y + h}, outline, fill});
        return;
    }
    const ClientPoint o = HalfWidthOffset(a, b, width);
    target.push_back(PolygonPrimitive{{Add(a, o), Sub(a, o), Sub(b, o), Add(b, o)},
                                      FillRule::Alternate,
                                      filled ? kNoPen : FramePen(),
                                      fill});
}

void CLineInfo::DrawPolyline(DisplayLayer& target, std::span<const ClientPoint> points) const {
    if (!visible || points.size() < 2) return;
    if (width <= 5) {
        target.push_back(PolylinePrimitive{{points.begin(), points.end()}, LinePen()});
        return;
    }
    // Both ends of every segment moved half the width to its left, in order, then to its right, backward.
    std::vector<ClientPoint> left;
    std::vector<ClientPoint> right;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const ClientPoint o = HalfWidthOffset(points[i], points[i + 1], width);
        left.push_back(Add(points[i], o));
        left.push_back(Add(points[i + 1], o));
        right.push_back(Sub(points[i], o));
        right.push_back(Sub(points[i + 1], o));
    }
    left.insert(left.end(), right.rbegin(), right.rend());
    target.push_back(PolygonPrimitive{std::move(left), FillRule::Winding, filled ? kNoPen : FramePen(),
                                      filled ? SolidBrush(color) : Brush{}});
}

void CLineInfo::DrawHatchedPolygon(DisplayLayer& target, std::span<const ClientPoint> points) const {
    if (!visible || points.size() < 3) return;
    PolygonPrimitive region{{points.begin(), points.end()}, FillRule::Winding, FramePen(), Brush{}};
    if (filled && !hatched) {
        region.pen = kNoPen;
        region.brush = SolidBrush(color);
    } else {
        const HatchStyle style = hatchStyle >= 0 && hatchStyle <= 5 ? static_cast<HatchStyle>(hatchStyle)
                                                                    : HatchStyle::DiagonalCross;
        region.brush = Brush{Brush::Kind::Hatch, color, style, filled != 0, hatchBackground};
    }
    target.push_back(std::move(region));
}

void CLineInfo::DrawArrow(DisplayLayer& target, ClientPoint a, ClientPoint b) const {
    if (!visible) return;
    DrawSegment(target, a, b);
    constexpr double kHeadLength = 10.0;  // px
    constexpr double kHeadAngle = std::numbers::pi / 4.0;
    const double theta = std::atan2(static_cast<double>(b.y) - a.y, static_cast<double>(b.x) - a.x);
    for (double turn : {kHeadAngle, -kHeadAngle}) {
        const ClientPoint back{TruncateToPixel(kHeadLength * std::cos(theta + turn)),
                               TruncateToPixel(kHeadLength * std::sin(theta + turn))};
        DrawSegment(target, Sub(b, back), b);
    }
}

}  // namespace kelmora
