// Level classes, colour schemes and the legend: the half-open classes, their texts, and the map items
// that fill each band with its class colour.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "view/PlanTestModel.h"
#include "view/noisemap/ColourScheme.h"
#include "view/noisemap/LevelGrid.h"
#include "view/noisemap/MapLayer.h"

namespace kelmora {
namespace {

TEST(LevelClasses, ClassesAreHalfOpenWithOpenEnds) {
    const LevelClasses classes = EvenClasses(35, 5, 10);
    ASSERT_EQ(classes.ClassCount(), 11u);
    const struct {
        double level;
        std::size_t k;
    } cases[] = {{-86.8, 0}, {34.999, 0}, {35.0, 1}, {39.99, 1}, {40.0, 2}, {79.9, 9}, {80.0, 10}, {140, 10}};
    for (const auto& c : cases)
        EXPECT_EQ(classes.ClassOf(c.level), c.k) << c.level;
    EXPECT_TRUE(std::isinf(classes.Lower(0)) && classes.Lower(0) < 0);
    EXPECT_EQ(classes.Upper(0), 35.0);
    EXPECT_EQ(classes.Lower(10), 80.0);
    EXPECT_TRUE(std::isinf(classes.Upper(10)) && classes.Upper(10) > 0);

    const std::vector<std::string> labels{"< 35",  "35–40", "40–45", "45–50", "50–55", "55–60",
                                          "60–65", "65–70", "70–75", "75–80", "≥ 80"};
    for (std::size_t k = 0; k < labels.size(); ++k)
        EXPECT_EQ(ClassLabel(classes, k), labels[k]);
    EXPECT_EQ(ClassLabel(EvenClasses(37.5, 2.5, 2), 1), "37.5–40");
}

TEST(LevelClasses, DifferenceClassesAreSymmetricWithSignedTexts) {
    const LevelClasses d = DifferenceClasses(10, 2);
    ASSERT_EQ(d.limits.size(), 11u);
    EXPECT_EQ(d.limits[5], 0.0);
    EXPECT_EQ(ClassLabel(d, 0), "< −10");
    EXPECT_EQ(ClassLabel(d, 5), "−2 – 0");
    EXPECT_EQ(ClassLabel(d, 6), "0 – +2");
    EXPECT_EQ(ClassLabel(d, 11), "≥ +10");
    EXPECT_EQ(DifferenceClasses(10, 1).ClassCount(), 22u);
    EXPECT_EQ(DifferenceClasses(1.5, 0.1).limits[15], 0.0);  // zero stays exact after fifteen steps
}

TEST(LevelClasses, UnusableLimitsAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(EvenClasses(35, 0, 10), NoiseMapError);
    EXPECT_THROW(EvenClasses(35, -5, 10), NoiseMapError);
    EXPECT_THROW(EvenClasses(nan, 5, 10), NoiseMapError);
    EXPECT_THROW(EvenClasses(290, 5, 10), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(10, 0), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(1, 2), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(100, 0.5), NoiseMapError);  // 402 classes
    // Widths below the legend's tenth of a decibel, down to one that adds nothing to a level.
    EXPECT_THROW(EvenClasses(35, 1e-320, 10), NoiseMapError);
    EXPECT_THROW(EvenClasses(35, 0.05, 10), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(1e-300, 1e-300), NoiseMapError);
    EXPECT_EQ(EvenClasses(35, 0.1, 10).limits.back(), 35 + 9 * 0.1);
}

TEST(ColourSchemes, TheTwoSchemesColourTheirElevenClassesAsPublished) {
    const ColourScheme& eu = EuropeanScheme();
    ASSERT_EQ(eu.classColours.size(), 11u);
    EXPECT_FALSE(eu.classColours[0].has_value());  // below 35 dB nothing is drawn
    EXPECT_EQ(HexColour(*eu.classColours[1]), "#238443");
    EXPECT_EQ(HexColour(*eu.classColours[7]), "#FF0909");
    EXPECT_EQ(HexColour(*eu.classColours[10]), "#1C0054");
    const ColourScheme& classic = ClassicScheme();
    ASSERT_EQ(classic.classColours.size(), 11u);
    EXPECT_EQ(HexColour(*classic.classColours[0]), "#B7CE8E");
    EXPECT_EQ(HexColour(*classic.classColours[10]), "#134367");
    EXPECT_EQ(SchemeById("eu"), &eu);
    EXPECT_EQ(SchemeById("classic"), &classic);
    EXPECT_EQ(SchemeById("EU"), nullptr);
}

TEST(ColourSchemes, DivergingSchemeRunsFromBlueThroughLightToRed) {
    const ColourScheme d = DivergingScheme(12);
    ASSERT_EQ(d.classColours.size(), 12u);
    const auto lightness = [](const Rgb& c) { return c.r + c.g + c.b; };
    EXPECT_GT(d.classColours.front()->b, d.classColours.front()->r);
    EXPECT_GT(d.classColours.back()->r, d.classColours.back()->b);
    for (std::size_t k = 0; k < 6; ++k) {
        const Rgb& quiet = *d.classColours[k];
        const Rgb& loud = *d.classColours[11 - k];
        EXPECT_GT(quiet.b, quiet.r) << k;  // quieter than before: blue
        EXPECT_GT(loud.r, loud.b) << k;    // louder: red
        if (k > 0) {
            EXPECT_GT(lightness(quiet), lightness(*d.classColours[k - 1])) << k;
        }
    }
}

TEST(MapLegend, ListsTheClassesHighestFirstInBoxesOfTheirColours) {
    const MapLegend legend =
        MakeLegend(EvenClasses(35, 5, 10), EuropeanScheme(), "等価騒音レベル LAeqT [dB]", "地上 1.2 m");
    ASSERT_EQ(legend.entries.size(), 11u);
    EXPECT_EQ(legend.entries.front().label, "≥ 80");
    EXPECT_EQ(legend.entries.back().label, "< 35");
    EXPECT_FALSE(legend.entries.back().colour.has_value());

    const TextWidth eightPerByte = [](const std::string& s) { return static_cast<int>(8 * s.size()); };
    const LegendSize size = MeasureLegend(legend, eightPerByte);
    DisplayLayer layer;
    DrawLegend(layer, legend, {100, 50}, eightPerByte);
    // The box, the two heading lines, then a colour box and a text per class.
    ASSERT_EQ(layer.size(), 1u + 2u + 2u * 11u);
    const auto& box = std::get<RectanglePrimitive>(layer[0]);
    EXPECT_EQ(box.corner1, (ClientPoint{100, 50}));
    EXPECT_EQ(box.corner2, (ClientPoint{100 + size.width, 50 + size.height}));
    EXPECT_EQ(std::get<TextPrimitive>(layer[1]).text, "等価騒音レベル LAeqT [dB]");
    EXPECT_EQ(std::get<RectanglePrimitive>(layer[3]).brush, SolidBrush(*EuropeanScheme().classColours[10]));
    EXPECT_EQ(std::get<TextPrimitive>(layer[4]).text, "≥ 80");
    // The widest line decides the width; every line gets the same height.
    EXPECT_EQ(size.width, 8 * static_cast<int>(std::string("等価騒音レベル LAeqT [dB]").size()) + 16);
    MapLegend warned = legend;
    warned.warning = "モデル変更後の結果です（再計算してください）";
    EXPECT_EQ(MeasureLegend(warned, eightPerByte).height, size.height + 20);
    DisplayLayer warnedLayer;
    DrawLegend(warnedLayer, warned, {0, 0}, eightPerByte);
    EXPECT_EQ(std::get<TextPrimitive>(warnedLayer[3]).textColor, (Rgb{200, 0, 0}));
}

TEST(MapLayer, BandsWithAColourBecomeOneFilledAreaEachAtTheirPixels) {
    LevelBand low{0, -INFINITY, 35, {}};
    LevelBand mid{1, 35, 40, {}};
    MapPolygon square;
    square.outer() = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
    square.inners().push_back({{2, 2}, {2, 4}, {4, 4}, {4, 2}, {2, 2}});
    low.area.push_back(square);
    mid.area.push_back(square);
    DisplayLayer layer;
    const MapToPixels doubled = [](const MapPoint& p) { return CVertex2D{2 * p.x(), 100 - 2 * p.y()}; };
    DrawMapBands(layer, {low, mid, LevelBand{2, 40, 45, {}}}, EuropeanScheme(), doubled);
    ASSERT_EQ(layer.size(), 1u);  // below 35 dB has no colour; 40–45 dB has no area
    const auto& area = std::get<PathPrimitive>(layer[0]);
    EXPECT_TRUE(area.closed);
    EXPECT_EQ(area.brush, SolidBrush(*EuropeanScheme().classColours[1]));
    EXPECT_EQ(area.pen.style, PenStyle::None);
    ASSERT_EQ(area.parts.size(), 2u);  // the outer ring and its hole
    EXPECT_EQ(area.parts[0][1], (CVertex2D{20, 100}));
    EXPECT_EQ(area.parts[1][2], (CVertex2D{8, 92}));

    // The plan places map points as it places plan objects.
    const CKelmoraViewData view = plantest::BlankWindow();
    EXPECT_EQ(PlanMapToPixels(view)(MapPoint(10, 20)), (CVertex2D{50, 200}));
}

}  // namespace
}  // namespace kelmora
