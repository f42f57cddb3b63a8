// Pixels of whole plan scenes: what the display-list tests cannot see (hatch inside roofs, labels,
// which line covers which, widths on the screen).
#include <gtest/gtest.h>

#include <QImage>

#include "platform/raster/PlanRasterizer.h"
#include "view/PlanScene.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

const QRgb kSky = qRgb(240, 248, 255);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kRed = qRgb(255, 0, 0);

// The small site on the blank 500 × 300 window, base then overlay, as the plan window composes them.
QImage Render(const EditState& edit) {
    const CNoise model = plantest::SmallSite();
    const CKelmoraViewData view = plantest::BlankWindow();
    const PlanSceneInputs in{model, model, edit, view, false};
    QImage image = NewLayerImage(500, 300);
    RasterizeLayer(image, DrawBase(in));
    RasterizeLayer(image, DrawOverlay(in));
    return image;
}

int Count(const QImage& image, QRect area, QRgb colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour ? 1 : 0;
    }
    return n;
}

TEST(PlanSceneRaster, RoofIsHatchedGreenBetweenItsEdgesAndTheRoomInsideIt) {
    const QImage image = Render({});
    // Roof (30, 10)–(50, 30) m is client (150, 150)–(250, 250); the room covers (160, 160)–(240, 240).
    const QRect roofOnly(152, 152, 6, 90);  // the strip between the roof's and the room's west sides
    EXPECT_GT(Count(image, roofOnly, kGreen), roofOnly.width() * roofOnly.height() / 8);
    EXPECT_GT(Count(image, roofOnly, kSky), 0);  // transparent between the hatch lines
    const QRect roomInside(170, 170, 20, 20);
    EXPECT_GT(Count(image, roomInside, qRgb(255, 165, 0)), 20);
    EXPECT_EQ(Count(image, QRect(260, 100, 30, 30), kSky), 900);  // beside the building nothing
}

TEST(PlanSceneRaster, CornerLabelsAreWrittenInsideEachCorner) {
    const QImage image = Render({});
    // Where labels of about 70 × 15 px lie: lower-left, upper-left, upper-right, lower-right.
    const QRect boxes[] = {QRect(0, 283, 60, 16), QRect(0, 0, 60, 16), QRect(440, 0, 60, 16),
                           QRect(440, 283, 60, 16)};
    for (const QRect& box : boxes) {
        int blue = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QRgb c = image.pixel(x, y);
                blue += qBlue(c) > 200 && qRed(c) < 120 && qGreen(c) < 120 ? 1 : 0;
            }
        }
        EXPECT_GT(blue, 20) << box.x() << "," << box.y();
        EXPECT_GT(Count(image, box, qRgb(255, 255, 255)), 100) << box.x() << "," << box.y();  // opaque box
    }
}

TEST(PlanSceneRaster, NestedOpeningsShowEachDepthAroundTheirContents) {
    const QImage image = Render({});
    // All three openings lie on the wall line y = 12 m (client 240): the outdoor one from 34 to 46 m (red),
    // the closed one inside it from 36 to 44 m (black) and the innermost from 38 to 42 m (olive), each
    // drawn over its container.
    EXPECT_EQ(image.pixel(175, 240), kRed);
    EXPECT_EQ(image.pixel(185, 240), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(200, 240), qRgb(128, 128, 0));
    EXPECT_EQ(image.pixel(215, 240), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(225, 240), kRed);
}

TEST(PlanSceneRaster, RoofUnderEditGetsAThreePixelOutline) {
    EditState edit;
    EditState roofEditor;
    roofEditor.editMode = kRoofChangeMode;
    roofEditor.currentBuilding = 0;
    roofEditor.currentRoof = 0;
    // Just below the roof's south side (client y 250) the normal outline leaves the sky, the highlight
    // covers it.
    const QRect belowSouthSide(160, 251, 80, 1);
    EXPECT_EQ(Count(Render(edit), belowSouthSide, kSky), 80);
    EXPECT_EQ(Count(Render(roofEditor), belowSouthSide, kGreen), 80);
}

}  // namespace
}  // namespace kelmora
