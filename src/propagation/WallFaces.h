#pragma once
// The faces of the barriers and slope shoulders along a ground line that reach into the path strip.
#include <vector>

#include "geometry/Vector.h"
#include "model/GroundLine.h"
#include "propagation/Scene.h"
#include "propagation/ScenePathStrip.h"

namespace kelmora {

// Appends one face per piece of the wall's base line that crosses the strip of S–R, in the order of the
// pieces. The faces reflect and obstruct; their name is "of" + the kind of wall (+ "(" + memo + ")").
void AppendWallFaces(const CWall& wall, const CGroundLine& line, const CVector3D& s, const CVector3D& r,
                     Scene& scene);
void AppendWallFaces(const CWall& wall, const CGroundLine& line, const CPathStrip& strip, Scene& scene);

// The faces of a wall over every piece of its base line, made once for many source–point pairs.
struct CPreparedWall {
    std::vector<CVertex2D> plan;       // the base line's vertices in plan
    std::vector<CRectObstacle> faces;  // one per piece
};

CPreparedWall PrepareWallFaces(const CWall& wall, const CGroundLine& line);

// The prepared wall's faces over the pieces that cross the strip of S–R, in the order of the pieces.
void AppendWallFaces(const CPreparedWall& wall, const CPathStrip& strip, Scene& scene);

// The wall's base line: the part of the ground line over the wall's range, moved sideways by the wall's
// horizontal offset and raised by its vertical gap.
CPolyline WallBaseLine(const CWall& wall, const CGroundLine& line);

}  // namespace kelmora
