#pragma once
// The plane of a face and the tests of points and segments against it [m].
// The plane of three points p0, p1, p2 has the normal (p1 − p0) × (p2 − p1): for the corners of a face
// this is the right-hand screw turning from side A to side B, and its positive side is the left side.
#include <array>
#include <optional>

#include "geometry/Vector.h"

namespace kelmora {

// The four corners of a planar quadrilateral face: side A = 1→2, B = 2→3, C = 3→4, D = 4→1.
using CFaceCorners = std::array<CVector3D, 4>;

// Unit normal of (p1 − p0) × (p2 − p1); the zero vector when the points are collinear.
CVector3D UnitNormal(const CVector3D& p0, const CVector3D& p1, const CVector3D& p2);

// The plane through p0 with normal UnitNormal(p0, p1, p2) (zero when the points are collinear).
CPlane PlaneFromPoints(const CVector3D& p0, const CVector3D& p1, const CVector3D& p2);

// +1 on the left side of the plane, −1 on the right side, 0 only when exactly on it (no tolerance).
int SideOfPlane(const CVector3D& p, const CVector3D& p0, const CVector3D& p1, const CVector3D& p2);

// Distance of p from the plane [m].
double DistancePointPlane(const CVector3D& p, const CVector3D& p0, const CVector3D& p1, const CVector3D& p2);

// Foot of p on the plane.
CVector3D ProjectPointOnPlane(const CVector3D& p, const CVector3D& p0, const CVector3D& p1,
                              const CVector3D& p2);

// The mirror image of p in the plane (the image source of a specular reflection).
CVector3D MirrorPoint(const CVector3D& p, const CVector3D& p0, const CVector3D& p1, const CVector3D& p2);

// Where the segment a–b meets the plane. Signed distances below 1e-6 m count as on the plane, so an
// end point touching the plane is an intersection at that end; a segment lying in the plane, or wholly
// on one side, gives none.
std::optional<CVector3D> IntersectSegmentPlane(const CVector3D& a, const CVector3D& b, const CPlane& plane);

// IntersectSegmentPlane with the plane of the face's corners 1, 2, 3.
std::optional<CVector3D> IntersectSegmentFacePlane(const CVector3D& a, const CVector3D& b,
                                                   const CFaceCorners& corners);

// True when p lies on the face: within 0.001 m of its plane (fixed, whatever tol is), and either strictly
// inside the quadrilateral or within tol [m] of one of its sides (the side itself, end points included,
// not the side's infinite line, which would accept points far out along its extension).
bool PointInFace(const CFaceCorners& corners, const CVector3D& p, double tol);

// ---- The same with the plane of the corners made once ----
// `plane` must be PlaneFromPoints(corners 0, 1, 2) (or PlaneFromPoints(p0, p1, p2)): the results are
// those of the functions above to the bit, without the unit normal being computed again for each point.

int SideOfPlane(const CVector3D& p, const CVector3D& p0, const CPlane& plane);
double DistancePointPlane(const CVector3D& p, const CPlane& plane);
CVector3D ProjectPointOnPlane(const CVector3D& p, const CPlane& plane);
CVector3D MirrorPoint(const CVector3D& p, const CPlane& plane);
bool PointInFace(const CFaceCorners& corners, const CPlane& plane, const CVector3D& p, double tol);

// Height z [m] of the plane through p0, p1, p2 above the plan point (x, y); empty for a vertical plane
// (or when the plane lies beyond ±50000 m at that point).
std::optional<double> PlaneHeightAt(double x, double y, const CVector3D& p0, const CVector3D& p1,
                                    const CVector3D& p2);

}  // namespace kelmora
