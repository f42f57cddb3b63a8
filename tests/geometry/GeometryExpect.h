#pragma once
// Comparisons of plan and space points for the geometry tests.
#include <gtest/gtest.h>

#include <ostream>

#include "geometry/Vector.h"

namespace kelmora {

inline std::ostream& operator<<(std::ostream& os, const CVector3D& v) {
    return os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
inline std::ostream& operator<<(std::ostream& os, const CVertex2D& v) {
    return os << "(" << v.x << ", " << v.y << ")";
}

inline ::testing::AssertionResult Near(const CVector3D& actual, const CVector3D& expected,
                                       double tol = 1e-9) {
    const CVector3D d = actual - expected;
    if (std::abs(d.x) <= tol && std::abs(d.y) <= tol && std::abs(d.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected;
}

inline ::testing::AssertionResult Near(const CVertex2D& actual, const CVertex2D& expected,
                                       double tol = 1e-9) {
    const CVertex2D d = actual - expected;
    if (std::abs(d.x) <= tol && std::abs(d.y) <= tol) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected;
}

}  // namespace kelmora
