// The mapping as a JSON file the user keeps: written and read back, refused with a message naming the
// value at fault, and checked against the source it is used on.
#include <gtest/gtest.h>

#include "ImportFixtures.h"
#include "importing/ImportMapping.h"
#include "importing/VectorSource.h"

namespace kelmora {
namespace {

using testing::ScratchFolder;

ImportMapping Sample() {
    ImportMapping m;
    m.unit = LengthUnit::Millimetre;
    m.crs = "EPSG:6677";
    m.origin = CVertex2D{-12000.0, 35000.5};
    LayerMapping bldg = DefaultLayerMapping("建屋", ImportKind::Building);
    bldg.height = ValueSource::OfThickness();
    bldg.ground = ValueSource::OfField("GL");
    LayerMapping src = DefaultLayerMapping("SRC", ImportKind::Source);
    src.spectrum = {"/data/spectra.csv", "BlockName", ""};
    src.label = "BlockName";
    m.layers = {bldg, DefaultLayerMapping("WALL", ImportKind::Barrier), src,
                DefaultLayerMapping("GL", ImportKind::GroundLine),
                DefaultLayerMapping("TEXT", ImportKind::Skip)};
    return m;
}

TEST(ImportMapping, WrittenAndReadBack) {
    const ImportMapping m = Sample();
    const std::string text = WriteMappingText(m);
    EXPECT_EQ(ReadMappingText(text), m);
    EXPECT_NE(text.find("\"kind\": \"groundLine\""), std::string::npos);
    EXPECT_NE(text.find("\"height\": 2.5"), std::string::npos);  // a constant is a plain number

    // A relative library is taken beside the mapping file.
    ScratchFolder folder;
    ImportMapping relative = m;
    relative.layers[2].spectrum.library = "lib/spectra.csv";
    WriteMappingFile(folder / "map.json", relative);
    EXPECT_EQ(ReadMappingFile(folder / "map.json").layers[2].spectrum.library,
              (folder / "lib/spectra.csv").string());
}

TEST(ImportMapping, BadMappingsAreRefusedNamingTheValue) {
    const std::string head = R"({"format": "kelmora-import-mapping", "version": 1, )";
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"[1, 2]", "マッピング: オブジェクトが必要です"},
        {"{\"format\": \"other\", \"version\": 1, \"layers\": []}",
         "マッピング: format: \"kelmora-import-mapping\" ではありません"},
        {R"({"format": "kelmora-import-mapping", "version": 2, "layers": []})",
         "マッピング: version: この版のマッピングは読めません: 2"},
        {head + R"("unit": "inch", "layers": []})", "マッピング: unit: mm, cm, m のどれかです: inch"},
        {head + R"("origin": [1], "layers": []})", "マッピング: origin: [x, y] が必要です"},
        {head + R"("layers": [{"layer": "A", "kind": "tree"}]})",
         "マッピング: layers/0/kind: skip, building, groundLine, barrier, source, point のどれかです: tree"},
        {head + R"("layers": [{"layer": "A", "kind": "building", "height": "tall"}]})",
         "マッピング: layers/0/height: オブジェクトが必要です"},
        {head + R"("layers": [{"layer": "A", "kind": "building", "height": {"from": "sky"}}]})",
         "マッピング: layers/0/height/from: constant, field, thickness, z のどれかです: sky"},
        {head + R"("layers": [{"layer": "A", "kind": "building", "colour": 3}]})",
         "マッピング: layers/0: 知らない項目です: colour"},
        {head + R"("layers": [{"layer": "A", "kind": "skip"}, {"layer": "A", "kind": "point"}]})",
         "マッピング: layers/1/layer: 同じレイヤが二度あります: A"},
        {head + R"("layers": [{"layer": "S", "kind": "source", "spectrum": {"library": "x.csv"}}]})",
         "マッピング: layers/0/spectrum: \"field\" か \"title\" のどちらか一つが必要です"},
        {"{\"format\": ", "マッピング: JSON として読めません"},
        {std::string(100, '[') + std::string(100, ']'), "マッピング: 入れ子が深すぎます"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            ReadMappingText(c.text);
            ADD_FAILURE() << "read";
        } catch (const ImportError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, c.message.size()), c.message);
        }
    }
}

TEST(ImportMapping, CheckedAgainstTheSource) {
    ScratchFolder folder;
    testing::DxfDrawing dxf(4);
    dxf.Polyline("BLDG", {{0, 0}, {10, 0}, {10, 10}}, true, 5.0).Point("SRC", {1, 1, 0});
    dxf.Save(folder / "a.dxf");
    const SourceInfo dxfInfo = ListSource(folder / "a.dxf");
    {
        testing::GeoPackage gpkg(folder / "a.gpkg");
        gpkg.Layer("BLDG", 6677, wkbPolygon, {{"H", OFTReal}});
    }
    const SourceInfo gpkgInfo = ListSource(folder / "a.gpkg");

    auto problem = [](const ImportMapping& m, const SourceInfo& info) {
        try {
            CheckMapping(m, info);
        } catch (const ImportError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    ImportMapping m;
    m.layers = {DefaultLayerMapping("BLDG", ImportKind::Building),
                DefaultLayerMapping("GONE", ImportKind::Point),
                DefaultLayerMapping("SRC", ImportKind::GroundLine)};
    // A layer the source lacks and a layer without features for its kind are notes, not problems.
    EXPECT_EQ(CheckMapping(m, dxfInfo), (std::vector<std::string>{"レイヤ GONE はファイルにありません",
                                                                  "レイヤ SRC (地表線) には線がありません"}));

    m.layers[0].height = ValueSource::OfThickness();
    EXPECT_EQ(problem(m, dxfInfo), "");
    EXPECT_EQ(problem(m, gpkgInfo), "レイヤ BLDG (建物): 厚さは DXF 図面の図形にだけあります");
    m.layers[0].height = ValueSource::OfField("H");
    EXPECT_EQ(problem(m, gpkgInfo), "");
    EXPECT_EQ(problem(m, dxfInfo), "レイヤ BLDG (建物): 高さの属性 H がありません");
    m.layers[0].height = ValueSource::Constant(-1.0);
    EXPECT_EQ(problem(m, dxfInfo), "レイヤ BLDG (建物): 高さは 0 以上にしてください");
    m.layers[0].height = ValueSource::OfZ();
    m.layers[0].ground = ValueSource::OfZ();
    EXPECT_EQ(problem(m, dxfInfo), "レイヤ BLDG (建物): 高さと地盤高の両方に Z は使えません");
    ImportMapping barrier;
    barrier.layers = {DefaultLayerMapping("BLDG", ImportKind::Barrier)};
    barrier.layers[0].height = ValueSource::OfZ();
    EXPECT_EQ(problem(barrier, dxfInfo), "レイヤ BLDG (遮音壁): 高さに Z は使えません");
    ImportMapping feet;
    feet.crs = "EPSG:2227";  // California zone 3, US feet
    EXPECT_NE(problem(feet, dxfInfo).find("単位がメートルではありません"), std::string::npos);
}

}  // namespace
}  // namespace kelmora
