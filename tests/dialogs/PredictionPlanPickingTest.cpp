// Clicks and drags on the plan reaching the prediction window, as the plan window passes them on: the
// point picked in every mode and added to the list in the list mode, the vertical grid's line dragged.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>

#include "QtTestApplication.h"
#include "dialogs/FakeChainHost.h"
#include "dialogs/PredictionDialog.h"
#include "view/ClickActions.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

constexpr int kLeftButton = 1;  // the gesture of a plain left button

// The plan without a picture: model (x, y) at client (5x, 300 − 5y).
class PlanGestures : public PlanPickingHost {
public:
    void DrawOnScreen(const DisplayLayer&) override {}
    void RepaintNow() override {}
    void ShowMessage(const std::string&) override {}
    std::optional<double> AskOffsetLength() override { return std::nullopt; }
    std::optional<CVertex2D> AskOffsetXY() override { return std::nullopt; }

    void Gesture(EditTransaction& tx, EditorPort& dialog, ClientPoint from, ClientPoint to) {
        const PlanEditContext ctx{
            tx.ModelUnderEdit(), tx.edit(), view, dialog, *this, [](const CVector3D&) { return 2.0; }};
        ActOnGestureEnd({kLeftButton, from, to, from.x == to.x && from.y == to.y}, ctx);
    }

    CKelmoraViewData view = plantest::BlankWindow();
};

QString Text(QWidget* dialog, int id) {
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("control%1").arg(id));
    return field ? field->text() : QStringLiteral("<none>");
}

TEST(PredictionPlanPicking, ClicksPickThePointAndAddItToTheListDragsGiveTheVerticalGridsLine) {
    kelmora::testing::TestApplication();
    kelmora::testing::FakeChainHost host;
    CNoise site;
    site.calcInfo.mode = kPointListMode;
    site.calcInfo.singlePoint.position = {1, 2, 1.5};
    host.tx.Load(site, "", false);
    host.tx.BeginPrediction({});
    PredictionDialog dialog(host, DialogRequest{kPredictionMode, false, 0});
    dialog.show();
    PlanGestures plan;

    // The list mode: the click's X and Y with the typed Z become a new, selected point.
    plan.Gesture(host.tx, dialog, {100, 250}, {100, 250});
    EXPECT_EQ(Text(&dialog, kPredictionPointXId), QStringLiteral("20.000"));
    EXPECT_EQ(Text(&dialog, kPredictionPointYId), QStringLiteral("10.000"));
    ASSERT_EQ(host.tx.workingCopy().calcInfo.pointList.size(), 1u);
    EXPECT_EQ(host.tx.workingCopy().calcInfo.pointList[0].position, (CVector3D{20, 10, 1.5}));
    EXPECT_EQ(host.tx.edit().selectedPointIndex, 0);

    // One point: the click only fills the fields.
    dialog
        .findChild<QRadioButton*>(QStringLiteral("control%1").arg(kPredictionModeRadioIds[kSinglePointMode]))
        ->setChecked(true);
    plan.Gesture(host.tx, dialog, {250, 150}, {250, 150});
    EXPECT_EQ(Text(&dialog, kPredictionPointXId), QStringLiteral("50.000"));
    EXPECT_EQ(Text(&dialog, kPredictionPointYId), QStringLiteral("30.000"));
    EXPECT_EQ(host.tx.workingCopy().calcInfo.pointList.size(), 1u);

    // A drag gives the line from where it started to where it ended.
    plan.Gesture(host.tx, dialog, {0, 300}, {500, 250});
    EXPECT_EQ(Text(&dialog, kPredictionLineStartXId), QStringLiteral("0.000"));
    EXPECT_EQ(Text(&dialog, kPredictionLineStartYId), QStringLiteral("0.000"));
    EXPECT_EQ(Text(&dialog, kPredictionLineEndXId), QStringLiteral("100.000"));
    EXPECT_EQ(Text(&dialog, kPredictionLineEndYId), QStringLiteral("10.000"));
    EXPECT_EQ(Text(&dialog, kPredictionPointXId), QStringLiteral("50.000")) << "a drag picks no point";
}

}  // namespace
}  // namespace kelmora
