#include "view/PlanWheel.h"

#include <gtest/gtest.h>

#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

TEST(PlanWheel, ZoomsLikeACtrlDragAboutThePointUnderTheMouse) {
    PlanViewState view;
    ApplyDefaultTransforms(view.viewData);
    const ClientPoint at{200, 100};
    const CVector3D under = ClientToModel(view.viewData, ToVertex(at));
    EXPECT_EQ(OnWheel(view, 1, at, 0).redrawHint, 5);
    // Ten steps of 1 %, each rounded to a thousandth.
    EXPECT_GT(view.viewData.zoom.magnification, 1.1);
    EXPECT_LT(view.viewData.zoom.magnification, 1.11);
    const CVector3D still = ClientToModel(view.viewData, ToVertex(at));
    EXPECT_NEAR(still.x, under.x, 1e-9);
    EXPECT_NEAR(still.y, under.y, 1e-9);

    for (int i = 0; i < 30; ++i)
        OnWheel(view, -1, at, 0);
    EXPECT_DOUBLE_EQ(view.viewData.zoom.magnification, 0.05) << "zooming out stops where the drag stops";
    EXPECT_EQ(OnWheel(view, -1, at, 0).redrawHint, 0);

    // Not while the size dialog measures the screen, nor during a gesture.
    EXPECT_EQ(OnWheel(view, 1, at, kSizeDialogEditMode).redrawHint, 0);
    view.dragMode = kPanGesture;
    EXPECT_EQ(OnWheel(view, 1, at, 0).redrawHint, 0);
    EXPECT_DOUBLE_EQ(view.viewData.zoom.magnification, 0.05);
}

}  // namespace
}  // namespace kelmora
