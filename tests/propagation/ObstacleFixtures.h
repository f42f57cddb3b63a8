#pragma once
// Small obstacle faces whose geometry can be followed by hand, for the propagation tests.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <ostream>

#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/RectObstacle.h"

namespace kelmora {

inline std::ostream& operator<<(std::ostream& os, const CVector3D& v) {
    return os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}

inline ::testing::AssertionResult Near(const CVector3D& actual, const CVector3D& expected,
                                       double tol = 1e-9) {
    const CVector3D d = actual - expected;
    if (std::abs(d.x) <= tol && std::abs(d.y) <= tol && std::abs(d.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected;
}

// Sides A..D that diffract.
using SideMask = std::array<std::int32_t, 4>;
// Indexes of the 1/3-octave bands the tests read: 100 Hz and 1 kHz.
inline constexpr int k100Hz = 3;
inline constexpr int k1kHz = 13;

inline constexpr SideMask kTopOnly{1, 0, 0, 0};
inline constexpr SideMask kAllSides{1, 1, 1, 1};
inline constexpr SideMask kNoSide{0, 0, 0, 0};

// A vertical barrier standing across the x axis in the plane x = `at`, from y = −halfWidth to +halfWidth
// and from z = bottom to z = top. Side A is its top (running towards −y), B its end at y = −halfWidth,
// C its foot, D its end at y = +halfWidth. Its left side (positive normal) faces +x.
inline CRectObstacle Barrier(double at, double top, SideMask diffracts = kTopOnly, double halfWidth = 50.0,
                             double bottom = 0.0) {
    CRectObstacle face;
    face.rect = {{at, halfWidth, top}, {at, -halfWidth, top}, {at, -halfWidth, bottom}};
    face.diffracts = diffracts;
    face.wedgeType = kKnifeEdgeWedge;
    face.tl = CBand::Filled(0.0);
    face.absorptionLeft = CBand::Filled(0.0);
    face.absorptionRight = CBand::Filled(0.0);
    return face;
}

// A horizontal plate at height z over x0..x1, y0..y1. Side A runs along y = y0 towards +x, B along x = x1,
// C along y = y1, D along x = x0; its left side faces up.
inline CRectObstacle Plate(double z, double x0, double x1, double y0, double y1,
                           SideMask diffracts = kNoSide) {
    CRectObstacle face = Barrier(0.0, 0.0, diffracts);
    face.rect = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}};
    return face;
}

}  // namespace kelmora
