#pragma once
// The propagation paths between a source point and a prediction point through the obstacle scene: the
// direct path and the paths with specular reflections (image sources), each leg with up to two
// diffractions over obstacles.
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "geometry/Vector.h"
#include "model/RectObstacle.h"
#include "propagation/PathNode.h"
#include "propagation/PathSearchScene.h"

namespace kelmora {

// A path is dropped when a reflection point lies farther than this from its face [m] ...
inline constexpr double kMaxReflectionPointOffFace = 1.0;
// ... or when a reflection point lies this close to the point the sound comes from, or the point it
// goes to lies this close to the reflecting face's plane [m].
inline constexpr double kMinReflectionClearance = 0.3;

// Every valid path from s to r in the scene, with at most maxReflections reflections: the direct path,
// then every ordered sequence of reflecting faces (repetitions allowed; faces that never reflect or
// absorb fully on both sides left out) of length 1, 2, … (never longer than the scene has faces), in
// lexicographic order of face indices, each expanded depth-first over its diffraction placements. The
// same geometric path reached through different placements is listed once per placement. An empty list
// means there is no path ("伝搬経路無し"). The result depends on nothing but the arguments.
//
// The number of sequences grows as the faces to the power of maxReflections, so a search may run for
// very long: `checkpoint` (may be empty) is called for every sequence and every leg worked on, and may
// throw to end the search (a cancel).
std::vector<CPropagationPath> FindPropagationPaths(const CVector3D& s, const CVector3D& r,
                                                   std::span<const CRectObstacle> scene, int maxReflections,
                                                   const std::function<void()>& checkpoint = {});
// The same over a scene prepared by the caller, whose face frames and diffraction points then serve the
// evaluation of the paths found.
std::vector<CPropagationPath> FindPropagationPaths(const CVector3D& s, const CVector3D& r,
                                                   const CSearchScene& scene, int maxReflections);

// Works on the leg arriving at node n of the path (and, recursively, on the earlier legs): finds its
// obstacles, tries the path without them (re-aimed at the first one) and with them placed on this or an
// earlier leg, and hands every completed path to ValidateAndEmit. The path is worked on in place: the
// caller must not read it afterwards.
void ProcessLeg(CPropagationPath& path, std::size_t n, const CSearchScene& scene,
                std::vector<CPropagationPath>& out);

// Checks a completed path and appends it to `out`: the recorded diffractions must lie where their legs
// cross the obstacles, the reflection points must lie on or within 1 m of their faces and clear of their
// neighbours by more than 0.3 m, the sound must stay on one side of each reflecting face, and the free
// legs must be free, apart from obstacles they pass beside, which are recorded as non-crossing
// diffractions. The path is worked on in place.
void ValidateAndEmit(CPropagationPath& path, const CSearchScene& scene, std::vector<CPropagationPath>& out);

}  // namespace kelmora
