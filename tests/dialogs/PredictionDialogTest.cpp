// The prediction window through its widgets: what a user and a screen reader find in it, the point list
// and its buttons, the checks that keep it open, the grids it lays out, and what each way of closing it
// leaves in the document.
#include "dialogs/PredictionDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "QtTestApplication.h"
#include "dialogs/ChainRunner.h"
#include "dialogs/ControlIds.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using testing::ChainRunner;
using testing::Click;
using testing::Control;
using testing::MessageBoxAnswer;
using testing::Type;

void TypePoint(QWidget* dialog, const char* x, const char* y, const char* z) {
    Type(dialog, kPredictionPointXId, x);
    Type(dialog, kPredictionPointYId, y);
    Type(dialog, kPredictionPointZId, z);
}

bool Enabled(QWidget* dialog, int id) {
    QWidget* w = Control(dialog, id);
    return w != nullptr && w->isEnabled();
}

std::vector<CVector3D> Positions(const std::vector<CPredictivePoint>& points) {
    std::vector<CVector3D> out;
    for (const CPredictivePoint& p : points)
        out.push_back(p.position);
    return out;
}

// The document of these tests: its plan window (no picture, model (x, y) at client (5x, 300 − 5y)) can
// be closed.
class PredictionRunner : public ChainRunner {
public:
    explicit PredictionRunner(const CNoise& site) : ChainRunner(site) {}
    CKelmoraViewData* activeViewData() override { return planOpen ? &view : nullptr; }

    PredictionDialog* Open() {
        Apply(transaction().BeginPrediction({400, 300}));
        if (!WaitFor(kPredictionMode)) return nullptr;
        return qobject_cast<PredictionDialog*>(dialog.data());
    }

    CKelmoraViewData view = plantest::BlankWindow();
    bool planOpen = true;
};

CNoise SiteWithTwoPoints() {
    CNoise site;
    site.calcInfo.mode = kPointListMode;
    site.calcInfo.pointList = {CPredictivePoint({1, 2, 3}), CPredictivePoint({4, 5, 6})};
    site.calcInfo.memo = "昼間";
    return site;
}

class PredictionDialogTest : public ::testing::Test {
protected:
    void SetUp() override { kelmora::testing::TestApplication(); }
};

TEST_F(PredictionDialogTest, OpensOnTheWorkingCopyFindableByItsLabelsAndEnablesWhatEachModeUses) {
    PredictionRunner runner(SiteWithTwoPoints());
    PredictionDialog* dialog = runner.Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("予測"));
    EXPECT_FALSE(dialog->isModal());

    // Every field is found by its label; the point fields come first among the "X :" labels.
    const std::pair<const char*, const char*> labelled[] = {
        {"X :", "0"},
        {"縦分割数:", "10"},
        {"横分割数:", "10"},
        {"地上高さ[m] : ", "1.5"},
        {"～", "3"},
        {"対象とする時間[s]:", "3600"},
        {"最大反射回数:", "2"},
        {"気温[℃]:", "20"},
        {"相対湿度[%]:", "60"},
        {"予測計算有効距離[m]:", "250"},
        {"メモ :", "昼間"},
    };
    for (const auto& [label, value] : labelled) {
        QLineEdit* field = nullptr;
        for (QLabel* l : dialog->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(label) && field == nullptr)
                field = qobject_cast<QLineEdit*>(l->buddy());
        ASSERT_NE(field, nullptr) << label;
        EXPECT_EQ(field->text(), QString::fromUtf8(value)) << label;
    }
    for (const char* text : {"１個", "複数", "水平面格子状", "鉛直面格子状", "追加", "変更", "全削除", "適用",
                             "OK", "キャンセル", "予測計算開始..."}) {
        bool found = false;
        for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            found = found || b->text() == QString::fromUtf8(text);
        EXPECT_TRUE(found) << text;
    }

    // The list mode opens on the last point, which the plan highlights.
    auto* list = Control<QTreeWidget>(dialog, kPointListId);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->headerItem()->text(0), QString::fromUtf8("　　　　X　　　　"));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(2), QStringLiteral("6.000"));
    EXPECT_TRUE(list->topLevelItem(1)->isSelected());
    EXPECT_EQ(runner.transaction().edit().selectedPointIndex, 1);

    struct ModeEnabling {
        int mode;
        bool list, change, divisions, vertical;
    };
    const ModeEnabling modes[] = {
        {kSinglePointMode, false, false, false, false},
        {kPointListMode, true, true, false, false},
        {kHorizontalGridMode, false, false, true, false},
        {kVerticalGridMode, false, false, true, true},
    };
    for (const ModeEnabling& m : modes) {
        SCOPED_TRACE(m.mode);
        // Chosen with the mouse, or checked by the keyboard or a screen reader's action.
        const int radioId = kPredictionModeRadioIds[static_cast<std::size_t>(m.mode)];
        if (m.mode % 2 == 0)
            Click(dialog, radioId);
        else
            Control<QRadioButton>(dialog, radioId)->setChecked(true);
        EXPECT_EQ(Enabled(dialog, kPointListId), m.list);
        EXPECT_EQ(Enabled(dialog, kAddPointId), m.list);
        EXPECT_EQ(Enabled(dialog, kChangePointId), m.change);
        EXPECT_EQ(Enabled(dialog, kDeleteAllPointsId), m.change);
        EXPECT_EQ(Enabled(dialog, kRowDivisionsId), m.divisions);
        EXPECT_EQ(Enabled(dialog, kColumnDivisionsId), m.divisions);
        EXPECT_EQ(Enabled(dialog, kGridHeightId), m.divisions);
        EXPECT_EQ(Enabled(dialog, kGridTopHeightId), m.vertical);
        EXPECT_EQ(Enabled(dialog, kPredictionLineStartXId), m.vertical);
        EXPECT_EQ(Enabled(dialog, kPredictionLineEndYId), m.vertical);
        EXPECT_TRUE(Enabled(dialog, kPredictionPointXId)) << "the point fields serve every mode";
        EXPECT_EQ(runner.transaction().edit().selectedPointIndex, m.mode == kPointListMode ? 1 : -1)
            << "only the list mode highlights a point of the list";
    }
    EXPECT_EQ(runner.transaction().model().calcInfo.mode, kPointListMode) << "nothing stored yet";
    Click(dialog, kCancelButtonId);
    ASSERT_TRUE(runner.WaitFor(kIdleMode));
    EXPECT_EQ(runner.outcome, ChainOutcome::Discarded);
}

TEST_F(PredictionDialogTest, PointListIsEditedWithItsButtons) {
    PredictionRunner runner(SiteWithTwoPoints());
    PredictionDialog* dialog = runner.Open();
    ASSERT_NE(dialog, nullptr);
    auto* list = Control<QTreeWidget>(dialog, kPointListId);

    // "追加" appends the typed point and selects it.
    TypePoint(dialog, "7.25", "-8", "9");
    Click(dialog, kAddPointId);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(2)->text(0), QStringLiteral("7.250"));
    EXPECT_EQ(list->topLevelItem(2)->text(1), QStringLiteral("-8.000"));
    EXPECT_EQ(runner.transaction().edit().selectedPointIndex, 2);

    // A refused field adds nothing and takes the focus.
    dialog->activateWindow();
    Type(dialog, kPredictionPointZId, "10001");
    {
        MessageBoxAnswer box;
        Click(dialog, kAddPointId);
        EXPECT_EQ(box.text, "-10000 から 10000 までの数字を入力してください。");
    }
    EXPECT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(dialog->focusWidget(), Control(dialog, kPredictionPointZId));

    // "変更" moves the selected point; a row chosen in the list becomes the plan's highlighted point.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    EXPECT_EQ(runner.transaction().edit().selectedPointIndex, 0);
    TypePoint(dialog, "11", "12", "13");
    Click(dialog, kChangePointId);
    EXPECT_EQ(Positions(runner.working().calcInfo.pointList),
              (std::vector<CVector3D>{{11, 12, 13}, {4, 5, 6}, {7.25, -8, 9}}));
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("13.000"));

    // A fourth point, as a click on the plan adds it.
    TypePoint(dialog, "20.000", "10.000", "1.5");
    Click(dialog, kAddPointId);
    ASSERT_EQ(runner.working().calcInfo.pointList.size(), 4u);

    // "全削除" empties the list without asking; OK then refuses and the dialog stays.
    Click(dialog, kDeleteAllPointsId);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(Enabled(dialog, kChangePointId));
    EXPECT_FALSE(Enabled(dialog, kDeleteAllPointsId));
    EXPECT_EQ(runner.transaction().edit().selectedPointIndex, -1);
    {
        MessageBoxAnswer box;
        Click(dialog, kOkButtonId);
        EXPECT_EQ(box.caption, "入力チェック");
        EXPECT_EQ(box.text, "予測点がありません.");
    }
    EXPECT_EQ(runner.transaction().editMode(), kPredictionMode);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), Control(dialog, kAddPointId));
    EXPECT_EQ(runner.transaction().model().calcInfo.pointList.size(), 2u) << "the model waits for OK";

    // One point again, then OK commits the whole working copy with the typed conditions.
    Click(dialog, kAddPointId);
    Type(dialog, kMaxReflectionsId, "0");
    Type(dialog, kPredictionMemoId, "夜間");
    Click(dialog, kOkButtonId);
    ASSERT_TRUE(runner.WaitFor(kIdleMode));
    EXPECT_EQ(runner.outcome, ChainOutcome::Committed);
    const CNoise& model = runner.transaction().model();
    EXPECT_EQ(Positions(model.calcInfo.pointList), (std::vector<CVector3D>{{20, 10, 1.5}}));
    EXPECT_EQ(model.calcInfo.singlePoint.position, (CVector3D{20, 10, 1.5})) << "the fields, in every mode";
    EXPECT_EQ(model.maxReflections, 0);
    EXPECT_EQ(model.calcInfo.memo, "夜間");
    EXPECT_TRUE(runner.transaction().modified());
}

TEST_F(PredictionDialogTest, GridsAreLaidOutOnApplyAndRefusedWithoutWhatTheyNeed) {
    PredictionRunner runner(SiteWithTwoPoints());
    PredictionDialog* dialog = runner.Open();
    ASSERT_NE(dialog, nullptr);

    // Without a plan window the horizontal grid has nothing to lie on: a message, nothing stored.
    Click(dialog, kPredictionModeRadioIds[kHorizontalGridMode]);
    Type(dialog, kRowDivisionsId, "1");
    Type(dialog, kColumnDivisionsId, "2");
    runner.planOpen = false;
    {
        MessageBoxAnswer box;
        Click(dialog, kApplyId);
        EXPECT_EQ(box.text, "水平面格子状の予測点を置く平面図のウィンドウが開いていません");
    }
    EXPECT_TRUE(runner.working().calcInfo.gridPoints.empty());
    EXPECT_EQ(runner.working().calcInfo.rowDivisions, 10) << "nothing stored";

    // Over the plan window (500 × 300 px = 100 m × 60 m): 3 columns of 2 points, each from the bottom.
    runner.planOpen = true;
    Click(dialog, kApplyId);
    EXPECT_EQ(Positions(runner.working().calcInfo.gridPoints),
              (std::vector<CVector3D>{
                  {0, 0, 1.5}, {0, 60, 1.5}, {50, 0, 1.5}, {50, 60, 1.5}, {100, 0, 1.5}, {100, 60, 1.5}}));
    EXPECT_TRUE(runner.transaction().model().calcInfo.gridPoints.empty()) << "applied to the working copy";

    // The vertical grid: equal heights are refused with the focus on the upper one.
    Click(dialog, kPredictionModeRadioIds[kVerticalGridMode]);
    Type(dialog, kGridHeightId, "3");
    {
        MessageBoxAnswer box;
        Click(dialog, kApplyId);
        EXPECT_EQ(box.text, "左側より高くしてください");
    }
    EXPECT_EQ(dialog->focusWidget(), Control(dialog, kGridTopHeightId));
    EXPECT_EQ(runner.working().calcInfo.mode, kVerticalGridMode) << "the plan shows the chosen mode";
    EXPECT_EQ(runner.working().calcInfo.gridPoints.size(), 6u) << "the horizontal grid stays";

    // Heights 1.5 → 3 in one row division along a line that differs only in Y.
    Type(dialog, kGridHeightId, "1.5");
    Type(dialog, kPredictionLineEndXId, "0");
    Click(dialog, kStartRunId);
    EXPECT_EQ(runner.transaction().editMode(), kCalculationMode);
    EXPECT_EQ(runner.outcome, ChainOutcome::Committed);
    EXPECT_EQ(
        Positions(runner.transaction().model().calcInfo.gridPoints),
        (std::vector<CVector3D>{{0, 0, 1.5}, {0, 0, 3}, {0, 5, 1.5}, {0, 5, 3}, {0, 10, 1.5}, {0, 10, 3}}));
}

}  // namespace
}  // namespace kelmora
