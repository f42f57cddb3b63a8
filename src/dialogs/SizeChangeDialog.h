#pragma once
// The size dialog ("サイズ変更"): calibrates the active plan window of its document — how many metres a
// stretch of screen pixels represents and which model point lies under which client position. A left
// drag in the plan measures the on-screen length, a right click picks the position. "戻る" (also the
// close box) ends it; Esc does nothing, so a stray key never drops the values being entered.
#include "dialogs/ChainDialog.h"
#include "view/SizeDialog.h"

class QPushButton;

namespace kelmora {

class SizeChangeDialog : public ChainDialog {
    Q_OBJECT

public:
    SizeChangeDialog(ChainHost& host, const DialogRequest& request, QWidget* parent = nullptr);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowValues(const SizeDialogValues& values);
    // A message box over the dialog; false when the dialog was closed from elsewhere meanwhile.
    bool Tell(const std::string& text);
    // The values of the fields, or none after telling the user which one is wrong.
    std::optional<SizeDialogValues> ReadFields();
    void LowerLeft();
    void Apply();
    void Back();

    QPushButton* back_ = nullptr;
    bool finishing_ = false;
};

}  // namespace kelmora
