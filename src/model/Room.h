#pragma once
// Rooms and their openings.
//
// A room (CRoom) of a building has a plan outline, floor and ceiling heights, a surface area and mean
// absorption (entered, or computed from its shape and openings), default spectra of its surfaces,
// its indoor sources and its openings. An opening (CWindow) is a rectangle on a wall, the ceiling or
// the floor — a window, a door or a whole wall surface — that may radiate outdoors and may contain
// further openings to any depth.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/Shapes.h"
#include "model/Band.h"
#include "model/Roof.h"
#include "model/Sound.h"
#include "model/persistence/Archive.h"

namespace kelmora {

// Values of CWindow::belongsTo: the surface an opening lies in.
inline constexpr std::int32_t kOnWall = 0;     // 壁に属する
inline constexpr std::int32_t kOnCeiling = 1;  // 天井に属する
inline constexpr std::int32_t kOnFloor = 2;    // 床に属する

// Deepest nesting of openings that a file may hold (an opening directly in a room is level 1). Reading
// a deeper chain fails as a damaged file instead of exhausting the stack.
inline constexpr int kMaxOpeningNesting = 256;

class CWindow {
public:
    CWindow() = default;
    virtual ~CWindow() = default;
    CWindow(const CWindow&) = default;
    CWindow& operator=(const CWindow&) = default;
    CWindow(CWindow&&) = default;
    CWindow& operator=(CWindow&&) = default;

    // Reading fails with ArchiveError for openings nested deeper than kMaxOpeningNesting.
    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CWindow&, const CWindow&) = default;

    static constexpr std::size_t kMinArchiveBytes =
        3 * kVector3DBytes + 4 + 8 + 2 * kMinBandBytes + 4 + 4 + 8 + 4 + kMinStringBytes;

    CMyRect rect;                   // same three-point form as a roof, p3 stored as corner 3
    std::int32_t areaFromRect = 1;  // 1 = the area is the rectangle's, 0 = `area` is used
    double area = 10.0;             // m², entered area
    CBand absorption;               // absorption coefficient 0..1
    CBand tl;                       // dB transmission loss, 0 = transmission not considered
    std::int32_t belongsTo = kOnWall;
    std::int32_t isOutdoorSource = 1;  // 1 = radiates to the outside as a source of the calculation
    double q = 2.0;                    // directivity factor Q of its distance attenuation
    std::vector<CWindow> containedOpenings;
    std::string memo;
};

class CRoom {
public:
    CRoom() = default;
    virtual ~CRoom() = default;
    CRoom(const CRoom&) = default;
    CRoom& operator=(const CRoom&) = default;
    CRoom(CRoom&&) = default;
    CRoom& operator=(CRoom&&) = default;

    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CRoom&, const CRoom&) = default;

    static constexpr std::size_t kMinArchiveBytes =
        8 + kMinBandBytes + 4 + 8 + 8 + 4 + 4 * kMinBandBytes + 4 + 4 + kMinStringBytes;

    double surfaceArea = 37.5;  // m², used when computeFromShape is 0
    CBand meanAbsorption;       // 0..1, used when computeFromShape is 0
    std::int32_t computeFromShape = 0;
    double ceilingZ = 2.5;  // m
    double floorZ = 0.0;    // m
    CPolyline outline;      // plan outline as a closed polygon (z = 0), or empty
    CBand defaultAbsorptionCeiling;
    CBand defaultAbsorptionFloor;
    CBand defaultAbsorptionWall;
    CBand defaultTl;  // dB, transmission loss of walls, ceiling and floor
    std::vector<CWindow> openings;
    std::vector<CSound> sources;  // indoor sources
    std::string memo;
};

// The area [m²] through which an opening radiates: the rectangle's area, or the entered area when
// areaFromRect is 0.
double EffectiveArea(const CWindow& opening);

// Area [m²] of the room's walls: storey height × plan perimeter of the closed outline; 0 for fewer
// than 3 outline vertices.
double WallArea(const CRoom& room);

// Total inner surface area [m²] from the room's shape: floor and ceiling (twice the plan area of the
// outline) plus the walls.
double ComputedSurfaceArea(const CRoom& room);

struct OpeningHeights {
    double z1 = 0.0;  // m, height of side A
    double z3 = 0.0;  // m, height of the opposite side
};

// The heights of an opening taken from the surface it belongs to: the ceiling, the floor, the full
// storey of the room's wall, or — for a wall opening inside another opening — the containing
// opening's own heights. `containing` is null for an opening directly in the room.
OpeningHeights OpeningHeightsFromSurface(std::int32_t belongsTo, const CRoom& room,
                                         const CWindow* containing);

// Appends one full-height wall opening per edge of the room's outline (the closing edge only when
// the outline encloses an area). An opening faces the outside unless the point in front of it lies
// under one of the building's roofs. Returns the number appended, 0 when the outline has fewer
// than 2 vertices, −1 (nothing appended) when an edge or the storey is shorter than 1 m.
int GenerateWallOpenings(CRoom& room, const std::vector<CRoof>& roofs);

inline constexpr const char* kGeneratedOpeningMemo = "自動生成, 項目確認要";

}  // namespace kelmora
