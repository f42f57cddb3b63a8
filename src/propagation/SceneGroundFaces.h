#pragma once
// The ground faces of the scene: the terrain under the path strip as a chain of planar faces from S to
// R, broken where the path crosses a ground line. They only reflect, on their upper side.
#include <span>

#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/GroundLine.h"
#include "model/RectObstacle.h"
#include "propagation/Scene.h"
#include "propagation/ScenePathStrip.h"

namespace kelmora {

inline constexpr const char* kGroundFaceName = "of地表面";

// Turns the face into a ground face over the rectangle of c1, c2, c3 (stored as its exact first three
// corners): no diffracting side, wedge type ground, no transmission; the upper side (the one facing the
// point 10 m above the centre) absorbs with `absorption`, the lower side fully; specular on both sides.
void SetGroundFace(CRectObstacle& face, const CVector3D& c1, const CVector3D& c2, const CVector3D& c3,
                   const CBand& absorption);

// Appends the ground faces of the strip over the terrain (AllGroundLines): one face over the whole strip
// when the path S–R crosses no ground line, otherwise one face before every crossing and one after the
// last. Each face lies in the plane of the ground between two crossings and takes the absorption of the
// ground there. Throws SceneError(kGroundCrossingError) when a crossing cannot be located on its ground
// line (a ground line with a height that is not a number).
void AppendGroundFaces(std::span<const CGroundLine> terrain, const CPathStrip& strip, Scene& scene);

}  // namespace kelmora
