#pragma once
// The acceptance rules of the editors, as plain functions over the objects (or the entries) that an
// editor is about to store. Each returns the first problem found, in the order in which the editor
// reads its fields and runs its checks, or nothing when the input is accepted.
//
// Two kinds of problem exist: a field outside its range, reported with the dialog framework's range
// message, and a failed check of the editor, reported in a message box titled "入力チェック". Both
// name the field concerned and the control that takes the focus.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "geometry/Vector.h"
#include "model/Building.h"
#include "model/GroundLine.h"
#include "model/Noise.h"
#include "model/Room.h"
#include "model/Sound.h"

namespace kelmora {

enum class ValidationKind {
    kRange,  // a field outside its range: the framework's own message box
    kCheck,  // an editor check: a message box titled kCheckCaption
};

struct ValidationIssue {
    ValidationKind kind = ValidationKind::kCheck;
    std::string message;  // the text shown, exactly
    std::string field;    // the field or entry concerned: "rangeEnd", "polyline", "walls", "x2", ...
    int controlId = 0;    // the control that receives the focus

    friend bool operator==(const ValidationIssue&, const ValidationIssue&) = default;
};

using ValidationResult = std::optional<ValidationIssue>;

inline constexpr const char* kCheckCaption = "入力チェック";
// Shown by the framework for a numeric field that does not parse as a number.
inline constexpr const char* kNotANumberMessage = "数字を入力してください。";

// ---- Limits of the editors' numeric fields ----

// The values a numeric field takes, limits included, in the field's unit.
struct FieldLimits {
    double low = 0.0;
    double high = 0.0;
};

inline constexpr double kLargestFieldValue = std::numeric_limits<double>::max();

inline constexpr FieldLimits kGroundVertexPlanLimits{-10000.0, 100000.0};      // m, vertex X and Y
inline constexpr FieldLimits kGroundVertexHeightLimits{-10000.0, 10000.0};     // m, vertex Z
inline constexpr FieldLimits kWallRangeLimits{0.0, 100000.0};                  // m along the ground line
inline constexpr FieldLimits kWallHeightLimits{0.0, 100.0};                    // m
inline constexpr FieldLimits kWallOffsetHorizontalLimits{-100.0, 100.0};       // m, left of the line +
inline constexpr FieldLimits kWallOffsetVerticalLimits{0.0, 100.0};            // m, gap above the ground
inline constexpr FieldLimits kSlopeDistanceLimits{0.0, 1000.0};                // m, shoulder to foot
inline constexpr FieldLimits kRoomSurfaceAreaLimits{1.0, kLargestFieldValue};  // m²
// m²; a negative or unbounded area would make the opening radiate a power that is no number.
inline constexpr FieldLimits kOpeningAreaLimits{0.0, kLargestFieldValue};
inline constexpr FieldLimits kDirectivityLimits{1.0, kLargestFieldValue};    // Q of openings and sources
inline constexpr FieldLimits kEventDurationLimits{0.0, kLargestFieldValue};  // s
inline constexpr FieldLimits kEventsPerHourLimits{0.0, kLargestFieldValue};  // 1/h

// The band editor's values, per kind of spectrum.
inline constexpr FieldLimits kAbsorptionLimits{0.0, 1.0};          // absorption coefficients
inline constexpr FieldLimits kTransmissionLossLimits{0.0, 300.0};  // dB
inline constexpr FieldLimits kSoundPowerLimits{-300.0, 300.0};     // dB, average and maximum power

// The prediction dialog's fields.
inline constexpr FieldLimits kPointCoordinateLimits{-10000.0, 10000.0};  // m, point X, Y, Z; the grid line
inline constexpr FieldLimits kGridHeightLimits{0.0, 1000.0};             // m above the ground
inline constexpr FieldLimits kGridTopHeightLimits{2.0, 10000.0};         // m above the ground
inline constexpr FieldLimits kTargetTimeLimits{600.0, 86400.0};          // s
inline constexpr FieldLimits kEffectiveDistanceLimits{1.0, 10000.0};     // m
inline constexpr FieldLimits kTemperatureLimits{-50.0, 50.0};            // °C
inline constexpr FieldLimits kHumidityLimits{0.0, 100.0};                // %

// The values an integer field takes, limits included.
struct IntegerFieldLimits {
    std::int32_t low = 0;
    std::int32_t high = 0;
};

inline constexpr IntegerFieldLimits kGridDivisionsLimits{1, 1000};  // rows and columns of a grid
inline constexpr IntegerFieldLimits kMaxReflectionsLimits{0, 100};

// ---- Range checks of the dialog framework ----

// A range limit as the range messages print it: the shortest form of up to 15 significant digits
// ("100000", "0.5", "-10000", "1.79769313486232e+308").
std::string FormatRangeLimit(double limit);
// "%1 から %2 までの数字を入力してください。" with the two limits. A range bounded on one side only (the
// other limit the largest double, or its negative) says that one: "%1 以上の数字を入力してください。" or
// "%1 以下の数字を入力してください。".
std::string NumberRangeMessage(double low, double high);
// "%1 から %2 までの整数を入力してください。" with the two limits; with one limit only (the other the
// largest or smallest int32) "%1 以上の整数を入力してください。" or "%1 以下の整数を入力してください。".
std::string IntegerRangeMessage(std::int32_t low, std::int32_t high);
// The allowed values as the model's value messages say them: "%1 から %2 まで", "%1 以上" or "%1 以下".
std::string RangeText(double low, double high);
std::string RangeText(std::int32_t low, std::int32_t high);

// A value outside low..high (limits included; NaN is outside every range) gives the range message.
ValidationResult CheckNumberRange(double value, double low, double high, const char* field, int controlId);
ValidationResult CheckNumberRange(double value, FieldLimits limits, const char* field, int controlId);
ValidationResult CheckIntegerRange(std::int32_t value, std::int32_t low, std::int32_t high, const char* field,
                                   int controlId);
ValidationResult CheckIntegerRange(std::int32_t value, IntegerFieldLimits limits, const char* field,
                                   int controlId);

// ---- Ground lines and walls ----

// The vertex entry fields X, Y, Z of the ground line editor.
ValidationResult ValidateGroundVertexEntry(const CVector3D& entry);
// The check made before the wall list opens: the line needs 2 vertices.
ValidationResult ValidateGroundLineVertexCount(const CGroundLine& line);
// "OK" of the ground line editor: 2 vertices, then every wall's range end within the line's length
// (the message numbers the walls from 1 in list order).
ValidationResult ValidateGroundLine(const CGroundLine& line);
// "OK" / "適用" of the wall editor: the ranges of every field, then the range order and the height
// of a barrier.
ValidationResult ValidateWall(const CWall& wall);

// ---- Building shells ----

// The rectangle entry of the roof and opening editors: side A not rising towards side C, side A and
// side B at least 1 m long.
ValidationResult ValidateRectEntry(const RectEntry& entry);
// "OK" of the exterior wall editor: vertex count for the wall's kind, used edges ≥ 1 m in plan, top
// above bottom.
ValidationResult ValidateBuildingWall(const CBuildingWall& wall);

// ---- Rooms, openings, sources ----

// "OK" of the room editor and the check before its lists open: surface area ≥ 1 m², no outline or at
// least 3 vertices, edges ≥ 1 m in plan, ceiling ≥ 1 m above the floor.
ValidationResult ValidateRoom(const CRoom& room);
// "OK" / "適用" / "包含する開口部情報..." of the opening editor: the entered area ≥ 0 (also while the
// area is taken from the rectangle), Q ≥ 1, then the rectangle entry.
ValidationResult ValidateOpening(const CWindow& opening, const RectEntry& entry);
// The indoor and outdoor source editors: Q ≥ 1, duration ≥ 0, events per hour ≥ 0.
ValidationResult ValidateSource(const CSound& source);

// ---- Prediction settings ----

// "適用" / "OK" / "予測計算開始..." of the prediction dialog over the model's point settings and
// calculation conditions; pointEntry holds the X, Y, Z fields (the single point, or the point to add).
ValidationResult ValidatePredictionSettings(const CNoise& model, const CVector3D& pointEntry);

}  // namespace kelmora
