// The prediction dialog without its window: the order in which its fields are read, its checks, the
// point list and what ValidateAndStore leaves in the working copy.
#include <gtest/gtest.h>

#include <string>

#include "editing/PredictionEditor.h"
#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

PredictionGridContext FlatGround() {
    CKelmoraViewData v;
    ApplyDefaultTransforms(v);
    return {GridPlanViewOf(v), [](const CVector3D&) { return 0.0; }};
}

TEST(PredictionEditor, OpensWithTheWorkingCopysSettings) {
    CNoise model;
    model.calcInfo.mode = kPointListMode;
    model.calcInfo.singlePoint.position = {12.5, -3, 1.2};
    model.calcInfo.pointList = {CPredictivePoint({1, 2, 3}), CPredictivePoint({4.0006, 5, 6})};
    model.calcInfo.memo = "夜間";
    model.maxReflections = 3;
    const PredictionEditor editor(model);
    EXPECT_EQ(editor.mode, kPointListMode);
    EXPECT_EQ(editor.pointX, "12.5");
    EXPECT_EQ(editor.pointY, "-3");
    EXPECT_EQ(editor.pointZ, "1.2");
    EXPECT_EQ(editor.rowDivisions, "10");
    EXPECT_EQ(editor.gridHeight, "1.5");
    EXPECT_EQ(editor.gridTopHeight, "3");
    EXPECT_EQ(editor.lineEndY, "10");
    EXPECT_EQ(editor.targetTime, "3600");
    EXPECT_EQ(editor.effectiveDistance, "250");
    EXPECT_EQ(editor.temperature, "20");
    EXPECT_EQ(editor.humidity, "60");
    EXPECT_EQ(editor.maxReflections, "3");
    EXPECT_EQ(editor.memo, "夜間");
    EXPECT_EQ(editor.selectedRow(), 0);
    const auto rows = editor.PointRows(model);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (std::array<std::string, 3>{"4.001", "5.000", "6.000"}));
}

TEST(PredictionEditor, FieldsAreReadInOrderAndTheFirstRefusalStops) {
    // Each case breaks one field, and also every field read after it: the message must be the first's.
    struct Case {
        std::string PredictionEditor::*field;
        const char* text;
        const char* message;
        int focus;
    };
    const Case order[] = {
        {&PredictionEditor::pointX, "10000.5", "-10000 から 10000 までの数字を入力してください。", 1006},
        {&PredictionEditor::pointY, "y", "数字を入力してください。", 1014},
        {&PredictionEditor::pointZ, "-10001", "-10000 から 10000 までの数字を入力してください。", 1022},
        {&PredictionEditor::rowDivisions, "0", "1 から 1000 までの整数を入力してください。", 1161},
        {&PredictionEditor::columnDivisions, "10.5", "1 から 1000 までの整数を入力してください。", 1162},
        {&PredictionEditor::gridHeight, "1000.1", "0 から 1000 までの数字を入力してください。", 1165},
        {&PredictionEditor::targetTime, "599", "600 から 86400 までの数字を入力してください。", 1167},
        {&PredictionEditor::effectiveDistance, "0.5", "1 から 10000 までの数字を入力してください。", 1170},
        {&PredictionEditor::gridTopHeight, "1.9", "2 から 10000 までの数字を入力してください。", 1173},
        {&PredictionEditor::lineStartX, "nan", "数字を入力してください。", 1007},
        {&PredictionEditor::lineStartY, "-1e5", "-10000 から 10000 までの数字を入力してください。", 1015},
        {&PredictionEditor::lineEndX, "inf", "数字を入力してください。", 1009},
        {&PredictionEditor::lineEndY, "", "数字を入力してください。", 1016},
        {&PredictionEditor::maxReflections, "101", "0 から 100 までの整数を入力してください。", 1174},
        {&PredictionEditor::temperature, "-50.5", "-50 から 50 までの数字を入力してください。", 1171},
        {&PredictionEditor::humidity, "100.01", "0 から 100 までの数字を入力してください。", 1172},
    };
    const CNoise original;
    for (std::size_t k = 0; k < std::size(order); ++k) {
        CNoise model;
        PredictionEditor editor(model);
        for (std::size_t later = k; later < std::size(order); ++later)
            editor.*order[later].field = order[later].text;
        const std::optional<UserMessage> refused = editor.ValidateAndStore(model, FlatGround());
        ASSERT_TRUE(refused) << order[k].text;
        EXPECT_EQ(*refused,
                  (UserMessage{"Kelmora", order[k].message, MessageIcon::kWarning, order[k].focus}));
        EXPECT_EQ(model, original);  // nothing stored
        // The list's buttons read the same fields.
        editor.mode = kPointListMode;
        EXPECT_EQ(editor.AddPoint(model), refused);
        EXPECT_TRUE(model.calcInfo.pointList.empty());
    }
}

TEST(PredictionEditor, TheDialogsChecksKeepEverythingUnstored) {
    struct Case {
        std::int32_t mode;
        void (*edit)(PredictionEditor&);
        const char* message;
        int focus;
    };
    const Case cases[] = {
        {kVerticalGridMode, [](PredictionEditor& e) { e.gridHeight = e.gridTopHeight = "3"; },
         "左側より高くしてください", 1173},
        {kVerticalGridMode, [](PredictionEditor& e) { e.lineEndX = e.lineStartX, e.lineEndY = e.lineStartY; },
         "鉛直格子状の水平直線の開始点と終了点が等しいです", 1009},
        {kPointListMode, [](PredictionEditor&) {}, "予測点がありません.", 1004},
    };
    for (const Case& c : cases) {
        CNoise model;
        PredictionEditor editor(model);
        editor.mode = c.mode;
        editor.memo = "changed";
        c.edit(editor);
        EXPECT_EQ(editor.ValidateAndStore(model, FlatGround()),
                  (UserMessage{"入力チェック", c.message, MessageIcon::kInformation, c.focus}));
        EXPECT_EQ(model, CNoise{});
    }
}

TEST(PredictionEditor, HeightsAreComparedOnlyForTheVerticalGrid) {
    CNoise model;
    PredictionEditor editor(model);
    editor.gridHeight = editor.gridTopHeight = "3";
    editor.mode = kHorizontalGridMode;
    EXPECT_FALSE(editor.ValidateAndStore(model, FlatGround()));
    EXPECT_EQ(model.calcInfo.gridPoints.size(), 121u);

    // A line that differs only in Y is a line.
    editor.mode = kVerticalGridMode;
    editor.gridTopHeight = "4";
    editor.lineStartX = editor.lineEndX = "5";
    editor.lineStartY = "0";
    editor.lineEndY = "0.001";
    EXPECT_FALSE(editor.ValidateAndStore(model, FlatGround()));
    const CVector3D top = model.calcInfo.gridPoints.back().position;
    EXPECT_EQ(top.x, 5.0);
    EXPECT_NEAR(top.y, 0.001, 1e-15);
    EXPECT_NEAR(top.z, 4.0, 1e-12);
}

TEST(PredictionEditor, StoresEverySettingAndKeepsTheGridOfAnotherMode) {
    CNoise model;
    PredictionEditor editor(model);
    editor.mode = kHorizontalGridMode;
    editor.rowDivisions = "２";
    editor.columnDivisions = "3";
    editor.gridHeight = "1.2";
    ASSERT_FALSE(editor.ValidateAndStore(model, FlatGround()));
    ASSERT_EQ(model.calcInfo.gridPoints.size(), 12u);
    const std::vector<CPredictivePoint> grid = model.calcInfo.gridPoints;

    editor.mode = kSinglePointMode;
    editor.pointX = "１２．５";
    editor.pointY = " -3 ";
    editor.pointZ = "4";
    editor.targetTime = "28800";
    editor.effectiveDistance = "500";
    editor.temperature = "-5";
    editor.humidity = "80";
    editor.maxReflections = "0";
    editor.memo = "夜間 8h";
    ASSERT_FALSE(editor.ValidateAndStore(model, {}));  // no plan window needed in this mode
    EXPECT_EQ(model.calcInfo.mode, kSinglePointMode);
    EXPECT_EQ(model.calcInfo.singlePoint.position, (CVector3D{12.5, -3, 4}));
    EXPECT_EQ(model.calcInfo.rowDivisions, 2);
    EXPECT_EQ(model.calcInfo.columnDivisions, 3);
    EXPECT_EQ(model.calcInfo.gridHeight, 1.2);
    EXPECT_EQ(model.calcInfo.memo, "夜間 8h");
    EXPECT_EQ(model.targetTime, 28800.0);
    EXPECT_EQ(model.effectiveDistance, 500.0);
    EXPECT_EQ(model.temperature, -5.0);
    EXPECT_EQ(model.humidity, 80.0);
    EXPECT_EQ(model.maxReflections, 0);
    EXPECT_EQ(model.calcInfo.gridPoints, grid);
}

TEST(PredictionEditor, HorizontalGridNeedsAPlanWindow) {
    CNoise model;
    PredictionEditor editor(model);
    editor.mode = kHorizontalGridMode;
    editor.memo = "m";
    const std::optional<UserMessage> refused = editor.ValidateAndStore(model, {std::nullopt, nullptr});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->caption, "入力チェック");
    EXPECT_EQ(model, CNoise{});
}

TEST(PredictionEditor, PointListButtons) {
    CNoise model;
    PredictionEditor editor(model);
    editor.mode = kPointListMode;
    EXPECT_EQ(editor.selectedRow(), -1);
    EXPECT_EQ(editor.Enabling(model), (PredictionEnabling{true, false, false, false, false}));

    // "変更" without a row does nothing, even with a bad field.
    editor.pointX = "bad";
    EXPECT_FALSE(editor.ChangePoint(model));

    for (const char* x : {"1", "2", "3"}) {
        editor.pointX = x;
        ASSERT_FALSE(editor.AddPoint(model));
        EXPECT_EQ(editor.selectedRow(), static_cast<int>(model.calcInfo.pointList.size()) - 1);
    }
    EXPECT_EQ(editor.Enabling(model), (PredictionEnabling{true, true, true, false, false}));

    editor.SelectRow(1, model);
    editor.pointX = "20";
    editor.pointZ = "10001";  // read and checked like "追加"
    EXPECT_EQ(editor.ChangePoint(model)->text, "-10000 から 10000 までの数字を入力してください。");
    editor.pointZ = "7";
    ASSERT_FALSE(editor.ChangePoint(model));
    EXPECT_EQ(model.calcInfo.pointList[1].position, (CVector3D{20, 0, 7}));
    EXPECT_EQ(model.calcInfo.pointList[2].position, (CVector3D{3, 0, 0}));

    editor.SelectRow(99, model);
    EXPECT_EQ(editor.selectedRow(), 2);  // clamped to the list

    // The settings are not stored by the list's buttons.
    EXPECT_EQ(model.calcInfo.mode, kSinglePointMode);
    ASSERT_FALSE(editor.ValidateAndStore(model, FlatGround()));
    EXPECT_EQ(model.calcInfo.mode, kPointListMode);

    editor.DeleteAllPoints(model);
    EXPECT_TRUE(model.calcInfo.pointList.empty());
    EXPECT_EQ(editor.selectedRow(), -1);
    EXPECT_EQ(editor.Enabling(model), (PredictionEnabling{true, false, false, false, false}));
}

TEST(PredictionEditor, EnablingFollowsTheMode) {
    CNoise model;
    model.calcInfo.pointList.resize(2);
    PredictionEditor editor(model);
    const PredictionEnabling expected[] = {
        {false, false, false, false, false},  // one point
        {true, true, true, false, false},     // list with points
        {false, false, false, true, false},   // horizontal grid
        {false, false, false, true, true},    // vertical grid
    };
    for (std::int32_t mode = 0; mode < 4; ++mode) {
        editor.mode = mode;
        EXPECT_EQ(editor.Enabling(model), expected[mode]) << mode;
    }
}

}  // namespace
}  // namespace kelmora
