#include "view/DisplayTransform.h"

#include <gtest/gtest.h>

#include <map>

#include "view/ClickActions.h"
#include "view/FitView.h"
#include "view/PlanGestures.h"
#include "view/PlanTestModel.h"
#include "view/PlanWheel.h"
#include "view/SizeDialog.h"
#include "view/ViewTransform.h"

namespace kelmora {
namespace {

using plantest::BlankWindow;
using plantest::SmallSite;

constexpr int kWidth = 1200;  // a maximised window
constexpr int kHeight = 800;

std::vector<std::uint8_t> RecordBytes(CKelmoraViewData v) {
    CArchive ar;
    v.Serialize(ar);
    return ar.Bytes();
}

// The horizontal grid laid over the window as the prediction dialog lays it: from the window record.
std::vector<CPredictivePoint> HorizontalGrid(const CKelmoraViewData& record) {
    CCalcInfo calc;
    calc.rowDivisions = 4;
    calc.columnDivisions = 6;
    calc.generateHorizontalGrid(
        record.imageWidth, record.imageHeight,
        [&record](const CVertex2D& s) { return ClientToModel(record, s); },
        [](const CVector3D&) { return 0.0; });
    return calc.gridPoints;
}

// The example's record: 3⅓ px per metre, the record's zoom panned and enlarged a little.
PlanViewState ExampleWindow() {
    PlanViewState view;
    view.viewData = BlankWindow();
    view.viewData.calibration.axisX = {1.0, 0.0};
    view.viewData.calibration.axisY = {0.0, -1.0};
    view.viewData.calibration.magnification = 10.0 / 3.0;
    view.viewData.zoom.origin = {12.0, -7.0};
    view.viewData.zoom.magnification = 1.2;
    return view;
}

TEST(DisplayTransform, FitZoomAndWheelLeaveTheRecordAndItsGridAsTheyWere) {
    const CNoise site = SmallSite();
    PlanViewState view = ExampleWindow();
    const std::vector<std::uint8_t> bytes = RecordBytes(view.viewData);
    const std::vector<CPredictivePoint> grid = HorizontalGrid(view.viewData);

    view.display = FitSite(site, view.viewData, kWidth, kHeight);
    EXPECT_GT(view.display.scale, 2.0) << "the small site fills the large window";
    ZoomDisplayAbout(view.display, kDisplayZoomStep, {300, 200});
    EXPECT_EQ(OnWheel(view, 2.0, 0.0, {500, 400}, ModifierKeys{false, true, false}).redrawHint, 5);
    EXPECT_EQ(OnWheel(view, -1.0, 0.0, {500, 400}, ModifierKeys{}).redrawHint, 5);
    EXPECT_EQ(OnWheel(view, 1.0, 0.0, {500, 400}, ModifierKeys{true, false, false}).redrawHint, 5);
    view.display = DisplayAfterZoomArea(view.display, {100, 100}, {400, 300}, kWidth, kHeight);
    EXPECT_NE(view.display, DisplayTransform{});

    EXPECT_EQ(RecordBytes(view.viewData), bytes);
    EXPECT_EQ(HorizontalGrid(view.viewData), grid) << "the grid is laid from the record, not the display";
    // What the window draws has moved, though.
    const CKelmoraViewData shown = ShownViewData(view.viewData, view.display);
    EXPECT_NE(ModelToClient(shown, {40, 20, 0}).x, ModelToClient(view.viewData, {40, 20, 0}).x);
}

TEST(DisplayTransform, ShownViewDataIsTheRecordFollowedByTheDisplay) {
    const CKelmoraViewData record = ExampleWindow().viewData;
    const DisplayTransform d{2.5, {-40.0, 75.0}};
    const CKelmoraViewData shown = ShownViewData(record, d);
    for (const CVector3D p : {CVector3D{0, 0, 0}, CVector3D{37.5, -12.25, 0}, CVector3D{150, 90, 0}}) {
        const CVertex2D expected = ShownFromStored(d, ModelToClient(record, p));
        const CVertex2D got = ModelToClient(shown, p);
        EXPECT_NEAR(got.x, expected.x, 1e-9);
        EXPECT_NEAR(got.y, expected.y, 1e-9);
        const CVector3D back = ClientToModel(shown, got);
        EXPECT_NEAR(back.x, p.x, 1e-9);
        EXPECT_NEAR(back.y, p.y, 1e-9);
    }
    const CVertex2D s{123.0, 456.0};
    const CVertex2D roundTrip = ShownFromStored(d, StoredFromShown(d, s));
    EXPECT_NEAR(roundTrip.x, s.x, 1e-12);
    EXPECT_NEAR(roundTrip.y, s.y, 1e-12);
    EXPECT_EQ(StoredPixelFromShown(d, {60, 80}), (ClientPoint{40, 2})) << "(60+40)/2.5, (80−75)/2.5";
}

TEST(DisplayTransform, FitShowsTheWholeSiteCentredWithItsMargin) {
    const CNoise site = SmallSite();
    const PlanViewState view = ExampleWindow();
    for (const auto& [w, h] : {std::pair{kWidth, kHeight}, std::pair{300, 900}, std::pair{2000, 200}}) {
        const DisplayTransform d = FitSite(site, view.viewData, w, h);
        const CKelmoraViewData shown = ShownViewData(view.viewData, d);
        const ClientBox box = StoredBoxOf(shown, *ExtentOfSite(site));
        EXPECT_GE(box.left, kFitMarginPx - 1e-6);
        EXPECT_GE(box.top, kFitMarginPx - 1e-6);
        EXPECT_LE(box.right, w - kFitMarginPx + 1e-6);
        EXPECT_LE(box.bottom, h - kFitMarginPx + 1e-6);
        // Tight on one axis, centred on both.
        const bool fillsWidth = std::abs(box.width() - (w - 2 * kFitMarginPx)) < 1e-6;
        const bool fillsHeight = std::abs(box.height() - (h - 2 * kFitMarginPx)) < 1e-6;
        EXPECT_TRUE(fillsWidth || fillsHeight) << w << "x" << h;
        EXPECT_NEAR(box.left + box.right, w, 1e-6);
        EXPECT_NEAR(box.top + box.bottom, h, 1e-6);
    }

    // The site: every object the plan draws, the slope's foot and the prediction points included.
    const ModelExtent extent = *ExtentOfSite(site);
    EXPECT_EQ(extent, (ModelExtent{0, 0, 90, 50}));
    // A new project (nothing but its single point) fits the picture, here the blank 500 × 300 area.
    const DisplayTransform blank = FitSite(CNoise{}, BlankWindow(), 1040, 640);
    EXPECT_DOUBLE_EQ(blank.scale, 2.0);
    EXPECT_EQ(blank.offset, (CVertex2D{20.0, 20.0}));
    // A box without extent keeps the scale it had and is centred.
    const DisplayTransform centred = FitBox({250, 150, 250, 150}, 400, 200, kFitMarginPx, {3.0, {}});
    EXPECT_DOUBLE_EQ(centred.scale, 3.0);
    EXPECT_EQ(ShownFromStored(centred, {250, 150}), (CVertex2D{200, 100}));
}

TEST(DisplayTransform, ZoomKeepsThePointUnderTheMouseWithinItsBounds) {
    DisplayTransform d{1.5, {20.0, -10.0}};
    const CVertex2D at{333.0, 222.0};
    const CVertex2D under = StoredFromShown(d, at);
    ZoomDisplayAbout(d, kDisplayZoomStep, at);
    EXPECT_DOUBLE_EQ(d.scale, 1.5 * kDisplayZoomStep);
    EXPECT_NEAR(ShownFromStored(d, under).x, at.x, 1e-9);
    EXPECT_NEAR(ShownFromStored(d, under).y, at.y, 1e-9);
    for (int i = 0; i < 100; ++i)
        ZoomDisplayAbout(d, kDisplayZoomStep, at);
    EXPECT_DOUBLE_EQ(d.scale, kMaxDisplayScale);
    for (int i = 0; i < 200; ++i)
        ZoomDisplayAbout(d, 1.0 / kDisplayZoomStep, at);
    EXPECT_DOUBLE_EQ(d.scale, kMinDisplayScale);
    const DisplayTransform before = d;
    ZoomDisplayAbout(d, 0.0, at);
    ZoomDisplayAbout(d, -2.0, at);
    EXPECT_EQ(d, before);
}

TEST(DisplayTransform, ZoomAreaDragFillsTheWindowWithTheRectangle) {
    PlanViewState view = ExampleWindow();
    view.zoomAreaArmed = true;
    OnButtonDown(view, MouseButton::Left, ModifierKeys{true, false, false}, {100, 50});
    EXPECT_EQ(view.dragMode, kZoomAreaGesture) << "the tool's drag, whatever the keys";
    const GestureEffect moved = OnMouseMove(view, {300, 250}, 0);
    ASSERT_EQ(moved.screenInversions.size(), 1u);
    EXPECT_EQ(std::get<RectanglePrimitive>(moved.screenInversions[0]),
              InvertedRectangle({100, 50}, {300, 250}));
    const GestureEffect released = OnButtonUp(view, MouseButton::Left, {300, 250}, 0);
    EXPECT_FALSE(released.ended) << "no click action follows the tool's drag";
    ASSERT_TRUE(released.zoomArea);
    EXPECT_FALSE(view.zoomAreaArmed);

    const DisplayTransform d = DisplayAfterZoomArea(view.display, {100, 50}, {300, 250}, 800, 600);
    EXPECT_DOUBLE_EQ(d.scale, 3.0) << "200 × 200 px into 800 × 600";
    const CVertex2D centre = ShownFromStored(d, StoredFromShown(view.display, {200, 150}));
    EXPECT_NEAR(centre.x, 400.0, 1e-9);
    EXPECT_NEAR(centre.y, 300.0, 1e-9);
    // A click zooms one step about the clicked point.
    EXPECT_DOUBLE_EQ(DisplayAfterZoomArea(view.display, {10, 10}, {11, 11}, 800, 600).scale,
                     kDisplayZoomStep);
}

TEST(DisplayTransform, PanAndZoomGesturesOfTheRecordFollowTheMouseUnderAnyDisplay) {
    PlanViewState view = ExampleWindow();
    view.display = {2.0, {50.0, 30.0}};
    const CVertex2D grabbed = ToVertex({200, 200});
    const CVector3D underMouse = ClientToModel(ShownViewData(view.viewData, view.display), grabbed);
    OnButtonDown(view, MouseButton::Left, ModifierKeys{true, false, false}, {200, 200});
    OnMouseMove(view, {240, 180}, 0);
    OnButtonUp(view, MouseButton::Left, {240, 180}, 0);
    const CVertex2D nowAt = ModelToClient(ShownViewData(view.viewData, view.display), underMouse);
    EXPECT_NEAR(nowAt.x, 240.0, 1e-9);
    EXPECT_NEAR(nowAt.y, 180.0, 1e-9);

    // A Ctrl drag zooms the record about the press point as shown.
    const CVector3D atPress = ClientToModel(ShownViewData(view.viewData, view.display), {300, 300});
    OnButtonDown(view, MouseButton::Left, ModifierKeys{false, true, false}, {300, 300});
    OnMouseMove(view, {300, 280}, 0);
    const CVertex2D still = ModelToClient(ShownViewData(view.viewData, view.display), atPress);
    EXPECT_NEAR(still.x, 300.0, 1e-6);
    EXPECT_NEAR(still.y, 300.0, 1e-6);
    OnButtonUp(view, MouseButton::Left, {300, 280}, 0);

    // Shift+Ctrl click brings back the window as it first showed: record zoom and display.
    OnButtonDown(view, MouseButton::Left, ModifierKeys{true, true, false}, {10, 10});
    OnButtonUp(view, MouseButton::Left, {10, 10}, 0);
    EXPECT_EQ(view.display, DisplayTransform{});
    EXPECT_EQ(view.viewData.zoom.origin, (CVertex2D{0, 0}));
}

// The size dialog measures in the record's client pixels, so that a calibration made on a zoomed
// display is the one made on the plain window.
TEST(DisplayTransform, SizeDialogTakesRecordPixelsThroughTheDisplay) {
    struct Port : EditorPort, PlanPickingHost {
        std::map<int, std::string> fields;
        void SetControlText(int id, const std::string& text) override { fields[id] = text; }
        void PressButton(int) override {}
        bool IsButtonEnabled(int) const override { return true; }
        void DrawOnScreen(const DisplayLayer&) override {}
        void RepaintNow() override {}
        void ShowMessage(const std::string&) override {}
        std::optional<double> AskOffsetLength() override { return std::nullopt; }
        std::optional<CVertex2D> AskOffsetXY() override { return std::nullopt; }
    };
    const CNoise model;
    EditState edit;
    edit.editMode = kSizeChangeMode;
    const CKelmoraViewData record = BlankWindow();
    const DisplayTransform d{4.0, {-100.0, 20.0}};
    const CKelmoraViewData shown = ShownViewData(record, d);
    Port port;
    const PlanEditContext ctx{model, edit, shown, port, port, {}, d};
    // A right click at shown (300, 420) is stored pixel (100, 100); a drag of 400 shown px is 100 px.
    ActOnGestureEnd({9, {300, 420}, {300, 420}, true}, ctx);
    ActOnGestureEnd({1, {0, 0}, {400, 0}, false}, ctx);
    EXPECT_EQ(port.fields[kSizePositionXId], "100");
    EXPECT_EQ(port.fields[kSizePositionYId], "100");
    EXPECT_EQ(port.fields[kSizeOnScreenLengthId], "100");
}

TEST(DisplayTransform, StatusBarTellsTheShownSizeOfAPicturePixelAndOfAMetre) {
    CKelmoraViewData record = BlankWindow();  // 5 px per metre
    EXPECT_EQ(DisplayScaleText(record, {}), "表示倍率 100%  1px = 0.2m");
    EXPECT_EQ(DisplayScaleText(record, {2.5, {7, 7}}), "表示倍率 250%  1px = 0.08m");
    record.zoom.magnification = 0.5;
    EXPECT_EQ(DisplayScaleText(record, {0.1, {}}), "表示倍率 5%  1px = 4m");
}

}  // namespace
}  // namespace kelmora
