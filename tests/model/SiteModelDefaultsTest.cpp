#include <gtest/gtest.h>

#include <cmath>

#include "SiteModelSamples.h"
#include "model/Noise.h"

namespace kelmora {
namespace {

TEST(SiteModelDefaults, NewSourceRadiatesThirtyDecibelsPerBand) {
    const CSound s;
    EXPECT_EQ(s.position, (CVector3D{0, 0, 0}));
    EXPECT_EQ(s.q, 2.0);
    EXPECT_EQ(s.noiseType, kSteadyNoise);
    EXPECT_EQ(s.duration, 3600.0);
    EXPECT_EQ(s.eventsPerHour, 10.0);
    for (const CBand* b : {&s.powerAverage, &s.powerMax}) {
        EXPECT_EQ(b->kind, 2);
        EXPECT_TRUE(b->allEqual(30.0));
        EXPECT_NEAR(b->overallLevel(), 43.2, 0.05);  // 30 + 10·log10 21
    }
    EXPECT_EQ(s.isOpeningSource, 0);
    EXPECT_TRUE(s.levelAverageAtPoint.allEqual(0.0));
    EXPECT_STREQ(NoiseTypeShortName(kImpulsiveNoise), "衝撃騒音");
    EXPECT_STREQ(NoiseTypeEditorItem(kFluctuatingNoise), "変動騒音(ＬpAeq)");
    EXPECT_STREQ(NoiseTypeShortName(3), "");
}

TEST(SiteModelDefaults, NewProjectPredictsAtOnePointWithTheUsualConditions) {
    const CNoise model;
    const CCalcInfo& info = model.calcInfo;
    EXPECT_EQ(info.mode, kSinglePointMode);
    EXPECT_EQ(info.singlePoint.position, (CVector3D{0, 0, 0}));
    EXPECT_TRUE(info.singlePoint.resultAverage.allEqual(kNoSoundLevel));
    EXPECT_TRUE(info.singlePoint.resultMax.allEqual(kNoSoundLevel));
    EXPECT_EQ(info.rowDivisions, 10);
    EXPECT_EQ(info.columnDivisions, 10);
    EXPECT_EQ(info.gridHeight, 1.5);
    EXPECT_EQ(info.gridTopHeight, 3.0);
    EXPECT_EQ(info.lineStart, (CVertex2D{0, 0}));
    EXPECT_EQ(info.lineEnd, (CVertex2D{10, 10}));
    EXPECT_EQ(model.targetTime, 3600.0);
    EXPECT_EQ(model.effectiveDistance, 250.0);
    EXPECT_EQ(model.temperature, 20.0);
    EXPECT_EQ(model.humidity, 60.0);
    EXPECT_EQ(model.maxReflections, 2);
    EXPECT_TRUE(model.groundLines.empty() && model.buildings.empty() && model.outdoorSources.empty());
}

TEST(SiteModelDefaults, NewBuildingPartsHaveTheirDefaults) {
    const CRoof roof;
    EXPECT_EQ(roof.face.rect, (CMyRect{{0, 0, 5}, {0, 0, 5}, {0, 0, 5}}));
    EXPECT_EQ(roof.face.diffracts, (std::array<std::int32_t, 4>{1, 1, 1, 1}));
    EXPECT_EQ(roof.face.wedgeType, kRightAngleWedge);
    EXPECT_EQ(roof.face.reflects, 1);
    EXPECT_EQ(roof.face.obstructs, 1);
    const CRectObstacle face;
    EXPECT_EQ(face.diffracts, (std::array<std::int32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(face.wedgeType, kKnifeEdgeWedge);

    const CBuildingWall wall;
    EXPECT_EQ(wall.closed, 0);
    EXPECT_EQ(wall.diffractStart, 1);
    EXPECT_EQ(wall.diffractEnd, 1);
    EXPECT_EQ(wall.bottomZ, 0.0);
    EXPECT_EQ(wall.topZ, 5.0);
    EXPECT_EQ(wall.diffractTop, 1);
    EXPECT_EQ(wall.diffractBottom, 0);

    const CRoom room;
    EXPECT_EQ(room.surfaceArea, 37.5);
    EXPECT_EQ(room.computeFromShape, 0);
    EXPECT_EQ(room.ceilingZ, 2.5);
    EXPECT_EQ(room.floorZ, 0.0);
    const CWindow opening;
    EXPECT_EQ(opening.areaFromRect, 1);
    EXPECT_EQ(opening.area, 10.0);
    EXPECT_EQ(opening.belongsTo, kOnWall);
    EXPECT_EQ(opening.isOutdoorSource, 1);
    EXPECT_EQ(opening.q, 2.0);
}

TEST(SiteModelDefaults, CopiesAreDeep) {
    const CNoise original = testing::SampleModel();
    CNoise copy = original;
    copy.buildings[0].rooms[0].openings[0].containedOpenings[0].containedOpenings[0].memo = "変更";
    copy.calcInfo.gridPoints.clear();
    copy.groundLines[0].walls[1].height = 9;
    EXPECT_EQ(original, testing::SampleModel());
    EXPECT_NE(copy, original);
}

TEST(SiteModelDefaults, PredictionPointsFollowTheMode) {
    CCalcInfo info = testing::SampleModel().calcInfo;
    const std::pair<std::int32_t, std::size_t> cases[] = {{0, 1}, {1, 2}, {2, 2}, {3, 2}};
    for (auto [mode, count] : cases) {
        info.mode = mode;
        EXPECT_EQ(info.PredictionPoints().size(), count) << mode;
    }
    info.mode = kSinglePointMode;
    info.PredictionPoints()[0].resultMax.fill(60);
    EXPECT_TRUE(info.singlePoint.resultMax.allEqual(60));
    info.mode = kPointListMode;
    EXPECT_EQ(info.PredictionPoints().data(), info.pointList.data());
}

}  // namespace
}  // namespace kelmora
