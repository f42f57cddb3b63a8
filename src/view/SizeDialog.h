#pragma once
// The size dialog ("サイズ変更"): the user says how many metres a stretch of screen pixels represents and
// which model point lies under which client position, and the window's calibration (metres → picture
// pixels) is set from it at the current zoom.
#include <optional>
#include <string>

#include "model/ViewRecord.h"
#include "view/ClientPoint.h"
#include "view/DisplayTransform.h"

namespace kelmora {

// Control identifiers of the dialog's fields and buttons.
inline constexpr int kSizeOnScreenLengthId = 1000;   // "画面上の長さ" [px]
inline constexpr int kSizePositionXId = 1001;        // "画面上の位置" X [px]
inline constexpr int kSizeLogicalLengthId = 1002;    // "論理上の長さ[m]"
inline constexpr int kSizePositionYId = 1003;        // "画面上の位置" Y [px]
inline constexpr int kSizeLowerLeftButtonId = 1004;  // "画像左下(デフォルト値)"
inline constexpr int kSizeApplyButtonId = 1005;      // "適用"
inline constexpr int kSizeLogicalXId = 1006;         // "論理座標" X [m]
inline constexpr int kSizeLogicalYId = 1007;         // "論理座標" Y [m]

inline constexpr const char* kSizeDialogCaption = "サイズ変更";
inline constexpr const char* kSizeNoPlanViewMessage = "適用したい画面をクリックしてください.";

// The dialog's values (all doubles); the initial ones are those shown when no plan window is active.
struct SizeDialogValues {
    double onScreenLength = 100.0;  // px
    double logicalLength = 100.0;   // m
    double positionX = 0.0;         // client px
    double positionY = 0.0;
    double logicalX = 0.0;  // m
    double logicalY = 0.0;

    friend bool operator==(const SizeDialogValues&, const SizeDialogValues&) = default;
};

// On opening: the picture's current on-screen width, the metres that width spans, the client position of
// the model origin, and the model origin as the logical point.
SizeDialogValues SizeDialogInitialValues(const CKelmoraViewData& v);

// "画像左下(デフォルト値)": the position becomes the picture's current on-screen lower-left corner.
void SetPositionToPictureLowerLeft(const CKelmoraViewData& v, SizeDialogValues& values);

// A value the dialog refuses: the control to fix and the message to show.
struct SizeDialogProblem {
    int controlId = 0;
    std::string message;

    friend bool operator==(const SizeDialogProblem&, const SizeDialogProblem&) = default;
};

// The range checks of "適用", in the order of the fields: on-screen length 10 … 3840 px, logical length
// 0.1 … 100000 m, position within the int32 range, logical coordinates any finite number.
std::optional<SizeDialogProblem> ValidateSizeDialog(const SizeDialogValues& values);

// "適用" on valid values: logical length metres now cover on-screen length pixels at the current zoom,
// and the logical point lands exactly under the position. Only the calibration changes.
void ApplySizeDialog(CKelmoraViewData& v, const SizeDialogValues& values);

// The on-screen length measured by a left drag in the plan while the dialog is open: the distance from
// the press to the release point, truncated to whole pixels.
int DragLengthPx(ClientPoint start, ClientPoint end);
// The same in the window record's client pixels, for a drag between two shown pixels of a window whose
// display transform scales what it shows.
int DragLengthPx(ClientPoint start, ClientPoint end, const DisplayTransform& display);

}  // namespace kelmora
