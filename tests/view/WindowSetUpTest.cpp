#include <gtest/gtest.h>

#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

TEST(WindowSetUp, BlankWindowCornersReadTheSiteExtent) {
    CKelmoraViewData v;
    SetPictureSize(v, std::nullopt);
    ApplyDefaultTransforms(v);
    // The picture corners in the model, as the corner labels show them.
    struct Case {
        CVertex2D pixel;
        CVertex2D model;
    };
    const Case cases[] = {
        {{0, 300}, {0, 0}}, {{0, 0}, {0, 60}}, {{500, 0}, {100, 60}}, {{500, 300}, {100, 0}}};
    for (const Case& c : cases) {
        const CVector3D m = FromScreen(v.calibration, c.pixel);
        EXPECT_DOUBLE_EQ(m.x, c.model.x);
        EXPECT_DOUBLE_EQ(m.y, c.model.y);
    }
    EXPECT_EQ(v.zoom.axisY, (CVertex2D{0, 1}));
    EXPECT_EQ(v.zoom.origin, (CVertex2D{0, 0}));
    EXPECT_EQ(v.zoom.magnification, 1.0);
}

TEST(WindowSetUp, PictureSizeComesFromThePictureOrWhatIsHeld) {
    struct Case {
        double heldWidth, heldHeight;
        std::optional<PictureSize> decoded;
        double width, height;
    };
    const Case cases[] = {
        {500, 300, PictureSize{1024, 768}, 1024, 768},
        {1200, 900, std::nullopt, 1200, 900},  // stored sizes stay when the file is gone
        {0, 900, std::nullopt, 500, 900},
        {-3, 0, std::nullopt, 500, 300},
    };
    for (const Case& c : cases) {
        CKelmoraViewData v;
        v.imageWidth = c.heldWidth;
        v.imageHeight = c.heldHeight;
        SetPictureSize(v, c.decoded);
        EXPECT_EQ(v.imageWidth, c.width);
        EXPECT_EQ(v.imageHeight, c.height);
    }
}

TEST(WindowSetUp, FirstViewTakesItsRecordLastAndEmptiesTheList) {
    std::vector<ViewRecord> records(3);
    for (int i = 0; i < 3; ++i)
        records[i].info.frameRect = {i, 0, 100 + i, 100};
    // Further windows are set up first, then the framework's first window.
    for (int i : {1, 2}) {
        const auto taken = TakeViewRecord(records, i);
        ASSERT_TRUE(taken);
        EXPECT_EQ(taken->info.frameRect.left, i);
        EXPECT_EQ(records.size(), 3u);
    }
    EXPECT_FALSE(TakeViewRecord(records, 3));
    EXPECT_FALSE(TakeViewRecord(records, -1));
    const auto first = TakeViewRecord(records, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->info.frameRect.left, 0);
    EXPECT_TRUE(records.empty());
    // A window opened later has no record and asks for its own picture.
    EXPECT_FALSE(TakeViewRecord(records, 1));
}

TEST(WindowSetUp, NewPictureKeepsTheSiteInPlace) {
    CKelmoraViewData v;
    ApplyDefaultTransforms(v);
    v.zoom.origin = {12, -7};
    const CKelmoraViewData before = v;
    ReplacePicture(v, "/home/sato/敷地.bmp", {1600, 1200});
    EXPECT_EQ(v.imagePath, "/home/sato/敷地.bmp");
    EXPECT_EQ(v.imageWidth, 1600);
    EXPECT_EQ(v.imageHeight, 1200);
    EXPECT_EQ(v.calibration, before.calibration);
    EXPECT_EQ(v.zoom, before.zoom);
    EXPECT_EQ(PictureLoadFailedMessage("C:\\a.jpg"), "背景画像の読込に失敗しました.\nC:\\a.jpg");
}

}  // namespace
}  // namespace kelmora
