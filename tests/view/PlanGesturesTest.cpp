#include <gtest/gtest.h>

#include <variant>

#include "view/InvertedLines.h"
#include "view/PlanGestures.h"
#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

constexpr ModifierKeys kNone{};
constexpr ModifierKeys kShift{true, false, false};
constexpr ModifierKeys kCtrl{false, true, false};
constexpr ModifierKeys kShiftCtrl{true, true, false};

PlanViewState BlankView() {
    PlanViewState view;
    ApplyDefaultTransforms(view.viewData);
    return view;
}

TEST(PlanGestures, ButtonsAndKeysChooseTheGestureCode) {
    struct Case {
        bool shift, ctrl, alt;
        int left, right;
    };
    const Case cases[] = {
        {false, false, false, 1, 9}, {true, false, false, 2, 10}, {false, true, false, 3, 11},
        {true, true, false, 5, 13},  {false, false, true, 4, 12}, {true, false, true, 6, 14},
        {false, true, true, 7, 15},  {true, true, true, 8, 16},
    };
    for (const Case& c : cases) {
        const ModifierKeys keys{c.shift, c.ctrl, c.alt};
        EXPECT_EQ(DragModeFor(MouseButton::Left, keys), c.left);
        EXPECT_EQ(DragModeFor(MouseButton::Right, keys), c.right);
        EXPECT_EQ(KeysOfDragMode(c.left), (GestureKeys{MouseButton::Left, keys}));
        EXPECT_EQ(KeysOfDragMode(c.right), (GestureKeys{MouseButton::Right, keys}));
    }
    EXPECT_FALSE(KeysOfDragMode(0));
    EXPECT_FALSE(KeysOfDragMode(17));
}

TEST(PlanGestures, PanWaitsForMoreThanTenPixelsFromTheLastAppliedPoint) {
    PlanViewState view = BlankView();
    EXPECT_TRUE(OnButtonDown(view, MouseButton::Left, kShift, {100, 100}).captureMouse);
    EXPECT_EQ(view.dragMode, kPanGesture);
    for (ClientPoint p : {ClientPoint{108, 100}, ClientPoint{110, 100}, ClientPoint{106, 108}}) {
        const GestureEffect e = OnMouseMove(view, p, 0);
        EXPECT_EQ(e.redrawHint, 0);
        EXPECT_TRUE(e.screenInversions.empty());
    }
    EXPECT_EQ(view.viewData.zoom.origin, (CVertex2D{0, 0}));

    EXPECT_EQ(OnMouseMove(view, {111, 100}, 0).redrawHint, 5);
    EXPECT_EQ(view.viewData.zoom.origin, (CVertex2D{11, 0}));
    // Eight more pixels from the applied point: nothing yet; then 7 + 8 = 113 > 100.
    EXPECT_EQ(OnMouseMove(view, {119, 100}, 0).redrawHint, 0);
    EXPECT_EQ(OnMouseMove(view, {118, 108}, 0).redrawHint, 5);
    EXPECT_EQ(view.viewData.zoom.origin, (CVertex2D{18, 8}));

    const GestureEffect up = OnButtonUp(view, MouseButton::Left, {118, 108}, 0);
    EXPECT_TRUE(up.releaseMouse);
    EXPECT_TRUE(up.screenInversions.empty());  // a pan leaves no rubber band
    ASSERT_TRUE(up.ended);
    EXPECT_FALSE(up.ended->isClick);
    EXPECT_EQ(view.dragMode, kNoGesture);
}

TEST(PlanGestures, ZoomStepsAboutThePressPoint) {
    PlanViewState view = BlankView();
    OnButtonDown(view, MouseButton::Left, kCtrl, {200, 150});
    EXPECT_EQ(OnMouseMove(view, {230, 145}, 0).redrawHint, 0);  // 5 px up is not yet a step
    EXPECT_EQ(OnMouseMove(view, {240, 144}, 0).redrawHint, 5);
    EXPECT_EQ(view.viewData.zoom.magnification, 1.01);
    // The press point stays put: (200, 150) − 1.01·(200, 150).
    EXPECT_NEAR(view.viewData.zoom.origin.x, -2.0, 1e-12);
    EXPECT_NEAR(view.viewData.zoom.origin.y, -1.5, 1e-12);
    EXPECT_EQ(OnMouseMove(view, {240, 137}, 0).redrawHint, 5);
    EXPECT_EQ(view.viewData.zoom.magnification, 1.02);
    // Down again: 1.02 · 0.99 = 1.0098 → 1.01.
    EXPECT_EQ(OnMouseMove(view, {240, 144}, 0).redrawHint, 5);
    EXPECT_EQ(view.viewData.zoom.magnification, 1.01);
    const CVertex2D centre = ToScreen2D(view.viewData.zoom, {200, 150});
    EXPECT_NEAR(centre.x, 200.0, 1e-9);
    EXPECT_NEAR(centre.y, 150.0, 1e-9);
}

TEST(PlanGestures, OtherDragsFollowTheMouseWithARubberBand) {
    PlanViewState view = BlankView();
    OnButtonDown(view, MouseButton::Left, kNone, {10, 10});
    using Line = std::pair<ClientPoint, ClientPoint>;
    EXPECT_EQ(plantest::InvertedLines(OnMouseMove(view, {20, 10}, 4)),
              (std::vector<Line>{{{10, 10}, {20, 10}}}));
    EXPECT_EQ(plantest::InvertedLines(OnMouseMove(view, {30, 15}, 4)),
              (std::vector<Line>{{{10, 10}, {20, 10}}, {{10, 10}, {30, 15}}}));
    const GestureEffect up = OnButtonUp(view, MouseButton::Left, {31, 15}, 4);
    EXPECT_EQ(plantest::InvertedLines(up), (std::vector<Line>{{{10, 10}, {30, 15}}}));
    ASSERT_TRUE(up.ended);
    EXPECT_EQ(up.ended->dragMode, 1);
    EXPECT_EQ(up.ended->start, (ClientPoint{10, 10}));
    EXPECT_EQ(up.ended->end, (ClientPoint{31, 15}));
    EXPECT_FALSE(up.ended->isClick);
}

TEST(PlanGestures, SizeDialogTurnsPanAndZoomIntoMeasuringDrags) {
    for (ModifierKeys keys : {kShift, kCtrl}) {
        PlanViewState view = BlankView();
        OnButtonDown(view, MouseButton::Left, keys, {0, 0});
        const GestureEffect e = OnMouseMove(view, {0, 40}, kSizeDialogEditMode);
        EXPECT_EQ(e.redrawHint, 0);
        EXPECT_EQ(e.screenInversions.size(), 1u);
        EXPECT_EQ(view.viewData.zoom, BlankView().viewData.zoom);
    }
}

TEST(PlanGestures, ReleaseBelowThreePixelsIsAClick) {
    struct Case {
        ClientPoint release;
        bool click;
    };
    const Case cases[] = {{{50, 50}, true},  {{52, 50}, true},  {{52, 52}, true},
                          {{53, 50}, false}, {{50, 47}, false}, {{48, 52}, true}};
    for (const Case& c : cases) {
        PlanViewState view = BlankView();
        OnButtonDown(view, MouseButton::Right, kNone, {50, 50});
        OnMouseMove(view, c.release, 19);
        const GestureEffect up = OnButtonUp(view, MouseButton::Right, c.release, 19);
        ASSERT_TRUE(up.ended);
        EXPECT_EQ(up.ended->isClick, c.click) << c.release.x << "," << c.release.y;
        EXPECT_EQ(up.ended->dragMode, 9);
        EXPECT_EQ(up.ended->start, (ClientPoint{50, 50}));
    }
}

TEST(PlanGestures, ShiftCtrlClickRestoresTheZoomOnlyWithoutADialog) {
    struct Case {
        int editMode;
        ClientPoint release;
        bool restores;
    };
    const Case cases[] = {{0, {61, 41}, true}, {13, {61, 41}, false}, {0, {70, 40}, false}};
    for (const Case& c : cases) {
        PlanViewState view = BlankView();
        view.viewData.zoom.origin = {-120, 35};
        view.viewData.zoom.magnification = 1.72;
        OnButtonDown(view, MouseButton::Left, kShiftCtrl, {60, 40});
        const GestureEffect up = OnButtonUp(view, MouseButton::Left, c.release, c.editMode);
        EXPECT_EQ(up.redrawHint, c.restores ? 5 : 0);
        if (c.restores) {
            EXPECT_EQ(view.viewData.zoom, BlankView().viewData.zoom);
        } else {
            EXPECT_EQ(view.viewData.zoom.magnification, 1.72);
        }
    }
}

TEST(PlanGestures, OnlyTheStartingButtonEndsAGesture) {
    PlanViewState view = BlankView();
    OnButtonDown(view, MouseButton::Left, kNone, {5, 5});
    // A second press while the gesture runs is ignored.
    EXPECT_FALSE(OnButtonDown(view, MouseButton::Right, kShift, {9, 9}).captureMouse);
    EXPECT_EQ(view.dragMode, 1);
    EXPECT_FALSE(OnButtonUp(view, MouseButton::Right, {9, 9}, 0).ended);
    EXPECT_EQ(view.dragMode, 1);
    EXPECT_TRUE(OnButtonUp(view, MouseButton::Left, {5, 6}, 0).ended);
    EXPECT_FALSE(OnButtonUp(view, MouseButton::Left, {5, 6}, 0).ended);  // no gesture any more
}

TEST(PlanGestures, CancelErasesTheRubberBandAndFreesTheMouse) {
    PlanViewState view = BlankView();
    OnButtonDown(view, MouseButton::Right, kCtrl, {5, 5});
    OnMouseMove(view, {25, 5}, 16);
    const GestureEffect e = CancelGesture(view);
    EXPECT_TRUE(e.releaseMouse);
    EXPECT_EQ(plantest::InvertedLines(e).size(), 1u);
    EXPECT_EQ(view.dragMode, kNoGesture);
    EXPECT_FALSE(CancelGesture(view).releaseMouse);
}

TEST(PlanGestures, PressErasesAStandingPreviewLine) {
    PlanViewState view = BlankView();
    view.dragStart = {3, 4};
    view.dragLast = {40, 44};
    view.rubberBandShown = true;
    const GestureEffect e = OnButtonDown(view, MouseButton::Left, kNone, {41, 44});
    using Line = std::pair<ClientPoint, ClientPoint>;
    EXPECT_EQ(plantest::InvertedLines(e), (std::vector<Line>{{{3, 4}, {40, 44}}}));
    EXPECT_FALSE(view.rubberBandShown);
    EXPECT_EQ(view.dragStart, (ClientPoint{41, 44}));
}

TEST(PlanGestures, IdleMovesExplainNavigationOnlyWithoutADialog) {
    PlanViewState view = BlankView();
    EXPECT_STREQ(OnMouseMove(view, {1, 1}, 0).statusText, kNavigationHelpText);
    EXPECT_EQ(OnMouseMove(view, {1, 1}, 4).statusText, nullptr);
}

}  // namespace
}  // namespace kelmora
