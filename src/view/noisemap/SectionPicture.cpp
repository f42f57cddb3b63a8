#include "view/noisemap/SectionPicture.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "view/PlanObjects.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {

namespace {

constexpr int kLeftMargin = 64;    // px: height labels and the axis title
constexpr int kTopMargin = 30;     // px: room for the height axis title
constexpr int kBottomMargin = 52;  // px: distance labels and the axis title
constexpr int kLegendGap = 24;     // px between the plot and the legend
constexpr int kTickLength = 5;     // px
constexpr Rgb kAxisColour{0, 0, 0};
constexpr Rgb kGroundFill{222, 205, 170};

struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void Add(double v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
};

TextPrimitive AxisText(ClientPoint at, int anchor, std::string text) {
    TextPrimitive t;
    t.at = at;
    t.anchor = anchor;
    t.text = std::move(text);
    t.textColor = kAxisColour;
    return t;
}

std::string TickText(double value, double step) {
    // Whole metres unless the ticks are closer than a metre.
    if (step >= 1.0) return FormatLimit(std::round(value));
    return FormatLimit(std::round(value * 10.0) / 10.0);
}

}  // namespace

double NiceTickStep(double range, int count) {
    if (!(range > 0.0) || !std::isfinite(range) || count < 1) return 1.0;
    const double raw = range / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) return m * power;
    }
    return 10.0 * power;
}

DisplayLayer DrawSection(const NoiseMap& map, const SectionFrame& frame, const TextWidth& width) {
    DisplayLayer layer;
    layer.push_back(FillPrimitive{kWhite});
    const LegendSize legend = MeasureLegend(map.legend, width);
    const int plotLeft = kLeftMargin;
    const int plotTop = kTopMargin;
    const int plotRight = std::max(plotLeft + 10, frame.width - legend.width - 2 * kLegendGap);
    const int plotBottom = std::max(plotTop + 10, frame.height - kBottomMargin);

    const std::vector<MapPoint>& nodes = map.surface.nodes;
    const LevelGrid& grid = map.grid;
    // The ground under each column: its lowest node less its height above the ground.
    std::vector<MapPoint> ground;
    if (frame.lowestNodeAboveGround && grid.rows > 0 && nodes.size() == grid.NodeCount()) {
        for (int c = 0; c < grid.columns; ++c) {
            const MapPoint& bottom = nodes[grid.Index(c, 0)];
            ground.emplace_back(bottom.x(), bottom.y() - *frame.lowestNodeAboveGround);
        }
    }
    Range s;
    Range z;
    for (const MapPoint& p : nodes) {
        s.Add(p.x());
        z.Add(p.y());
    }
    for (const MapPoint& p : ground)
        z.Add(p.y());
    if (!(s.hi > s.lo) || !(z.hi > z.lo)) return layer;
    const double zPad = 0.05 * (z.hi - z.lo);
    z.lo -= zPad;
    z.hi += zPad;

    const double sx = (plotRight - plotLeft) / (s.hi - s.lo);
    const double sz = (plotBottom - plotTop) / (z.hi - z.lo);
    const MapToPixels toPixels = [&](const MapPoint& p) {
        return CVertex2D{plotLeft + (p.x() - s.lo) * sx, plotBottom - (p.y() - z.lo) * sz};
    };

    if (!ground.empty()) {
        PathPrimitive soil;
        std::vector<CVertex2D> outline;
        for (const MapPoint& p : ground)
            outline.push_back(toPixels(p));
        outline.push_back(toPixels(MapPoint(ground.back().x(), z.lo)));
        outline.push_back(toPixels(MapPoint(ground.front().x(), z.lo)));
        soil.parts.push_back(std::move(outline));
        soil.brush = SolidBrush(kGroundFill);
        layer.push_back(std::move(soil));
    }
    DrawMapBands(layer, map.bands, map.scheme, toPixels);
    if (frame.isoLines) DrawIsoLines(layer, map.isoLines, toPixels);
    if (!ground.empty()) {
        PathPrimitive line;
        line.closed = false;
        line.pen = Pen{kGroundLineColour, 2, PenStyle::Solid};
        std::vector<CVertex2D> points;
        for (const MapPoint& p : ground)
            points.push_back(toPixels(p));
        line.parts.push_back(std::move(points));
        layer.push_back(std::move(line));
    }

    // Frame, ticks and their labels.
    const Pen axisPen{kAxisColour, 1, PenStyle::Solid};
    layer.push_back(RectanglePrimitive{{plotLeft, plotTop}, {plotRight, plotBottom}, axisPen, Brush{}});
    const double sStep = NiceTickStep(s.hi - s.lo, std::max(2, (plotRight - plotLeft) / 80));
    for (double v = std::ceil(s.lo / sStep) * sStep; v <= s.hi + 1e-9 * sStep; v += sStep) {
        const int x = static_cast<int>(std::lround(toPixels(MapPoint(v, z.lo)).x));
        layer.push_back(PolylinePrimitive{{{x, plotBottom}, {x, plotBottom + kTickLength}}, axisPen});
        layer.push_back(AxisText({x, plotBottom + kTickLength + 2}, 1, TickText(v, sStep)));
    }
    const double zStep = NiceTickStep(z.hi - z.lo, std::max(2, (plotBottom - plotTop) / 50));
    for (double v = std::ceil(z.lo / zStep) * zStep; v <= z.hi + 1e-9 * zStep; v += zStep) {
        const int y = static_cast<int>(std::lround(toPixels(MapPoint(s.lo, v)).y));
        layer.push_back(PolylinePrimitive{{{plotLeft - kTickLength, y}, {plotLeft, y}}, axisPen});
        layer.push_back(AxisText({plotLeft - kTickLength - 3, y}, 5, TickText(v, zStep)));
    }
    layer.push_back(
        AxisText({(plotLeft + plotRight) / 2, frame.height - 6}, 7, std::string(kSectionDistanceAxis)));
    layer.push_back(AxisText({4, 6}, 0, std::string(kSectionHeightAxis)));
    DrawLegend(layer, map.legend, {plotRight + kLegendGap, plotTop}, width);
    return layer;
}

}  // namespace kelmora
