#pragma once
// The vector files a site is brought in from, read through GDAL/OGR: DXF drawings (one layer of
// entities whose DXF layer name is the field "Layer"), Shapefiles, GeoPackages, GeoJSON and CityGML
// (through GDAL's GML reader). Listing a source names its layers — for a DXF drawing each DXF layer
// name — with what they hold, their features, fields, extent and coordinate system; reading it hands
// the features of the chosen layers over as plain geometry in project metres.
//
// Only a regular file is opened (a FIFO or a device is refused without blocking). GDAL writes nothing
// beside the source (no .gfs of the GML reader), and its messages become ours.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/Vector.h"
#include "importing/ImportTypes.h"

namespace kelmora {

struct SourceField {
    std::string name;
    std::string type;  // GDAL's name of the field type: "String", "Integer", "Real", ...
    bool numeric = false;

    friend bool operator==(const SourceField&, const SourceField&) = default;
};

// The coordinate system of a layer.
struct SourceCrs {
    int epsg = 0;             // its EPSG code when it has one
    std::string wkt;          // the whole definition (WKT 2)
    std::string name;         // e.g. "JGD2011 / Japan Plane Rectangular CS IX"
    bool geographic = false;  // degrees of latitude and longitude
    double metresPerUnit = 1.0;

    // "EPSG:6677 JGD2011 / Japan Plane Rectangular CS IX", or the name alone.
    std::string Label() const;
};

struct SourceLayer {
    std::string name;  // the OGR layer's name, or the DXF layer name
    std::int64_t features = 0;
    // What its features hold.
    bool points = false;
    bool lines = false;        // open polylines
    bool closedLines = false;  // closed polylines
    bool polygons = false;
    bool hasZ = false;
    std::vector<SourceField> fields;
    PlanExtent extent;  // in the layer's own coordinates
    std::optional<SourceCrs> crs;

    // "点", "線・閉じた線 (3D)", "面", "なし".
    std::string GeometryText() const;
    const SourceField* Field(std::string_view field) const;
};

struct SourceInfo {
    std::filesystem::path path;
    std::string driver;  // GDAL's short name: "DXF", "GPKG", "ESRI Shapefile", "GeoJSON", "GML", ...
    bool dxf = false;
    std::vector<SourceLayer> layers;
    std::optional<int> insUnits;     // DXF: $INSUNITS of the header
    bool thicknessReadable = false;  // DXF: every entity has a handle, so thicknesses can be matched

    const SourceLayer* Layer(std::string_view name) const;
    // The extent of every layer that has a coordinate system of its own taken as it stands, the others
    // in their drawing units.
    PlanExtent Extent() const;
    // The unit $INSUNITS proposes, or m.
    LengthUnit ProposedUnit() const;
};

// Lists the source at `path`. Throws ImportError for a file that is not there, is not a regular file
// or that GDAL cannot read as vector data; ImportCancelled when `progress` cancels (a DXF drawing is
// read through once to find its layer names).
SourceInfo ListSource(const std::filesystem::path& path, const ImportProgress& progress = {});

// One feature of a layer, its coordinates in project metres (before the origin is subtracted).
struct SourceFeature {
    std::string layer;
    std::string id;  // how the report names it: "#12", or a DXF entity's "ハンドル 2F"
    std::vector<CVector3D> points;
    // Polylines of at least one vertex; a closed one repeats its first vertex at the end.
    std::vector<std::vector<CVector3D>> lines;
    // Polygons as rings (the outer ring first, then the holes), each repeating its first vertex.
    std::vector<std::vector<std::vector<CVector3D>>> polygons;
    // The values of the requested fields, in the order requested; none when unset or null.
    std::vector<std::optional<std::string>> values;
    std::optional<double> thickness;  // DXF thickness [m], when the entity has one
    bool mended = false;              // self-crossing polygons made valid
    bool unmendable = false;          // self-crossing polygons that could not be made valid
};

// What to read of one layer.
struct FeatureRequest {
    std::string layer;
    std::vector<std::string> fields;  // every one must exist in the layer
    bool mendPolygons = false;        // make self-crossing polygons valid (footprints)
};

// How the source's coordinates become project metres.
struct CoordinateTarget {
    // The project's coordinate system ("EPSG:n" or WKT); empty when the project has none. Layers with a
    // coordinate system of their own are transformed into it.
    std::string crs;
    // The unit of the coordinates of layers without a coordinate system (DXF drawings).
    LengthUnit drawingUnit = LengthUnit::Metre;
};

// Reads the features of the requested layers in the order of the file and hands each to `sink`.
// Throws ImportError (an unknown coordinate system, a transformation that fails, coordinates that are
// not finite, more than kMaxImportFeatures features or kMaxImportVertices vertices), ImportCancelled,
// or what `sink` throws.
void ReadFeatures(const SourceInfo& source, const std::vector<FeatureRequest>& requests,
                  const CoordinateTarget& target, const std::function<void(SourceFeature&&)>& sink,
                  const ImportProgress& progress = {});

// Checks a coordinate system given by the user ("EPSG:n" or WKT) and describes it. Throws ImportError
// when it is unknown.
SourceCrs DescribeCrs(const std::string& definition);

}  // namespace kelmora
