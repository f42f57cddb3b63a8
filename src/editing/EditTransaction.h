#pragma once
// EditTransaction: a document's site model and every edit of it. All editing happens on a working copy
// of the model through a chain of dialogs — a command opens a list, the list hands one item to an
// editor, an editor may open the list of its item's parts, down to openings inside openings — and
// reaches the model only when the outermost list is closed with OK (or the prediction dialog with OK
// or "予測計算開始..."). Every Cancel restores an exact snapshot.
//
// One owner for each piece of state:
//   - `editMode` and the current index of every level live in the EditState that the plan reads
//     (view/EditState.h); the plan highlights those items and turns clicks into fields with them;
//   - the snapshots and the return mode of every level, the cascade, the dialog centre, the document's
//     file path, origin and modified flag, and the history of committed steps (undo and redo) live
//     here.
//
// The class knows no window. Each operation changes the state and returns a ChainStep (ChainStep.h)
// that says which redraw hints to send, which dialog to open next, whether to queue ResumeChain and
// whether to start the calculation; the window side carries it out. Operations called in a state where
// they do not apply change nothing and return an empty step.
//
// How the dialogs of a chain use it (the dialogs hold no chain state of their own):
//   list (modal):  SelectListRow / ClearListSelection as the selection changes; "追加..." appends its
//                  default item to ListItems…() and calls ListClosed(Add, newIndex); "変更..."
//                  ListClosed(Change, row); OK / キャンセル (also Esc and the close box)
//                  ListClosed(Ok / Cancel).
//   editor:        edits the item named by the current indices (CurrentItems.h) in the working copy;
//                  OK / キャンセル / a button opening a sub-list call EditorClosed; "All OK" / "All
//                  Cancel" call SetCascade(±1) first.
//   every dialog:  when shown with DialogRequest::cascadePress ≠ 0, presses its own OK or Cancel at
//                  once; when it closes, stores its centre with SetDialogCentre.
#include <optional>
#include <string>
#include <vector>

#include "editing/ChainStep.h"
#include "editing/EditLevels.h"
#include "editing/UndoHistory.h"
#include "model/Noise.h"
#include "model/ProjectExtras.h"
#include "view/EditState.h"

namespace kelmora {

// A point on the screen [px], where the next dialog of the chain is centred.
struct ScreenPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The names of the committed steps of a plan window's view data, as the edit menu's undo shows them.
inline constexpr const char* kSizeChangeStepName = "サイズ変更";
inline constexpr const char* kPictureStepName = "背景画像の変更";

// How a list closed.
enum class ListExit {
    Ok,      // its own OK: ends the list
    Cancel,  // its own Cancel, Esc or the close box: ends the list and undoes it
    Add,  // "追加..." (and "選択地表線移動追加..."): the item appended at the given index goes to the editor
    Change,  // "変更...": the item at the given index goes to the editor
};

// How an editor closed.
enum class EditorExit {
    Ok,           // its fields were checked and stored
    Cancel,       // also Esc and the close box
    OpenSubList,  // a button that opens the list of the item's parts (the fields were checked and stored)
};

// How the prediction dialog closed.
enum class PredictionExit {
    Ok,
    Cancel,
    StartCalculation,  // "予測計算開始...": the settings were checked and stored
};

// The snapshots of one level of a chain.
template <typename Item>
struct LevelMemory {
    int returnMode = kIdleMode;    // the add or change mode this level's editor was last opened in
    std::optional<Item> handover;  // the item as its list handed it to the editor
    std::optional<Item> reopen;    // the item when its editor was last opened or opened a sub-list
};

// The snapshots of every level. `openings` has one entry per open opening list, outermost first, in
// step with EditState::openingLevels.
struct ChainMemory {
    LevelMemory<CGroundLine> groundLine;
    LevelMemory<CWall> wall;
    LevelMemory<CBuilding> building;
    LevelMemory<CRoof> roof;
    LevelMemory<CBuildingWall> exteriorWall;
    LevelMemory<CRoom> room;
    std::vector<LevelMemory<CWindow>> openings;
    LevelMemory<CSound> roomSource;
    LevelMemory<CSound> outdoorSource;
};

class EditTransaction {
public:
    EditTransaction() = default;

    // ---- The document's model and file -------------------------------------------------------------

    const CNoise& model() const { return model_; }
    // The model a calculation works on: it rebuilds its opening sources and stores the levels of its
    // points there. Nothing else changes the model outside the operations below.
    CNoise& modelForCalculation() { return model_; }
    // The copy the open lists and editors work on; empty while no chain or prediction dialog is open.
    const CNoise& workingCopy() const { return workingCopy_; }
    CNoise& workingCopy() { return workingCopy_; }
    // The model the lists and editors show: the working copy while a list or editor is open (edit
    // modes 3–29) or the prediction dialog (30), the model otherwise.
    const CNoise& ModelUnderEdit() const;
    CNoise& ModelUnderEdit();

    const EditState& edit() const { return edit_; }
    int editMode() const { return edit_.editMode; }
    const ChainMemory& memory() const { return memory_; }

    // The path the plain save writes to; empty when the save has to ask for a name. Every committed
    // step clears it; it comes back when undo or redo returns to the step the document was saved at.
    const std::string& path() const { return path_; }
    // True except exactly at the step the document was opened or last saved at.
    bool modified() const { return modified_; }
    // The project file the document came from: the file it was opened from or last saved to, or for a
    // restored backup the project the backup was made of; empty for a document never saved. Commits
    // leave it: "名前を付けて保存" starts there.
    const std::string& origin() const { return origin_; }
    void SetOrigin(std::string origin) { origin_ = std::move(origin); }

    // What the project's extension file holds: coordinates, limits, scenarios, map settings.
    const ProjectExtras& extras() const { return extras_; }

    // New contents (new document, opened file, restored backup): the model, the file it came from
    // (empty for none; also its origin), the modified flag and the extras. Every chain state and the
    // undo history are dropped; a modified document has no clean state to come back to.
    void Load(CNoise model, std::string path, bool modified, ProjectExtras extras = {});
    // The document was saved to `path` (also its origin): the current step is the clean one.
    void Saved(std::string path);
    // A change without an undo step that the plain save must not write over the file the document came
    // from: sets the modified flag and clears the path, so that "上書き保存" asks for a name like
    // "名前を付けて保存"; no step counts as saved any more.
    void MarkModified();
    // Deleting the document's contents (new, open, close): the open dialog is forgotten and the chain
    // ends without touching the model.
    void DropChain();

    // ---- Commands ----------------------------------------------------------------------------------

    // The edit-menu commands (and the picture change) are enabled exactly while no dialog of the
    // document is open and no calculation runs.
    bool CommandsEnabled() const { return edit_.editMode == kIdleMode; }
    // The document may be closed: not while a dialog of its own is open, and never while a
    // calculation runs on its model.
    bool CanClose() const { return edit_.editMode == kIdleMode; }

    // "地表線情報...", "建物情報...", "屋外音源情報...": the working copy becomes a copy of the model,
    // every level is reset and the outermost list opens, centred at `centre`.
    ChainStep StartChain(EditCommand command, ScreenPoint centre);
    // "予測...": the prediction dialog on a copy of the model; its point list's last row is selected
    // when the points are given as a list.
    ChainStep BeginPrediction(ScreenPoint centre);
    // "サイズ変更...": the modeless size dialog; the model is not copied.
    ChainStep BeginSizeChange(ScreenPoint centre);

    // The queued continuation of a chain: re-runs the command of the current chain and opens the
    // dialog of the current edit mode — a list, or an editor on the current item of its level (whose
    // return mode and reopen snapshot are taken here).
    ChainStep ResumeChain();

    // A committed change made outside the chain dialogs (an import, a scenario applied to the model,
    // limits or map settings changed): the model and the extras become the given ones in one step named
    // `name` (as the edit menu shows it, e.g. "インポート"), and the document is modified. Refused (an
    // empty step) while a dialog of the document is open or a calculation runs.
    ChainStep CommitChange(std::string name, CNoise model, ProjectExtras extras);
    // A committed change of the view data of the plan window `windowId` (the size dialog's "適用" and
    // the background picture, made while no other dialog is open): `before` and `after` are the view
    // data around the change, which the window already shows; the step carries the redraw `hints`.
    ChainStep CommitViewChange(std::string name, int windowId, const CKelmoraViewData& before,
                               const CKelmoraViewData& after, std::vector<int> hints);

    // ---- Undo and redo ----------------------------------------------------------------------------

    // "元に戻す" and "やり直し": enabled while no dialog is open, no calculation runs and there is a
    // step to take back or make again.
    bool CanUndo() const { return CommandsEnabled() && history_.CanUndo(); }
    bool CanRedo() const { return CommandsEnabled() && history_.CanRedo(); }
    // The name of that step ("建物情報の変更"), "" when there is none.
    std::string UndoName() const { return history_.UndoName(); }
    std::string RedoName() const { return history_.RedoName(); }
    // Takes back the last committed step (or makes the next one again): the model and extras as they
    // were before (after) it, the modified flag and path of that step; the step sends the commit's
    // redraw hints and, for a window's view data, the change to put into that window. Refused (an
    // empty step) while a dialog is open, a calculation runs, or there is no such step.
    ChainStep Undo();
    ChainStep Redo();
    const UndoHistory& history() const { return history_; }

    // ---- Lists -------------------------------------------------------------------------------------

    // The open list's selected row becomes its level's current item (the plan highlights it).
    ChainStep SelectListRow(int row);
    // The open list became empty: its level has no current item.
    ChainStep ClearListSelection();
    // The open list closes. Add and Change hand the item at `row` to the editor; Ok and Cancel end the
    // list: the outermost lists commit their collection or discard the working copy, the nested lists
    // return to the editor of the enclosing item (Cancel first restores that item as it was when the
    // list opened).
    ChainStep ListClosed(ListExit exit, int row = -1);

    // ---- Editors -----------------------------------------------------------------------------------

    // The open editor closes. Ok keeps the item; Cancel restores it as its list handed it over (or
    // removes it when it was being added); OpenSubList goes to the list `subListMode` of the item's
    // parts: the ground-line editor's walls (6), the building editor's roofs (12), exterior walls (15)
    // and rooms (18), the room editor's openings (21) and sources (24), the opening editor's contained
    // openings (21). Each then goes on with a queued ResumeChain.
    ChainStep EditorClosed(EditorExit exit, int subListMode = 0);

    // "All OK" (+1) and "All Cancel" (−1) of an editor, before it closes with OK or Cancel: every dialog
    // shown from then on presses its own OK or Cancel, and the outermost list ends the cascade.
    void SetCascade(int direction);
    int cascade() const { return cascade_; }

    // ---- Prediction dialog, calculation, size dialog -----------------------------------------------

    // The prediction dialog's selected row of its point list (the plan highlights that point).
    ChainStep SelectPredictionPoint(int row);
    // The prediction dialog closes. Ok commits the whole working copy; Cancel discards it;
    // StartCalculation commits it and starts the calculation of the model (edit mode 1).
    ChainStep PredictionClosed(PredictionExit exit);
    // The calculation has ended (completed, cancelled or failed) and its progress dialog closed.
    ChainStep CalculationEnded();
    // The size dialog's "戻る" (and its close box).
    ChainStep SizeDialogClosed();

    // The end of a modeless dialog of the chain that has set the edit mode itself: an editor's mode goes
    // back to its list, and the chain resumes; 30 (prediction committed) → 0 and modified; 1 → the
    // calculation starts; 2 → 0. The exits above end with it.
    ChainStep DialogClosed();

    // ---- Dialog placement --------------------------------------------------------------------------

    // Where the next dialog is centred: set by the commands from the active plan window, and by every
    // list and editor from its own centre when it closes.
    ScreenPoint dialogCentre() const { return dialogCentre_; }
    void SetDialogCentre(ScreenPoint centre) { dialogCentre_ = centre; }

private:
    // Every level back to "none"; the opening stack emptied.
    void ResetLevels();
    // The outermost list ended: the working copy goes, the chain state with it.
    void EndChain();
    ChainStep OpenCurrentDialog();
    ChainStep EnterEditor();
    ChainStep CloseOuterList(EditLevel level, ListExit exit);
    ChainStep CloseNestedList(EditLevel level, ListExit exit);
    ChainStep CloseOpeningList(ListExit exit);
    // A committed step was recorded: the document is modified and the plain save asks for a name.
    void Changed();
    // After undo or redo: unmodified, with the path it was saved to, exactly at the clean step.
    void FollowCleanState();
    ChainStep HistoryStep(const UndoStep& step, bool undo);

    CNoise model_;
    ProjectExtras extras_;
    CNoise workingCopy_;
    EditState edit_;
    ChainMemory memory_;
    int cascade_ = 0;
    ScreenPoint dialogCentre_;
    std::string path_;
    bool modified_ = false;
    std::string origin_;
    std::string cleanPath_;  // the path of the clean step
    UndoHistory history_;
};

}  // namespace kelmora
