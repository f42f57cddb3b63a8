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

// The largest pixel coordinate a computed position is given: far off every screen, yet small enough
// that a difference of two pixels or a pixel widened by a line's half width stays within int.
inline constexpr int kPixelLimit = 1 << 29;

// One pixel coordinate from a computed one: truncated toward zero. Values beyond ±kPixelLimit are
// clamped to it (a point that far is off every screen) and NaN gives 0, so no conversion or later
// pixel arithmetic is undefined.
inline int TruncateToPixel(double v) {
    if (std::isnan(v)) return 0;
    if (v <= -kPixelLimit) return -kPixelLimit;
    if (v >= kPixelLimit) return kPixelLimit;
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
