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
constexpr int kLeastWrapWidth = 120;   // px
constexpr Rgb kLegendFrame{128, 128, 128};
constexpr Rgb kLegendText{0, 0, 0};
constexpr Rgb kLegendWarning{200, 0, 0};

std::vector<CVertex2D> ToPixels(const auto& points, const MapToPixels& toPixels) {
    std::vector<CVertex2D> out;
    out.reserve(points.size());
    for (const MapPoint& p : points)
        out.push_back(toPixels(p));
    return out;
}

struct HeadingLine {
    std::string text;
    Rgb colour;
};

// The width the heading and the classes need; the notes and the warning wrap within it.
int NaturalWidth(const MapLegend& legend, const TextWidth& width) {
    int w = std::max(width(legend.heading), width(legend.subheading));
    for (const LegendEntry& entry : legend.entries)
        w = std::max(w, kSwatchWidth + kSwatchGap + width(entry.label));
    return std::max(w, kLeastWrapWidth);
}

std::vector<HeadingLine> HeadingLines(const MapLegend& legend, const TextWidth& width) {
    std::vector<HeadingLine> lines;
    const int wrap = NaturalWidth(legend, width);
    if (!legend.heading.empty()) lines.push_back({legend.heading, kLegendText});
    if (!legend.subheading.empty()) lines.push_back({legend.subheading, kLegendText});
    for (const std::string& note : legend.notes)
        for (std::string& line : WrapText(note, wrap, width))
            lines.push_back({std::move(line), kLegendText});
    for (std::string& line : WrapText(legend.warning, wrap, width))
        lines.push_back({std::move(line), kLegendWarning});
    return lines;
}

// The length in bytes of the UTF-8 character that starts with `lead`.
std::size_t CharacterLength(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
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
        std::string label = ClassLabel(classes, k);
        if (!colour) label += kLegendUnfilled;
        legend.entries.push_back({std::move(label), colour});
    }
    return legend;
}

LegendSize MeasureLegend(const MapLegend& legend, const TextWidth& width) {
    int contentWidth = NaturalWidth(legend, width);
    const std::vector<HeadingLine> headings = HeadingLines(legend, width);
    for (const HeadingLine& line : headings)
        contentWidth = std::max(contentWidth, width(line.text));
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
    for (const HeadingLine& line : HeadingLines(legend, width)) {
        layer.push_back(LegendText({left, y + kLegendLineHeight / 2}, 3, line.text, line.colour));
        y += kLegendLineHeight;
    }
    const Pen frame{kLegendFrame, 1, PenStyle::Solid};
    for (const LegendEntry& entry : legend.entries) {
        const int top = y + (kLegendLineHeight - kSwatchHeight) / 2;
        const ClientPoint corner1{left, top};
        const ClientPoint corner2{left + kSwatchWidth, top + kSwatchHeight};
        if (entry.colour) {
            layer.push_back(RectanglePrimitive{corner1, corner2, frame, SolidBrush(*entry.colour)});
        } else {
            // A class left unfilled: an empty box, struck through.
            layer.push_back(RectanglePrimitive{corner1, corner2, frame, Brush{}});
            layer.push_back(PolylinePrimitive{{{corner1.x, corner2.y}, {corner2.x, corner1.y}}, frame});
        }
        layer.push_back(LegendText({left + kSwatchWidth + kSwatchGap, y + kLegendLineHeight / 2}, 3,
                                   entry.label, kLegendText));
        y += kLegendLineHeight;
    }
}

std::vector<std::string> WrapText(const std::string& text, int maxWidth, const TextWidth& width) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    // Pieces: words with their following space, or single characters where there are no spaces.
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t n = std::min(CharacterLength(lead), text.size() - i);
        const bool ascii = lead < 0x80 && lead != ' ';
        if (ascii && !pieces.empty() && !pieces.back().empty() &&
            static_cast<unsigned char>(pieces.back().back()) < 0x80 && pieces.back().back() != ' ')
            pieces.back() += text.substr(i, n);
        else if (lead == ' ' && !pieces.empty())
            pieces.back() += ' ';
        else
            pieces.push_back(text.substr(i, n));
        i += n;
    }
    std::string line;
    const auto flush = [&] {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
        line.clear();
    };
    for (const std::string& piece : pieces) {
        if (width(line + piece) <= maxWidth) {
            line += piece;
            continue;
        }
        // A word that fits a line of its own starts one; a wider one goes on character by character.
        if (width(piece) <= maxWidth) {
            flush();
            line = piece;
            continue;
        }
        for (std::size_t i = 0; i < piece.size();) {
            const std::size_t n =
                std::min(CharacterLength(static_cast<unsigned char>(piece[i])), piece.size() - i);
            const std::string c = piece.substr(i, n);
            if (!line.empty() && width(line + c) > maxWidth) flush();
            line += c;
            i += n;
        }
    }
    flush();
    return lines;
}

}  // namespace kelmora
