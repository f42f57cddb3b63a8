// Noise maps of a site brought in from drawings and GIS layers land at the site's place: its local
// metres moved by its origin, in its coordinate system (an EPSG code, or WKT when it has none).
#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <filesystem>
#include <memory>
#include <random>

#include "platform/gis/GdalDataset.h"
#include "platform/gis/GisExport.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

using gistest::Dataset;

class Folder {
public:
    Folder()
        : path_(fs::temp_directory_path() / ("kelmora-gis-place-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(path_);
    }
    ~Folder() { fs::remove_all(path_); }
    fs::path operator/(const char* name) const { return path_ / name; }

private:
    fs::path path_;
};

// A 3 × 2 grid of 10 m from (5, 5) in local metres.
LevelGrid Grid() {
    LevelGrid g;
    g.columns = 3;
    g.rows = 2;
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 2; ++r) {
            g.positions.push_back({5.0 + 10 * c, 5.0 + 10 * r, 1.5});
            g.levels.push_back(50.0 + c);
        }
    }
    return g;
}

TEST(GisPlace, RasterAndVectorsLandAtTheSitesPlace) {
    const Folder folder;
    const GisOptions place = SiteGisOptions(SiteCoordinates{6677, "", -12000.0, 35000.0});
    EXPECT_EQ(place.epsg, 6677);
    WriteRasterMap(Grid(), folder / "map.tif", place);
    GDALAllRegister();
    const Dataset raster(GDALDataset::Open((folder / "map.tif").c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    ASSERT_TRUE(raster);
    double t[6];
    ASSERT_EQ(raster->GetGeoTransform(t), CE_None);
    // The top-left corner: half a cell west of the westmost nodes, half a cell north of the northmost.
    EXPECT_DOUBLE_EQ(t[0], -12000.0 + 0.0);
    EXPECT_DOUBLE_EQ(t[3], 35000.0 + 20.0);
    ASSERT_NE(raster->GetSpatialRef(), nullptr);
    EXPECT_STREQ(raster->GetSpatialRef()->GetAuthorityCode(nullptr), "6677");

    const NoiseMap map =
        BuildNoiseMap(Grid(), EvenClasses(35, 5, 10), EuropeanScheme(), {MapQuantity::LAeqT, false, 1.5});
    WriteVectorMap(map, folder / "map.gpkg", GisFormat::GeoPackage, place);
    const Dataset vectors(
        GDALDataset::Open((folder / "map.gpkg").c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    ASSERT_TRUE(vectors);
    OGRLayer* points = vectors->GetLayerByName("points");
    ASSERT_NE(points, nullptr);
    OGREnvelope extent;
    ASSERT_EQ(points->GetExtent(&extent), OGRERR_NONE);
    EXPECT_DOUBLE_EQ(extent.MinX, -11995.0);
    EXPECT_DOUBLE_EQ(extent.MaxY, 35015.0);
    OGREnvelope bands;
    ASSERT_EQ(vectors->GetLayerByName("bands")->GetExtent(&bands), OGRERR_NONE);
    EXPECT_GE(bands.MinX, -11995.0 - 1e-6);
    EXPECT_LE(bands.MaxX, -11975.0 + 1e-6);
    EXPECT_STREQ(points->GetSpatialRef()->GetAuthorityCode(nullptr), "6677");
}

TEST(GisPlace, SystemWithoutCodeIsWrittenFromItsDefinition) {
    OGRSpatialReference tm;
    tm.SetProjCS("site grid");
    tm.SetWellKnownGeogCS("WGS84");
    tm.SetTM(35.0, 139.0, 1.0, 1000.0, 2000.0);
    char* wkt = nullptr;
    tm.exportToWkt(&wkt);
    const GisOptions place = SiteGisOptions(SiteCoordinates{0, wkt, 100.0, 200.0});
    CPLFree(wkt);
    EXPECT_FALSE(place.epsg);
    const Folder folder;
    WriteRasterMap(Grid(), folder / "map.tif", place);
    const Dataset raster(GDALDataset::Open((folder / "map.tif").c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    ASSERT_TRUE(raster);
    ASSERT_NE(raster->GetSpatialRef(), nullptr);
    EXPECT_TRUE(raster->GetSpatialRef()->IsSame(&tm));
    // A project without coordinates: local metres, no system.
    EXPECT_FALSE(SiteGisOptions(std::nullopt).epsg);
    EXPECT_EQ(SiteGisOptions(std::nullopt).origin, (CVertex2D{0, 0}));
}

}  // namespace
}  // namespace kelmora
