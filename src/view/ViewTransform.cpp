#include "view/ViewTransform.h"

#include <cmath>

namespace kelmora {

namespace {

CVertex2D Unit(const CVertex2D& a) {
    const double len = std::hypot(a.x, a.y);
    if (len > 0.0) return {a.x / len, a.y / len};
    return {0.0, 0.0};
}

double ComponentAlong(const CVertex2D& d, const CVertex2D& axis) {
    const double len2 = Dot(axis, axis);
    return len2 > 0.0 ? Dot(d, axis) / len2 : 0.0;
}

// P.x·axisX + P.y·axisY + P.z·axisZ, before magnification.
CVertex2D AxisCombination(const CDisplay& d, const CVector3D& p) {
    return p.x * d.axisX + p.y * d.axisY + p.z * d.axisZ;
}

}  // namespace

double EffectiveMagnification(const CDisplay& d) {
    return d.magnification > 0.0 ? d.magnification : 1.0;
}

CVertex2D ToScreen(const CDisplay& d, const CVector3D& p) {
    return d.origin + EffectiveMagnification(d) * AxisCombination(d, p);
}

CVertex2D ToScreen2D(const CDisplay& d, const CVertex2D& p) {
    return d.origin + EffectiveMagnification(d) * (p.x * d.axisX + p.y * d.axisY);
}

CVector3D FromScreen(const CDisplay& d, const CVertex2D& s) {
    const CVertex2D diff = (1.0 / EffectiveMagnification(d)) * (s - d.origin);
    return {ComponentAlong(diff, d.axisX), ComponentAlong(diff, d.axisY), ComponentAlong(diff, d.axisZ)};
}

void SetAxisLength(CDisplay& d, double a, double b) {
    if (!(d.magnification > 0.0)) d.magnification = 1.0;
    if (!(b > 0.0) || !std::isfinite(a) || !std::isfinite(b) || !std::isfinite(d.magnification)) return;
    const double g = a / d.magnification / b;
    d.axisX = g * Unit(d.axisX);
    d.axisY = g * Unit(d.axisY);
    d.axisZ = g * Unit(d.axisZ);
}

void ZoomAbout(CDisplay& d, double factor, const CVertex2D& s) {
    if (!(factor > 0.0)) return;
    const CVector3D p = FromScreen(d, s);
    const double m = std::round(factor * EffectiveMagnification(d) * 1000.0) / 1000.0;
    if (!(m > 0.0) || !std::isfinite(m)) return;
    d.magnification = m;
    d.origin = s - m * AxisCombination(d, p);
}

CVertex2D ModelToClient(const CKelmoraViewData& v, const CVector3D& p) {
    return ToScreen2D(v.zoom, ToScreen(v.calibration, p));
}

CVector3D ClientToModel(const CKelmoraViewData& v, const CVertex2D& s) {
    return FromScreen(v.calibration, Plan(FromScreen(v.zoom, s)));
}

ClientPoint ModelToPixel(const CKelmoraViewData& v, const CVector3D& p) {
    return TruncateToPixel(ModelToClient(v, p));
}

std::vector<ClientPoint> PointsToClient(const CKelmoraViewData& v, std::span<const CVector3D> points) {
    std::vector<ClientPoint> out;
    out.reserve(points.size());
    for (const CVector3D& p : points)
        out.push_back(ModelToPixel(v, p));
    return out;
}

std::vector<ClientPoint> PointsToClient(const CKelmoraViewData& v, std::span<const CVertex2D> points) {
    std::vector<ClientPoint> out;
    out.reserve(points.size());
    for (const CVertex2D& p : points)
        out.push_back(ModelToPixel(v, {p.x, p.y, 0.0}));
    return out;
}

std::vector<ClientPoint> PolylineToClient(const CKelmoraViewData& v, const CPolyline& polyline) {
    return PointsToClient(v, std::span<const CVector3D>(polyline.vertices));
}

}  // namespace kelmora
