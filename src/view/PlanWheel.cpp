#include "view/PlanWheel.h"

#include <algorithm>
#include <cmath>

namespace kelmora {

GestureEffect OnWheel(PlanViewState& view, double notchesUp, double notchesLeft, ClientPoint at,
                      const ModifierKeys& keys) {
    GestureEffect effect;
    if (view.dragMode != kNoGesture || !std::isfinite(notchesUp) || !std::isfinite(notchesLeft))
        return effect;
    const DisplayTransform before = view.display;
    if (keys.ctrl) {
        // A fling of many notches at once zooms no further than the display's bounds allow anyway.
        const double notches = std::clamp(notchesUp, -100.0, 100.0);
        ZoomDisplayAbout(view.display, std::pow(kDisplayZoomStep, notches), ToVertex(at));
    } else {
        const double up = keys.shift ? 0.0 : notchesUp;
        const double left = keys.shift ? notchesLeft + notchesUp : notchesLeft;
        // Scrolling up brings the part above into view: the plan moves down.
        view.display.offset =
            view.display.offset + CVertex2D{std::clamp(left, -100.0, 100.0) * kWheelScrollPx,
                                            std::clamp(up, -100.0, 100.0) * kWheelScrollPx};
    }
    if (!(view.display == before)) effect.redrawHint = 5;
    return effect;
}

}  // namespace kelmora
