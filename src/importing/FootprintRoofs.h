#pragma once
// The flat roof of a building footprint as rectangles, the only roof faces the calculation knows.
// A footprint whose corners are all right angles (within 1°) is split into rectangles exactly: their
// union is the footprint. Any other footprint is covered by strips along its longest edge, as many as
// it takes for their union to exceed the footprint's area by at most 1 %.
//
// Footprints are plan rings in metres: the outer ring first, then its holes (courtyards), each an open
// vertex list (the first vertex not repeated) in either orientation.
#include <array>
#include <vector>

#include "geometry/Vector.h"

namespace kelmora {

// A plan rectangle by its corners, counter-clockwise [m].
struct PlanRectangle {
    std::array<CVertex2D, 4> corners;

    double Area() const;
};

struct RoofCover {
    std::vector<PlanRectangle> rectangles;
    bool strips = false;         // the footprint is not rectilinear: strips along its longest edge
    double footprintArea = 0.0;  // m², holes taken off
    double coveredArea = 0.0;    // m², of the union of the rectangles
};

using FootprintRings = std::vector<std::vector<CVertex2D>>;

// The area [m²] of the outer ring less its holes.
double FootprintArea(const FootprintRings& rings);

// True when every corner of every ring is a right angle within `toleranceDegrees` and every edge runs
// within that tolerance along or across the footprint's longest edge. Corners within the tolerance of
// a straight line are no corners.
bool IsRectilinear(const FootprintRings& rings, double toleranceDegrees = 1.0);

// The roof rectangles of a footprint (nothing for one of no area).
RoofCover CoverFootprint(const FootprintRings& rings);

// Largest excess of the strips' union over the footprint's area, as a fraction of the area.
inline constexpr double kStripExcessLimit = 0.01;
// More strips than this are not made; a footprint that needs more keeps the cover reached.
inline constexpr int kMaxStrips = 2000;

}  // namespace kelmora
