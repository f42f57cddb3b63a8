#pragma once
// The mapping of an import: for each layer of the source (or each DXF layer name), the kind of object
// its features become and where their heights come from; the unit of the drawing, the origin taken off
// every coordinate and the coordinate system. It is plain data, kept as a JSON file that the user saves
// and reuses for the next drawing from the same client:
//
//   {
//     "format": "kelmora-import-mapping",
//     "version": 1,
//     "unit": "mm",                       // of drawings without a coordinate system; default: $INSUNITS
//     "crs": "EPSG:6677",                 // of the project; default: the source's
//     "origin": [-12000.0, 35000.0],      // m; default: the extent's lower-left corner, down to 10 m
//     "layers": [
//       {"layer": "BLDG", "kind": "building", "height": {"from": "thickness"}, "ground": 0.0},
//       {"layer": "WALL", "kind": "barrier", "height": {"from": "field", "field": "H"}},
//       {"layer": "SRC", "kind": "source", "height": 1.0, "label": "BlockName",
//        "spectrum": {"library": "spectra.csv", "field": "BlockName"}},
//       {"layer": "PTS", "kind": "point", "height": 1.2, "label": "Text"},
//       {"layer": "GL", "kind": "groundLine", "ground": {"from": "z"}},
//       {"layer": "TEXT", "kind": "skip"}
//     ]
//   }
//
// A value is a number (a constant, m) or {"from": "constant", "value": v}, {"from": "field", "field":
// name}, {"from": "thickness"} (a DXF entity's thickness) or {"from": "z"} (the features' own
// elevations). Layers the mapping does not name are not imported. Reading checks everything and names
// the offending value; checking against a source names the layer and the field that do not fit.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/Vector.h"
#include "importing/ImportTypes.h"

namespace kelmora {

struct SourceInfo;

inline constexpr const char* kMappingFormat = "kelmora-import-mapping";
inline constexpr int kMappingVersion = 1;
// A mapping holds a few settings per layer; anything larger is not one.
inline constexpr std::uint64_t kMaxMappingBytes = 16ull << 20;

enum class ImportKind { Skip, Building, GroundLine, Barrier, Source, Point };

// The name in the mapping file: "skip", "building", "groundLine", "barrier", "source", "point".
const char* KindName(ImportKind kind);
// The name the user reads: "取り込まない", "建物", "地表線", "遮音壁", "屋外音源", "予測点".
const char* KindLabel(ImportKind kind);
std::optional<ImportKind> KindFromName(std::string_view name);
inline constexpr ImportKind kAllKinds[] = {ImportKind::Skip,    ImportKind::Building, ImportKind::GroundLine,
                                           ImportKind::Barrier, ImportKind::Source,   ImportKind::Point};

// Where a height or an elevation comes from.
struct ValueSource {
    enum class From {
        Constant,   // `value` [m]
        Field,      // the number in the feature's field `field` [m]
        Thickness,  // the DXF entity's thickness [drawing units, scaled to m]
        Z,          // the feature's own elevation [drawing units, scaled to m]
    };
    From from = From::Constant;
    double value = 0.0;
    std::string field;

    static ValueSource Constant(double v) { return {From::Constant, v, {}}; }
    static ValueSource OfField(std::string name) { return {From::Field, 0.0, std::move(name)}; }
    static ValueSource OfThickness() { return {From::Thickness, 0.0, {}}; }
    static ValueSource OfZ() { return {From::Z, 0.0, {}}; }

    friend bool operator==(const ValueSource&, const ValueSource&) = default;
};

// "定数", "属性", "厚さ", "Z".
const char* FromLabel(ValueSource::From from);

// The spectrum of the sources a layer makes: the spectrum titled by the feature's field `field`, or the
// one titled `title`, in the band library `library` (a CSV file of the band editor). Without a library
// the sources take the spectrum of a new source.
struct SpectrumChoice {
    std::string library;
    std::string field;
    std::string title;

    friend bool operator==(const SpectrumChoice&, const SpectrumChoice&) = default;
};

struct LayerMapping {
    std::string layer;
    ImportKind kind = ImportKind::Skip;
    // Buildings and barriers: their height; sources and points: their height above the ground.
    ValueSource height;
    // The ground under the object; of a ground line, the elevation of its vertices.
    ValueSource ground;
    // The field whose text labels what is made: a point's label, a source's or a building's memo.
    std::string label;
    SpectrumChoice spectrum;  // sources only

    friend bool operator==(const LayerMapping&, const LayerMapping&) = default;
};

// The settings a layer gets when the user gives it a kind: heights of new items of the editors (a
// roof at 5 m, a barrier of 2.5 m), sources 1 m and points 1.5 m above the ground, the ground at 0 and
// ground lines at the elevations of their vertices.
LayerMapping DefaultLayerMapping(std::string layer, ImportKind kind);

struct ImportMapping {
    std::optional<LengthUnit> unit;   // none: the drawing's $INSUNITS proposes it
    std::string crs;                  // "EPSG:n"; empty: the source's (or the project's)
    std::optional<CVertex2D> origin;  // none: the lower-left corner of the extent, down to 10 m
    std::vector<LayerMapping> layers;

    const LayerMapping* Layer(std::string_view name) const;
    LayerMapping* Layer(std::string_view name);

    friend bool operator==(const ImportMapping&, const ImportMapping&) = default;
};

// The JSON text (two-space indentation, ending with a newline).
std::string WriteMappingText(const ImportMapping& mapping);
// Throws ImportError naming the value at fault ("マッピング: layers/2/height: 数値が必要です").
ImportMapping ReadMappingText(std::string_view text);

// Reads the mapping file; a band library named by a relative path is taken relative to the mapping's
// folder. Throws ImportError.
ImportMapping ReadMappingFile(const std::filesystem::path& path);
// Writes the mapping file the safe way (the previous file stays whole on failure). Throws ImportError.
void WriteMappingFile(const std::filesystem::path& path, const ImportMapping& mapping);

// Checks the mapping against the source and for itself: every field it names must be a field of its
// layer, the DXF thickness is only for a DXF drawing whose entities carry handles, each kind takes only
// the values that make sense for it, heights are not negative and the coordinate system is a known
// projected one in metres. Throws ImportError with the first problem. Returns the notes that do not stop
// the import: layers the source does not have, layers without features their kind can use.
std::vector<std::string> CheckMapping(const ImportMapping& mapping, const SourceInfo& source);

}  // namespace kelmora
