#pragma once
// Fitting a stretch of the site into a plan window. One fit serves both ways a window is fitted:
// - "全体表示" and the zoom-to-area drag fit through the window's display transform, and leave its record
//   (calibration and the record's zoom) as it was;
// - a window that has no record of its own yet (the window of a project made by an import) gets a
//   record whose calibration shows the stretch, so that the file keeps it and the grids laid over the
//   window cover it.
#include "geometry/Vector.h"
#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/ClientPoint.h"
#include "view/DisplayTransform.h"
#include "view/PlanExtent.h"

namespace kelmora {

// The free border kept around a fitted site [px].
inline constexpr int kFitMarginPx = 20;

// The transform that shows the client box as large as fits in a width × height window with `margin`
// pixels free around it, centred. A box without width or height keeps the scale of `current` and is
// only centred. The scale is not bounded (the display's bounds are the callers'); a box that gives no
// finite transform leaves `current`.
DisplayTransform FitBox(const ClientBox& box, int width, int height, int margin,
                        const DisplayTransform& current = {});

// "全体表示": the site fitted into the window; the picture for a site of one point or none.
DisplayTransform FitSite(const CNoise& model, const CKelmoraViewData& stored, int width, int height,
                         const DisplayTransform& current = {});
// A model extent (an imported site, a chosen area) fitted into the window.
DisplayTransform FitModelExtent(const CKelmoraViewData& stored, const ModelExtent& extent, int width,
                                int height, const DisplayTransform& current = {});
// The shown rectangle between two corners (a drag of the zoom-to-area tool) fitted into the window,
// without a margin.
DisplayTransform ZoomToShownRectangle(const DisplayTransform& current, ClientPoint a, ClientPoint b,
                                      int width, int height);

// The record of a window without a background picture, `clientWidth` × `clientHeight` pixels, that
// shows the plan rectangle from `lowerLeft` to `upperRight` [m] whole, centred, at the largest scale
// that leaves the margin free: the calibration carries the metres to pixels (north up), the zoom is
// the identity. The blank picture area is the client area. A rectangle without width and height is
// centred at the default scale (the window's width spanning 100 m).
CKelmoraViewData ViewFittedTo(const CVertex2D& lowerLeft, const CVertex2D& upperRight, int clientWidth,
                              int clientHeight);

}  // namespace kelmora
