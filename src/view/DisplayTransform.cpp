#include "view/DisplayTransform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "view/ViewTransform.h"

namespace kelmora {

namespace {

double ClampScale(double scale) {
    if (!std::isfinite(scale)) return 1.0;
    return std::clamp(scale, kMinDisplayScale, kMaxDisplayScale);
}

}  // namespace

CVertex2D ShownFromStored(const DisplayTransform& d, const CVertex2D& stored) {
    return d.offset + d.scale * stored;
}

CVertex2D StoredFromShown(const DisplayTransform& d, const CVertex2D& shown) {
    return (1.0 / d.scale) * (shown - d.offset);
}

ClientPoint StoredPixelFromShown(const DisplayTransform& d, ClientPoint shown) {
    const CVertex2D s = StoredFromShown(d, ToVertex(shown));
    return TruncateToPixel(CVertex2D{std::round(s.x), std::round(s.y)});
}

CKelmoraViewData ShownViewData(const CKelmoraViewData& stored, const DisplayTransform& d) {
    CKelmoraViewData shown = stored;
    shown.zoom.origin = ShownFromStored(d, stored.zoom.origin);
    shown.zoom.magnification = EffectiveMagnification(stored.zoom) * d.scale;
    return shown;
}

void ZoomDisplayAbout(DisplayTransform& d, double factor, const CVertex2D& at) {
    if (!(factor > 0.0) || !std::isfinite(factor)) return;
    const CVertex2D under = StoredFromShown(d, at);
    d.scale = ClampScale(d.scale * factor);
    d.offset = at - d.scale * under;
}

ClientBox StoredBoxOf(const CKelmoraViewData& stored, const ModelExtent& extent) {
    const CVertex2D corners[] = {ModelToClient(stored, {extent.minX, extent.minY, 0.0}),
                                 ModelToClient(stored, {extent.maxX, extent.minY, 0.0}),
                                 ModelToClient(stored, {extent.maxX, extent.maxY, 0.0}),
                                 ModelToClient(stored, {extent.minX, extent.maxY, 0.0})};
    ClientBox box{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
    for (const CVertex2D& c : corners) {
        box.left = std::min(box.left, c.x);
        box.top = std::min(box.top, c.y);
        box.right = std::max(box.right, c.x);
        box.bottom = std::max(box.bottom, c.y);
    }
    return box;
}

ClientBox StoredPictureBox(const CKelmoraViewData& stored) {
    const double m = EffectiveMagnification(stored.zoom);
    const CVertex2D o = stored.zoom.origin;
    return {o.x, o.y, o.x + m * stored.imageWidth, o.y + m * stored.imageHeight};
}

std::string DisplayScaleText(const CKelmoraViewData& stored, const DisplayTransform& d) {
    const CKelmoraViewData shown = ShownViewData(stored, d);
    const double percent = 100.0 * EffectiveMagnification(shown.zoom);
    const CVector3D a = ClientToModel(shown, {0.0, 0.0});
    const CVector3D b = ClientToModel(shown, {100.0, 0.0});
    const double metresPerPixel = std::hypot(b.x - a.x, b.y - a.y) / 100.0;
    char text[96];
    std::snprintf(text, sizeof text,
                  percent >= 10.0 ? "表示倍率 %.0f%%  1px = %.3gm" : "表示倍率 %.2g%%  1px = %.3gm", percent,
                  metresPerPixel);
    return text;
}

}  // namespace kelmora
