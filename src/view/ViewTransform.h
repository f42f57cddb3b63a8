#pragma once
// The two transforms of a plan window: model metres → picture pixels (the calibration) and picture
// pixels → window client pixels (the zoom and pan). Drawing and picking reach the screen only through
// ModelToClient / ClientToModel.
#include <span>
#include <vector>

#include "geometry/Shapes.h"
#include "geometry/Vector.h"
#include "model/ViewRecord.h"
#include "view/ClientPoint.h"

namespace kelmora {

// The magnification the transforms use: the stored one, or 1 when the stored one is not > 0 (only a
// damaged file holds such a value; it is kept in the record as read).
double EffectiveMagnification(const CDisplay& d);

// origin + m·(P.x·axisX + P.y·axisY + P.z·axisZ)
CVertex2D ToScreen(const CDisplay& d, const CVector3D& p);
// origin + m·(p.x·axisX + p.y·axisY)
CVertex2D ToScreen2D(const CDisplay& d, const CVertex2D& p);
// The inverse for perpendicular axes: each component is the projection of (s − origin)/m on its axis
// divided by the axis' squared length; a zero axis gives 0.
CVector3D FromScreen(const CDisplay& d, const CVertex2D& s);

// Makes every non-zero axis `a / m / b` long (so that b model units span a target units at the current
// magnification m); a zero axis stays zero. A magnification ≤ 0 is first set to 1. Nothing changes
// for a length b that is not > 0 or values that are not finite.
void SetAxisLength(CDisplay& d, double a, double b);

// Multiplies the magnification by `factor` about the target point s, which keeps showing the same model
// point. The new magnification is rounded half away from zero to 0.001, so repeated steps of 1.01 and
// 0.99 move in thousandths and zooming out stops at 0.05. Nothing happens for factor ≤ 0 or a result ≤ 0.
void ZoomAbout(CDisplay& d, double factor, const CVertex2D& s);

// Model point → client pixel position (calibration, then zoom; the zoom's Z axis is not used).
CVertex2D ModelToClient(const CKelmoraViewData& v, const CVector3D& p);
// Client position → model point; Z is 0 with the usual calibration (zero Z axis).
CVector3D ClientToModel(const CKelmoraViewData& v, const CVertex2D& s);

// The pixel of a model point: ModelToClient truncated toward zero.
ClientPoint ModelToPixel(const CKelmoraViewData& v, const CVector3D& p);
// The pixels of a sequence of model points; plan points are taken at Z = 0.
std::vector<ClientPoint> PointsToClient(const CKelmoraViewData& v, std::span<const CVector3D> points);
std::vector<ClientPoint> PointsToClient(const CKelmoraViewData& v, std::span<const CVertex2D> points);
std::vector<ClientPoint> PolylineToClient(const CKelmoraViewData& v, const CPolyline& polyline);

}  // namespace kelmora
