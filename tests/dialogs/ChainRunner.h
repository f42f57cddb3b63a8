#pragma once
// A document's side of an editing chain for the widget tests: it carries out each step of the
// transaction as the desktop program does — the redraw hints recorded, the next dialog made by the
// program's registry and shown (window-modal lists and building editor, modeless editors), the
// continuation queued for a fresh turn of the event loop. The test works the dialogs through their
// buttons, as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include <QPushButton>
#include <QTableWidget>

#include "dialogs/ChainDialogRegistry.h"
#include "dialogs/ChainHost.h"
#include "dialogs/ChainListDialog.h"

namespace kelmora::testing {

class ChainRunner : public ChainHost {
public:
    explicit ChainRunner(const CNoise& site) {
        RegisterChainDialogs(registry_);
        tx_.Load(site, "/work/site.kel", false);
    }
    ~ChainRunner() override {
        if (dialog) delete dialog.data();
    }

    EditTransaction& transaction() override { return tx_; }
    void UpdateViews(int hint) override { hints.push_back(hint); }
    CKelmoraViewData* activeViewData() override { return nullptr; }
    int activeViewId() override { return 0; }
    QWidget* dialogParent() override { return nullptr; }

    void Apply(const ChainStep& step) override {
        hints.insert(hints.end(), step.hints.begin(), step.hints.end());
        if (step.outcome != ChainOutcome::None) outcome = step.outcome;
        if (step.open) Open(*step.open);
        hints.insert(hints.end(), step.hintsAfterShow.begin(), step.hintsAfterShow.end());
        if (step.resume) QTimer::singleShot(0, [this] { Apply(tx_.ResumeChain()); });
    }

    // The menu command; returns once the first dialog is up.
    void Start(EditCommand command) { Apply(tx_.StartChain(command, {400, 300})); }
    // The editor of item 0 at `editorMode`, shown as the chain shows it (WalkToEditor).
    void OpenEditor(int editorMode);

    // The open list: its row selected and "変更..." pressed, "追加..." pressed, or another button.
    void ChangeRow(int row) {
        ChainListDialog* list = qobject_cast<ChainListDialog*>(dialog.data());
        ASSERT_NE(list, nullptr);
        list->table()->selectRow(row);
        PressListButton(1008);
    }
    void AddRow() { PressListButton(1004); }
    void PressListButton(int id) {
        ChainListDialog* list = qobject_cast<ChainListDialog*>(dialog.data());
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(list->button(id)->isEnabled()) << id;
        QTest::mouseClick(list->button(id), Qt::LeftButton);
    }

    // Waits until the chain shows the dialog of `editMode` (or, for 0, has ended).
    bool WaitFor(int editMode) {
        return QTest::qWaitFor(
            [&] {
                if (editMode == kIdleMode) return tx_.editMode() == kIdleMode && !dialog;
                return tx_.editMode() == editMode && dialog && dialog->isVisible();
            },
            3000);
    }

    CNoise& working() { return tx_.workingCopy(); }

    QPointer<ChainDialog> dialog;  // the dialog on screen, if any
    std::vector<int> hints;
    ChainOutcome outcome = ChainOutcome::None;

private:
    void Open(const DialogRequest& request) {
        const ChainDialogFactory* factory = registry_.Find(request.editMode);
        ASSERT_NE(factory, nullptr) << request.editMode;
        ChainDialog* opened = (*factory)(*this, request, dialogParent());
        ASSERT_NE(opened, nullptr) << request.editMode;
        QObject::connect(opened, &QDialog::finished, opened, &QObject::deleteLater);
        dialog = opened;
        if (request.modal) {
            opened->open();
        } else {
            opened->show();
        }
    }

    EditTransaction tx_;
    ChainDialogRegistry registry_;
};

// Walks the transaction from the menu command through the lists to the editor of item 0 at
// `editorMode` (every level's item 0 on the way), as a user changing those items would; returns the
// request that opens that editor.
inline DialogRequest WalkToEditor(EditTransaction& tx, int editorMode) {
    const EditLevel level = *LevelOfMode(editorMode);
    const bool ground = level == EditLevel::GroundLine || level == EditLevel::Wall;
    const bool outdoor = level == EditLevel::OutdoorSource;
    tx.StartChain(ground    ? EditCommand::GroundLines
                  : outdoor ? EditCommand::OutdoorSources
                            : EditCommand::Buildings,
                  {400, 300});
    tx.ListClosed(ListExit::Change, 0);
    tx.ResumeChain();
    const auto down = [&](int listMode) {
        tx.EditorClosed(EditorExit::OpenSubList, listMode);
        tx.ResumeChain();
        tx.ListClosed(ListExit::Change, 0);
        tx.ResumeChain();
    };
    if (level == EditLevel::Wall) down(kWallListMode);
    if (level == EditLevel::Roof) down(kRoofListMode);
    if (level == EditLevel::ExteriorWall) down(kExteriorWallListMode);
    if (level == EditLevel::Room || level == EditLevel::Opening || level == EditLevel::RoomSource)
        down(kRoomListMode);
    if (level == EditLevel::Opening) down(kOpeningListMode);
    if (level == EditLevel::RoomSource) down(kRoomSourceListMode);
    EXPECT_EQ(tx.editMode(), editorMode);
    return *tx.ResumeChain().open;
}

inline void ChainRunner::OpenEditor(int editorMode) {
    ChainStep step;
    step.open = WalkToEditor(tx_, editorMode);
    Apply(step);
}

// Answers the next message box with its OK button; its caption and text are kept.
class MessageBoxAnswer {
public:
    MessageBoxAnswer() {
        QTimer::singleShot(0, [this] { Answer(); });
    }
    std::string caption;
    std::string text;

private:
    void Answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (++tries_ < 200) QTimer::singleShot(10, [this] { Answer(); });
            return;
        }
        caption = box->windowTitle().toStdString();
        text = box->text().toStdString();
        box->accept();
    }
    int tries_ = 0;
};

}  // namespace kelmora::testing
