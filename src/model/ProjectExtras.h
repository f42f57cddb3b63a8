#pragma once
// ProjectExtras: what a project holds beyond its site model and window records, which the project file
// has no room for and which is therefore kept in one extension file beside it: the site's real-world
// coordinates, level limits, what-if scenarios, the noise-map settings and, for a document backup, the
// project it came from and which of its windows were maximised. Sections this program does not know
// (written by a later version) are kept as they were read and written back unchanged.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/LevelLimits.h"
#include "model/MapSettings.h"
#include "model/Scenarios.h"
#include "model/SiteCoordinates.h"

namespace kelmora {

struct ProjectExtras {
    std::optional<SiteCoordinates> coordinates;
    LevelLimits limits;
    Scenarios scenarios;
    std::optional<MapSettings> map;
    // Of a backup of the desktop program's session: the project file the document came from.
    std::string backupOf;
    // Of a backup of the desktop program's session: the window records (by index, in the project's
    // window order) whose windows were maximised. The records keep the windows' normal rectangles.
    std::vector<std::int32_t> maximizedWindows;
    // Sections of a later version, by name, as JSON text.
    std::map<std::string, std::string> otherSections;

    // True when there is nothing to keep: the project then has no extension file.
    bool Empty() const {
        return !coordinates && limits.empty() && scenarios.empty() && !map && backupOf.empty() &&
               maximizedWindows.empty() && otherSections.empty();
    }

    friend bool operator==(const ProjectExtras&, const ProjectExtras&) = default;
};

}  // namespace kelmora
