#pragma once
// Measurements along polylines and their plan-parallel copies (walls beside ground lines) [m].
// Lengths are measured in space unless the name ends in 2D; horizontal offsets are positive to the
// left of the direction of travel and never change z.
#include <cstddef>
#include <optional>
#include <vector>

#include "geometry/Shapes.h"
#include "geometry/VectorOps.h"

namespace kelmora {

// Sum of the segment lengths [m]; 0 for fewer than two vertices.
double PolylineLength(const CPolyline& line);

// The point at arc length s [m] from the start, raised by up [m] and moved left by left [m] (plan left
// normal of the segment it lies on). s ≤ 0 gives the first vertex as it is (no up/left); s beyond the
// end gives the last vertex raised by up (no extrapolation). An empty line gives (0, 0, 0).
CVector3D PointAtLength(const CPolyline& line, double s, double up = 0.0, double left = 0.0);

// The part of the line between arc lengths min(s1, s2) and max(s1, s2) [m], starting and ending at the
// points at those lengths. Empty for fewer than two vertices or when the start lies beyond the end.
CPolyline SubPolyline(const CPolyline& line, double s1, double s2);

// The copy of the line moved left by left [m] (inner vertices at the meeting points of the offset
// segments) and then raised by up [m]. With left = 0 only the raise is applied.
CPolyline OffsetPolyline(const CPolyline& line, double left, double up);

// Arc length [m] of the point p on the first segment that holds it (p ahead of the segment start and not
// farther from it than the segment end); 0 when no segment qualifies.
double LengthAtPoint(const CPolyline& line, const CVector3D& p);

// The segment found by the same search as LengthAtPoint; empty when none qualifies.
std::optional<CSegment3D> SegmentContaining(const CPolyline& line, const CVector3D& p);

// The vertex nearest to a plan point.
struct CNearestVertex {
    CVector3D vertex;
    std::size_t index = 0;    // position of the vertex in the line
    double distancePlan = 0;  // plan distance from the point [m]
};

// The vertex with the smallest plan distance to p (the first one on ties); empty for an empty line.
std::optional<CNearestVertex> NearestVertex2D(const CPolyline& line, const CVertex2D& p);

// The point of a plan-offset line nearest to a plan point.
struct CNearestOnOffset {
    CSegment3D segment;  // the offset segment the point lies on
    CVector3D point;     // z interpolated between the segment's end heights
};

// The point nearest in plan to p on the line offset left by left [m], each segment clamped to its ends
// (the earliest segment wins ties). Empty for fewer than two vertices.
std::optional<CNearestOnOffset> NearestPointOnOffset2D(const CPolyline& line, double left,
                                                       const CVertex2D& p);

// A crossing of a plan-offset line with a plan segment.
struct COffsetCrossing {
    double offset = 0.0;        // the left offset [m] of the crossed line
    bool lastSegment = false;   // the crossed segment is the last one of the line
    bool firstSegment = false;  // the crossed segment is the first one of the line
    CVector3D segmentEnd;       // end vertex of the crossed segment (not offset)
    CVector3D segmentStart;     // start vertex of the crossed segment (not offset)
    CVertex2D point;            // plan intersection of the offset segment's line with a–b
};

// Finds where the line, offset left by left [m], properly crosses the plan segment a–b. The new crossings
// and the records already in `records` (after them) are written back into `records`, ordered by
// increasing plan distance of their intersection point from a (stable for equal distances). Returns false
// when a and b coincide in plan (records untouched) or when no record was written.
bool OffsetCrossings2D(const CPolyline& line, const CVertex2D& a, const CVertex2D& b, double left,
                       std::vector<COffsetCrossing>& records);

}  // namespace kelmora
