#include "view/noisemap/IsoLineLabels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kelmora {

namespace {

constexpr double kStraightness = 0.3;  // of the text height: how far the line may bend under a label

// A line in pixels with the distance along it at each point.
struct PixelLine {
    std::vector<CVertex2D> points;
    std::vector<double> at;  // px from the start
    double Length() const { return at.empty() ? 0.0 : at.back(); }

    CVertex2D PointAt(double d) const {
        const auto it = std::lower_bound(at.begin(), at.end(), d);
        if (it == at.begin()) return points.front();
        if (it == at.end()) return points.back();
        const std::size_t i = static_cast<std::size_t>(it - at.begin());
        const double span = at[i] - at[i - 1];
        const double f = span > 0.0 ? (d - at[i - 1]) / span : 0.0;
        return {points[i - 1].x + f * (points[i].x - points[i - 1].x),
                points[i - 1].y + f * (points[i].y - points[i - 1].y)};
    }
};

PixelLine ToPixelLine(const MapLine& line, const MapToPixels& toPixels) {
    PixelLine out;
    for (const MapPoint& p : line) {
        const CVertex2D q = toPixels(p);
        if (!std::isfinite(q.x) || !std::isfinite(q.y)) continue;
        if (!out.points.empty() && q.x == out.points.back().x && q.y == out.points.back().y) continue;
        out.at.push_back(out.points.empty() ? 0.0
                                            : out.at.back() + std::hypot(q.x - out.points.back().x,
                                                                         q.y - out.points.back().y));
        out.points.push_back(q);
    }
    return out;
}

struct Candidate {
    int rank;           // its place along its line: 0 first
    double lineLength;  // px; longer lines first among equal ranks
    IsoLabel label;
};

// The label centred at distance d along the line when the line runs straight enough under it.
std::optional<IsoLabel> LabelAt(const PixelLine& line, double d, double length, double height,
                                const std::string& text) {
    const double d0 = d - 0.5 * length;
    const double d1 = d + 0.5 * length;
    if (d0 < 0.0 || d1 > line.Length()) return std::nullopt;
    const CVertex2D a = line.PointAt(d0);
    const CVertex2D b = line.PointAt(d1);
    const double chord = std::hypot(b.x - a.x, b.y - a.y);
    if (!(chord >= 0.9 * length)) return std::nullopt;
    const double tolerance = kStraightness * height;
    for (std::size_t i = 0; i < line.points.size(); ++i) {
        if (line.at[i] <= d0 || line.at[i] >= d1) continue;
        const CVertex2D& p = line.points[i];
        const double off = std::fabs((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) / chord;
        if (off > tolerance) return std::nullopt;
    }
    // Upright: a line running leftward is read from its other end.
    double angle = std::atan2(-(b.y - a.y), b.x - a.x) * 180.0 / std::numbers::pi;
    if (angle > 90.0) angle -= 180.0;
    if (angle <= -90.0) angle += 180.0;
    return IsoLabel{line.PointAt(d), angle, length, height, text};
}

std::array<CVertex2D, 4> Corners(const IsoLabel& l) {
    const double r = l.angleDeg * std::numbers::pi / 180.0;
    const CVertex2D u{std::cos(r) * 0.5 * l.width, -std::sin(r) * 0.5 * l.width};
    const CVertex2D n{std::sin(r) * 0.5 * l.height, std::cos(r) * 0.5 * l.height};
    const CVertex2D& c = l.centre;
    return {CVertex2D{c.x - u.x - n.x, c.y - u.y - n.y}, CVertex2D{c.x + u.x - n.x, c.y + u.y - n.y},
            CVertex2D{c.x + u.x + n.x, c.y + u.y + n.y}, CVertex2D{c.x - u.x + n.x, c.y - u.y + n.y}};
}

bool Inside(const IsoLabel& l, const LabelFrame& f) {
    for (const CVertex2D& p : Corners(l))
        if (p.x < f.left || p.x > f.right || p.y < f.top || p.y > f.bottom) return false;
    return true;
}

}  // namespace

bool LabelsOverlap(const IsoLabel& a, const IsoLabel& b) {
    const std::array<CVertex2D, 4> ca = Corners(a);
    const std::array<CVertex2D, 4> cb = Corners(b);
    // Separating axes: the two sides' directions of each box.
    const std::array<CVertex2D, 4> axes{
        CVertex2D{ca[1].x - ca[0].x, ca[1].y - ca[0].y}, CVertex2D{ca[3].x - ca[0].x, ca[3].y - ca[0].y},
        CVertex2D{cb[1].x - cb[0].x, cb[1].y - cb[0].y}, CVertex2D{cb[3].x - cb[0].x, cb[3].y - cb[0].y}};
    for (const CVertex2D& axis : axes) {
        double aMin = INFINITY, aMax = -INFINITY, bMin = INFINITY, bMax = -INFINITY;
        for (const CVertex2D& p : ca) {
            const double s = p.x * axis.x + p.y * axis.y;
            aMin = std::min(aMin, s);
            aMax = std::max(aMax, s);
        }
        for (const CVertex2D& p : cb) {
            const double s = p.x * axis.x + p.y * axis.y;
            bMin = std::min(bMin, s);
            bMax = std::max(bMax, s);
        }
        if (aMax < bMin || bMax < aMin) return false;
    }
    return true;
}

std::vector<IsoLabel> PlaceIsoLineLabels(const std::vector<IsoLine>& lines, const MapToPixels& toPixels,
                                         const TextWidth& width, const IsoLabelStyle& style,
                                         const std::optional<LabelFrame>& frame) {
    std::vector<Candidate> candidates;
    const double height = style.textHeight + 2.0 * style.clearance;
    for (const IsoLine& iso : lines) {
        const std::string text = FormatLimit(iso.level, style.signedLevels);
        const double length = width(text) + 2.0 * style.clearance;
        for (const MapLine& mapLine : iso.lines) {
            const PixelLine line = ToPixelLine(mapLine, toPixels);
            if (line.points.size() < 2 || line.Length() < length) continue;
            // Candidates every `spacing` px, the first half a spacing in (or mid-line on a short line);
            // where the line bends, the nearby places a quarter spacing either side are tried instead.
            const double first = std::min(0.5 * style.spacing, 0.5 * line.Length());
            int rank = 0;
            for (double d = first; d <= line.Length() - 0.5 * length; d += style.spacing, ++rank) {
                for (const double shift : {0.0, -0.25, 0.25}) {
                    const std::optional<IsoLabel> label =
                        LabelAt(line, d + shift * style.spacing, length, height, text);
                    if (!label || (frame && !Inside(*label, *frame))) continue;
                    candidates.push_back({rank, line.Length(), *label});
                    break;
                }
            }
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.lineLength > b.lineLength;
    });
    std::vector<IsoLabel> placed;
    for (const Candidate& c : candidates) {
        const bool free = std::none_of(placed.begin(), placed.end(),
                                       [&](const IsoLabel& p) { return LabelsOverlap(p, c.label); });
        if (free) placed.push_back(c.label);
    }
    return placed;
}

void DrawIsoLineLabels(DisplayLayer& layer, const std::vector<IsoLabel>& labels, const IsoLabelStyle& style) {
    for (const IsoLabel& label : labels) {
        TextPrimitive t;
        t.at = {static_cast<int>(std::lround(label.centre.x)), static_cast<int>(std::lround(label.centre.y))};
        t.anchor = 4;
        t.text = label.text;
        t.font.heightPx = style.textHeight;
        t.textColor = kIsoLineColour;
        t.backColor = Rgb{255, 255, 255};
        t.halo = true;
        t.angleDeg = label.angleDeg;
        layer.push_back(std::move(t));
    }
}

}  // namespace kelmora
