#pragma once
// The obstacle scene of one source–point pair: the site model near the sound path turned into a flat,
// ordered list of rectangular faces. Paths and blocking results refer to its faces by index
// (propagation/FaceIndex.h), so the list must stay unchanged while they are in use.
//
// Order of the faces (it orders the reflection search and the calculation breakdown):
//   1. per building in list order: its screens, then its roof and wall surfaces;
//   2. per ground line in list order, per wall in list order: the wall's faces;
//   3. the ground faces along the path, from S to R.
#include <span>
#include <stdexcept>
#include <vector>

#include "geometry/Vector.h"
#include "model/GroundLine.h"
#include "model/RectObstacle.h"

namespace kelmora {

class CNoise;
struct CSiteFaces;

using Scene = std::vector<CRectObstacle>;

// Raised when the scene cannot be built; what() is the message shown to the user.
class SceneError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Message of a ground crossing that cannot be located on its ground line.
inline constexpr const char* kGroundCrossingError = "論理エラー SP交点";

// The scene for the source point s and the prediction point r [m]. Throws SceneError.
Scene BuildScene(const CNoise& model, const CVector3D& s, const CVector3D& r);

// The same into an existing list, which is cleared first (its storage is reused from pair to pair).
void BuildScene(const CNoise& model, const CVector3D& s, const CVector3D& r, Scene& scene);

// The same with the model's terrain (AllGroundLines) computed once for many pairs.
void BuildScene(const CNoise& model, std::span<const CGroundLine> terrain, const CVector3D& s,
                const CVector3D& r, Scene& scene);

// The same with the faces of the buildings and walls made once for many pairs (PrepareSiteFaces of the
// model): the scene is the same, face for face and bit for bit.
void BuildScene(const CSiteFaces& faces, std::span<const CGroundLine> terrain, const CVector3D& s,
                const CVector3D& r, Scene& scene);

}  // namespace kelmora
