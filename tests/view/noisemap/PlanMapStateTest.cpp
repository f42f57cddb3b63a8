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
    // Nothing over the plan: the legend stands beside it, in its panel.
    EXPECT_TRUE(layers.above.empty());
    const std::optional<MapLegend> legend = state.Legend(false);
    ASSERT_TRUE(legend);
    EXPECT_EQ(legend->heading, "等価騒音レベル LAeqT [dB]");
    EXPECT_EQ(legend->subheading, "地上 1.2 m");
    EXPECT_TRUE(legend->warning.empty());
    // Over a shown map the grid's crosses are left out (the settings' default).
    EXPECT_FALSE(layers.gridCrosses);

    const double laeqArea = BandArea(state.Map()->bands[5]);
    state.Show(MapQuantity::LAmax);
    EXPECT_TRUE(state.Menu(kIdleMode).lamaxChecked);
    EXPECT_EQ(state.Legend(false)->heading, "最大騒音レベル LAmax [dB]");
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
    EXPECT_FALSE(state.Legend(false));
    state.SetShown(false);
    const PlanMapLayers hidden = state.Layers(view, 500, kWidth, model);
    EXPECT_TRUE(hidden.beneath.empty() && hidden.above.empty());
    EXPECT_TRUE(hidden.gridCrosses) << "without a shown map the grid's points are drawn";
    const MapMenuState menu = state.Menu(kIdleMode);
    EXPECT_TRUE(menu.mapEnabled && !menu.mapChecked);
    EXPECT_FALSE(menu.isoLinesEnabled || menu.legendEnabled || menu.laeqEnabled);
}

TEST(PlanMapState, TheDocumentsSettingsClassAndDrawTheMap) {
    const CNoise model = SiteWithGridRun();
    PlanMapState state;
    state.TakeRunResults(model);
    const CKelmoraViewData view = BlankWindow();
    const PlanMapLayers first = state.Layers(view, 500, kWidth, model);
    EXPECT_TRUE(std::any_of(first.beneath.begin(), first.beneath.end(), [](const Primitive& p) {
        return std::holds_alternative<TextPrimitive>(p);
    })) << "the iso-lines carry their levels";

    MapSettings settings;
    settings.scheme = "classic";
    settings.lowestClassDb = 40.0;
    settings.classWidthDb = 10.0;
    settings.isoLines = false;
    settings.gridCrosses = true;
    state.UseSettings(settings, model);
    EXPECT_EQ(state.Map()->legend.entries.back().label, "< 40");
    EXPECT_EQ(Count(state.Layers(view, 500, kWidth, model).beneath, "lines #404040"), 0);
    EXPECT_FALSE(state.Menu(kIdleMode).isoLinesChecked);
    EXPECT_TRUE(state.Layers(view, 500, kWidth, model).gridCrosses);
    // The toggle of the view menu overrides the settings until they change again.
    state.SetIsoLines(true);
    state.UseSettings(settings, model);
    EXPECT_TRUE(state.Menu(kIdleMode).isoLinesChecked);
    settings.isoLineLabels = false;
    state.UseSettings(settings, model);
    EXPECT_FALSE(state.Menu(kIdleMode).isoLinesChecked);

    // Masked buildings follow the model: building 0's roof over (30, 10)–(50, 30) covers 10 × 20 m of
    // the 40 × 30 m grid.
    const auto mapArea = [&state] {
        double area = 0.0;
        for (const LevelBand& band : state.Map()->bands)
            area += BandArea(band);
        return area;
    };
    EXPECT_NEAR(mapArea(), 40.0 * 30.0 - 200.0, 1e-6);
    CNoise without = model;
    without.buildings.erase(without.buildings.begin());
    state.UseSettings(settings, without);
    EXPECT_NEAR(mapArea(), 40.0 * 30.0, 1e-6);
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
    EXPECT_EQ(state.Legend(true)->warning, std::string(kMapOutOfDate));
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

TEST(PlanMapState, DifferenceMapsKeepTheirOwnClassesUntilTheNextLevelMap) {
    const CNoise model = SiteWithGridRun();
    PlanMapState state;
    MapSettings settings;
    settings.scheme = "classic";
    settings.lowestClassDb = 40.0;
    settings.classWidthDb = 10.0;
    settings.differenceClassWidthDb = 2.0;
    state.UseSettings(settings, model);
    LevelGrid louder = GridFromPoints(model.calcInfo.gridPoints, 3, 4, MapQuantity::LAeqT);
    const LevelGrid plain = louder;
    for (double& level : louder.levels)
        level += 0.9;
    state.TakeDifference(louder, "louder.txt", plain, "plain.txt", MapQuantity::LAeqT, model);
    ASSERT_TRUE(state.IsDifference());
    const NoiseMap* map = state.Map();
    EXPECT_EQ(map->legend.heading, "LAeqT の差 A − B [dB]");
    EXPECT_EQ(map->legend.notes, (std::vector<std::string>{"A: louder.txt", "B: plain.txt"}));
    EXPECT_TRUE(map->classes.signedLabels);
    // Every node is 0.9 dB louder: all of the grid lies in the grey class −1 … +1.
    for (const LevelBand& band : map->bands)
        EXPECT_EQ(BandArea(band) > 0, band.classIndex == map->classes.ClassOf(0.0)) << band.classIndex;
    // Grids that differ are refused, and the map shown stays.
    LevelGrid other = plain;
    other.positions[0].x += 1.0;
    EXPECT_THROW(state.TakeDifference(other, "a", plain, "b", MapQuantity::LAeqT, model), NoiseMapError);
    EXPECT_TRUE(state.IsDifference());

    // The next run is a level map again, in the classes chosen for level maps.
    state.TakeRunResults(model);
    EXPECT_FALSE(state.IsDifference());
    EXPECT_EQ(state.Map()->legend.heading, "等価騒音レベル LAeqT [dB]");
    EXPECT_TRUE(state.Map()->legend.notes.empty());
    EXPECT_EQ(state.Map()->legend.entries.back().label, "< 40");  // the classic scheme colours it
}

TEST(PlanMapState, MapLiesUnderTheSiteDrawing) {
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
    // The background, then the map, then the plan as before.
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
