#include "view/PlanPointer.h"

#include "view/EditedItems.h"

namespace kelmora {

namespace {

const CPolyline* PolylineUnderEdit(const CNoise& model, const EditState& edit) {
    const int mode = edit.editMode;
    if (IsEditorMode(mode, kGroundLineAddMode)) {
        const CGroundLine* line = CurrentGroundLine(model, edit);
        return line ? &line->polyline : nullptr;
    }
    if (IsEditorMode(mode, kExteriorWallAddMode)) {
        const CBuildingWall* wall = CurrentExteriorWall(model, edit);
        return wall ? &wall->polyline : nullptr;
    }
    if (IsEditorMode(mode, kRoomAddMode)) {
        const CRoom* room = CurrentRoom(model, edit);
        return room ? &room->outline : nullptr;
    }
    return nullptr;
}

}  // namespace

bool IsPickingMode(int editMode) {
    if (editMode == kSizeChangeMode || editMode == kPredictionMode) return true;
    for (int addMode : {kGroundLineAddMode, kWallAddMode, kRoofAddMode, kExteriorWallAddMode, kRoomAddMode,
                        kOpeningAddMode, kRoomSourceAddMode, kOutdoorSourceAddMode}) {
        if (IsEditorMode(editMode, addMode)) return true;
    }
    return false;
}

bool DrawsPreviewLine(int editMode) {
    return IsEditorMode(editMode, kGroundLineAddMode) || IsEditorMode(editMode, kExteriorWallAddMode) ||
           IsEditorMode(editMode, kRoomAddMode);
}

GestureEffect OnRightButtonDown(PlanViewState& view, const ModifierKeys& keys, ClientPoint point,
                                int editMode) {
    if (IsPickingMode(editMode)) return OnButtonDown(view, MouseButton::Right, keys, point);
    return CancelGesture(view);
}

bool OpensEditMenu(int editMode) {
    return editMode == kIdleMode;
}

std::optional<CVector3D> PolylineTail(const CNoise& model, const EditState& edit) {
    const CPolyline* line = PolylineUnderEdit(model, edit);
    if (!line || line->vertices.empty()) return std::nullopt;
    return line->vertices.back();
}

GestureEffect OnPlanMouseMove(PlanViewState& view, ClientPoint point, int editMode,
                              const std::optional<ClientPoint>& tail) {
    if (view.dragMode != kNoGesture || !DrawsPreviewLine(editMode)) return OnMouseMove(view, point, editMode);
    GestureEffect effect;
    if (view.rubberBandShown) effect.screenInversions.push_back(InvertedLine(view.dragStart, view.dragLast));
    view.rubberBandShown = false;
    if (!tail) return effect;
    view.dragStart = *tail;
    view.dragLast = point;
    effect.screenInversions.push_back(InvertedLine(view.dragStart, view.dragLast));
    view.rubberBandShown = true;
    return effect;
}

void ScreenRepainted(PlanViewState& view) {
    view.rubberBandShown = false;
}

}  // namespace kelmora
