#pragma once
// What a screen reader or another accessibility client does to a widget, for the widget tests.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>

namespace kelmora::testing {

// The press action of a button as an accessibility client performs it: it reaches the button even
// while a modal dialog blocks the button's window for the mouse and the keyboard.
inline void PressAccessibly(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

}  // namespace kelmora::testing
