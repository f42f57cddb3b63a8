#include "editing/EditTransaction.h"

#include <utility>

#include "editing/CurrentItems.h"

namespace kelmora {

namespace {

// One level of the chain as the transaction works on it: its collection in the working copy, its
// current index in the edit state, its snapshots. `items` and `index` are null when the level does not
// exist at the moment (an opening level while no opening list is open, or a missing parent item).
template <typename Item>
struct LevelRef {
    std::vector<Item>* items = nullptr;
    int* index = nullptr;
    LevelMemory<Item>* memory = nullptr;

    Item* item() const {
        if (items == nullptr || index == nullptr || *index < 0) return nullptr;
        const auto i = static_cast<std::size_t>(*index);
        return i < items->size() ? &(*items)[i] : nullptr;
    }
};

template <typename Item>
LevelRef<Item> Ref(std::vector<Item>* items, int& index, LevelMemory<Item>& memory) {
    return {items, &index, &memory};
}

// Calls f with the LevelRef of `level`; the opening level is the innermost open one.
template <typename F>
void WithLevel(EditLevel level, CNoise& wc, EditState& edit, ChainMemory& mem, F&& f) {
    switch (level) {
        case EditLevel::GroundLine:
            f(Ref(&wc.groundLines, edit.currentGroundLine, mem.groundLine));
            return;
        case EditLevel::Wall: {
            CGroundLine* line = CurrentGroundLine(wc, edit);
            f(Ref(line ? &line->walls : nullptr, edit.currentWall, mem.wall));
            return;
        }
        case EditLevel::Building:
            f(Ref(&wc.buildings, edit.currentBuilding, mem.building));
            return;
        case EditLevel::Roof: {
            CBuilding* building = CurrentBuilding(wc, edit);
            f(Ref(building ? &building->roofs : nullptr, edit.currentRoof, mem.roof));
            return;
        }
        case EditLevel::ExteriorWall: {
            CBuilding* building = CurrentBuilding(wc, edit);
            f(Ref(building ? &building->walls : nullptr, edit.currentExteriorWall, mem.exteriorWall));
            return;
        }
        case EditLevel::Room: {
            CBuilding* building = CurrentBuilding(wc, edit);
            f(Ref(building ? &building->rooms : nullptr, edit.currentRoom, mem.room));
            return;
        }
        case EditLevel::Opening: {
            if (edit.openingLevels.empty() || mem.openings.size() != edit.openingLevels.size()) {
                f(LevelRef<CWindow>{});
                return;
            }
            const std::size_t depth = edit.openingLevels.size() - 1;
            f(Ref(OpeningsAtLevel(wc, edit, depth), edit.openingLevels.back(), mem.openings.back()));
            return;
        }
        case EditLevel::RoomSource: {
            CRoom* room = CurrentRoom(wc, edit);
            f(Ref(room ? &room->sources : nullptr, edit.currentRoomSource, mem.roomSource));
            return;
        }
        case EditLevel::OutdoorSource:
            f(Ref(&wc.outdoorSources, edit.currentOutdoorSource, mem.outdoorSource));
            return;
    }
}

// The lists an editor's buttons open, by the editor's level.
bool OpensSubList(EditLevel editorLevel, int subListMode) {
    switch (editorLevel) {
        case EditLevel::GroundLine:
            return subListMode == kWallListMode;
        case EditLevel::Building:
            return subListMode == kRoofListMode || subListMode == kExteriorWallListMode ||
                   subListMode == kRoomListMode;
        case EditLevel::Room:
            return subListMode == kOpeningListMode || subListMode == kRoomSourceListMode;
        case EditLevel::Opening:
            return subListMode == kOpeningListMode;
        default:
            return false;
    }
}

bool IsOutermost(EditLevel level) {
    return !ParentLevel(level).has_value();
}

// After a cancelled addition the list selects its last remaining row, except the ground-line and
// opening lists, which start again from their first row.
int IndexAfterCancelledAddition(EditLevel level, int removedIndex) {
    if (level == EditLevel::GroundLine || level == EditLevel::Opening) return -1;
    return removedIndex - 1;
}

ChainStep Hints(std::vector<int> hints) {
    ChainStep step;
    step.hints = std::move(hints);
    return step;
}

// The names of the committed steps of the chains and the prediction dialog, as the edit menu shows them.
const char* ChainStepName(EditLevel outermost) {
    switch (outermost) {
        case EditLevel::GroundLine:
            return "地表線情報の変更";
        case EditLevel::Building:
            return "建物情報の変更";
        default:
            return "屋外音源情報の変更";
    }
}
constexpr const char* kPredictionStepName = "予測条件の変更";

DocumentPart CollectionOf(EditLevel outermost) {
    switch (outermost) {
        case EditLevel::GroundLine:
            return DocumentPart::GroundLines;
        case EditLevel::Building:
            return DocumentPart::Buildings;
        default:
            return DocumentPart::OutdoorSources;
    }
}

ChainStep Resume() {
    ChainStep step;
    step.resume = true;
    return step;
}

}  // namespace

const CNoise& EditTransaction::ModelUnderEdit() const {
    return edit_.editMode >= kGroundLineListMode ? workingCopy_ : model_;
}

CNoise& EditTransaction::ModelUnderEdit() {
    return edit_.editMode >= kGroundLineListMode ? workingCopy_ : model_;
}

void EditTransaction::Load(CNoise model, std::string path, bool modified, ProjectExtras extras) {
    DropChain();
    model_ = std::move(model);
    extras_ = std::move(extras);
    path_ = std::move(path);
    origin_ = path_;
    cleanPath_ = path_;
    modified_ = modified;
    history_.Clear();
    if (modified) history_.ForgetClean();
}

void EditTransaction::Saved(std::string path) {
    path_ = std::move(path);
    origin_ = path_;
    cleanPath_ = path_;
    modified_ = false;
    history_.MarkClean();
}

void EditTransaction::MarkModified() {
    Changed();
    history_.ForgetClean();
}

void EditTransaction::Changed() {
    modified_ = true;
    path_.clear();
}

void EditTransaction::FollowCleanState() {
    modified_ = !history_.AtCleanState();
    path_ = modified_ ? std::string() : cleanPath_;
}

ChainStep EditTransaction::CommitChange(std::string name, CNoise model, ProjectExtras extras) {
    if (!CommandsEnabled()) return {};
    history_.RecordModel(std::move(name), {5}, kModelAndExtras, model_, extras_, model, extras);
    model_ = std::move(model);
    extras_ = std::move(extras);
    Changed();
    ChainStep step = Hints({5});
    step.outcome = ChainOutcome::Committed;
    return step;
}

ChainStep EditTransaction::CommitViewChange(std::string name, int windowId, const CKelmoraViewData& before,
                                            const CKelmoraViewData& after, std::vector<int> hints) {
    if (edit_.editMode != kIdleMode && edit_.editMode != kSizeChangeMode) return {};
    history_.RecordView(std::move(name), hints, windowId, before, after);
    Changed();
    return Hints(std::move(hints));
}

ChainStep EditTransaction::Undo() {
    if (!CanUndo()) return {};
    return HistoryStep(*history_.Undo(model_, extras_), true);
}

ChainStep EditTransaction::Redo() {
    if (!CanRedo()) return {};
    return HistoryStep(*history_.Redo(model_, extras_), false);
}

ChainStep EditTransaction::HistoryStep(const UndoStep& done, bool undo) {
    FollowCleanState();
    ChainStep step = Hints(done.hints);
    step.outcome = ChainOutcome::Committed;
    if (done.view) {
        const CKelmoraViewData& before = *done.view->before.value;
        const CKelmoraViewData& after = *done.view->after.value;
        step.viewChange = undo ? WindowViewChange{done.windowId, after, before}
                               : WindowViewChange{done.windowId, before, after};
    }
    return step;
}

void EditTransaction::DropChain() {
    EndChain();
    edit_.editMode = kIdleMode;
}

void EditTransaction::ResetLevels() {
    const int mode = edit_.editMode;
    edit_ = EditState{};
    edit_.editMode = mode;
    memory_ = ChainMemory{};
}

void EditTransaction::EndChain() {
    workingCopy_ = CNoise{};
    ResetLevels();
    cascade_ = 0;
}

ChainStep EditTransaction::StartChain(EditCommand command, ScreenPoint centre) {
    int listMode = 0;
    switch (command) {
        case EditCommand::GroundLines:
            listMode = kGroundLineListMode;
            break;
        case EditCommand::Buildings:
            listMode = kBuildingListMode;
            break;
        case EditCommand::OutdoorSources:
            listMode = kOutdoorSourceListMode;
            break;
        default:
            return {};
    }
    if (!CommandsEnabled()) return {};
    workingCopy_ = model_;
    ResetLevels();
    cascade_ = 0;
    dialogCentre_ = centre;
    edit_.editMode = listMode;
    return ResumeChain();
}

ChainStep EditTransaction::BeginPrediction(ScreenPoint centre) {
    if (!CommandsEnabled()) return {};
    workingCopy_ = model_;
    ResetLevels();
    cascade_ = 0;
    dialogCentre_ = centre;
    edit_.editMode = kPredictionMode;
    const CCalcInfo& calc = workingCopy_.calcInfo;
    if (calc.mode == kPointListMode) edit_.selectedPointIndex = static_cast<int>(calc.pointList.size()) - 1;
    ChainStep step = Hints({2});
    step.open = DialogRequest{kPredictionMode, false, 0};
    return step;
}

ChainStep EditTransaction::BeginSizeChange(ScreenPoint centre) {
    if (!CommandsEnabled()) return {};
    dialogCentre_ = centre;
    edit_.editMode = kSizeChangeMode;
    ChainStep step;
    step.open = DialogRequest{kSizeChangeMode, false, 0};
    return step;
}

ChainStep EditTransaction::ResumeChain() {
    if (!ChainCommandOf(edit_.editMode)) return {};
    if (IsListMode(edit_.editMode)) return OpenCurrentDialog();
    return EnterEditor();
}

ChainStep EditTransaction::OpenCurrentDialog() {
    ChainStep step = Hints({2});
    step.open = DialogRequest{edit_.editMode, IsModalDialogMode(edit_.editMode), cascade_};
    return step;
}

ChainStep EditTransaction::EnterEditor() {
    const int mode = edit_.editMode;
    const EditLevel level = *LevelOfMode(mode);
    bool found = false;
    WithLevel(level, workingCopy_, edit_, memory_, [&](auto ref) {
        if (auto* item = ref.item()) {
            ref.memory->returnMode = mode;
            ref.memory->reopen = *item;
            found = true;
        }
    });
    if (!found) {
        // No item to edit (an index that a list left out of range): back to the list.
        edit_.editMode = ModesOf(level).list;
        return OpenCurrentDialog();
    }
    ChainStep step = Hints({2, IsAddMode(mode) ? 5 : 2});
    step.open = DialogRequest{mode, IsModalDialogMode(mode), cascade_};
    if (level == EditLevel::GroundLine || level == EditLevel::OutdoorSource) step.hintsAfterShow = {5};
    return step;
}

ChainStep EditTransaction::SelectListRow(int row) {
    if (!IsListMode(edit_.editMode)) return {};
    bool selected = false;
    WithLevel(*LevelOfMode(edit_.editMode), workingCopy_, edit_, memory_, [&](auto ref) {
        if (ref.items == nullptr || ref.index == nullptr || row < 0 ||
            static_cast<std::size_t>(row) >= ref.items->size())
            return;
        *ref.index = row;
        selected = true;
    });
    return selected ? Hints({4}) : ChainStep{};
}

ChainStep EditTransaction::ClearListSelection() {
    if (!IsListMode(edit_.editMode)) return {};
    WithLevel(*LevelOfMode(edit_.editMode), workingCopy_, edit_, memory_, [](auto ref) {
        if (ref.index != nullptr) *ref.index = -1;
    });
    return Hints({3});
}

ChainStep EditTransaction::ListClosed(ListExit exit, int row) {
    if (!IsListMode(edit_.editMode)) return {};
    const EditLevel level = *LevelOfMode(edit_.editMode);
    if (exit == ListExit::Add || exit == ListExit::Change) {
        bool handed = false;
        WithLevel(level, workingCopy_, edit_, memory_, [&](auto ref) {
            if (ref.items == nullptr || ref.index == nullptr || row < 0 ||
                static_cast<std::size_t>(row) >= ref.items->size())
                return;
            *ref.index = row;
            ref.memory->handover = *ref.item();
            handed = true;
        });
        if (!handed) return {};
        edit_.editMode = exit == ListExit::Add ? ModesOf(level).add : ModesOf(level).change;
        return Resume();
    }
    if (IsOutermost(level)) return CloseOuterList(level, exit);
    if (level == EditLevel::Opening) return CloseOpeningList(exit);
    return CloseNestedList(level, exit);
}

ChainStep EditTransaction::CloseOuterList(EditLevel level, ListExit exit) {
    ChainStep step = Hints({5});
    if (exit == ListExit::Ok) {
        history_.RecordModel(ChainStepName(level), {5}, static_cast<unsigned>(CollectionOf(level)), model_,
                             extras_, workingCopy_, extras_);
        // Only the collection this chain edits goes to the model.
        switch (level) {
            case EditLevel::GroundLine:
                model_.groundLines = std::move(workingCopy_.groundLines);
                break;
            case EditLevel::Building:
                model_.buildings = std::move(workingCopy_.buildings);
                break;
            default:
                model_.outdoorSources = std::move(workingCopy_.outdoorSources);
                break;
        }
        Changed();
        step.outcome = ChainOutcome::Committed;
    } else {
        step.outcome = ChainOutcome::Discarded;
    }
    EndChain();
    edit_.editMode = kIdleMode;
    return step;
}

ChainStep EditTransaction::CloseNestedList(EditLevel level, ListExit exit) {
    const EditLevel parent = *ParentLevel(level);
    int parentMode = kIdleMode;
    WithLevel(parent, workingCopy_, edit_, memory_, [&](auto ref) {
        parentMode = ref.memory->returnMode;
        if (exit == ListExit::Cancel && ref.memory->reopen)
            if (auto* item = ref.item()) *item = *ref.memory->reopen;
    });
    WithLevel(level, workingCopy_, edit_, memory_, [](auto ref) {
        if (ref.index != nullptr) *ref.index = -1;
        if (ref.memory != nullptr) *ref.memory = {};
    });
    edit_.editMode = parentMode;
    return Resume();
}

ChainStep EditTransaction::CloseOpeningList(ListExit exit) {
    if (!edit_.openingLevels.empty()) {
        edit_.openingLevels.pop_back();
        memory_.openings.pop_back();
    }
    if (!edit_.openingLevels.empty()) {
        // Back to the editor of the enclosing opening.
        LevelMemory<CWindow>& enclosing = memory_.openings.back();
        if (exit == ListExit::Cancel && enclosing.reopen)
            if (CWindow* opening = OpeningAtLevel(workingCopy_, edit_, edit_.openingLevels.size() - 1))
                *opening = *enclosing.reopen;
        edit_.editMode = enclosing.returnMode;
        return Resume();
    }
    // Back to the room editor.
    if (exit == ListExit::Cancel) {
        if (CRoom* room = CurrentRoom(workingCopy_, edit_); room && memory_.room.reopen)
            *room = *memory_.room.reopen;
        edit_.currentRoomSource = -1;
        memory_.roomSource = {};
    }
    edit_.editMode = memory_.room.returnMode;
    return Resume();
}

ChainStep EditTransaction::EditorClosed(EditorExit exit, int subListMode) {
    const int mode = edit_.editMode;
    if (!IsEditorMode(mode)) return {};
    const EditLevel level = *LevelOfMode(mode);
    switch (exit) {
        case EditorExit::Ok:
            edit_.editMode = ModesOf(level).list;
            break;
        case EditorExit::Cancel:
            WithLevel(level, workingCopy_, edit_, memory_, [&](auto ref) {
                if (ref.item() == nullptr) return;
                if (IsAddMode(mode)) {
                    ref.items->erase(ref.items->begin() + *ref.index);
                    *ref.index = IndexAfterCancelledAddition(level, *ref.index);
                } else if (ref.memory->handover) {
                    *ref.item() = *ref.memory->handover;
                }
            });
            edit_.editMode = ModesOf(level).list;
            break;
        case EditorExit::OpenSubList:
            if (!OpensSubList(level, subListMode)) return {};
            WithLevel(level, workingCopy_, edit_, memory_, [](auto ref) {
                if (auto* item = ref.item()) ref.memory->reopen = *item;
            });
            if (subListMode == kOpeningListMode) {
                edit_.openingLevels.push_back(-1);
                memory_.openings.emplace_back();
            }
            edit_.editMode = subListMode;
            break;
    }
    return DialogClosed();
}

void EditTransaction::SetCascade(int direction) {
    cascade_ = direction > 0 ? 1 : direction < 0 ? -1 : 0;
}

ChainStep EditTransaction::SelectPredictionPoint(int row) {
    if (edit_.editMode != kPredictionMode) return {};
    edit_.selectedPointIndex = row;
    return Hints({4});
}

ChainStep EditTransaction::PredictionClosed(PredictionExit exit) {
    if (edit_.editMode != kPredictionMode) return {};
    ChainOutcome outcome = ChainOutcome::Discarded;
    if (exit == PredictionExit::Cancel) {
        EndChain();
        edit_.editMode = kIdleMode;
    } else {
        history_.RecordModel(kPredictionStepName, {5}, kWholeModel, model_, extras_, workingCopy_, extras_);
        model_ = std::move(workingCopy_);
        EndChain();
        if (exit == PredictionExit::StartCalculation) edit_.editMode = kCalculationMode;
        Changed();
        outcome = ChainOutcome::Committed;
    }
    ChainStep step = DialogClosed();
    step.outcome = outcome;
    return step;
}

ChainStep EditTransaction::CalculationEnded() {
    if (edit_.editMode != kCalculationMode) return {};
    edit_.editMode = kIdleMode;
    return DialogClosed();
}

ChainStep EditTransaction::SizeDialogClosed() {
    if (edit_.editMode != kSizeChangeMode) return {};
    return DialogClosed();
}

ChainStep EditTransaction::DialogClosed() {
    const int mode = edit_.editMode;
    switch (mode) {
        case kIdleMode:
            return Hints({5});
        case kCalculationMode: {
            Changed();
            ChainStep step = Hints({5});
            step.startCalculation = true;
            return step;
        }
        case kSizeChangeMode:
            edit_.editMode = kIdleMode;
            return {};
        case kPredictionMode:
            EndChain();
            edit_.editMode = kIdleMode;
            Changed();
            return Hints({5});
        default:
            break;
    }
    const std::optional<EditLevel> level = LevelOfMode(mode);
    if (!level) return {};
    if (IsEditorMode(mode)) edit_.editMode = ModesOf(*level).list;
    return Resume();
}

}  // namespace kelmora
