// The generated prediction grids: the horizontal grid over a plan window's client rectangle through
// the window's real transforms, the vertical grid over a sloping terrain, and their point order.
#include <gtest/gtest.h>

#include <vector>

#include "editing/PredictionEditor.h"
#include "propagation/GroundModel.h"
#include "view/WindowSetUp.h"

namespace kelmora {
namespace {

// A window without picture (500 × 300 px) with the default transforms: the picture's lower-left
// corner is the model origin and its 500 px span 100 m, so the client rectangle is 100 m × 60 m.
CKelmoraViewData DefaultWindow() {
    CKelmoraViewData v;
    ApplyDefaultTransforms(v);
    return v;
}

// Terrain rising northwards: 0 m along y = 0, 6 m along y = 60 (both lines run east, far enough).
std::vector<CGroundLine> SlopeNorthwards() {
    CGroundLine south, north;
    south.polyline.vertices = {{-1000, 0, 0}, {1000, 0, 0}};
    north.polyline.vertices = {{-1000, 60, 6}, {1000, 60, 6}};
    return {south, north};
}

GroundHeightQuery GroundOf(const std::vector<CGroundLine>& terrain) {
    return [&terrain](const CVector3D& p) { return GroundHeightAt(terrain, p); };
}

void ExpectPoint(const CPredictivePoint& p, double x, double y, double z, std::size_t index) {
    EXPECT_NEAR(p.position.x, x, 1e-9) << "point " << index;
    EXPECT_NEAR(p.position.y, y, 1e-9) << "point " << index;
    EXPECT_NEAR(p.position.z, z, 1e-9) << "point " << index;
}

TEST(HorizontalGrid, OneByOneGivesTheClientRectanglesCorners) {
    const GridPlanView view = GridPlanViewOf(DefaultWindow());
    CCalcInfo info;
    info.rowDivisions = info.columnDivisions = 1;
    info.gridHeight = 1.2;
    info.generateHorizontalGrid(view.imageWidth, view.imageHeight, view.clientToModel, nullptr);
    ASSERT_EQ(info.gridPoints.size(), 4u);
    // Left column bottom then top, then the right column.
    ExpectPoint(info.gridPoints[0], 0, 0, 1.2, 0);
    ExpectPoint(info.gridPoints[1], 0, 60, 1.2, 1);
    ExpectPoint(info.gridPoints[2], 100, 0, 1.2, 2);
    ExpectPoint(info.gridPoints[3], 100, 60, 1.2, 3);
}

TEST(HorizontalGrid, TenByTenCoversTheWindowColumnByColumnAboveTheGround) {
    const std::vector<CGroundLine> terrain = SlopeNorthwards();
    const GridPlanView view = GridPlanViewOf(DefaultWindow());
    CCalcInfo info;
    info.gridHeight = 1.5;
    info.gridPoints.resize(3);  // replaced, not appended to
    info.generateHorizontalGrid(view.imageWidth, view.imageHeight, view.clientToModel, GroundOf(terrain));
    ASSERT_EQ(info.gridPoints.size(), 121u);
    for (int i = 0; i <= 10; ++i) {
        for (int j = 0; j <= 10; ++j) {
            const std::size_t k = static_cast<std::size_t>(i * 11 + j);
            const double y = 6.0 * j;
            ExpectPoint(info.gridPoints[k], 10.0 * i, y, y / 10.0 + 1.5, k);
        }
    }
}

TEST(HorizontalGrid, FollowsTheWindowsZoom) {
    // Magnified twice about the client origin, the window shows the picture's upper-left quarter.
    CKelmoraViewData v = DefaultWindow();
    v.zoom.magnification = 2.0;
    const GridPlanView view = GridPlanViewOf(v);
    v.zoom.magnification = 4.0;  // the grid keeps the zoom of the moment it was asked for
    CCalcInfo info;
    info.rowDivisions = info.columnDivisions = 1;
    info.gridHeight = 0.0;
    info.generateHorizontalGrid(view.imageWidth, view.imageHeight, view.clientToModel, nullptr);
    ASSERT_EQ(info.gridPoints.size(), 4u);
    ExpectPoint(info.gridPoints[0], 0, 30, 0, 0);
    ExpectPoint(info.gridPoints[1], 0, 60, 0, 1);
    ExpectPoint(info.gridPoints[2], 50, 30, 0, 2);
    ExpectPoint(info.gridPoints[3], 50, 60, 0, 3);
}

TEST(VerticalGrid, ColumnsRunFromGridHeightToTopAboveTheLocalGround) {
    const std::vector<CGroundLine> terrain = SlopeNorthwards();
    CCalcInfo info;
    info.gridHeight = 1.5;
    info.gridTopHeight = 3.0;
    info.rowDivisions = 3;
    info.columnDivisions = 4;
    info.lineStart = {10, 0};
    info.lineEnd = {30, 60};
    info.generateVerticalGrid(GroundOf(terrain));
    ASSERT_EQ(info.gridPoints.size(), 20u);
    const double heights[] = {1.5, 2.0, 2.5, 3.0};
    for (int i = 0; i <= 4; ++i) {
        const double x = 10.0 + 5.0 * i;
        const double y = 15.0 * i;
        for (int j = 0; j <= 3; ++j) {
            const std::size_t k = static_cast<std::size_t>(i * 4 + j);
            ExpectPoint(info.gridPoints[k], x, y, y / 10.0 + heights[j], k);
        }
    }
}

TEST(VerticalGrid, AsksTheGroundFromThePreviousPointOfTheColumn) {
    CCalcInfo info;
    info.gridHeight = 1.0;
    info.gridTopHeight = 5.0;
    info.rowDivisions = 2;
    info.columnDivisions = 1;
    std::vector<double> askedZ;
    info.generateVerticalGrid([&](const CVector3D& p) {
        askedZ.push_back(p.z);
        return 10.0;
    });
    // Per column: 0 first, then the Z of the point below (11, then 13).
    EXPECT_EQ(askedZ, (std::vector<double>{0, 11, 13, 0, 11, 13}));
    ExpectPoint(info.gridPoints[2], 0, 0, 15, 2);
    ExpectPoint(info.gridPoints[5], 10, 10, 15, 5);
}

TEST(Grids, DivisionsBelowOneGiveNoPoints) {
    CCalcInfo info;
    info.gridPoints.resize(5);
    info.rowDivisions = 0;
    info.generateVerticalGrid(nullptr);
    EXPECT_TRUE(info.gridPoints.empty());
    info.rowDivisions = 1;
    info.columnDivisions = -1;
    info.generateHorizontalGrid(
        500, 300,
        [](const CVertex2D& s) {
            return CVector3D{s.x, s.y, 0};
        },
        nullptr);
    EXPECT_TRUE(info.gridPoints.empty());
}

}  // namespace
}  // namespace kelmora
