#include "editing/PredictionEditor.h"

#include <algorithm>

#include "editing/FieldParser.h"
#include "model/Validation.h"
#include "view/ClickActions.h"
#include "view/ViewTransform.h"

namespace kelmora {
namespace {

static_assert(kPredictionPointXId == kPointXId && kPredictionPointYId == kPointYId &&
              kAddPointId == kAddButtonId && kPredictionLineStartXId == kGridLineStartXId &&
              kPredictionLineStartYId == kGridLineStartYId && kPredictionLineEndXId == kGridLineEndXId &&
              kPredictionLineEndYId == kGridLineEndYId);

// Stores the read values into the settings and conditions of a model.
void StoreValues(const PredictionValues& v, const std::string& memo, CNoise& model) {
    CCalcInfo& info = model.calcInfo;
    info.mode = v.mode;
    info.singlePoint.position = v.point;
    info.rowDivisions = v.rowDivisions;
    info.columnDivisions = v.columnDivisions;
    info.gridHeight = v.gridHeight;
    info.gridTopHeight = v.gridTopHeight;
    info.lineStart = v.lineStart;
    info.lineEnd = v.lineEnd;
    info.memo = memo;
    model.targetTime = v.targetTime;
    model.effectiveDistance = v.effectiveDistance;
    model.temperature = v.temperature;
    model.humidity = v.humidity;
    model.maxReflections = v.maxReflections;
}

}  // namespace

GridPlanView GridPlanViewOf(const CKelmoraViewData& view) {
    return {view.imageWidth, view.imageHeight, [view](const CVertex2D& s) { return ClientToModel(view, s); }};
}

PredictionEditor::PredictionEditor(const CNoise& workingCopy) {
    const CCalcInfo& info = workingCopy.calcInfo;
    mode = std::clamp(info.mode, kSinglePointMode, kVerticalGridMode);
    pointX = FieldText(info.singlePoint.position.x);
    pointY = FieldText(info.singlePoint.position.y);
    pointZ = FieldText(info.singlePoint.position.z);
    memo = info.memo;
    rowDivisions = FieldText(info.rowDivisions);
    columnDivisions = FieldText(info.columnDivisions);
    gridHeight = FieldText(info.gridHeight);
    gridTopHeight = FieldText(info.gridTopHeight);
    lineStartX = FieldText(info.lineStart.x);
    lineStartY = FieldText(info.lineStart.y);
    lineEndX = FieldText(info.lineEnd.x);
    lineEndY = FieldText(info.lineEnd.y);
    targetTime = FieldText(workingCopy.targetTime);
    effectiveDistance = FieldText(workingCopy.effectiveDistance);
    temperature = FieldText(workingCopy.temperature);
    humidity = FieldText(workingCopy.humidity);
    maxReflections = FieldText(workingCopy.maxReflections);
    SelectRow(0, workingCopy);
}

PredictionEnabling PredictionEditor::Enabling(const CNoise& workingCopy) const {
    PredictionEnabling e;
    if (mode == kPointListMode) {
        e.pointList = true;
        e.change = e.deleteAll = !workingCopy.calcInfo.pointList.empty();
    }
    e.divisions = mode == kHorizontalGridMode || mode == kVerticalGridMode;
    e.verticalGrid = mode == kVerticalGridMode;
    return e;
}

std::vector<std::array<std::string, 3>> PredictionEditor::PointRows(const CNoise& workingCopy) const {
    std::vector<std::array<std::string, 3>> rows;
    rows.reserve(workingCopy.calcInfo.pointList.size());
    for (const CPredictivePoint& p : workingCopy.calcInfo.pointList)
        rows.push_back(
            {CoordinateText(p.position.x), CoordinateText(p.position.y), CoordinateText(p.position.z)});
    return rows;
}

void PredictionEditor::SelectRow(int row, const CNoise& workingCopy) {
    const int count = static_cast<int>(workingCopy.calcInfo.pointList.size());
    selectedRow_ = count == 0 ? -1 : std::clamp(row, 0, count - 1);
}

std::variant<PredictionValues, UserMessage> PredictionEditor::ReadFields() const {
    PredictionValues v;
    v.mode = mode;
    const double c = kPointCoordinateLimits.high;  // m, the point fields and the grid line, both signs
    const IntegerFieldLimits& divisions = kGridDivisionsLimits;
    const IntegerFieldLimits& reflections = kMaxReflectionsLimits;
    FieldReader r;
    r.Number(pointX, -c, c, "pointX", kPointXId, v.point.x)
        .Number(pointY, -c, c, "pointY", kPointYId, v.point.y)
        .Number(pointZ, -c, c, "pointZ", kPredictionPointZId, v.point.z)
        .Integer(rowDivisions, divisions.low, divisions.high, "rowDivisions", kRowDivisionsId, v.rowDivisions)
        .Integer(columnDivisions, divisions.low, divisions.high, "columnDivisions", kColumnDivisionsId,
                 v.columnDivisions)
        .Number(gridHeight, kGridHeightLimits.low, kGridHeightLimits.high, "gridHeight", kGridHeightId,
                v.gridHeight)
        .Number(targetTime, kTargetTimeLimits.low, kTargetTimeLimits.high, "targetTime", kTargetTimeId,
                v.targetTime)
        .Number(effectiveDistance, kEffectiveDistanceLimits.low, kEffectiveDistanceLimits.high,
                "effectiveDistance", kEffectiveDistanceId, v.effectiveDistance)
        .Number(gridTopHeight, kGridTopHeightLimits.low, kGridTopHeightLimits.high, "gridTopHeight",
                kGridTopHeightId, v.gridTopHeight)
        .Number(lineStartX, -c, c, "lineStartX", kGridLineStartXId, v.lineStart.x)
        .Number(lineStartY, -c, c, "lineStartY", kGridLineStartYId, v.lineStart.y)
        .Number(lineEndX, -c, c, "lineEndX", kGridLineEndXId, v.lineEnd.x)
        .Number(lineEndY, -c, c, "lineEndY", kGridLineEndYId, v.lineEnd.y)
        .Integer(maxReflections, reflections.low, reflections.high, "maxReflections", kMaxReflectionsId,
                 v.maxReflections)
        .Number(temperature, kTemperatureLimits.low, kTemperatureLimits.high, "temperature", kTemperatureId,
                v.temperature)
        .Number(humidity, kHumidityLimits.low, kHumidityLimits.high, "humidity", kHumidityId, v.humidity);
    if (r.issue()) return FieldMessage(*r.issue());
    return v;
}

std::optional<UserMessage> PredictionEditor::AddPoint(CNoise& workingCopy) {
    const auto read = ReadFields();
    if (const auto* refused = std::get_if<UserMessage>(&read)) return *refused;
    std::vector<CPredictivePoint>& list = workingCopy.calcInfo.pointList;
    list.emplace_back(std::get<PredictionValues>(read).point);
    SelectRow(static_cast<int>(list.size()) - 1, workingCopy);
    return std::nullopt;
}

std::optional<UserMessage> PredictionEditor::ChangePoint(CNoise& workingCopy) {
    std::vector<CPredictivePoint>& list = workingCopy.calcInfo.pointList;
    if (selectedRow_ < 0 || selectedRow_ >= static_cast<int>(list.size())) return std::nullopt;
    const auto read = ReadFields();
    if (const auto* refused = std::get_if<UserMessage>(&read)) return *refused;
    list[selectedRow_].position = std::get<PredictionValues>(read).point;
    return std::nullopt;
}

void PredictionEditor::DeleteAllPoints(CNoise& workingCopy) {
    workingCopy.calcInfo.pointList.clear();
    SelectRow(0, workingCopy);
}

std::optional<UserMessage> PredictionEditor::ValidateAndStore(CNoise& workingCopy,
                                                              const PredictionGridContext& grids) const {
    const auto read = ReadFields();
    if (const auto* refused = std::get_if<UserMessage>(&read)) return *refused;
    const PredictionValues& v = std::get<PredictionValues>(read);

    // The dialog's checks run over the settings as they would be stored.
    CNoise candidate;
    StoreValues(v, memo, candidate);
    if (v.mode == kPointListMode) candidate.calcInfo.pointList = workingCopy.calcInfo.pointList;
    if (const ValidationResult issue = ValidatePredictionSettings(candidate, v.point))
        return FieldMessage(*issue);
    if (v.mode == kHorizontalGridMode && !grids.planView) {
        return UserMessage{kCheckCaption, "水平面格子状の予測点を置く平面図のウィンドウが開いていません",
                           MessageIcon::kInformation, 0};
    }

    StoreValues(v, memo, workingCopy);
    CCalcInfo& info = workingCopy.calcInfo;
    if (v.mode == kHorizontalGridMode) {
        info.generateHorizontalGrid(grids.planView->imageWidth, grids.planView->imageHeight,
                                    grids.planView->clientToModel, grids.groundHeightAt);
    } else if (v.mode == kVerticalGridMode) {
        info.generateVerticalGrid(grids.groundHeightAt);
    }
    return std::nullopt;
}

}  // namespace kelmora
