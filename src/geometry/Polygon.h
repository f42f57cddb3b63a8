#pragma once
// Plan polygon operations on building footprints, room outlines and path strips [m, m²].
// Polygons are open vertex lists (the first vertex is not repeated), in either orientation; they are
// brought to clockwise closed rings before the polygon algebra runs. z of space points is ignored.
// Polygons are not validated: when the polygon library cannot resolve invalid input (self-intersecting
// rings) intersection and union throw std::exception whose what() is "Boost.Geometry Overlay invalid input
// exception"; coordinates that are not finite always raise that error.
#include <optional>
#include <vector>

#include "geometry/Shapes.h"
#include "geometry/Vector.h"

namespace kelmora {

// The plan points (x, y) of a list of space points.
std::vector<CVertex2D> PlanVertices(const std::vector<CVector3D>& points);

// Area [m²] ≥ 0 in either orientation; 0 for fewer than 3 vertices.
double PolygonArea2D(const std::vector<CVertex2D>& polygon);

// Area [m²] of the intersection of two polygons; 0 when either has fewer than 3 vertices.
double IntersectionArea2D(const std::vector<CVertex2D>& a, const std::vector<CVertex2D>& b);

// The intersection as a list of polygons (clockwise outer rings, open); empty unless both inputs have at
// least 3 vertices.
std::vector<std::vector<CVertex2D>> PolygonIntersection2D(const std::vector<CVertex2D>& a,
                                                          const std::vector<CVertex2D>& b);

// The union as a list of polygons (clockwise outer rings, open): one polygon when the two overlap or
// touch along an edge, two when they are apart. When one input has fewer than 3 vertices the result is
// the other input unchanged (nothing when both have fewer than 3).
std::vector<std::vector<CVertex2D>> PolygonUnion2D(const std::vector<CVertex2D>& a,
                                                   const std::vector<CVertex2D>& b);

// True only for a point strictly inside; a point on the boundary or outside gives false, and so does a
// polygon of fewer than 3 vertices.
bool PointInPolygon2D(const std::vector<CVertex2D>& polygon, const CVertex2D& p);

// One flag per vertex: 1 when the vertex is a corner of the polygon's convex hull, else 0 (re-entrant
// corners and vertices lying on a hull edge). Every flag is 1 for fewer than 3 vertices.
std::vector<int> ConvexCornerFlags(const std::vector<CVertex2D>& polygon);

// The area centroid; a single vertex gives that vertex, a polygon of zero area its first vertex in
// clockwise order. An empty list throws std::exception "Boost.Geometry Centroid calculation exception".
CVertex2D PolygonCentroid2D(const std::vector<CVertex2D>& polygon);

// The intersection of the plan segments a1–a2 and b1–b2, end points included; empty when they are
// parallel or do not meet.
std::optional<CVertex2D> SegmentIntersection2D(const CVertex2D& a1, const CVertex2D& a2, const CVertex2D& b1,
                                               const CVertex2D& b2);

// +1 when p is left of the directed line a → b, −1 when right, 0 when exactly on it.
int SideOfLine2D(const CVertex2D& p, const CVertex2D& a, const CVertex2D& b);

// True when the segment a–b runs through the polygon: the polygon has area on both sides of the segment
// within 10 m of it. Touching the polygon, running along its boundary or a zero-length segment: false.
bool SegmentCrossesPolygon2D(const CVertex2D& a, const CVertex2D& b, const std::vector<CVertex2D>& polygon);

// The same tests on a polyline taken as a plan polygon of its vertices.
bool ContainsPoint2D(const CPolyline& line, const CVertex2D& p);
double PolylineArea2D(const CPolyline& line);

}  // namespace kelmora
