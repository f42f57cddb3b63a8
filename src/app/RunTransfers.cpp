#include "app/RunTransfers.h"

#include "calc/OpeningSources.h"
#include "calc/PredictionRun.h"

namespace kelmora {

void RunTransfers::RunEnded(const CNoise& model) {
    runModel_ = model;
    hasRun_ = !store_.empty();
}

void RunTransfers::Clear() {
    store_ = CTransferStore();
    runModel_ = CNoise();
    hasRun_ = false;
}

bool RunTransfers::UpdateResults(CNoise& model) {
    if (!hasRun_ || !InstantUpdatePossible(runModel_, model, store_)) return false;
    // A value that a run refuses is told by the next run, not predicted here.
    if (RunInputProblem(model)) return false;
    if (!RecomputeFromTransfers(model, store_)) return false;
    // The opening sources carry their room sources' powers; a run leaves them built from the current ones.
    BuildOpeningSources(model);
    runModel_ = model;
    return true;
}

}  // namespace kelmora
