#include "view/PlanLabels.h"

#include <gtest/gtest.h>

#include "view/PlanScene.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using plantest::BlankWindow;
using plantest::SmallSite;

struct Label {
    std::string text;
    ClientPoint at;
    int anchor;
    Rgb colour;
    friend bool operator==(const Label&, const Label&) = default;
};

std::vector<Label> Labels(const DisplayLayer& layer) {
    std::vector<Label> out;
    for (const Primitive& p : layer)
        if (const auto* t = std::get_if<TextPrimitive>(&p))
            out.push_back({t->text, t->at, t->anchor, t->textColor});
    return out;
}

// The small site with memos: building 0 "倉庫" (its extent (30, 10)–(50, 30) centred on client (200, 200)),
// the room source "送風機" at (40, 20), the outdoor source "冷却塔" at (60, 20) and an unnamed building 1.
CNoise SiteWithMemos() {
    CNoise model = SmallSite();
    model.buildings[0].memo = "倉庫";
    model.buildings[0].rooms[0].sources[0].memo = "送風機";
    model.outdoorSources[0].memo = "冷却塔";
    return model;
}

TEST(PlanLabels, EachKindIsDrawnBesideItsObjectOnlyWhenSwitchedOn) {
    const CNoise model = SiteWithMemos();
    const CKelmoraViewData v = BlankWindow();
    DisplayLayer layer;
    DrawPlanLabels(layer, v, model, {});
    EXPECT_TRUE(layer.empty());

    DrawPlanLabels(layer, v, model, {true, true, true});
    EXPECT_EQ(Labels(layer), (std::vector<Label>{
                                 {"倉庫", {200, 200}, 4, kBuildingMemoColour},
                                 {"送風機", {207, 203}, 0, kSourceMemoColour},
                                 {"冷却塔", {307, 203}, 0, kSourceMemoColour},
                                 {"1", {355, 247}, 6, kPointLabelColour},  // point (70, 10) at (350, 250)
                                 {"2", {355, 197}, 6, kPointLabelColour},
                             }));

    layer.clear();
    DrawPlanLabels(layer, v, model, {false, true, false});
    EXPECT_EQ(Labels(layer).size(), 2u) << "the two source memos alone";
}

TEST(PlanLabels, PointsShowTheirOwnLabelOrTheirNumberGridPointsOnlyTheirOwn) {
    CPredictivePoint named({1, 2, 3});
    named.label = "敷地境界北";
    const CPredictivePoint plain({1, 2, 3});
    EXPECT_EQ(PredictionPointLabel(named, kPointListMode, 4), "敷地境界北");
    EXPECT_EQ(PredictionPointLabel(plain, kPointListMode, 4), "5") << "numbered from 1 as the breakdown does";
    EXPECT_EQ(PredictionPointLabel(plain, kSinglePointMode, 0), "1");
    EXPECT_EQ(PredictionPointLabel(plain, kHorizontalGridMode, 7), "");
    EXPECT_EQ(PredictionPointLabel(named, kVerticalGridMode, 7), "敷地境界北");
}

TEST(PlanLabels, BaseLayerCarriesThemOverTheModelAndUnderTheCornerLabels) {
    const CNoise model = SiteWithMemos();
    const EditState idle;
    const CKelmoraViewData v = BlankWindow();
    PlanSceneInputs in{model, model, idle, v, false};
    const std::size_t without = DrawBase(in).size();
    in.labels = {true, true, true};
    const DisplayLayer with = DrawBase(in);
    ASSERT_EQ(with.size(), without + 5);
    const std::vector<Label> texts = Labels(with);
    ASSERT_EQ(texts.size(), 9u);
    EXPECT_EQ(texts[0].text, "倉庫");
    EXPECT_EQ(texts[5].text, "(0m, 0m)") << "the corner labels stay on top";
}

}  // namespace
}  // namespace kelmora
