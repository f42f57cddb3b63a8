#include "dialogs/DialogSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace kelmora {
namespace {

constexpr const char* kControlIdProperty = "controlId";
constexpr const char* kOpenQuestionsProperty = "kelmoraOpenQuestions";

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

std::optional<int> RunOwnedDialog(QDialog* dialog) {
    const QPointer<QDialog> guard(dialog);
    // The owner counts its open questions (several when one was opened beneath another by a screen
    // reader); a destroyed owner has nothing left to count.
    const QPointer<QWidget> owner(dialog->parentWidget());
    const auto count = [&owner](int change) {
        if (owner)
            owner->setProperty(kOpenQuestionsProperty,
                               owner->property(kOpenQuestionsProperty).toInt() + change);
    };
    count(+1);
    const int result = dialog->exec();
    count(-1);
    if (guard.isNull()) return std::nullopt;
    delete dialog;
    return result;
}

bool AsksQuestion(const QWidget* dialog) {
    return dialog->property(kOpenQuestionsProperty).toInt() > 0;
}

bool ShowUserMessage(QWidget* dialog, const UserMessage& message) {
    const QPointer<QWidget> owner(dialog);
    auto* box = new QMessageBox(BoxIcon(message.icon), QString::fromStdString(message.caption),
                                QString::fromStdString(message.text), QMessageBox::Ok, dialog);
    if (!RunOwnedDialog(box) || (dialog != nullptr && owner.isNull())) return false;
    if (message.focusControl == 0 || !dialog) return true;
    if (QWidget* control = FindControl(dialog, message.focusControl)) {
        control->setFocus(Qt::OtherFocusReason);
        if (auto* field = qobject_cast<QLineEdit*>(control)) field->selectAll();
    }
    return true;
}

QLabel* BuddyLabel(const char* text, QWidget* field) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setBuddy(field);
    return label;
}

QString ChooseFile(QWidget* parent, const FileDialogSpec& spec) {
    auto* dialog = new QFileDialog(parent, spec.title);
    dialog->setNameFilter(spec.nameFilter);
    if (spec.save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setDefaultSuffix(spec.defaultSuffix);
        if (!spec.askOverwrite) dialog->setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    // The choice is read before the dialog goes.
    QString chosen;
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, &chosen] {
        if (!dialog->selectedFiles().isEmpty()) chosen = dialog->selectedFiles().front();
    });
    if (RunOwnedDialog(dialog) != QDialog::Accepted) return {};
    return chosen;
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
