#pragma once
// GIS files of a noise map, written through GDAL: the band polygons with their class limits, the
// iso-lines and the grid points with their levels as GeoJSON or GeoPackage, and the grid as a GeoTIFF
// raster. Site coordinates are local metres: they are moved by the site's origin to its place, and no
// coordinate system is written unless one is given. Every file is written beside its target and
// renamed into place.
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "model/SiteCoordinates.h"
#include "view/noisemap/NoiseMap.h"

namespace kelmora {

class GisExportError : public std::runtime_error {
public:
    explicit GisExportError(const std::string& message) : std::runtime_error(message) {}
};

enum class GisFormat { GeoJson, GeoPackage, GeoTiff };

// By the file name's extension (any case): .geojson/.json, .gpkg, .tif/.tiff.
std::optional<GisFormat> GisFormatOfPath(const std::filesystem::path& path);

struct GisOptions {
    std::optional<int> epsg;   // the coordinate system of the site's metres, when known
    std::string definition{};  // the coordinate system as WKT when it has no EPSG code
    CVertex2D origin{};        // where the site's (0, 0) lies in the coordinate system [m]
};

// The options that put a project's maps at the site's place: its coordinate system and its origin
// (the project's coordinates from its extension file); none: local metres.
GisOptions SiteGisOptions(const std::optional<SiteCoordinates>& coordinates);

// Nodes without a result in the raster.
inline constexpr double kRasterNoData = -9999.0;

// GeoJSON: one collection whose features say what they are in "kind" ("band", "isoline", "point").
// GeoPackage: the layers "bands", "isolines" and "points". Bands carry "class" (0 = lowest), "lower"
// and "upper" (dB, null for an open end), "label" (the legend text) and "colour" ("#RRGGBB", null for
// an unfilled class); iso-lines "level"; points "level" (null without a result) and "z" (m).
// Throws GisExportError (a vertical section has no place on a map; GDAL failures with GDAL's reason).
void WriteVectorMap(const NoiseMap& map, const std::filesystem::path& path, GisFormat format,
                    const GisOptions& options);

// The grid as one Float32 band: a pixel per node, its centre on the node, rows from the top of the
// map; nodata for nodes without a result. Throws GisExportError unless the nodes form an even lattice
// (a horizontal grid).
void WriteRasterMap(const LevelGrid& grid, const std::filesystem::path& path, const GisOptions& options);

}  // namespace kelmora
