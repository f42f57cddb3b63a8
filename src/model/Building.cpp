#include "model/Building.h"

#include <algorithm>
#include <limits>

#include "geometry/Polygon.h"
#include "geometry/RectGeometry.h"
#include "model/PlanEdges.h"

namespace kelmora {

void CBuilding::Serialize(CArchive& ar) {
    SerializeList(ar, walls, CBuildingWall::kMinArchiveBytes);
    SerializeList(ar, roofs, CRoof::kMinArchiveBytes);
    SerializeList(ar, rooms, CRoom::kMinArchiveBytes);
    ar.Io(memo);
}

namespace {

using PlanPolygon = std::vector<CVertex2D>;

// The plan footprints of the roofs: one polygon per group of overlapping or touching roofs.
std::vector<PlanPolygon> RoofFootprints(const std::vector<CRoof>& roofs) {
    std::vector<PlanPolygon> footprints;
    for (const CRoof& roof : roofs) {
        const auto corners = RectCorners2D(roof.face.rect);
        PlanPolygon merged(corners.begin(), corners.end());
        for (std::size_t i = footprints.size(); i-- > 0;) {
            std::vector<PlanPolygon> united = PolygonUnion2D(merged, footprints[i]);
            if (united.size() == 1) {
                merged = std::move(united.front());
                footprints.erase(footprints.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        footprints.push_back(std::move(merged));
    }
    return footprints;
}

}  // namespace

int GenerateWallsFromRoofs(CBuilding& building) {
    if (building.roofs.empty()) return 0;

    double h = std::numeric_limits<double>::infinity();
    for (const CRoof& roof : building.roofs) {
        h = std::min({h, roof.face.rect.p1.z, roof.face.rect.p2.z, roof.face.rect.p3.z});
    }

    std::vector<CBuildingWall> created;
    for (const PlanPolygon& footprint : RoofFootprints(building.roofs)) {
        CBuildingWall wall;
        for (const CVertex2D& v : footprint) {
            wall.polyline.vertices.push_back({v.x, v.y, h});
        }
        if (!PlanEdgesAtLeast(wall.polyline.vertices, true, 1.0)) return -1;
        wall.closed = 1;
        wall.diffractStart = 1;
        wall.diffractEnd = 1;
        wall.diffuse = kSpecularReflection;
        wall.topZ = h;
        wall.diffractTop = 1;
        // A building whose roofs reach no higher than the ground still gets a 3 m wall below them.
        wall.bottomZ = h > 0.0 ? 0.0 : h - 3.0;
        wall.diffractBottom = 0;
        wall.memo = kGeneratedWallMemo;
        created.push_back(std::move(wall));
    }
    building.walls.insert(building.walls.end(), created.begin(), created.end());
    return static_cast<int>(created.size());
}

}  // namespace kelmora
