#pragma once
// Integer pixel positions in a plan window's client area (x right, y down).
#include <cmath>
#include <limits>

#include "geometry/Vector.h"

namespace kelmora {

struct ClientPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const ClientPoint&, const ClientPoint&) = default;
};

inline CVertex2D ToVertex(const ClientPoint& p) {
    return {static_cast<double>(p.x), static_cast<double>(p.y)};
}

// One pixel coordinate from a computed one: truncated toward zero. Values beyond the int range are
// clamped to it (a point that far is off every screen) and NaN gives 0, so no conversion is undefined.
inline int TruncateToPixel(double v) {
    if (std::isnan(v)) return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    if (v <= lo) return std::numeric_limits<int>::min();
    if (v >= hi) return std::numeric_limits<int>::max();
    return static_cast<int>(v);
}

inline ClientPoint TruncateToPixel(const CVertex2D& p) {
    return {TruncateToPixel(p.x), TruncateToPixel(p.y)};
}

// Squared distance between two pixels, in px² (exact for any pair of int points).
inline long long SquaredPixelDistance(const ClientPoint& a, const ClientPoint& b) {
    const long long dx = static_cast<long long>(b.x) - a.x;
    const long long dy = static_cast<long long>(b.y) - a.y;
    return dx * dx + dy * dy;
}

}  // namespace kelmora
