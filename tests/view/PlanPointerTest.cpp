#include <gtest/gtest.h>

#include <set>

#include "view/InvertedLines.h"
#include "view/PlanPointer.h"
#include "view/PlanTestModel.h"
#include "view/ViewTransform.h"

namespace kelmora {
namespace {

using Line = plantest::InvertedLine;

TEST(PlanPointer, PickingModesAreTheDialogsThatTakeCoordinates) {
    const std::set<int> picking{2, 4, 5, 7, 8, 13, 14, 16, 17, 19, 20, 22, 23, 25, 26, 28, 29, 30};
    for (int mode = -1; mode <= 31; ++mode)
        EXPECT_EQ(IsPickingMode(mode), picking.contains(mode)) << mode;
    const std::set<int> preview{4, 5, 16, 17, 19, 20};
    for (int mode = -1; mode <= 31; ++mode)
        EXPECT_EQ(DrawsPreviewLine(mode), preview.contains(mode)) << mode;
    EXPECT_TRUE(OpensEditMenu(0));
    EXPECT_FALSE(OpensEditMenu(13));
}

TEST(PlanPointer, RightPressOutsidePickingModesEndsTheRunningGesture) {
    PlanViewState view;
    OnButtonDown(view, MouseButton::Left, {true, false, false}, {10, 10});  // a pan
    ASSERT_EQ(view.dragMode, kPanGesture);
    // In the roof list (no picking) the right press ends the pan and starts nothing.
    const GestureEffect ended = OnRightButtonDown(view, {}, {20, 20}, kRoofListMode);
    EXPECT_TRUE(ended.releaseMouse);
    EXPECT_EQ(view.dragMode, kNoGesture);
    // In the roof editor a Ctrl+right press starts the corner-snap gesture of side A's end.
    const GestureEffect started = OnRightButtonDown(view, {false, true, false}, {20, 20}, kRoofAddMode);
    EXPECT_TRUE(started.captureMouse);
    EXPECT_EQ(view.dragMode, 11);
}

TEST(PlanPointer, PreviewLineRunsFromTheLastVertexToTheMouse) {
    CNoise model = plantest::SmallSite();
    EditState edit;
    edit.editMode = kExteriorWallChangeMode;
    edit.currentBuilding = 0;
    edit.currentExteriorWall = 0;
    const auto tail = PolylineTail(model, edit);
    ASSERT_TRUE(tail);
    EXPECT_EQ(*tail, (CVector3D{30, 30, 0}));
    const CKelmoraViewData v = plantest::BlankWindow();
    const ClientPoint from = ModelToPixel(v, *tail);  // (150, 150)

    PlanViewState view;
    EXPECT_EQ(plantest::InvertedLines(OnPlanMouseMove(view, {200, 100}, edit.editMode, from)),
              (std::vector<Line>{{from, {200, 100}}}));
    // The next move erases the old line first.
    EXPECT_EQ(plantest::InvertedLines(OnPlanMouseMove(view, {210, 90}, edit.editMode, from)),
              (std::vector<Line>{{from, {200, 100}}, {from, {210, 90}}}));
    // After a repaint there is nothing left to erase.
    ScreenRepainted(view);
    EXPECT_EQ(plantest::InvertedLines(OnPlanMouseMove(view, {220, 80}, edit.editMode, from)),
              (std::vector<Line>{{from, {220, 80}}}));
    // The press of the next click erases it.
    EXPECT_EQ(plantest::InvertedLines(OnButtonDown(view, MouseButton::Left, {}, {220, 80})),
              (std::vector<Line>{{from, {220, 80}}}));
}

TEST(PlanPointer, NoPreviewWithoutAVertexOrOutsideThePolylineEditors) {
    CNoise model = plantest::SmallSite();
    EditState edit;
    edit.editMode = kRoomAddMode;
    edit.currentBuilding = 0;
    edit.currentRoom = 0;
    EXPECT_EQ(PolylineTail(model, edit), (CVector3D{32, 28, 0}));
    model.buildings[0].rooms[0].outline.vertices.clear();
    EXPECT_EQ(PolylineTail(model, edit), std::nullopt);
    edit.editMode = kGroundLineAddMode;
    edit.currentGroundLine = 1;
    EXPECT_EQ(PolylineTail(model, edit), (CVector3D{10, 40, 0}));
    edit.editMode = kRoofAddMode;
    EXPECT_EQ(PolylineTail(model, edit), std::nullopt);

    PlanViewState view;
    EXPECT_TRUE(OnPlanMouseMove(view, {5, 5}, kGroundLineAddMode, std::nullopt).screenInversions.empty());
    // With no dialog open a move only shows how to pan and zoom.
    const GestureEffect idle = OnPlanMouseMove(view, {5, 5}, kIdleMode, ClientPoint{0, 0});
    EXPECT_TRUE(idle.screenInversions.empty());
    EXPECT_NE(idle.statusText, nullptr);
}

}  // namespace
}  // namespace kelmora
