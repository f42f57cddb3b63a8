#pragma once
// Corner geometry of the three-point rectangle CMyRect [m, m²].
// p1 → p2 is side A; p3 is any point on the line of the opposite side C. The corners 3 and 4 are the
// feet of p2 and p1 on the line through p3 parallel to side A, so the result is always a true rectangle.
#include <array>

#include "geometry/Plane.h"
#include "geometry/Shapes.h"

namespace kelmora {

// Corners 1..4 in space. With p1 = p2 the rectangle degenerates to (p1, p2, p2, p1).
CFaceCorners RectCorners(const CMyRect& rect);

// The same construction in the plan (x and y only), which is not the plan projection of RectCorners
// when the rectangle is tilted.
std::array<CVertex2D, 4> RectCorners2D(const CMyRect& rect);

// The plan corners as a polyline of four points with z = 0 (for the polyline searches of the plan view).
CPolyline RectCornersPolyline2D(const CMyRect& rect);

// The space corners as a polyline of four points.
CPolyline RectCornersPolyline(const CMyRect& rect);

// |(p2 − p1) × (p3 − p1)| [m²]: side A's length times the distance of side C's line.
double RectArea(const CMyRect& rect);

// Mean of the four corners.
CVector3D RectCentre(const CMyRect& rect);

// The centre moved by dist [m] along the face's unit normal: [0] on the left side, [1] on the right side.
std::array<CVector3D, 2> RectNormalPoints(const CMyRect& rect, double dist);

// True when p lies on the rectangle (PointInFace with 0.001 m).
bool RectContains(const CMyRect& rect, const CVector3D& p);

}  // namespace kelmora
