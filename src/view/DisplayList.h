#pragma once
// The display list of the plan: what is to be drawn, as plain primitives in client pixels, produced by
// the plan's logic and turned into pixels by a rasteriser. A layer is an ordered list of primitives,
// drawn first to last (later ones cover earlier ones).
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "view/ClientPoint.h"

namespace kelmora {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

// Line patterns, numbered as the style records number them.
enum class PenStyle : int { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, None = 5 };

struct Pen {
    Rgb color;
    int width = 1;  // px; 0 and 1 both draw one pixel wide
    PenStyle style = PenStyle::Solid;

    friend bool operator==(const Pen&, const Pen&) = default;
};

inline constexpr Pen kNoPen{Rgb{}, 0, PenStyle::None};

// Hatch patterns, numbered as the style records number them.
enum class HatchStyle : int {
    Horizontal = 0,
    Vertical = 1,
    ForwardDiagonal = 2,  // top-left to bottom-right
    BackwardDiagonal = 3,
    Cross = 4,
    DiagonalCross = 5,
};

struct Brush {
    enum class Kind { None, Solid, Hatch };
    Kind kind = Kind::None;
    Rgb color;                                     // fill colour, or the colour of the hatch lines
    HatchStyle hatch = HatchStyle::DiagonalCross;  // Hatch only
    bool opaqueBackground = false;                 // Hatch only: fill the gaps with `background`
    Rgb background{255, 255, 255};

    friend bool operator==(const Brush&, const Brush&) = default;
};

inline Brush SolidBrush(Rgb color) {
    return {Brush::Kind::Solid, color};
}

// How a self-overlapping polygon is filled.
enum class FillRule { Alternate, Winding };

// Inverting primitives flip the pixels under their pen (and brush) instead of painting a colour, so
// drawing the same primitive twice restores the screen: rubber bands, preview lines and click marks.
enum class RasterOp { Copy, Invert };

// Fills the whole target with one colour.
struct FillPrimitive {
    Rgb color;

    friend bool operator==(const FillPrimitive&, const FillPrimitive&) = default;
};

// The window's background picture, stretched over a rectangle of the target [px].
struct PicturePrimitive {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;

    friend bool operator==(const PicturePrimitive&, const PicturePrimitive&) = default;
};

// An open line through the points.
struct PolylinePrimitive {
    std::vector<ClientPoint> points;
    Pen pen;
    RasterOp op = RasterOp::Copy;

    friend bool operator==(const PolylinePrimitive&, const PolylinePrimitive&) = default;
};

// A closed region: filled with the brush, then framed with the pen. A hatched region is a polygon with
// a hatch brush.
struct PolygonPrimitive {
    std::vector<ClientPoint> points;
    FillRule rule = FillRule::Alternate;
    Pen pen;
    Brush brush;
    RasterOp op = RasterOp::Copy;

    friend bool operator==(const PolygonPrimitive&, const PolygonPrimitive&) = default;
};

// The rectangle between two corners, filled with the brush and outlined with the pen.
struct RectanglePrimitive {
    ClientPoint corner1;
    ClientPoint corner2;
    Pen pen;
    Brush brush;
    RasterOp op = RasterOp::Copy;

    friend bool operator==(const RectanglePrimitive&, const RectanglePrimitive&) = default;
};

// The ellipse inscribed in the box left..right × top..bottom.
struct EllipsePrimitive {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    Pen pen;
    Brush brush;
    RasterOp op = RasterOp::Copy;

    friend bool operator==(const EllipsePrimitive&, const EllipsePrimitive&) = default;
};

// A font as the plan asks for it; the rasteriser substitutes an available face with the same height.
struct FontSpec {
    int heightPx = 15;  // character cell height
    int widthPx = 0;    // 0 = the face's own proportions
    int weight = 0;     // 0 = the face's default weight, 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 128;  // Japanese (Shift-JIS)
    int quality = 1;    // draft
    std::string face = "ＭＳ Ｐゴシック";

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// Text placed by an anchor: the text's box (width w, height h as measured with the font) has its top-left
// corner at AnchoredTopLeft(at, anchor, w, h). A turned text (the label along an iso-line) is turned
// about `at` by `angleDeg`, counter-clockwise as seen on the target.
struct TextPrimitive {
    ClientPoint at;
    int anchor = 0;
    std::string text;  // UTF-8
    FontSpec font;
    Rgb textColor;
    bool opaque = false;  // fill the text's box with backColor first
    Rgb backColor{255, 255, 255};
    double angleDeg = 0.0;
    bool halo = false;  // a thin outline in backColor around the glyphs, so that the text reads on any fill

    friend bool operator==(const TextPrimitive&, const TextPrimitive&) = default;
};

// Shapes at sub-pixel positions made of several parts: closed parts are rings filled together with the
// odd-even rule (regions with holes, several regions at once) and framed with the pen; open parts are
// lines drawn with the pen. Noise-map bands and iso-lines.
struct PathPrimitive {
    std::vector<std::vector<CVertex2D>> parts;  // client pixels
    bool closed = true;
    Pen pen = kNoPen;
    Brush brush;

    friend bool operator==(const PathPrimitive&, const PathPrimitive&) = default;
};

using Primitive = std::variant<FillPrimitive, PicturePrimitive, PolylinePrimitive, PolygonPrimitive,
                               RectanglePrimitive, EllipsePrimitive, TextPrimitive, PathPrimitive>;
using DisplayLayer = std::vector<Primitive>;

// The plan in two layers: the base (picture and model) and the editing overlay drawn over a copy of it.
struct PlanDisplayList {
    DisplayLayer base;
    DisplayLayer overlay;
};

// Top-left corner of a w × h text box anchored at `at` [px]: 0 at the top-left corner, 1 top centre,
// 2 top-right, 3 middle-left, 4 centre, 5 middle-right, 6 bottom-left, 7 bottom centre, 8 bottom-right;
// halves by integer division. Other anchors place the top-left corner at `at`.
ClientPoint AnchoredTopLeft(ClientPoint at, int anchor, int w, int h);

// An inverting one-pixel line a → b.
PolylinePrimitive InvertedLine(ClientPoint a, ClientPoint b);
// An inverting hollow circle of the given radius [px] around a point (the mark of a click).
EllipsePrimitive InvertedCircle(ClientPoint centre, int radius);
// The inverting one-pixel outline of the rectangle between two corners (the zoom-to-area drag).
RectanglePrimitive InvertedRectangle(ClientPoint a, ClientPoint b);

}  // namespace kelmora
