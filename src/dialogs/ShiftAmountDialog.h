#pragma once
// The dialog of the ground-line list's "選択地表線移動追加...": how far the copy of the selected ground
// line moves sideways (left of its arrow positive) and up. Both fields start at 0 and have no range;
// each must hold a finite number.
#include <QDialog>
#include <functional>

class QLineEdit;

namespace kelmora {

class ShiftAmountDialog : public QDialog {
    Q_OBJECT

public:
    // `fieldOutOfRange`(h, v) names the field (1036 or 1038) whose value the line cannot be moved by,
    // or 0 when the distances can be used.
    explicit ShiftAmountDialog(std::function<int(double, double)> fieldOutOfRange, QWidget* parent = nullptr);

    double horizontal() const { return horizontal_; }
    double vertical() const { return vertical_; }

    QLineEdit* horizontalField() const { return horizontalField_; }
    QLineEdit* verticalField() const { return verticalField_; }

    void accept() override;

private:
    // The field's number, or a message box with the focus on the field.
    bool Read(QLineEdit* field, double& value);
    void Refuse(QLineEdit* field);

    std::function<int(double, double)> fieldOutOfRange_;
    QLineEdit* horizontalField_;
    QLineEdit* verticalField_;
    double horizontal_ = 0.0;
    double vertical_ = 0.0;
};

}  // namespace kelmora
