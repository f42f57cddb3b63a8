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

TEST(LevelClasses, DifferenceClassesCentreANeutralClassOnNoChange) {
    // The default: a 1 dB width, five classes either side; no change is −0.5 … +0.5.
    const LevelClasses d = DifferenceClasses(1.0, 5);
    ASSERT_EQ(d.ClassCount(), 11u);
    EXPECT_EQ(d.ClassOf(0.0), 5u);
    EXPECT_EQ(d.ClassOf(-0.0), 5u);
    EXPECT_EQ(d.ClassOf(0.49), 5u);
    EXPECT_EQ(d.ClassOf(-0.5), 5u);
    EXPECT_EQ(d.ClassOf(0.5), 6u);
    EXPECT_EQ(ClassLabel(d, 5), "−0.5 – +0.5");
    EXPECT_EQ(ClassLabel(d, 0), "< −4.5");
    EXPECT_EQ(ClassLabel(d, 10), "≥ +4.5");
    // Mirror images: every limit has its exact negative, also for widths that are no binary fraction.
    for (const double width : {1.0, 2.0, 0.3, 2.5}) {
        const LevelClasses c = DifferenceClasses(width, 7);
        ASSERT_EQ(c.limits.size(), 14u);
        for (std::size_t i = 0; i < c.limits.size(); ++i)
            EXPECT_EQ(c.limits[i], -c.limits[c.limits.size() - 1 - i]) << width << " " << i;
        EXPECT_DOUBLE_EQ(c.Upper(7) - c.Lower(7), width) << "the neutral class is ± half the width";
        EXPECT_EQ(c.ClassOf(0.0), 7u);
    }
    EXPECT_EQ(ClassLabel(DifferenceClasses(2, 3), 3), "−1 – +1");
    // The classes reaching down to a lowest limit, as the command line gives it.
    EXPECT_EQ(DifferenceClassesReaching(-4.5, 1.0), 5u);
    EXPECT_EQ(DifferenceClassesReaching(-5.0, 1.0), 5u);
    EXPECT_EQ(DifferenceClassesReaching(-9.0, 2.0), 5u);
    EXPECT_EQ(DifferenceClassesReaching(-0.5, 1.0), 1u);
}

TEST(LevelClasses, UnusableLimitsAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(EvenClasses(35, 0, 10), NoiseMapError);
    EXPECT_THROW(EvenClasses(35, -5, 10), NoiseMapError);
    EXPECT_THROW(EvenClasses(nan, 5, 10), NoiseMapError);
    EXPECT_THROW(EvenClasses(290, 5, 10), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(0, 5), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(nan, 5), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(1, 0), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(1, 21), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(10, 20), NoiseMapError);  // out to ±195 dB
    EXPECT_THROW(DifferenceClassesReaching(0.0, 1.0), NoiseMapError);
    EXPECT_THROW(DifferenceClassesReaching(-0.4, 1.0), NoiseMapError);
    // Widths below the legend's tenth of a decibel, down to one that adds nothing to a level.
    EXPECT_THROW(EvenClasses(35, 1e-320, 10), NoiseMapError);
    EXPECT_THROW(EvenClasses(35, 0.05, 10), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(1e-300, 1), NoiseMapError);
    EXPECT_THROW(DifferenceClasses(0.05, 1), NoiseMapError);
    EXPECT_EQ(EvenClasses(35, 0.1, 10).limits.back(), 35 + 9 * 0.1);
}

TEST(ColourSchemes, TheNamedSchemesColourTheirElevenClassesAsPublished) {
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
    EXPECT_EQ(SchemeById("standard"), &StandardScheme());
    EXPECT_EQ(SchemeById("eu"), &eu);
    EXPECT_EQ(SchemeById("classic"), &classic);
    EXPECT_EQ(SchemeById("EU"), nullptr);
}

TEST(ColourSchemes, TheStandardSchemeRunsSteadilyFromLightToDark) {
    // Checked against L* worked out by hand: white 100, black 0, mid grey #777777 50.
    EXPECT_NEAR(Lightness({255, 255, 255}), 100.0, 1e-6);
    EXPECT_NEAR(Lightness({0, 0, 0}), 0.0, 1e-6);
    EXPECT_NEAR(Lightness({119, 119, 119}), 50.0, 0.1);
    const ColourScheme& standard = StandardScheme();
    ASSERT_EQ(standard.classColours.size(), 11u);
    EXPECT_FALSE(standard.classColours[0].has_value());
    // Every step from a quieter class to a louder one is darker, by a similar amount: no class reads
    // lighter than a quieter one (the European greens run dark → light → dark).
    for (std::size_t k = 2; k < standard.classColours.size(); ++k) {
        const double step = Lightness(*standard.classColours[k - 1]) - Lightness(*standard.classColours[k]);
        EXPECT_GT(step, 5.0) << k;
        EXPECT_LT(step, 13.0) << k;
    }
    const auto& eu = EuropeanScheme().classColours;
    bool europeanRises = false;
    for (std::size_t k = 2; k < eu.size(); ++k)
        europeanRises |= Lightness(*eu[k]) > Lightness(*eu[k - 1]);
    EXPECT_TRUE(europeanRises);
}

TEST(ColourSchemes, DifferenceSchemeIsBlueBelowGreyAtNoChangeRedAboveInMirrorImages) {
    for (const std::size_t each : {1u, 3u, 5u, 8u}) {
        const ColourScheme d = DivergingScheme(each);
        ASSERT_EQ(d.classColours.size(), 2 * each + 1);
        EXPECT_EQ(*d.classColours[each], kNoChangeGrey);
        for (std::size_t k = 1; k <= each; ++k) {
            const Rgb& quieter = *d.classColours[each - k];
            const Rgb& louder = *d.classColours[each + k];
            EXPECT_GT(quieter.b, quieter.r) << each << " " << k;
            EXPECT_GT(louder.r, louder.b) << each << " " << k;
            EXPECT_NEAR(Lightness(quieter), Lightness(louder), 8.0) << each << " " << k;
            if (k > 1) {
                EXPECT_LT(Lightness(quieter), Lightness(*d.classColours[each - k + 1]));
                EXPECT_LT(Lightness(louder), Lightness(*d.classColours[each + k - 1]));
            }
        }
    }
}

TEST(MapLegend, ListsTheClassesHighestFirstInBoxesOfTheirColours) {
    const MapLegend legend =
        MakeLegend(EvenClasses(35, 5, 10), EuropeanScheme(), "等価騒音レベル LAeqT [dB]", "地上 1.2 m");
    ASSERT_EQ(legend.entries.size(), 11u);
    EXPECT_EQ(legend.entries.front().label, "≥ 80");
    EXPECT_EQ(legend.entries.back().label, "< 35 (着色なし)");
    EXPECT_FALSE(legend.entries.back().colour.has_value());

    const TextWidth eightPerByte = [](const std::string& s) { return static_cast<int>(8 * s.size()); };
    const LegendSize size = MeasureLegend(legend, eightPerByte);
    DisplayLayer layer;
    DrawLegend(layer, legend, {100, 50}, eightPerByte);
    // The box, the two heading lines, then a colour box and a text per class; the unfilled class's
    // box is empty and struck through (the map shows the plan there, not white).
    ASSERT_EQ(layer.size(), 1u + 2u + 2u * 11u + 1u);
    const auto& empty = std::get<RectanglePrimitive>(layer[layer.size() - 3]);
    EXPECT_EQ(empty.brush.kind, Brush::Kind::None);
    EXPECT_TRUE(std::holds_alternative<PolylinePrimitive>(layer[layer.size() - 2]));
    const auto& box = std::get<RectanglePrimitive>(layer[0]);
    EXPECT_EQ(box.corner1, (ClientPoint{100, 50}));
    EXPECT_EQ(box.corner2, (ClientPoint{100 + size.width, 50 + size.height}));
    EXPECT_EQ(std::get<TextPrimitive>(layer[1]).text, "等価騒音レベル LAeqT [dB]");
    EXPECT_EQ(std::get<RectanglePrimitive>(layer[3]).brush, SolidBrush(*EuropeanScheme().classColours[10]));
    EXPECT_EQ(std::get<TextPrimitive>(layer[4]).text, "≥ 80");
    // The widest line decides the width; every line gets the same height.
    EXPECT_EQ(size.width, 8 * static_cast<int>(std::string("等価騒音レベル LAeqT [dB]").size()) + 16);
    // The warning and the notes wrap within that width instead of widening the legend.
    MapLegend warned = legend;
    warned.warning = "モデル変更後の結果です（再計算してください）";  // 22 characters: 10, 10, 2
    warned.notes = {"A: a-file-name-much-longer-than-the-heading-of-the-legend.txt", "B: b.txt"};
    const LegendSize warnedSize = MeasureLegend(warned, eightPerByte);
    EXPECT_EQ(warnedSize.width, size.width);
    EXPECT_EQ(warnedSize.height, size.height + 20 * (2 + 1 + 3));
    DisplayLayer warnedLayer;
    DrawLegend(warnedLayer, warned, {0, 0}, eightPerByte);
    EXPECT_EQ(std::get<TextPrimitive>(warnedLayer[3]).text.rfind("A: a-file-name", 0), 0u);
    EXPECT_EQ(std::get<TextPrimitive>(warnedLayer[5]).text, "B: b.txt");
    EXPECT_EQ(std::get<TextPrimitive>(warnedLayer[6]).textColor, (Rgb{200, 0, 0}));
    EXPECT_EQ(std::get<TextPrimitive>(warnedLayer[8]).text, "い）");
    EXPECT_EQ(std::get<TextPrimitive>(warnedLayer[8]).textColor, (Rgb{200, 0, 0}));
}

TEST(MapLegend, TextsWrapAtSpacesOrBetweenAnyCharacters) {
    const TextWidth perByte = [](const std::string& s) { return static_cast<int>(s.size()); };
    EXPECT_EQ(WrapText("one two three", 8, perByte), (std::vector<std::string>{"one two", "three"}));
    EXPECT_EQ(WrapText("abcdefghij", 4, perByte), (std::vector<std::string>{"abcd", "efgh", "ij"}));
    // Japanese breaks between any two characters, never inside one (three bytes each).
    EXPECT_EQ(WrapText("再計算してください", 9, perByte),
              (std::vector<std::string>{"再計算", "してく", "ださい"}));
    EXPECT_TRUE(WrapText("", 10, perByte).empty());
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
