// Whole imports of small drawings and GIS layers: the objects made, where they land, and what is skipped
// or refused.
#include <gtest/gtest.h>

#include <cmath>

#include "ImportFixtures.h"
#include "importing/SiteImport.h"
#include "model/Validation.h"

namespace kelmora {
namespace {

using testing::DxfDrawing;
using testing::GeoPackage;
using testing::ScratchFolder;

ImportOutcome Import(const std::filesystem::path& file, const ImportMapping& mapping,
                     const ImportInto& into = {}) {
    return RunImport(ListSource(file), mapping, into);
}

double RoofArea(const CBuilding& b) {
    double area = 0.0;
    for (const CRoof& roof : b.roofs) {
        const CMyRect& r = roof.face.rect;
        area += std::hypot(r.p2.x - r.p1.x, r.p2.y - r.p1.y) * std::hypot(r.p3.x - r.p2.x, r.p3.y - r.p2.y);
    }
    return area;
}

// A drawing in millimetres far from the origin: an L-shaped building 12 m high by its thickness, a
// triangular one 6 m by a constant, a barrier, two sources and a point.
constexpr double kX = 1'234'567.0, kY = 7'654'321.0;  // mm

DxfDrawing Plant() {
    DxfDrawing dxf(4);
    auto at = [](double x, double y) { return CVertex2D{kX + 1000 * x, kY + 1000 * y}; };
    dxf.Polyline("BLDG", {at(0, 0), at(30, 0), at(30, 10), at(10, 10), at(10, 30), at(0, 30)}, true, 12000.0)
        .Polyline("TANK", {at(40, 0), at(80, 0), at(55, 25)}, true)
        .Line("WALL", {kX, kY - 5000, 0}, {kX + 40000, kY - 5000, 0}, 3000.0)
        .Insert("SRC", {kX + 20000, kY + 20000, 0})
        .Point("SRC", {kX + 25000, kY + 20000, 0})
        .Text("PTS", {kX - 10000, kY + 5000, 0}, "P1");
    return dxf;
}

ImportMapping PlantMapping() {
    ImportMapping m;
    LayerMapping bldg = DefaultLayerMapping("BLDG", ImportKind::Building);
    bldg.height = ValueSource::OfThickness();
    LayerMapping tank = DefaultLayerMapping("TANK", ImportKind::Building);
    tank.height = ValueSource::Constant(6.0);
    LayerMapping wall = DefaultLayerMapping("WALL", ImportKind::Barrier);
    wall.height = ValueSource::OfThickness();
    LayerMapping pts = DefaultLayerMapping("PTS", ImportKind::Point);
    pts.label = "Text";
    m.layers = {bldg, tank, wall, DefaultLayerMapping("SRC", ImportKind::Source), pts};
    return m;
}

TEST(SiteImport, DrawingUnitAndOrigin) {
    ScratchFolder folder;
    Plant().Save(folder / "plant.dxf");
    const ImportOutcome out = Import(folder / "plant.dxf", PlantMapping());
    // $INSUNITS 4: millimetres. The origin: the extent's lower-left corner (the point at x − 10 m, the
    // barrier at y − 5 m) rounded down to 10 m.
    EXPECT_EQ(out.report.drawingUnit, "mm");
    EXPECT_EQ(out.coordinates.originX, 1220.0);
    EXPECT_EQ(out.coordinates.originY, 7640.0);
    EXPECT_FALSE(out.coordinates.HasSystem());
    ASSERT_EQ(out.additions.calcInfo.pointList.size(), 1u);
    const CVector3D& p = out.additions.calcInfo.pointList[0].position;
    EXPECT_NEAR(p.x, 1224.567 - 1220.0, 1e-9);
    EXPECT_NEAR(p.y, 7659.321 - 7640.0, 1e-9);
    EXPECT_DOUBLE_EQ(p.z, 1.5);
    EXPECT_EQ(out.additions.calcInfo.pointList[0].label, "P1");

    // The unit and the origin the mapping gives win.
    ImportMapping metres = PlantMapping();
    metres.unit = LengthUnit::Metre;
    metres.origin = CVertex2D{1'234'000.0, 7'654'000.0};
    const ImportOutcome m = Import(folder / "plant.dxf", metres);
    EXPECT_NEAR(m.additions.calcInfo.pointList[0].position.x, 1'224'567.0 - 1'234'000.0, 1e-6);
    EXPECT_EQ(m.coordinates.originX, 1'234'000.0);

    // A project that has coordinates keeps its origin.
    const ImportOutcome into = Import(folder / "plant.dxf", metres, {SiteCoordinates{0, "", 5.0, 6.0}, 0});
    EXPECT_EQ(into.coordinates.originX, 5.0);
    EXPECT_EQ(into.coordinates.originY, 6.0);
}

TEST(SiteImport, BuildingsFromFootprints) {
    ScratchFolder folder;
    Plant().Save(folder / "plant.dxf");
    const ImportOutcome out = Import(folder / "plant.dxf", PlantMapping());
    ASSERT_EQ(out.additions.buildings.size(), 2u);
    EXPECT_EQ(out.report.buildings, 2);

    // The L: one closed wall along its six corners from the ground to 12 m, two flat roofs at 12 m whose
    // area is the footprint's, the side where they meet not diffracting.
    const CBuilding& l = out.additions.buildings[0];
    ASSERT_EQ(l.walls.size(), 1u);
    const CBuildingWall& wall = l.walls[0];
    EXPECT_EQ(wall.closed, 1);
    EXPECT_EQ(wall.polyline.vertices.size(), 6u);
    EXPECT_EQ(wall.bottomZ, 0.0);
    EXPECT_NEAR(wall.topZ, 12.0, 1e-9);
    EXPECT_FALSE(ValidateBuildingWall(wall));
    EXPECT_EQ(wall.absorption, CBuildingWall().absorption);
    ASSERT_EQ(l.roofs.size(), 2u);
    EXPECT_NEAR(RoofArea(l), 500.0, 1e-6);
    int inner = 0;
    for (const CRoof& roof : l.roofs) {
        EXPECT_NEAR(roof.face.rect.p1.z, 12.0, 1e-9);
        EXPECT_NEAR(roof.face.rect.p3.z, 12.0, 1e-9);
        EXPECT_EQ(roof.face.wedgeType, CRoof().face.wedgeType);
        EXPECT_EQ(roof.face.tl, CRoof().face.tl);
        for (int d : roof.face.diffracts)
            inner += d == 0;
    }
    // The L is split at x = 10 m: the short roof's side there lies wholly within the footprint; the long
    // roof's goes on along the outline.
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(l.memo, "BLDG ハンドル 100");

    // The triangle: strips within 1 %, and the report names it.
    const CBuilding& tank = out.additions.buildings[1];
    EXPECT_GT(tank.roofs.size(), 1u);
    EXPECT_GE(RoofArea(tank), 500.0 - 1e-6);
    EXPECT_LE(RoofArea(tank), 505.0);
    EXPECT_NEAR(tank.walls[0].topZ, 6.0, 1e-9);
    ASSERT_EQ(out.report.stripBuildings.size(), 1u);
    EXPECT_EQ(out.report.stripBuildings[0].rfind("TANK ", 0), 0u);
}

TEST(SiteImport, BarrierBecomesAGroundLineWithOneWall) {
    ScratchFolder folder;
    Plant().Save(folder / "plant.dxf");
    const ImportOutcome out = Import(folder / "plant.dxf", PlantMapping());
    ASSERT_EQ(out.additions.groundLines.size(), 1u);
    EXPECT_EQ(out.report.barriers, 1);
    const CGroundLine& line = out.additions.groundLines[0];
    ASSERT_EQ(line.polyline.vertices.size(), 2u);
    EXPECT_NEAR(line.polyline.vertices[1].x - line.polyline.vertices[0].x, 40.0, 1e-9);
    ASSERT_EQ(line.walls.size(), 1u);
    const CWall& wall = line.walls[0];
    EXPECT_EQ(wall.rangeStart, 0.0);
    EXPECT_NEAR(wall.rangeEnd, 40.0, 1e-9);
    EXPECT_NEAR(wall.height, 3.0, 1e-9);
    EXPECT_EQ(wall.type, CWall().type);
    EXPECT_EQ(wall.tl, CWall().tl);
    EXPECT_FALSE(ValidateGroundLine(line));
}

TEST(SiteImport, GroundLinesFromThreeDimensionalPolylines) {
    ScratchFolder folder;
    DxfDrawing dxf(6);
    dxf.Polyline3D("GL", {{0, 0, 10}, {50, 0, 12}, {100, 20, 11}})
        .Polyline("GL", {{0, 30}, {80, 30}}, false, 0.0, 7.5);
    dxf.Save(folder / "terrain.dxf");
    ImportMapping m;
    m.layers = {DefaultLayerMapping("GL", ImportKind::GroundLine)};
    m.origin = CVertex2D{0, 0};
    const ImportOutcome out = Import(folder / "terrain.dxf", m);
    ASSERT_EQ(out.additions.groundLines.size(), 2u);
    const auto& v = out.additions.groundLines[0].polyline.vertices;
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[1].z, 12.0);
    EXPECT_EQ(v[2].x, 100.0);
    EXPECT_TRUE(out.additions.groundLines[0].walls.empty());
    EXPECT_EQ(out.additions.groundLines[1].polyline.vertices[0].z, 7.5);  // the polyline's elevation
}

TEST(SiteImport, SourcesTakeTheSpectrumNamedByAField) {
    ScratchFolder folder;
    std::string library;
    for (const char* title : {"PUMP", "FAN"}) {
        library += title;
        for (int i = 0; i < 21; ++i)
            library += std::string(", ") + (title[0] == 'P' ? "80" : "70");
        library += "\r\n";
    }
    testing::WriteText(folder / "spectra.csv", library);
    {
        GeoPackage gpkg(folder / "sources.gpkg");
        OGRLayer* layer = gpkg.Layer("sources", 6677, wkbPoint, {{"type", OFTString}, {"h", OFTReal}});
        GeoPackage::Add(layer, "POINT (-11990 35030)", {{"type", "PUMP"}, {"h", "2.5"}});
        GeoPackage::Add(layer, "POINT (-11980 35030)", {{"type", "FAN"}, {"h", "4"}});
        GeoPackage::Add(layer, "POINT (-11970 35030)", {{"type", "SIREN"}, {"h", "1"}});
        GeoPackage::Add(layer, "POINT (-11960 35030)", {{"type", "FAN"}});
    }
    ImportMapping m;
    LayerMapping sources = DefaultLayerMapping("sources", ImportKind::Source);
    sources.height = ValueSource::OfField("h");
    sources.label = "type";
    sources.spectrum = {(folder / "spectra.csv").string(), "type", ""};
    m.layers = {sources};
    const ImportOutcome out = Import(folder / "sources.gpkg", m);
    EXPECT_EQ(out.coordinates.epsg, 6677);
    EXPECT_EQ(out.coordinates.originX, -11990.0);
    EXPECT_EQ(out.coordinates.originY, 35030.0);
    ASSERT_EQ(out.additions.outdoorSources.size(), 2u);
    const CSound& pump = out.additions.outdoorSources[0];
    EXPECT_EQ(pump.position.x, 0.0);
    EXPECT_EQ(out.additions.outdoorSources[1].position.x, 10.0);
    EXPECT_EQ(pump.position.z, 2.5);
    EXPECT_EQ(pump.memo, "PUMP");
    EXPECT_EQ(pump.powerAverage.title, "PUMP");
    EXPECT_EQ(pump.powerAverage.third[0], 80.0);
    EXPECT_EQ(pump.powerMax.third[20], 80.0);
    EXPECT_EQ(pump.q, CSound().q);
    EXPECT_EQ(out.additions.outdoorSources[1].powerAverage.third[5], 70.0);
    // The siren's spectrum is not in the library, the last fan has no height: both skipped and told.
    ASSERT_EQ(out.report.skipped.size(), 2u);
    EXPECT_EQ(out.report.skipped[0].reason, "スペクトル SIREN がバンドライブラリにありません");
    EXPECT_EQ(out.report.skipped[1].reason, "高さがありません: 属性 h が数値ではありません");

    // One spectrum for all: a title the library lacks refuses the import.
    m.layers[0].spectrum = {(folder / "spectra.csv").string(), "", "HORN"};
    EXPECT_THROW(Import(folder / "sources.gpkg", m), ImportError);
}

TEST(SiteImport, FeaturesThatMakeNothingAreSkippedWithTheirReason) {
    ScratchFolder folder;
    DxfDrawing dxf(6);
    dxf.Polyline("B", {{0, 0}, {10, 0}, {10, 10}}, false)                   // open
        .Polyline("B", {{0, 0}, {10, 0}, {20, 0}}, true)                    // no area
        .Polyline("B", {{0, 0}, {10, 10}, {10, 0}, {0, 10}}, true, 5.0)     // self-crossing: mended
        .Polyline("B", {{20, 0}, {30, 0}, {30, 10}, {20, 10}}, true, -2.0)  // negative height
        .Point("B", {5, 5, 0});
    dxf.Save(folder / "b.dxf");
    ImportMapping m;
    m.layers = {DefaultLayerMapping("B", ImportKind::Building)};
    m.layers[0].height = ValueSource::OfThickness();
    const ImportOutcome out = Import(folder / "b.dxf", m);
    EXPECT_EQ(out.report.buildings, 1);
    ASSERT_EQ(out.report.mendedBuildings.size(), 1u);
    // The bow tie mended into its two triangles, one wall each.
    EXPECT_EQ(out.additions.buildings[0].walls.size(), 2u);
    std::vector<std::string> reasons;
    for (const SkippedFeatures& s : out.report.skipped)
        reasons.push_back(s.reason);
    EXPECT_EQ(reasons, (std::vector<std::string>{"閉じていない線は建物にできません", "面積のない形です",
                                                 "高さが 0 以下です", "点は建物にできません"}));
    const std::string text = ImportReportText(out.report);
    EXPECT_NE(text.find("取り込まなかった図形 (4 件)"), std::string::npos) << text;
    EXPECT_NE(text.find("自己交差を直した建物 (1 件)"), std::string::npos) << text;
}

// A ground level so high that the height is lost in it, or that the sum overflows: no building with
// walls of no height, no point at infinity.
TEST(SiteImport, HeightsLostInAHugeGroundLevelAreSkipped) {
    ScratchFolder folder;
    DxfDrawing dxf(6);
    dxf.Polyline("B", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true).Point("P", {5, 5, 0});
    dxf.Save(folder / "b.dxf");
    ImportMapping m;
    m.layers = {DefaultLayerMapping("B", ImportKind::Building), DefaultLayerMapping("P", ImportKind::Point)};
    m.layers[0].height = ValueSource::Constant(5.0);
    m.layers[1].height = ValueSource::Constant(1.2);
    for (const double ground : {1e300, 1e17, -1e300}) {
        m.layers[0].ground = m.layers[1].ground = ValueSource::Constant(ground);
        const ImportOutcome out = Import(folder / "b.dxf", m);
        EXPECT_EQ(out.report.buildings, 0) << ground;
        ASSERT_EQ(out.report.skipped.size(), 1u) << ground;
        EXPECT_EQ(out.report.skipped[0].reason, "地盤高に比べて高さが小さすぎるか、大きすぎます");
    }
    m.layers[0].ground = m.layers[1].ground = ValueSource::Constant(1.7e308);
    m.layers[0].height = m.layers[1].height = ValueSource::Constant(1e308);
    const ImportOutcome out = Import(folder / "b.dxf", m);
    EXPECT_EQ(out.report.buildings + out.report.points, 0);
    std::vector<std::string> reasons;
    for (const SkippedFeatures& s : out.report.skipped)
        reasons.push_back(s.reason);
    EXPECT_EQ(reasons, (std::vector<std::string>{"地盤高に比べて高さが小さすぎるか、大きすぎます",
                                                 "地盤高と高さが大きすぎます"}));
    // An ordinary height over a high plateau still makes its building.
    m.layers[0].ground = ValueSource::Constant(3000.0);
    m.layers[0].height = ValueSource::Constant(5.0);
    EXPECT_EQ(Import(folder / "b.dxf", m).report.buildings, 1);
}

TEST(SiteImport, LayersInAnotherCoordinateSystemAreTransformed) {
    ScratchFolder folder;
    {
        GeoPackage gpkg(folder / "wgs.gpkg");
        OGRLayer* layer = gpkg.Layer("points", 4326, wkbPoint, {});
        // The origin of zone IX of the Japanese plane rectangular systems: 36°N 139°50'E.
        GeoPackage::Add(layer, "POINT (139.833333333333 36.0)", {});
    }
    ImportMapping m;
    m.crs = "EPSG:6677";
    m.origin = CVertex2D{0, 0};
    m.layers = {DefaultLayerMapping("points", ImportKind::Point)};
    const ImportOutcome out = Import(folder / "wgs.gpkg", m);
    EXPECT_EQ(out.coordinates.epsg, 6677);
    ASSERT_EQ(out.additions.calcInfo.pointList.size(), 1u);
    EXPECT_NEAR(out.additions.calcInfo.pointList[0].position.x, 0.0, 0.01);
    EXPECT_NEAR(out.additions.calcInfo.pointList[0].position.y, 0.0, 0.01);

    // Without a projected system to go to, degrees are refused.
    m.crs.clear();
    EXPECT_THROW(Import(folder / "wgs.gpkg", m), ImportError);
}

TEST(SiteImport, BadInputIsRefusedWithItsMessage) {
    ScratchFolder folder;
    Plant().Save(folder / "plant.dxf");
    DxfDrawing nan(6);
    nan.Raw("0\nPOINT\n5\n1F\n8\nSRC\n10\nnan\n20\n1.0\n30\n0.0\n");
    nan.Save(folder / "nan.dxf");

    auto message = [](const std::function<void()>& run) {
        try {
            run();
        } catch (const ImportError& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    ImportMapping missingField = PlantMapping();
    missingField.layers[0].height = ValueSource::OfField("HEIGHT");
    EXPECT_EQ(message([&] { Import(folder / "plant.dxf", missingField); }),
              "レイヤ BLDG (建物): 高さの属性 HEIGHT がありません");
    ImportMapping unknownCrs = PlantMapping();
    unknownCrs.crs = "EPSG:999999";
    EXPECT_EQ(message([&] { Import(folder / "plant.dxf", unknownCrs); }),
              "座標系が分かりません: EPSG:999999");
    ImportMapping degrees = PlantMapping();
    degrees.crs = "EPSG:4326";
    EXPECT_NE(message([&] { Import(folder / "plant.dxf", degrees); }).find("緯度経度"), std::string::npos);
    ImportMapping points;
    points.layers = {DefaultLayerMapping("SRC", ImportKind::Source)};
    EXPECT_NE(message([&] { Import(folder / "nan.dxf", points); }).find("座標が有限の数値ではありません"),
              std::string::npos);
    // A project in one system does not take a mapping in another.
    ImportMapping other = PlantMapping();
    other.crs = "EPSG:6676";
    EXPECT_NE(message([&] {
                  Import(folder / "plant.dxf", other, {SiteCoordinates{6677, "", 0, 0}, 0});
              }).find("プロジェクトの座標系"),
              std::string::npos);
}

TEST(SiteImport, TooManyFeaturesAreRefusedBeforeReading) {
    ScratchFolder folder;
    {
        GeoPackage gpkg(folder / "many.gpkg");
        OGRLayer* layer = gpkg.Layer("points", 6677, wkbPoint, {});
        gpkg.dataset().StartTransaction();
        for (std::int64_t i = 0; i <= kMaxImportFeatures; ++i) {
            OGRFeature* f = OGRFeature::CreateFeature(layer->GetLayerDefn());
            f->SetGeometryDirectly(
                new OGRPoint(static_cast<double>(i % 1000), static_cast<double>(i / 1000)));
            EXPECT_EQ(layer->CreateFeature(f), OGRERR_NONE);
            OGRFeature::DestroyFeature(f);
        }
        gpkg.dataset().CommitTransaction();
    }
    ImportMapping m;
    m.layers = {DefaultLayerMapping("points", ImportKind::Point)};
    bool told = false;
    try {
        RunImport(ListSource(folder / "many.gpkg"), m, {}, [&](double) { return told = true; });
    } catch (const ImportError& e) {
        EXPECT_NE(std::string(e.what()).find("多すぎます"), std::string::npos);
    }
    EXPECT_FALSE(told);  // refused before a feature was read
}

TEST(SiteImport, ImportedObjectsJoinTheModel) {
    CNoise model;
    model.buildings.resize(1);
    CNoise additions;
    additions.buildings.resize(2);
    additions.calcInfo.pointList.resize(3);
    const CNoise joined = WithImported(model, additions);
    EXPECT_EQ(joined.buildings.size(), 3u);
    EXPECT_EQ(joined.calcInfo.pointList.size(), 3u);
    EXPECT_EQ(joined.calcInfo.mode, 1);  // the single point gives way to the list
    CNoise grid;
    grid.calcInfo.mode = 2;
    EXPECT_EQ(WithImported(grid, additions).calcInfo.mode, 2);
    EXPECT_EQ(DefaultOrigin(PlanExtent{-12005.5, 35009.9, 0, 0, false}).x, -12010.0);
    EXPECT_EQ(DefaultOrigin(PlanExtent{-12005.5, 35009.9, 0, 0, false}).y, 35000.0);
}

}  // namespace
}  // namespace kelmora
