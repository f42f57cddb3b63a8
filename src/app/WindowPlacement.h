#pragma once
// Window rectangles between the stored form (left, top, right, bottom with right and bottom
// exclusive) and Qt's QRect (whose right() and bottom() are inclusive), and a restored rectangle kept
// on the screen.
#include <QRect>
#include <optional>

#include "model/ViewRecord.h"

namespace kelmora {

FrameRect ToFrameRect(const QRect& r);
QRect ToQRect(const FrameRect& r);

// The stored main-window rectangle moved (and if need be shrunk) so that it lies inside `screen`, the
// available area of the screen; an empty rectangle places nothing (none).
std::optional<QRect> RestoredMainWindowRect(const FrameRect& stored, const QRect& screen);

}  // namespace kelmora
