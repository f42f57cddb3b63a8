// The editor window through its widgets: what a user and a screen reader find in it, what typing and
// clicking do, and clicks on the plan that fill it while it is open.
#include "dialogs/EditorDialog.h"

#include <gtest/gtest.h>

#include <map>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "QtTestApplication.h"
#include "dialogs/ChainRunner.h"
#include "dialogs/ControlIds.h"
#include "dialogs/PlanClicks.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using testing::ChainRunner;
using testing::Click;
using testing::Control;
using testing::MessageBoxAnswer;
using testing::PlanClicks;
using testing::Type;

QPushButton* ButtonWithText(QWidget* dialog, const char* text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == QString::fromUtf8(text)) return button;
    return nullptr;
}

QString TextOf(QWidget* dialog, int id) {
    QLineEdit* edit = Control<QLineEdit>(dialog, id);
    return edit ? edit->text() : QStringLiteral("<none>");
}

constexpr int kLeft = 1, kCtrlLeft = 3, kAltLeft = 4, kRight = 9;

class EditorDialogTest : public ::testing::Test {
protected:
    void SetUp() override { kelmora::testing::TestApplication(); }

    // The building chain of the small site up to building 0's editor.
    void OpenBuilding(ChainRunner& runner) {
        runner.Start(EditCommand::Buildings);
        ASSERT_TRUE(runner.WaitFor(kBuildingListMode));
        runner.ChangeRow(0);
        ASSERT_TRUE(runner.WaitFor(kBuildingChangeMode));
    }
};

TEST_F(EditorDialogTest, EveryEditorIsFoundByItsCaptionLabelsAndButtonTexts) {
    struct Expect {
        int mode;
        std::vector<const char*> labels;   // labels whose buddy is a control
        std::vector<const char*> buttons;  // buttons by their text
    };
    const Expect editors[] = {
        {kGroundLineChangeMode,
         {"X :", "Y :", "Z :", "メモ :"},
         {"追加", "挿入", "数値コピー", "壁・法肩...", "OK"}},
        {kWallChangeMode,
         {"属性", "~", "壁の高さ[m]", "地表線相対水平距離[m]", "法肩から法尻までの水平距離[m]"},
         {"TL...", "左側吸音率...", "適用", "All OK", "All Cancel"}},
        {kBuildingChangeMode, {"メモ "}, {"屋上編集...", "外壁編集...", "室編集...", "キャンセル"}},
        {kRoofChangeMode,
         {"X1", "Y3", "Z1(辺AのZ座標)[m]", "回折ウェッジ種類", "辺D"},
         {"Z1→Z3", "右側吸音率..."}},
        {kExteriorWallChangeMode, {"X:", "上辺Z座標[m]", "始点側側方回折"}, {"吸音率...", "全削除"}},
        {kRoomChangeMode,
         {"天井Z座標[m]", "表面積[m^2]"},
         {"平均吸音率...", "壁など開口部情報...", "室内音源情報..."}},
        {kOpeningChangeMode,
         {"表面積[m^2]", "壁,天井,床のどれに属するか", "距離減衰計算の指向係数Q"},
         {"→Z座標編集", "包含する開口部情報..."}},
        {kRoomSourceChangeMode,
         {"音源設置場所の指向係数Q（近傍反射面1個でQ=2）", "騒音タイプ", "1回あたりの継続時間[sec]"},
         {"平均レベル...", "最大レベル..."}},
        {kOutdoorSourceChangeMode,
         {"距離減衰計算の指向係数Q（半自由空間でQ=2）", "1時間あたりの発生回数"},
         {"適用"}},
    };
    std::map<int, int> memoWidths;
    for (const Expect& e : editors) {
        SCOPED_TRACE(e.mode);
        // An editor window on item 0 of each level of the small site.
        ChainRunner runner(plantest::SmallSite());
        const DialogRequest request = testing::WalkToEditor(runner.transaction(), e.mode);
        const EditLevel level = *LevelOfMode(e.mode);
        std::unique_ptr<ChainDialog> dialog(EditorDialog::Make(runner, request, nullptr));
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->windowTitle().toStdString(), DialogCaption(e.mode));
        for (const char* label : e.labels) {
            const auto labels = dialog->findChildren<QLabel*>();
            const auto it = std::find_if(labels.begin(), labels.end(),
                                         [&](QLabel* l) { return l->text() == QString::fromUtf8(label); });
            ASSERT_NE(it, labels.end()) << label;
            EXPECT_NE((*it)->buddy(), nullptr) << label;
        }
        for (const char* text : e.buttons)
            EXPECT_NE(ButtonWithText(dialog.get(), text), nullptr) << text;
        // Every editor but the ground line's and the building's has the cascade buttons.
        const bool cascade = level != EditLevel::GroundLine && level != EditLevel::Building;
        EXPECT_EQ(ButtonWithText(dialog.get(), "All Cancel") != nullptr, cascade);
        // A screen reader names every field, also those with a note after them.
        for (QLineEdit* field : dialog->findChildren<QLineEdit*>()) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
            ASSERT_NE(accessible, nullptr);
            EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
                << field->property("controlId").toInt();
        }
        dialog->show();
        if (QLineEdit* memo = Control<QLineEdit>(dialog.get(), kMemoFieldId))
            memoWidths[e.mode] = memo->width();
    }
    // Every editor gives its memo room for a sentence, however it lays out its other fields (the
    // opening editor's and the exterior-wall editor's were about 100 px wide).
    ASSERT_EQ(memoWidths.size(), 9u);
    for (const auto& [mode, width] : memoWidths)
        EXPECT_GE(width, kMemoFieldMinimumWidth) << "mode " << mode;
}

TEST_F(EditorDialogTest, PlanClicksFillTheRoofEditorUpToTheCommittedModel) {
    ChainRunner runner(plantest::SmallSite());
    OpenBuilding(runner);
    Click(runner.dialog, 1023);  // "屋上編集..."
    ASSERT_TRUE(runner.WaitFor(kRoofListMode));
    runner.AddRow();
    ASSERT_TRUE(runner.WaitFor(kRoofAddMode));
    auto* roof = qobject_cast<EditorDialog*>(runner.dialog.data());
    ASSERT_NE(roof, nullptr);
    EXPECT_FALSE(roof->isModal()) << "the plan feeds it while it is open";

    PlanClicks plan;
    plan.Click(runner.working(), runner.transaction().edit(), *roof, kLeft,
               {150, 250});  // side A from (30, 10) ...
    plan.Click(runner.working(), runner.transaction().edit(), *roof, kRight, {250, 250});  // ... to (50, 10)
    plan.Click(runner.working(), runner.transaction().edit(), *roof, kAltLeft,
               {240, 101});  // side C through (48, 39.8)
    EXPECT_EQ(TextOf(roof, 1016), "30.000");
    EXPECT_EQ(TextOf(roof, 1044), "10.000");
    EXPECT_EQ(TextOf(roof, 1056), "50.000");
    EXPECT_EQ(TextOf(roof, 1024), "10.000");
    EXPECT_EQ(TextOf(roof, 1058), "48.000");
    EXPECT_EQ(TextOf(roof, 1028), "39.800");
    // Ctrl+click 4 pixels beside the building's corner (50, 30): the corner, moved by the offset asked.
    plan.offset = CVertex2D{0.0, 10.0};
    plan.Click(runner.working(), runner.transaction().edit(), *roof, kCtrlLeft, {254, 150});
    EXPECT_TRUE(plan.messages.empty());
    EXPECT_EQ(TextOf(roof, 1016), "50.000");
    EXPECT_EQ(TextOf(roof, 1044), "40.000");
    plan.Click(runner.working(), runner.transaction().edit(), *roof, kLeft, {150, 250});
    Type(roof, 1039, "8");
    Click(roof, 1008);  // "Z1→Z3"
    EXPECT_EQ(TextOf(roof, 1042), "8");

    Click(roof, kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kRoofListMode));
    runner.PressListButton(kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kBuildingChangeMode));
    Click(runner.dialog, kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kBuildingListMode));
    runner.PressListButton(kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kIdleMode));
    EXPECT_EQ(runner.outcome, ChainOutcome::Committed);
    const CRectObstacle& face = runner.transaction().model().buildings[0].roofs[1].face;
    EXPECT_EQ(face.rect.p1, (CVector3D{30, 10, 8}));
    EXPECT_EQ(face.rect.p2, (CVector3D{50, 10, 8}));
    EXPECT_NEAR(face.rect.p3.x, 50.0, 1e-9);
    EXPECT_NEAR(face.rect.p3.y, 39.8, 1e-9);
    EXPECT_EQ(face.rect.p3.z, 8.0);
}

TEST_F(EditorDialogTest, ARefusedFieldKeepsTheDialogAndTakesTheFocus) {
    ChainRunner runner(plantest::SmallSite());
    runner.Start(EditCommand::GroundLines);
    ASSERT_TRUE(runner.WaitFor(kGroundLineListMode));
    runner.ChangeRow(0);
    ASSERT_TRUE(runner.WaitFor(kGroundLineChangeMode));
    Click(runner.dialog, 1030);
    ASSERT_TRUE(runner.WaitFor(kWallListMode));
    runner.ChangeRow(0);
    ASSERT_TRUE(runner.WaitFor(kWallChangeMode));
    QWidget* wall = runner.dialog;

    Type(wall, 1055, "2,5");  // a decimal comma is no number in any locale
    {
        MessageBoxAnswer box;
        Click(wall, kOkButtonId);
        EXPECT_EQ(box.caption, "Kelmora");
        EXPECT_EQ(box.text, "数字を入力してください。");
    }
    EXPECT_TRUE(wall->isVisible());
    EXPECT_EQ(wall->focusWidget(), Control(wall, 1055));

    Type(wall, 1055, "2.5");
    Type(wall, 1010, "10");
    Type(wall, 1018, "10");
    {
        MessageBoxAnswer box;
        Click(wall, 1005);  // "適用"
        EXPECT_EQ(box.caption, "入力チェック");
        EXPECT_EQ(box.text, "範囲終点（地表線開始点からの長さ[m]）を始点より後ろにしてください");
    }
    EXPECT_EQ(wall->focusWidget(), Control(wall, 1018));
    runner.hints.clear();
    Type(wall, 1018, "10.001");
    Click(wall, 1005);
    EXPECT_EQ(runner.hints, std::vector<int>{4});
    EXPECT_EQ(runner.working().groundLines[0].walls[0].rangeEnd, 10.001) << "applied, the dialog still open";
    EXPECT_TRUE(wall->isVisible());
}

TEST_F(EditorDialogTest, ControlsFollowTheirEnablingRules) {
    ChainRunner runner(plantest::SmallSite());
    OpenBuilding(runner);
    Click(runner.dialog, 1024);  // "外壁編集..."
    ASSERT_TRUE(runner.WaitFor(kExteriorWallListMode));
    runner.ChangeRow(0);  // a closed wall
    ASSERT_TRUE(runner.WaitFor(kExteriorWallChangeMode));
    QWidget* editor = runner.dialog;
    auto* closed = Control<QCheckBox>(editor, 1026);
    ASSERT_TRUE(closed->isChecked());
    EXPECT_FALSE(Control(editor, 1038)->isEnabled());
    runner.hints.clear();
    closed->toggle();  // as a screen reader toggles it: no click
    EXPECT_TRUE(Control(editor, 1038)->isEnabled());
    EXPECT_TRUE(Control(editor, 1040)->isEnabled());
    EXPECT_EQ(runner.working().buildings[0].walls[0].closed, 0) << "applied at once";
    EXPECT_EQ(runner.hints, std::vector<int>{4});
}

TEST_F(EditorDialogTest, GroundLineClicksAddVerticesToTheList) {
    CNoise site = plantest::SmallSite();
    ChainRunner runner(site);
    runner.Start(EditCommand::GroundLines);
    ASSERT_TRUE(runner.WaitFor(kGroundLineListMode));
    runner.AddRow();
    ASSERT_TRUE(runner.WaitFor(kGroundLineAddMode));
    auto* editor = qobject_cast<EditorDialog*>(runner.dialog.data());
    auto* list = Control<QTreeWidget>(editor, 1001);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("　　　　X　　　　"));
    EXPECT_FALSE(Control(editor, 1020)->isEnabled()) << "挿入 needs a vertex";

    PlanClicks plan;
    Type(editor, 1022, "1.5");
    plan.Click(runner.working(), runner.transaction().edit(), *editor, kLeft,
               {100, 200});  // (20, 20), then "追加" pressed
    plan.Click(runner.working(), runner.transaction().edit(), *editor, kLeft, {200, 200});
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(0), "40.000");
    EXPECT_EQ(list->topLevelItem(1)->text(2), "1.500");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_TRUE(Control(editor, 1020)->isEnabled());

    // Selecting a row and pressing "削除".
    list->setCurrentItem(list->topLevelItem(0));
    Click(editor, 1018);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "40.000");
    EXPECT_EQ(runner.working().groundLines[2].polyline.vertices, (std::vector<CVector3D>{{40, 20, 1.5}}));

    // Cancel of an added line removes it.
    Click(editor, kCancelButtonId);
    ASSERT_TRUE(runner.WaitFor(kGroundLineListMode));
    EXPECT_EQ(runner.working().groundLines, site.groundLines);
}

TEST_F(EditorDialogTest, AllOkAndAllCancelCloseEveryWindowOfTheChain) {
    const CNoise site = plantest::SmallSite();
    for (int button : {1006, 1007}) {  // "All OK", "All Cancel"
        SCOPED_TRACE(button);
        ChainRunner runner(site);
        OpenBuilding(runner);
        Type(runner.dialog, kMemoFieldId, "changed");
        Click(runner.dialog, 1025);  // "室編集..."
        ASSERT_TRUE(runner.WaitFor(kRoomListMode));
        runner.ChangeRow(0);
        ASSERT_TRUE(runner.WaitFor(kRoomChangeMode));
        Click(runner.dialog, 1051);  // "壁など開口部情報..."
        ASSERT_TRUE(runner.WaitFor(kOpeningListMode));
        runner.ChangeRow(0);
        ASSERT_TRUE(runner.WaitFor(kOpeningChangeMode));
        Type(runner.dialog, 1019, "4");
        Click(runner.dialog, button);
        ASSERT_TRUE(runner.WaitFor(kIdleMode));
        for (QWidget* window : QApplication::topLevelWidgets())
            EXPECT_FALSE(window->isVisible());
        const CNoise& model = runner.transaction().model();
        if (button == 1006) {
            EXPECT_EQ(runner.outcome, ChainOutcome::Committed);
            EXPECT_EQ(model.buildings[0].memo, "changed");
            EXPECT_EQ(model.buildings[0].rooms[0].openings[0].q, 4.0);
        } else {
            EXPECT_EQ(runner.outcome, ChainOutcome::Discarded);
            EXPECT_EQ(model, site);
        }
    }
}

}  // namespace
}  // namespace kelmora
