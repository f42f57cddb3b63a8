#include "editing/EditorKinds.h"

namespace kelmora {

EditorField MemoRow(const char* label) {
    return {.controlId = kMemoFieldId, .kind = FieldKind::kText, .label = label, .name = "memo"};
}

EditorField NoteRow(const char* text, const char* group) {
    return {.kind = FieldKind::kNote, .label = text, .group = group};
}

EditorField SpectrumRow(int controlId, const char* label, const char* name, BandSpectrum spectrum) {
    return {.controlId = controlId,
            .kind = FieldKind::kSpectrum,
            .label = label,
            .name = name,
            .spectrum = spectrum};
}

EditorField SubListRow(int controlId, const char* label, int listMode) {
    return {.controlId = controlId, .kind = FieldKind::kSubList, .label = label, .listMode = listMode};
}

std::vector<EditorField> RectEntryRows() {
    constexpr const char* kSideA = "矩形の辺Aの始点(X1, Y1, Z1)→終点(X2, Y2, Z1)";
    constexpr const char* kSideC = "辺Aの対辺Cを含む直線が通る点(X3, Y3, Z3)";
    const auto coordinate = [](int id, const char* label, const char* name, const char* group) {
        return EditorField{.controlId = id, .label = label, .name = name, .unit = "m", .group = group};
    };
    return {
        coordinate(kRectEntryX1Id, "X1", "x1", kSideA),
        coordinate(kRectEntryY1Id, "Y1", "y1", kSideA),
        coordinate(kRectEntryX2Id, "X2", "x2", kSideA),
        coordinate(kRectEntryY2Id, "Y2", "y2", kSideA),
        coordinate(kRectEntryZ1Id, "Z1(辺AのZ座標)[m]", "z1", kSideA),
        NoteRow("マウス左クリックで(X1, Y1)、右クリックで(X2, Y2)を指定できます", kSideA),
        coordinate(kRectEntryX3Id, "X3", "x3", kSideC),
        coordinate(kRectEntryY3Id, "Y3", "y3", kSideC),
        coordinate(kRectEntryZ3Id, "Z3", "z3", kSideC),
        {.controlId = kCopyZ1ToZ3Id, .kind = FieldKind::kAction, .label = "Z1→Z3", .group = kSideC},
        NoteRow("Alt＋マウス左クリックで(X3, Y3)を指定できます", kSideC),
        NoteRow(kCornerSnapNote),
        NoteRow(kEdgeSnapNote),
    };
}

void LoadRectEntry(EditorForm& form, const RectEntry& entry) {
    form.SetNumber(kRectEntryX1Id, entry.x1);
    form.SetNumber(kRectEntryY1Id, entry.y1);
    form.SetNumber(kRectEntryZ1Id, entry.z1);
    form.SetNumber(kRectEntryX2Id, entry.x2);
    form.SetNumber(kRectEntryY2Id, entry.y2);
    form.SetNumber(kRectEntryX3Id, entry.x3);
    form.SetNumber(kRectEntryY3Id, entry.y3);
    form.SetNumber(kRectEntryZ3Id, entry.z3);
}

RectEntry ReadRectEntry(const EditorForm& form) {
    return {form.Number(kRectEntryX1Id), form.Number(kRectEntryY1Id), form.Number(kRectEntryZ1Id),
            form.Number(kRectEntryX2Id), form.Number(kRectEntryY2Id), form.Number(kRectEntryX3Id),
            form.Number(kRectEntryY3Id), form.Number(kRectEntryZ3Id)};
}

EditorReply CopyZ1ToZ3(EditorForm& form) {
    if (ValidationResult issue = form.Read()) return ChainEditor::Refused(*issue);
    form.SetNumber(kRectEntryZ3Id, form.Number(kRectEntryZ1Id));
    return {};
}

}  // namespace kelmora
