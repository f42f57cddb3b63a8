#include "dialogs/ShiftAmountDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "editing/ChainList.h"

namespace kelmora {

ShiftAmountDialog::ShiftAmountDialog(const ChainList& list, QWidget* parent) : QDialog(parent), list_(list) {
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

void ShiftAmountDialog::accept() {
    double h = 0.0;
    double v = 0.0;
    const std::optional<UserMessage> refused = list_.ReadShiftDistances(
        horizontalField_->text().toStdString(), verticalField_->text().toStdString(), h, v);
    if (refused) {
        if (!ShowUserMessage(this, *refused)) return;
        QLineEdit* field = refused->focusControl == kShiftVerticalFieldId ? verticalField_ : horizontalField_;
        field->setFocus();
        field->selectAll();
        return;
    }
    horizontal_ = h;
    vertical_ = v;
    QDialog::accept();
}

}  // namespace kelmora
