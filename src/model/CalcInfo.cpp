#include "model/CalcInfo.h"

namespace kelmora {

std::span<const CPredictivePoint> CCalcInfo::PredictionPoints() const {
    if (mode == kSinglePointMode) return {&singlePoint, 1};
    if (mode == kPointListMode) return pointList;
    return gridPoints;
}

std::span<CPredictivePoint> CCalcInfo::PredictionPoints() {
    if (mode == kSinglePointMode) return {&singlePoint, 1};
    if (mode == kPointListMode) return pointList;
    return gridPoints;
}

void CCalcInfo::Serialize(CArchive& ar) {
    ar.Io(mode);
    singlePoint.Serialize(ar);
    SerializeList(ar, pointList, CPredictivePoint::kMinArchiveBytes);
    ar.Io(rowDivisions);
    ar.Io(columnDivisions);
    ar.Io(gridHeight);
    SerializeList(ar, gridPoints, CPredictivePoint::kMinArchiveBytes);
    ar.Io(memo);
    ar.Io(gridTopHeight);
    kelmora::Serialize(ar, lineStart);
    kelmora::Serialize(ar, lineEnd);
}

}  // namespace kelmora
