#pragma once
// What a click or a drag on the plan does while an editor dialog is open: which model coordinates go
// into which of its fields, whether the click snaps to the building under edit, and whether the
// dialog's "追加" is pressed afterwards.
#include <functional>
#include <string>

#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/EditState.h"
#include "view/EditorPort.h"
#include "view/PickingHost.h"
#include "view/PlanGestures.h"

namespace kelmora {

// Control identifiers of the editors' fields and buttons that clicks fill and press.
inline constexpr int kAddButtonId = 1004;  // "追加"
inline constexpr int kPointXId = 1006;     // X of a vertex, a source or a prediction point
inline constexpr int kPointYId = 1014;     // Y
inline constexpr int kRectX1Id = 1016;     // roof and opening editors: side A start, also X of
inline constexpr int kRectY1Id = 1044;     //   exterior-wall / room vertices and room sources
inline constexpr int kRectX2Id = 1056;     // side A end
inline constexpr int kRectY2Id = 1024;
inline constexpr int kRectX3Id = 1058;  // a point on the opposite side
inline constexpr int kRectY3Id = 1028;
inline constexpr int kWallRangeStartId = 1010;  // wall editor: range along the ground line [m]
inline constexpr int kWallRangeEndId = 1018;
inline constexpr int kGridLineStartXId = 1007;  // prediction dialog: the vertical grid's plan line
inline constexpr int kGridLineStartYId = 1015;
inline constexpr int kGridLineEndXId = 1009;
inline constexpr int kGridLineEndYId = 1016;

inline constexpr int kClickMarkRadiusPx = 3;
inline constexpr ClientPoint kClickedPositionLabelAt{0, 17};

enum class ClickKind {
    None,
    Point,                  // the clicked model point into the X and Y fields
    EdgeSnap,               // the nearest point on an edge of the building under edit, with an offset
    CornerSnap,             // the nearest corner of the building under edit, with an offset
    LengthAlongGroundLine,  // the arc length of the clicked point along the current ground line
    PredictionPoint,        // a prediction point, with the ground height below it shown
    ClientPosition,         // the clicked client pixel (size dialog)
};

struct ClickAction {
    ClickKind kind = ClickKind::None;
    int xControl = 0;  // the X field, or the one field of a length or a position's X
    int yControl = 0;
    bool pressAdd = false;  // press "追加" after writing

    friend bool operator==(const ClickAction&, const ClickAction&) = default;
};

// The action of a click of the gesture `dragMode` in the dialog of `editMode`.
ClickAction ClickActionFor(int editMode, int dragMode);

enum class DragKind {
    None,
    OnScreenLength,    // size dialog: the drag's length in pixels
    VerticalGridLine,  // prediction dialog: the plan line of the vertical grid
};

// The action of a drag (3 pixels or more); only plain left drags act.
DragKind DragActionFor(int editMode, int dragMode);

// A coordinate [m] as the dialogs' fields take it: "%.3f".
std::string CoordinateText(double metres);

// The arc length [m] along the line up to the plan point p: on the first segment that holds p in plan
// (p ahead of its start and no farther from it than its end), the length of the line up to that
// segment plus the part of the segment up to p. The line's heights count in the lengths, so the result
// is on the same measure as a wall's range, whatever the ground's elevation. 0 when no segment holds p.
double LengthAlongGroundLine(const CPolyline& line, const CVertex2D& p);

// Everything a click acts on.
struct PlanEditContext {
    const CNoise& model;  // the model under edit (the working copy)
    const EditState& edit;
    // The view data the window draws with (ShownViewData): clicks, marks and the snapping reach are in
    // shown pixels.
    const CKelmoraViewData& viewData;
    EditorPort& editor;
    PlanPickingHost& host;
    // The ground height [m] of the stored model below a plan point.
    std::function<double(const CVector3D&)> groundHeightAt;
    // The window's display transform: the size dialog's on-screen lengths and positions are those of the
    // window record, so its values are taken back to stored client pixels through it.
    DisplayTransform display{};
};

// Acts on a gesture that its button's release ended: the click actions and drag actions of the open
// dialog. Marks are drawn on the screen, snaps that find nothing within reach say so and change no
// field.
void ActOnGestureEnd(const GestureRelease& release, const PlanEditContext& ctx);

}  // namespace kelmora
