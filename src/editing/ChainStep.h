#pragma once
// What one step of a document's editing chain asks of the user interface. The transaction
// (EditTransaction.h) changes its own state and returns a ChainStep; the window side carries it out in
// this order:
//
//   0. put `viewChange` into the plan window it names, when that window is still open (undo and redo
//      of a change of a window's picture or calibration);
//   1. send `hints` to every plan window of the document, in order (redraw hints, PlanScene.h);
//   2. open the dialog `open` names (through the dialog registry keyed by its edit mode), modal or
//      modeless as it says;
//   3. once the dialog is shown, send `hintsAfterShow`;
//   4. when `resume` is set, queue a call of ResumeChain on the document for a fresh turn of the event
//      loop, after the dialog that ended this step has fully closed (never call it at once: the chain
//      opens each dialog from a clean stack);
//   5. when `startCalculation` is set, open the progress dialog on the document's model (edit mode 1).
#include <optional>
#include <vector>

#include "model/ViewRecord.h"

namespace kelmora {

// The dialog to open next.
struct DialogRequest {
    int editMode = 0;    // which dialog: the key of the dialog registry (EditLevels.h, view/EditState.h)
    bool modal = false;  // lists and the building editor run modally, the others modeless
    // While an "All OK" (+1) or "All Cancel" (−1) cascade runs, the button the dialog presses as soon
    // as it is shown: its own OK (+1) or Cancel (−1). 0: none, the user works with the dialog.
    int cascadePress = 0;

    friend bool operator==(const DialogRequest&, const DialogRequest&) = default;
};

// What became of the working copy when a step ended an edit.
enum class ChainOutcome {
    None,       // nothing ended (or the step ended a dialog that never touched the model)
    Committed,  // the working copy (or its edited collection) replaced the document's model, or an
                // undo or redo put back a committed step
    Discarded,  // the working copy was thrown away; the model is as before the command
};

// The view data of one plan window, changed back or again: the fields that differ between `from` and
// `to` take their value in `to` (ApplyViewChange, UndoHistory.h); a pan or zoom made since stays.
struct WindowViewChange {
    int windowId = 0;
    CKelmoraViewData from;
    CKelmoraViewData to;
};

struct ChainStep {
    std::vector<int> hints;
    std::optional<DialogRequest> open;
    std::vector<int> hintsAfterShow;
    bool resume = false;
    bool startCalculation = false;
    ChainOutcome outcome = ChainOutcome::None;
    std::optional<WindowViewChange> viewChange;

    // True when the step asks nothing at all (a refused command, a call in the wrong state).
    bool Empty() const {
        return hints.empty() && !open && hintsAfterShow.empty() && !resume && !startCalculation &&
               outcome == ChainOutcome::None && !viewChange;
    }
};

}  // namespace kelmora
