#pragma once
// The editors of each kind of item, made by MakeChainEditor (ChainEditor.h), and the rows of the field
// tables that several of them share.
#include <memory>

#include "editing/ChainEditor.h"
#include "editing/EditorFields.h"
#include "model/Roof.h"

namespace kelmora {

std::unique_ptr<ChainEditor> MakeGroundLineEditor(EditTransaction& transaction, int editMode);
std::unique_ptr<ChainEditor> MakeWallEditor(EditTransaction& transaction, int editMode);
std::unique_ptr<ChainEditor> MakeBuildingEditor(EditTransaction& transaction, int editMode);
std::unique_ptr<ChainEditor> MakeRoofEditor(EditTransaction& transaction, int editMode);
std::unique_ptr<ChainEditor> MakeExteriorWallEditor(EditTransaction& transaction, int editMode);
std::unique_ptr<ChainEditor> MakeRoomEditor(EditTransaction& transaction, int editMode);
std::unique_ptr<ChainEditor> MakeOpeningEditor(EditTransaction& transaction, int editMode);
// The indoor and the outdoor source editor.
std::unique_ptr<ChainEditor> MakeSourceEditor(EditTransaction& transaction, int editMode);

// ---- Shared rows ----

inline constexpr const char* kCornerSnapNote = "＋Ctrlキーで同一建物多角形の近接点指定";
inline constexpr const char* kEdgeSnapNote = "＋Shiftキーで同一建物多角形の線上近接点指定";
inline const std::vector<const char*> kDiffractionChoices{"回折無し", "回折有り"};
inline const std::vector<const char*> kReflectionChoices{"鏡面反射", "散乱反射"};

EditorField MemoRow(const char* label = "メモ :");
EditorField NoteRow(const char* text, const char* group = nullptr);
EditorField SpectrumRow(int controlId, const char* label, const char* name, BandSpectrum spectrum);
EditorField SubListRow(int controlId, const char* label, int listMode);

// The plan point entry X, Y of the exterior wall and room editors (controls 1016 and 1044).
inline constexpr int kPlanEntryXId = 1016;
inline constexpr int kPlanEntryYId = 1044;

// ---- The rectangle of roofs and openings ----

// Controls of the rectangle entry (side A from (X1, Y1, Z1) to (X2, Y2, Z1), a point (X3, Y3, Z3) on
// the line of the opposite side) and its "Z1→Z3" button.
inline constexpr int kRectEntryX1Id = 1016;
inline constexpr int kRectEntryY1Id = 1044;
inline constexpr int kRectEntryX2Id = 1056;
inline constexpr int kRectEntryY2Id = 1024;
inline constexpr int kRectEntryZ1Id = 1039;
inline constexpr int kRectEntryX3Id = 1058;
inline constexpr int kRectEntryY3Id = 1028;
inline constexpr int kRectEntryZ3Id = 1042;
inline constexpr int kCopyZ1ToZ3Id = 1008;

// The rows of the rectangle entry, with the notes on the mouse.
std::vector<EditorField> RectEntryRows();
// The rectangle's entry into the form, and back from the last read.
void LoadRectEntry(EditorForm& form, const RectEntry& entry);
RectEntry ReadRectEntry(const EditorForm& form);
// "Z1→Z3": after a read without issue, Z1 into the Z3 field.
EditorReply CopyZ1ToZ3(EditorForm& form);

}  // namespace kelmora
