#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "view/PlanTestModel.h"
#include "view/SizeDialog.h"
#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

using plantest::BlankWindow;

TEST(SizeDialog, OpeningReadsThePictureWidthAndTheOriginOnScreen) {
    CKelmoraViewData v = BlankWindow();
    EXPECT_EQ(SizeDialogInitialValues(v), (SizeDialogValues{500, 100, 0, 300, 0, 0}));

    v.zoom.origin = {10, 20};
    v.zoom.magnification = 2;
    const SizeDialogValues zoomed = SizeDialogInitialValues(v);
    EXPECT_DOUBLE_EQ(zoomed.onScreenLength, 1000.0);
    EXPECT_DOUBLE_EQ(zoomed.logicalLength, 100.0);  // the picture still spans 100 m
    EXPECT_DOUBLE_EQ(zoomed.positionX, 10.0);
    EXPECT_DOUBLE_EQ(zoomed.positionY, 620.0);

    SizeDialogValues lowerLeft;
    SetPositionToPictureLowerLeft(v, lowerLeft);
    EXPECT_EQ(lowerLeft.positionX, 10.0);
    EXPECT_EQ(lowerLeft.positionY, 620.0);
}

TEST(SizeDialog, ApplyingTheOpeningValuesKeepsTheCalibration) {
    CKelmoraViewData v;
    v.imageWidth = 2339;
    v.imageHeight = 1654;
    ApplyDefaultTransforms(v);
    v.calibration.origin = {37.5, 1500.25};
    v.zoom.origin = {-310, 42};
    v.zoom.magnification = 0.731;
    const CDisplay before = v.calibration;
    ApplySizeDialog(v, SizeDialogInitialValues(v));
    EXPECT_NEAR(v.calibration.origin.x, before.origin.x, 1e-9);
    EXPECT_NEAR(v.calibration.origin.y, before.origin.y, 1e-9);
    EXPECT_NEAR(v.calibration.axisX.x, before.axisX.x, 1e-12);
    EXPECT_NEAR(v.calibration.axisY.y, before.axisY.y, 1e-12);
    EXPECT_EQ(v.zoom.magnification, 0.731);
}

TEST(SizeDialog, ApplyPutsTheLogicalPointUnderThePosition) {
    CKelmoraViewData v = BlankWindow();
    v.zoom.magnification = 2;
    // 50 m over 200 screen pixels at zoom 2 is 2 picture pixels per metre; (10, 20) m goes to (100, 250).
    ApplySizeDialog(v, {200, 50, 100, 250, 10, 20});
    EXPECT_EQ(v.calibration.axisX, (CVertex2D{2, 0}));
    EXPECT_EQ(v.calibration.axisY, (CVertex2D{0, -2}));
    // Picture pixel under (100, 250) is (50, 125); (10, 20) m is (20, −40) from the origin.
    EXPECT_EQ(v.calibration.origin, (CVertex2D{30, 165}));
    EXPECT_EQ(ModelToClient(v, {10, 20, 0}), (CVertex2D{100, 250}));
    EXPECT_EQ(ModelToClient(v, {60, 20, 0}), (CVertex2D{300, 250}));
}

TEST(SizeDialog, ValuesOutsideTheirRangesAreRefusedWithTheRangeMessage) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const std::string screen = "10 から 3840 までの数字を入力してください。";
    const std::string logical = "0.1 から 100000 までの数字を入力してください。";
    const std::string position = "-2147483648 から 2147483647 までの数字を入力してください。";
    struct Case {
        SizeDialogValues values;
        int id;  // 0: accepted
        std::string message;
    };
    const Case cases[] = {
        {{10, 0.1, -2147483648.0, 2147483647.0, -1e9, 1e9}, 0, ""},
        {{3840, 100000, 0, 0, 0, 0}, 0, ""},
        {{9.99, 100, 0, 0, 0, 0}, 1000, screen},
        {{3841, 100, 0, 0, 0, 0}, 1000, screen},
        {{std::nan(""), 100, 0, 0, 0, 0}, 1000, screen},
        {{100, 0.09, 0, 0, 0, 0}, 1002, logical},
        {{100, 100001, 0, 0, 0, 0}, 1002, logical},
        {{100, 100, -2147483649.0, 0, 0, 0}, 1001, position},
        {{100, 100, 0, 2147483648.0, 0, 0}, 1003, position},
        {{100, 100, 0, 0, kInf, 0}, 1006, "数字を入力してください。"},
        {{100, 100, 0, 0, 0, std::nan("")}, 1007, "数字を入力してください。"},
    };
    for (const Case& c : cases) {
        const auto problem = ValidateSizeDialog(c.values);
        if (c.id == 0) {
            EXPECT_FALSE(problem);
        } else {
            ASSERT_TRUE(problem);
            EXPECT_EQ(problem->controlId, c.id);
            EXPECT_EQ(problem->message, c.message);
        }
    }
}

TEST(SizeDialog, PictureWiderThanTheScreenLimitNeedsAShorterLength) {
    CKelmoraViewData v;
    v.imageWidth = 2000;
    ApplyDefaultTransforms(v);
    v.zoom.magnification = 2;
    const auto problem = ValidateSizeDialog(SizeDialogInitialValues(v));
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->controlId, kSizeOnScreenLengthId);
}

TEST(SizeDialog, DragLengthIsTruncatedToWholePixels) {
    EXPECT_EQ(DragLengthPx({0, 0}, {3, 4}), 5);
    EXPECT_EQ(DragLengthPx({10, 10}, {11, 11}), 1);
    EXPECT_EQ(DragLengthPx({-5, 0}, {12, 0}), 17);
}

}  // namespace
}  // namespace kelmora
