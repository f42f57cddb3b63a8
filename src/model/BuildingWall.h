#pragma once
// CBuildingWall: one exterior wall of a building — a plan polyline, open or closed, swept
// vertically between bottomZ and topZ.
#include <cstddef>
#include <cstdint>
#include <string>

#include "geometry/Shapes.h"
#include "model/Band.h"
#include "model/RectObstacle.h"
#include "model/persistence/Archive.h"

namespace kelmora {

class CBuildingWall {
public:
    CBuildingWall() = default;
    virtual ~CBuildingWall() = default;
    CBuildingWall(const CBuildingWall&) = default;
    CBuildingWall& operator=(const CBuildingWall&) = default;
    CBuildingWall(CBuildingWall&&) = default;
    CBuildingWall& operator=(CBuildingWall&&) = default;

    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CBuildingWall&, const CBuildingWall&) = default;

    static constexpr std::size_t kMinArchiveBytes =
        4 + 3 * 4 + kMinBandBytes + 4 + 8 + 4 + 8 + 4 + kMinStringBytes;

    CPolyline polyline;                          // plan shape, vertices X, Y (z unused)
    std::int32_t closed = 0;                     // 1 = closed polygon
    std::int32_t diffractStart = 1;              // lateral edge at the first vertex
    std::int32_t diffractEnd = 1;                // lateral edge at the last vertex
    CBand absorption;                            // absorption coefficient 0..1 of the outer face
    std::int32_t diffuse = kSpecularReflection;  // reflection type of the outer face
    double bottomZ = 0.0;                        // m, lower edge
    std::int32_t diffractBottom = 0;
    double topZ = 5.0;  // m, upper edge
    std::int32_t diffractTop = 1;
    std::string memo;
};

}  // namespace kelmora
