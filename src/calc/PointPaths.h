#pragma once
// The propagation paths at one prediction point, found and evaluated on demand as a run finds and
// evaluates them (TracePairsAtPoint): for every path its kind, its nodes in space, the faces it touches
// by the names the calculation breakdown gives them, and its A-weighted levels at the point. The paths'
// LAeqT shares sum in energy to the point's LAeqT from the same sources, and their LAmax shares to its
// LAmax, as a run computes them.
//
// A room source reaches the outside through the patches of its room's openings: each of its paths
// starts at the room source, passes the patch's source 0.2 m outside the opening and goes on from
// there.
#include <cstddef>
#include <optional>
#include <string>

#include "geometry/Vector.h"
#include "model/Noise.h"
#include "propagation/TracedPaths.h"

namespace kelmora {

class CLongJob;
struct PredictionSite;

// The paths at `position` from every user source of the site (or from `userSource` only). The site's
// model must have its opening sources built. `job` (may be null) may cancel between two sources.
PointPaths FindPointPaths(const PredictionSite& site, const CVector3D& position,
                          std::optional<std::size_t> userSource = std::nullopt,
                          const CLongJob* job = nullptr);

// The same at the prediction point `pointIndex` of the model's calculation settings (the single point, or
// one of the list or the grid), the opening sources built on a copy of the model. Nothing when there is
// no such point.
std::optional<PointPaths> FindPointPaths(const CNoise& model, std::size_t pointIndex,
                                         std::optional<std::size_t> userSource = std::nullopt,
                                         const CLongJob* job = nullptr);

// The kind of a path as the path table shows it: "開口部", "反射(n)" and "回折(n)" for what it does,
// joined by "・" ("開口部・反射(1)", "反射(2)・回折(1)"); "直接" when it does none of them.
std::string PathKindText(const PointPath& path);

// The faces of a path as the path table shows them, in the order the sound meets them, joined by " → ":
// "回折 <name>" (a diffraction the sound passes beside: "回折(交差無し) <name>"), "反射 <name>", and
// before them "開口部 <memo>" for a path through an opening. Empty for a direct path.
std::string PathFacesText(const PointPath& path);

// The name of user source `index` (UserSources order) for tables: "外部音源k" for the k-th outdoor
// source, "室内音源k" for the k-th source in a room (counted over every building and room), followed by
// "(memo)" — of a room source its building's, room's and own memos joined with ":" — when there is one.
std::string UserSourceLabel(const CNoise& model, std::size_t index);

}  // namespace kelmora
