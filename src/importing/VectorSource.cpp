#include "importing/VectorSource.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cctype>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "importing/DxfFacts.h"
#include "model/persistence/InputFile.h"

namespace kelmora {

namespace fs = std::filesystem;

namespace {

// The one OGR layer of a DXF drawing and its field holding the DXF layer name.
constexpr const char* kDxfEntitiesLayer = "entities";
constexpr const char* kDxfLayerField = "Layer";
constexpr const char* kDxfHandleField = "EntityHandle";

// Progress is told every so many features.
constexpr std::int64_t kProgressEvery = 2000;

void RegisterDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// While reading: GDAL's messages are kept for ours instead of going to the standard error, and block
// references of a DXF drawing come as points at their insertion (the sources they stand for) instead
// of the block's lines. Drawings from AutoCAD 2007 (AC1021) on are UTF-8 whatever code page they name;
// an older one that names none is read as Shift-JIS (CP932), as the drawings of Japanese CAD programs
// are. Thread-local settings, restored at the end.
class GdalReading {
public:
    explicit GdalReading(const DxfFacts* dxf = nullptr) {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
        Set("DXF_INLINE_BLOCKS", "FALSE");
        if (dxf != nullptr)
            if (const char* encoding = Encoding(*dxf)) Set("DXF_ENCODING", encoding);
    }
    ~GdalReading() {
        for (const auto& [key, value] : previous_)
            CPLSetThreadLocalConfigOption(key.c_str(), value ? value->c_str() : nullptr);
        CPLPopErrorHandler();
    }
    GdalReading(const GdalReading&) = delete;
    GdalReading& operator=(const GdalReading&) = delete;

private:
    // The encoding GDAL is told, or none to let it follow the code page the drawing names.
    static const char* Encoding(const DxfFacts& dxf) {
        if (!dxf.acadVersion.empty() && dxf.acadVersion >= "AC1021") return "UTF-8";
        return dxf.codePage.empty() ? "CP932" : nullptr;
    }
    void Set(const char* key, const char* value) {
        const char* before = CPLGetThreadLocalConfigOption(key, nullptr);
        previous_.emplace_back(key, before != nullptr ? std::optional<std::string>(before) : std::nullopt);
        CPLSetThreadLocalConfigOption(key, value);
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> previous_;
};

// The facts of a DXF drawing (by its name), read before GDAL opens it.
std::optional<DxfFacts> DxfFactsOf(const fs::path& path, const ImportProgress& progress) {
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != ".dxf") return std::nullopt;
    try {
        return ScanDxfFile(path, progress);
    } catch (const InputFileError& e) {
        throw ImportError(e.what());
    }
}

std::string LastGdalMessage() {
    const char* message = CPLGetLastErrorMsg();
    return message != nullptr ? std::string(message) : std::string();
}

// A read that GDAL could not finish (a file cut short, damaged records) is refused as a whole rather
// than taken for the part before the damage.
void CheckReadToTheEnd(const fs::path& path) {
    if (CPLGetLastErrorType() < CE_Failure) return;
    throw ImportError("図面・GISファイルを終わりまで読めません: " + path.string() + " (" + LastGdalMessage() +
                      ")");
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
using Feature = std::unique_ptr<OGRFeature, FeatureDeleter>;

Dataset OpenDataset(const fs::path& path) {
    try {
        RegularFile check(path);
    } catch (const InputFileError& e) {
        throw ImportError(e.what());
    }
    RegisterDrivers();
    // The GML reader would otherwise leave a .gfs file of its guesses beside the source.
    const char* const options[] = {"WRITE_GFS=NO", nullptr};
    Dataset dataset(
        GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, options, nullptr));
    if (!dataset) {
        std::string message = "図面・GISファイルとして読めません: " + path.string();
        if (const std::string reason = LastGdalMessage(); !reason.empty()) message += " (" + reason + ")";
        throw ImportError(message);
    }
    return dataset;
}

bool IsDxf(GDALDataset& dataset) {
    return EQUAL(dataset.GetDriverName(), "DXF");
}

SourceCrs Describe(const OGRSpatialReference& given) {
    OGRSpatialReference srs(given);
    SourceCrs crs;
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* code = srs.GetAuthorityCode(nullptr);
    if (authority == nullptr || !EQUAL(authority, "EPSG") || code == nullptr) {
        // A definition without its code (a Shapefile's .prj): the EPSG system it matches, if certain.
        int matches = 0;
        int* confidence = nullptr;
        OGRSpatialReferenceH* found = srs.FindMatches(nullptr, &matches, &confidence);
        if (found != nullptr && matches > 0 && confidence[0] >= 90) {
            OGRSpatialReference* best = OGRSpatialReference::FromHandle(found[0]);
            const char* a = best->GetAuthorityName(nullptr);
            const char* c = best->GetAuthorityCode(nullptr);
            if (a != nullptr && EQUAL(a, "EPSG") && c != nullptr) crs.epsg = std::atoi(c);
        }
        OSRFreeSRSArray(found);
        CPLFree(confidence);
    } else {
        crs.epsg = std::atoi(code);
    }
    char* wkt = nullptr;
    const char* const wktOptions[] = {"FORMAT=WKT2_2019", nullptr};
    if (srs.exportToWkt(&wkt, wktOptions) == OGRERR_NONE && wkt != nullptr) crs.wkt = wkt;
    CPLFree(wkt);
    if (const char* name = srs.GetName()) crs.name = name;
    crs.geographic = srs.IsGeographic() != 0;
    if (srs.IsProjected() || srs.IsLocal()) crs.metresPerUnit = srs.GetLinearUnits(nullptr);
    return crs;
}

// The coordinate system a user names: "EPSG:n" (or a bare number), else WKT or any other definition
// GDAL takes.
std::unique_ptr<OGRSpatialReference> MakeCrs(const std::string& definition) {
    auto srs = std::make_unique<OGRSpatialReference>();
    srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRErr error = OGRERR_FAILURE;
    int code = 0;
    char tail = 0;
    if (std::sscanf(definition.c_str(), "EPSG:%d%c", &code, &tail) == 1 ||
        std::sscanf(definition.c_str(), "%d%c", &code, &tail) == 1) {
        error = code > 0 ? srs->importFromEPSG(code) : OGRERR_FAILURE;
    } else if (!definition.empty()) {
        error = srs->SetFromUserInput(definition.c_str());
    }
    if (error != OGRERR_NONE) throw ImportError("座標系が分かりません: " + definition);
    return srs;
}

// What a geometry type holds.
void Classify(OGRwkbGeometryType type, SourceLayer& layer) {
    if (wkbHasZ(type)) layer.hasZ = true;
    switch (wkbFlatten(type)) {
        case wkbPoint:
        case wkbMultiPoint:
            layer.points = true;
            break;
        case wkbLineString:
        case wkbMultiLineString:
        case wkbCircularString:
        case wkbCompoundCurve:
        case wkbMultiCurve:
            layer.lines = true;
            break;
        case wkbPolygon:
        case wkbMultiPolygon:
        case wkbCurvePolygon:
        case wkbMultiSurface:
        case wkbPolyhedralSurface:
        case wkbTIN:
        case wkbTriangle:
            layer.polygons = true;
            break;
        default:
            break;
    }
}

bool IsClosedLine(const OGRGeometry& geometry) {
    const OGRwkbGeometryType flat = wkbFlatten(geometry.getGeometryType());
    if (flat != wkbLineString) return false;
    const auto& line = *geometry.toLineString();
    return line.getNumPoints() >= 4 && line.get_IsClosed();
}

void ClassifyFeature(const OGRGeometry* geometry, SourceLayer& layer) {
    if (geometry == nullptr) return;
    if (geometry->Is3D()) layer.hasZ = true;
    if (IsClosedLine(*geometry)) {
        layer.closedLines = true;
        return;
    }
    const OGRwkbGeometryType flat = wkbFlatten(geometry->getGeometryType());
    if (flat == wkbGeometryCollection) {
        for (const OGRGeometry* part : *geometry->toGeometryCollection())
            ClassifyFeature(part, layer);
        return;
    }
    Classify(geometry->getGeometryType(), layer);
}

std::vector<SourceField> FieldsOf(OGRFeatureDefn& definition) {
    std::vector<SourceField> fields;
    for (int i = 0; i < definition.GetFieldCount(); ++i) {
        const OGRFieldDefn* field = definition.GetFieldDefn(i);
        const OGRFieldType type = field->GetType();
        fields.push_back({field->GetNameRef(), OGRFieldDefn::GetFieldTypeName(type),
                          type == OFTInteger || type == OFTInteger64 || type == OFTReal});
    }
    return fields;
}

void AddEnvelope(const OGRGeometry* geometry, PlanExtent& extent) {
    if (geometry == nullptr || geometry->IsEmpty()) return;
    OGREnvelope envelope;
    geometry->getEnvelope(&envelope);
    if (std::isfinite(envelope.MinX) && std::isfinite(envelope.MaxX) && std::isfinite(envelope.MinY) &&
        std::isfinite(envelope.MaxY)) {
        extent.Add(envelope.MinX, envelope.MinY);
        extent.Add(envelope.MaxX, envelope.MaxY);
    }
}

void Tell(const ImportProgress& progress, std::int64_t done, std::int64_t total) {
    if (!progress || done % kProgressEvery != 0) return;
    const double fraction = total > 0 ? std::min(1.0, static_cast<double>(done) / total) : 0.0;
    if (!progress(fraction)) throw ImportCancelled();
}

// The DXF layers of the drawing's entities, in the order they first appear.
void ListDxfLayers(GDALDataset& dataset, SourceInfo& info, const DxfFacts& facts,
                   const ImportProgress& progress) {
    OGRLayer* entities = dataset.GetLayerByName(kDxfEntitiesLayer);
    if (entities == nullptr) return;
    const std::vector<SourceField> fields = FieldsOf(*entities->GetLayerDefn());
    const int layerField = entities->GetLayerDefn()->GetFieldIndex(kDxfLayerField);
    std::map<std::string, std::size_t> index;
    entities->ResetReading();
    std::int64_t done = 0;
    for (Feature f(entities->GetNextFeature()); f; f.reset(entities->GetNextFeature())) {
        Tell(progress, ++done, facts.entities);
        const std::string name = layerField >= 0 ? f->GetFieldAsString(layerField) : "";
        auto [it, added] = index.emplace(name, info.layers.size());
        if (added) {
            SourceLayer layer;
            layer.name = name;
            layer.fields = fields;
            info.layers.push_back(std::move(layer));
        }
        SourceLayer& layer = info.layers[it->second];
        ++layer.features;
        ClassifyFeature(f->GetGeometryRef(), layer);
        AddEnvelope(f->GetGeometryRef(), layer.extent);
    }
}

void ListGisLayers(GDALDataset& dataset, SourceInfo& info, const ImportProgress& progress) {
    for (OGRLayer* ogr : dataset.GetLayers()) {
        SourceLayer layer;
        layer.name = ogr->GetName();
        layer.fields = FieldsOf(*ogr->GetLayerDefn());
        layer.features = ogr->GetFeatureCount(TRUE);
        const OGRwkbGeometryType type = ogr->GetGeomType();
        Classify(type, layer);
        if (!layer.points && !layer.lines && !layer.polygons) {
            // A layer of mixed or unnamed geometry: what its features hold.
            ogr->ResetReading();
            std::int64_t done = 0;
            for (Feature f(ogr->GetNextFeature()); f; f.reset(ogr->GetNextFeature())) {
                Tell(progress, ++done, layer.features);
                ClassifyFeature(f->GetGeometryRef(), layer);
            }
        }
        OGREnvelope envelope;
        if (layer.features > 0 && ogr->GetExtent(&envelope, TRUE) == OGRERR_NONE &&
            std::isfinite(envelope.MinX) && std::isfinite(envelope.MaxY)) {
            layer.extent.Add(envelope.MinX, envelope.MinY);
            layer.extent.Add(envelope.MaxX, envelope.MaxY);
        }
        if (const OGRSpatialReference* srs = ogr->GetSpatialRef()) layer.crs = Describe(*srs);
        info.layers.push_back(std::move(layer));
    }
}

// ---- Reading ------------------------------------------------------------------------------------

// How one OGR layer's coordinates become project metres: multiplied by the metres of the unit of a
// coordinate system, or divided by the drawing units in a metre (so that 1234500 mm is exactly 1234.5 m).
class LayerFrame {
public:
    LayerFrame(const OGRSpatialReference* layerCrs, const OGRSpatialReference* target, LengthUnit drawingUnit,
               const std::string& layerName) {
        if (layerCrs == nullptr) {
            divide_ = UnitsPerMetre(drawingUnit);
            return;
        }
        if (target == nullptr || layerCrs->IsSame(target)) {
            multiply_ =
                layerCrs->IsProjected() || layerCrs->IsLocal() ? layerCrs->GetLinearUnits(nullptr) : 1.0;
            return;
        }
        OGRSpatialReference source(*layerCrs);
        source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        transform_.reset(OGRCreateCoordinateTransformation(&source, target));
        if (!transform_)
            throw ImportError("レイヤ " + layerName + " の座標系からプロジェクトの座標系に変換できません (" +
                              LastGdalMessage() + ")");
        multiply_ = target->GetLinearUnits(nullptr);
    }

    OGRCoordinateTransformation* transform() const { return transform_.get(); }
    double Metres(double value) const { return value * multiply_ / divide_; }

private:
    struct TransformDeleter {
        void operator()(OGRCoordinateTransformation* t) const { OGRCoordinateTransformation::DestroyCT(t); }
    };
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> transform_;
    double multiply_ = 1.0;
    double divide_ = 1.0;
};

// Turns OGR geometry into the plain parts of a feature, counting vertices.
class PartCollector {
public:
    PartCollector(SourceFeature& feature, const LayerFrame& frame, std::int64_t& vertices)
        : feature_(feature), frame_(frame), vertices_(vertices) {}

    void Add(const OGRGeometry* geometry) {
        if (geometry == nullptr || geometry->IsEmpty()) return;
        switch (wkbFlatten(geometry->getGeometryType())) {
            case wkbPoint: {
                const OGRPoint& p = *geometry->toPoint();
                feature_.points.push_back(Vertex(p.getX(), p.getY(), p.getZ()));
                break;
            }
            case wkbLineString:
            case wkbLinearRing:
                feature_.lines.push_back(Ring(*geometry->toSimpleCurve()));
                break;
            case wkbCircularString:
            case wkbCompoundCurve: {
                std::unique_ptr<OGRGeometry> linear(geometry->getLinearGeometry());
                Add(linear.get());
                break;
            }
            case wkbPolygon: {
                std::vector<std::vector<CVector3D>> rings;
                for (const OGRLinearRing* ring : *geometry->toPolygon())
                    rings.push_back(Ring(*ring));
                feature_.polygons.push_back(std::move(rings));
                break;
            }
            case wkbTriangle:
            case wkbCurvePolygon: {
                std::unique_ptr<OGRGeometry> linear(geometry->getLinearGeometry());
                if (linear && wkbFlatten(linear->getGeometryType()) == wkbPolygon) {
                    Add(linear.get());
                } else if (linear && wkbFlatten(linear->getGeometryType()) == wkbTriangle) {
                    std::unique_ptr<OGRGeometry> polygon(
                        OGRGeometryFactory::forceToPolygon(linear.release()));
                    Add(polygon.get());
                }
                break;
            }
            case wkbPolyhedralSurface:
            case wkbTIN:
                for (const OGRPolygon* polygon : *geometry->toPolyhedralSurface())
                    Add(polygon);
                break;
            case wkbMultiPoint:
            case wkbMultiLineString:
            case wkbMultiPolygon:
            case wkbMultiCurve:
            case wkbMultiSurface:
            case wkbGeometryCollection:
                for (const OGRGeometry* part : *geometry->toGeometryCollection())
                    Add(part);
                break;
            default:
                break;
        }
    }

private:
    CVector3D Vertex(double x, double y, double z) {
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
            throw ImportError("座標が有限の数値ではありません: レイヤ " + feature_.layer + " " + feature_.id);
        if (++vertices_ > kMaxImportVertices)
            throw ImportError("頂点が多すぎます (上限 " + std::to_string(kMaxImportVertices) +
                              ")。取り込むレイヤを絞るか、範囲を切り取ってください");
        return {frame_.Metres(x), frame_.Metres(y), frame_.Metres(z)};
    }

    std::vector<CVector3D> Ring(const OGRSimpleCurve& curve) {
        std::vector<CVector3D> out;
        out.reserve(static_cast<std::size_t>(curve.getNumPoints()));
        for (int i = 0; i < curve.getNumPoints(); ++i)
            out.push_back(Vertex(curve.getX(i), curve.getY(i), curve.getZ(i)));
        return out;
    }

    SourceFeature& feature_;
    const LayerFrame& frame_;
    std::int64_t& vertices_;
};

// A footprint's geometry made valid: closed polylines become polygons, self-crossing polygons are
// repaired (GEOS). Returns the geometry to use; none when nothing of it can be used.
std::unique_ptr<OGRGeometry> Footprints(const OGRGeometry& geometry, SourceFeature& feature) {
    std::unique_ptr<OGRGeometry> polygonal;
    if (IsClosedLine(geometry)) {
        auto polygon = std::make_unique<OGRPolygon>();
        OGRLinearRing ring;
        ring.addSubLineString(geometry.toLineString());
        polygon->addRing(&ring);
        polygonal = std::move(polygon);
    } else {
        polygonal.reset(geometry.clone());
    }
    const OGRwkbGeometryType flat = wkbFlatten(polygonal->getGeometryType());
    if (flat != wkbPolygon && flat != wkbMultiPolygon) return polygonal;
    if (polygonal->IsValid()) return polygonal;
    // A footprint of no area (its vertices on one line) stays as it is, for the report to say so.
    const double area =
        flat == wkbPolygon ? polygonal->toPolygon()->get_Area() : polygonal->toMultiPolygon()->get_Area();
    std::unique_ptr<OGRGeometry> valid(polygonal->MakeValid());
    if (!valid || valid->IsEmpty()) {
        if (area == 0.0) return polygonal;
        feature.unmendable = true;
        return nullptr;
    }
    feature.mended = true;
    // Only the areas: parts that collapsed to lines or points are left out.
    auto areas = std::make_unique<OGRMultiPolygon>();
    std::function<void(const OGRGeometry&)> collect = [&](const OGRGeometry& g) {
        const OGRwkbGeometryType t = wkbFlatten(g.getGeometryType());
        if (t == wkbPolygon) {
            areas->addGeometry(&g);
        } else if (t == wkbMultiPolygon || t == wkbGeometryCollection) {
            for (const OGRGeometry* part : *g.toGeometryCollection())
                collect(*part);
        }
    };
    collect(*valid);
    if (areas->IsEmpty()) {
        feature.mended = false;
        if (area == 0.0) return polygonal;
        feature.unmendable = true;
        return nullptr;
    }
    return areas;
}

struct PreparedRequest {
    const FeatureRequest* request = nullptr;
    std::vector<int> fieldIndex;
};

}  // namespace

std::string SourceCrs::Label() const {
    if (epsg > 0) return "EPSG:" + std::to_string(epsg) + (name.empty() ? "" : " " + name);
    return name.empty() ? "(名前のない座標系)" : name;
}

std::string SourceLayer::GeometryText() const {
    std::string text;
    auto add = [&text](bool has, const char* what) {
        if (!has) return;
        if (!text.empty()) text += "・";
        text += what;
    };
    add(points, "点");
    add(lines, "線");
    add(closedLines, "閉じた線");
    add(polygons, "面");
    if (text.empty()) return "なし";
    return hasZ ? text + " (3D)" : text;
}

const SourceField* SourceLayer::Field(std::string_view field) const {
    for (const SourceField& f : fields)
        if (f.name == field) return &f;
    return nullptr;
}

const SourceLayer* SourceInfo::Layer(std::string_view name) const {
    for (const SourceLayer& layer : layers)
        if (layer.name == name) return &layer;
    return nullptr;
}

PlanExtent SourceInfo::Extent() const {
    PlanExtent extent;
    for (const SourceLayer& layer : layers)
        extent.Add(layer.extent);
    return extent;
}

LengthUnit SourceInfo::ProposedUnit() const {
    if (insUnits)
        if (const std::optional<LengthUnit> unit = UnitOfInsUnits(*insUnits)) return *unit;
    return LengthUnit::Metre;
}

SourceInfo ListSource(const fs::path& path, const ImportProgress& progress) {
    // The scan of a drawing takes the first half of the progress, GDAL's reading the second.
    const std::optional<DxfFacts> scanned = DxfFactsOf(
        path, progress ? ImportProgress([&](double f) { return progress(0.5 * f); }) : ImportProgress());
    const GdalReading reading(scanned ? &*scanned : nullptr);
    Dataset dataset = OpenDataset(path);
    SourceInfo info;
    info.path = path;
    info.driver = dataset->GetDriverName();
    info.dxf = IsDxf(*dataset);
    CPLErrorReset();
    if (info.dxf) {
        const DxfFacts facts = scanned ? *scanned : ScanDxfFile(path);
        info.insUnits = facts.insUnits;
        info.thicknessReadable = facts.entitiesHaveHandles;
        ListDxfLayers(
            *dataset, info, facts,
            progress ? ImportProgress([&](double f) { return progress(0.5 + 0.5 * f); }) : ImportProgress());
    } else {
        ListGisLayers(*dataset, info, progress);
    }
    CheckReadToTheEnd(path);
    return info;
}

SourceCrs DescribeCrs(const std::string& definition) {
    const GdalReading reading;
    return Describe(*MakeCrs(definition));
}

void ReadFeatures(const SourceInfo& source, const std::vector<FeatureRequest>& requests,
                  const CoordinateTarget& target, const std::function<void(SourceFeature&&)>& sink,
                  const ImportProgress& progress) {
    // The thicknesses of a drawing's entities, which GDAL does not pass on.
    std::shared_ptr<DxfFacts> facts;
    if (source.dxf && !requests.empty())
        if (std::optional<DxfFacts> scanned = DxfFactsOf(source.path, {}))
            facts = std::make_shared<DxfFacts>(std::move(*scanned));
    const GdalReading reading(facts.get());
    std::unique_ptr<OGRSpatialReference> targetCrs;
    if (!target.crs.empty()) targetCrs = MakeCrs(target.crs);
    Dataset dataset = OpenDataset(source.path);
    std::int64_t total = 0;
    for (const FeatureRequest& request : requests)
        if (const SourceLayer* layer = source.Layer(request.layer)) total += layer->features;
    std::int64_t done = 0;
    std::int64_t delivered = 0;
    std::int64_t vertices = 0;

    // Reads the OGR layer, handing on the features whose requested layer `requestOf` finds.
    auto readLayer = [&](OGRLayer& ogr, const std::function<const PreparedRequest*(OGRFeature&)>& requestOf,
                         const std::string& name, const std::shared_ptr<DxfFacts>& facts) {
        const LayerFrame frame(ogr.GetSpatialRef(), targetCrs.get(), target.drawingUnit, name);
        const int handleField = ogr.GetLayerDefn()->GetFieldIndex(kDxfHandleField);
        CPLErrorReset();
        ogr.ResetReading();
        for (Feature f(ogr.GetNextFeature()); f; f.reset(ogr.GetNextFeature())) {
            Tell(progress, ++done, total);
            const PreparedRequest* prepared = requestOf(*f);
            if (prepared == nullptr) continue;
            const FeatureRequest& request = *prepared->request;
            if (++delivered > kMaxImportFeatures)
                throw ImportError("取り込む図形が多すぎます (上限 " + std::to_string(kMaxImportFeatures) +
                                  " 件)。取り込むレイヤを絞るか、範囲を切り取ってください");
            SourceFeature feature;
            feature.layer = request.layer;
            const std::string handle =
                source.dxf && handleField >= 0 ? f->GetFieldAsString(handleField) : std::string();
            feature.id = handle.empty() ? "#" + std::to_string(f->GetFID()) : "ハンドル " + handle;
            for (int index : prepared->fieldIndex) {
                if (index >= 0 && f->IsFieldSetAndNotNull(index))
                    feature.values.emplace_back(f->GetFieldAsString(index));
                else
                    feature.values.emplace_back();
            }
            if (facts && !handle.empty())
                if (auto it = facts->thicknessByHandle.find(handle); it != facts->thicknessByHandle.end())
                    feature.thickness = frame.Metres(it->second);
            OGRGeometry* geometry = f->GetGeometryRef();
            std::unique_ptr<OGRGeometry> footprints;
            if (geometry != nullptr && request.mendPolygons) {
                footprints = Footprints(*geometry, feature);
                geometry = footprints.get();
            }
            if (geometry != nullptr && frame.transform() != nullptr &&
                geometry->transform(frame.transform()) != OGRERR_NONE)
                throw ImportError("座標を変換できません: レイヤ " + feature.layer + " " + feature.id);
            PartCollector(feature, frame, vertices).Add(geometry);
            sink(std::move(feature));
        }
        CheckReadToTheEnd(source.path);
    };

    if (source.dxf) {
        OGRLayer* entities = dataset->GetLayerByName(kDxfEntitiesLayer);
        if (entities == nullptr) return;
        OGRFeatureDefn& definition = *entities->GetLayerDefn();
        const int layerField = definition.GetFieldIndex(kDxfLayerField);
        std::map<std::string, PreparedRequest> byName;
        for (const FeatureRequest& request : requests) {
            PreparedRequest prepared{&request, {}};
            for (const std::string& field : request.fields)
                prepared.fieldIndex.push_back(definition.GetFieldIndex(field.c_str()));
            byName.emplace(request.layer, std::move(prepared));
        }
        if (facts) {
            total = std::max(total, facts->entities);
            // GDAL reads an entity with a coordinate that is no number as one without a shape.
            for (const FeatureRequest& request : requests)
                if (const auto it = facts->nonFiniteByLayer.find(request.layer);
                    it != facts->nonFiniteByLayer.end())
                    throw ImportError("座標が有限の数値ではありません: レイヤ " + request.layer + " " +
                                      it->second);
        }
        readLayer(
            *entities,
            [&](OGRFeature& f) -> const PreparedRequest* {
                const auto it = byName.find(layerField >= 0 ? f.GetFieldAsString(layerField) : "");
                return it == byName.end() ? nullptr : &it->second;
            },
            kDxfEntitiesLayer, facts);
        return;
    }
    for (const FeatureRequest& request : requests) {
        OGRLayer* ogr = dataset->GetLayerByName(request.layer.c_str());
        if (ogr == nullptr) continue;
        PreparedRequest prepared{&request, {}};
        for (const std::string& field : request.fields)
            prepared.fieldIndex.push_back(ogr->GetLayerDefn()->GetFieldIndex(field.c_str()));
        readLayer(
            *ogr, [&prepared](OGRFeature&) { return &prepared; }, request.layer, nullptr);
    }
}

}  // namespace kelmora
