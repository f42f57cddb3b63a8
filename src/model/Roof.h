#pragma once
// CRoof: one roof rectangle of a building, possibly sloped: side A is its upper horizontal edge and
// the roof falls from there to side C.
#include <cstddef>
#include <string>

#include "geometry/Shapes.h"
#include "model/RectObstacle.h"
#include "model/persistence/Archive.h"

namespace kelmora {

class CRoof {
public:
    // A flat roof at 5 m over a degenerate rectangle, right-angle wedge, every edge diffracting.
    CRoof();
    virtual ~CRoof() = default;
    CRoof(const CRoof&) = default;
    CRoof& operator=(const CRoof&) = default;
    CRoof(CRoof&&) = default;
    CRoof& operator=(CRoof&&) = default;

    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CRoof&, const CRoof&) = default;

    static constexpr std::size_t kMinArchiveBytes = CRectObstacle::kMinArchiveBytes + kMinStringBytes;

    CRectObstacle face;
    std::string memo;  // the roof's comment (face.name is the breakdown label)
};

// A rectangle as the roof and opening editors take it [m]: side A runs from (x1, y1, z1) to
// (x2, y2, z1), and (x3, y3, z3) is any point on the line of the opposite side C.
struct RectEntry {
    double x1 = 0.0;
    double y1 = 0.0;
    double z1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    double x3 = 0.0;
    double y3 = 0.0;
    double z3 = 0.0;

    friend bool operator==(const RectEntry&, const RectEntry&) = default;
};

// The entry the editors show for a stored rectangle: p1, the plan point of p2, and p3.
RectEntry RectEntryFromRect(const CMyRect& rect);

// The stored form of an entered rectangle: p1 = (x1, y1, z1), p2 = (x2, y2, z1), and p3 = corner 3,
// the foot of the perpendicular from side A to the entered point's line moved to p2. Side B then
// runs p2 → p3. Side A must have a length (the editors refuse it shorter than 1 m).
CMyRect CanonicalRoofRect(const RectEntry& entry);

}  // namespace kelmora
