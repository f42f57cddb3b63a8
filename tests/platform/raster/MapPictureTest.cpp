// Pictures of noise maps: the example factory's map over its plan (each place in the colour of its
// level's class, the site drawing on top, the legend beside it), a vertical section, and SVG output.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "model/persistence/ProjectJson.h"
#include "platform/raster/ExampleProject.h"
#include "platform/raster/MapPicture.h"
#include "view/PointPathsDrawing.h"
#include "view/ViewTransform.h"
#include "view/noisemap/ResultFile.h"

namespace kelmora {
namespace {

using rastertest::ExampleProject;

// The example's LAeqT over its 10 × 10 horizontal grid, as a run wrote it (CP932, CR LF).
NoiseMap ExampleMap(const ProjectDocument& doc) {
    MapQuantity quantity = MapQuantity::Unknown;
    LevelGrid grid = ReadResultFile(std::string(KELMORA_SOURCE_DIR) + "/examples/factory-grid-laeq.txt",
                                    doc.model.calcInfo, &quantity);
    EXPECT_EQ(quantity, MapQuantity::LAeqT);
    return BuildNoiseMap(std::move(grid), EvenClasses(35, 5, 10), EuropeanScheme(),
                         {quantity, false, doc.model.calcInfo.gridHeight});
}

QRgb ToQRgb(const Rgb& c) {
    return qRgb(c.r, c.g, c.b);
}

TEST(MapPicture, ExampleMapColoursEachPlaceInItsLevelsClassUnderTheSiteDrawing) {
    const ProjectDocument doc = ExampleProject();
    const NoiseMap map = ExampleMap(doc);
    const CKelmoraViewData& view = doc.viewRecords.front().viewData;
    PlanMapInputs in{doc.model, view, false, QSize(500, 300), true, ""};
    in.isoLineLabels = false;  // their white halos would count as covered places
    const MapDrawing drawing = PlanMapDrawing(map, in);
    const QImage image = RenderDrawing(drawing);
    ASSERT_GT(image.width(), 500);  // the legend panel beside the plan
    EXPECT_EQ(image.height(), 300);

    std::set<QRgb> schemeColours;
    for (const auto& c : map.scheme.classColours) {
        if (c) schemeColours.insert(ToQRgb(*c));
    }
    // Sample the plan every 7 px; where the interpolated level is clearly inside a class, the pixel is
    // that class's colour, or covered by the site drawing — never the colour of another class.
    const MapToPixels toPixels = PlanMapToPixels(view);
    int matching = 0, covered = 0;
    for (int y = 3; y < 300; y += 7) {
        for (int x = 3; x < 500; x += 7) {
            const CVector3D at = ClientToModel(view, CVertex2D{x + 0.5, y + 0.5});
            const std::optional<double> level = LevelAtPoint(map, MapPoint(at.x, at.y));
            ASSERT_TRUE(level.has_value()) << x << " " << y;  // the grid covers the whole picture
            const std::size_t k = map.classes.ClassOf(*level);
            const double margin = std::min(*level - map.classes.Lower(k), map.classes.Upper(k) - *level);
            if (margin < 0.3 || !map.scheme.classColours[k]) continue;
            const QRgb expected = ToQRgb(*map.scheme.classColours[k]);
            const QRgb pixel = image.pixel(x, y);
            if (pixel == expected) {
                ++matching;
            } else {
                ++covered;
                EXPECT_FALSE(schemeColours.count(pixel)) << "class " << k << " at " << x << " " << y
                                                         << " shows " << QColor(pixel).name().toStdString();
            }
        }
    }
    EXPECT_GT(matching, 5 * covered);
    // Near the cooling tower (88, 30) m the map is loud (≥ 70 dB), north-west of the site quiet (< 45 dB).
    EXPECT_EQ(image.pixel(toPixels(MapPoint(90, 27)).x, toPixels(MapPoint(90, 27)).y),
              ToQRgb(*map.scheme.classColours[8]));
    const QRgb quiet = image.pixel(toPixels(MapPoint(4, 66)).x, toPixels(MapPoint(4, 66)).y);
    EXPECT_TRUE(quiet == ToQRgb(*map.scheme.classColours[1]) || quiet == ToQRgb(*map.scheme.classColours[2]));
    // The site drawing stays on top: the barrier of the south boundary runs in blue over the bands.
    const CVertex2D barrier = toPixels(MapPoint(75, 5));
    EXPECT_EQ(image.pixel(static_cast<int>(barrier.x), static_cast<int>(barrier.y)), qRgb(0, 0, 255));
}

TEST(MapPicture, LegendBesideThePlanShowsEveryColouredClass) {
    const ProjectDocument doc = ExampleProject();
    const NoiseMap map = ExampleMap(doc);
    const MapDrawing drawing = PlanMapDrawing(
        map, {doc.model, doc.viewRecords.front().viewData, false, QSize(500, 300), true, "古い"});
    const QImage image = RenderDrawing(drawing);
    std::set<QRgb> legendColours;
    int dark = 0, red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 500; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            legendColours.insert(p);
            dark += qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80 ? 1 : 0;
            red += qRed(p) > 150 && qGreen(p) < 60 && qBlue(p) < 60 ? 1 : 0;
        }
    }
    for (std::size_t k = 1; k < map.scheme.classColours.size(); ++k)
        EXPECT_TRUE(legendColours.count(ToQRgb(*map.scheme.classColours[k]))) << "class " << k;
    EXPECT_GT(dark, 300);  // the heading and the class texts
    EXPECT_GT(red, 20);    // the warning
}

TEST(MapPicture, ThePathsOfAPointLieOverTheMapAndStopAtTheLegendPanel) {
    const ProjectDocument doc = ExampleProject();
    const NoiseMap map = ExampleMap(doc);
    const CKelmoraViewData& view = doc.viewRecords.front().viewData;
    const MapToPixels toPixels = PlanMapToPixels(view);
    // A direct path of all the energy from west of the site far east, past the plan's right edge.
    PointPaths paths;
    paths.position = {20, 40, 1.2};
    PointPath direct;
    direct.nodes = {{PathNodeRole::Source, {20, 40, 1.2}}, {PathNodeRole::Receiver, {2000, 40, 1.2}}};
    direct.share = 1.0;
    paths.paths.push_back(direct);
    PlanMapInputs in{doc.model, view, false, QSize(500, 300), true, ""};
    in.isoLineLabels = false;
    in.pointPaths = &paths;
    const QImage image = RenderDrawing(PlanMapDrawing(map, in));
    const QRgb colour = ToQRgb(PathKindColour(PathKind::Direct));
    const int y = static_cast<int>(std::lround(toPixels(MapPoint(20, 40)).y));
    int onPlan = 0, onPanel = 0;
    for (int x = 0; x < image.width(); ++x)
        (x < 500 ? onPlan : onPanel) += image.pixel(x, y) == colour ? 1 : 0;
    EXPECT_GT(onPlan, 100);
    EXPECT_EQ(onPanel, 0);
}

TEST(MapPicture, SectionShowsTheBandsOverTheGroundWithAxes) {
    // A vertical grid 40 m long, 1.5 … 9.5 m over a ground rising from 10 to 14 m; loud near the start.
    LevelGrid grid;
    grid.columns = 9;
    grid.rows = 5;
    for (int c = 0; c < grid.columns; ++c) {
        const double ground = 10 + 0.5 * c;
        for (int r = 0; r < grid.rows; ++r) {
            grid.positions.push_back({0.0, 40.0 - 5 * c, ground + 1.5 + 2 * r});
            grid.levels.push_back(72 - 3.5 * c - 0.5 * r);
        }
    }
    const NoiseMap map = BuildNoiseMap(grid, EvenClasses(35, 5, 10), ClassicScheme(), {MapQuantity::LAmax});
    ASSERT_TRUE(map.vertical);
    EXPECT_EQ(map.legend.heading, "最大騒音レベル LAmax [dB]");
    EXPECT_EQ(map.legend.subheading, "鉛直断面 (0m, 40m)–(0m, 0m)");
    SectionFrame frame;
    frame.lowestNodeAboveGround = 1.5;
    const QImage image = RenderDrawing(SectionDrawing(map, frame));
    ASSERT_EQ(image.size(), QSize(960, 480));
    int ground = 0, loud = 0, quieter = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ground += p == qRgb(222, 205, 170) ? 1 : 0;
            loud += p == ToQRgb(*map.scheme.classColours[8]) ? 1 : 0;     // 70–75 at the start
            quieter += p == ToQRgb(*map.scheme.classColours[4]) ? 1 : 0;  // 50–55 at the end
        }
    }
    EXPECT_GT(ground, 1000);
    EXPECT_GT(loud, 500);
    EXPECT_GT(quieter, 500);
    // The start of the line is on the left: the loud class there, not at the right end.
    EXPECT_EQ(image.pixel(80, 300), ToQRgb(*map.scheme.classColours[8]));
}

TEST(MapPicture, SvgHoldsTheDrawingAsVectors) {
    const ProjectDocument doc = ExampleProject();
    const NoiseMap map = ExampleMap(doc);
    const MapDrawing drawing =
        PlanMapDrawing(map, {doc.model, doc.viewRecords.front().viewData, false, QSize(500, 300), true, ""});
    const QByteArray svg = RenderSvg(drawing, "等価騒音レベル");
    const std::string text = svg.toStdString();
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("等価騒音レベル"), std::string::npos);
    EXPECT_NE(text.find("#78c679"), std::string::npos);  // the 40–45 dB band
    EXPECT_NE(text.find("<path"), std::string::npos);
    const QByteArray png = EncodePng(RenderDrawing(drawing));
    EXPECT_TRUE(png.startsWith("\x89PNG"));
}

}  // namespace
}  // namespace kelmora
