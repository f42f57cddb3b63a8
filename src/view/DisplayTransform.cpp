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

DisplayTransform FitBox(const ClientBox& box, int width, int height, int margin,
                        const DisplayTransform& current) {
    const double room = std::max(1, width - 2 * margin);
    const double roomHeight = std::max(1, height - 2 * margin);
    const bool wide = box.width() > 1e-9;
    const bool tall = box.height() > 1e-9;
    DisplayTransform d;
    if (wide && tall)
        d.scale = std::min(room / box.width(), roomHeight / box.height());
    else if (wide)
        d.scale = room / box.width();
    else if (tall)
        d.scale = roomHeight / box.height();
    else
        d.scale = current.scale;
    d.scale = ClampScale(d.scale);
    const CVertex2D centre{0.5 * (box.left + box.right), 0.5 * (box.top + box.bottom)};
    const CVertex2D windowCentre{0.5 * width, 0.5 * height};
    d.offset = windowCentre - d.scale * centre;
    if (!std::isfinite(d.offset.x) || !std::isfinite(d.offset.y)) return current;
    return d;
}

DisplayTransform FitSite(const CNoise& model, const CKelmoraViewData& stored, int width, int height,
                         const DisplayTransform& current) {
    // A new project holds nothing but its single prediction point at the origin: the picture then.
    const std::optional<ModelExtent> site = ExtentOfSite(model);
    if (site && (site->maxX > site->minX || site->maxY > site->minY))
        return FitModelExtent(stored, *site, width, height, current);
    return FitBox(StoredPictureBox(stored), width, height, kFitMarginPx, current);
}

DisplayTransform FitModelExtent(const CKelmoraViewData& stored, const ModelExtent& extent, int width,
                                int height, const DisplayTransform& current) {
    return FitBox(StoredBoxOf(stored, extent), width, height, kFitMarginPx, current);
}

DisplayTransform ZoomToShownRectangle(const DisplayTransform& current, ClientPoint a, ClientPoint b,
                                      int width, int height) {
    const CVertex2D p = StoredFromShown(current, ToVertex(a));
    const CVertex2D q = StoredFromShown(current, ToVertex(b));
    const ClientBox box{std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
    return FitBox(box, width, height, 0, current);
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
