#pragma once
// The band editor "バンドの値を編集": the window of BandEditor. Every spectrum button of the editors
// opens it modally with its caller (caption, range, tools); OK hands the edited spectrum back. It is
// shown without a nested event loop of its opener, as a child of the opener: an editor closed while
// its band editor is open (by an accessibility client or by the editing chain) takes it along.
#include <QDialog>
#include <array>
#include <functional>

#include "editing/BandEditor.h"

class QLineEdit;

namespace kelmora {

class BandEditorDialog : public QDialog {
public:
    BandEditorDialog(const CBand& spectrum, const BandEditorCaller& caller, QWidget* parent = nullptr);

    // The spectrum as OK stored it (the one given until then).
    const CBand& spectrum() const { return spectrum_; }

    // Shows the band editor over `spectrum`, modal for the whole program, owned by `owner` (its parent,
    // which may be null) and deleted when it closes, and returns at once. `accepted` receives the
    // edited spectrum when the user ends it with OK — never once `owner` has gone.
    static BandEditorDialog* Open(QWidget* owner, const CBand& spectrum, BandSpectrum which,
                                  std::function<void(const CBand&)> accepted);

    void accept() override;

private:
    // The controls' texts into the editor and back.
    void ReadControls();
    void ShowFields();
    // Runs a button's action over the fields and shows its message, if any.
    void Act(const std::function<std::optional<UserMessage>()>& action);
    void SelectFromLibrary();
    void AppendToLibrary();

    BandEditor editor_;
    CBand spectrum_;
    std::array<QLineEdit*, kThirdOctaveBands> bandFields_{};
    QLineEdit* allBandsField_ = nullptr;
    QLineEdit* titleField_ = nullptr;
    QLineEdit* distanceField_ = nullptr;
    QLineEdit* qField_ = nullptr;
};

}  // namespace kelmora
