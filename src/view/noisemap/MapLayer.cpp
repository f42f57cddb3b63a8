#include "view/noisemap/MapLayer.h"

#include <algorithm>

#include "view/ViewTransform.h"

namespace kelmora {

namespace {

constexpr int kLegendPadding = 8;      // px around the contents
constexpr int kLegendLineHeight = 20;  // px per text line
constexpr int kLegendTextHeight = 15;  // px, the label font
constexpr int kSwatchWidth = 28;       // px
constexpr int kSwatchHeight = 14;      // px
constexpr int kSwatchGap = 8;          // px between the colour box and its text
constexpr Rgb kLegendFrame{128, 128, 128};
constexpr Rgb kLegendText{0, 0, 0};
constexpr Rgb kLegendWarning{200, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

std::vector<CVertex2D> ToPixels(const auto& points, const MapToPixels& toPixels) {
    std::vector<CVertex2D> out;
    out.reserve(points.size());
    for (const MapPoint& p : points)
        out.push_back(toPixels(p));
    return out;
}

struct HeadingLine {
    const std::string* text;
    Rgb colour;
};

std::vector<HeadingLine> HeadingLines(const MapLegend& legend) {
    std::vector<HeadingLine> lines;
    for (const HeadingLine& line :
         {HeadingLine{&legend.heading, kLegendText}, HeadingLine{&legend.subheading, kLegendText},
          HeadingLine{&legend.warning, kLegendWarning}}) {
        if (!line.text->empty()) lines.push_back(line);
    }
    return lines;
}

TextPrimitive LegendText(ClientPoint at, int anchor, const std::string& text, Rgb colour) {
    TextPrimitive t;
    t.at = at;
    t.anchor = anchor;
    t.text = text;
    t.textColor = colour;
    t.font.heightPx = kLegendTextHeight;
    return t;
}

}  // namespace

MapToPixels PlanMapToPixels(const CKelmoraViewData& view) {
    return [view](const MapPoint& p) { return ModelToClient(view, CVector3D{p.x(), p.y(), 0.0}); };
}

void DrawMapBands(DisplayLayer& layer, const std::vector<LevelBand>& bands, const ColourScheme& scheme,
                  const MapToPixels& toPixels) {
    for (const LevelBand& band : bands) {
        if (band.classIndex >= scheme.classColours.size() || !scheme.classColours[band.classIndex]) continue;
        PathPrimitive area;
        for (const MapPolygon& polygon : band.area) {
            area.parts.push_back(ToPixels(polygon.outer(), toPixels));
            for (const MapRing& hole : polygon.inners())
                area.parts.push_back(ToPixels(hole, toPixels));
        }
        if (area.parts.empty()) continue;
        area.brush = SolidBrush(*scheme.classColours[band.classIndex]);
        layer.push_back(std::move(area));
    }
}

void DrawIsoLines(DisplayLayer& layer, const std::vector<IsoLine>& lines, const MapToPixels& toPixels) {
    PathPrimitive path;
    path.closed = false;
    path.pen = Pen{kIsoLineColour, 1, PenStyle::Solid};
    for (const IsoLine& iso : lines) {
        for (const MapLine& line : iso.lines)
            path.parts.push_back(ToPixels(line, toPixels));
    }
    if (!path.parts.empty()) layer.push_back(std::move(path));
}

MapLegend MakeLegend(const LevelClasses& classes, const ColourScheme& scheme, std::string heading,
                     std::string subheading) {
    MapLegend legend;
    legend.heading = std::move(heading);
    legend.subheading = std::move(subheading);
    for (std::size_t k = classes.ClassCount(); k-- > 0;) {
        const std::optional<Rgb> colour =
            k < scheme.classColours.size() ? scheme.classColours[k] : std::optional<Rgb>{};
        legend.entries.push_back({ClassLabel(classes, k), colour});
    }
    return legend;
}

LegendSize MeasureLegend(const MapLegend& legend, const TextWidth& width) {
    int contentWidth = 0;
    const std::vector<HeadingLine> headings = HeadingLines(legend);
    for (const HeadingLine& line : headings)
        contentWidth = std::max(contentWidth, width(*line.text));
    for (const LegendEntry& entry : legend.entries)
        contentWidth = std::max(contentWidth, kSwatchWidth + kSwatchGap + width(entry.label));
    const int lines = static_cast<int>(headings.size() + legend.entries.size());
    return {contentWidth + 2 * kLegendPadding, lines * kLegendLineHeight + 2 * kLegendPadding};
}

void DrawLegend(DisplayLayer& layer, const MapLegend& legend, ClientPoint topLeft, const TextWidth& width) {
    const LegendSize size = MeasureLegend(legend, width);
    layer.push_back(RectanglePrimitive{topLeft,
                                       {topLeft.x + size.width, topLeft.y + size.height},
                                       Pen{kLegendFrame, 1, PenStyle::Solid},
                                       SolidBrush(kWhite)});
    const int left = topLeft.x + kLegendPadding;
    int y = topLeft.y + kLegendPadding;
    for (const HeadingLine& line : HeadingLines(legend)) {
        layer.push_back(LegendText({left, y + kLegendLineHeight / 2}, 3, *line.text, line.colour));
        y += kLegendLineHeight;
    }
    for (const LegendEntry& entry : legend.entries) {
        const int top = y + (kLegendLineHeight - kSwatchHeight) / 2;
        // A class left unfilled on the map shows as an empty white box.
        layer.push_back(RectanglePrimitive{{left, top},
                                           {left + kSwatchWidth, top + kSwatchHeight},
                                           Pen{kLegendFrame, 1, PenStyle::Solid},
                                           SolidBrush(entry.colour.value_or(kWhite))});
        layer.push_back(LegendText({left + kSwatchWidth + kSwatchGap, y + kLegendLineHeight / 2}, 3,
                                   entry.label, kLegendText));
        y += kLegendLineHeight;
    }
}

}  // namespace kelmora
