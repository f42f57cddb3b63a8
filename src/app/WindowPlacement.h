#pragma once
// Window rectangles between the stored form (left, top, right, bottom with right and bottom
// exclusive) and Qt's QRect (whose right() and bottom() are inclusive), a restored rectangle kept on
// the screen, and the plan windows kept inside the main window's window area.
#include <QRect>
#include <optional>

#include "model/ViewRecord.h"

namespace kelmora {

FrameRect ToFrameRect(const QRect& r);
QRect ToQRect(const FrameRect& r);

// The stored main-window rectangle moved (and if need be shrunk) so that it lies inside `screen`, the
// available area of the screen; an empty rectangle places nothing (none).
std::optional<QRect> RestoredMainWindowRect(const FrameRect& stored, const QRect& screen);

// A plan window's rectangle moved, and shrunk where it is larger, so that it lies inside a window area of
// `area` pixels (the area's own coordinates).
QRect PlaceInArea(const QRect& wanted, const QSize& area);

inline constexpr int kCascadeStepPx = 24;
// Where a new plan window of `size` opens: one cascade step right of and below the window opened before
// it (`after`; at the area's corner for the first), back at the corner when it would not fit; always
// inside the area.
QRect NewWindowRect(const QSize& size, const QSize& area, const std::optional<QRect>& after);

}  // namespace kelmora
