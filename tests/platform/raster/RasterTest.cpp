#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <memory>

#include "platform/raster/BackgroundPicture.h"
#include "platform/raster/PlanRasterizer.h"
#include "view/LineInfo.h"
#include "view/TextInfo.h"

namespace kelmora {
namespace {

// Text needs the font database of a GUI application; the offscreen platform needs no display.
class GuiApplicationEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[12] = "raster_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new GuiApplicationEnvironment);

constexpr Rgb kGrey{240, 248, 255};
const QRgb kGreyPixel = qRgb(240, 248, 255);

QImage Canvas(int w, int h) {
    QImage image = NewLayerImage(w, h);
    RasterizeLayer(image, {FillPrimitive{kGrey}});
    return image;
}

int CountPixels(const QImage& image, QRect area, QRgb color) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == color ? 1 : 0;
    }
    return n;
}

TEST(Raster, HatchedRoofHasItsColourInsideAndNothingOutside) {
    QImage image = Canvas(80, 80);
    CLineInfo roof;
    roof.color = {0, 255, 0};
    DisplayLayer layer;
    const std::vector<ClientPoint> corners{{20, 20}, {60, 20}, {60, 60}, {20, 60}};
    roof.DrawHatchedPolygon(layer, corners);
    RasterizeLayer(image, layer);

    const QRect inside(23, 23, 35, 35);
    const int green = CountPixels(image, inside, qRgb(0, 255, 0));
    const int grey = CountPixels(image, inside, kGreyPixel);
    EXPECT_GT(green, inside.width() * inside.height() / 8);  // a cross-hatch, not a few stray pixels
    EXPECT_GT(grey, 0);                                      // transparent between the hatch lines
    EXPECT_EQ(green + grey, inside.width() * inside.height());
    EXPECT_EQ(image.pixel(40, 20), qRgb(0, 255, 0));  // the frame
    EXPECT_EQ(CountPixels(image, QRect(0, 0, 80, 18), kGreyPixel), 80 * 18);
}

TEST(Raster, OpaqueHatchFillsTheGapsWithItsBackground) {
    QImage image = Canvas(80, 80);
    CLineInfo roof;
    roof.color = {0, 255, 0};
    roof.filled = 1;
    DisplayLayer layer;
    roof.DrawHatchedPolygon(layer, std::vector<ClientPoint>{{20, 20}, {60, 20}, {60, 60}, {20, 60}});
    RasterizeLayer(image, layer);
    const QRect inside(23, 23, 35, 35);
    EXPECT_EQ(CountPixels(image, inside, kGreyPixel), 0);
    EXPECT_GT(CountPixels(image, inside, qRgb(255, 255, 255)), 0);
}

TEST(Raster, LowerRightAnchoredLabelEndsAtItsPoint) {
    QImage image = Canvas(300, 80);
    CTextInfo label;
    label.anchor = 8;
    DisplayLayer layer;
    label.Draw(layer, {250, 60}, "(100m, 0m)");
    RasterizeLayer(image, layer);
    // The opaque white box ends just above and left of the point.
    EXPECT_EQ(image.pixel(249, 59), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(250, 59), kGreyPixel);
    EXPECT_EQ(image.pixel(249, 60), kGreyPixel);
    const QSize extent = TextExtent(label.font, "(100m, 0m)");
    EXPECT_EQ(image.pixel(250 - extent.width(), 60 - extent.height()), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(249 - extent.width(), 60 - extent.height()), kGreyPixel);
    // Blue glyphs inside the box.
    const QRect box(250 - extent.width(), 60 - extent.height(), extent.width(), extent.height());
    int blueish = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            blueish += qBlue(c) > 200 && qRed(c) < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(blueish, 20);
}

TEST(Raster, JapaneseLabelsUseTheSubstituteFaceAtFifteenPixels) {
    const QFont font = PlanFont(FontSpec{});
    EXPECT_EQ(QFontInfo(font).family(), QString(kPlanFontFamily));
    EXPECT_EQ(QFontInfo(font).pixelSize(), 15);
    QImage image = Canvas(120, 40);
    CTextInfo label;
    label.opaque = 0;
    DisplayLayer layer;
    label.Draw(layer, {5, 5}, "敷地境界");
    RasterizeLayer(image, layer);
    EXPECT_GT(image.height() * image.width() - CountPixels(image, image.rect(), kGreyPixel), 40);
}

TEST(Raster, InvertingTwiceRestoresTheScreen) {
    QImage image = Canvas(40, 40);
    const QImage before = image.copy();
    RasterizeLayer(image, {InvertedLine({5, 20}, {35, 20}), InvertedCircle({20, 10}, 3)});
    EXPECT_EQ(image.pixel(20, 20), qRgb(255 - 240, 255 - 248, 0));
    EXPECT_NE(image, before);
    RasterizeLayer(image, {InvertedCircle({20, 10}, 3), InvertedLine({5, 20}, {35, 20})});
    EXPECT_EQ(image, before);
}

TEST(Raster, PictureIsStretchedOverItsRectangle) {
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(qRgb(200, 30, 30));
    QImage image = Canvas(40, 40);
    RasterizeLayer(image, {PicturePrimitive{10, 10, 20, 20}}, &picture);
    EXPECT_EQ(CountPixels(image, QRect(10, 10, 20, 20), qRgb(200, 30, 30)), 400);
    EXPECT_EQ(image.pixel(9, 9), kGreyPixel);
    EXPECT_EQ(image.pixel(30, 30), kGreyPixel);
    QImage untouched = Canvas(40, 40);
    RasterizeLayer(untouched, {PicturePrimitive{10, 10, 20, 20}}, nullptr);
    EXPECT_EQ(untouched, Canvas(40, 40));
}

TEST(BackgroundPicture, JpegAndBmpReadWithTheirPixelSize) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage site(64, 48, QImage::Format_RGB32);
    site.fill(qRgb(10, 120, 200));
    for (const char* name : {"敷地.jpg", "site.bmp"}) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(site.save(path));
        const PictureLoad load = LoadBackgroundPicture(path.toStdString());
        ASSERT_TRUE(load.ok()) << load.error;
        EXPECT_TRUE(load.error.empty());
        EXPECT_EQ(load.size(), (PictureSize{64, 48}));
    }
}

TEST(BackgroundPicture, UnreadableFilesGiveNoPictureAndAReason) {
    QTemporaryDir dir;
    const QString damaged = dir.filePath("damaged.jpg");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xFF\xD8\xFF\xE0 this is not a picture");
    file.close();
    for (const std::string& path :
         {damaged.toStdString(), dir.filePath("missing.bmp").toStdString(), std::string()}) {
        const PictureLoad load = LoadBackgroundPicture(path);
        EXPECT_FALSE(load.ok());
        EXPECT_FALSE(load.error.empty());
    }
}

}  // namespace
}  // namespace kelmora
