#pragma once
// The open editor dialog as the plan's clicks reach it: write a field, press a button, ask whether a
// button can be pressed. The platform's dialogs implement it; tests use a fake.
#include <string>

namespace kelmora {

class EditorPort {
public:
    virtual ~EditorPort() = default;

    // Puts the text into the control with that identifier and repaints the control.
    virtual void SetControlText(int controlId, const std::string& text) = 0;
    // Gives the button the focus and clicks it, exactly as if the user had pressed it.
    virtual void PressButton(int buttonId) = 0;
    virtual bool IsButtonEnabled(int buttonId) const = 0;
};

}  // namespace kelmora
