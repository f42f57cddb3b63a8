// The program's own document with its band editor open over an outdoor source's editor: the closes
// that the program itself may attempt meanwhile. Closing the document, its last window or the main
// window is refused while the chain is open; a screen reader's Cancel on the editor takes the band
// editor along; a document discarded with its dialogs open (a session reset) leaves nothing behind.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "AccessibleActions.h"
#include "app/MainWindowTest.h"
#include "dialogs/BandEditorDialog.h"
#include "dialogs/ChainListDialog.h"
#include "dialogs/EditorDialog.h"

namespace kelmora {
namespace {

QAbstractButton* ButtonWithText(QWidget* dialog, const char* text) {
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        if (button->text() == QString::fromUtf8(text)) return button;
    return nullptr;
}

// The band editor on the screen, once it is there (null after 3 s without one).
BandEditorDialog* ShownBandEditor() {
    BandEditorDialog* band = nullptr;
    const auto shown = [&] {
        band = dynamic_cast<BandEditorDialog*>(QApplication::activeModalWidget());
        return band != nullptr && band->isVisible();
    };
    return QTest::qWaitFor(shown, 3000) ? band : nullptr;
}

class NestedDialogClose : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        RegisterChainDialogs(context.registry);
        OpenWindow();
        OpenExample();
    }

    // The outdoor source list, source 1's editor, and its band editor of the maximum level.
    void OpenBandEditorOverEditor() {
        doc->RunCommand(EditCommand::OutdoorSources);
        auto* list = qobject_cast<ChainListDialog*>(doc->openDialog());
        ASSERT_NE(list, nullptr);
        list->table()->selectRow(0);
        list->PressButton(1008);  // "変更..."
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return qobject_cast<EditorDialog*>(doc->openDialog()) != nullptr; }, 3000));
        editor = qobject_cast<EditorDialog*>(doc->openDialog());
        ButtonWithText(editor, "最大レベル...")->click();
        band = ShownBandEditor();
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->parentWidget(), editor.data()) << "the editor owns its band editor";
    }

    QPointer<EditorDialog> editor;
    QPointer<BandEditorDialog> band;
};

TEST_F(NestedDialogClose, TheProgramsOwnClosesWaitForTheChainAndAScreenReadersCancelTakesTheBandEditor) {
    const CNoise before = doc->transaction().model();
    OpenBandEditorOverEditor();
    EXPECT_FALSE(window->documents().Close(*doc));
    QMdiSubWindow* planWindow = window->area().subWindowList().front();
    EXPECT_FALSE(planWindow->close()) << "the document's last window";
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(editor && band && band->isVisible());

    testing::PressAccessibly(ButtonWithText(editor, "キャンセル"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor && !band; }, 3000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return qobject_cast<ChainListDialog*>(doc->openDialog()) != nullptr; }, 3000));
    doc->openDialog()->PressButton(kCancelButtonId);
    EXPECT_EQ(doc->transaction().editMode(), kIdleMode);
    EXPECT_EQ(doc->transaction().model(), before);
    EXPECT_TRUE(window->documents().Close(*doc));
}

TEST_F(NestedDialogClose, ADocumentDiscardedWithItsDialogsOpenTakesThemAlong) {
    OpenBandEditorOverEditor();
    window->documents().CloseAllSilently();
    EXPECT_TRUE(!editor && !band);
    QTest::qWait(20);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible() && w != window.get()) << w->windowTitle().toStdString();
}

}  // namespace
}  // namespace kelmora
