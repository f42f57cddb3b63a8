// A model's values against the ranges of the dialogs before a run: the first one out of order is named
// with its object and field.
#include "model/ValueCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "SiteModelSamples.h"
#include "model/Validation.h"

namespace kelmora {
namespace {

// The sample model of the file tests, with its ground absorption (octaves 0.1, 1.1, … there) made one
// that the band editor accepts.
CNoise AcceptedSampleModel() {
    CNoise model = testing::SampleModel();
    for (int i = 0; i < kOctaveBands; ++i)
        model.groundLines[0].absorptionRight.octave[i] = 0.1 * (i + 1);
    return model;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ValueCheck, ModelsMadeInTheDialogsPass) {
    EXPECT_FALSE(FindValueProblem(AcceptedSampleModel()));
    EXPECT_FALSE(FindValueProblem(CNoise{}));
    // Every limit is accepted; generated grid points may lie beyond the coordinate fields' range.
    CNoise edges = AcceptedSampleModel();
    edges.targetTime = kTargetTimeLimits.low;
    edges.effectiveDistance = kEffectiveDistanceLimits.high;
    edges.maxReflections = kMaxReflectionsLimits.high;
    edges.temperature = kTemperatureLimits.low;
    edges.humidity = kHumidityLimits.high;
    edges.calcInfo.singlePoint.position = {-10000, 10000, -10000};
    edges.calcInfo.gridPoints[0].position = {250000, -1e6, 1.5};
    edges.groundLines[0].polyline.vertices[0] = {100000, -10000, 10000};
    edges.groundLines[0].walls[0].height = 100.0;
    edges.outdoorSources[0].q = 1.0;
    edges.outdoorSources[0].duration = 0.0;
    edges.outdoorSources[0].powerAverage.third[20] = -300.0;
    edges.buildings[0].rooms[0].surfaceArea = 1.0;
    EXPECT_FALSE(FindValueProblem(edges)) << FindValueProblem(edges)->message;
}

TEST(ValueCheck, FirstValueOutOfOrderIsNamed) {
    struct Case {
        std::function<void(CNoise&)> plant;
        const char* object;
        const char* field;
        const char* message;
    };
    const Case cases[] = {
        {[](CNoise& m) { m.maxReflections = 858993459; }, "計算条件", "maxReflections",
         "計算条件 の maxReflections が範囲外です: 858993459（0 から 100 まで）"},
        {[](CNoise& m) { m.targetTime = 599.0; }, "計算条件", "targetTime",
         "計算条件 の targetTime が範囲外です: 599（600 から 86400 まで）"},
        {[](CNoise& m) { m.humidity = kNaN; }, "計算条件", "humidity",
         "計算条件 の humidity が有限の数値ではありません: nan"},
        {[](CNoise& m) { m.groundLines[0].walls[1].slopeVertical = 1000.5; }, "地表線 1 の壁・法肩 2",
         "slopeVertical", "地表線 1 の壁・法肩 2 の slopeVertical が範囲外です: 1000.5（0 から 1000 まで）"},
        {[](CNoise& m) { m.groundLines[0].polyline.vertices[2].z = -10000.001; }, "地表線 1", "vertices 3 z",
         "地表線 1 の vertices 3 z が範囲外です: -10000.001（-10000 から 10000 まで）"},
        {[](CNoise& m) { m.groundLines[0].absorptionRight.octave[6] = 1.01; }, "地表線 1",
         "absorptionRight 4000Hz", "地表線 1 の absorptionRight 4000Hz が範囲外です: 1.01（0 から 1 まで）"},
        {[](CNoise& m) { m.buildings[0].roofs[0].face.rect.p3.y = 1e308 * 10; }, "建物 1 の屋上 1",
         "rect p3 y", "建物 1 の屋上 1 の rect p3 y が有限の数値ではありません: inf"},
        {[](CNoise& m) { m.buildings[0].walls[0].topZ = -kInf; }, "建物 1 の外壁 1", "topZ",
         "建物 1 の外壁 1 の topZ が有限の数値ではありません: -inf"},
        {[](CNoise& m) { m.buildings[0].rooms[0].surfaceArea = 0.5; }, "建物 1 の室 1", "surfaceArea",
         "建物 1 の室 1 の surfaceArea が範囲外です: 0.5（1 以上）"},
        {[](CNoise& m) {
             m.buildings[0].rooms[0].openings[0].containedOpenings[0].containedOpenings[0].q = 0.5;
         },
         "建物 1 の室 1 の開口部 1-1-1", "q",
         "建物 1 の室 1 の開口部 1-1-1 の q が範囲外です: 0.5（1 以上）"},
        {[](CNoise& m) { m.buildings[0].rooms[0].openings[0].tl.overall = 300.5; },
         "建物 1 の室 1 の開口部 1", "tl OA",
         "建物 1 の室 1 の開口部 1 の tl OA が範囲外です: 300.5（0 から 300 まで）"},
        {[](CNoise& m) { m.buildings[0].rooms[0].sources[1].powerAverage.third[13] = 1e308; },
         "建物 1 の室 1 の室内音源 2", "powerAverage 1000Hz",
         "建物 1 の室 1 の室内音源 2 の powerAverage 1000Hz が範囲外です: 1e+308（-300 から 300 まで）"},
        {[](CNoise& m) { m.outdoorSources[1].eventsPerHour = -1.0; }, "屋外音源 2", "eventsPerHour",
         "屋外音源 2 の eventsPerHour が範囲外です: -1（0 以上）"},
        {[](CNoise& m) { m.calcInfo.pointList[1].position.x = 10000.5; }, "予測点リスト 2", "position x",
         "予測点リスト 2 の position x が範囲外です: 10000.5（-10000 から 10000 まで）"},
        {[](CNoise& m) { m.calcInfo.gridPoints[1].position.z = kNaN; }, "格子点 2", "position z",
         "格子点 2 の position z が有限の数値ではありません: nan"},
        {[](CNoise& m) { m.calcInfo.rowDivisions = 0; }, "予測点設定", "rowDivisions",
         "予測点設定 の rowDivisions が範囲外です: 0（1 から 1000 まで）"},
    };
    for (const Case& c : cases) {
        CNoise model = AcceptedSampleModel();
        c.plant(model);
        const std::optional<ValueProblem> problem = FindValueProblem(model);
        ASSERT_TRUE(problem) << c.message;
        EXPECT_EQ(problem->object, c.object);
        EXPECT_EQ(problem->field, c.field);
        EXPECT_EQ(problem->message, c.message);
    }
    // The walk follows the file: the ground lines come before the conditions.
    CNoise both = AcceptedSampleModel();
    both.temperature = 60.0;
    both.groundLines[0].walls[0].offsetHorizontal = -101.0;
    EXPECT_EQ(FindValueProblem(both)->object, "地表線 1 の壁・法肩 1");
}

}  // namespace
}  // namespace kelmora
