#pragma once
// The mouse wheel over a plan window: zooming about the point under the mouse, in the same steps as a
// Ctrl drag — ten steps of 1 % per notch, up (away from the user) to enlarge, down to shrink, bounded
// like the drag. Nothing while the size dialog is open (it measures the screen) or a gesture runs.
#include "view/PlanGestures.h"

namespace kelmora {

inline constexpr int kZoomStepsPerWheelNotch = 10;

// `notches` > 0 away from the user. Redraws with hint 5 when the magnification changed.
GestureEffect OnWheel(PlanViewState& view, int notches, ClientPoint at, int editMode);

}  // namespace kelmora
