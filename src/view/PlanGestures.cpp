#include "view/PlanGestures.h"

#include <array>
#include <cstdlib>

#include "view/FitView.h"
#include "view/ViewTransform.h"

namespace kelmora {

namespace {

// Indexed by Shift + 2·Ctrl: the codes without and with Alt.
constexpr std::array<int, 4> kLeftModes{1, 2, 3, 5};
constexpr std::array<int, 4> kLeftAltModes{4, 6, 7, 8};
constexpr std::array<int, 4> kRightModes{9, 10, 11, 13};
constexpr std::array<int, 4> kRightAltModes{12, 14, 15, 16};

bool IsLeftGesture(int mode) {
    return mode >= 1 && mode <= 8;
}
bool IsRightGesture(int mode) {
    return mode >= 9 && mode <= 16;
}

// The rubber band dragStart → dragLast: the line of a gesture, the rectangle of the zoom-to-area drag.
Primitive RubberBand(const PlanViewState& view) {
    if (view.dragMode == kZoomAreaGesture) return InvertedRectangle(view.dragStart, view.dragLast);
    return InvertedLine(view.dragStart, view.dragLast);
}

// Inverting the rubber band again erases it.
void EraseRubberBand(PlanViewState& view, DisplayLayer& out) {
    if (view.rubberBandShown) out.push_back(RubberBand(view));
    view.rubberBandShown = false;
}

void ShowRubberBand(PlanViewState& view, DisplayLayer& out) {
    out.push_back(RubberBand(view));
    view.rubberBandShown = true;
}

}  // namespace

int DragModeFor(MouseButton button, const ModifierKeys& keys) {
    const std::size_t i = (keys.shift ? 1 : 0) + (keys.ctrl ? 2 : 0);
    if (button == MouseButton::Left) return keys.alt ? kLeftAltModes[i] : kLeftModes[i];
    return keys.alt ? kRightAltModes[i] : kRightModes[i];
}

std::optional<GestureKeys> KeysOfDragMode(int dragMode) {
    for (MouseButton button : {MouseButton::Left, MouseButton::Right}) {
        for (int bits = 0; bits < 8; ++bits) {
            const ModifierKeys keys{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
            if (DragModeFor(button, keys) == dragMode) return GestureKeys{button, keys};
        }
    }
    return std::nullopt;
}

GestureEffect OnButtonDown(PlanViewState& view, MouseButton button, const ModifierKeys& keys,
                           ClientPoint point) {
    GestureEffect effect;
    if (view.dragMode != kNoGesture) return effect;
    // A preview line left standing by mouse moves without a button goes before the gesture starts.
    EraseRubberBand(view, effect.screenInversions);
    const bool zoomArea = view.zoomAreaArmed && button == MouseButton::Left;
    view.dragMode = zoomArea ? kZoomAreaGesture : DragModeFor(button, keys);
    view.dragStart = point;
    view.dragLast = point;
    effect.captureMouse = true;
    return effect;
}

GestureEffect OnMouseMove(PlanViewState& view, ClientPoint point, int editMode) {
    GestureEffect effect;
    if (view.dragMode == kNoGesture) {
        if (editMode == 0) effect.statusText = kNavigationHelpText;
        return effect;
    }
    const bool navigating = editMode != kSizeDialogEditMode;
    if (navigating && view.dragMode == kPanGesture) {
        if (SquaredPixelDistance(view.dragLast, point) > kPanStepSquaredPx) {
            // The record's zoom moves by the mouse's way in stored client pixels.
            const CVertex2D shift{static_cast<double>(point.x) - view.dragLast.x,
                                  static_cast<double>(point.y) - view.dragLast.y};
            view.dragLast = point;
            view.viewData.zoom.origin = view.viewData.zoom.origin + (1.0 / view.display.scale) * shift;
            effect.redrawHint = 5;
        }
        return effect;
    }
    if (navigating && view.dragMode == kZoomGesture) {
        // Screen y grows downward: a positive rise means the mouse went up.
        const long long rise = static_cast<long long>(view.dragLast.y) - point.y;
        if (std::llabs(rise) > kZoomStepPx) {
            view.dragLast = point;
            ZoomAbout(view.viewData.zoom, rise > 0 ? kZoomInFactor : kZoomOutFactor,
                      StoredFromShown(view.display, ToVertex(view.dragStart)));
            effect.redrawHint = 5;
        }
        return effect;
    }
    EraseRubberBand(view, effect.screenInversions);
    view.dragLast = point;
    ShowRubberBand(view, effect.screenInversions);
    return effect;
}

GestureEffect OnButtonUp(PlanViewState& view, MouseButton button, ClientPoint point, int editMode) {
    GestureEffect effect;
    const bool zoomArea = view.dragMode == kZoomAreaGesture;
    const bool ownButton = button == MouseButton::Left ? IsLeftGesture(view.dragMode) || zoomArea
                                                       : IsRightGesture(view.dragMode);
    if (!ownButton) return effect;
    EraseRubberBand(view, effect.screenInversions);
    effect.releaseMouse = true;
    if (zoomArea) {
        effect.zoomArea = std::pair{view.dragStart, point};
        view.zoomAreaArmed = false;
        view.dragMode = kNoGesture;
        return effect;
    }
    GestureRelease release;
    release.dragMode = view.dragMode;
    release.start = view.dragStart;
    release.end = point;
    release.isClick = SquaredPixelDistance(view.dragStart, point) < kClickSquaredPx;
    if (release.isClick && release.dragMode == kRestoreGesture && editMode == 0) {
        RestoreZoom(view.viewData.zoom);
        view.display = {};
        effect.redrawHint = 5;
    }
    effect.ended = release;
    view.dragMode = kNoGesture;
    return effect;
}

GestureEffect CancelGesture(PlanViewState& view) {
    GestureEffect effect;
    if (view.dragMode == kNoGesture) return effect;
    EraseRubberBand(view, effect.screenInversions);
    effect.releaseMouse = true;
    view.dragMode = kNoGesture;
    return effect;
}

void RestoreZoom(CDisplay& zoom) {
    zoom.origin = {0.0, 0.0};
    zoom.magnification = 1.0;
}

DisplayTransform DisplayAfterZoomArea(const DisplayTransform& current, ClientPoint a, ClientPoint b,
                                      int width, int height) {
    if (SquaredPixelDistance(a, b) < kClickSquaredPx) {
        DisplayTransform d = current;
        ZoomDisplayAbout(d, kDisplayZoomStep, ToVertex(a));
        return d;
    }
    return ZoomToShownRectangle(current, a, b, width, height);
}

}  // namespace kelmora
