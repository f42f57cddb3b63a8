#pragma once
// An import from start to end, without a window: the features of the mapped layers are read in project
// metres (transformed into the project's coordinate system, drawings scaled from their unit), the
// origin is taken off, and each feature becomes the objects of its layer's kind — or is skipped with a
// reason for the report. The project is not touched: the caller adds the objects made and the
// coordinates to it in one step.
#include <cstdint>
#include <optional>

#include "importing/ImportMapping.h"
#include "importing/ImportReport.h"
#include "importing/VectorSource.h"
#include "model/Noise.h"
#include "model/ProjectExtras.h"

namespace kelmora {

// What an import goes into: a project with its coordinates (none for a new or local project) and its
// prediction point mode.
struct ImportInto {
    std::optional<SiteCoordinates> coordinates;
    std::int32_t pointMode = 0;
};

struct ImportOutcome {
    // The objects made, in project coordinates: ground lines (those of barriers after the others'),
    // buildings, outdoor sources and, in calcInfo.pointList, prediction points.
    CNoise additions;
    // Where the project lies after the import: the coordinate system and the origin.
    SiteCoordinates coordinates;
    ImportReport report;
};

// The project's coordinate system after an import: the project's own when it has one, else the
// mapping's, else that of the first mapped layer that has one; empty for none. Throws ImportError
// when the mapping names a system other than the project's.
std::string ProjectCrsOf(const SourceInfo& source, const ImportMapping& mapping, const ImportInto& into);

// Runs the import. Throws ImportError when the import cannot be done at all (see ReadFeatures and
// CheckMapping; also a project coordinate system in degrees or in another unit than metres, a band
// library that cannot be read, a spectrum title it lacks), ImportCancelled when `progress` cancels.
ImportOutcome RunImport(const SourceInfo& source, const ImportMapping& mapping, const ImportInto& into,
                        const ImportProgress& progress = {});

// The model with the objects made appended to its lists. Imported points join the point list, which
// becomes the points predicted when the model predicts its single point.
CNoise WithImported(CNoise model, const CNoise& additions);
// The extras with the coordinates of the import.
ProjectExtras WithCoordinates(ProjectExtras extras, const SiteCoordinates& coordinates);

// The lower-left corner of the extent rounded down to 10 m: the default origin.
CVertex2D DefaultOrigin(const PlanExtent& extent);

}  // namespace kelmora
