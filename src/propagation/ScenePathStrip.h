#pragma once
// The path strip: the plan rectangle around the sound path S–R within which the site model is turned
// into scene faces, and the tests of walls and roofs against it [m].
#include <array>
#include <vector>

#include "geometry/Shapes.h"
#include "geometry/Vector.h"

namespace kelmora {

// Half-width of the strip and its reach beyond S and R [m].
inline constexpr double kPathStripHalfWidth = 7.5;

// The four plan corners of the strip around S–R, with z = 0: with u the unit plan direction S → R and n
// its left normal, S + 7.5n − 7.5u, R + 7.5n + 7.5u, R − 7.5n + 7.5u, S − 7.5n − 7.5u. S and R at the same
// plan position give four corners at that position.
std::array<CVector3D, 4> PathStrip(const CVector3D& s, const CVector3D& r);

// The strip of one source–point pair, prepared for the reach tests of the scene construction.
struct CPathStrip {
    CVector3D source;
    CVector3D receiver;
    std::array<CVector3D, 4> corners;
    std::vector<CVertex2D> polygon;  // the corners in plan

    // The strip's own frame: plan coordinates along u from S and along n; the strip covers
    // −7.5 ≤ along ≤ length + 7.5 and −7.5 ≤ across ≤ 7.5. Not set up (framed = false) when S and R
    // share their plan position or have coordinates that are not finite.
    bool framed = false;
    CVertex2D origin;
    CVertex2D u;
    CVertex2D n;
    double length = 0.0;  // plan distance S–R [m]
};

CPathStrip MakePathStrip(const CVector3D& s, const CVector3D& r);

// True when the plan segment a–b reaches into the strip (SegmentCrossesPolygon2D: the strip has area on
// both sides of the segment); a segment that only touches the strip's boundary does not.
bool SegmentCrossesStrip(const CVertex2D& a, const CVertex2D& b, const CPathStrip& strip);

// True when the plan footprint of a roof rectangle overlaps the strip with a positive area, or its side A
// or side B crosses the strip (which catches vertical and steep roofs whose footprint has no area).
bool RoofReachesStrip(const CMyRect& rect, const CPathStrip& strip);

}  // namespace kelmora
