#include "view/FitView.h"

#include <algorithm>
#include <cmath>

#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora {

CKelmoraViewData ViewFittedTo(const CVertex2D& lowerLeft, const CVertex2D& upperRight, int clientWidth,
                              int clientHeight) {
    CKelmoraViewData v;
    v.imageWidth = std::max(clientWidth, 1);
    v.imageHeight = std::max(clientHeight, 1);
    ApplyDefaultTransforms(v);
    const double width = upperRight.x - lowerLeft.x;
    const double height = upperRight.y - lowerLeft.y;
    const double freeWidth = std::max(v.imageWidth - 2.0 * kFitMarginPx, 1.0);
    const double freeHeight = std::max(v.imageHeight - 2.0 * kFitMarginPx, 1.0);
    double pxPerMetre = v.imageWidth / kDefaultPictureSpanMetres;
    if (width > 0.0 || height > 0.0)
        pxPerMetre = std::min(width > 0.0 ? freeWidth / width : freeHeight / height,
                              height > 0.0 ? freeHeight / height : freeWidth / width);
    if (!std::isfinite(pxPerMetre) || !(pxPerMetre > 0.0)) return v;
    CDisplay& c = v.calibration;
    c.magnification = 1.0;
    c.axisX = {1.0, 0.0};
    c.axisY = {0.0, -1.0};
    SetAxisLength(c, pxPerMetre, 1.0);
    const CVertex2D centre{0.5 * (lowerLeft.x + upperRight.x), 0.5 * (lowerLeft.y + upperRight.y)};
    c.origin = {0.5 * v.imageWidth - pxPerMetre * centre.x, 0.5 * v.imageHeight + pxPerMetre * centre.y};
    return v;
}

}  // namespace kelmora
