#pragma once
// Snapping a click to the building being edited: to its nearest corner (roof corners, crossings of
// roof edges, exterior-wall and room-outline vertices) or to the nearest point on one of its edges,
// within 10 pixels of the click; and the offsets the user may add to the snapped point.
#include <optional>
#include <vector>

#include "geometry/Shapes.h"
#include "model/Building.h"
#include "model/ViewRecord.h"
#include "view/ClientPoint.h"

namespace kelmora {

inline constexpr double kSnapRadiusPx = 10.0;  // a snapped point must lie this close to the click

inline constexpr const char* kNoNearbyCornerMessage = "近接点がありません";
inline constexpr const char* kNoNearbyLineMessage = "近接線がありません";

// The vertex sets a corner snap searches, in search order: the four plan corners of every roof; for
// every pair of different roofs (i < j) the vertices of each polygon of their plan intersection, so
// that crossing points of roof edges are corners too; the vertices of every exterior wall's polyline;
// the vertices of every room's outline. z is 0 for the roof sets.
std::vector<CPolyline> CornerCandidateSets(const CBuilding& building);

// The vertex nearest in plan to p over all candidate sets; on equal distance the one found first
// wins. Empty when the building has no vertex at all.
std::optional<CVertex2D> NearestCorner(const CBuilding& building, const CVertex2D& p);

// The lines an edge snap searches, in search order: for every roof the open line through its plan
// corners 1 → 2 → 3 → 4 (side D is no candidate), every exterior wall's polyline as stored and every
// room's outline as stored (their closing segments are no candidates either).
std::vector<CPolyline> EdgeCandidateLines(const CBuilding& building);

// The nearest point on a building edge and the ends of the segment it lies on.
struct EdgeSnap {
    CVertex2D point;
    CVertex2D nearEnd;  // the segment end nearer to the clicked point (the start when equally near)
    CVertex2D farEnd;

    friend bool operator==(const EdgeSnap&, const EdgeSnap&) = default;
};

// The point nearest in plan to p on the candidate lines; on equal distance the one found last wins.
// Empty when no line has two vertices.
std::optional<EdgeSnap> NearestEdgePoint(const CBuilding& building, const CVertex2D& p);

// The point `distance` metres from the near end toward the far end of the snapped segment, not limited
// to the segment. A segment without plan length gives its near end.
CVertex2D PointAlongEdge(const EdgeSnap& snap, double distance);

// True when the model point's client position lies within kSnapRadiusPx of the click.
bool WithinSnapRadius(const CKelmoraViewData& v, const CVertex2D& modelPoint, ClientPoint click);

}  // namespace kelmora
