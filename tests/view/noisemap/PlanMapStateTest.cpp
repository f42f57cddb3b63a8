// The plan window's noise map without a window: what a grid run or a result file puts on the plan,
// the menu toggles, the out-of-date mark after a model edit, and where the map goes in the base layer.
#include <gtest/gtest.h>

#include <algorithm>

#include "view/PlanScene.h"
#include "view/PlanTestModel.h"
#include "view/noisemap/MapTexts.h"
#include "view/noisemap/PlanMapState.h"

namespace kelmora {
namespace {

using namespace plantest;

const TextWidth kWidth = [](const std::string& s) { return static_cast<int>(7 * s.size()); };

// The small site with a computed 5 × 4 horizontal grid over 0 … 40 × 0 … 30 m: LAeqT falling away from
// the outdoor source at (60, 20), LAmax 10 dB above it.
CNoise SiteWithGridRun() {
    CNoise model = SmallSite();
    CCalcInfo& calc = model.calcInfo;
    calc.mode = kHorizontalGridMode;
    calc.columnDivisions = 4;
    calc.rowDivisions = 3;
    calc.gridHeight = 1.2;
    for (int c = 0; c <= 4; ++c) {
        for (int r = 0; r <= 3; ++r) {
            CPredictivePoint p(CVector3D{10.0 * c, 10.0 * r, 1.2});
            const double level = 60 - 0.4 * std::hypot(60 - 10.0 * c, 20 - 10.0 * r);
            p.resultAverage = CBand::Filled(level - 10 * std::log10(21.0));
            p.resultMax = CBand::Filled(level + 10 - 10 * std::log10(21.0));
            calc.gridPoints.push_back(p);
        }
    }
    return model;
}

bool HasText(const DisplayLayer& layer, const std::string& text) {
    return std::any_of(layer.begin(), layer.end(), [&](const Primitive& p) {
        const auto* t = std::get_if<TextPrimitive>(&p);
        return t != nullptr && t->text == text;
    });
}

int Count(const DisplayLayer& layer, const std::string& summary) {
    const std::vector<std::string> all = Summaries(layer);
    return static_cast<int>(std::count(all.begin(), all.end(), summary));
}

TEST(PlanMapState, GridRunShowsTheLAeqTMapWithLegendAndIsoLinesAndCanSwitchToLAmax) {
    const CNoise model = SiteWithGridRun();
    PlanMapState state;
    EXPECT_FALSE(state.Menu(kIdleMode).mapEnabled);
    state.TakeRunResults(model);
    ASSERT_TRUE(state.Shown());
    const MapMenuState menu = state.Menu(kIdleMode);
    EXPECT_TRUE(menu.mapEnabled && menu.mapChecked && menu.isoLinesChecked && menu.legendChecked);
    EXPECT_TRUE(menu.laeqChecked && menu.lamaxEnabled && !menu.lamaxChecked);
    EXPECT_FALSE(menu.sectionEnabled);

    const CKelmoraViewData view = BlankWindow();
    const PlanMapLayers layers = state.Layers(view, 500, kWidth, model);
    EXPECT_GE(std::count_if(layers.beneath.begin(), layers.beneath.end(),
                            [](const Primitive& p) { return std::holds_alternative<PathPrimitive>(p); }),
              2);
    EXPECT_EQ(Count(layers.beneath, "lines #404040"), 1);
    EXPECT_TRUE(HasText(layers.above, "等価騒音レベル LAeqT [dB]"));
    EXPECT_TRUE(HasText(layers.above, "地上 1.2 m"));
    EXPECT_FALSE(HasText(layers.above, std::string(kMapOutOfDate)));
    // The legend's box sits 8 px inside the top-right corner of the client area.
    const auto& box = std::get<RectanglePrimitive>(layers.above.front());
    EXPECT_EQ(box.corner2.x, 492);
    EXPECT_EQ(box.corner1.y, 8);

    const double laeqArea = BandArea(state.Map()->bands[5]);
    state.Show(MapQuantity::LAmax);
    EXPECT_TRUE(state.Menu(kIdleMode).lamaxChecked);
    EXPECT_TRUE(HasText(state.Layers(view, 500, kWidth, model).above, "最大騒音レベル LAmax [dB]"));
    EXPECT_NE(BandArea(state.Map()->bands[5]), laeqArea);  // 10 dB higher: other bands
}

TEST(PlanMapState, MenuTogglesDecideWhatIsDrawn) {
    const CNoise model = SiteWithGridRun();
    PlanMapState state;
    state.TakeRunResults(model);
    const CKelmoraViewData view = BlankWindow();
    state.SetIsoLines(false);
    EXPECT_EQ(Count(state.Layers(view, 500, kWidth, model).beneath, "lines #404040"), 0);
    state.SetLegend(false);
    EXPECT_TRUE(state.Layers(view, 500, kWidth, model).above.empty());
    state.SetShown(false);
    const PlanMapLayers hidden = state.Layers(view, 500, kWidth, model);
    EXPECT_TRUE(hidden.beneath.empty() && hidden.above.empty());
    const MapMenuState menu = state.Menu(kIdleMode);
    EXPECT_TRUE(menu.mapEnabled && !menu.mapChecked);
    EXPECT_FALSE(menu.isoLinesEnabled || menu.legendEnabled || menu.laeqEnabled);
    // Another scheme and classes rebuild the map.
    state.SetShown(true);
    state.SetClasses(ClassicScheme(), EvenClasses(40, 10, 10));
    EXPECT_EQ(state.Map()->legend.entries.back().label, "< 40");
}

TEST(PlanMapState, EditingTheModelAfterTheRunMarksTheMapOutOfDate) {
    CNoise model = SiteWithGridRun();
    PlanMapState state;
    state.TakeRunResults(model);
    const CKelmoraViewData view = BlankWindow();
    EXPECT_FALSE(state.IsOutOfDate(model));
    // Results are not part of the model: recomputing them alone changes nothing.
    model.calcInfo.gridPoints[0].resultAverage = CBand::Filled(20);
    EXPECT_FALSE(state.IsOutOfDate(model));
    model.outdoorSources[0].position.x += 5;
    EXPECT_TRUE(state.IsOutOfDate(model));
    EXPECT_TRUE(HasText(state.Layers(view, 500, kWidth, model).above, std::string(kMapOutOfDate)));
    // A new run brings the map up to date.
    state.TakeRunResults(model);
    EXPECT_FALSE(state.IsOutOfDate(model));
}

TEST(PlanMapState, ResultFilesAndVerticalGridsShowWhatTheyHold) {
    const CNoise model = SiteWithGridRun();
    PlanMapState state;
    LevelGrid grid = GridFromPoints(model.calcInfo.gridPoints, 3, 4, MapQuantity::LAeqT);
    // A matrix file does not say which level it holds.
    state.TakeResultFile(grid, MapQuantity::Unknown, model);
    EXPECT_EQ(state.Map()->legend.heading, "騒音レベル [dB]");
    EXPECT_FALSE(state.Menu(kIdleMode).lamaxEnabled);
    state.Show(MapQuantity::LAmax);
    EXPECT_EQ(state.Showing(), MapQuantity::LAeqT);
    state.TakeResultFile(grid, MapQuantity::LAmax, model);
    EXPECT_EQ(state.Map()->legend.heading, "最大騒音レベル LAmax [dB]");
    EXPECT_TRUE(state.Menu(kIdleMode).lamaxChecked);
    EXPECT_FALSE(state.Menu(kPredictionMode).openResultFileEnabled);
    EXPECT_TRUE(state.Menu(kIdleMode).openResultFileEnabled);

    // A vertical grid is a section: nothing on the plan, the section item instead.
    CNoise vertical = model;
    for (int c = 0; c <= 4; ++c) {
        for (int r = 0; r <= 3; ++r)
            vertical.calcInfo.gridPoints[static_cast<std::size_t>(c * 4 + r)].position = {10.0 * c, 5,
                                                                                          1.5 + r};
    }
    state.TakeRunResults(vertical);
    EXPECT_TRUE(state.IsSection());
    EXPECT_FALSE(state.Shown());
    EXPECT_TRUE(state.Layers(BlankWindow(), 500, kWidth, vertical).beneath.empty());
    EXPECT_TRUE(state.Menu(kIdleMode).sectionEnabled);
    EXPECT_FALSE(state.Menu(kIdleMode).mapEnabled);
    EXPECT_TRUE(state.Map()->vertical);

    CNoise notAGrid = model;
    notAGrid.calcInfo.gridPoints.pop_back();
    EXPECT_THROW(state.TakeRunResults(notAGrid), NoiseMapError);
    EXPECT_TRUE(state.IsSection());  // the previous map stays
}

TEST(PlanMapState, MapLiesUnderTheSiteDrawingAndTheLegendOverIt) {
    const CNoise model = SiteWithGridRun();
    PlanMapState state;
    state.TakeRunResults(model);
    const CKelmoraViewData view = BlankWindow();
    const PlanMapLayers map = state.Layers(view, 500, kWidth, model);
    const EditState idle;
    PlanSceneInputs in{model, model, idle, view, false};
    const std::vector<std::string> plain = Summaries(DrawBase(in));
    in.mapBeneath = &map.beneath;
    in.mapAbove = &map.above;
    const std::vector<std::string> withMap = Summaries(DrawBase(in));
    ASSERT_EQ(withMap.size(), plain.size() + map.beneath.size() + map.above.size());
    // The background, then the map, then the plan as before, then the legend.
    EXPECT_EQ(withMap.front(), plain.front());
    EXPECT_EQ(std::vector<std::string>(withMap.begin() + 1, withMap.begin() + 1 + map.beneath.size()),
              Summaries(map.beneath));
    EXPECT_EQ(
        std::vector<std::string>(withMap.begin() + 1 + map.beneath.size(), withMap.end() - map.above.size()),
        std::vector<std::string>(plain.begin() + 1, plain.end()));
    EXPECT_EQ(std::vector<std::string>(withMap.end() - map.above.size(), withMap.end()),
              Summaries(map.above));
}

}  // namespace
}  // namespace kelmora
