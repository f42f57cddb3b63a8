// `kelmora-calc import` driven as a user drives it: a drawing imported into a new project predicts
// exactly what the same site entered by hand predicts; the project carries its coordinates in its
// extension file, and a noise map exported from it lands at the drawing's place in its coordinate
// system; bad input leaves the project as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CalcProcess.h"
#include "importing/ImportFixtures.h"
#include "model/persistence/ExtensionFile.h"
#include "model/persistence/ProjectFile.h"
#include "model/persistence/ProjectJson.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

// What one run of the command printed, and its exit status.
struct ImportOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

using testing::Slurp;

class ImportCommand : public ::testing::Test {
protected:
    ImportOutcome Calc(const std::vector<std::string>& args) {
        const fs::path out = folder_ / "stdout", err = folder_ / "stderr";
        const pid_t child = ::fork();
        if (child == 0) {
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (o < 0 || e < 0) ::_exit(127);
            ::dup2(o, 1);
            ::dup2(e, 2);
            std::vector<char*> argv{const_cast<char*>(KELMORA_CALC)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(KELMORA_CALC, argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ImportOutcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), Slurp(out),
                              Slurp(err)};
        fs::remove(out);
        fs::remove(err);
        return outcome;
    }

    std::string At(const std::string& name) const { return (folder_.path() / name).string(); }

    // A plant drawn in millimetres in the coordinates of plane zone IX: a 20 × 10 m hall 8 m high by its
    // thickness, a 30 m barrier 3 m high, a pump and two receivers labelled by their text.
    void WritePlant() {
        testing::DxfDrawing dxf(4);
        dxf.Polyline("BLDG", {{1240000, 7650000}, {1260000, 7650000}, {1260000, 7660000}, {1240000, 7660000}},
                     true, 8000.0)
            .Line("WALL", {1235000, 7645000, 0}, {1265000, 7645000, 0}, 3000.0)
            .Insert("SRC", {1250000, 7640000, 0})
            .Text("PTS", {1250000, 7670000, 0}, "R1")
            .Text("PTS", {1230000, 7655000, 0}, "R2");
        dxf.Save(folder_ / "plant.dxf");
        std::string library = "PUMP";
        for (int i = 0; i < 21; ++i)
            library += ", " + std::to_string(85 + i % 4);
        testing::WriteText(folder_ / "spectra.csv", library + "\r\n");
        testing::WriteText(folder_ / "map.json", R"({
  "format": "kelmora-import-mapping", "version": 1, "crs": "EPSG:6677",
  "layers": [
    {"layer": "BLDG", "kind": "building", "height": {"from": "thickness"}},
    {"layer": "WALL", "kind": "barrier", "height": {"from": "thickness"}},
    {"layer": "SRC", "kind": "source", "height": 1.0, "label": "BlockName",
     "spectrum": {"library": "spectra.csv", "field": "BlockName"}},
    {"layer": "PTS", "kind": "point", "height": 1.5, "label": "Text"}
  ]
}
)");
    }

    // The same plant as a user enters it in the editors, in the local metres of the origin (1230, 7640).
    CNoise PlantByHand() {
        CNoise model;
        CGroundLine barrier;
        barrier.polyline.vertices = {{5, 5, 0}, {35, 5, 0}};
        PlaceNewWall(barrier, -1);
        barrier.walls[0].height = 3.0;
        model.groundLines = {barrier};
        CBuilding hall;
        hall.memo = "BLDG ハンドル 100";
        CBuildingWall wall;
        wall.polyline.vertices = {{10, 10, 0}, {30, 10, 0}, {30, 20, 0}, {10, 20, 0}};
        wall.closed = 1;
        wall.bottomZ = 0.0;
        wall.topZ = 8.0;
        hall.walls = {wall};
        CRoof roof;
        roof.face.rect = CanonicalRoofRect({10, 10, 8, 30, 10, 30, 20, 8});
        hall.roofs = {roof};
        model.buildings = {hall};
        CSound pump;
        pump.position = {20, 0, 1};
        pump.memo = "PUMP";
        for (CBand* power : {&pump.powerAverage, &pump.powerMax}) {
            for (int i = 0; i < 21; ++i)
                power->third[static_cast<std::size_t>(i)] = 85 + i % 4;
            power->title = "PUMP";
        }
        model.outdoorSources = {pump};
        model.calcInfo.mode = kPointListMode;
        model.calcInfo.pointList = {CPredictivePoint({20, 30, 1.5}), CPredictivePoint({0, 15, 1.5})};
        model.calcInfo.pointList[0].label = "R1";
        model.calcInfo.pointList[1].label = "R2";
        return model;
    }

    testing::ScratchFolder folder_;
};

TEST_F(ImportCommand, ImportedDrawingPredictsAsTheSiteEnteredByHand) {
    WritePlant();
    const ImportOutcome imported =
        Calc({"import", At("site.kel"), At("plant.dxf"), "--mapping", At("map.json"), "--new"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_NE(imported.out.find("建物 1 (屋上 1), 地表線 0, 遮音壁 1, 屋外音源 1, 予測点 2"),
              std::string::npos)
        << imported.out;
    EXPECT_NE(imported.out.find("原点: 1230.000, 7640.000 [m] (EPSG:6677"), std::string::npos)
        << imported.out;

    ProjectDocument byHand = NewProjectDocument();
    byHand.model = PlantByHand();
    testing::WriteText(folder_ / "hand.json", ProjectJsonText(byHand));
    const ImportOutcome loaded = Calc({"load", At("hand.json"), "-o", At("hand.kel")});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(ReadProjectFile(At("site.kel")).model, ReadProjectFile(At("hand.kel")).model);

    const ImportOutcome a =
        Calc({"run", At("site.kel"), "--laeq", At("a.txt"), "--lamax", At("amax.txt"), "--quiet"});
    const ImportOutcome b =
        Calc({"run", At("hand.kel"), "--laeq", At("b.txt"), "--lamax", At("bmax.txt"), "--quiet"});
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_FALSE(Slurp(folder_ / "a.txt").empty());
    EXPECT_EQ(Slurp(folder_ / "a.txt"), Slurp(folder_ / "b.txt"));
    EXPECT_EQ(Slurp(folder_ / "amax.txt"), Slurp(folder_ / "bmax.txt"));
    EXPECT_EQ(a.out, b.out);

    // The extension file beside the project: the drawing's coordinate system and the origin.
    const ProjectExtras extras = ReadExtensionFile(At("site.kel"));
    ASSERT_TRUE(extras.coordinates);
    EXPECT_EQ(extras.coordinates->epsg, 6677);
    EXPECT_EQ(extras.coordinates->originX, 1230.0);
    EXPECT_EQ(extras.coordinates->originY, 7640.0);
    EXPECT_FALSE(fs::exists(folder_ / "hand.kel.kelx"));

    // Imported again into the project: the objects are added at the same place.
    const ImportOutcome again =
        Calc({"import", At("site.kel"), At("plant.dxf"), "--mapping", At("map.json")});
    ASSERT_EQ(again.status, 0) << again.err;
    const CNoise twice = ReadProjectFile(At("site.kel")).model;
    ASSERT_EQ(twice.buildings.size(), 2u);
    EXPECT_EQ(twice.buildings[1], twice.buildings[0]);
}

TEST_F(ImportCommand, MapOfAnImportedProjectLandsAtTheDrawingsPlace) {
    WritePlant();
    ASSERT_EQ(Calc({"import", At("site.kel"), At("plant.dxf"), "--mapping", At("map.json"), "--new"}).status,
              0);
    // A 5 × 4 grid of 10 m over the local metres 0..40 × 0..30.
    ProjectDocument doc = ReadProjectFile(At("site.kel"));
    CCalcInfo& calc = doc.model.calcInfo;
    calc.mode = kHorizontalGridMode;
    calc.columnDivisions = 4;
    calc.rowDivisions = 3;
    for (int c = 0; c <= 4; ++c)
        for (int r = 0; r <= 3; ++r)
            calc.gridPoints.push_back(CPredictivePoint({10.0 * c, 10.0 * r, 1.5}));
    SaveProjectFile(At("site.kel"), doc);
    ASSERT_EQ(Calc({"run", At("site.kel"), "--laeq", At("grid.txt"), "--quiet"}).status, 0);
    const ImportOutcome map = Calc({"map", At("site.kel"), "--results", At("grid.txt"), "-o", At("map.tif")});
    ASSERT_EQ(map.status, 0) << map.err;

    GDALAllRegister();
    GDALDataset* tif = GDALDataset::Open(At("map.tif").c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY);
    ASSERT_NE(tif, nullptr);
    double t[6];
    ASSERT_EQ(tif->GetGeoTransform(t), CE_None);
    // The north-west corner of the raster: the node (0, 30) of the site half a cell out, at the origin
    // (1230, 7640) of zone IX.
    EXPECT_DOUBLE_EQ(t[0], 1230.0 - 5.0);
    EXPECT_DOUBLE_EQ(t[3], 7640.0 + 30.0 + 5.0);
    EXPECT_DOUBLE_EQ(t[1], 10.0);
    ASSERT_NE(tif->GetSpatialRef(), nullptr);
    EXPECT_STREQ(tif->GetSpatialRef()->GetAuthorityCode(nullptr), "6677");
    GDALClose(GDALDataset::ToHandle(tif));

    // --crs names another system for the same place.
    ASSERT_EQ(Calc({"map", At("site.kel"), "--results", At("grid.txt"), "--crs", "EPSG:6676", "-o",
                    At("other.tif")})
                  .status,
              0);
    tif = GDALDataset::Open(At("other.tif").c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY);
    ASSERT_NE(tif, nullptr);
    ASSERT_EQ(tif->GetGeoTransform(t), CE_None);
    EXPECT_DOUBLE_EQ(t[0], 1225.0);
    EXPECT_STREQ(tif->GetSpatialRef()->GetAuthorityCode(nullptr), "6676");
    GDALClose(GDALDataset::ToHandle(tif));
}

TEST_F(ImportCommand, ListsTheLayersToWriteAMappingFrom) {
    WritePlant();
    const ImportOutcome list = Calc({"import", "--list", At("plant.dxf")});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("図面の単位: $INSUNITS 4 (mm)"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("レイヤ BLDG: 閉じた線, 1 件"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("レイヤ PTS: 点 (3D), 2 件"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("BlockName (String)"), std::string::npos) << list.out;
}

TEST_F(ImportCommand, BadInputLeavesTheProjectAsItWas) {
    WritePlant();
    ASSERT_EQ(Calc({"import", At("site.kel"), At("plant.dxf"), "--mapping", At("map.json"), "--new"}).status,
              0);
    const std::string project = Slurp(folder_ / "site.kel");
    const std::string extension = Slurp(folder_ / "site.kel.kelx");
    testing::WriteText(folder_ / "missing-field.json", R"({"format": "kelmora-import-mapping", "version": 1,
  "layers": [{"layer": "BLDG", "kind": "building", "height": {"from": "field", "field": "HEIGHT"}}]})");
    testing::WriteText(folder_ / "other-crs.json", R"({"format": "kelmora-import-mapping", "version": 1,
  "crs": "EPSG:6676", "layers": []})");
    testing::WriteText(folder_ / "broken.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n");
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{At("plant.dxf"), "--mapping", At("missing-field.json")}, "高さの属性 HEIGHT がありません"},
        {{At("plant.dxf"), "--mapping", At("other-crs.json")}, "プロジェクトの座標系"},
        {{At("plant.dxf"), "--mapping", At("nothing.json")}, "nothing.json"},
        {{At("broken.dxf"), "--mapping", At("map.json")}, "図面・GISファイルを終わりまで読めません"},
        {{At("plant.dxf")}, "--mapping"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"import", At("site.kel")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ImportOutcome refused = Calc(args);
        EXPECT_EQ(refused.status, 1) << c.says;
        EXPECT_NE(refused.err.find(c.says), std::string::npos) << refused.err;
        EXPECT_EQ(Slurp(folder_ / "site.kel"), project) << c.says;
        EXPECT_EQ(Slurp(folder_ / "site.kel.kelx"), extension) << c.says;
    }
    // --new never writes over a project.
    const ImportOutcome over =
        Calc({"import", At("site.kel"), At("plant.dxf"), "--mapping", At("map.json"), "--new"});
    EXPECT_EQ(over.status, 1);
    EXPECT_EQ(Slurp(folder_ / "site.kel"), project);
}

}  // namespace
}  // namespace kelmora
