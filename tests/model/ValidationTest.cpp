#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/Validation.h"

namespace kelmora {

void PrintTo(const ValidationIssue& issue, std::ostream* os) {
    *os << (issue.kind == ValidationKind::kRange ? "range " : "check ") << issue.field << " "
        << issue.controlId << " \"" << issue.message << "\"";
}

namespace {

ValidationIssue CheckIssue(const char* message, const char* field, int controlId) {
    return {ValidationKind::kCheck, message, field, controlId};
}

ValidationIssue RangeIssue(const char* message, const char* field, int controlId) {
    return {ValidationKind::kRange, message, field, controlId};
}

TEST(Validation, RangeMessagesPrintTheLimitsShortly) {
    const std::pair<double, const char*> limits[] = {
        {100000, "100000"}, {-10000, "-10000"},
        {0.5, "0.5"},       {0, "0"},
        {86400, "86400"},   {-50, "-50"},
        {1e-4, "0.0001"},   {std::numeric_limits<double>::max(), "1.79769313486232e+308"},
    };
    for (auto [limit, text] : limits)
        EXPECT_EQ(FormatRangeLimit(limit), text);
    EXPECT_EQ(NumberRangeMessage(-100, 100), "-100 から 100 までの数字を入力してください。");
    EXPECT_EQ(IntegerRangeMessage(0, 100), "0 から 100 までの整数を入力してください。");
    // A limit at the end of the number type bounds nothing: the message names the other one alone.
    constexpr double kMax = std::numeric_limits<double>::max();
    constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(NumberRangeMessage(1, kMax), "1 以上の数字を入力してください。");
    EXPECT_EQ(NumberRangeMessage(-kMax, 0.5), "0.5 以下の数字を入力してください。");
    EXPECT_EQ(IntegerRangeMessage(1, kIntMax), "1 以上の整数を入力してください。");
    EXPECT_EQ(IntegerRangeMessage(kIntMin, -1), "-1 以下の整数を入力してください。");
    EXPECT_EQ(NumberRangeMessage(kIntMin, kIntMax),
              "-2147483648 から 2147483647 までの数字を入力してください。")
        << "the size dialog's pixel positions keep both limits";
    EXPECT_EQ(RangeText(0.0, kMax), "0 以上");
}

TEST(Validation, RangeChecksIncludeTheLimitsAndRefuseNaN) {
    EXPECT_FALSE(CheckNumberRange(0.0, 0.0, 1.0, "f", 1));
    EXPECT_FALSE(CheckNumberRange(1.0, 0.0, 1.0, "f", 1));
    EXPECT_TRUE(CheckNumberRange(std::nextafter(1.0, 2.0), 0.0, 1.0, "f", 1));
    EXPECT_TRUE(CheckNumberRange(std::nan(""), 0.0, 1.0, "f", 1));
    EXPECT_TRUE(CheckNumberRange(INFINITY, 1.0, std::numeric_limits<double>::max(), "f", 1));
    EXPECT_EQ(CheckIntegerRange(101, 0, 100, "maxReflections", 1174),
              RangeIssue("0 から 100 までの整数を入力してください。", "maxReflections", 1174));
}

CGroundLine FiveMetreLine() {
    CGroundLine line;
    line.polyline.vertices = {{0, 0, 0}, {3, 4, 0}};
    return line;
}

TEST(Validation, GroundLineNeedsTwoVerticesAndWallsWithinIt) {
    CGroundLine line = FiveMetreLine();
    line.polyline.vertices.resize(1);
    const ValidationIssue tooFew =
        CheckIssue("地表線ポリライン論理座標値は2個以上必要です.", "polyline", 1004);
    EXPECT_EQ(ValidateGroundLine(line), tooFew);
    EXPECT_EQ(ValidateGroundLineVertexCount(line), tooFew);

    line = FiveMetreLine();
    line.walls.resize(3);  // a new wall ends at 5 m: exactly the line's length
    EXPECT_FALSE(ValidateGroundLine(line));
    line.walls[1].rangeEnd = 5.001;
    line.walls[2].rangeEnd = 6.0;
    EXPECT_EQ(ValidateGroundLine(line),
              CheckIssue("2番目の壁・法肩・法尻の範囲が地表線範囲を超えています", "walls", 1030));
    EXPECT_FALSE(ValidateGroundLineVertexCount(line));

    EXPECT_EQ(ValidateGroundVertexEntry({100000, -10000, 10000}), std::nullopt);
    EXPECT_EQ(ValidateGroundVertexEntry({0, 0, 10000.5}),
              RangeIssue("-10000 から 10000 までの数字を入力してください。", "vertexZ", 1022));
    EXPECT_EQ(ValidateGroundVertexEntry({100001, 0, 0})->field, "vertexX");
}

TEST(Validation, WallRangesThenOrderThenBarrierHeight) {
    struct Case {
        const char* name;
        std::int32_t type;
        double start, end, height, offsetVertical;
        std::optional<ValidationIssue> expected;
    };
    const ValidationIssue order =
        CheckIssue("範囲終点（地表線開始点からの長さ[m]）を始点より後ろにしてください", "rangeEnd", 1018);
    const ValidationIssue low = CheckIssue("壁の高さが低すぎます", "height", 1055);
    const Case cases[] = {
        {"empty range", kKnifeEdgeBarrier, 10, 10, 2.5, 0, order},
        {"one millimetre", kKnifeEdgeBarrier, 10, 10.001, 2.5, 0, std::nullopt},
        {"shoulder of height 0", kSlopeShoulder, 0, 5, 0, 0, std::nullopt},
        {"knife edge just too low", kKnifeEdgeBarrier, 0, 5, 0.4999, 0, low},
        {"right angle just too low", kRightAngleBarrier, 0, 5, 0.49, 0, low},
        {"barrier of 0.5 m", kKnifeEdgeBarrier, 0, 5, 0.5, 0, std::nullopt},
        {"order before height", kKnifeEdgeBarrier, 5, 5, 0.1, 0, order},
        {"range before checks", kKnifeEdgeBarrier, 5, 5, 0.1, -0.5,
         RangeIssue("0 から 100 までの数字を入力してください。", "offsetVertical", 1038)},
        {"height above 100", kSlopeShoulder, 0, 5, 100.5, 0,
         RangeIssue("0 から 100 までの数字を入力してください。", "height", 1055)},
        {"end beyond 100 km", kKnifeEdgeBarrier, 0, 100000.5, 2.5, 0,
         RangeIssue("0 から 100000 までの数字を入力してください。", "rangeEnd", 1018)},
    };
    for (const Case& c : cases) {
        CWall wall;
        wall.type = c.type;
        wall.rangeStart = c.start;
        wall.rangeEnd = c.end;
        wall.height = c.height;
        wall.offsetVertical = c.offsetVertical;
        EXPECT_EQ(ValidateWall(wall), c.expected) << c.name;
    }
    // The slope fields are read (and checked) for every kind of wall.
    CWall barrier;
    barrier.slopeVertical = 1000.5;
    EXPECT_EQ(ValidateWall(barrier)->field, "slopeVertical");
}

TEST(Validation, RectangleEntryOfRoofsAndOpenings) {
    const ValidationIssue rising = CheckIssue("Z1はZ3以上にしてください", "z1", 1039);
    const ValidationIssue shortA = CheckIssue("辺Aの長さが短すぎます", "x2", 1056);
    const ValidationIssue narrow = CheckIssue("辺Aと辺Cの距離(＝辺B、辺Dの長さ)が短すぎます", "x3", 1058);
    const std::pair<RectEntry, std::optional<ValidationIssue>> cases[] = {
        {{0, 0, 5, 10, 0, 0, 5, 5}, std::nullopt},
        {{0, 0, 5, 10, 0, 0, 5, 5.0001}, rising},
        {{0, 0, 5, 0.999, 0, 0, 5, 5}, shortA},
        {{0, 0, 5, 0.6, 0.8, 0, 5, 5}, std::nullopt},  // side A exactly 1 m
        {{0, 0, 5, 10, 0, 3, 0.999, 5}, narrow},
        {{0, 0, 5, 10, 0, 3, 1.0, 5}, std::nullopt},
        // The distance counts in space: 0.75 m across and 0.75 m down is 1.06 m from side A.
        {{0, 0, 5, 10, 0, 3, 0.75, 4.25}, std::nullopt},
        {{0, 0, 5, 0.5, 0, 0, 0.5, 6}, rising},  // the checks run in this order
    };
    for (const auto& [entry, expected] : cases) {
        EXPECT_EQ(ValidateRectEntry(entry), expected) << entry.x2 << " " << entry.y3 << " " << entry.z3;
    }
    CWindow opening;
    opening.q = 0.99;
    EXPECT_EQ(ValidateOpening(opening, cases[1].first)->kind, ValidationKind::kRange);
    opening.q = 1.0;
    EXPECT_EQ(ValidateOpening(opening, cases[1].first), rising);
    // A negative entered area is refused even while the rectangle gives the area.
    opening.area = -0.001;
    EXPECT_EQ(ValidateOpening(opening, cases[0].first)->field, "area");
    opening.area = std::nan("");
    EXPECT_EQ(ValidateOpening(opening, cases[0].first)->field, "area");
}

TEST(Validation, ExteriorWallOutlineAndHeights) {
    CBuildingWall wall;
    wall.closed = 1;
    wall.polyline.vertices = {{0, 0, 0}, {10, 0, 0}};
    EXPECT_EQ(ValidateBuildingWall(wall),
              CheckIssue("閉じた多角形の座標値は3個以上必要です.", "polyline", 1004));
    wall.closed = 0;
    wall.polyline.vertices.resize(1);
    EXPECT_EQ(ValidateBuildingWall(wall),
              CheckIssue("閉じていない多角形の座標値は2個以上必要です.", "polyline", 1004));

    const ValidationIssue shortEdge = CheckIssue("辺の長さは1m以上にしてください.", "polyline", 1018);
    wall.polyline.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 0.5, 0}};
    for (std::int32_t closed : {0, 1}) {
        wall.closed = closed;
        EXPECT_EQ(ValidateBuildingWall(wall), shortEdge) << closed;
    }
    // Only a closed wall uses the edge back to the first vertex.
    wall.polyline.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0.5, 0.5, 0}};
    wall.closed = 0;
    EXPECT_FALSE(ValidateBuildingWall(wall));
    wall.closed = 1;
    EXPECT_EQ(ValidateBuildingWall(wall), shortEdge);

    wall.polyline.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}};
    wall.topZ = wall.bottomZ = 3.0;
    EXPECT_EQ(ValidateBuildingWall(wall),
              CheckIssue("上辺Z座標は下辺Z座標より大きくしてください", "topZ", 1039));
}

TEST(Validation, RoomOutlineStoreyAndArea) {
    CRoom room;
    EXPECT_FALSE(ValidateRoom(room));  // no shape at all is accepted
    const ValidationIssue tooFew = CheckIssue("形状の座標値は3個以上必要です.", "outline", 1004);
    for (std::size_t n : {1u, 2u}) {
        room.outline.vertices.assign(n, CVector3D{});
        EXPECT_EQ(ValidateRoom(room), tooFew) << n;
    }
    room.outline.vertices = {{0, 0, 0}, {10, 0, 0}, {0, 0.9, 0}};
    EXPECT_EQ(ValidateRoom(room), CheckIssue("辺の長さは1m以上にしてください.", "outline", 1018));

    room.outline.vertices = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
    const ValidationIssue storey =
        CheckIssue("天井Z座標は床面Z座標より1m以上大きくしてください", "ceilingZ", 1039);
    const std::tuple<double, double, bool> storeys[] = {
        {0, 1.0, true}, {0, 0.99, false}, {2, 3, true}, {2, 2.9, false}};
    for (auto [floorZ, ceilingZ, accepted] : storeys) {
        room.floorZ = floorZ;
        room.ceilingZ = ceilingZ;
        EXPECT_EQ(ValidateRoom(room), accepted ? std::nullopt : std::optional(storey)) << ceilingZ;
    }

    CRoom computed;
    computed.computeFromShape = 1;
    computed.surfaceArea = 0.5;
    EXPECT_EQ(ValidateRoom(computed), RangeIssue("1 以上の数字を入力してください。", "surfaceArea", 1040));
}

TEST(Validation, SourceFieldRanges) {
    const std::tuple<double, double, double, const char*> cases[] = {
        {2, 3600, 10, nullptr},         {1, 0, 0, nullptr}, {0.99, 0, 0, "q"}, {2, -1, 10, "duration"},
        {2, 10, -0.5, "eventsPerHour"}, {0.5, -1, -1, "q"},
    };
    for (auto [q, duration, events, field] : cases) {
        CSound source;
        source.q = q;
        source.duration = duration;
        source.eventsPerHour = events;
        const ValidationResult issue = ValidateSource(source);
        if (field == nullptr) {
            EXPECT_FALSE(issue) << q << " " << duration;
        } else {
            ASSERT_TRUE(issue) << field;
            EXPECT_EQ(issue->field, field);
            EXPECT_EQ(issue->kind, ValidationKind::kRange);
        }
    }
}

TEST(Validation, PredictionSettings) {
    CNoise model;
    EXPECT_FALSE(ValidatePredictionSettings(model, {}));

    model.calcInfo.mode = kVerticalGridMode;
    model.calcInfo.gridHeight = 3.0;  // equal to the top height
    EXPECT_EQ(ValidatePredictionSettings(model, {}),
              CheckIssue("左側より高くしてください", "gridTopHeight", 1173));
    model.calcInfo.mode = kHorizontalGridMode;  // the heights are compared for the vertical grid only
    EXPECT_FALSE(ValidatePredictionSettings(model, {}));

    model.calcInfo.mode = kVerticalGridMode;
    model.calcInfo.gridHeight = 1.5;
    model.calcInfo.lineEnd = {0, 0};
    EXPECT_EQ(ValidatePredictionSettings(model, {}),
              CheckIssue("鉛直格子状の水平直線の開始点と終了点が等しいです", "lineEnd", 1009));
    model.calcInfo.lineEnd = {0, 4};
    EXPECT_FALSE(ValidatePredictionSettings(model, {}));

    model.calcInfo.mode = kPointListMode;
    EXPECT_EQ(ValidatePredictionSettings(model, {}), CheckIssue("予測点がありません.", "pointList", 1004));

    // Ranges are read in the dialog's order, before any check.
    model.calcInfo.rowDivisions = 0;
    model.temperature = 60;
    EXPECT_EQ(ValidatePredictionSettings(model, {}),
              RangeIssue("1 から 1000 までの整数を入力してください。", "rowDivisions", 1161));
    model.calcInfo.rowDivisions = 1;
    EXPECT_EQ(ValidatePredictionSettings(model, {})->field, "temperature");
    model.targetTime = 599;
    EXPECT_EQ(ValidatePredictionSettings(model, {})->message,
              "600 から 86400 までの数字を入力してください。");
    EXPECT_EQ(ValidatePredictionSettings(model, {0, 0, -10000.5})->field, "pointZ");
}

}  // namespace
}  // namespace kelmora
