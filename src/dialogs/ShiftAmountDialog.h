#pragma once
// The dialog of the ground-line list's "選択地表線移動追加...": how far the copy of the selected ground
// line moves sideways (left of its arrow positive) and up. Both fields start at 0; the list reads them
// (ChainList::ReadShiftDistances).
#include <QDialog>

class QLineEdit;

namespace kelmora {

class ChainList;

class ShiftAmountDialog : public QDialog {
    Q_OBJECT

public:
    explicit ShiftAmountDialog(const ChainList& list, QWidget* parent = nullptr);

    // The distances read when the dialog was accepted [m].
    double horizontal() const { return horizontal_; }
    double vertical() const { return vertical_; }

    QLineEdit* horizontalField() const { return horizontalField_; }
    QLineEdit* verticalField() const { return verticalField_; }

    // OK: the fields read, or the message of the refused field with the focus on it.
    void accept() override;

private:
    const ChainList& list_;
    QLineEdit* horizontalField_;
    QLineEdit* verticalField_;
    double horizontal_ = 0.0;
    double vertical_ = 0.0;
};

}  // namespace kelmora
