#include "view/PlanWheel.h"

#include <algorithm>
#include <cstdlib>

#include "view/ViewTransform.h"

namespace kelmora {

GestureEffect OnWheel(PlanViewState& view, int notches, ClientPoint at, int editMode) {
    GestureEffect effect;
    if (notches == 0 || editMode == kSizeDialogEditMode || view.dragMode != kNoGesture) return effect;
    const double before = view.viewData.zoom.magnification;
    const double factor = notches > 0 ? kZoomInFactor : kZoomOutFactor;
    const int steps = std::min(std::abs(notches), 100) * kZoomStepsPerWheelNotch;
    for (int i = 0; i < steps; ++i)
        ZoomAbout(view.viewData.zoom, factor, ToVertex(at));
    if (view.viewData.zoom.magnification != before) effect.redrawHint = 5;
    return effect;
}

}  // namespace kelmora
