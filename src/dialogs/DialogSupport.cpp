#include "dialogs/DialogSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVariant>
#include <QWidget>

namespace kelmora {
namespace {

constexpr const char* kControlIdProperty = "controlId";

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kWarning:
            return QMessageBox::Warning;
        case MessageIcon::kError:
            return QMessageBox::Critical;
        case MessageIcon::kInformation:
            break;
    }
    return QMessageBox::Information;
}

}  // namespace

void SetControlId(QWidget* control, int id) {
    control->setProperty(kControlIdProperty, id);
    control->setObjectName(QStringLiteral("control%1").arg(id));
}

QWidget* FindControl(QWidget* dialog, int id) {
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        const QVariant v = w->property(kControlIdProperty);
        if (v.isValid() && v.toInt() == id) return w;
    }
    return nullptr;
}

void ShowUserMessage(QWidget* dialog, const UserMessage& message) {
    QMessageBox box(BoxIcon(message.icon), QString::fromStdString(message.caption),
                    QString::fromStdString(message.text), QMessageBox::Ok, dialog);
    box.exec();
    if (message.focusControl == 0 || !dialog) return;
    if (QWidget* control = FindControl(dialog, message.focusControl)) {
        control->setFocus(Qt::OtherFocusReason);
        if (auto* field = qobject_cast<QLineEdit*>(control)) field->selectAll();
    }
}

QLabel* BuddyLabel(const char* text, QWidget* field) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setBuddy(field);
    return label;
}

QString ChooseFile(QWidget* parent, const FileDialogSpec& spec) {
    QFileDialog dialog(parent, spec.title);
    dialog.setNameFilter(spec.nameFilter);
    if (spec.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(spec.defaultSuffix);
        if (!spec.askOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

std::string FieldString(const QLineEdit* field) {
    return field->text().toStdString();
}

void SetFieldString(QLineEdit* field, const std::string& text) {
    field->setText(QString::fromStdString(text));
    // A narrow field shows the start of a long number, not its last digits.
    field->setCursorPosition(0);
}

}  // namespace kelmora
