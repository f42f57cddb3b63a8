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

void CCalcInfo::generateHorizontalGrid(double imageWidth, double imageHeight,
                                       const ClientToModelMap& clientToModel,
                                       const GroundHeightQuery& groundHeightAt) {
    std::vector<CPredictivePoint> grid;
    if (columnDivisions >= 1 && rowDivisions >= 1) {
        grid.reserve(static_cast<std::size_t>(columnDivisions + 1) *
                     static_cast<std::size_t>(rowDivisions + 1));
        const double dx = imageWidth / columnDivisions;
        const double dy = imageHeight / rowDivisions;
        for (std::int32_t i = 0; i <= columnDivisions; ++i) {
            for (std::int32_t j = 0; j <= rowDivisions; ++j) {
                const CVector3D plan = clientToModel({i * dx, imageHeight - j * dy});
                const double ground = groundHeightAt ? groundHeightAt({plan.x, plan.y, 0.0}) : 0.0;
                grid.emplace_back(CVector3D{plan.x, plan.y, ground + gridHeight});
            }
        }
    }
    gridPoints = std::move(grid);
}

void CCalcInfo::generateVerticalGrid(const GroundHeightQuery& groundHeightAt) {
    std::vector<CPredictivePoint> grid;
    if (columnDivisions >= 1 && rowDivisions >= 1) {
        grid.reserve(static_cast<std::size_t>(columnDivisions + 1) *
                     static_cast<std::size_t>(rowDivisions + 1));
        const double dX = (lineEnd.x - lineStart.x) / columnDivisions;
        const double dY = (lineEnd.y - lineStart.y) / columnDivisions;
        const double dz = (gridTopHeight - gridHeight) / rowDivisions;
        for (std::int32_t i = 0; i <= columnDivisions; ++i) {
            const double x = lineStart.x + i * dX;
            const double y = lineStart.y + i * dY;
            double previousZ = 0.0;
            for (std::int32_t j = 0; j <= rowDivisions; ++j) {
                const double ground = groundHeightAt ? groundHeightAt({x, y, previousZ}) : 0.0;
                const double z = ground + gridHeight + j * dz;
                grid.emplace_back(CVector3D{x, y, z});
                previousZ = z;
            }
        }
    }
    gridPoints = std::move(grid);
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
