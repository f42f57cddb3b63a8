#pragma once
// The two shape types of the site model: the three-point rectangle and the polyline.
#include <vector>

#include "geometry/Vector.h"

namespace kelmora {

// A rectangle in space given by three points: p1 → p2 is side A, p3 lies on the line of the
// opposite side C. The four corners follow from RectCorners().
struct CMyRect {
    CVector3D p1;
    CVector3D p2;
    CVector3D p3;

    friend bool operator==(const CMyRect&, const CMyRect&) = default;
};

// An ordered list of space points [m].
struct CPolyline {
    std::vector<CVector3D> vertices;

    friend bool operator==(const CPolyline&, const CPolyline&) = default;
};

}  // namespace kelmora
