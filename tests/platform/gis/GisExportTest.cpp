// GIS files of a noise map read back with GDAL: the features and attributes of each layer, the bands
// lying over the grid points of their class, the raster's pixels at the nodes, and files that are
// never left half-written.
#include <gtest/gtest.h>

#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>

#include "platform/gis/GdalDataset.h"
#include "platform/gis/GisExport.h"
#include "platform/gis/ReplaceFile.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

using gistest::Dataset;

Dataset Open(const fs::path& path, unsigned flags) {
    GDALAllRegister();
    return Dataset(GDALDataset::Open(path.c_str(), flags | GDAL_OF_READONLY));
}

class TempFolder {
public:
    TempFolder() {
        path_ = fs::temp_directory_path() / ("kelmora-gis-" + std::to_string(std::random_device{}()));
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }
    // Everything in the folder but the named files: what a write left behind.
    std::vector<std::string> Others(std::initializer_list<std::string> expected) const {
        std::vector<std::string> others;
        for (const auto& entry : fs::directory_iterator(path_)) {
            const std::string name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) others.push_back(name);
        }
        return others;
    }

private:
    fs::path path_;
};

// A 9 × 6 grid, 4 m by 3 m, turned by 20° about (100, 200); levels rising east with a random ripple,
// one node without a result.
LevelGrid TurnedGrid() {
    LevelGrid g;
    g.columns = 9;
    g.rows = 6;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> ripple(-3, 3);
    const double cs = std::cos(20 * M_PI / 180), sn = std::sin(20 * M_PI / 180);
    for (int c = 0; c < g.columns; ++c) {
        for (int r = 0; r < g.rows; ++r) {
            const double u = 4.0 * c, v = 3.0 * r;
            g.positions.push_back({100 + u * cs - v * sn, 200 + u * sn + v * cs, 12.0 + 0.1 * c});
            g.levels.push_back(38 + 4.0 * c + ripple(random));
        }
    }
    g.levels[g.Index(4, 2)] = std::nan("");
    return g;
}

NoiseMap TurnedMap() {
    return BuildNoiseMap(TurnedGrid(), EvenClasses(35, 5, 10), EuropeanScheme(),
                         {MapQuantity::LAeqT, false, 1.5});
}

std::size_t NonEmptyBands(const NoiseMap& map) {
    std::size_t n = 0;
    for (const LevelBand& band : map.bands)
        n += band.area.empty() ? 0 : 1;
    return n;
}

// Every point with a level lies in (or on the border of) a band whose class holds the level.
void ExpectPointsInTheirBands(OGRLayer& bands, OGRLayer& points) {
    int checked = 0;
    points.ResetReading();
    for (auto& point : points) {
        if (point->IsFieldNull(point->GetFieldIndex("level"))) continue;
        const double level = point->GetFieldAsDouble("level");
        bool found = false;
        bands.ResetReading();
        for (auto& band : bands) {
            const double lower =
                band->IsFieldNull(band->GetFieldIndex("lower")) ? -INFINITY : band->GetFieldAsDouble("lower");
            const double upper =
                band->IsFieldNull(band->GetFieldIndex("upper")) ? INFINITY : band->GetFieldAsDouble("upper");
            if (level < lower - 1e-9 || level > upper + 1e-9) continue;
            // GeoJSON keeps tenths of a millimetre: a node on a band's edge may fall just outside it.
            std::unique_ptr<OGRGeometry> near(point->GetGeometryRef()->Buffer(1e-3));
            if (band->GetGeometryRef()->Intersects(near.get())) found = true;
        }
        EXPECT_TRUE(found) << "level " << level;
        ++checked;
    }
    EXPECT_EQ(checked, 9 * 6 - 1);
}

TEST(GisExport, GeoJsonHoldsBandsIsoLinesAndPointsInOneCollectionWithoutACoordinateSystem) {
    const TempFolder folder;
    const NoiseMap map = TurnedMap();
    const fs::path file = folder.path() / "map.geojson";
    WriteVectorMap(map, file, GisFormat::GeoJson, {});
    EXPECT_TRUE(folder.Others({"map.geojson"}).empty());
    std::ifstream text(file);
    const std::string json((std::istreambuf_iterator<char>(text)), {});
    EXPECT_EQ(json.find("\"crs\""), std::string::npos);

    const Dataset ds = Open(file, GDAL_OF_VECTOR);
    ASSERT_TRUE(ds);
    ASSERT_EQ(ds->GetLayerCount(), 1);
    OGRLayer& layer = *ds->GetLayer(0);
    std::map<std::string, int> kinds;
    for (auto& f : layer)
        ++kinds[f->GetFieldAsString("kind")];
    EXPECT_EQ(kinds["band"], static_cast<int>(NonEmptyBands(map)));
    std::size_t isoLines = 0;
    for (const IsoLine& iso : map.isoLines)
        isoLines += iso.lines.empty() ? 0 : 1;
    EXPECT_EQ(kinds["isoline"], static_cast<int>(isoLines));  // one feature per limit crossed
    EXPECT_EQ(kinds["point"], 54);

    layer.SetAttributeFilter("kind = 'band' AND label = '50–55'");
    std::unique_ptr<OGRFeature> band(layer.GetNextFeature());
    ASSERT_TRUE(band);
    EXPECT_EQ(band->GetFieldAsInteger("class"), 4);
    EXPECT_DOUBLE_EQ(band->GetFieldAsDouble("lower"), 50);
    EXPECT_DOUBLE_EQ(band->GetFieldAsDouble("upper"), 55);
    EXPECT_STREQ(band->GetFieldAsString("colour"), "#FFFFB2");
    EXPECT_NEAR(band->GetGeometryRef()->toMultiPolygon()->get_Area(), BandArea(map.bands[4]), 1e-2);
}

TEST(GisExport, GeoPackageHasALayerPerKindAndTheBandsLieOverTheirPoints) {
    const TempFolder folder;
    const NoiseMap map = TurnedMap();
    const fs::path file = folder.path() / "map.gpkg";
    WriteVectorMap(map, file, GisFormat::GeoPackage, {});
    EXPECT_TRUE(folder.Others({"map.gpkg"}).empty());
    const Dataset ds = Open(file, GDAL_OF_VECTOR);
    ASSERT_TRUE(ds);
    OGRLayer* bands = ds->GetLayerByName("bands");
    OGRLayer* isolines = ds->GetLayerByName("isolines");
    OGRLayer* points = ds->GetLayerByName("points");
    ASSERT_TRUE(bands && isolines && points);
    EXPECT_EQ(bands->GetFeatureCount(), static_cast<GIntBig>(NonEmptyBands(map)));
    EXPECT_EQ(points->GetFeatureCount(), 54);
    // No coordinate system: GeoPackage's own "undefined cartesian" one, with no authority.
    const OGRSpatialReference* srs = bands->GetSpatialRef();
    EXPECT_TRUE(srs == nullptr || (srs->IsLocal() && srs->GetAuthorityCode(nullptr) == nullptr));
    EXPECT_EQ(wkbFlatten(bands->GetGeomType()), wkbMultiPolygon);
    EXPECT_EQ(wkbFlatten(isolines->GetGeomType()), wkbMultiLineString);
    // The lowest band is open below: no lower limit.
    bands->SetAttributeFilter("class = 0");
    if (std::unique_ptr<OGRFeature> lowest{bands->GetNextFeature()}) {
        EXPECT_TRUE(lowest->IsFieldNull(lowest->GetFieldIndex("lower")));
        EXPECT_TRUE(lowest->IsFieldNull(lowest->GetFieldIndex("colour")));
    }
    bands->SetAttributeFilter(nullptr);
    ExpectPointsInTheirBands(*bands, *points);
    points->SetAttributeFilter("level IS NULL");
    EXPECT_EQ(points->GetFeatureCount(), 1);
}

TEST(GisExport, CoordinateSystemIsWrittenOnlyWhenGiven) {
    const TempFolder folder;
    const NoiseMap map = TurnedMap();
    const fs::path file = folder.path() / "map.gpkg";
    WriteVectorMap(map, file, GisFormat::GeoPackage, {6677});
    const Dataset ds = Open(file, GDAL_OF_VECTOR);
    ASSERT_TRUE(ds);
    const OGRSpatialReference* srs = ds->GetLayerByName("bands")->GetSpatialRef();
    ASSERT_NE(srs, nullptr);
    EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "6677");
    EXPECT_THROW(WriteVectorMap(map, folder.path() / "bad.gpkg", GisFormat::GeoPackage, {999999}),
                 GisExportError);
    EXPECT_TRUE(folder.Others({"map.gpkg"}).empty());
}

TEST(GisExport, GeoTiffPixelsAreTheGridLevelsWithTheirCentresOnTheNodes) {
    const TempFolder folder;
    const LevelGrid grid = TurnedGrid();
    const fs::path file = folder.path() / "map.tif";
    WriteRasterMap(grid, file, {});
    const Dataset ds = Open(file, GDAL_OF_RASTER);
    ASSERT_TRUE(ds);
    ASSERT_EQ(ds->GetRasterXSize(), 9);
    ASSERT_EQ(ds->GetRasterYSize(), 6);
    EXPECT_EQ(ds->GetSpatialRef(), nullptr);
    double t[6];
    ASSERT_EQ(ds->GetGeoTransform(t), CE_None);
    GDALRasterBand* band = ds->GetRasterBand(1);
    int hasNoData = 0;
    EXPECT_DOUBLE_EQ(band->GetNoDataValue(&hasNoData), kRasterNoData);
    EXPECT_TRUE(hasNoData);
    std::vector<float> pixels(9 * 6);
    ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, 9, 6, pixels.data(), 9, 6, GDT_Float32, 0, 0, nullptr), CE_None);
    for (int k = 0; k < 6; ++k) {
        for (int c = 0; c < 9; ++c) {
            // The map position of the pixel's centre is the node's plan position.
            const double x = t[0] + (c + 0.5) * t[1] + (k + 0.5) * t[2];
            const double y = t[3] + (c + 0.5) * t[4] + (k + 0.5) * t[5];
            const std::size_t node = grid.Index(c, 5 - k);
            EXPECT_NEAR(x, grid.positions[node].x, 1e-9);
            EXPECT_NEAR(y, grid.positions[node].y, 1e-9);
            const float pixel = pixels[static_cast<std::size_t>(k * 9 + c)];
            if (std::isnan(grid.levels[node]))
                EXPECT_EQ(pixel, static_cast<float>(kRasterNoData));
            else
                EXPECT_FLOAT_EQ(pixel, static_cast<float>(grid.levels[node]));
        }
    }
}

TEST(GisExport, GridsThatAreNoEvenLatticeAreNoRaster) {
    const TempFolder folder;
    LevelGrid vertical;
    vertical.columns = 2;
    vertical.rows = 2;
    vertical.positions = {{0, 0, 1}, {0, 0, 2}, {5, 0, 1}, {5, 0, 2}};
    vertical.levels = {50, 51, 52, 53};
    EXPECT_THROW(WriteRasterMap(vertical, folder.path() / "v.tif", {}), GisExportError);
    LevelGrid bent = TurnedGrid();
    bent.positions[bent.Index(3, 3)].x += 0.5;
    EXPECT_THROW(WriteRasterMap(bent, folder.path() / "b.tif", {}), GisExportError);
    const NoiseMap section = BuildNoiseMap(vertical, EvenClasses(35, 5, 10), EuropeanScheme(), {});
    EXPECT_THROW(WriteVectorMap(section, folder.path() / "v.geojson", GisFormat::GeoJson, {}),
                 GisExportError);
    EXPECT_TRUE(folder.Others({}).empty());
}

// Writes `text` as GDAL writes a file, into its memory file system.
void WriteThroughGdal(const fs::path& file, const std::string& text) {
    VSILFILE* out = VSIFOpenL(file.c_str(), "wb");
    ASSERT_NE(out, nullptr) << file;
    VSIFWriteL(text.data(), 1, text.size(), out);
    VSIFCloseL(out);
}

TEST(ReplaceFile, AFailedWriteLeavesTheOldFileWholeAndNothingBeside) {
    const TempFolder folder;
    const fs::path target = folder.path() / "map.geojson";
    std::ofstream(target) << "old";
    EXPECT_THROW(ReplaceFileByWriting(target,
                                      [](const fs::path& file) {
                                          WriteThroughGdal(file, "half");
                                          throw std::runtime_error("disk full");
                                      }),
                 std::runtime_error);
    EXPECT_THROW(ReplaceFileByWriting(target, [](const fs::path&) {}), FileReplaceError);  // wrote nothing
    std::ifstream in(target);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "old");
    EXPECT_TRUE(folder.Others({"map.geojson"}).empty());
    bool called = false;
    EXPECT_THROW(ReplaceFileByWriting(folder.path() / "no-such-folder" / "map.tif",
                                      [&](const fs::path&) { called = true; }),
                 FileReplaceError);
    EXPECT_FALSE(called) << "a target that cannot be replaced is refused before anything is written";
    ReplaceFileByWriting(target, [](const fs::path& file) { WriteThroughGdal(file, "new"); });
    std::ifstream again(target);
    again >> content;
    EXPECT_EQ(content, "new");
}

}  // namespace
}  // namespace kelmora
