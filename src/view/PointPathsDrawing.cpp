#include "view/PointPathsDrawing.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "view/ViewTransform.h"

namespace kelmora {
namespace {

constexpr Rgb kOutlineColour{0, 0, 0};
constexpr int kMaxLineWidth = 8;        // px, a path of all the energy
constexpr int kNodeRadius = 4;          // px, the nodes of the selected path
constexpr int kReceiverRingRadius = 9;  // px

// The colour mixed towards white by `amount` (0..1).
Rgb Paler(Rgb c, double amount) {
    const auto mix = [amount](std::uint8_t v) {
        return static_cast<std::uint8_t>(std::lround(v + (255 - v) * amount));
    };
    return {mix(c.r), mix(c.g), mix(c.b)};
}

// The line through the nodes the sound travels through, in client pixels.
std::vector<CVertex2D> LineOf(const CKelmoraViewData& v, const PointPath& path) {
    std::vector<CVertex2D> line;
    for (const PathNodePlace& node : path.nodes) {
        if (node.onPath) line.push_back(ModelToClient(v, node.point));
    }
    return line;
}

void AddLine(DisplayLayer& layer, std::vector<CVertex2D> line, Rgb colour, int width) {
    PathPrimitive p;
    p.parts.push_back(std::move(line));
    p.closed = false;
    p.pen = Pen{colour, width, PenStyle::Solid};
    layer.push_back(std::move(p));
}

EllipsePrimitive Circle(ClientPoint c, int radius, Pen pen, Brush brush) {
    return {c.x - radius, c.y - radius, c.x + radius, c.y + radius, pen, brush};
}

void DrawSelectedPath(DisplayLayer& layer, const CKelmoraViewData& v, const PointPath& path) {
    const Rgb colour = PathKindColour(path.kind);
    const int width = std::max(3, PathLineWidth(path.share));
    std::vector<CVertex2D> line = LineOf(v, path);
    AddLine(layer, line, kOutlineColour, width + 4);
    AddLine(layer, std::move(line), colour, width);
    const Pen outline{kOutlineColour, 1, PenStyle::Solid};
    for (const PathNodePlace& node : path.nodes) {
        const ClientPoint at = ModelToPixel(v, node.point);
        switch (node.role) {
            case PathNodeRole::Diffraction:
            case PathNodeRole::Reflection:
                // A point the sound passes beside is hollow: it is no corner of the line.
                layer.push_back(Circle(at, kNodeRadius, outline, node.onPath ? SolidBrush(colour) : Brush{}));
                break;
            case PathNodeRole::RoomSource:
            case PathNodeRole::Source:
                layer.push_back(Circle(at, kNodeRadius, outline, SolidBrush(kWhite)));
                break;
            case PathNodeRole::Receiver:
                break;
        }
    }
}

}  // namespace

Rgb PathKindColour(PathKind kind) {
    switch (kind) {
        case PathKind::Direct:
            return {213, 94, 0};
        case PathKind::Diffracted:
            return {0, 114, 178};
        case PathKind::Reflected:
            return {0, 158, 115};
        case PathKind::ThroughOpening:
            return {204, 121, 167};
    }
    return {};
}

Rgb PathColour(PathKind kind, double share) {
    return share < kPaleShare ? Paler(PathKindColour(kind), 0.6) : PathKindColour(kind);
}

int PathLineWidth(double share) {
    const double s = std::clamp(std::isfinite(share) ? share : 0.0, 0.0, 1.0);
    return std::clamp(static_cast<int>(std::lround(1.0 + (kMaxLineWidth - 1) * std::sqrt(s))), 1,
                      kMaxLineWidth);
}

void DrawPointPaths(DisplayLayer& layer, const CKelmoraViewData& v, std::span<const PointPath> paths,
                    std::optional<std::size_t> selected, const CVector3D& point) {
    // The weakest first, so that the paths that make the level lie on top.
    std::vector<std::size_t> order(paths.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&paths](std::size_t a, std::size_t b) { return paths[a].share < paths[b].share; });
    for (const std::size_t k : order) {
        if (selected && *selected == k) continue;
        const PointPath& path = paths[k];
        const Rgb colour = PathColour(path.kind, path.share);
        if (path.share < kPaleShare) {
            AddLine(layer, LineOf(v, path), colour, 1);
            continue;
        }
        // A white edge keeps the line readable over a noise map and over the other paths.
        const int width = PathLineWidth(path.share);
        std::vector<CVertex2D> line = LineOf(v, path);
        AddLine(layer, line, kWhite, width + 2);
        AddLine(layer, std::move(line), colour, width);
    }
    if (selected && *selected < paths.size()) DrawSelectedPath(layer, v, paths[*selected]);
    const ClientPoint at = ModelToPixel(v, point);
    layer.push_back(Circle(at, kReceiverRingRadius, Pen{kOutlineColour, 2, PenStyle::Solid}, Brush{}));
}

std::optional<std::size_t> PredictionPointAt(const CCalcInfo& calc, const CKelmoraViewData& v, ClientPoint at,
                                             double radiusPx) {
    const std::span<const CPredictivePoint> points = calc.PredictionPoints();
    std::optional<std::size_t> nearest;
    double best = radiusPx * radiusPx;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const CVertex2D p = ModelToClient(v, points[i].position);
        const double dx = p.x - at.x;
        const double dy = p.y - at.y;
        const double d = dx * dx + dy * dy;
        if (d <= best) {
            // The first of points drawn at one place wins.
            if (nearest && d == best) continue;
            best = d;
            nearest = i;
        }
    }
    return nearest;
}

}  // namespace kelmora
