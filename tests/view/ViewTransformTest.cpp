#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>

#include "view/PlanTestModel.h"
#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

using plantest::BlankWindow;

TEST(ViewTransform, BlankWindowPlacesTheSiteOverThePicture) {
    const CKelmoraViewData v = BlankWindow();
    struct Case {
        CVector3D model;
        CVertex2D client;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 300}},    {{100, 0, 0}, {500, 300}},   {{0, 60, 0}, {0, 0}},
        {{100, 60, 0}, {500, 0}}, {{20, 10, 7.5}, {100, 250}},  // Z has no place on the plan
    };
    for (const Case& c : cases) {
        const CVertex2D s = ModelToClient(v, c.model);
        EXPECT_DOUBLE_EQ(s.x, c.client.x);
        EXPECT_DOUBLE_EQ(s.y, c.client.y);
        const CVector3D back = ClientToModel(v, c.client);
        EXPECT_DOUBLE_EQ(back.x, c.model.x);
        EXPECT_DOUBLE_EQ(back.y, c.model.y);
        EXPECT_EQ(back.z, 0.0);
    }
}

TEST(ViewTransform, PictureOfThousandPixelsSpansHundredMetres) {
    CKelmoraViewData v;
    v.imageWidth = 1000;
    v.imageHeight = 800;
    ApplyDefaultTransforms(v);
    const CVertex2D px = ToScreen(v.calibration, {50, 40, 0});
    EXPECT_DOUBLE_EQ(px.x, 500.0);
    EXPECT_DOUBLE_EQ(px.y, 400.0);
}

TEST(ViewTransform, FromScreenInvertsToScreenForPerpendicularAxes) {
    // A rotated, scaled calibration under a panned and zoomed window.
    CKelmoraViewData v;
    const double c = std::cos(0.3), s = std::sin(0.3);
    v.calibration.origin = {123.25, 877.5};
    v.calibration.axisX = {7.5 * c, 7.5 * s};
    v.calibration.axisY = {7.5 * s, -7.5 * c};
    v.calibration.magnification = 1.25;
    v.zoom.origin = {-40, 16};
    v.zoom.axisY = {0, 1};
    v.zoom.magnification = 0.731;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> coord(-500.0, 500.0);
    for (int i = 0; i < 200; ++i) {
        const CVector3D p{coord(rng), coord(rng), coord(rng)};
        const CVector3D back = FromScreen(v.calibration, ToScreen(v.calibration, p));
        EXPECT_NEAR(back.x, p.x, 1e-9);
        EXPECT_NEAR(back.y, p.y, 1e-9);
        EXPECT_EQ(back.z, 0.0);
        const CVector3D viaClient = ClientToModel(v, ModelToClient(v, p));
        EXPECT_NEAR(viaClient.x, p.x, 1e-9);
        EXPECT_NEAR(viaClient.y, p.y, 1e-9);
    }
}

TEST(ViewTransform, SetAxisLengthScalesUnitAxes) {
    CDisplay d;
    d.axisX = {3, 4};
    d.axisY = {0, -2};
    d.magnification = 2;
    SetAxisLength(d, 10, 5);  // 10 / 2 / 5 = 1 unit per model unit
    EXPECT_DOUBLE_EQ(d.axisX.x, 0.6);
    EXPECT_DOUBLE_EQ(d.axisX.y, 0.8);
    EXPECT_EQ(d.axisY, (CVertex2D{0, -1}));
    EXPECT_EQ(d.axisZ, (CVertex2D{0, 0}));
    EXPECT_EQ(d.magnification, 2.0);

    CDisplay damaged;
    damaged.magnification = 0.0;
    SetAxisLength(damaged, 500, 100);
    EXPECT_EQ(damaged.magnification, 1.0);
    EXPECT_EQ(damaged.axisX, (CVertex2D{5, 0}));

    CDisplay unchanged;
    SetAxisLength(unchanged, 500, 0);
    EXPECT_EQ(unchanged.axisX, (CVertex2D{1, 0}));
}

TEST(ViewTransform, ZoomStepsMoveInThousandths) {
    // Worked by hand: m' = round(1000·f·m)/1000, halves away from zero.
    struct Case {
        double from;
        double factor;
        double to;
    };
    const Case cases[] = {
        {1.0, 1.01, 1.01},   {1.04, 1.01, 1.05},  {1.05, 1.01, 1.061},  // 1060.5 rounds up
        {1.0, 0.99, 0.99},   {0.95, 0.99, 0.941},                       // 940.5 rounds up
        {0.051, 0.99, 0.05}, {0.05, 0.99, 0.05},                        // 49.5 rounds back to 50
        {2.0, 0.5, 1.0},
    };
    for (const Case& c : cases) {
        CDisplay d;
        d.magnification = c.from;
        ZoomAbout(d, c.factor, {0, 0});
        EXPECT_NEAR(d.magnification, c.to, 1e-12) << c.from << " × " << c.factor;
    }
}

TEST(ViewTransform, TenZoomInStepsAreNotTheTenthPower) {
    CDisplay d;
    for (int i = 0; i < 10; ++i)
        ZoomAbout(d, 1.01, {0, 0});
    // 1.01 … 1.05 in hundredths, then 1.061, 1.072, 1.083, 1.094, 1.105; 1.01^10 would be 1.10462.
    EXPECT_NEAR(d.magnification, 1.105, 1e-12);
}

TEST(ViewTransform, ZoomingOutNeverGoesBelowFiveHundredths) {
    CDisplay d;
    for (int i = 0; i < 1000; ++i)
        ZoomAbout(d, 0.99, {250, 150});
    EXPECT_NEAR(d.magnification, 0.05, 1e-12);
}

TEST(ViewTransform, ZoomKeepsThePointUnderTheCentre) {
    CKelmoraViewData v = BlankWindow();
    v.zoom.origin = {-40, 16};
    const CVertex2D centre{321, 87};
    const CVector3D before = ClientToModel(v, centre);
    ZoomAbout(v.zoom, 1.01, centre);
    ZoomAbout(v.zoom, 1.01, centre);
    const CVertex2D after = ModelToClient(v, before);
    EXPECT_NEAR(after.x, centre.x, 1e-9);
    EXPECT_NEAR(after.y, centre.y, 1e-9);
    EXPECT_EQ(v.zoom.magnification, 1.02);
}

TEST(ViewTransform, ZoomIgnoresFactorsThatLeaveNoMagnification) {
    for (double factor : {0.0, -1.0, 0.0004}) {
        CDisplay d;
        d.origin = {3, 4};
        ZoomAbout(d, factor, {10, 10});
        EXPECT_EQ(d.magnification, 1.0);
        EXPECT_EQ(d.origin, (CVertex2D{3, 4}));
    }
}

TEST(ViewTransform, DamagedMagnificationCountsAsOne) {
    CDisplay d;
    d.origin = {10, 20};
    d.magnification = 0.0;
    const CVector3D p = FromScreen(d, {15, 10});
    EXPECT_EQ(p.x, 5.0);
    EXPECT_EQ(p.y, 10.0);
    EXPECT_EQ(ToScreen2D(d, {5, 10}), (CVertex2D{15, 10}));
}

TEST(ViewTransform, PolylinePixelsAreTruncatedTowardZero) {
    const CKelmoraViewData v = BlankWindow();
    CPolyline line;
    line.vertices = {{-0.54, 59.22, 0}, {10.19, 0.13, 3}, {1e12, -1e12, 0}};
    const auto px = PolylineToClient(v, line);
    ASSERT_EQ(px.size(), 3u);
    EXPECT_EQ(px[0], (ClientPoint{-2, 3}));                     // (−2.7, 3.9)
    EXPECT_EQ(px[1], (ClientPoint{50, 299}));                   // (50.95, 299.35)
    EXPECT_EQ(px[2], (ClientPoint{kPixelLimit, kPixelLimit}));  // far off the screen: clamped, not undefined
}

}  // namespace
}  // namespace kelmora
