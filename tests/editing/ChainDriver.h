#pragma once
// The window side of an editing chain as the editor tests need it: each dialog the chain asks for is
// "shown" at once — a list as its edit mode, an editor as its plain class — and a dialog shown during
// an "All OK" / "All Cancel" cascade presses its own button as the real ones do.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editing/ChainEditor.h"
#include "editing/CurrentItems.h"

namespace kelmora::testing {

class ChainDriver {
public:
    explicit ChainDriver(const CNoise& site) { tx.Load(site, "/work/site.kel", false); }

    // The menu command: the outermost list is shown.
    int Start(EditCommand command) { return Shown(tx.StartChain(command, {400, 300})); }

    // The open list hands its row to the editor ("変更...").
    int Change(int row) { return Follow(tx.ListClosed(ListExit::Change, row)); }
    // The open list appends an item (as its "追加..." would) and hands it to the editor.
    template <typename Item>
    int Add(std::vector<Item>& items, Item item = Item{}) {
        items.push_back(std::move(item));
        return Follow(tx.ListClosed(ListExit::Add, static_cast<int>(items.size()) - 1));
    }
    int ListOk() { return Follow(tx.ListClosed(ListExit::Ok)); }
    int ListCancel() { return Follow(tx.ListClosed(ListExit::Cancel)); }

    // The open editor's buttons; a button that closes the editor goes on with the chain.
    EditorReply Ok() { return Carry(editor->Ok()); }
    EditorReply Apply() { return Carry(editor->Apply()); }
    EditorReply Cancel() { return Carry(editor->Cancel()); }
    EditorReply AllOk() { return Carry(editor->AllOk()); }
    EditorReply AllCancel() { return Carry(editor->AllCancel()); }
    EditorReply Press(int controlId) { return Carry(editor->Press(controlId)); }

    // Typing into a field of the open editor, choosing in a choice or check box.
    void Type(int controlId, const std::string& text) { editor->form().SetText(controlId, text); }
    void Choose(int controlId, int value) { editor->form().SetValue(controlId, value); }

    int mode() const { return tx.editMode(); }
    CNoise& working() { return tx.workingCopy(); }

    EditTransaction tx;
    std::unique_ptr<ChainEditor> editor;
    ChainOutcome outcome = ChainOutcome::None;

private:
    EditorReply Carry(EditorReply reply) {
        if (reply.close) {
            const ChainStep step = *reply.close;
            editor.reset();
            Follow(step);
        }
        return reply;
    }

    int Follow(const ChainStep& step) {
        if (step.outcome != ChainOutcome::None) outcome = step.outcome;
        if (!step.resume) return Shown(step);
        return Shown(tx.ResumeChain());
    }

    int Shown(const ChainStep& step) {
        if (step.outcome != ChainOutcome::None) outcome = step.outcome;
        if (!step.open) return tx.editMode();
        const DialogRequest request = *step.open;
        if (IsEditorMode(request.editMode)) {
            editor = MakeChainEditor(tx, request.editMode);
            EXPECT_NE(editor, nullptr) << request.editMode;
        }
        if (request.cascadePress > 0) {
            if (editor) return (Ok(), tx.editMode());
            return ListOk();
        }
        if (request.cascadePress < 0) {
            if (editor) return (Cancel(), tx.editMode());
            return ListCancel();
        }
        return tx.editMode();
    }
};

}  // namespace kelmora::testing
