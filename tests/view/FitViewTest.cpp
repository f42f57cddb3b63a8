// A new window's view fitted to a stretch of the site.
#include <gtest/gtest.h>

#include "view/FitView.h"
#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

TEST(FitView, TheStretchFillsTheWindowCentredWithItsMargin) {
    // 200 × 50 m in 660 × 440 px: the width limits the scale to (660 − 40) / 200 = 3.1 px/m.
    const CKelmoraViewData v = ViewFittedTo({100, 20}, {300, 70}, 660, 440);
    const CVertex2D lowerLeft = ModelToClient(v, {100, 20, 0});
    const CVertex2D upperRight = ModelToClient(v, {300, 70, 0});
    EXPECT_NEAR(lowerLeft.x, 20.0, 1e-9);
    EXPECT_NEAR(upperRight.x, 640.0, 1e-9);
    EXPECT_NEAR(lowerLeft.y, 220.0 + 3.1 * 25.0, 1e-9);  // north up, centred
    EXPECT_NEAR(upperRight.y, 220.0 - 3.1 * 25.0, 1e-9);
    const CVector3D back = ClientToModel(v, {330, 220});
    EXPECT_NEAR(back.x, 200.0, 1e-9);
    EXPECT_NEAR(back.y, 45.0, 1e-9);
    EXPECT_EQ(v.imagePath, "");
    // The zoom a new window starts with: no pan, no magnification.
    EXPECT_EQ(v.zoom.origin, (CVertex2D{0, 0}));
    EXPECT_EQ(v.zoom.magnification, 1.0);
    EXPECT_EQ(v.zoom.axisY, (CVertex2D{0, 1}));

    // A tall stretch is limited by the height; a single point is shown at the default scale.
    const CKelmoraViewData tall = ViewFittedTo({0, 0}, {10, 400}, 660, 440);
    EXPECT_NEAR(ModelToClient(tall, {0, 400, 0}).y, 20.0, 1e-9);
    const CKelmoraViewData point = ViewFittedTo({5, 5}, {5, 5}, 500, 300);
    EXPECT_NEAR(ModelToClient(point, {105, 5, 0}).x - ModelToClient(point, {5, 5, 0}).x, 500.0, 1e-9);
    EXPECT_NEAR(ModelToClient(point, {5, 5, 0}).x, 250.0, 1e-9);
}

TEST(FitView, ANewWindowsRecordShowsTheStretchAsTheFitOfTheDisplayShowsIt) {
    // The import's new window and "全体表示" over a blank window of the same size place the site alike:
    // one in the record, the other on top of it.
    CKelmoraViewData blank;
    blank.imageWidth = 740;
    blank.imageHeight = 480;
    ApplyDefaultTransforms(blank);
    const ModelExtent site{-35.0, 12.5, 410.0, 95.0};
    const CKelmoraViewData record = ViewFittedTo({site.minX, site.minY}, {site.maxX, site.maxY}, 740, 480);
    const CKelmoraViewData shown = ShownViewData(blank, FitModelExtent(blank, site, 740, 480));
    for (const CVector3D p : {CVector3D{-35, 12.5, 0}, CVector3D{410, 95, 0}, CVector3D{100, 50, 0}}) {
        EXPECT_NEAR(ModelToClient(record, p).x, ModelToClient(shown, p).x, 1e-9);
        EXPECT_NEAR(ModelToClient(record, p).y, ModelToClient(shown, p).y, 1e-9);
    }
    // A site of kilometres too: the record is not held to the display's bounds.
    const CKelmoraViewData wide = ViewFittedTo({0, 0}, {60000, 100}, 740, 480);
    EXPECT_NEAR(ModelToClient(wide, {60000, 50, 0}).x - ModelToClient(wide, {0, 50, 0}).x, 700.0, 1e-6);
}

}  // namespace
}  // namespace kelmora
