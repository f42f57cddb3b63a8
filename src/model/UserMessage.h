#pragma once
// A message box as data: the plain classes decide what to tell the user, the dialogs only show it.
#include <string>

namespace kelmora {

enum class MessageIcon {
    kInformation,
    kWarning,
    kError,
};

struct UserMessage {
    std::string caption;  // the message box's title
    std::string text;
    MessageIcon icon = MessageIcon::kInformation;
    int focusControl = 0;  // the control that receives the focus afterwards; 0 for none

    friend bool operator==(const UserMessage&, const UserMessage&) = default;
};

}  // namespace kelmora
