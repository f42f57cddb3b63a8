#pragma once
// The paths of one prediction point drawn over the plan: each path as a line through its nodes (the
// points it passes over an edge or reflects at), in the colour of its kind, as wide as its share of the
// point's energy; the path chosen in the path table over all others, outlined, with its nodes marked;
// and a ring round the point. Paths that carry less than a hundredth of the energy are drawn in a pale
// tint, under the others, so that the few that make the level stand out.
#include <cstddef>
#include <optional>
#include <span>

#include "model/CalcInfo.h"
#include "model/ViewRecord.h"
#include "propagation/TracedPaths.h"
#include "view/ClientPoint.h"
#include "view/DisplayList.h"

namespace kelmora {

// Below this share of the point's energy a path is drawn pale.
inline constexpr double kPaleShare = 0.01;

// The colour of a kind of path: direct vermilion, diffracted blue, reflected bluish green, through an
// opening reddish purple (told apart also by readers with red–green colour blindness).
Rgb PathKindColour(PathKind kind);

// The colour a path is drawn in: that of its kind, mixed 60 % towards white below kPaleShare.
Rgb PathColour(PathKind kind, double share);

// The line width [px] of a path by its share of the point's energy: 1 + 7·√share, rounded, so that a
// path of a tenth of the energy is 3 px and one of all of it 8 px.
int PathLineWidth(double share);

// Appends the paths (in client pixels of `v`) with the selected one (an index into `paths`) on top, and
// the ring round the receiver at `point`.
void DrawPointPaths(DisplayLayer& layer, const CKelmoraViewData& v, std::span<const PointPath> paths,
                    std::optional<std::size_t> selected, const CVector3D& point);

// The prediction point of the calculation settings drawn nearest to the client pixel `at`, within
// `radiusPx`: its index in PredictionPoints() order. None when no point is that close.
std::optional<std::size_t> PredictionPointAt(const CCalcInfo& calc, const CKelmoraViewData& v, ClientPoint at,
                                             double radiusPx);

}  // namespace kelmora
