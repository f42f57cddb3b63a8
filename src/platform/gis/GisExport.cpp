#include "platform/gis/GisExport.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gis/ReplaceFile.h"

namespace kelmora {

namespace fs = std::filesystem;

namespace {

// Positions of result files carry millimetres: a lattice node may sit that far off [m].
constexpr double kLatticeTolerance = 0.002;

void RegisterDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// GDAL's own messages are collected for ours instead of going to the standard error.
class QuietErrors {
public:
    QuietErrors() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
};

[[noreturn]] void Fail(const std::string& what, const fs::path& path) {
    std::string message = what + ": " + path.string();
    const char* reason = CPLGetLastErrorMsg();
    if (reason != nullptr && *reason != '\0') message += " (" + std::string(reason) + ")";
    throw GisExportError(message);
}

struct DatasetCloser {
    void operator()(GDALDataset* d) const {
        if (d != nullptr) GDALClose(GDALDataset::ToHandle(d));
    }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

struct FeatureDeleter {
    void operator()(OGRFeature* f) const { OGRFeature::DestroyFeature(f); }
};

// Closes the dataset; a failure reported while the drivers write out what they hold is ours.
void Close(Dataset& dataset, const fs::path& path) {
    CPLErrorReset();
    GDALClose(GDALDataset::ToHandle(dataset.release()));
    if (CPLGetLastErrorType() >= CE_Failure) Fail("GISファイルを書き込めません", path);
}

std::unique_ptr<OGRSpatialReference> SpatialReference(const GisOptions& options) {
    if (!options.epsg && options.definition.empty()) return nullptr;
    auto srs = std::make_unique<OGRSpatialReference>();
    srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (!options.epsg) {
        if (srs->SetFromUserInput(options.definition.c_str()) != OGRERR_NONE)
            throw GisExportError("座標系が分かりません: " + options.definition);
        return srs;
    }
    if (srs->importFromEPSG(*options.epsg) != OGRERR_NONE)
        throw GisExportError("座標系 EPSG:" + std::to_string(*options.epsg) + " が分かりません");
    return srs;
}

// ---- The site's place ----------------------------------------------------------------------------

void Move(MapRing& ring, const CVertex2D& by) {
    for (MapPoint& p : ring)
        p = MapPoint(p.x() + by.x, p.y() + by.y);
}

// The map with its local metres moved by the site's origin.
NoiseMap AtPlace(const NoiseMap& map, const CVertex2D& origin) {
    NoiseMap moved = map;
    if (origin.x == 0.0 && origin.y == 0.0) return moved;
    for (LevelBand& band : moved.bands) {
        for (MapPolygon& polygon : band.area) {
            Move(polygon.outer(), origin);
            for (MapRing& hole : polygon.inners())
                Move(hole, origin);
        }
    }
    for (IsoLine& iso : moved.isoLines)
        for (MapLine& line : iso.lines)
            for (MapPoint& p : line)
                p = MapPoint(p.x() + origin.x, p.y() + origin.y);
    for (CVector3D& p : moved.grid.positions) {
        p.x += origin.x;
        p.y += origin.y;
    }
    return moved;
}

Dataset CreateDataset(const char* driverName, const fs::path& path, int columns, int rows, int bands,
                      GDALDataType type, const std::vector<std::string>& creationOptions) {
    RegisterDrivers();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
    if (driver == nullptr)
        throw GisExportError(std::string("GDAL に ") + driverName + " のドライバがありません");
    std::vector<char*> options;
    for (const std::string& o : creationOptions)
        options.push_back(const_cast<char*>(o.c_str()));
    options.push_back(nullptr);
    Dataset dataset(driver->Create(path.c_str(), columns, rows, bands, type, options.data()));
    if (!dataset) Fail("GISファイルを作れません", path);
    return dataset;
}

void AddField(OGRLayer& layer, const char* name, OGRFieldType type, const fs::path& path) {
    OGRFieldDefn field(name, type);
    if (layer.CreateField(&field) != OGRERR_NONE) Fail("GISファイルの属性を作れません", path);
}

OGRLayer& CreateLayer(GDALDataset& dataset, const char* name, const OGRSpatialReference* srs,
                      OGRwkbGeometryType type, const fs::path& path) {
    // Tenths of a millimetre are more than the positions of a result file carry.
    char precision[] = "COORDINATE_PRECISION=4";
    char* geojsonOptions[] = {precision, nullptr};
    const bool geojson = EQUAL(dataset.GetDriverName(), "GeoJSON");
    OGRLayer* layer = dataset.CreateLayer(name, const_cast<OGRSpatialReference*>(srs), type,
                                          geojson ? geojsonOptions : nullptr);
    if (layer == nullptr) Fail("GISファイルのレイヤを作れません", path);
    return *layer;
}

OGRLinearRing ToRing(const MapRing& ring) {
    OGRLinearRing out;
    for (const MapPoint& p : ring)
        out.addPoint(p.x(), p.y());
    return out;
}

OGRMultiPolygon ToMultiPolygon(const MapMultiPolygon& area) {
    OGRMultiPolygon out;
    for (const MapPolygon& polygon : area) {
        OGRPolygon p;
        OGRLinearRing outer = ToRing(polygon.outer());
        p.addRing(&outer);
        for (const MapRing& hole : polygon.inners()) {
            OGRLinearRing inner = ToRing(hole);
            p.addRing(&inner);
        }
        out.addGeometry(&p);
    }
    return out;
}

OGRMultiLineString ToMultiLine(const std::vector<MapLine>& lines) {
    OGRMultiLineString out;
    for (const MapLine& line : lines) {
        OGRLineString l;
        for (const MapPoint& p : line)
            l.addPoint(p.x(), p.y());
        out.addGeometry(&l);
    }
    return out;
}

// Writes features into the layers of one dataset: the same layer for all kinds (GeoJSON) or one per
// kind (GeoPackage). Every layer has every field; a kind leaves the others null.
class FeatureWriter {
public:
    FeatureWriter(GDALDataset& dataset, const OGRSpatialReference* srs, bool oneLayer, const fs::path& path)
        : path_(path) {
        if (oneLayer) {
            OGRLayer& all = MakeLayer(dataset, "noise_map", srs, wkbUnknown);
            bands_ = isolines_ = points_ = &all;
        } else {
            bands_ = &MakeLayer(dataset, "bands", srs, wkbMultiPolygon);
            isolines_ = &MakeLayer(dataset, "isolines", srs, wkbMultiLineString);
            points_ = &MakeLayer(dataset, "points", srs, wkbPoint);
        }
    }

    void Band(const LevelBand& band, const std::string& label, const std::optional<Rgb>& colour) {
        auto f = New(*bands_, "band");
        f->SetField("class", static_cast<int>(band.classIndex));
        if (std::isfinite(band.lower)) f->SetField("lower", band.lower);
        if (std::isfinite(band.upper)) f->SetField("upper", band.upper);
        f->SetField("label", label.c_str());
        if (colour) f->SetField("colour", HexColour(*colour).c_str());
        OGRMultiPolygon geometry = ToMultiPolygon(band.area);
        Put(*bands_, *f, geometry);
    }

    void IsoLines(const IsoLine& iso) {
        auto f = New(*isolines_, "isoline");
        f->SetField("level", iso.level);
        OGRMultiLineString geometry = ToMultiLine(iso.lines);
        Put(*isolines_, *f, geometry);
    }

    void Point(const CVector3D& position, double level) {
        auto f = New(*points_, "point");
        if (std::isfinite(level)) f->SetField("level", level);
        f->SetField("z", position.z);
        OGRPoint geometry(position.x, position.y);
        Put(*points_, *f, geometry);
    }

private:
    OGRLayer& MakeLayer(GDALDataset& dataset, const char* name, const OGRSpatialReference* srs,
                        OGRwkbGeometryType type) {
        OGRLayer& layer = CreateLayer(dataset, name, srs, type, path_);
        AddField(layer, "kind", OFTString, path_);
        AddField(layer, "class", OFTInteger, path_);
        AddField(layer, "lower", OFTReal, path_);
        AddField(layer, "upper", OFTReal, path_);
        AddField(layer, "label", OFTString, path_);
        AddField(layer, "colour", OFTString, path_);
        AddField(layer, "level", OFTReal, path_);
        AddField(layer, "z", OFTReal, path_);
        return layer;
    }

    std::unique_ptr<OGRFeature, FeatureDeleter> New(OGRLayer& layer, const char* kind) {
        std::unique_ptr<OGRFeature, FeatureDeleter> f(OGRFeature::CreateFeature(layer.GetLayerDefn()));
        for (int i = 0; i < f->GetFieldCount(); ++i)
            f->SetFieldNull(i);
        f->SetField("kind", kind);
        return f;
    }

    void Put(OGRLayer& layer, OGRFeature& f, OGRGeometry& geometry) {
        if (f.SetGeometry(&geometry) != OGRERR_NONE || layer.CreateFeature(&f) != OGRERR_NONE)
            Fail("GISファイルに書き込めません", path_);
    }

    fs::path path_;
    OGRLayer* bands_ = nullptr;
    OGRLayer* isolines_ = nullptr;
    OGRLayer* points_ = nullptr;
};

std::string Lowercase(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

std::optional<GisFormat> GisFormatOfPath(const fs::path& path) {
    const std::string ext = Lowercase(path.extension().string());
    if (ext == ".geojson" || ext == ".json") return GisFormat::GeoJson;
    if (ext == ".gpkg") return GisFormat::GeoPackage;
    if (ext == ".tif" || ext == ".tiff") return GisFormat::GeoTiff;
    return std::nullopt;
}

GisOptions SiteGisOptions(const std::optional<SiteCoordinates>& coordinates) {
    GisOptions options;
    if (!coordinates) return options;
    if (coordinates->epsg > 0) options.epsg = coordinates->epsg;
    options.definition = coordinates->definition;
    options.origin = {coordinates->originX, coordinates->originY};
    return options;
}

void WriteVectorMap(const NoiseMap& localMap, const fs::path& path, GisFormat format,
                    const GisOptions& options) {
    if (format == GisFormat::GeoTiff) {
        WriteRasterMap(localMap.grid, path, options);
        return;
    }
    const NoiseMap map = AtPlace(localMap, options.origin);
    if (map.vertical) throw GisExportError("鉛直断面は地図のGISファイルにできません: " + path.string());
    std::unique_ptr<OGRSpatialReference> srs = SpatialReference(options);
    const bool geojson = format == GisFormat::GeoJson;
    if (!srs && !geojson) {
        // A GeoPackage layer without one would be taken as degrees; this one marks plain metres.
        srs = std::make_unique<OGRSpatialReference>();
        srs->SetLocalCS("Undefined cartesian SRS");
    }
    const QuietErrors quiet;
    ReplaceFileByWriting(path, [&](const fs::path& file) {
        Dataset dataset = CreateDataset(geojson ? "GeoJSON" : "GPKG", file, 0, 0, 0, GDT_Unknown, {});
        {
            FeatureWriter writer(*dataset, srs.get(), geojson, file);
            if (!geojson) dataset->StartTransaction();
            for (const LevelBand& band : map.bands) {
                if (band.area.empty()) continue;
                const std::optional<Rgb> colour = band.classIndex < map.scheme.classColours.size()
                                                      ? map.scheme.classColours[band.classIndex]
                                                      : std::nullopt;
                writer.Band(band, ClassLabel(map.classes, band.classIndex), colour);
            }
            for (const IsoLine& iso : map.isoLines) {
                if (!iso.lines.empty()) writer.IsoLines(iso);
            }
            for (std::size_t i = 0; i < map.grid.NodeCount(); ++i)
                writer.Point(map.grid.positions[i], map.grid.levels[i]);
            if (!geojson && dataset->CommitTransaction() != OGRERR_NONE)
                Fail("GISファイルを書き込めません", file);
        }
        Close(dataset, file);
    });
}

void WriteRasterMap(const LevelGrid& grid, const fs::path& path, const GisOptions& options) {
    if (grid.columns < 2 || grid.rows < 2 || grid.NodeCount() != grid.Index(grid.columns, 0) ||
        IsVerticalGrid(grid)) {
        throw GisExportError("水平面格子の結果だけがラスタ (GeoTIFF) にできます: " + path.string());
    }
    // The lattice: node (c, r) = origin + c·u + r·v.
    const CVector3D& origin = grid.positions[grid.Index(0, 0)];
    const CVector3D& rowEnd = grid.positions[grid.Index(grid.columns - 1, 0)];
    const CVector3D& columnEnd = grid.positions[grid.Index(0, grid.rows - 1)];
    const double ux = (rowEnd.x - origin.x) / (grid.columns - 1),
                 uy = (rowEnd.y - origin.y) / (grid.columns - 1);
    const double vx = (columnEnd.x - origin.x) / (grid.rows - 1),
                 vy = (columnEnd.y - origin.y) / (grid.rows - 1);
    for (int c = 0; c < grid.columns; ++c) {
        for (int r = 0; r < grid.rows; ++r) {
            const CVector3D& p = grid.positions[grid.Index(c, r)];
            if (std::hypot(p.x - (origin.x + c * ux + r * vx), p.y - (origin.y + c * uy + r * vy)) >
                kLatticeTolerance)
                throw GisExportError("格子の点が等間隔に並んでいないのでラスタにできません: " +
                                     path.string());
        }
    }
    // Raster row 0 is the grid's top row; the centre of pixel (column c, row k) is node (c, rows − 1 − k).
    const double top = grid.rows - 1;
    const CVertex2D place = options.origin;
    const double transform[6] = {place.x + origin.x + top * vx - 0.5 * ux + 0.5 * vx, ux, -vx,
                                 place.y + origin.y + top * vy - 0.5 * uy + 0.5 * vy, uy, -vy};
    const std::unique_ptr<OGRSpatialReference> srs = SpatialReference(options);
    const QuietErrors quiet;
    ReplaceFileByWriting(path, [&](const fs::path& file) {
        Dataset dataset =
            CreateDataset("GTiff", file, grid.columns, grid.rows, 1, GDT_Float32, {"COMPRESS=DEFLATE"});
        if (dataset->SetGeoTransform(const_cast<double*>(transform)) != CE_None)
            Fail("ラスタの位置を書き込めません", file);
        if (srs && dataset->SetSpatialRef(srs.get()) != CE_None) Fail("ラスタの座標系を書き込めません", file);
        GDALRasterBand* band = dataset->GetRasterBand(1);
        band->SetNoDataValue(kRasterNoData);
        std::vector<float> row(static_cast<std::size_t>(grid.columns));
        for (int k = 0; k < grid.rows; ++k) {
            for (int c = 0; c < grid.columns; ++c) {
                const double level = grid.levels[grid.Index(c, grid.rows - 1 - k)];
                row[static_cast<std::size_t>(c)] =
                    std::isfinite(level) ? static_cast<float>(level) : static_cast<float>(kRasterNoData);
            }
            if (band->RasterIO(GF_Write, 0, k, grid.columns, 1, row.data(), grid.columns, 1, GDT_Float32, 0,
                               0, nullptr) != CE_None)
                Fail("ラスタを書き込めません", file);
        }
        Close(dataset, file);
    });
}

}  // namespace kelmora
