#include "view/SizeDialog.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "model/Validation.h"
#include "view/ViewTransform.h"

namespace kelmora {

namespace {

bool Within(double v, double lo, double hi) {
    return v >= lo && v <= hi;
}  // false for NaN

double Distance(const CVector3D& a, const CVector3D& b) {
    const CVector3D d = b - a;
    return std::sqrt(Dot(d, d));
}

}  // namespace

SizeDialogValues SizeDialogInitialValues(const CKelmoraViewData& v) {
    const double m = EffectiveMagnification(v.zoom);
    SizeDialogValues values;
    values.onScreenLength = m * v.imageWidth;
    const CVertex2D left = v.zoom.origin;
    const CVertex2D right = left + CVertex2D{m * v.imageWidth, 0.0};
    values.logicalLength = Distance(ClientToModel(v, left), ClientToModel(v, right));
    const CVertex2D originOnScreen = ModelToClient(v, {0.0, 0.0, 0.0});
    values.positionX = originOnScreen.x;
    values.positionY = originOnScreen.y;
    values.logicalX = 0.0;
    values.logicalY = 0.0;
    return values;
}

void SetPositionToPictureLowerLeft(const CKelmoraViewData& v, SizeDialogValues& values) {
    values.positionX = v.zoom.origin.x;
    values.positionY = v.zoom.origin.y + EffectiveMagnification(v.zoom) * v.imageHeight;
}

std::optional<SizeDialogProblem> ValidateSizeDialog(const SizeDialogValues& values) {
    struct Range {
        int id;
        double value;
        double lo;
        double hi;
    };
    constexpr double kIntMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kIntMax = std::numeric_limits<std::int32_t>::max();
    const Range ranges[] = {
        {kSizeOnScreenLengthId, values.onScreenLength, 10.0, 3840.0},
        {kSizeLogicalLengthId, values.logicalLength, 0.1, 100000.0},
        {kSizePositionXId, values.positionX, kIntMin, kIntMax},
        {kSizePositionYId, values.positionY, kIntMin, kIntMax},
    };
    for (const Range& r : ranges) {
        if (!Within(r.value, r.lo, r.hi)) return SizeDialogProblem{r.id, NumberRangeMessage(r.lo, r.hi)};
    }
    // Any number is accepted as a logical coordinate, but not an infinity or NaN, which would carry
    // into the calibration and from there into every coordinate of the plan and the file.
    if (!std::isfinite(values.logicalX)) return SizeDialogProblem{kSizeLogicalXId, kNotANumberMessage};
    if (!std::isfinite(values.logicalY)) return SizeDialogProblem{kSizeLogicalYId, kNotANumberMessage};
    return std::nullopt;
}

void ApplySizeDialog(CKelmoraViewData& v, const SizeDialogValues& values) {
    const CVector3D underPosition = FromScreen(v.zoom, {values.positionX, values.positionY});
    SetAxisLength(v.calibration, values.onScreenLength / EffectiveMagnification(v.zoom),
                  values.logicalLength);
    const CVertex2D logicalPoint = ToScreen2D(v.calibration, {values.logicalX, values.logicalY});
    v.calibration.origin = v.calibration.origin + (Plan(underPosition) - logicalPoint);
}

int DragLengthPx(ClientPoint start, ClientPoint end) {
    return TruncateToPixel(std::sqrt(static_cast<double>(SquaredPixelDistance(start, end))));
}

int DragLengthPx(ClientPoint start, ClientPoint end, const DisplayTransform& display) {
    const CVertex2D a = StoredFromShown(display, ToVertex(start));
    const CVertex2D b = StoredFromShown(display, ToVertex(end));
    return TruncateToPixel(std::hypot(b.x - a.x, b.y - a.y));
}

}  // namespace kelmora
