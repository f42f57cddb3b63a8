#include "dialogs/UserMessageBox.h"

#include <QMessageBox>

namespace kelmora {

void ShowUserMessage(QWidget* parent, const UserMessage& message) {
    const QString caption = QString::fromStdString(message.caption);
    const QString text = QString::fromStdString(message.text);
    switch (message.icon) {
        case MessageIcon::kInformation:
            QMessageBox::information(parent, caption, text);
            break;
        case MessageIcon::kWarning:
            QMessageBox::warning(parent, caption, text);
            break;
        case MessageIcon::kError:
            QMessageBox::critical(parent, caption, text);
            break;
    }
}

}  // namespace kelmora
