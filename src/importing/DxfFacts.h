#pragma once
// What a DXF drawing says that the GIS reader does not pass on: the drawing unit of its header
// ($INSUNITS) and the thickness (group 39) of its entities, by entity handle, so that a closed polyline
// drawn with a thickness can stand for a building of that height. Also the number of entities, which
// measures the progress of reading them.
//
// The scan reads an ASCII DXF as pairs of lines (group code, value) in one pass, in bounded memory per
// line, and survives any bytes: a line that is no group code ends the scan with what was found so far.
// A binary DXF is recognised and yields nothing.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "importing/ImportTypes.h"

namespace kelmora {

struct DxfFacts {
    std::optional<int> insUnits;  // $INSUNITS of the header, when present
    std::string codePage;         // $DWGCODEPAGE ("ANSI_932"), empty when absent
    std::string acadVersion;      // $ACADVER ("AC1015"), empty when absent
    // The non-zero thickness of the entities of the drawing (ENTITIES section), by handle (group 5).
    std::unordered_map<std::string, double> thicknessByHandle;
    // Of each DXF layer whose entities hold a coordinate that is no finite number ("nan", "inf", 1e999):
    // the first such entity ("ハンドル 2F", or "#n" counting the entities from 1). GDAL reads such an
    // entity as one without a shape.
    std::unordered_map<std::string, std::string> nonFiniteByLayer;
    std::int64_t entities = 0;         // entities of the ENTITIES section, vertices of polylines not counted
    bool entitiesHaveHandles = false;  // every entity of the ENTITIES section carries a handle
    bool binary = false;
};

// Scans the DXF text.
DxfFacts ScanDxfText(std::string_view text);
// Scans the DXF file at `path` (read in pieces; a file that is not a regular file is refused with
// InputFileError). `progress` is told the fraction of the file read.
DxfFacts ScanDxfFile(const std::filesystem::path& path, const ImportProgress& progress = {});

}  // namespace kelmora
