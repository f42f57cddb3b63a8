#include "editing/ChainEditor.h"

#include <utility>

#include "editing/EditorKinds.h"
#include "editing/FieldParser.h"

namespace kelmora {

ChainEditor::ChainEditor(EditTransaction& transaction, int editMode, std::vector<EditorField> fields,
                         EditorButtons buttons, std::optional<VertexListSpec> vertexList)
    : transaction_(transaction),
      editMode_(editMode),
      form_(std::move(fields)),
      buttons_(buttons),
      vertexList_(std::move(vertexList)) {}

void ChainEditor::Open() {
    Load();
    if (const std::vector<CVector3D>* vertices = Vertices()) {
        vertices_.Select(static_cast<int>(vertices->size()) - 1, *vertices);
    }
    // "挿入" before any other button inserts what the entry fields showed when the editor opened.
    if (!form_.Read()) RememberEntry();
}

const std::vector<CVector3D>* ChainEditor::Vertices() const {
    return const_cast<ChainEditor*>(this)->EditedVertices();
}

void ChainEditor::SelectVertex(int row) {
    if (const std::vector<CVector3D>* vertices = Vertices()) vertices_.Select(row, *vertices);
}

bool ChainEditor::IsButtonEnabled(int controlId) const {
    if (vertexList_ && VertexListEditing::NeedsVertices(controlId)) {
        const std::vector<CVector3D>* vertices = Vertices();
        return vertices != nullptr && !vertices->empty();
    }
    return form_.IsEnabled(controlId);
}

ValidationResult ChainEditor::ReadAndStore() {
    if (ValidationResult issue = form_.Read()) return issue;
    RememberEntry();
    return Store();
}

ValidationResult ChainEditor::StoreBeforeSubList() {
    return ReadAndStore();
}

EditorReply ChainEditor::Refused(const ValidationIssue& issue) {
    EditorReply reply;
    reply.message = FieldMessage(issue);
    return reply;
}

EditorReply ChainEditor::Closing(const ChainStep& step, bool accepted) {
    EditorReply reply;
    reply.close = step;
    reply.accepted = accepted;
    return reply;
}

EditorReply ChainEditor::Ok() {
    if (ValidationResult issue = ReadAndStore()) return Refused(*issue);
    return Closing(transaction_.EditorClosed(EditorExit::Ok), true);
}

EditorReply ChainEditor::Apply() {
    if (ValidationResult issue = ReadAndStore()) return Refused(*issue);
    EditorReply reply;
    reply.hints = {4};
    return reply;
}

EditorReply ChainEditor::Cancel() {
    return Closing(transaction_.EditorClosed(EditorExit::Cancel), false);
}

EditorReply ChainEditor::AllOk() {
    transaction_.SetCascade(+1);
    return Ok();
}

EditorReply ChainEditor::AllCancel() {
    transaction_.SetCascade(-1);
    return Cancel();
}

EditorReply ChainEditor::OpenSubList(int listMode) {
    if (ValidationResult issue = StoreBeforeSubList()) return Refused(*issue);
    return Closing(transaction_.EditorClosed(EditorExit::OpenSubList, listMode), true);
}

EditorReply ChainEditor::Press(int controlId) {
    if (!IsButtonEnabled(controlId)) return {};
    if (vertexList_ && (controlId == kVertexAddId || controlId == kVertexInsertId ||
                        VertexListEditing::NeedsVertices(controlId))) {
        return VertexButton(controlId);
    }
    const EditorField* field = form_.Find(controlId);
    if (field == nullptr) return {};
    switch (field->kind) {
        case FieldKind::kSubList:
            return OpenSubList(field->listMode);
        case FieldKind::kAction:
            return Action(controlId);
        default:
            return {};
    }
}

EditorReply ChainEditor::Changed(int controlId) {
    const EditorField* field = form_.Find(controlId);
    if (field != nullptr && field->kind == FieldKind::kFlag) return FlagChanged(controlId);
    return {};
}

bool ChainEditor::TextChanged(int controlId) {
    return FieldTextChanged(controlId);
}

EditorReply ChainEditor::Action(int) {
    return {};
}

bool ChainEditor::FieldTextChanged(int) {
    return false;
}

EditorReply ChainEditor::FlagChanged(int) {
    return {};
}

std::vector<CVector3D>* ChainEditor::EditedVertices() {
    return nullptr;
}

void ChainEditor::RememberEntry() {
    if (!vertexList_) return;
    lastEntry_ = {form_.Number(vertexList_->xId), form_.Number(vertexList_->yId),
                  vertexList_->zId != 0 ? form_.Number(vertexList_->zId) : 0.0};
}

EditorReply ChainEditor::VertexButton(int buttonId) {
    std::vector<CVector3D>* vertices = EditedVertices();
    if (vertices == nullptr) return {};
    EditorReply reply;
    switch (buttonId) {
        case kVertexAddId:
        case kVertexChangeId:
            if (ValidationResult issue = form_.Read()) return Refused(*issue);
            RememberEntry();
            if (buttonId == kVertexAddId) {
                vertices_.Append(*vertices, lastEntry_);
            } else {
                vertices_.Replace(*vertices, lastEntry_);
            }
            break;
        case kVertexDeleteId:
            vertices_.Remove(*vertices);
            break;
        case kVertexDeleteAllId:
            vertices_.RemoveAll(*vertices);
            break;
        case kVertexInsertId:
            // The coordinates of the last read, not what the fields show now.
            vertices_.Insert(*vertices, lastEntry_);
            break;
        case kVertexCopyId:
            if (const std::optional<CVector3D> vertex = vertices_.SelectedVertex(*vertices)) {
                form_.SetNumber(vertexList_->xId, vertex->x);
                form_.SetNumber(vertexList_->yId, vertex->y);
                if (vertexList_->zId != 0) form_.SetNumber(vertexList_->zId, vertex->z);
                lastEntry_ = {vertex->x, vertex->y, vertexList_->zId != 0 ? vertex->z : 0.0};
            }
            return reply;
        default:
            return reply;
    }
    reply.hints = {4};
    return reply;
}

std::unique_ptr<ChainEditor> MakeChainEditor(EditTransaction& transaction, int editMode) {
    if (!IsEditorMode(editMode)) return nullptr;
    std::unique_ptr<ChainEditor> editor;
    switch (*LevelOfMode(editMode)) {
        case EditLevel::GroundLine:
            editor = MakeGroundLineEditor(transaction, editMode);
            break;
        case EditLevel::Wall:
            editor = MakeWallEditor(transaction, editMode);
            break;
        case EditLevel::Building:
            editor = MakeBuildingEditor(transaction, editMode);
            break;
        case EditLevel::Roof:
            editor = MakeRoofEditor(transaction, editMode);
            break;
        case EditLevel::ExteriorWall:
            editor = MakeExteriorWallEditor(transaction, editMode);
            break;
        case EditLevel::Room:
            editor = MakeRoomEditor(transaction, editMode);
            break;
        case EditLevel::Opening:
            editor = MakeOpeningEditor(transaction, editMode);
            break;
        case EditLevel::RoomSource:
        case EditLevel::OutdoorSource:
            editor = MakeSourceEditor(transaction, editMode);
            break;
    }
    if (editor) editor->Open();
    return editor;
}

}  // namespace kelmora
