#pragma once
// The mouse wheel over a plan window moves what the window shows, never the window record: Ctrl + wheel
// zooms the display about the point under the mouse (one step of kDisplayZoomStep per notch, a part of
// a notch for the finer wheels of touchpads), the wheel alone scrolls up and down, Shift + wheel (or a
// sideways wheel) left and right. Nothing while a gesture runs.
#include "view/PlanGestures.h"

namespace kelmora {

inline constexpr double kWheelScrollPx = 60.0;  // shown pixels scrolled per notch

// `notchesUp` > 0 away from the user, `notchesLeft` > 0 to the left (Qt's angle delta / 120). Redraws
// with hint 5 when the display changed.
GestureEffect OnWheel(PlanViewState& view, double notchesUp, double notchesLeft, ClientPoint at,
                      const ModifierKeys& keys);

}  // namespace kelmora
