#pragma once
// The band editor "バンドの値を編集": the window of BandEditor. Every spectrum button of the editors
// opens it modally with its caller (caption, range, tools); OK hands the edited spectrum back.
#include <QDialog>
#include <array>

#include "editing/BandEditor.h"

class QLineEdit;

namespace kelmora {

class BandEditorDialog : public QDialog {
public:
    BandEditorDialog(const CBand& spectrum, const BandEditorCaller& caller, QWidget* parent = nullptr);

    // The spectrum as OK stored it (the one given until then).
    const CBand& spectrum() const { return spectrum_; }

    // Opens the editor modally over `spectrum`; true (and the spectrum replaced) when the user ends
    // it with OK.
    static bool Edit(QWidget* parent, CBand& spectrum, BandSpectrum which);

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
