#pragma once
// Where the site lies on the earth: the coordinate system of the drawings and GIS layers it was brought
// in from, and the origin that was subtracted from their coordinates so that the project works in small
// local metres. A point (x, y) of the project lies at (originX + x, originY + y) in that system.
#include <cstdint>
#include <string>

namespace kelmora {

struct SiteCoordinates {
    std::int32_t epsg = 0;   // EPSG code of the coordinate system; 0 when only `definition` names it
    std::string definition;  // the system as WKT when it has no EPSG code; empty otherwise
    double originX = 0.0;    // m, in the coordinate system
    double originY = 0.0;    // m

    bool HasSystem() const { return epsg > 0 || !definition.empty(); }

    friend bool operator==(const SiteCoordinates&, const SiteCoordinates&) = default;
};

}  // namespace kelmora
