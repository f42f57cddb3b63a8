// Listing a source: its layers (each DXF layer name of a drawing), what they hold, their fields, extent,
// coordinate system and the drawing unit; and files that are no source refused with a message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ImportFixtures.h"
#include "importing/DxfFacts.h"
#include "importing/VectorSource.h"
#include "model/persistence/TextCodec.h"

namespace kelmora {
namespace {

using testing::DxfDrawing;
using testing::GeoPackage;
using testing::ScratchFolder;

TEST(SourceListing, DxfDrawingByLayerName) {
    ScratchFolder folder;
    DxfDrawing dxf(4);
    dxf.Polyline("BLDG", {{0, 0}, {30000, 0}, {30000, 20000}, {0, 20000}}, true, 12000.0)
        .Polyline("BLDG", {{40000, 0}, {50000, 0}, {50000, 5000}}, false)
        .Line("WALL", {0, -5000, 0}, {30000, -5000, 0}, 3000.0)
        .Insert("SRC", {5000, 5000, 0})
        .Point("SRC", {6000, 5000, 1500})
        .Text("PTS", {-10000, -10000, 0}, "P1")
        .Polyline3D("GL", {{0, -20000, 1000}, {50000, -20000, 2000}});
    dxf.Save(folder / "plant.dxf");

    const SourceInfo info = ListSource(folder / "plant.dxf");
    EXPECT_TRUE(info.dxf);
    EXPECT_EQ(info.insUnits, 4);
    EXPECT_EQ(info.ProposedUnit(), LengthUnit::Millimetre);
    EXPECT_TRUE(info.thicknessReadable);
    ASSERT_EQ(info.layers.size(), 5u);
    const SourceLayer* bldg = info.Layer("BLDG");
    ASSERT_NE(bldg, nullptr);
    EXPECT_EQ(bldg->features, 2);
    EXPECT_EQ(bldg->GeometryText(), "線・閉じた線");
    EXPECT_EQ(bldg->extent, (PlanExtent{0, 0, 50000, 20000, false}));
    EXPECT_FALSE(bldg->crs);
    EXPECT_NE(bldg->Field("Layer"), nullptr);
    EXPECT_NE(bldg->Field("Text"), nullptr);
    EXPECT_EQ(info.Layer("SRC")->features, 2);
    EXPECT_EQ(info.Layer("SRC")->GeometryText(), "点 (3D)");
    EXPECT_NE(info.Layer("SRC")->Field("BlockName"), nullptr);
    EXPECT_EQ(info.Layer("GL")->GeometryText(), "線 (3D)");
    EXPECT_EQ(info.Layer("PTS")->features, 1);
}

TEST(SourceListing, DxfHeaderAndThicknessScan) {
    // $INSUNITS and the thicknesses by handle; a drawing without handles cannot have its thicknesses
    // matched; binary DXF and bytes that are no DXF give nothing and do not stop the scan.
    DxfDrawing dxf(5);
    dxf.Polyline("A", {{0, 0}, {1, 0}, {1, 1}}, true, 250.0).Line("A", {0, 0, 0}, {1, 0, 0});
    const DxfFacts facts = ScanDxfText(dxf.Contents());
    EXPECT_EQ(facts.insUnits, 5);
    EXPECT_EQ(facts.entities, 2);
    EXPECT_TRUE(facts.entitiesHaveHandles);
    ASSERT_EQ(facts.thicknessByHandle.size(), 1u);
    EXPECT_EQ(facts.thicknessByHandle.at("100"), 250.0);

    const DxfFacts noHandles =
        ScanDxfText("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nA\n39\n2.0\n0\nENDSEC\n0\nEOF\n");
    EXPECT_EQ(noHandles.entities, 1);
    EXPECT_FALSE(noHandles.entitiesHaveHandles);
    EXPECT_FALSE(noHandles.insUnits);

    EXPECT_TRUE(ScanDxfText(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)).binary);
    const DxfFacts garbage = ScanDxfText(std::string("\xff\xfe\0garbage\n12\n", 14));
    EXPECT_EQ(garbage.entities, 0);
    EXPECT_FALSE(garbage.insUnits);
}

TEST(SourceListing, JapaneseLayerNamesOfDrawingsWithoutACodePage) {
    // Drawings of Japanese CAD programs are Shift-JIS; one that names its code page is read in it, one
    // from AutoCAD 2007 on is UTF-8.
    ScratchFolder folder;
    DxfDrawing dxf;
    dxf.Point(Utf8ToCp932("音源"), {0, 0, 0});
    dxf.Save(folder / "sjis.dxf");
    EXPECT_NE(ListSource(folder / "sjis.dxf").Layer("音源"), nullptr);
    std::string utf8 = DxfDrawing().Point("音源", {0, 0, 0}).Contents();
    utf8.replace(utf8.find("AC1015"), 6, "AC1027");
    testing::WriteText(folder / "utf8.dxf", utf8);
    EXPECT_NE(ListSource(folder / "utf8.dxf").Layer("音源"), nullptr);
}

TEST(SourceListing, GeoPackageLayersWithTheirCoordinateSystem) {
    ScratchFolder folder;
    {
        GeoPackage gpkg(folder / "site.gpkg");
        OGRLayer* buildings =
            gpkg.Layer("buildings", 6677, wkbPolygon, {{"height", OFTReal}, {"name", OFTString}});
        GeoPackage::Add(buildings, testing::RectangleWkt(-12000, 35000, -11970, 35020).c_str(),
                        {{"height", "12.5"}, {"name", "A"}});
        GeoPackage::Add(buildings, testing::RectangleWkt(-11950, 35050, -11940, 35060).c_str(),
                        {{"height", "8"}});
        OGRLayer* sources = gpkg.Layer("sources", 6677, wkbPoint, {{"type", OFTString}});
        GeoPackage::Add(sources, "POINT (-11990 35030)", {{"type", "PUMP"}});
    }
    const SourceInfo info = ListSource(folder / "site.gpkg");
    EXPECT_FALSE(info.dxf);
    EXPECT_EQ(info.driver, "GPKG");
    ASSERT_EQ(info.layers.size(), 2u);
    const SourceLayer& buildings = info.layers[0];
    EXPECT_EQ(buildings.name, "buildings");
    EXPECT_EQ(buildings.features, 2);
    EXPECT_EQ(buildings.GeometryText(), "面");
    EXPECT_EQ(buildings.extent, (PlanExtent{-12000, 35000, -11940, 35060, false}));
    ASSERT_TRUE(buildings.crs);
    EXPECT_EQ(buildings.crs->epsg, 6677);
    EXPECT_FALSE(buildings.crs->geographic);
    EXPECT_EQ(buildings.crs->Label().rfind("EPSG:6677 ", 0), 0u);
    ASSERT_NE(buildings.Field("height"), nullptr);
    EXPECT_TRUE(buildings.Field("height")->numeric);
    EXPECT_FALSE(buildings.Field("name")->numeric);
    EXPECT_EQ(info.layers[1].GeometryText(), "点");
}

TEST(SourceListing, CityGmlBuildingsWithMeasuredHeight) {
    ScratchFolder folder;
    testing::WriteText(folder / "city.gml", R"(<?xml version="1.0" encoding="UTF-8"?>
<core:CityModel xmlns:core="http://www.opengis.net/citygml/2.0"
    xmlns:bldg="http://www.opengis.net/citygml/building/2.0" xmlns:gml="http://www.opengis.net/gml">
  <core:cityObjectMember>
    <bldg:Building gml:id="B1">
      <bldg:measuredHeight uom="m">12.5</bldg:measuredHeight>
      <bldg:lod0FootPrint>
        <gml:MultiSurface srsName="http://www.opengis.net/def/crs/EPSG/0/6677" srsDimension="3">
          <gml:surfaceMember><gml:Polygon><gml:exterior><gml:LinearRing>
            <gml:posList>35000 -12000 3 35000 -11970 3 35020 -11970 3 35020 -12000 3 35000 -12000 3</gml:posList>
          </gml:LinearRing></gml:exterior></gml:Polygon></gml:surfaceMember>
        </gml:MultiSurface>
      </bldg:lod0FootPrint>
    </bldg:Building>
  </core:cityObjectMember>
</core:CityModel>
)");
    const SourceInfo info = ListSource(folder / "city.gml");
    ASSERT_EQ(info.layers.size(), 1u);
    const SourceLayer& layer = info.layers[0];
    EXPECT_EQ(layer.name, "Building");
    EXPECT_EQ(layer.features, 1);
    EXPECT_EQ(layer.GeometryText(), "面 (3D)");
    ASSERT_NE(layer.Field("measuredHeight"), nullptr);
    EXPECT_TRUE(layer.Field("measuredHeight")->numeric);
    ASSERT_TRUE(layer.crs);
    EXPECT_EQ(layer.crs->epsg, 6677);
    // Easting first, whatever the order of the system's axes in the file.
    EXPECT_EQ(layer.extent, (PlanExtent{-12000, 35000, -11970, 35020, false}));
    // The reader leaves nothing beside the source.
    EXPECT_FALSE(std::filesystem::exists(folder / "city.gfs"));
}

TEST(SourceListing, FilesThatAreNoSourceAreRefused) {
    ScratchFolder folder;
    testing::WriteText(folder / "noise.bin", std::string("\x00\x01\x02garbage\xff", 11));
    testing::WriteText(folder / "empty.dxf", "");
    ASSERT_EQ(::mkfifo((folder / "fifo.dxf").c_str(), 0600), 0);
    struct Case {
        std::string file;
        std::string says;
    };
    const Case cases[] = {
        {"missing.dxf", "missing.dxf"},
        {"fifo.dxf", "通常のファイルではありません"},
        {"", "通常のファイルではありません"},  // the folder itself
        {"noise.bin", "図面・GISファイルとして読めません"},
        {"empty.dxf", "図面・GISファイルとして読めません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            ListSource(folder / c.file);
            ADD_FAILURE() << "listed";
        } catch (const ImportError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace kelmora
