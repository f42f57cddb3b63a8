#include "dialogs/ChainDialog.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "dialogs/DialogSupport.h"
#include "editing/DialogPlacement.h"

namespace kelmora {

ChainDialog::ChainDialog(ChainHost& host, const DialogRequest& request, QWidget* parent)
    : QDialog(parent), host_(host), request_(request) {
    const char* caption = DialogCaption(request.editMode);
    if (caption[0] != '\0') setWindowTitle(QString::fromUtf8(caption));
}

void ChainDialog::BindField(int controlId, QLineEdit* field) {
    fields_[controlId] = field;
}

void ChainDialog::BindButton(int buttonId, QAbstractButton* button) {
    buttons_[buttonId] = button;
}

QLineEdit* ChainDialog::Field(int controlId) const {
    const auto it = fields_.find(controlId);
    return it == fields_.end() ? nullptr : it->second.data();
}

void ChainDialog::SetControlText(int controlId, const std::string& text) {
    if (QLineEdit* field = Field(controlId)) SetFieldString(field, text);
}

void ChainDialog::PressButton(int buttonId) {
    const auto it = buttons_.find(buttonId);
    if (it == buttons_.end() || it->second.isNull()) return;
    it->second->setFocus();
    it->second->click();  // does nothing while the button is disabled
}

bool ChainDialog::IsButtonEnabled(int buttonId) const {
    const auto it = buttons_.find(buttonId);
    return it != buttons_.end() && !it->second.isNull() && it->second->isEnabled();
}

void ChainDialog::reject() {
    PressButton(kCancelButtonId);
}

void ChainDialog::Finish(const ChainStep& step, int result) {
    const QRect frame = frameGeometry();
    transaction().SetDialogCentre(DialogCentreOf({frame.left(), frame.top()}, width(), height()));
    CloseOwnDialogs();
    done(result);
    host_.Apply(step);
}

void ChainDialog::CloseOwnDialogs() {
    // A dialog this one opened (a band editor, a message box) belongs to this step of the chain and goes
    // before the next step begins; one that runs a nested event loop of its own returns from it as
    // its window goes (RunOwnedDialog).
    for (QDialog* own : findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
        delete own;
}

void ChainDialog::PressForCascade(int direction) {
    PressButton(direction > 0 ? kOkButtonId : kCancelButtonId);
}

void ChainDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed_) {
        placed_ = true;
        PlaceAtDialogCentre();
    }
    if (request_.cascadePress != 0 && !cascadePressed_) {
        cascadePressed_ = true;
        const int direction = request_.cascadePress;
        QTimer::singleShot(0, this, [this, direction] { PressForCascade(direction); });
    }
}

void ChainDialog::PlaceAtDialogCentre() {
    const ScreenPoint centre = transaction().dialogCentre();
    QScreen* screen = QGuiApplication::screenAt(QPoint(centre.x, centre.y));
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    const ScreenPoint topLeft =
        PlaceDialog(size.width(), size.height(), centre,
                    {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()});
    move(topLeft.x, topLeft.y);
}

}  // namespace kelmora
