// The import dialog's state without a window: the values each kind offers, constants and the origin as
// typed, the mapping saved and read back, and the preview that OK commits.
#include <gtest/gtest.h>

#include "ImportFixtures.h"
#include "importing/ImportDialogState.h"
#include "model/Validation.h"

namespace kelmora {
namespace {

using testing::ScratchFolder;

std::vector<std::string> Labels(const std::vector<ValueSource>& choices) {
    std::vector<std::string> labels;
    for (const ValueSource& c : choices)
        labels.push_back(ValueChoiceLabel(c));
    return labels;
}

class DialogState : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DxfDrawing dxf(4);
        dxf.Polyline("BLDG", {{0, 0}, {20000, 0}, {20000, 10000}, {0, 10000}}, true, 6000.0)
            .Line("WALL", {0, -5000, 0}, {20000, -5000, 0}, 2000.0);
        dxf.Save(folder_ / "a.dxf");
        source_ = ListSource(folder_ / "a.dxf");
    }

    ScratchFolder folder_;
    SourceInfo source_;
};

TEST_F(DialogState, EachKindOffersTheValuesItTakes) {
    ImportDialogState state(source_, {});
    ASSERT_EQ(state.LayerCount(), 2);
    EXPECT_EQ(state.Row(0).kind, "取り込まない");
    EXPECT_TRUE(state.HeightChoices().empty());
    state.SetKind(ImportKind::Building);
    EXPECT_EQ(state.Row(0).kind, "建物");
    const std::vector<std::string> building = Labels(state.HeightChoices());
    EXPECT_EQ(building.front(), "定数");
    EXPECT_EQ(building[building.size() - 2], "厚さ");
    EXPECT_EQ(building.back(), "Z");
    EXPECT_NE(std::find(building.begin(), building.end(), "属性 Layer"), building.end());
    state.SelectLayer(1);
    state.SetKind(ImportKind::Barrier);
    EXPECT_EQ(Labels(state.HeightChoices()).back(), "厚さ");  // a barrier's top is no Z
    EXPECT_FALSE(state.TakesLabel());
    state.SetKind(ImportKind::Source);
    EXPECT_TRUE(state.TakesSpectrum());
    EXPECT_EQ(Labels(state.HeightChoices()).back(), "Z");
}

TEST_F(DialogState, TypedValuesAreCheckedAndKept) {
    ImportDialogState state(source_, {});
    state.SetKind(ImportKind::Building);
    EXPECT_EQ(state.SetHeightText("-3"), "高さは 0 以上の数値にしてください");
    EXPECT_EQ(state.SetHeightText("12.5m"), "高さは 0 以上の数値にしてください");
    EXPECT_FALSE(state.SetHeightText("１２．５"));  // full-width digits as typed by an input method
    EXPECT_EQ(state.Selected().height.value, 12.5);
    // A constant kept when the height comes from elsewhere for a while.
    state.SetHeight(ValueSource::OfThickness());
    state.SetHeight(ValueSource::Constant(0.0));
    EXPECT_EQ(state.Selected().height.value, 12.5);
    EXPECT_EQ(state.SetOriginText("x", "1"), kNotANumberMessage);
    EXPECT_TRUE(state.OriginIsDefault());
    EXPECT_FALSE(state.SetOriginText("-10", "20"));
    EXPECT_EQ(state.OriginShown(), (CVertex2D{-10, 20}));
    EXPECT_NE(state.SetCrs("EPSG:4326")->find("緯度経度"), std::string::npos);
    EXPECT_EQ(state.SetCrs("EPSG:123456789"), "座標系が分かりません: EPSG:123456789");
    EXPECT_FALSE(state.SetCrs("EPSG:6677"));
}

TEST_F(DialogState, MappingSavedAndReadBackAndThePreviewCommitted) {
    ImportDialogState state(source_, {});
    EXPECT_EQ(state.RefuseOk(), "取り込むものがありません。レイヤの種類を選んでください");
    state.SetKind(ImportKind::Building);
    state.SetHeight(ValueSource::OfThickness());
    state.SelectLayer(1);
    state.SetKind(ImportKind::Barrier);
    state.SetUnit(LengthUnit::Millimetre);
    ASSERT_FALSE(state.SaveMapping((folder_ / "map.json").string()));

    ImportDialogState other(source_, {});
    ASSERT_FALSE(other.LoadMapping((folder_ / "map.json").string()));
    EXPECT_EQ(other.Mapping(), state.Mapping());
    EXPECT_FALSE(other.RefuseOk());
    ASSERT_TRUE(other.preview());
    EXPECT_EQ(other.preview()->report.buildings, 1);
    EXPECT_EQ(other.preview()->report.barriers, 1);
    EXPECT_NEAR(other.preview()->additions.buildings[0].walls[0].topZ, 6.0, 1e-9);
    EXPECT_TRUE(other.PreviewCurrent());
    other.SetUnit(LengthUnit::Metre);
    EXPECT_FALSE(other.PreviewCurrent());

    // A mapping that does not fit the source changes nothing.
    testing::WriteText(folder_ / "bad.json", R"({"format": "kelmora-import-mapping", "version": 1,
  "layers": [{"layer": "BLDG", "kind": "building", "height": {"from": "field", "field": "H"}}]})");
    const ImportMapping before = other.Mapping();
    EXPECT_EQ(other.LoadMapping((folder_ / "bad.json").string()),
              "レイヤ BLDG (建物): 高さの属性 H がありません");
    EXPECT_EQ(other.Mapping(), before);

    // Into a project with coordinates: its origin and system stand.
    ImportDialogState into(source_, {SiteCoordinates{6677, "", 100.0, 200.0}, 0});
    EXPECT_TRUE(into.OriginFixed());
    EXPECT_TRUE(into.CrsFixed());
    EXPECT_EQ(into.crs(), "EPSG:6677");
    EXPECT_EQ(into.OriginShown(), (CVertex2D{100, 200}));
}

}  // namespace
}  // namespace kelmora
