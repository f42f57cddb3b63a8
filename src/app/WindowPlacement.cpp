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

namespace {

// The rectangle moved, and shrunk where it is larger, into `bounds`.
QRect ClampInto(const FrameRect& r, const QRect& bounds) {
    // The stored values are 32-bit; their differences are taken in 64 bits.
    const long long storedWidth = static_cast<long long>(r.right) - r.left;
    const long long storedHeight = static_cast<long long>(r.bottom) - r.top;
    const int width = static_cast<int>(std::min<long long>(storedWidth, bounds.width()));
    const int height = static_cast<int>(std::min<long long>(storedHeight, bounds.height()));
    const int left = std::clamp(r.left, bounds.left(), bounds.left() + bounds.width() - width);
    const int top = std::clamp(r.top, bounds.top(), bounds.top() + bounds.height() - height);
    return QRect(left, top, width, height);
}

}  // namespace

std::optional<QRect> RestoredMainWindowRect(const FrameRect& stored, const QRect& screen) {
    if (stored.IsEmpty()) return std::nullopt;
    return ClampInto(stored, screen);
}

QRect PlaceInArea(const QRect& wanted, const QSize& area) {
    const QSize bounds = area.expandedTo(QSize(1, 1));
    const QRect r(wanted.topLeft(), wanted.size().expandedTo(QSize(1, 1)));
    return ClampInto(ToFrameRect(r), QRect(QPoint(0, 0), bounds));
}

QRect NewWindowRect(const QSize& size, const QSize& area, const std::optional<QRect>& after) {
    QRect r(QPoint(0, 0), size.boundedTo(area.expandedTo(QSize(1, 1))));
    if (after) {
        r.moveTopLeft(after->topLeft() + QPoint(kCascadeStepPx, kCascadeStepPx));
        if (r.right() >= area.width() || r.bottom() >= area.height()) r.moveTopLeft(QPoint(0, 0));
    }
    return PlaceInArea(r, area);
}

}  // namespace kelmora
