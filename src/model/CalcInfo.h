#pragma once
// CCalcInfo: how the prediction points are given — one point, a list, a horizontal grid or a
// vertical grid — with the grid settings and the generated grid (which is stored, not regenerated).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "geometry/Vector.h"
#include "model/PredictivePoint.h"
#include "model/persistence/Archive.h"

namespace kelmora {

// Values of CCalcInfo::mode.
inline constexpr std::int32_t kSinglePointMode = 0;     // １個
inline constexpr std::int32_t kPointListMode = 1;       // 複数
inline constexpr std::int32_t kHorizontalGridMode = 2;  // 水平面格子状
inline constexpr std::int32_t kVerticalGridMode = 3;    // 鉛直面格子状

// The terrain height [m] below the plan position of a point (the point's Z may steer the query).
using GroundHeightQuery = std::function<double(const CVector3D&)>;
// A plan window's client position [px] → model point [m]: the window's zoom, then its calibration.
using ClientToModelMap = std::function<CVector3D(const CVertex2D&)>;

class CCalcInfo {
public:
    CCalcInfo() = default;
    virtual ~CCalcInfo() = default;
    CCalcInfo(const CCalcInfo&) = default;
    CCalcInfo& operator=(const CCalcInfo&) = default;
    CCalcInfo(CCalcInfo&&) = default;
    CCalcInfo& operator=(CCalcInfo&&) = default;

    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CCalcInfo&, const CCalcInfo&) = default;

    static constexpr std::size_t kMinArchiveBytes =
        4 + CPredictivePoint::kMinArchiveBytes + 4 + 4 + 4 + 8 + 4 + kMinStringBytes + 8 + 16 + 16;

    // The points a run computes, in stored order: the single point (mode 0), the list (mode 1) or
    // the generated grid (modes 2 and 3, and any other value).
    std::span<const CPredictivePoint> PredictionPoints() const;
    std::span<CPredictivePoint> PredictionPoints();

    // Replaces gridPoints by the horizontal grid over a plan window's client rectangle of
    // imageWidth × imageHeight pixels from the client origin: (columnDivisions + 1)·(rowDivisions + 1)
    // points, column by column from the left, each column from the bottom edge up, at gridHeight
    // above the ground. Divisions below 1 give no points.
    void generateHorizontalGrid(double imageWidth, double imageHeight, const ClientToModelMap& clientToModel,
                                const GroundHeightQuery& groundHeightAt);
    // Replaces gridPoints by the vertical grid over the plan line lineStart → lineEnd: one column at
    // each of the columnDivisions + 1 positions along the line, each from gridHeight to gridTopHeight
    // above the local ground in rowDivisions steps, bottom to top. The ground is asked with the Z of
    // the previous point of the column (0 for the first). Divisions below 1 give no points.
    void generateVerticalGrid(const GroundHeightQuery& groundHeightAt);

    std::int32_t mode = kSinglePointMode;
    CPredictivePoint singlePoint;
    std::vector<CPredictivePoint> pointList;
    std::int32_t rowDivisions = 10;
    std::int32_t columnDivisions = 10;
    double gridHeight = 1.5;  // m above ground: the horizontal grid, and the lower end of a vertical grid
    std::vector<CPredictivePoint> gridPoints;
    std::string memo;
    double gridTopHeight = 3.0;     // m above ground: upper end of a vertical grid
    CVertex2D lineStart;            // m, plan line of the vertical grid
    CVertex2D lineEnd{10.0, 10.0};  // m
};

}  // namespace kelmora
