#include "view/ClickActions.h"

#include <cstdio>

#include "geometry/VectorOps.h"
#include "view/EditedItems.h"
#include "view/SizeDialog.h"
#include "view/Snapping.h"
#include "view/TextInfo.h"
#include "view/ViewTransform.h"

namespace kelmora {

namespace {

// Gesture codes of the clicks that editors act on.
constexpr int kLeft = 1;
constexpr int kShiftLeft = 2;
constexpr int kCtrlLeft = 3;
constexpr int kAltLeft = 4;
constexpr int kAltShiftLeft = 6;
constexpr int kAltCtrlLeft = 7;
constexpr int kRight = 9;
constexpr int kShiftRight = 10;
constexpr int kCtrlRight = 11;

// Plain, Shift and Ctrl clicks of one field pair: the point itself, the edge snap and the corner snap.
ClickAction PointOrSnap(int dragMode, int plain, int shift, int ctrl, int xId, int yId, bool pressAdd) {
    if (dragMode == plain) return {ClickKind::Point, xId, yId, pressAdd};
    if (dragMode == shift) return {ClickKind::EdgeSnap, xId, yId, pressAdd};
    if (dragMode == ctrl) return {ClickKind::CornerSnap, xId, yId, pressAdd};
    return {};
}

std::string IntegerText(long long v) {
    return std::to_string(v);
}

void DrawMark(PlanPickingHost& host, ClientPoint at) {
    host.DrawOnScreen({InvertedCircle(at, kClickMarkRadiusPx)});
}

void WritePoint(const PlanEditContext& ctx, const ClickAction& action, const CVertex2D& p) {
    ctx.editor.SetControlText(action.xControl, CoordinateText(p.x));
    ctx.editor.SetControlText(action.yControl, CoordinateText(p.y));
    if (action.pressAdd) ctx.editor.PressButton(kAddButtonId);
}

ClientPoint PixelOf(const PlanEditContext& ctx, const CVertex2D& p) {
    return ModelToPixel(ctx.viewData, {p.x, p.y, 0.0});
}

// A snapped point: marked while the offset dialog asks; with an offset the mark moves to the result.
template <typename Ask, typename Apply>
void FinishSnap(const PlanEditContext& ctx, const ClickAction& action, const CVertex2D& snapped, Ask ask,
                Apply apply) {
    const ClientPoint mark = PixelOf(ctx, snapped);
    DrawMark(ctx.host, mark);
    CVertex2D result = snapped;
    if (const auto offset = ask()) {
        DrawMark(ctx.host, mark);  // inverting again erases it
        result = apply(*offset);
        DrawMark(ctx.host, PixelOf(ctx, result));
    }
    WritePoint(ctx, action, result);
}

void CornerSnapClick(const PlanEditContext& ctx, const ClickAction& action, ClientPoint click,
                     const CVertex2D& p) {
    const CBuilding* building = CurrentBuilding(ctx.model, ctx.edit);
    const auto corner = building ? NearestCorner(*building, p) : std::nullopt;
    if (!corner || !WithinSnapRadius(ctx.viewData, *corner, click)) {
        ctx.host.ShowMessage(kNoNearbyCornerMessage);
        return;
    }
    FinishSnap(
        ctx, action, *corner, [&] { return ctx.host.AskOffsetXY(); },
        [&](const CVertex2D& offset) { return *corner + offset; });
}

void EdgeSnapClick(const PlanEditContext& ctx, const ClickAction& action, ClientPoint click,
                   const CVertex2D& p) {
    const CBuilding* building = CurrentBuilding(ctx.model, ctx.edit);
    const auto edge = building ? NearestEdgePoint(*building, p) : std::nullopt;
    if (!edge || !WithinSnapRadius(ctx.viewData, edge->point, click)) {
        ctx.host.ShowMessage(kNoNearbyLineMessage);
        return;
    }
    FinishSnap(
        ctx, action, edge->point, [&] { return ctx.host.AskOffsetLength(); },
        [&](double distance) { return PointAlongEdge(*edge, distance); });
}

void PredictionPointClick(const PlanEditContext& ctx, ClientPoint click, const CVector3D& p) {
    ctx.host.RepaintNow();
    ctx.editor.SetControlText(kPointXId, CoordinateText(p.x));
    ctx.editor.SetControlText(kPointYId, CoordinateText(p.y));
    const double z = ctx.groundHeightAt ? ctx.groundHeightAt(p) : 0.0;
    char text[160];
    std::snprintf(text, sizeof text, "(%.3fm, %.3fm, %.3fm)", p.x, p.y, z);
    DisplayLayer label;
    CTextInfo{}.Draw(label, kClickedPositionLabelAt, text);
    ctx.host.DrawOnScreen(label);
    DrawMark(ctx.host, click);
    if (ctx.editor.IsButtonEnabled(kAddButtonId)) ctx.editor.PressButton(kAddButtonId);
}

void ActOnClick(const PlanEditContext& ctx, const ClickAction& action, ClientPoint click) {
    const CVector3D p = ClientToModel(ctx.viewData, ToVertex(click));
    switch (action.kind) {
        case ClickKind::None:
            return;
        case ClickKind::Point:
            DrawMark(ctx.host, click);
            WritePoint(ctx, action, Plan(p));
            return;
        case ClickKind::LengthAlongGroundLine: {
            DrawMark(ctx.host, click);
            if (const CGroundLine* line = CurrentGroundLine(ctx.model, ctx.edit))
                ctx.editor.SetControlText(action.xControl,
                                          CoordinateText(LengthAlongGroundLine(line->polyline, Plan(p))));
            return;
        }
        case ClickKind::EdgeSnap:
            EdgeSnapClick(ctx, action, click, Plan(p));
            return;
        case ClickKind::CornerSnap:
            CornerSnapClick(ctx, action, click, Plan(p));
            return;
        case ClickKind::PredictionPoint:
            PredictionPointClick(ctx, click, p);
            return;
        case ClickKind::ClientPosition: {
            DrawMark(ctx.host, click);
            const ClientPoint stored = StoredPixelFromShown(ctx.display, click);
            ctx.editor.SetControlText(action.xControl, IntegerText(stored.x));
            ctx.editor.SetControlText(action.yControl, IntegerText(stored.y));
            return;
        }
    }
}

void ActOnDrag(const PlanEditContext& ctx, DragKind kind, ClientPoint start, ClientPoint end) {
    switch (kind) {
        case DragKind::None:
            return;
        case DragKind::OnScreenLength:
            ctx.editor.SetControlText(kSizeOnScreenLengthId,
                                      IntegerText(DragLengthPx(start, end, ctx.display)));
            return;
        case DragKind::VerticalGridLine: {
            ctx.host.RepaintNow();
            const CVector3D a = ClientToModel(ctx.viewData, ToVertex(start));
            const CVector3D b = ClientToModel(ctx.viewData, ToVertex(end));
            ctx.editor.SetControlText(kGridLineStartXId, CoordinateText(a.x));
            ctx.editor.SetControlText(kGridLineStartYId, CoordinateText(a.y));
            ctx.editor.SetControlText(kGridLineEndXId, CoordinateText(b.x));
            ctx.editor.SetControlText(kGridLineEndYId, CoordinateText(b.y));
            return;
        }
    }
}

}  // namespace

ClickAction ClickActionFor(int editMode, int dragMode) {
    if (IsEditorMode(editMode, kGroundLineAddMode)) {
        if (dragMode == kLeft) return {ClickKind::Point, kPointXId, kPointYId, true};
        return {};
    }
    if (IsEditorMode(editMode, kWallAddMode)) {
        if (dragMode == kLeft) return {ClickKind::LengthAlongGroundLine, kWallRangeStartId, 0, false};
        if (dragMode == kRight) return {ClickKind::LengthAlongGroundLine, kWallRangeEndId, 0, false};
        return {};
    }
    if (IsEditorMode(editMode, kRoofAddMode) || IsEditorMode(editMode, kOpeningAddMode)) {
        // Left: side A's start; Alt+left: a point of the opposite side; right: side A's end.
        if (dragMode <= kCtrlLeft)
            return PointOrSnap(dragMode, kLeft, kShiftLeft, kCtrlLeft, kRectX1Id, kRectY1Id, false);
        if (dragMode <= kAltCtrlLeft)
            return PointOrSnap(dragMode, kAltLeft, kAltShiftLeft, kAltCtrlLeft, kRectX3Id, kRectY3Id, false);
        return PointOrSnap(dragMode, kRight, kShiftRight, kCtrlRight, kRectX2Id, kRectY2Id, false);
    }
    if (IsEditorMode(editMode, kExteriorWallAddMode) || IsEditorMode(editMode, kRoomAddMode))
        return PointOrSnap(dragMode, kLeft, kShiftLeft, kCtrlLeft, kRectX1Id, kRectY1Id, true);
    if (IsEditorMode(editMode, kRoomSourceAddMode))
        return PointOrSnap(dragMode, kLeft, kShiftLeft, kCtrlLeft, kRectX1Id, kRectY1Id, false);
    if (IsEditorMode(editMode, kOutdoorSourceAddMode)) {
        if (dragMode == kLeft) return {ClickKind::Point, kRectX1Id, kRectY1Id, false};
        return {};
    }
    if (editMode == kPredictionMode && dragMode == kLeft)
        return {ClickKind::PredictionPoint, kPointXId, kPointYId, true};
    if (editMode == kSizeChangeMode && dragMode == kRight)
        return {ClickKind::ClientPosition, kSizePositionXId, kSizePositionYId, false};
    return {};
}

DragKind DragActionFor(int editMode, int dragMode) {
    if (dragMode != kLeft) return DragKind::None;
    if (editMode == kSizeChangeMode) return DragKind::OnScreenLength;
    if (editMode == kPredictionMode) return DragKind::VerticalGridLine;
    return DragKind::None;
}

std::string CoordinateText(double metres) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", metres);
    return text;
}

double LengthAlongGroundLine(const CPolyline& line, const CVertex2D& p) {
    const auto& v = line.vertices;
    double length = 0.0;
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        const CVertex2D a = Plan(v[i]);
        const CVertex2D b = Plan(v[i + 1]);
        const double segmentPlan = Distance2D(a, b);
        const double segmentSpace = Distance(v[i], v[i + 1]);
        const double reach = Distance2D(a, p);
        if (Dot(p - a, b - a) >= 0.0 && segmentPlan >= reach) {
            // The clicked point lies at the ground line's own height on the segment.
            return length + (segmentPlan > 0.0 ? reach / segmentPlan * segmentSpace : 0.0);
        }
        length += segmentSpace;
    }
    return 0.0;
}

void ActOnGestureEnd(const GestureRelease& release, const PlanEditContext& ctx) {
    const int mode = ctx.edit.editMode;
    if (release.isClick) {
        ActOnClick(ctx, ClickActionFor(mode, release.dragMode), release.start);
    } else {
        ActOnDrag(ctx, DragActionFor(mode, release.dragMode), release.start, release.end);
    }
}

}  // namespace kelmora
