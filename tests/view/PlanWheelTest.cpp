#include "view/PlanWheel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

TEST(PlanWheel, CtrlZoomsTheDisplayTheWheelAloneScrollsItNeitherDuringAGesture) {
    PlanViewState view;
    ApplyDefaultTransforms(view.viewData);
    const CKelmoraViewData record = view.viewData;
    EXPECT_EQ(OnWheel(view, 1.0, 0.0, {200, 100}, ModifierKeys{false, true, false}).redrawHint, 5);
    EXPECT_DOUBLE_EQ(view.display.scale, kDisplayZoomStep);
    const CVertex2D under = StoredFromShown(view.display, {200, 100});
    EXPECT_NEAR(under.x, 200.0, 1e-9) << "about the mouse";
    EXPECT_NEAR(under.y, 100.0, 1e-9);
    OnWheel(view, -0.5, 0.0, {200, 100}, ModifierKeys{false, true, false});
    EXPECT_NEAR(view.display.scale, std::sqrt(kDisplayZoomStep), 1e-12) << "half a notch of a touchpad";

    const DisplayTransform zoomed = view.display;
    OnWheel(view, 1.0, 0.0, {200, 100}, ModifierKeys{});
    EXPECT_EQ(view.display.offset, (zoomed.offset + CVertex2D{0.0, kWheelScrollPx}))
        << "up shows what is above";
    OnWheel(view, -2.0, 0.0, {200, 100}, ModifierKeys{true, false, false});
    EXPECT_EQ(view.display.offset, (zoomed.offset + CVertex2D{-2 * kWheelScrollPx, kWheelScrollPx}));
    EXPECT_EQ(view.viewData, record) << "the wheel never moves the record";

    view.dragMode = kPanGesture;
    EXPECT_EQ(OnWheel(view, 1.0, 0.0, {0, 0}, ModifierKeys{false, true, false}).redrawHint, 0);
}

}  // namespace
}  // namespace kelmora
