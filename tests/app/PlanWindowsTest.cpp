// The plan windows in the main window: where they open, how a maximised one comes back from the session's
// backup, what "全体表示" and the zoom commands change (the display only, never the window record), the
// scale in the status bar, the labels and the cross-hair of the picking modes.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>

#include "app/DataFolder.h"
#include "app/MainWindowTest.h"
#include "app/PlanDisplayController.h"
#include "app/PlanView.h"
#include "app/WindowPlacement.h"
#include "editing/PredictionEditor.h"
#include "view/ViewTransform.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

// The frame of a plan window in the window area.
PlanWindow* FrameOf(QWidget* view) {
    for (QWidget* w = view; w != nullptr; w = w->parentWidget())
        if (auto* frame = qobject_cast<PlanWindow*>(w)) return frame;
    return nullptr;
}

TEST(WindowPlacement, PlanWindowsStayInsideTheAreaAndNewOnesCascade) {
    const QSize area(1100, 660);
    struct Case {
        QRect wanted;
        QRect placed;
    };
    const Case cases[] = {
        {QRect(980, 0, 760, 520), QRect(340, 0, 760, 520)},      // a new document opened off to the right
        {QRect(0, 622, 760, 520), QRect(0, 140, 760, 520)},      // a second window opened below
        {QRect(-40, -10, 300, 200), QRect(0, 0, 300, 200)},      // above and left of the area
        {QRect(10, 10, 2000, 900), QRect(0, 0, 1100, 660)},      // larger than the area: shrunk to it
        {QRect(100, 100, 300, 200), QRect(100, 100, 300, 200)},  // inside: as it was
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceInArea(c.wanted, area), c.placed) << c.wanted.x() << "," << c.wanted.y();

    const QSize size(760, 520);
    EXPECT_EQ(NewWindowRect(size, area, std::nullopt), QRect(0, 0, 760, 520));
    EXPECT_EQ(NewWindowRect(size, area, QRect(24, 24, 760, 520)), QRect(48, 48, 760, 520));
    EXPECT_EQ(NewWindowRect(size, area, QRect(300, 120, 760, 520)), QRect(0, 0, 760, 520))
        << "a step further would leave the area: back at its corner";
    EXPECT_EQ(NewWindowRect(size, QSize(500, 300), std::nullopt), QRect(0, 0, 500, 300));
}

class PlanWindows : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        QStandardPaths::setTestModeEnabled(true);
        MakeWorkFolder("plan-windows");
        context.dataFolder = work / "Data";
        fs::create_directories(*context.dataFolder);
        RegisterChainDialogs(context.registry);
        OpenWindow();
    }

    QRect Area() const {
        return window->area().contentsRect().translated(-window->area().contentsRect().topLeft());
    }
    PlanView* ActiveView() const {
        auto* frame = qobject_cast<PlanWindow*>(window->area().currentSubWindow());
        return frame != nullptr ? frame->view() : nullptr;
    }
};

TEST_F(PlanWindows, EveryWindowOpenedLiesInsideTheWindowArea) {
    OpenExample();  // its window record: 980 × 640 at the corner
    DocumentManager& docs = window->documents();
    for (int i = 0; i < 3; ++i)
        docs.NewWindow(*doc);
    for (int i = 0; i < 4; ++i)
        docs.NewDocument();
    const QList<QMdiSubWindow*> windows = window->area().subWindowList();
    ASSERT_EQ(windows.size(), 8);
    for (const QMdiSubWindow* w : windows)
        EXPECT_TRUE(Area().contains(w->geometry()))
            << w->windowTitle().toStdString() << " at " << w->x() << "," << w->y() << " " << w->width() << "×"
            << w->height();
    // New windows step down and right from the one before, so that none hides another completely.
    EXPECT_NE(windows[1]->geometry().topLeft(), windows[2]->geometry().topLeft());

    // A window record placed off the area (saved on a larger screen) is pulled inside.
    ProjectDocument project;
    ViewRecord record;
    record.info.frameRect = {3000, 2000, 3800, 2600};
    project.viewRecords = {record};
    const fs::path file = work / "far.kel";
    SaveProjectFile(file, project);
    KelmoraDocument* far = docs.Open(QString::fromStdString(file.string()));
    ASSERT_NE(far, nullptr);
    const QWidget* frame = FrameOf(far->views().front());
    EXPECT_TRUE(Area().contains(frame->geometry()));
    EXPECT_EQ(frame->size(), QSize(800, 600));
}

TEST_F(PlanWindows, MaximisedWindowComesBackMaximisedWithItsNormalRectangle) {
    window->setGeometry(0, 0, 780, 580);  // on the 800 × 600 screen of the test platform, as restored
    OpenExample();
    auto* frame = FrameOf(doc->views().front());
    ASSERT_NE(frame, nullptr);
    frame->setGeometry(20, 30, 500, 350);
    const QRect normal = frame->geometry();
    frame->showMaximized();
    ASSERT_TRUE(frame->isMaximized());
    EXPECT_NE(frame->geometry(), normal);
    // The record keeps the rectangle the window comes back to, not the maximised one nor an empty one.
    EXPECT_EQ(doc->ToProject().viewRecords.front().info.frameRect, ToFrameRect(normal));
    EXPECT_EQ(doc->MaximizedWindows(), std::vector<std::int32_t>{0});

    ASSERT_TRUE(window->WriteSession());
    // The project's extension file beside the backup holds it; the project file format has no room.
    const ProjectExtras beside = ReadExtensionFile(*context.dataFolder / "DOC1.asj1");
    EXPECT_EQ(beside.maximizedWindows, std::vector<std::int32_t>{0});
    window->documents().CloseAllSilently();
    window.reset();

    OpenWindow();
    window->RestoreSession();
    ASSERT_EQ(window->documents().documents().size(), 1u);
    KelmoraDocument* restored = window->documents().documents().front();
    QWidget* back = FrameOf(restored->views().front());
    EXPECT_TRUE(back->isMaximized());
    EXPECT_TRUE(restored->extras().maximizedWindows.empty()) << "the session's, not the project's";
    EXPECT_EQ(restored->ToProject().viewRecords.front().info.frameRect, ToFrameRect(normal));
    back->showNormal();
    EXPECT_EQ(back->geometry(), normal);
}

TEST_F(PlanWindows, FitAndZoomChangeTheDisplayNotTheRecordNorTheGrid) {
    OpenExample();
    PlanView* view = ActiveView();
    ASSERT_NE(view, nullptr);
    FrameOf(view)->showMaximized();
    const std::vector<std::uint8_t> project = WriteProject(doc->ToProject());
    const auto grid = [this] {
        CCalcInfo calc = doc->transaction().model().calcInfo;
        const GridPlanView plan = GridPlanViewOf(*doc->activeViewData());
        calc.generateHorizontalGrid(plan.imageWidth, plan.imageHeight, plan.clientToModel,
                                    [](const CVector3D&) { return 0.0; });
        return calc.gridPoints;
    };
    const std::vector<CPredictivePoint> before = grid();
    const PlanDisplayActions& a = window->displays().actions();
    const QLabel& scale = window->displays().scaleLabel();
    EXPECT_EQ(scale.text(), QString::fromUtf8("表示倍率 100%  1px = 0.3m"));

    a.fit->trigger();
    EXPECT_GT(view->display().scale, 1.5) << "the example fills the maximised window";
    const ClientBox site = StoredBoxOf(view->shownViewData(), *ExtentOfSite(doc->transaction().model()));
    EXPECT_TRUE(QRectF(0, 0, view->width(), view->height())
                    .contains(QRectF(QPointF(site.left, site.top), QPointF(site.right, site.bottom))));
    EXPECT_NE(scale.text(), QString::fromUtf8("表示倍率 100%  1px = 0.3m"));
    EXPECT_EQ(scale.text(), view->displayScaleText());

    a.zoomIn->trigger();
    a.zoomOut->trigger();
    a.zoomOut->trigger();
    QWheelEvent wheel(QPointF(200, 150), view->mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    a.zoomArea->trigger();
    EXPECT_EQ(view->cursor().shape(), Qt::CrossCursor);
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(view, QPoint(300, 250));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(300, 250));
    EXPECT_FALSE(view->zoomAreaArmed());

    EXPECT_EQ(WriteProject(doc->ToProject()), project) << "the project saved is the one opened";
    EXPECT_EQ(grid(), before) << "the grid is laid from the window record";
    EXPECT_FALSE(doc->transaction().modified());
}

TEST_F(PlanWindows, LabelsAreDrawnByEveryWindowAndTheCrossHairMarksThePickingModes) {
    OpenExample();
    PlanView* view = ActiveView();
    ASSERT_NE(view, nullptr);
    const auto texts = [view] {
        int n = 0;
        for (const Primitive& p : view->displayList().base)
            n += std::holds_alternative<TextPrimitive>(p) ? 1 : 0;
        return n;
    };
    const int corners = texts();
    window->displays().actions().pointLabels->trigger();
    EXPECT_TRUE(view->labels().points);
    EXPECT_EQ(texts(), corners + 8) << "the example's eight boundary points";
    window->documents().NewWindow(*doc);
    EXPECT_TRUE(ActiveView()->labels().points) << "a new window shows the labels switched on";
    window->displays().actions().pointLabels->trigger();
    EXPECT_EQ(texts(), corners);

    EXPECT_NE(view->cursor().shape(), Qt::CrossCursor);
    doc->SetActiveView(view);
    doc->RunCommand(EditCommand::SizeChange);
    EXPECT_EQ(view->cursor().shape(), Qt::CrossCursor) << "a right click fills the size dialog";
    doc->openDialog()->close();
    EXPECT_NE(view->cursor().shape(), Qt::CrossCursor);
}

TEST_F(PlanWindows, StatusBarSaysReadyWhenNothingElse) {
    QStatusBar* bar = window->statusBar();
    EXPECT_EQ(bar->currentMessage(), QString::fromUtf8("レディ"));
    bar->showMessage(QStringLiteral("x"));
    bar->clearMessage();
    EXPECT_EQ(bar->currentMessage(), QString::fromUtf8("レディ"));
}

}  // namespace
}  // namespace kelmora
