#include "view/PathSectionSketch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "propagation/GroundModel.h"
#include "view/PointPathsDrawing.h"
#include "view/noisemap/LevelClasses.h"
#include "view/noisemap/MapTexts.h"
#include "view/noisemap/SectionPicture.h"

namespace kelmora {
namespace {

constexpr int kLeftMargin = 64;      // px: height labels
constexpr int kNodeListWidth = 170;  // px at the right: the list of the nodes with their heights
constexpr int kNodeListGap = 12;     // px between the plot and the list
constexpr int kNodeListLine = 18;    // px from one line of the list to the next
constexpr int kTopMargin = 40;       // px: the axis title and the labels of high nodes
constexpr int kBottomMargin = 48;    // px: distance labels and the axis title
constexpr int kTickLength = 5;       // px
constexpr int kNodeRadius = 4;       // px
constexpr Rgb kAxisColour{0, 0, 0};
constexpr Rgb kGroundFill{222, 205, 170};
constexpr Rgb kGroundLine{119, 17, 0};
constexpr std::string_view kAlongAxis = "経路の水平距離 [m]";

double PlanDistance(const CVector3D& a, const CVector3D& b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

TextPrimitive Label(ClientPoint at, int anchor, std::string text) {
    TextPrimitive t;
    t.at = at;
    t.anchor = anchor;
    t.text = std::move(text);
    t.textColor = kAxisColour;
    return t;
}

std::string TickText(double value, double step) {
    if (step >= 1.0) return FormatLimit(std::round(value));
    return FormatLimit(std::round(value * 10.0) / 10.0);
}

struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void Add(double v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
};

}  // namespace

PathProfile ProfileOfPath(std::span<const CGroundLine> terrain, const PointPath& path) {
    PathProfile profile;
    profile.throughOpening = path.kind == PathKind::ThroughOpening;
    const PathNodePlace* previous = nullptr;
    for (const PathNodePlace& node : path.nodes) {
        if (!node.onPath) continue;
        if (previous != nullptr) {
            const double leg = PlanDistance(previous->point, node.point);
            const int steps = std::clamp(static_cast<int>(std::ceil(leg / kProfileSampleSpacing)), 1,
                                         kMaxProfileSamplesPerLeg);
            // The leg's start was sampled with the previous leg.
            for (int i = 1; i <= steps; ++i) {
                const double t = static_cast<double>(i) / steps;
                const CVector3D p = previous->point + t * (node.point - previous->point);
                profile.ground.push_back({profile.length + leg * t, GroundHeightAt(terrain, p)});
            }
            profile.length += leg;
        } else {
            profile.ground.push_back({0.0, GroundHeightAt(terrain, node.point)});
        }
        profile.nodes.push_back(
            {node.role, profile.length, node.point.z, GroundHeightAt(terrain, node.point)});
        previous = &node;
    }
    return profile;
}

std::string ProfileNodeLabel(const PathProfileNode& node, bool throughOpening) {
    const char* name = "";
    switch (node.role) {
        case PathNodeRole::RoomSource:
            name = "室内音源";
            break;
        case PathNodeRole::Source:
            name = throughOpening ? "開口部" : "音源";
            break;
        case PathNodeRole::Diffraction:
            name = "回折点";
            break;
        case PathNodeRole::Reflection:
            name = "反射点";
            break;
        case PathNodeRole::Receiver:
            name = "予測点";
            break;
    }
    char height[48];
    std::snprintf(height, sizeof height, " 地上%.1fm", node.z - node.ground);
    return std::string(name) + height;
}

DisplayLayer DrawPathSection(const PathProfile& profile, PathKind kind, int width, int height) {
    DisplayLayer layer;
    layer.push_back(FillPrimitive{kWhite});
    if (profile.nodes.empty()) return layer;
    const int plotLeft = kLeftMargin;
    const int plotTop = kTopMargin;
    const int plotRight = std::max(plotLeft + 10, width - kNodeListWidth - kNodeListGap);
    const int plotBottom = std::max(plotTop + 10, height - kBottomMargin);

    Range s;
    Range z;
    s.Add(0.0);
    s.Add(profile.length);
    for (const PathProfileNode& n : profile.nodes)
        z.Add(n.z);
    for (const CVertex2D& g : profile.ground)
        z.Add(g.y);
    // A flat path still gets a few metres of height, and every path a margin above and below.
    if (z.hi - z.lo < 2.0) {
        const double mid = 0.5 * (z.hi + z.lo);
        z.lo = mid - 1.0;
        z.hi = mid + 1.0;
    }
    const double zPad = 0.1 * (z.hi - z.lo);
    z.lo -= zPad;
    z.hi += zPad;
    if (!(s.hi > s.lo)) s.hi = s.lo + 1.0;

    const double sx = (plotRight - plotLeft) / (s.hi - s.lo);
    const double sz = (plotBottom - plotTop) / (z.hi - z.lo);
    const auto toPixels = [&](double along, double elevation) {
        return CVertex2D{plotLeft + (along - s.lo) * sx, plotBottom - (elevation - z.lo) * sz};
    };
    const auto pixel = [&](double along, double elevation) {
        const CVertex2D p = toPixels(along, elevation);
        return ClientPoint{static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))};
    };

    if (!profile.ground.empty()) {
        PathPrimitive soil;
        std::vector<CVertex2D> outline;
        for (const CVertex2D& g : profile.ground)
            outline.push_back(toPixels(g.x, g.y));
        outline.push_back(toPixels(profile.ground.back().x, z.lo));
        outline.push_back(toPixels(profile.ground.front().x, z.lo));
        soil.parts.push_back(std::move(outline));
        soil.brush = SolidBrush(kGroundFill);
        layer.push_back(std::move(soil));
        PathPrimitive line;
        line.closed = false;
        line.pen = Pen{kGroundLine, 2, PenStyle::Solid};
        std::vector<CVertex2D> points;
        for (const CVertex2D& g : profile.ground)
            points.push_back(toPixels(g.x, g.y));
        line.parts.push_back(std::move(points));
        layer.push_back(std::move(line));
    }

    // The path, with each node's height above the ground as a dotted drop line.
    const Rgb colour = PathKindColour(kind);
    PathPrimitive sound;
    sound.closed = false;
    sound.pen = Pen{colour, 3, PenStyle::Solid};
    std::vector<CVertex2D> line;
    for (const PathProfileNode& n : profile.nodes)
        line.push_back(toPixels(n.along, n.z));
    sound.parts.push_back(std::move(line));
    layer.push_back(std::move(sound));
    const Pen outline{kAxisColour, 1, PenStyle::Solid};
    for (std::size_t i = 0; i < profile.nodes.size(); ++i) {
        const PathProfileNode& n = profile.nodes[i];
        const ClientPoint at = pixel(n.along, n.z);
        layer.push_back(
            PolylinePrimitive{{at, pixel(n.along, n.ground)}, Pen{kAxisColour, 1, PenStyle::Dot}});
        layer.push_back(EllipsePrimitive{at.x - kNodeRadius, at.y - kNodeRadius, at.x + kNodeRadius,
                                         at.y + kNodeRadius, outline, SolidBrush(colour)});
        // The node's number over it; its name and height in the list at the right, where long labels of
        // close nodes (a diffraction point just before the receiver) cannot overlap.
        const std::string number = std::to_string(i + 1);
        TextPrimitive mark = Label({at.x, at.y - kNodeRadius - 1}, 7, number);
        mark.halo = true;
        layer.push_back(std::move(mark));
        layer.push_back(Label({plotRight + kNodeListGap, plotTop + static_cast<int>(i) * kNodeListLine}, 0,
                              number + " " + ProfileNodeLabel(n, profile.throughOpening)));
    }

    // Frame, ticks and their labels.
    layer.push_back(RectanglePrimitive{{plotLeft, plotTop}, {plotRight, plotBottom}, outline, Brush{}});
    const double sStep = NiceTickStep(s.hi - s.lo, std::max(2, (plotRight - plotLeft) / 80));
    for (double v = std::ceil(s.lo / sStep) * sStep; v <= s.hi + 1e-9 * sStep; v += sStep) {
        const int x = pixel(v, z.lo).x;
        layer.push_back(PolylinePrimitive{{{x, plotBottom}, {x, plotBottom + kTickLength}}, outline});
        layer.push_back(Label({x, plotBottom + kTickLength + 2}, 1, TickText(v, sStep)));
    }
    const double zStep = NiceTickStep(z.hi - z.lo, std::max(2, (plotBottom - plotTop) / 40));
    for (double v = std::ceil(z.lo / zStep) * zStep; v <= z.hi + 1e-9 * zStep; v += zStep) {
        const int y = pixel(s.lo, v).y;
        layer.push_back(PolylinePrimitive{{{plotLeft - kTickLength, y}, {plotLeft, y}}, outline});
        layer.push_back(Label({plotLeft - kTickLength - 3, y}, 5, TickText(v, zStep)));
    }
    layer.push_back(Label({(plotLeft + plotRight) / 2, height - 6}, 7, std::string(kAlongAxis)));
    layer.push_back(Label({4, 6}, 0, std::string(kSectionHeightAxis)));
    return layer;
}

}  // namespace kelmora
