#include "view/FitView.h"

#include <algorithm>
#include <cmath>

#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {

namespace {

// A fit shown through the display transform: its scale brought within the display's bounds about the
// window's centre, where the fitted box's centre stays.
DisplayTransform WithinDisplayBounds(DisplayTransform d, int width, int height) {
    ZoomDisplayAbout(d, 1.0, {0.5 * width, 0.5 * height});
    return d;
}

}  // namespace

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
    const CVertex2D centre{0.5 * (box.left + box.right), 0.5 * (box.top + box.bottom)};
    const CVertex2D windowCentre{0.5 * width, 0.5 * height};
    d.offset = windowCentre - d.scale * centre;
    if (!std::isfinite(d.scale) || !(d.scale > 0.0) || !std::isfinite(d.offset.x) ||
        !std::isfinite(d.offset.y))
        return current;
    return d;
}

DisplayTransform FitSite(const CNoise& model, const CKelmoraViewData& stored, int width, int height,
                         const DisplayTransform& current) {
    // A new project holds nothing but its single prediction point at the origin: the picture then.
    const std::optional<ModelExtent> site = ExtentOfSite(model);
    if (site && (site->maxX > site->minX || site->maxY > site->minY))
        return FitModelExtent(stored, *site, width, height, current);
    return WithinDisplayBounds(FitBox(StoredPictureBox(stored), width, height, kFitMarginPx, current), width,
                               height);
}

DisplayTransform FitModelExtent(const CKelmoraViewData& stored, const ModelExtent& extent, int width,
                                int height, const DisplayTransform& current) {
    return WithinDisplayBounds(FitBox(StoredBoxOf(stored, extent), width, height, kFitMarginPx, current),
                               width, height);
}

DisplayTransform ZoomToShownRectangle(const DisplayTransform& current, ClientPoint a, ClientPoint b,
                                      int width, int height) {
    const CVertex2D p = StoredFromShown(current, ToVertex(a));
    const CVertex2D q = StoredFromShown(current, ToVertex(b));
    const ClientBox box{std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)};
    return WithinDisplayBounds(FitBox(box, width, height, 0, current), width, height);
}

CKelmoraViewData ViewFittedTo(const CVertex2D& lowerLeft, const CVertex2D& upperRight, int clientWidth,
                              int clientHeight) {
    CKelmoraViewData v;
    v.imageWidth = std::max(clientWidth, 1);
    v.imageHeight = std::max(clientHeight, 1);
    ApplyDefaultTransforms(v);
    // The fit of the stretch as the default record shows it, taken into the calibration: the record
    // then shows the stretch as the window would after "全体表示", with nothing on top.
    const ModelExtent extent{std::min(lowerLeft.x, upperRight.x), std::min(lowerLeft.y, upperRight.y),
                             std::max(lowerLeft.x, upperRight.x), std::max(lowerLeft.y, upperRight.y)};
    const DisplayTransform fit = FitBox(StoredBoxOf(v, extent), static_cast<int>(v.imageWidth),
                                        static_cast<int>(v.imageHeight), kFitMarginPx, DisplayTransform{});
    CDisplay& c = v.calibration;
    c.origin = ShownFromStored(fit, c.origin);
    c.axisX = fit.scale * c.axisX;
    c.axisY = fit.scale * c.axisY;
    return v;
}

}  // namespace kelmora
