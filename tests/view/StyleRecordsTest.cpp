#include <gtest/gtest.h>

#include <variant>

#include "view/LineInfo.h"
#include "view/PlotInfo.h"
#include "view/TextInfo.h"

namespace kelmora {
namespace {

constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};

using Points = std::vector<ClientPoint>;

CLineInfo Line(Rgb color, int width, int filled = 0) {
    CLineInfo info;
    info.color = color;
    info.width = width;
    info.filled = filled;
    return info;
}

// The end points of every stroke (polyline primitive) of a layer.
std::vector<Points> Strokes(const DisplayLayer& layer) {
    std::vector<Points> out;
    for (const Primitive& p : layer) {
        if (const auto* line = std::get_if<PolylinePrimitive>(&p)) out.push_back(line->points);
    }
    return out;
}

TEST(LineInfo, ThinSegmentIsAPenLine) {
    DisplayLayer layer;
    Line(kBlue, 2).DrawSegment(layer, {1, 2}, {30, 40});
    ASSERT_EQ(layer.size(), 1u);
    EXPECT_EQ(std::get<PolylinePrimitive>(layer[0]),
              (PolylinePrimitive{{{1, 2}, {30, 40}}, Pen{kBlue, 2, PenStyle::Solid}}));
}

TEST(LineInfo, WideAxisSegmentsBecomeRectangles) {
    struct Case {
        int width, filled;
        ClientPoint a, b;
        ClientPoint corner1, corner2;
    };
    const Case cases[] = {
        {3, 0, {10, 10}, {10, 50}, {9, 10}, {11, 50}},
        {3, 1, {10, 10}, {10, 50}, {9, 10}, {11, 50}},
        {4, 0, {10, 10}, {60, 10}, {10, 8}, {60, 12}},
    };
    for (const Case& c : cases) {
        DisplayLayer layer;
        Line(kBlue, c.width, c.filled).DrawSegment(layer, c.a, c.b);
        ASSERT_EQ(layer.size(), 1u);
        const auto& r = std::get<RectanglePrimitive>(layer[0]);
        EXPECT_EQ(r.corner1, c.corner1);
        EXPECT_EQ(r.corner2, c.corner2);
        if (c.filled) {
            EXPECT_EQ(r.brush, SolidBrush(kBlue));
            EXPECT_EQ(r.pen.style, PenStyle::None);
        } else {
            EXPECT_EQ(r.brush.kind, Brush::Kind::None);
            EXPECT_EQ(r.pen, (Pen{kBlue, c.width, PenStyle::Solid}));
        }
    }
}

// A wide line whose ends lie far off the screen (a deep zoom) is widened around clamped pixels: the bar
// keeps its width there instead of wrapping round the int range.
TEST(LineInfo, WideSegmentsFarOffTheScreenKeepTheirWidth) {
    const ClientPoint far{TruncateToPixel(1e15), TruncateToPixel(-1e15)};
    DisplayLayer layer;
    Line(kBlue, 6).DrawSegment(layer, far, {far.x, 0});
    Line(kBlue, 6).DrawSegment(layer, {0, far.y}, far);
    ASSERT_EQ(layer.size(), 2u);
    const auto& vertical = std::get<RectanglePrimitive>(layer[0]);
    EXPECT_EQ(vertical.corner2.x - vertical.corner1.x, 6);
    const auto& horizontal = std::get<RectanglePrimitive>(layer[1]);
    EXPECT_EQ(horizontal.corner2.y - horizontal.corner1.y, 6);
}

TEST(LineInfo, WideSlantedSegmentIsAQuadrilateralFramedOnePixel) {
    DisplayLayer layer;
    // Direction (3, 4)/5: offset (0.8·2, −0.6·2) truncated to (1, −1).
    Line(kBlue, 4).DrawSegment(layer, {0, 0}, {30, 40});
    ASSERT_EQ(layer.size(), 1u);
    const auto& q = std::get<PolygonPrimitive>(layer[0]);
    EXPECT_EQ(q.points, (Points{{1, -1}, {-1, 1}, {29, 41}, {31, 39}}));
    EXPECT_EQ(q.rule, FillRule::Alternate);
    EXPECT_EQ(q.pen, (Pen{kBlue, 1, PenStyle::Solid}));
    EXPECT_EQ(q.brush.kind, Brush::Kind::None);
}

TEST(LineInfo, ArrowHeadStrokesEndAtTheTip) {
    DisplayLayer right;
    Line(kBlue, 1).DrawArrow(right, {0, 0}, {100, 0});
    EXPECT_EQ(Strokes(right),
              (std::vector<Points>{{{0, 0}, {100, 0}}, {{93, -7}, {100, 0}}, {{93, 7}, {100, 0}}}));
    DisplayLayer down;
    Line(kBlue, 1).DrawArrow(down, {50, 0}, {50, 100});
    EXPECT_EQ(Strokes(down),
              (std::vector<Points>{{{50, 0}, {50, 100}}, {{57, 93}, {50, 100}}, {{43, 93}, {50, 100}}}));
    // A highlighted (3 px) arrow draws its shaft and strokes as bars.
    DisplayLayer wide;
    Line(kBlue, 3).DrawArrow(wide, {0, 0}, {100, 0});
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_TRUE(std::holds_alternative<RectanglePrimitive>(wide[0]));
    EXPECT_TRUE(std::holds_alternative<PolygonPrimitive>(wide[1]));
}

TEST(LineInfo, PolylineNeedsTwoPointsAndWideOnesBecomeBands) {
    DisplayLayer layer;
    const Points one{{5, 5}};
    Line(kBlue, 1).DrawPolyline(layer, one);
    EXPECT_TRUE(layer.empty());

    const Points corner{{0, 0}, {10, 0}, {10, 10}};
    Line(kBlue, 5).DrawPolyline(layer, corner);
    ASSERT_EQ(layer.size(), 1u);
    EXPECT_EQ(std::get<PolylinePrimitive>(layer[0]).points, corner);

    layer.clear();
    Line(kBlue, 6).DrawPolyline(layer, corner);
    ASSERT_EQ(layer.size(), 1u);
    const auto& band = std::get<PolygonPrimitive>(layer[0]);
    // Left of → is up the screen (y − 3), left of ↓ is x + 3; then the right side backward.
    EXPECT_EQ(band.points, (Points{{0, -3}, {10, -3}, {13, 0}, {13, 10}, {7, 10}, {7, 0}, {10, 3}, {0, 3}}));
    EXPECT_EQ(band.rule, FillRule::Winding);
}

TEST(LineInfo, HatchedPolygonBrushFollowsFilledAndHatched) {
    const Points roof{{0, 0}, {40, 0}, {40, 30}, {0, 30}};
    struct Case {
        int filled, hatched;
        Brush brush;
        bool framed;
    };
    const Case cases[] = {
        {0, 1, Brush{Brush::Kind::Hatch, kGreen, HatchStyle::DiagonalCross, false}, true},
        {0, 0, Brush{Brush::Kind::Hatch, kGreen, HatchStyle::DiagonalCross, false}, true},
        {1, 1, Brush{Brush::Kind::Hatch, kGreen, HatchStyle::DiagonalCross, true}, true},
        {1, 0, SolidBrush(kGreen), false},
    };
    for (const Case& c : cases) {
        CLineInfo info = Line(kGreen, 3, c.filled);
        info.hatched = c.hatched;
        DisplayLayer layer;
        info.DrawHatchedPolygon(layer, roof);
        ASSERT_EQ(layer.size(), 1u);
        const auto& region = std::get<PolygonPrimitive>(layer[0]);
        EXPECT_EQ(region.points, roof);
        EXPECT_EQ(region.rule, FillRule::Winding);
        EXPECT_EQ(region.brush, c.brush);
        EXPECT_EQ(region.pen, c.framed ? (Pen{kGreen, 1, PenStyle::Solid}) : kNoPen);
    }
    DisplayLayer layer;
    Line(kGreen, 1).DrawHatchedPolygon(layer, Points{{0, 0}, {4, 4}});
    EXPECT_TRUE(layer.empty());
}

TEST(LineInfo, InvisibleStyleDrawsNothing) {
    CLineInfo info = Line(kBlue, 3);
    info.visible = 0;
    DisplayLayer layer;
    const Points square{{0, 0}, {9, 0}, {9, 9}, {0, 9}};
    info.DrawSegment(layer, {0, 0}, {5, 5});
    info.DrawPolyline(layer, square);
    info.DrawHatchedPolygon(layer, square);
    info.DrawArrow(layer, {0, 0}, {5, 5});
    EXPECT_TRUE(layer.empty());
}

TEST(PlotInfo, MarkersAroundTheirCentre) {
    const ClientPoint at{100, 50};
    struct Case {
        CPlotInfo plot;
        Primitive expected;
    };
    const Pen pen3{kRed, 3, PenStyle::Solid};
    const Pen pen1{kRed, 1, PenStyle::Solid};
    const Case cases[] = {
        {{0, 5, kRed, 0, 1}, EllipsePrimitive{95, 45, 105, 55, pen1, Brush{}}},
        {{0, 6, kRed, 1, 3}, EllipsePrimitive{94, 44, 106, 56, pen1, SolidBrush(kRed)}},
        {{1, 4, kRed, 0, 3}, RectanglePrimitive{{96, 46}, {104, 54}, pen3, Brush{}}},
        {{1, 4, kRed, 1, 3}, RectanglePrimitive{{96, 46}, {104, 54}, kNoPen, SolidBrush(kRed)}},
        {{2, 5, kRed, 0, 3}, PolylinePrimitive{{{100, 45}, {95, 50}, {100, 55}, {105, 50}, {100, 45}}, pen3}},
        {{3, 5, kRed, 1, 3},
         PolygonPrimitive{{{100, 45}, {95, 55}, {105, 55}}, FillRule::Alternate, kNoPen, SolidBrush(kRed)}},
        {{4, 5, kRed, 0, 1}, PolylinePrimitive{{{95, 45}, {100, 55}, {105, 45}, {95, 45}}, pen1}},
    };
    for (const Case& c : cases) {
        DisplayLayer layer;
        c.plot.Draw(layer, at);
        ASSERT_EQ(layer.size(), 1u) << "shape " << c.plot.shape;
        EXPECT_EQ(layer[0], c.expected) << "shape " << c.plot.shape << " filled " << c.plot.filled;
    }
}

TEST(PlotInfo, FilledCrossIsHalfAsWide) {
    DisplayLayer hollow, filled;
    CPlotInfo{5, 5, kRed, 0, 1}.Draw(hollow, {100, 50});
    CPlotInfo{5, 5, kRed, 1, 1}.Draw(filled, {100, 50});
    EXPECT_EQ(Strokes(hollow), (std::vector<Points>{{{95, 45}, {105, 55}}, {{95, 55}, {105, 45}}}));
    EXPECT_EQ(Strokes(filled), (std::vector<Points>{{{98, 45}, {102, 55}}, {{98, 55}, {102, 45}}}));
}

TEST(PlotInfo, PredictionPointPlusAndMarkersThatDrawNothing) {
    DisplayLayer layer;
    CPlotInfo{6, 7, kRed, 0, 3}.Draw(layer, {100, 50});
    EXPECT_EQ(Strokes(layer), (std::vector<Points>{{{100, 43}, {100, 57}}, {{93, 50}, {107, 50}}}));
    EXPECT_EQ(std::get<PolylinePrimitive>(layer[0]).pen.width, 3);
    layer.clear();
    CPlotInfo{0, 0, kRed, 0, 1}.Draw(layer, {1, 1});
    CPlotInfo{7, 5, kRed, 0, 1}.Draw(layer, {1, 1});
    CPlotInfo{-1, 5, kRed, 0, 1}.Draw(layer, {1, 1});
    // Far beyond any window: the corners would not fit the pixel range.
    CPlotInfo{0, 6, kRed, 0, 1}.Draw(layer, {2147483647, 1});
    CPlotInfo{6, 7, kRed, 0, 1}.Draw(layer, {1, -2147483647 - 1});
    EXPECT_TRUE(layer.empty());
}

TEST(TextInfo, AnchorsPlaceTheTextBox) {
    // A 41 × 15 box anchored at (100, 200); halves by integer division (20, 7).
    const ClientPoint expected[] = {{100, 200}, {80, 200},  {59, 200}, {100, 193}, {80, 193},
                                    {59, 193},  {100, 185}, {80, 185}, {59, 185}};
    for (int anchor = 0; anchor < 9; ++anchor) {
        EXPECT_EQ(AnchoredTopLeft({100, 200}, anchor, 41, 15), expected[anchor]) << "anchor " << anchor;
    }
    EXPECT_EQ(AnchoredTopLeft({100, 200}, 9, 41, 15), (ClientPoint{100, 200}));
}

}  // namespace
}  // namespace kelmora
