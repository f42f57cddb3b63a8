#include "model/Validation.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "geometry/PolylineOps.h"
#include "geometry/VectorOps.h"
#include "model/PlanEdges.h"

namespace kelmora {

namespace {

// Controls that take the focus (ids of the editors' dialog resources).
constexpr int kAddVertexButton = 1004;
constexpr int kDeleteVertexButton = 1018;  // the point list's "削除"; focus for an edge too short

ValidationIssue Check(const char* message, const char* field, int controlId) {
    return {ValidationKind::kCheck, message, field, controlId};
}

// How a range reads: from low to high, or from its one limit up or down (a limit at the end of the
// number type bounds nothing a user can type).
std::string RangeWords(bool lowBounds, const std::string& low, bool highBounds, const std::string& high) {
    if (lowBounds && !highBounds) return low + " 以上";
    if (highBounds && !lowBounds) return high + " 以下";
    return low + " から " + high + " まで";
}

std::string FormatLimitMessage(const std::string& range, const char* noun) {
    return range + "の" + noun + "を入力してください。";
}

bool BoundsValues(double limit) {
    return std::abs(limit) < kLargestFieldValue;
}

// The first issue of a sequence of checks run in order.
template <typename... Checks>
ValidationResult FirstIssue(Checks&&... checks) {
    ValidationResult result;
    ((result = result ? result : checks()), ...);
    return result;
}

}  // namespace

// ---- Range checks of the dialog framework ----

std::string FormatRangeLimit(double limit) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", limit);
    return text;
}

std::string RangeText(double low, double high) {
    return RangeWords(BoundsValues(low), FormatRangeLimit(low), BoundsValues(high), FormatRangeLimit(high));
}

std::string RangeText(std::int32_t low, std::int32_t high) {
    constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();
    return RangeWords(low != kLowest, std::to_string(low), high != kHighest, std::to_string(high));
}

std::string NumberRangeMessage(double low, double high) {
    return FormatLimitMessage(RangeText(low, high), "数字");
}

std::string IntegerRangeMessage(std::int32_t low, std::int32_t high) {
    return FormatLimitMessage(RangeText(low, high), "整数");
}

ValidationResult CheckNumberRange(double value, double low, double high, const char* field, int controlId) {
    if (value >= low && value <= high) return std::nullopt;
    return ValidationIssue{ValidationKind::kRange, NumberRangeMessage(low, high), field, controlId};
}

ValidationResult CheckNumberRange(double value, FieldLimits limits, const char* field, int controlId) {
    return CheckNumberRange(value, limits.low, limits.high, field, controlId);
}

ValidationResult CheckIntegerRange(std::int32_t value, std::int32_t low, std::int32_t high, const char* field,
                                   int controlId) {
    if (value >= low && value <= high) return std::nullopt;
    return ValidationIssue{ValidationKind::kRange, IntegerRangeMessage(low, high), field, controlId};
}

ValidationResult CheckIntegerRange(std::int32_t value, IntegerFieldLimits limits, const char* field,
                                   int controlId) {
    return CheckIntegerRange(value, limits.low, limits.high, field, controlId);
}

// ---- Ground lines and walls ----

ValidationResult ValidateGroundVertexEntry(const CVector3D& entry) {
    return FirstIssue([&] { return CheckNumberRange(entry.x, kGroundVertexPlanLimits, "vertexX", 1006); },
                      [&] { return CheckNumberRange(entry.y, kGroundVertexPlanLimits, "vertexY", 1014); },
                      [&] { return CheckNumberRange(entry.z, kGroundVertexHeightLimits, "vertexZ", 1022); });
}

ValidationResult ValidateGroundLineVertexCount(const CGroundLine& line) {
    if (line.polyline.vertices.size() < 2) {
        return Check("地表線ポリライン論理座標値は2個以上必要です.", "polyline", kAddVertexButton);
    }
    return std::nullopt;
}

ValidationResult ValidateGroundLine(const CGroundLine& line) {
    if (ValidationResult issue = ValidateGroundLineVertexCount(line)) return issue;
    const double length = PolylineLength(line.polyline);
    for (std::size_t i = 0; i < line.walls.size(); ++i) {
        // A wall may end exactly at the end of the line.
        if (line.walls[i].rangeEnd > length) {
            char message[160];
            std::snprintf(message, sizeof message, "%d番目の壁・法肩・法尻の範囲が地表線範囲を超えています",
                          static_cast<int>(i + 1));
            return Check(message, "walls", 1030);
        }
    }
    return std::nullopt;
}

ValidationResult ValidateWall(const CWall& wall) {
    return FirstIssue(
        [&] { return CheckNumberRange(wall.rangeStart, kWallRangeLimits, "rangeStart", 1010); },
        [&] { return CheckNumberRange(wall.rangeEnd, kWallRangeLimits, "rangeEnd", 1018); },
        [&] { return CheckNumberRange(wall.height, kWallHeightLimits, "height", 1055); },
        [&] {
            return CheckNumberRange(wall.offsetHorizontal, kWallOffsetHorizontalLimits, "offsetHorizontal",
                                    1036);
        },
        [&] {
            return CheckNumberRange(wall.offsetVertical, kWallOffsetVerticalLimits, "offsetVertical", 1038);
        },
        [&] { return CheckNumberRange(wall.slopeHorizontal, kSlopeDistanceLimits, "slopeHorizontal", 1051); },
        [&] { return CheckNumberRange(wall.slopeVertical, kSlopeDistanceLimits, "slopeVertical", 1052); },
        [&]() -> ValidationResult {
            if (wall.rangeStart >= wall.rangeEnd) {
                return Check("範囲終点（地表線開始点からの長さ[m]）を始点より後ろにしてください", "rangeEnd",
                             1018);
            }
            return std::nullopt;
        },
        [&]() -> ValidationResult {
            // A slope shoulder may be lower than a barrier.
            if ((wall.type == kKnifeEdgeBarrier || wall.type == kRightAngleBarrier) && wall.height < 0.5) {
                return Check("壁の高さが低すぎます", "height", 1055);
            }
            return std::nullopt;
        });
}

// ---- Building shells ----

ValidationResult ValidateRectEntry(const RectEntry& entry) {
    if (!(entry.z1 >= entry.z3)) return Check("Z1はZ3以上にしてください", "z1", 1039);
    const CVector3D p1{entry.x1, entry.y1, entry.z1};
    const CVector3D p2{entry.x2, entry.y2, entry.z1};
    if (!(Distance(p1, p2) >= 1.0)) return Check("辺Aの長さが短すぎます", "x2", 1056);
    const CVector3D p3{entry.x3, entry.y3, entry.z3};
    if (!(DistancePointLine(p3, p1, p2) >= 1.0)) {
        return Check("辺Aと辺Cの距離(＝辺B、辺Dの長さ)が短すぎます", "x3", 1058);
    }
    return std::nullopt;
}

ValidationResult ValidateBuildingWall(const CBuildingWall& wall) {
    const std::size_t n = wall.polyline.vertices.size();
    const bool closed = wall.closed != 0;
    if (closed && n < 3) return Check("閉じた多角形の座標値は3個以上必要です.", "polyline", kAddVertexButton);
    if (!closed && n < 2)
        return Check("閉じていない多角形の座標値は2個以上必要です.", "polyline", kAddVertexButton);
    if (!PlanEdgesAtLeast(wall.polyline.vertices, closed, 1.0)) {
        return Check("辺の長さは1m以上にしてください.", "polyline", kDeleteVertexButton);
    }
    if (!(wall.topZ > wall.bottomZ)) return Check("上辺Z座標は下辺Z座標より大きくしてください", "topZ", 1039);
    return std::nullopt;
}

// ---- Rooms, openings, sources ----

ValidationResult ValidateRoom(const CRoom& room) {
    // The entered area is checked even while the area is computed from the shape.
    if (ValidationResult issue =
            CheckNumberRange(room.surfaceArea, kRoomSurfaceAreaLimits, "surfaceArea", 1040)) {
        return issue;
    }
    const std::size_t n = room.outline.vertices.size();
    if (n == 1 || n == 2) return Check("形状の座標値は3個以上必要です.", "outline", kAddVertexButton);
    if (!PlanEdgesAtLeast(room.outline.vertices, true, 1.0)) {
        return Check("辺の長さは1m以上にしてください.", "outline", kDeleteVertexButton);
    }
    if (!(room.ceilingZ >= room.floorZ + 1.0)) {
        return Check("天井Z座標は床面Z座標より1m以上大きくしてください", "ceilingZ", 1039);
    }
    return std::nullopt;
}

ValidationResult ValidateOpening(const CWindow& opening, const RectEntry& entry) {
    return FirstIssue([&] { return CheckNumberRange(opening.area, kOpeningAreaLimits, "area", 1040); },
                      [&] { return CheckNumberRange(opening.q, kDirectivityLimits, "q", 1019); },
                      [&] { return ValidateRectEntry(entry); });
}

ValidationResult ValidateSource(const CSound& source) {
    return FirstIssue(
        [&] { return CheckNumberRange(source.q, kDirectivityLimits, "q", 1019); },
        [&] { return CheckNumberRange(source.duration, kEventDurationLimits, "duration", 1167); },
        [&] { return CheckNumberRange(source.eventsPerHour, kEventsPerHourLimits, "eventsPerHour", 1021); });
}

// ---- Prediction settings ----

ValidationResult ValidatePredictionSettings(const CNoise& model, const CVector3D& pointEntry) {
    const CCalcInfo& info = model.calcInfo;
    ValidationResult issue = FirstIssue(
        [&] { return CheckNumberRange(pointEntry.x, kPointCoordinateLimits, "pointX", 1006); },
        [&] { return CheckNumberRange(pointEntry.y, kPointCoordinateLimits, "pointY", 1014); },
        [&] { return CheckNumberRange(pointEntry.z, kPointCoordinateLimits, "pointZ", 1022); },
        [&] { return CheckIntegerRange(info.rowDivisions, kGridDivisionsLimits, "rowDivisions", 1161); },
        [&] {
            return CheckIntegerRange(info.columnDivisions, kGridDivisionsLimits, "columnDivisions", 1162);
        },
        [&] { return CheckNumberRange(info.gridHeight, kGridHeightLimits, "gridHeight", 1165); },
        [&] { return CheckNumberRange(model.targetTime, kTargetTimeLimits, "targetTime", 1167); },
        [&] {
            return CheckNumberRange(model.effectiveDistance, kEffectiveDistanceLimits, "effectiveDistance",
                                    1170);
        },
        [&] { return CheckNumberRange(info.gridTopHeight, kGridTopHeightLimits, "gridTopHeight", 1173); },
        [&] { return CheckNumberRange(info.lineStart.x, kPointCoordinateLimits, "lineStartX", 1007); },
        [&] { return CheckNumberRange(info.lineStart.y, kPointCoordinateLimits, "lineStartY", 1015); },
        [&] { return CheckNumberRange(info.lineEnd.x, kPointCoordinateLimits, "lineEndX", 1009); },
        [&] { return CheckNumberRange(info.lineEnd.y, kPointCoordinateLimits, "lineEndY", 1016); },
        [&] {
            return CheckIntegerRange(model.maxReflections, kMaxReflectionsLimits, "maxReflections", 1174);
        },
        [&] { return CheckNumberRange(model.temperature, kTemperatureLimits, "temperature", 1171); },
        [&] { return CheckNumberRange(model.humidity, kHumidityLimits, "humidity", 1172); });
    if (issue) return issue;

    if (info.mode == kVerticalGridMode) {
        if (info.gridHeight >= info.gridTopHeight)
            return Check("左側より高くしてください", "gridTopHeight", 1173);
        if (info.lineStart == info.lineEnd) {
            return Check("鉛直格子状の水平直線の開始点と終了点が等しいです", "lineEnd", 1009);
        }
    }
    if (info.mode == kPointListMode && info.pointList.empty()) {
        return Check("予測点がありません.", "pointList", kAddVertexButton);
    }
    return std::nullopt;
}

}  // namespace kelmora
