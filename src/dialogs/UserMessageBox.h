#pragma once
// Shows a message that a plain class has decided on (model/UserMessage.h) in a modal message box.
#include "model/UserMessage.h"

class QWidget;

namespace kelmora {

void ShowUserMessage(QWidget* parent, const UserMessage& message);

}  // namespace kelmora
