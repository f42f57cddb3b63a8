#pragma once
// The prediction dialog "予測" without its window: how the prediction points are given (one point, a
// list, a horizontal or a vertical grid), the point list, the calculation conditions and the memo,
// over the document's working copy of the model. Nothing reaches the working copy's settings before
// ValidateAndStore; the point list's buttons change the working copy's list at once, so that the plan
// shows each change.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/CalcInfo.h"
#include "model/Noise.h"
#include "model/UserMessage.h"
#include "model/ViewRecord.h"

namespace kelmora {

// Controls of the prediction dialog; the point fields and the grid line's fields are those the plan's
// clicks and drags fill (view/ClickActions.h).
inline constexpr std::array<int, 4> kPredictionModeRadioIds{1157, 1158, 1159, 1160};
inline constexpr int kPredictionPointZId = 1022;
inline constexpr int kRowDivisionsId = 1161;
inline constexpr int kColumnDivisionsId = 1162;
inline constexpr int kGridHeightId = 1165;
inline constexpr int kGridTopHeightId = 1173;
inline constexpr int kTargetTimeId = 1167;
inline constexpr int kMaxReflectionsId = 1174;
inline constexpr int kTemperatureId = 1171;
inline constexpr int kHumidityId = 1172;
inline constexpr int kEffectiveDistanceId = 1170;
inline constexpr int kPredictionMemoId = 1035;
inline constexpr int kPointListId = 1001;
inline constexpr int kChangePointId = 1008;      // "変更"
inline constexpr int kDeleteAllPointsId = 1017;  // "全削除"
inline constexpr int kApplyId = 1005;            // "適用"
inline constexpr int kStartRunId = 1011;         // "予測計算開始..."
// The controls the plan's clicks and drags write and press, by the numbers of view/ClickActions.h
// (PredictionEditor.cpp checks that they agree), for code that sees only this dialog.
inline constexpr int kPredictionPointXId = 1006;
inline constexpr int kPredictionPointYId = 1014;
inline constexpr int kAddPointId = 1004;  // "追加"
inline constexpr int kPredictionLineStartXId = 1007;
inline constexpr int kPredictionLineStartYId = 1015;
inline constexpr int kPredictionLineEndXId = 1009;
inline constexpr int kPredictionLineEndYId = 1016;

inline constexpr const char* kPredictionDialogTitle = "予測";
// The labels of the mode radios, in the order of CCalcInfo::mode.
inline constexpr std::array<const char*, 4> kPredictionModeLabels{"１個", "複数", "水平面格子状",
                                                                  "鉛直面格子状"};
// The point list's column headers (full-width spaces around the letters).
inline constexpr std::array<const char*, 3> kPointListHeaders{"　　　　X　　　　", "　　　　Y　　　　",
                                                              "　　　　Z　　　　"};

// The plan window over which a horizontal grid is laid: its picture size [px] and its client → model
// mapping.
struct GridPlanView {
    double imageWidth = kNoPictureWidth;
    double imageHeight = kNoPictureHeight;
    ClientToModelMap clientToModel;
};

// A plan window's grid view from its view record (the record is copied: the grid uses the zoom and
// calibration of the moment).
GridPlanView GridPlanViewOf(const CKelmoraViewData& view);

// What the grid generators need from the document.
struct PredictionGridContext {
    // The document's active plan window; none when no plan window of the document is open.
    std::optional<GridPlanView> planView;
    // The terrain height of the working copy below a plan point.
    GroundHeightQuery groundHeightAt;
};

// Which controls are enabled, by the mode and the point list.
struct PredictionEnabling {
    bool pointList = false;     // the list and "追加"
    bool change = false;        // "変更"
    bool deleteAll = false;     // "全削除"
    bool divisions = false;     // "縦分割数", "横分割数" and "地上高さ[m]"
    bool verticalGrid = false;  // the upper height and the four line fields

    friend bool operator==(const PredictionEnabling&, const PredictionEnabling&) = default;
};

// The dialog's fields as numbers, once read.
struct PredictionValues {
    std::int32_t mode = 0;
    CVector3D point;  // the single point, or the point to add or change
    std::int32_t rowDivisions = 0;
    std::int32_t columnDivisions = 0;
    double gridHeight = 0.0;         // m above ground
    double targetTime = 0.0;         // s
    double effectiveDistance = 0.0;  // m
    double gridTopHeight = 0.0;      // m above ground
    CVertex2D lineStart;
    CVertex2D lineEnd;
    std::int32_t maxReflections = 0;
    double temperature = 0.0;  // °C
    double humidity = 0.0;     // %
};

class PredictionEditor {
public:
    // Fills the fields from the working copy.
    explicit PredictionEditor(const CNoise& workingCopy);

    PredictionEnabling Enabling(const CNoise& workingCopy) const;

    // The point list's rows: X, Y, Z as "%.3f".
    std::vector<std::array<std::string, 3>> PointRows(const CNoise& workingCopy) const;
    // Selects a row of the list (clamped to it; −1 when the list is empty). The document's
    // selectedPointIndex follows it, so that the plan highlights the point.
    void SelectRow(int row, const CNoise& workingCopy);
    int selectedRow() const { return selectedRow_; }

    // "追加": reads the fields and appends the point X, Y, Z, which becomes the selected row.
    std::optional<UserMessage> AddPoint(CNoise& workingCopy);
    // "変更": reads the fields and moves the selected point to X, Y, Z; nothing without a selected row.
    std::optional<UserMessage> ChangePoint(CNoise& workingCopy);
    // "全削除": removes every point of the list, without asking.
    void DeleteAllPoints(CNoise& workingCopy);

    // "適用", "OK" and "予測計算開始...": reads the fields, checks them, and stores every setting into
    // the working copy; the horizontal grid mode lays its grid over the plan window and the vertical
    // grid mode along its line, both replacing the generated points. A refused field or check stores
    // nothing and tells why.
    std::optional<UserMessage> ValidateAndStore(CNoise& workingCopy,
                                                const PredictionGridContext& grids) const;

    // The fields, as the controls show them.
    std::int32_t mode = kSinglePointMode;
    std::string pointX, pointY, pointZ;
    std::string memo;
    std::string rowDivisions, columnDivisions;
    std::string gridHeight, gridTopHeight;
    std::string lineStartX, lineStartY, lineEndX, lineEndY;
    std::string targetTime, effectiveDistance, temperature, humidity, maxReflections;

private:
    std::variant<PredictionValues, UserMessage> ReadFields() const;

    int selectedRow_ = -1;
};

}  // namespace kelmora
