#pragma once
// What an import made and what it left out, as the command line prints it and the import dialog shows
// it: the objects made per kind, the features skipped with the reason (grouped, with the first few named),
// the buildings whose roofs are strips, the footprints that were mended, and where the site lies.
#include <cstdint>
#include <string>
#include <vector>

#include "importing/ImportTypes.h"
#include "model/SiteCoordinates.h"

namespace kelmora {

struct SkippedFeatures {
    std::string reason;
    std::int64_t count = 0;
    std::vector<std::string> examples;  // "BLDG ハンドル 2F", at most kSkipExamples
};

inline constexpr std::size_t kSkipExamples = 5;

struct ImportReport {
    std::int64_t buildings = 0;
    std::int64_t roofs = 0;
    std::int64_t groundLines = 0;  // ground lines of their own, barriers not counted
    std::int64_t barriers = 0;
    std::int64_t sources = 0;
    std::int64_t points = 0;
    std::vector<SkippedFeatures> skipped;
    // "BLDG #3: 48 枚 (面積 +0.9 %)"
    std::vector<std::string> stripBuildings;
    std::vector<std::string> mendedBuildings;
    // Buildings with an edge shorter than 1 m (which the exterior wall editor refuses).
    std::vector<std::string> shortEdgeBuildings;
    std::vector<std::string> notes;
    PlanExtent extent;  // of what was made, in project coordinates [m]
    SiteCoordinates coordinates;
    std::string crsLabel;     // "EPSG:6677 JGD2011 / ..." or "" (local metres)
    std::string drawingUnit;  // "mm" when drawing coordinates were scaled, else ""

    // Counts one skipped feature under `reason`.
    void Skip(const std::string& reason, const std::string& feature);
    std::int64_t SkippedCount() const;
    std::int64_t MadeCount() const { return buildings + groundLines + barriers + sources + points; }
};

// The report as lines of text (UTF-8, "\n" line ends).
std::string ImportReportText(const ImportReport& report);

}  // namespace kelmora
