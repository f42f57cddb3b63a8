#pragma once
// ChainDialog: the common base of every dialog that a document's editing chain opens (lists, editors,
// the size dialog, the prediction dialog). It
//   - places itself at the transaction's dialog centre, inside the screen, when first shown, and stores
//     its own centre there when it closes (Finish), so the next dialog opens where this one was;
//   - presses its own OK (+1) or Cancel (−1) as soon as it is shown while an "All OK" / "All Cancel"
//     cascade runs (DialogRequest::cascadePress);
//   - takes the Cancel path on Esc and on its close box (reject), so that no dialog is ever merely
//     hidden with the chain still waiting for it;
//   - is the EditorPort through which clicks on the plan write its fields and press its buttons: a
//     subclass binds its controls to their identifiers with BindField / BindButton.
//
// A subclass implements its buttons. Each button that ends the dialog asks the transaction for the
// step and hands it to Finish, e.g. for a list's OK:
//     Finish(transaction().ListClosed(ListExit::Ok));
// Finish closes the dialog first and then lets the document carry the step out, so the next dialog
// of the chain opens from a fresh turn of the event loop, after this one has gone.
//
// Dialogs are made by the registry (ChainDialogRegistry.h) for the edit mode of a DialogRequest; the
// document shows them (window-modal for lists and the building editor, modeless otherwise) and deletes
// them when they have finished.
#include <QDialog>
#include <QPointer>
#include <map>
#include <string>

#include "dialogs/ChainHost.h"
#include "editing/ChainStep.h"
#include "view/EditorPort.h"

class QAbstractButton;
class QLineEdit;

namespace kelmora {

// The identifiers of the buttons every chain dialog has.
inline constexpr int kOkButtonId = 1;      // "OK"
inline constexpr int kCancelButtonId = 2;  // "キャンセル"

class ChainDialog : public QDialog, public EditorPort {
    Q_OBJECT

public:
    ChainDialog(ChainHost& host, const DialogRequest& request, QWidget* parent = nullptr);

    const DialogRequest& request() const { return request_; }
    ChainHost& host() { return host_; }
    EditTransaction& transaction() { return host_.transaction(); }

    // EditorPort: the bound field's text (the field's own validation is not run), a click on the bound
    // button, whether it is enabled. Unknown identifiers do nothing (false).
    void SetControlText(int controlId, const std::string& text) override;
    void PressButton(int buttonId) override;
    bool IsButtonEnabled(int buttonId) const override;

    // Esc and the close box: the Cancel button's action (when bound and enabled). Dialogs whose close
    // box means something else override it.
    void reject() override;

protected:
    void BindField(int controlId, QLineEdit* field);
    void BindButton(int buttonId, QAbstractButton* button);
    QLineEdit* Field(int controlId) const;

    // Stores this dialog's centre in the transaction, closes the dialogs this one opened and then this
    // dialog, then has the document carry out the step.
    void Finish(const ChainStep& step, int result = QDialog::Accepted);

    // The press of a cascade: the OK (+1) or Cancel (−1) button. Called once, from the event loop,
    // after the dialog has been shown.
    virtual void PressForCascade(int direction);

    void showEvent(QShowEvent* event) override;

private:
    void PlaceAtDialogCentre();
    void CloseOwnDialogs();

    ChainHost& host_;
    const DialogRequest request_;
    bool placed_ = false;
    bool cascadePressed_ = false;
    std::map<int, QPointer<QLineEdit>> fields_;
    std::map<int, QPointer<QAbstractButton>> buttons_;
};

}  // namespace kelmora
