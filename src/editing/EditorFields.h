#pragma once
// The field table of an editor: one row per control of the dialog, in the order in which the dialog
// shows and reads them. The table is all that the window side needs to build and bind the dialog, and
// all that the editor's plain class needs to read the controls: a control's identifier, the field it
// edits, its label, its limits or choices and the rule that enables it.
#include <optional>
#include <vector>

#include "editing/BandEditorCallers.h"
#include "model/Validation.h"

namespace kelmora {

enum class FieldKind {
    kNumber,    // a line edit holding a number, read and checked against `limits` on every button
    kText,      // a line edit holding free text (the memo)
    kChoice,    // a drop-down list; the value is the index of the chosen item
    kRadios,    // a group of radio buttons (`choiceIds`); the value is the index of the checked one
    kFlag,      // a check box; the value is 0 or 1
    kSpectrum,  // a button that opens the band editor on one spectrum of the item
    kSubList,   // a button that stores the item and opens the list of its parts (`listMode`)
    kAction,    // a button with an action of the editor itself ("Z1→Z3", "→Z座標編集")
    kNote,      // a line of explaining text; no value
};

// A control that is enabled only while the choice or flag `controlId` has the value `value`.
struct EnableRule {
    int controlId = 0;  // 0: always enabled
    int value = 0;
};

struct EditorField {
    int controlId = 0;
    FieldKind kind = FieldKind::kNumber;
    const char* label = "";               // the label (or the button's text) exactly as the dialog shows it
    const char* name = "";                // the item's field or the entry it edits, as ValidationIssue::field
    const char* unit = "";                // "m", "m2", "s", "1/h" or "" for numbers without a unit
    std::optional<FieldLimits> limits{};  // numbers: the allowed values; none: any finite number
    std::vector<const char*> choices{};   // choices and radios: the items in the order of their values
    std::vector<int> choiceIds{};         // radios: the control of each item
    BandSpectrum spectrum = BandSpectrum::kAbsorption;  // spectrum buttons
    int listMode = 0;                                   // sub-list buttons: the edit mode of the list
    EnableRule enabledWhen{};
    const char* group = nullptr;  // the titled box around the control, if any
    const char* hint = nullptr;   // a short text shown after the control
};

// The common buttons besides "OK" and "キャンセル".
struct EditorButtons {
    bool apply = false;    // "適用" (1005)
    bool cascade = false;  // "All OK" (1006) and "All Cancel" (1007)
};

// Identifiers of the common buttons and fields.
inline constexpr int kApplyButtonId = 1005;      // "適用"
inline constexpr int kAllOkButtonId = 1006;      // "All OK"
inline constexpr int kAllCancelButtonId = 1007;  // "All Cancel"
inline constexpr int kMemoFieldId = 1035;        // "メモ :"

// The point list of the editors of polylines: its entry fields and its buttons.
inline constexpr int kVertexListId = 1001;
inline constexpr int kVertexAddId = 1004;        // "追加"
inline constexpr int kVertexChangeId = 1008;     // "変更"
inline constexpr int kVertexDeleteId = 1018;     // "削除"
inline constexpr int kVertexDeleteAllId = 1017;  // "全削除"
inline constexpr int kVertexInsertId = 1020;     // "挿入"
inline constexpr int kVertexCopyId = 1019;       // "数値コピー"

struct VertexListSpec {
    std::vector<const char*> headers;  // the column headers, one per coordinate
    int xId = 0;                       // the entry fields of a vertex
    int yId = 0;
    int zId = 0;  // 0: plan vertices, stored with z = 0
};

}  // namespace kelmora
