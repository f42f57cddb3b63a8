#pragma once
// What the plan's click handling needs from its window besides the editor: drawing marks straight on
// the screen, repainting from the layers, a message box, and the two small offset dialogs of a snapped
// click.
#include <optional>
#include <string>

#include "geometry/Vector.h"
#include "view/DisplayList.h"

namespace kelmora {

// "線上点オフセット": one distance [m] ≥ 0 from the near end of the snapped line (control 1024
// "線の近接端点からの距離"); cancelling keeps the nearest point and is the default button, as the dialog
// tells ("線の近接点で良い場合は" / "[キャンセル]をクリックしてください").
inline constexpr const char* kOffsetLengthCaption = "線上点オフセット";
inline constexpr int kOffsetLengthId = 1024;
// "オフセット": an X and a Y [m] added to the snapped corner (controls 1006 and 1014 under
// "近接点に加えるオフセット値").
inline constexpr const char* kOffsetXYCaption = "オフセット";
inline constexpr int kOffsetXId = 1006;
inline constexpr int kOffsetYId = 1014;

class PlanPickingHost {
public:
    virtual ~PlanPickingHost() = default;

    // Draws the primitives on the window at once, over what it shows (inverting marks, a label). They
    // are not part of the layers and vanish with the next repaint.
    virtual void DrawOnScreen(const DisplayLayer& primitives) = 0;
    // Repaints the window from its layers at once, removing every mark.
    virtual void RepaintNow() = 0;
    // A plain message box.
    virtual void ShowMessage(const std::string& text) = 0;
    // The modal "線上点オフセット" dialog (initially 0): the distance on OK, nothing on cancel.
    virtual std::optional<double> AskOffsetLength() = 0;
    // The modal "オフセット" dialog (initially 0, 0): the offset on OK, nothing on cancel.
    virtual std::optional<CVertex2D> AskOffsetXY() = 0;
};

}  // namespace kelmora
