#pragma once
// The view of a new plan window fitted to a stretch of the site: what a project made by an import
// opens with, so that the whole imported site is in sight at once.
#include "geometry/Vector.h"
#include "model/ViewRecord.h"

namespace kelmora {

// Margin left free around the fitted site [px].
inline constexpr int kFitMarginPx = 20;

// The view data of a window without a background picture, `clientWidth` × `clientHeight` pixels, that
// shows the plan rectangle from `lowerLeft` to `upperRight` [m] whole, centred, at the largest scale
// that leaves the margin free: the calibration carries the metres to pixels (Y up), the zoom is the
// identity. The blank picture area is the client area. A rectangle without width and height is shown at
// the default scale (the window's width spanning 100 m).
CKelmoraViewData ViewFittedTo(const CVertex2D& lowerLeft, const CVertex2D& upperRight, int clientWidth,
                              int clientHeight);

}  // namespace kelmora
