#include "dialogs/ShiftAmountDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

#include "editing/ChainList.h"

namespace kelmora {

ShiftAmountDialog::ShiftAmountDialog(std::function<int(double, double)> fieldOutOfRange, QWidget* parent)
    : QDialog(parent), fieldOutOfRange_(std::move(fieldOutOfRange)) {
    setWindowTitle(QString::fromUtf8("地表線移動量　＜左右は地表面ポリライン矢印方向に対して＞"));
    horizontalField_ = new QLineEdit(QStringLiteral("0"), this);
    verticalField_ = new QLineEdit(QStringLiteral("0"), this);
    horizontalField_->setObjectName(QString::number(kShiftHorizontalFieldId));
    verticalField_->setObjectName(QString::number(kShiftVerticalFieldId));

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("水平移動距離[m]　…　矢印左側がプラス、右側がマイナス"), horizontalField_);
    form->addRow(QString::fromUtf8("鉛直移動距離[m]"), verticalField_);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QString::fromUtf8("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ShiftAmountDialog::Refuse(QLineEdit* field) {
    QMessageBox::warning(this, QStringLiteral("Kelmora"), QString::fromUtf8("数字を入力してください。"));
    field->setFocus();
    field->selectAll();
}

bool ShiftAmountDialog::Read(QLineEdit* field, double& value) {
    // Japanese input methods type full-width digits, signs and points: compatibility normalisation
    // turns them into their ASCII forms before the number is read in the C locale.
    const QString text = field->text().normalized(QString::NormalizationForm_KC).trimmed();
    bool ok = false;
    value = QLocale::c().toDouble(text, &ok);
    if (ok && std::isfinite(value)) return true;
    Refuse(field);
    return false;
}

void ShiftAmountDialog::accept() {
    double h = 0.0;
    double v = 0.0;
    if (!Read(horizontalField_, h) || !Read(verticalField_, v)) return;
    if (fieldOutOfRange_) {
        const int field = fieldOutOfRange_(h, v);
        if (field == kShiftHorizontalFieldId) return Refuse(horizontalField_);
        if (field == kShiftVerticalFieldId) return Refuse(verticalField_);
    }
    horizontal_ = h;
    vertical_ = v;
    QDialog::accept();
}

}  // namespace kelmora
