#include "model/Room.h"

#include <cmath>

#include "geometry/Polygon.h"
#include "geometry/RectGeometry.h"
#include "geometry/VectorOps.h"

namespace kelmora {

namespace {

// Nesting level of the opening being read on this thread.
thread_local int openingReadDepth = 0;

// Counts one level of opening nesting while a contained list is read.
class OpeningReadLevel {
public:
    OpeningReadLevel() {
        if (openingReadDepth >= kMaxOpeningNesting) throw ArchiveError();
        ++openingReadDepth;
    }
    ~OpeningReadLevel() { --openingReadDepth; }
    OpeningReadLevel(const OpeningReadLevel&) = delete;
    OpeningReadLevel& operator=(const OpeningReadLevel&) = delete;
};

}  // namespace

void CWindow::Serialize(CArchive& ar) {
    kelmora::Serialize(ar, rect);
    ar.Io(areaFromRect);
    ar.Io(area);
    absorption.Serialize(ar);
    tl.Serialize(ar);
    ar.Io(belongsTo);
    ar.Io(isOutdoorSource);
    ar.Io(q);
    if (ar.IsLoading()) {
        const OpeningReadLevel level;
        SerializeList(ar, containedOpenings, kMinArchiveBytes);
    } else {
        SerializeList(ar, containedOpenings, kMinArchiveBytes);
    }
    ar.Io(memo);
}

void CRoom::Serialize(CArchive& ar) {
    ar.Io(surfaceArea);
    meanAbsorption.Serialize(ar);
    ar.Io(computeFromShape);
    ar.Io(ceilingZ);
    ar.Io(floorZ);
    kelmora::Serialize(ar, outline);
    defaultAbsorptionCeiling.Serialize(ar);
    defaultAbsorptionFloor.Serialize(ar);
    defaultAbsorptionWall.Serialize(ar);
    defaultTl.Serialize(ar);
    SerializeList(ar, openings, CWindow::kMinArchiveBytes);
    SerializeList(ar, sources, CSound::kMinArchiveBytes);
    ar.Io(memo);
}

double EffectiveArea(const CWindow& opening) {
    return opening.areaFromRect != 0 ? RectArea(opening.rect) : opening.area;
}

double WallArea(const CRoom& room) {
    const std::vector<CVector3D>& v = room.outline.vertices;
    const std::size_t n = v.size();
    if (n < 3) return 0.0;
    double perimeter = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        perimeter += Distance2D(Plan(v[i]), Plan(v[(i + 1) % n]));
    }
    return std::fabs(room.ceilingZ - room.floorZ) * perimeter;
}

double ComputedSurfaceArea(const CRoom& room) {
    return 2.0 * PolylineArea2D(room.outline) + WallArea(room);
}

OpeningHeights OpeningHeightsFromSurface(std::int32_t belongsTo, const CRoom& room,
                                         const CWindow* containing) {
    if (belongsTo == kOnCeiling) return {room.ceilingZ, room.ceilingZ};
    if (belongsTo == kOnFloor) return {room.floorZ, room.floorZ};
    if (containing != nullptr) return {containing->rect.p1.z, containing->rect.p3.z};
    return {room.ceilingZ, room.floorZ};
}

namespace {

// True when the plan point lies under the plan rectangle of one of the roofs.
bool UnderAnyRoof(const std::vector<CRoof>& roofs, const CVertex2D& p) {
    for (const CRoof& roof : roofs) {
        const auto corners = RectCorners2D(roof.face.rect);
        if (PointInPolygon2D(std::vector<CVertex2D>(corners.begin(), corners.end()), p)) return true;
    }
    return false;
}

}  // namespace

int GenerateWallOpenings(CRoom& room, const std::vector<CRoof>& roofs) {
    const std::vector<CVector3D>& v = room.outline.vertices;
    const std::size_t n = v.size();
    if (n < 2) return 0;
    // The closing edge only belongs to an outline that encloses an area.
    const bool closes = PolylineArea2D(room.outline) > 0.0;

    std::vector<CWindow> created;
    for (std::size_t i = 0; i < n; ++i) {
        if (i == n - 1 && !closes) break;
        const CVector3D& s = v[i];
        const CVector3D& e = v[(i + 1) % n];
        CWindow opening;
        // The full-height wall surface, side A along the ceiling.
        opening.rect.p1 = {s.x, s.y, room.ceilingZ};
        opening.rect.p2 = {e.x, e.y, room.ceilingZ};
        opening.rect.p3 = {e.x, e.y, room.floorZ};
        if (Distance(opening.rect.p1, opening.rect.p2) < 1.0 ||
            Distance(opening.rect.p2, opening.rect.p3) < 1.0) {
            return -1;
        }
        opening.areaFromRect = 1;
        opening.area = RectArea(opening.rect);
        opening.absorption = room.defaultAbsorptionWall;
        opening.tl = room.defaultTl;
        opening.belongsTo = kOnWall;
        // The point 0.5 m in front of the wall on the side away from the room; a wall whose outside
        // is under a roof of the building faces another part of the building, not the open air.
        const auto beside = RectNormalPoints(opening.rect, 0.5);
        const CVertex2D outside =
            ContainsPoint2D(room.outline, Plan(beside[0])) ? Plan(beside[1]) : Plan(beside[0]);
        opening.isOutdoorSource = UnderAnyRoof(roofs, outside) ? 0 : 1;
        opening.memo = kGeneratedOpeningMemo;
        created.push_back(std::move(opening));
    }
    room.openings.insert(room.openings.end(), created.begin(), created.end());
    return static_cast<int>(created.size());
}

}  // namespace kelmora
