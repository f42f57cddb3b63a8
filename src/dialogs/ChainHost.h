#pragma once
// What a dialog of a document's editing chain gets from its document: the edit transaction, the way to
// carry out a step of it, redraws of the document's plan windows and the active window's view data.
// The desktop program's document implements it; dialog tests use a fake.
#include "editing/ChainStep.h"
#include "editing/EditTransaction.h"
#include "model/ViewRecord.h"

class QWidget;

namespace kelmora {

class ChainHost {
public:
    virtual ~ChainHost() = default;

    virtual EditTransaction& transaction() = 0;
    // Carries out a step of the transaction (ChainStep.h): redraws, the next dialog from a queued
    // continuation, the start of the calculation. Call it after the dialog has closed itself.
    virtual void Apply(const ChainStep& step) = 0;
    // Sends a redraw hint to every plan window of the document (hints of view/PlanScene.h).
    virtual void UpdateViews(int hint) = 0;
    // The view data of the document's active plan window (the one last activated), or null while none
    // of its windows is open. The size dialog changes its calibration; the prediction dialog lays its
    // horizontal grid over it.
    virtual CKelmoraViewData* activeViewData() = 0;
    // The id of that window (0 while none is open): the undo step of a change of its view data names it.
    virtual int activeViewId() = 0;
    // The window the dialogs of the document belong to.
    virtual QWidget* dialogParent() = 0;
};

}  // namespace kelmora
