#include "view/PlanScene.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "view/EditedItems.h"
#include "view/ImportPreview.h"
#include "view/PlanObjects.h"
#include "view/ViewTransform.h"

namespace kelmora {

namespace {

bool IsIndex(int slot, std::size_t i) {
    return slot >= 0 && static_cast<std::size_t>(slot) == i;
}

void DrawBackground(DisplayLayer& layer, const PlanSceneInputs& in) {
    layer.push_back(FillPrimitive{kPlanBackgroundColour});
    if (!in.hasPicture) return;
    // The picture follows the zoom and pan only: its top-left corner at the zoom origin.
    const CDisplay& zoom = in.viewData.zoom;
    const double m = EffectiveMagnification(zoom);
    layer.push_back(PicturePrimitive{zoom.origin.x, zoom.origin.y, m * in.viewData.imageWidth,
                                     m * in.viewData.imageHeight});
}

void DrawBaseGroundLines(DisplayLayer& layer, const PlanSceneInputs& in, const CNoise& model) {
    const int mode = in.edit.editMode;
    for (std::size_t i = 0; i < model.groundLines.size(); ++i) {
        // The ground line under its editor goes to the overlay with its walls.
        if (IsEditorMode(mode, kGroundLineAddMode) && IsIndex(in.edit.currentGroundLine, i)) continue;
        const CGroundLine& line = model.groundLines[i];
        DrawGroundLine(layer, in.viewData, line, DrawStyle::Normal);
        for (const CWall& wall : line.walls)
            DrawWall(layer, in.viewData, line, wall, DrawStyle::Normal);
    }
}

void DrawBaseRoom(DisplayLayer& layer, const PlanSceneInputs& in, const CRoom& room, bool isCurrentRoom) {
    const EditState& edit = in.edit;
    DrawRoomOutline(layer, in.viewData, room, DrawStyle::Normal);
    // The opening that the innermost opening editor is editing is drawn by the overlay.
    const bool skipEditedOpening = isCurrentRoom && IsEditorMode(edit.editMode, kOpeningAddMode) &&
                                   !edit.openingLevels.empty() && edit.openingLevels.back() >= 0;
    DrawOpeningTrees(layer, in.viewData, room.openings, 1, DrawStyle::Normal,
                     skipEditedOpening ? &edit.openingLevels : nullptr);
    for (std::size_t s = 0; s < room.sources.size(); ++s) {
        if (isCurrentRoom && IsEditorMode(edit.editMode, kRoomSourceAddMode) &&
            IsIndex(edit.currentRoomSource, s))
            continue;
        DrawSource(layer, in.viewData, room.sources[s], SourceMark::Hollow);
    }
}

void DrawBaseBuildings(DisplayLayer& layer, const PlanSceneInputs& in, const CNoise& model) {
    const EditState& edit = in.edit;
    const int mode = edit.editMode;
    for (std::size_t b = 0; b < model.buildings.size(); ++b) {
        const bool isCurrent = IsIndex(edit.currentBuilding, b);
        if (isCurrent && IsEditorMode(mode, kBuildingAddMode)) continue;
        const CBuilding& building = model.buildings[b];
        for (std::size_t i = 0; i < building.roofs.size(); ++i) {
            if (isCurrent && IsEditorMode(mode, kRoofAddMode) && IsIndex(edit.currentRoof, i)) continue;
            DrawRoof(layer, in.viewData, building.roofs[i].face, DrawStyle::Normal);
        }
        for (std::size_t i = 0; i < building.walls.size(); ++i) {
            if (isCurrent && IsEditorMode(mode, kExteriorWallAddMode) && IsIndex(edit.currentExteriorWall, i))
                continue;
            DrawExteriorWall(layer, in.viewData, building.walls[i], DrawStyle::Normal);
        }
        for (std::size_t i = 0; i < building.rooms.size(); ++i) {
            const bool isCurrentRoom = isCurrent && IsIndex(edit.currentRoom, i);
            if (isCurrentRoom && IsEditorMode(mode, kRoomAddMode)) continue;
            DrawBaseRoom(layer, in, building.rooms[i], isCurrentRoom);
        }
    }
}

// Every how many grid points along a direction a cross is drawn so that neighbouring crosses stay
// a cross's width apart on the plan; a fine grid would otherwise cover the plan in red.
double LeastCrossSpacing(DrawStyle style) {
    return style == DrawStyle::Highlight ? 16.0 : 12.0;  // px: the crosses are 15 and 11 px wide
}

int CrossStep(const CKelmoraViewData& v, const CVector3D& a, const CVector3D& b, DrawStyle style) {
    const CVertex2D p = ModelToClient(v, a);
    const CVertex2D q = ModelToClient(v, b);
    const double spacing = std::hypot(q.x - p.x, q.y - p.y);
    if (!(spacing > 0.0)) return std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(std::ceil(LeastCrossSpacing(style) / spacing), 1.0, 1e9));
}

void DrawGridCrosses(DisplayLayer& layer, const PlanSceneInputs& in, const CCalcInfo& calc, DrawStyle style) {
    const std::span<const CPredictivePoint> points = calc.PredictionPoints();
    const long long rows = static_cast<long long>(calc.rowDivisions) + 1;
    const long long columns = static_cast<long long>(calc.columnDivisions) + 1;
    if (rows < 1 || columns < 1 || static_cast<long long>(points.size()) != rows * columns) {
        for (const CPredictivePoint& point : points)
            DrawPredictionPoint(layer, in.viewData, point, style);
        return;
    }
    const auto at = [rows](long long c, long long r) { return static_cast<std::size_t>(c * rows + r); };
    const int alongRow =
        columns > 1 ? CrossStep(in.viewData, points[at(0, 0)].position, points[at(1, 0)].position, style) : 1;
    const int alongColumn =
        rows > 1 ? CrossStep(in.viewData, points[at(0, 0)].position, points[at(0, 1)].position, style) : 1;
    for (long long c = 0; c < columns; c += alongRow)
        for (long long r = 0; r < rows; r += alongColumn)
            DrawPredictionPoint(layer, in.viewData, points[at(c, r)], style);
}

// The points a calculation computes: the single point, the list, or the generated grid (thinned out
// where it is finer than the crosses, and left out while a noise map shows its levels).
void DrawModelPredictionPoints(DisplayLayer& layer, const PlanSceneInputs& in, const CCalcInfo& calc) {
    if (calc.mode == kSinglePointMode || calc.mode == kPointListMode) {
        for (const CPredictivePoint& point : calc.PredictionPoints())
            DrawPredictionPoint(layer, in.viewData, point, DrawStyle::Normal);
        return;
    }
    if (in.gridCrosses) DrawGridCrosses(layer, in, calc, DrawStyle::Normal);
}

void DrawRoomWithContents(DisplayLayer& layer, const CKelmoraViewData& v, const CRoom& room, DrawStyle style,
                          SourceMark sourceMark) {
    DrawRoomOutline(layer, v, room, style);
    DrawOpeningTrees(layer, v, room.openings, 1, style);
    for (const CSound& source : room.sources)
        DrawSource(layer, v, source, sourceMark);
}

void DrawOverlayBuilding(DisplayLayer& layer, const PlanSceneInputs& in, const CBuilding& building) {
    // Under the building list and editor the whole building is the object under edit.
    const bool underEdit = in.edit.editMode >= kBuildingListMode && in.edit.editMode <= kBuildingChangeMode;
    const DrawStyle style = underEdit ? DrawStyle::Highlight : DrawStyle::Normal;
    for (const CRoof& roof : building.roofs)
        DrawRoof(layer, in.viewData, roof.face, style);
    for (const CBuildingWall& wall : building.walls)
        DrawExteriorWall(layer, in.viewData, wall, style);
    for (const CRoom& room : building.rooms)
        DrawRoomWithContents(layer, in.viewData, room, style,
                             underEdit ? SourceMark::Filled : SourceMark::Hollow);
}

void DrawOverlayOpenings(DisplayLayer& layer, const PlanSceneInputs& in, const CNoise& model) {
    const std::vector<const CWindow*> openings = OpeningsUnderEdit(model, in.edit);
    for (std::size_t k = 0; k < openings.size(); ++k)
        DrawOpening(layer, in.viewData, *openings[k], static_cast<int>(k) + 1, DrawStyle::Highlight);
    if (openings.empty()) return;
    // The innermost opening's own contents, whose depths count on from its level.
    DrawOpeningTrees(layer, in.viewData, openings.back()->containedOpenings,
                     static_cast<int>(openings.size()) + 1, DrawStyle::Normal);
}

void DrawDialogPredictionPoints(DisplayLayer& layer, const PlanSceneInputs& in, const CCalcInfo& calc) {
    if (calc.mode == kSinglePointMode) {
        DrawPredictionPoint(layer, in.viewData, calc.singlePoint, DrawStyle::Highlight);
        return;
    }
    if (calc.mode == kPointListMode) {
        for (std::size_t i = 0; i < calc.pointList.size(); ++i) {
            const bool selected = IsIndex(in.edit.selectedPointIndex, i);
            DrawPredictionPoint(layer, in.viewData, calc.pointList[i],
                                selected ? DrawStyle::Highlight : DrawStyle::Normal);
        }
        return;
    }
    DrawGridCrosses(layer, in, calc, DrawStyle::Highlight);
}

}  // namespace

const CNoise& ModelToDraw(const PlanSceneInputs& in) {
    return in.edit.editMode >= kGroundLineListMode ? in.workingCopy : in.model;
}

DisplayLayer DrawBase(const PlanSceneInputs& in) {
    DisplayLayer layer;
    // While a calculation runs the layer keeps its old pixels and only the model is drawn over them.
    if (in.edit.editMode != kCalculationMode) DrawBackground(layer, in);
    if (in.mapBeneath != nullptr) layer.insert(layer.end(), in.mapBeneath->begin(), in.mapBeneath->end());
    const CNoise& model = ModelToDraw(in);
    DrawBaseGroundLines(layer, in, model);
    DrawBaseBuildings(layer, in, model);
    for (std::size_t i = 0; i < model.outdoorSources.size(); ++i) {
        if (IsEditorMode(in.edit.editMode, kOutdoorSourceAddMode) && IsIndex(in.edit.currentOutdoorSource, i))
            continue;
        DrawSource(layer, in.viewData, model.outdoorSources[i], SourceMark::Hollow);
    }
    if (in.edit.editMode != kPredictionMode) DrawModelPredictionPoints(layer, in, model.calcInfo);
    if (in.labels.any()) DrawPlanLabels(layer, in.viewData, model, in.labels);
    if (in.cornerLabels) DrawCornerLabels(layer, in.viewData);
    if (in.mapAbove != nullptr) layer.insert(layer.end(), in.mapAbove->begin(), in.mapAbove->end());
    return layer;
}

DisplayLayer DrawOverlay(const PlanSceneInputs& in) {
    DisplayLayer layer;
    // The objects an import would add, drawn before it is committed.
    if (in.importPreview != nullptr) layer = DrawImportPreview(*in.importPreview, in.viewData);
    if (in.edit.editMode < kGroundLineListMode) return layer;
    const CNoise& model = ModelToDraw(in);
    const CKelmoraViewData& v = in.viewData;

    if (const CGroundLine* line = CurrentGroundLine(model, in.edit)) {
        DrawGroundLine(layer, v, *line, DrawStyle::Highlight);
        for (const CWall& wall : line->walls)
            DrawWall(layer, v, *line, wall, DrawStyle::Normal);
        if (const CWall* wall = CurrentWall(model, in.edit))
            DrawWall(layer, v, *line, *wall, DrawStyle::Highlight);
    }
    if (const CBuilding* building = CurrentBuilding(model, in.edit))
        DrawOverlayBuilding(layer, in, *building);
    if (const CRoof* roof = CurrentRoof(model, in.edit)) DrawRoof(layer, v, roof->face, DrawStyle::Highlight);
    if (const CBuildingWall* wall = CurrentExteriorWall(model, in.edit))
        DrawExteriorWall(layer, v, *wall, DrawStyle::Highlight);
    if (const CRoom* room = CurrentRoom(model, in.edit)) {
        DrawRoomOutline(layer, v, *room, DrawStyle::Highlight);
        DrawOpeningTrees(layer, v, room->openings, 1, DrawStyle::Normal);
        for (const CSound& source : room->sources)
            DrawSource(layer, v, source, SourceMark::Hollow);
    }
    DrawOverlayOpenings(layer, in, model);
    if (const CSound* source = CurrentRoomSource(model, in.edit))
        DrawSource(layer, v, *source, SourceMark::Filled);
    if (const CSound* source = CurrentOutdoorSource(model, in.edit))
        DrawSource(layer, v, *source, SourceMark::Filled);
    if (in.edit.editMode == kPredictionMode) DrawDialogPredictionPoints(layer, in, model.calcInfo);
    return layer;
}

HintEffect EffectOfHint(int hint) {
    switch (hint) {
        case 0:
            return {false, false, ComposeStep::None, true};
        case 1:
        case 2:
            return {false, true, ComposeStep::None, false};
        case 3:
            return {false, false, ComposeStep::CopyPictureArea, true};
        case 4:
            return {false, false, ComposeStep::CopyBaseAndOverlay, true};
        case 5:
            return {false, true, ComposeStep::CopyBaseAndOverlay, true};
        case 6:
            return {true, true, ComposeStep::CopyBaseAndOverlay, true};
        default:
            return {};
    }
}

HintEffect UpdateLayers(PlanDisplayList& layers, int hint, const PlanSceneInputs& in) {
    const HintEffect effect = EffectOfHint(hint);
    if (effect.redrawBase) layers.base = DrawBase(in);
    if (effect.compose == ComposeStep::CopyBaseAndOverlay) layers.overlay = DrawOverlay(in);
    return effect;
}

}  // namespace kelmora
