#pragma once
// Ground lines and the walls along them.
//
// A ground line (CGroundLine) is a 3-D polyline on the plan (z = ground height) standing for a strip
// of ground surface, with the ground absorption on either side and the walls that run along it.
// A wall (CWall) is a noise barrier or an embankment slope shoulder along part of its line: its
// extent is a range of arc length from the line's first vertex, its position a horizontal offset
// (left of the line's direction positive) and a vertical gap above the ground.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/Shapes.h"
#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/RectObstacle.h"
#include "model/persistence/Archive.h"

namespace kelmora {

// Values of CWall::type.
inline constexpr std::int32_t kKnifeEdgeBarrier = 0;   // ナイフウェッジ遮音壁
inline constexpr std::int32_t kRightAngleBarrier = 1;  // 直角ウェッジ遮音壁
inline constexpr std::int32_t kSlopeShoulder = 2;      // 法肩

// Values of CWall::slopeSide: the side on which a slope shoulder's face descends.
inline constexpr std::int32_t kSlopeLeft = 0;
inline constexpr std::int32_t kSlopeRight = 1;

class CWall {
public:
    CWall() = default;
    virtual ~CWall() = default;
    CWall(const CWall&) = default;
    CWall& operator=(const CWall&) = default;
    CWall(CWall&&) = default;
    CWall& operator=(CWall&&) = default;

    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CWall&, const CWall&) = default;

    static constexpr std::size_t kMinArchiveBytes =
        4 + 5 * 8 + 4 * 4 + 3 * kMinBandBytes + 3 * 4 + 2 * 8 + kMinStringBytes;

    std::int32_t type = kKnifeEdgeBarrier;
    double rangeStart = 0.0;        // m of arc length along the ground line from its first vertex
    double rangeEnd = 5.0;          // m, same measure
    double offsetHorizontal = 0.0;  // m from the ground line, left of its direction positive
    double offsetVertical = 0.0;    // m, gap between the ground and the wall's lower end
    double height = 2.5;            // m; for a slope shoulder the shoulder's height above its base
    std::int32_t diffractTop = 1;
    std::int32_t diffractBottom = 0;
    std::int32_t diffractStart = 0;  // lateral edge at rangeStart
    std::int32_t diffractEnd = 0;    // lateral edge at rangeEnd
    CBand tl;                        // dB transmission loss, 0 = transmission not considered
    CBand absorptionLeft;            // absorption coefficient 0..1 of the left face
    CBand absorptionRight;
    std::int32_t diffuseLeft = kSpecularReflection;
    std::int32_t diffuseRight = kSpecularReflection;
    std::int32_t slopeSide = kSlopeLeft;
    double slopeHorizontal = 3.0;  // m, horizontal distance from the shoulder to the slope foot
    double slopeVertical = 3.0;    // m, drop from the shoulder to the slope foot
    std::string memo;
};

class CGroundLine {
public:
    CGroundLine() = default;
    virtual ~CGroundLine() = default;
    CGroundLine(const CGroundLine&) = default;
    CGroundLine& operator=(const CGroundLine&) = default;
    CGroundLine(CGroundLine&&) = default;
    CGroundLine& operator=(CGroundLine&&) = default;

    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CGroundLine&, const CGroundLine&) = default;

    static constexpr std::size_t kMinArchiveBytes = 4 + 2 * kMinBandBytes + 4 + kMinStringBytes;

    CPolyline polyline;    // m, vertices X, Y and ground height Z
    CBand absorptionLeft;  // absorption coefficient 0..1 of the ground left of the line
    CBand absorptionRight;
    std::vector<CWall> walls;  // in the user's list order
    std::string memo;
};

// A new ground line whose polyline is the source's moved h [m] to the left of its direction
// (negative: right) and raised by v [m]; spectra, walls and memo are those of a new line.
CGroundLine ShiftedCopy(const CGroundLine& source, double h, double v);

// Appends a wall to the line and places it: a copy of the selected wall mirrored to the other side
// of the line when that wall stands off the line, otherwise a new wall over the whole line (its end
// rounded down to the millimetre). selectedIndex is the list selection or −1. Returns the index
// of the new wall.
int PlaceNewWall(CGroundLine& line, int selectedIndex);

// The face of one piece of a wall. s and e are the ends of the piece on the wall's base line, which
// already carries the wall's horizontal offset and vertical gap; the face rises from there by the
// wall's height (a slope shoulder's face runs from the shoulder down to the slope foot).
// Sides: A = top edge s → e, B = end edge, C = bottom or slope-foot edge, D = start edge.
CMyRect BuildFaceRect(const CWall& wall, const CVector3D& s, const CVector3D& e);

// Copies the wall's edge diffraction, wedge type, transmission loss, absorption and reflection types
// into the face of one piece. Only the first piece may diffract at the start edge and only the last
// at the end edge; a wall standing on the ground never diffracts at its foot.
void ApplyFaceAttributes(const CWall& wall, bool isFirstPiece, bool isLastPiece, CRectObstacle& face);

}  // namespace kelmora
