#pragma once
// The plan's pointer between and around gestures: in which edit modes the plan picks coordinates
// (cross-hair cursor, right-button gestures), the right-button press outside them, the edit menu, and
// the preview line from the last vertex of a polyline under edit to the mouse.
#include <optional>

#include "model/Noise.h"
#include "view/EditState.h"
#include "view/PlanGestures.h"

namespace kelmora {

// The modes whose dialog takes coordinates from the plan: the size dialog, the editors of ground
// lines, walls, roofs, exterior walls, rooms, openings, room sources and outdoor sources, and the
// prediction dialog.
bool IsPickingMode(int editMode);

// The modes that show the preview line: the editors of ground lines, exterior walls and rooms.
bool DrawsPreviewLine(int editMode);

// A right-button press: in a picking mode it starts a gesture; in any other mode it ends whatever
// gesture runs (releasing the capture) and starts none.
GestureEffect OnRightButtonDown(PlanViewState& view, const ModifierKeys& keys, ClientPoint point,
                                int editMode);

// True when a right-button release opens the edit menu ("編集(&E)") at the cursor: with no dialog open.
bool OpensEditMenu(int editMode);

// The last vertex of the polyline under edit in a preview mode: the current ground line's polyline,
// the current exterior wall's polyline or the current room's outline. Empty in other modes and while
// that polyline has no vertex.
std::optional<CVector3D> PolylineTail(const CNoise& model, const EditState& edit);

// A mouse move. With a gesture running, or in a mode without a preview line, it is the gesture
// handler's move. Otherwise the preview line from the client position of `tail` to the mouse replaces
// the previous one (dragStart and dragLast hold its ends); without a tail only the previous line goes.
GestureEffect OnPlanMouseMove(PlanViewState& view, ClientPoint point, int editMode,
                              const std::optional<ClientPoint>& tail);

// After the window repainted from its layers: no rubber band or preview line stands on the screen any
// more, so the next move must not invert one away.
void ScreenRepainted(PlanViewState& view);

}  // namespace kelmora
