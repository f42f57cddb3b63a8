#include "app/WindowPlacement.h"

#include <algorithm>
#include <optional>

namespace kelmora {

FrameRect ToFrameRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const FrameRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

std::optional<QRect> RestoredMainWindowRect(const FrameRect& stored, const QRect& screen) {
    if (stored.IsEmpty()) return std::nullopt;
    // The stored values are 32-bit; their differences are taken in 64 bits.
    const long long storedWidth = static_cast<long long>(stored.right) - stored.left;
    const long long storedHeight = static_cast<long long>(stored.bottom) - stored.top;
    const int width = static_cast<int>(std::min<long long>(storedWidth, screen.width()));
    const int height = static_cast<int>(std::min<long long>(storedHeight, screen.height()));
    const int left = std::clamp(stored.left, screen.left(), screen.left() + screen.width() - width);
    const int top = std::clamp(stored.top, screen.top(), screen.top() + screen.height() - height);
    return QRect(left, top, width, height);
}

}  // namespace kelmora
