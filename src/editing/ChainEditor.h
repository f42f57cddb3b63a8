#pragma once
// ChainEditor: the one mechanism behind every editor of the editing chains. An editor edits the
// current item of its level in the working copy (CurrentItems.h); its field table (EditorFields.h)
// says what the dialog shows, and its form (EditorForm.h) holds what the controls hold.
//
// The common behaviour lives here:
//   - every button that needs numbers first reads all numeric fields (EditorForm::Read): a field that
//     is no number or lies outside its limits is refused with the framework's message, the focus goes
//     to it and nothing is stored;
//   - then the editor's own checks run in order; the first that fails is shown in a box titled
//     "入力チェック" with the focus on the control it names, and nothing is stored;
//   - "OK" stores the fields into the item and closes; "適用" stores and redraws; "キャンセル" closes
//     and lets the transaction restore (or remove) the item; "All OK" / "All Cancel" start the cascade
//     first; the buttons of the item's parts store like "OK" and open the part's list;
//   - the point list's buttons change the item's polyline at once and redraw.
// A concrete editor only fills its form from the item (Load), checks and stores it (Store), and adds
// the actions of its own buttons.
//
// The editor knows no window: each button returns an EditorReply that the dialog carries out.
#include <memory>
#include <optional>
#include <vector>

#include "editing/ChainStep.h"
#include "editing/EditTransaction.h"
#include "editing/EditorFields.h"
#include "editing/EditorForm.h"
#include "editing/VertexListEditing.h"
#include "model/UserMessage.h"

namespace kelmora {

// What the dialog does after a button: show the message (and focus its control), send the redraw
// hints, show the form's values again, and close when `close` is set, carrying out its step.
struct EditorReply {
    std::optional<UserMessage> message;
    std::vector<int> hints;
    std::optional<ChainStep> close;
    bool accepted = true;  // the dialog closes as accepted (OK, a part's list) or rejected (cancel)
};

class ChainEditor {
public:
    virtual ~ChainEditor() = default;
    ChainEditor(const ChainEditor&) = delete;
    ChainEditor& operator=(const ChainEditor&) = delete;

    int editMode() const { return editMode_; }
    EditorForm& form() { return form_; }
    const EditorForm& form() const { return form_; }
    EditorButtons buttons() const { return buttons_; }
    // The point list, for the editors of polylines.
    const std::optional<VertexListSpec>& vertexList() const { return vertexList_; }

    // Fills the form from the item; the point list selects its last vertex.
    void Open();

    // The vertices the point list shows (the item's polyline), or null.
    const std::vector<CVector3D>* Vertices() const;
    int selectedVertex() const { return vertices_.selected(); }
    void SelectVertex(int row);
    // Whether a button of the table or of the point list can be pressed now.
    bool IsButtonEnabled(int controlId) const;

    EditorReply Ok();
    EditorReply Apply();
    EditorReply Cancel();
    EditorReply AllOk();
    EditorReply AllCancel();
    // A button of the field table (a part's list, an action) or of the point list.
    EditorReply Press(int controlId);
    // The user changed a check box or a choice.
    EditorReply Changed(int controlId);
    // The text of a field changed (typed, or written by a click on the plan). True when the editor
    // changed other fields of its form in answer (the dialog then shows them).
    bool TextChanged(int controlId);

    // The reply that refuses a button: the field's or the check's message box.
    static EditorReply Refused(const ValidationIssue& issue);

protected:
    ChainEditor(EditTransaction& transaction, int editMode, std::vector<EditorField> fields,
                EditorButtons buttons, std::optional<VertexListSpec> vertexList = std::nullopt);

    EditTransaction& transaction() { return transaction_; }
    const EditTransaction& transaction() const { return transaction_; }

    // The item's fields into the form.
    virtual void Load() = 0;
    // After a read without issue: the editor's checks in order on the item as the form would make it;
    // the first failing one, or the item stored.
    virtual ValidationResult Store() = 0;
    // What a button opening a part's list checks and stores: by default all that "OK" does.
    virtual ValidationResult StoreBeforeSubList();
    // The editor's own buttons and check boxes.
    virtual EditorReply Action(int controlId);
    virtual EditorReply FlagChanged(int controlId);
    // Fields computed from others follow them: true when the form changed.
    virtual bool FieldTextChanged(int controlId);
    // The polyline the point list edits, or null (also when the item is missing).
    virtual std::vector<CVector3D>* EditedVertices();

    // Reads every field, then checks and stores: the first issue, or none.
    ValidationResult ReadAndStore();

private:
    EditorReply Closing(const ChainStep& step, bool accepted);
    EditorReply OpenSubList(int listMode);
    EditorReply VertexButton(int buttonId);
    // The vertex the entry fields held at the last successful read.
    void RememberEntry();

    EditTransaction& transaction_;
    const int editMode_;
    EditorForm form_;
    const EditorButtons buttons_;
    const std::optional<VertexListSpec> vertexList_;
    VertexListEditing vertices_;
    CVector3D lastEntry_;
};

// Checks the item as `fill` would make it, and stores it only when `validate` finds nothing.
template <typename Item, typename Fill, typename Validate>
ValidationResult StoreChecked(Item* item, Fill fill, Validate validate) {
    if (item == nullptr) return std::nullopt;
    Item staged = *item;
    fill(staged);
    if (ValidationResult issue = validate(staged)) return issue;
    *item = std::move(staged);
    return std::nullopt;
}

// The editor of an edit mode (an editor's add or change mode), opened on the current item of its
// level; null for other modes.
std::unique_ptr<ChainEditor> MakeChainEditor(EditTransaction& transaction, int editMode);

}  // namespace kelmora
