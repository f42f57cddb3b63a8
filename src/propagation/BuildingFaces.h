#pragma once
// The faces of a building near the sound path: its roofs and exterior wall pieces as reflecting
// surfaces, and the screens that carry its blocking role.
//
// A building without exterior walls blocks with its roofs. A building with exterior walls blocks with
// stand-in screens only — screen A over each crossed wall segment when it has at most four segments,
// one screen B across the path for more complex buildings — and its roofs and walls only reflect.
#include <optional>
#include <string>
#include <vector>

#include "geometry/Vector.h"
#include "model/Building.h"
#include "model/RectObstacle.h"
#include "propagation/Scene.h"
#include "propagation/ScenePathStrip.h"

namespace kelmora {

// One plan segment of an exterior wall with the faces made over it.
struct CPreparedWallSegment {
    CVertex2D a;
    CVertex2D b;
    CRectObstacle surface;  // the reflecting wall surface
    CRectObstacle screenA;  // the blocking stand-in, used when the building has at most four segments
};

// The faces of a building that do not depend on the path, made once for many source–point pairs:
// per pair only the strip's selection among them and screen B are left to do.
struct CPreparedBuilding {
    const CBuilding* building = nullptr;
    std::vector<std::vector<CPreparedWallSegment>> walls;  // per exterior wall, per segment
    std::vector<CRectObstacle> roofs;                      // named, with their roles set
    int segmentCount = 0;                                  // of all exterior walls
    std::string screenBName;
};

CPreparedBuilding PrepareBuildingFaces(const CBuilding& building);

// Appends the building's faces for the path S–R: first its screens, then its roof and wall surfaces.
void AppendBuildingFaces(const CBuilding& building, const CVector3D& s, const CVector3D& r, Scene& scene);
void AppendBuildingFaces(const CBuilding& building, const CPathStrip& strip, Scene& scene);
void AppendBuildingFaces(const CPreparedBuilding& building, const CPathStrip& strip, Scene& scene);

// The single vertical screen standing across the path S–R in place of a building with many wall
// segments (knife wedge, fully absorbing, blocking only). Empty when the building has no wall vertices,
// or when wall vertices lie on both sides of the line S–R but the segment S–R crosses no wall segment
// (the building lies behind S or beyond R, not between them).
std::optional<CRectObstacle> BuildScreenB(const CBuilding& building, const CVector3D& s, const CVector3D& r);

// True when p lies inside the building: the building has exterior walls, and p lies inside the plan
// footprint of one of its roofs and below that roof. A point within 1e-6 m of a footprint's edge or of
// the roof plane (a reflection point on a wall or on the roof) is not inside.
bool BuildingContainsPoint(const CBuilding& building, const CVector3D& p);

// The side of segment i of an exterior wall that faces out of the building: +1 left, −1 right, 0 when i
// is not a segment of the wall. Of a closed wall the outside is away from its own polygon; of an open
// wall it is away from the building's roof footprints.
int OutsideSide(const CBuildingWall& wall, int i, const CBuilding& building);

// Number of plan segments of an exterior wall: none below 2 vertices, one for 2 vertices, otherwise one
// less than the vertex count, or the vertex count when the wall is closed.
int WallSegmentCount(const CBuildingWall& wall);

}  // namespace kelmora
