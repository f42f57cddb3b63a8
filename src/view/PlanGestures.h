#pragma once
// Mouse gestures over a plan window: which gesture a button press starts (by button and modifier keys),
// panning and zooming while the mouse moves, the rubber-band line of the other gestures, and what a
// release amounts to (a click below 3 pixels, or a drag). The handlers change the view state and say
// what the window has to do; the click actions of the editors build on the release they report.
#include <optional>
#include <utility>

#include "model/ViewRecord.h"
#include "view/ClientPoint.h"
#include "view/DisplayList.h"
#include "view/DisplayTransform.h"

namespace kelmora {

enum class MouseButton { Left, Right };

// Shift and Ctrl as flagged with the button press, Alt as held at that moment.
struct ModifierKeys {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;

    friend bool operator==(const ModifierKeys&, const ModifierKeys&) = default;
};

// Gesture codes (`dragMode`), 0 between gestures.
//            none  Shift  Ctrl  Shift+Ctrl | with Alt: none Shift Ctrl Shift+Ctrl
// left         1     2      3       5      |           4     6     7      8
// right        9    10     11      13      |          12    14    15     16
inline constexpr int kNoGesture = 0;
inline constexpr int kPanGesture = 2;      // Shift + left drag
inline constexpr int kZoomGesture = 3;     // Ctrl + left drag, up to enlarge, down to shrink
inline constexpr int kRestoreGesture = 5;  // Shift + Ctrl + left click
// A left drag of the zoom-to-area tool ("範囲拡大"), which the next press after the tool's command
// starts whatever the keys: the display shows the dragged rectangle. No click action follows it.
inline constexpr int kZoomAreaGesture = 17;

int DragModeFor(MouseButton button, const ModifierKeys& keys);

// The button and keys of a gesture code; nullopt for 0 and codes outside 1..16.
struct GestureKeys {
    MouseButton button = MouseButton::Left;
    ModifierKeys keys;

    friend bool operator==(const GestureKeys&, const GestureKeys&) = default;
};
std::optional<GestureKeys> KeysOfDragMode(int dragMode);

// The plan window's own state: its view data (the window record), the display transform shown on top
// of it and the running gesture. A non-zero dragMode means the window holds the mouse capture. The
// gesture's points are shown pixels.
struct PlanViewState {
    CKelmoraViewData viewData;
    DisplayTransform display;
    bool zoomAreaArmed = false;  // the next left press starts kZoomAreaGesture
    int dragMode = kNoGesture;
    ClientPoint dragStart;  // where the button went down
    ClientPoint dragLast;   // the last point acted on (pan, zoom) or the rubber band's free end
    // The line dragStart → dragLast stands inverted on the screen (a rubber band, or a preview line
    // drawn by mouse moves without a button).
    bool rubberBandShown = false;
};

inline constexpr long long kPanStepSquaredPx = 100;  // a pan moves the picture once the mouse is > 10 px on
inline constexpr int kZoomStepPx = 5;                // a zoom step for every > 5 px up or down
inline constexpr double kZoomInFactor = 1.01;
inline constexpr double kZoomOutFactor = 0.99;
inline constexpr long long kClickSquaredPx = 9;  // a release closer than 3 px to the press is a click

// The edit mode in which the size dialog is open: pan and zoom are off, drags only measure.
inline constexpr int kSizeDialogEditMode = 2;

inline constexpr const char* kNavigationHelpText =
    "移動(Shift＋マウスドラッグ)：拡大(Ctrl＋上方向マウスドラッグ)：縮小(Ctrl＋下方向マウスドラッグ)："
    "元に戻す(Shift＋Ctrl＋マウスクリック)";

// The status bar's first pane with nothing to say, and while the zoom-to-area tool waits for its drag.
inline constexpr const char* kReadyText = "レディ";
inline constexpr const char* kZoomAreaPrompt = "表示する範囲をマウスドラッグで指定してください (Esc で中止)";

// A gesture that ended with its button's release.
struct GestureRelease {
    int dragMode = kNoGesture;
    ClientPoint start;  // the press point, which is the click point of a click
    ClientPoint end;    // the release point
    bool isClick = false;
};

// What the window has to do after a handler.
struct GestureEffect {
    bool captureMouse = false;
    bool releaseMouse = false;
    // Lines to draw on the screen in inverting mode, in order (erasing the old rubber band, drawing the
    // new one). They are not part of the layers and vanish with the next repaint.
    DisplayLayer screenInversions;
    int redrawHint = 0;                   // 0 = none; 5 = redraw picture and model
    const char* statusText = nullptr;     // text for the status bar's first pane, when set
    std::optional<GestureRelease> ended;  // set by the release that ended a gesture
    // The corners of a finished zoom-to-area drag (shown pixels), for DisplayAfterZoomArea.
    std::optional<std::pair<ClientPoint, ClientPoint>> zoomArea;
};

// A press starts a gesture unless one is running (then it is ignored). A line still standing inverted
// from dragStart to dragLast (a preview line) is erased first. With the zoom-to-area tool armed a left
// press starts its drag instead, whatever the keys.
GestureEffect OnButtonDown(PlanViewState& view, MouseButton button, const ModifierKeys& keys,
                           ClientPoint point);

// A mouse move. With a gesture running: pan (mode 2) or zoom (mode 3) of the window record's zoom unless
// the size dialog is open (the mouse's shown pixels taken back through the display transform, so the
// plan follows the mouse), otherwise the rubber band from the press point follows the mouse (a
// rectangle for the zoom-to-area drag). Without a gesture and with no
// dialog open (editMode 0) the status bar shows how to pan and zoom.
GestureEffect OnMouseMove(PlanViewState& view, ClientPoint point, int editMode);

// A release of the button that started the running gesture ends it: the rubber band is erased, the
// capture released and the release reported. A Shift+Ctrl click with no dialog open restores the zoom
// and the display. The zoom-to-area drag reports its rectangle instead and disarms its tool.
// A release of the other button, or without a gesture, does nothing.
GestureEffect OnButtonUp(PlanViewState& view, MouseButton button, ClientPoint point, int editMode);

// Ends the running gesture without a release (erasing its rubber band); nothing when none runs.
GestureEffect CancelGesture(PlanViewState& view);

// The window's zoom back to no pan and magnification 1.
void RestoreZoom(CDisplay& zoom);

// The display after a zoom-to-area drag between two shown points in a width × height window: the
// rectangle fitted into the window, or for a click (under 3 px) one zoom step in about the point.
DisplayTransform DisplayAfterZoomArea(const DisplayTransform& current, ClientPoint a, ClientPoint b,
                                      int width, int height);

}  // namespace kelmora
