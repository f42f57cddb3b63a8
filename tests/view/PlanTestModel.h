#pragma once
// A small site on the blank 500 × 300 window (5 px per metre, model origin at client (0, 300), so model
// (x, y) lands on client (5x, 300 − 5y)) and a short text form of display-list primitives, shared by the
// plan drawing and click tests.
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "model/Noise.h"
#include "view/DisplayList.h"
#include "view/WindowSetUp.h"

namespace kelmora::plantest {

inline CKelmoraViewData BlankWindow() {
    CKelmoraViewData v;
    ApplyDefaultTransforms(v);
    return v;
}

// A wall opening from x1 to x2 along y, its top at zTop and 2 m high.
inline CWindow Opening(double x1, double x2, double y, double zTop, int outdoor) {
    CWindow w;
    w.rect = {{x1, y, zTop}, {x2, y, zTop}, {x2, y, zTop - 2}};
    w.isOutdoorSource = outdoor;
    return w;
}

inline CRoof Roof(double x1, double y1, double x2, double y2) {
    CRoof roof;
    roof.face.rect = {{x1, y1, 5}, {x2, y1, 5}, {x2, y2, 5}};
    return roof;
}

// Ground line 0: (0, 0) → (20, 0) → (20, 20) with a barrier over 0..10 m and a slope shoulder over
// 0..20 m falling 3 m to the left; ground line 1: (0, 40) → (10, 40).
// Building 0: roof (30, 10)–(50, 30), closed exterior wall around it, room (32, 12)–(48, 28) with one
// outdoor opening holding a closed opening that holds another, and a room source at (40, 20).
// Building 1: roof (80, 40)–(90, 50). Outdoor source at (60, 20). Points (70, 10) and (70, 20) in list mode.
inline CNoise SmallSite() {
    CNoise model;
    CGroundLine g0;
    g0.polyline.vertices = {{0, 0, 0}, {20, 0, 0}, {20, 20, 0}};
    CWall barrier;
    barrier.rangeStart = 0;
    barrier.rangeEnd = 10;
    CWall slope;
    slope.type = kSlopeShoulder;
    slope.rangeStart = 0;
    slope.rangeEnd = 20;
    slope.slopeHorizontal = 3;
    g0.walls = {barrier, slope};
    CGroundLine g1;
    g1.polyline.vertices = {{0, 40, 0}, {10, 40, 0}};
    model.groundLines = {g0, g1};

    CBuilding b0;
    b0.roofs = {Roof(30, 10, 50, 30)};
    CBuildingWall wall;
    wall.polyline.vertices = {{30, 10, 0}, {50, 10, 0}, {50, 30, 0}, {30, 30, 0}};
    wall.closed = 1;
    b0.walls = {wall};
    CRoom room;
    room.outline.vertices = {{32, 12, 0}, {48, 12, 0}, {48, 28, 0}, {32, 28, 0}};
    CWindow outer = Opening(34, 46, 12, 4, 1);
    CWindow middle = Opening(36, 44, 12, 3, 0);
    middle.containedOpenings = {Opening(38, 42, 12, 2, 0)};
    outer.containedOpenings = {middle};
    room.openings = {outer};
    CSound inside;
    inside.position = {40, 20, 1};
    room.sources = {inside};
    b0.rooms = {room};
    CBuilding b1;
    b1.roofs = {Roof(80, 40, 90, 50)};
    model.buildings = {b0, b1};

    CSound outside;
    outside.position = {60, 20, 1};
    model.outdoorSources = {outside};
    model.calcInfo.mode = kPointListMode;
    model.calcInfo.pointList = {CPredictivePoint({70, 10, 1.5}), CPredictivePoint({70, 20, 1.5})};
    return model;
}

inline std::string ColourName(Rgb c) {
    struct Named {
        Rgb rgb;
        const char* name;
    };
    static const Named names[] = {
        {{240, 248, 255}, "sky"}, {{119, 17, 0}, "brown"},    {{0, 0, 255}, "blue"},
        {{188, 118, 60}, "tan"},  {{0, 255, 0}, "green"},     {{255, 165, 0}, "orange"},
        {{255, 0, 0}, "red"},     {{79, 79, 79}, "darkgrey"}, {{0, 0, 0}, "black"},
        {{128, 128, 0}, "olive"}, {{255, 255, 0}, "yellow"},  {{255, 0, 255}, "magenta"},
    };
    for (const Named& n : names) {
        if (n.rgb == c) return n.name;
    }
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

inline std::string BrushText(const Brush& b) {
    switch (b.kind) {
        case Brush::Kind::None:
            return "";
        case Brush::Kind::Solid:
            return " solid";
        case Brush::Kind::Hatch:
            return " hatch";
    }
    return "";
}

// "polyline brown w3", "polygon green hatch", "ellipse red solid r6", "text a8 (100m, 0m)", …
inline std::string Summary(const Primitive& primitive) {
    struct Visitor {
        std::string operator()(const FillPrimitive& p) const { return "fill " + ColourName(p.color); }
        std::string operator()(const PicturePrimitive&) const { return "picture"; }
        std::string operator()(const PolylinePrimitive& p) const {
            return "polyline " + ColourName(p.pen.color) + " w" + std::to_string(p.pen.width);
        }
        std::string operator()(const PolygonPrimitive& p) const {
            return "polygon " + ColourName(p.brush.kind == Brush::Kind::None ? p.pen.color : p.brush.color) +
                   BrushText(p.brush);
        }
        std::string operator()(const RectanglePrimitive& p) const {
            return "rect " + ColourName(p.pen.color);
        }
        std::string operator()(const EllipsePrimitive& p) const {
            return "ellipse " + ColourName(p.pen.color) + BrushText(p.brush) + " r" +
                   std::to_string((p.right - p.left) / 2);
        }
        std::string operator()(const TextPrimitive& p) const {
            return "text a" + std::to_string(p.anchor) + " " + p.text;
        }
        std::string operator()(const PathPrimitive& p) const {
            return std::string(p.closed ? "area " : "lines ") +
                   ColourName(p.brush.kind == Brush::Kind::None ? p.pen.color : p.brush.color);
        }
    };
    return std::visit(Visitor{}, primitive);
}

inline std::vector<std::string> Summaries(const DisplayLayer& layer) {
    std::vector<std::string> out;
    for (const Primitive& p : layer)
        out.push_back(Summary(p));
    return out;
}

inline std::vector<ClientPoint> PointsOf(const Primitive& primitive) {
    if (const auto* line = std::get_if<PolylinePrimitive>(&primitive)) return line->points;
    if (const auto* polygon = std::get_if<PolygonPrimitive>(&primitive)) return polygon->points;
    return {};
}

}  // namespace kelmora::plantest
