#pragma once
// The terrain model of a site: ground height and ground absorption at a plan position, interpolated
// between the ground lines, and the slope-foot ground lines that slope shoulders add to it.
//
// The terrain is the project's ground lines followed by one slope-foot line per slope shoulder
// (AllGroundLines). Functions taking a span work on a terrain computed once; those taking the model
// compute it on every call.
#include <span>
#include <vector>

#include "geometry/PolylineOps.h"
#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/GroundLine.h"

namespace kelmora {

class CNoise;

inline constexpr const char* kSlopeFootMemo = "法尻の地表線自動追加";

// The ground line at the foot of a slope shoulder's slope, where the slope face's lower edge lies: the
// ground line over the wall's range, moved sideways by the wall's offset plus slopeHorizontal towards
// the slope's side and raised by offsetVertical + height − slopeVertical. Its side towards the slope
// takes the absorption of the slope face's upper side, its far side the ground line's absorption of
// that side. No walls.
CGroundLine SlopeFootGroundLine(const CGroundLine& line, const CWall& shoulder);

// A copy of the project's ground lines in order, followed by the slope-foot line of every slope
// shoulder (in ground-line order, then wall order).
std::vector<CGroundLine> AllGroundLines(const CNoise& model);

// Ground height [m] below the plan position of p (p.z is not used): the height of the nearest ground
// line, interpolated linearly towards the next ground line beyond p; the nearest line's height when
// there is none beyond p, 0 without ground lines.
double GroundHeightAt(std::span<const CGroundLine> terrain, const CVector3D& p);
double GroundHeightAt(const CNoise& model, const CVector3D& p);

// Absorption of the ground at the plan position of p: that of the side of the nearest ground line on
// which p lies (the right side when p lies on the line); 1.0 in every band (no ground reflection)
// without ground lines.
CBand GroundAbsorptionAt(std::span<const CGroundLine> terrain, const CVector3D& p);
CBand GroundAbsorptionAt(const CNoise& model, const CVector3D& p);

// The crossings of a ground line with the plan segment a–b, written into `records` nearest to a first
// (equal distances in the order found): the proper crossings of its segments (OffsetCrossings2D), and
// the vertices lying inside a–b at which the line passes from one side of a–b to the other, which no
// segment crosses properly. The record of a crossing at a vertex names the segment arriving there.
// Returns false when there is none.
bool GroundLineCrossings(const CPolyline& line, const CVertex2D& a, const CVertex2D& b,
                         std::vector<COffsetCrossing>& records);

// The point of the ground segment start → end above or below the plan point p, which lies on the
// segment's plan line: its height is interpolated along the segment by plan distance.
CVector3D GroundPointOnSegment(const CVertex2D& p, const CVector3D& start, const CVector3D& end);

}  // namespace kelmora
