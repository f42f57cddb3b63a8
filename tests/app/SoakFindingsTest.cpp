// Faults the soak of the desktop program found (tests/soak), each as a plain test of its cause.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "AccessibleActions.h"
#include "QtTestApplication.h"
#include "app/MainWindowTest.h"
#include "app/PlanView.h"
#include "dialogs/ChainListDialog.h"
#include "dialogs/EditorDialog.h"
#include "view/PickingHost.h"
#include "view/ViewTransform.h"

namespace kelmora {
namespace {

class SoakFindings : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        QStandardPaths::setTestModeEnabled(true);
        MakeWorkFolder("soak-findings");
        context.programFolder = work;
        RegisterChainDialogs(context.registry);
        OpenWindow();
        OpenExample();
    }

    template <typename Dialog>
    Dialog* Shown() {
        Dialog* shown = nullptr;
        const bool up = QTest::qWaitFor(
            [&] {
                shown = qobject_cast<Dialog*>(doc->openDialog());
                return shown != nullptr;
            },
            3000);
        return up ? shown : nullptr;
    }

    // The open list's row handed to its editor with "変更...".
    void ChangeRow(int row) {
        auto* list = Shown<ChainListDialog>();
        ASSERT_NE(list, nullptr);
        list->table()->selectRow(row);
        list->PressButton(1008);
    }
};

// The window area announces that its windows go while the main window is taken down; by then the main
// window's own members have gone, and its handlers must no longer run.
TEST_F(SoakFindings, MainWindowTakenDownWhileItShowsDocuments) {
    window->documents().NewWindow(*doc);
    window->documents().NewDocument();
    ASSERT_EQ(window->area().subWindowList().size(), 3);
    ASSERT_TRUE(window->isVisible());
    window.reset();
}

// A Ctrl+click on the plan snaps to the nearest corner of the building and asks for an offset; should
// the exterior wall's editor close meanwhile (a screen reader's キャンセル reaches it past the modal
// offset dialog), the click's point goes nowhere: neither into a dialog that has gone nor as a new
// vertex of the wall the editor's cancel has just restored.
TEST_F(SoakFindings, SnappedClickWhoseEditorClosedWhileTheOffsetWasAsked) {
    doc->RunCommand(EditCommand::Buildings);
    ChangeRow(0);
    auto* building = Shown<EditorDialog>();
    ASSERT_NE(building, nullptr);
    ASSERT_EQ(doc->transaction().editMode(), kBuildingChangeMode);
    building->PressButton(1024);  // "外壁編集..."
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return doc->transaction().editMode() == kExteriorWallListMode; }, 3000));
    ChangeRow(0);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return doc->transaction().editMode() == kExteriorWallChangeMode; }, 3000));
    QPointer<EditorDialog> editor = Shown<EditorDialog>();
    ASSERT_NE(editor, nullptr);
    const CBuildingWall before = doc->transaction().workingCopy().buildings[0].walls[0];
    ASSERT_FALSE(before.polyline.vertices.empty());

    // While the offset is asked: the editor's キャンセル pressed by a screen reader, then OK on the offset
    // (by then the wall list is back, above the offset dialog).
    bool asked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* offset = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->windowTitle() == QString::fromUtf8(kOffsetXYCaption))
                offset = window;
        if (offset == nullptr) return;
        if (!asked) {
            asked = true;
            for (QAbstractButton* button : editor->findChildren<QAbstractButton*>())
                if (button->text() == QString::fromUtf8("キャンセル")) testing::PressAccessibly(button);
            return;
        }
        if (editor.isNull() || !editor->isVisible())
            for (QPushButton* button : offset->findChildren<QPushButton*>())
                if (button->text() == QStringLiteral("OK")) button->click();
    });
    poll.start(20);
    PlanView* view = doc->views().front();
    const ClientPoint corner = ModelToPixel(view->shownViewData(), before.polyline.vertices[0]);
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, QPoint(corner.x, corner.y));
    poll.stop();

    ASSERT_TRUE(asked);
    EXPECT_TRUE(editor.isNull() || !editor->isVisible());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return doc->transaction().editMode() == kExteriorWallListMode; }, 3000));
    EXPECT_EQ(doc->transaction().workingCopy().buildings[0].walls[0], before);
}

}  // namespace
}  // namespace kelmora
