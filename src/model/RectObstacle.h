#pragma once
// CRectObstacle: a planar rectangular face with its acoustic properties — the face type of the whole
// calculation. Roofs hold one; the obstacle scene makes the others from walls, buildings and ground.
//
// Sides: A = corner 1→2, B = 2→3, C = 3→4, D = 4→1. The left side of the face is the side into which
// the normal points when it is turned by the right-hand screw from side A to side B.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "geometry/Shapes.h"
#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/persistence/Archive.h"

namespace kelmora {

// Values of CRectObstacle::wedgeType.
inline constexpr std::int32_t kGroundFace = -1;             // ground faces made by the obstacle scene
inline constexpr std::int32_t kKnifeEdgeWedge = 0;          // ナイフウェッジ
inline constexpr std::int32_t kRightAngleWedge = 1;         // 直角ウェッジ
inline constexpr std::int32_t kShoulderOrBuildingWall = 2;  // slope shoulders and building walls

// Reflection type of a face side.
inline constexpr std::int32_t kSpecularReflection = 0;  // 鏡面反射
inline constexpr std::int32_t kDiffuseReflection = 1;   // 散乱反射

class CRectObstacle {
public:
    CRectObstacle() = default;
    virtual ~CRectObstacle() = default;
    CRectObstacle(const CRectObstacle&) = default;
    CRectObstacle& operator=(const CRectObstacle&) = default;
    CRectObstacle(CRectObstacle&&) = default;
    CRectObstacle& operator=(CRectObstacle&&) = default;

    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CRectObstacle&, const CRectObstacle&) = default;

    static constexpr std::size_t kMinArchiveBytes =
        3 * kVector3DBytes + 4 * 4 + 3 * 4 + 3 * kMinBandBytes + 2 * 4 + kVector3DBytes + kMinStringBytes;

    CMyRect rect;
    std::array<std::int32_t, 4> diffracts{};  // 1 = side A, B, C, D diffracts
    std::int32_t wedgeType = kKnifeEdgeWedge;
    std::int32_t reflects = 1;   // 0 = never used as a reflector
    std::int32_t obstructs = 1;  // 0 = ignored when testing whether a path is blocked
    CBand tl;                    // dB transmission loss, 0 = transmission not considered
    CBand absorptionLeft;        // absorption coefficient 0..1 of the left side
    CBand absorptionRight;
    std::int32_t diffuseLeft = kSpecularReflection;
    std::int32_t diffuseRight = kSpecularReflection;
    CVector3D edgeOffset;  // m, added to the diffraction points found on this face's edges
    std::string name;      // label of the face in the calculation breakdown
};

}  // namespace kelmora
