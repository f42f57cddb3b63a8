#pragma once
// RunTransfers: what a document keeps of its last prediction run so that an edit of the sources'
// powers or time patterns re-predicts every point at once, without tracing a path, and the next run
// after any other edit traces only the source–point pairs the edit touched. Plain code, no window.
#include "calc/Transfers.h"
#include "model/Noise.h"

namespace kelmora {

class RunTransfers {
public:
    // The transfers of the last run that ended normally, given to the next run to reuse and refill (a
    // run that does not end normally leaves them as they were).
    CTransferStore& store() { return store_; }
    const CTransferStore& store() const { return store_; }
    bool HasRun() const { return hasRun_; }

    // A run of `model` ended normally: the store holds its transfers.
    void RunEnded(const CNoise& model);
    // New contents: nothing of an earlier run applies to them.
    void Clear();

    // After an edit committed to `model`: when the model differs from the one last run only in the
    // sources' powers, noise types, durations, events per hour or the target time, or in points and
    // sources removed or reordered (InstantUpdatePossible: every pair found in the store by source key
    // and position), every prediction point gets the results a full run of the model gives (and the
    // opening sources are rebuilt as a run rebuilds them), and true. Otherwise false, and the model is
    // left as it is; the next run traces only the pairs the store does not hold (a point added to a
    // computed grid: that point's pairs).
    bool UpdateResults(CNoise& model);

private:
    CTransferStore store_;
    CNoise runModel_;  // as the store's run saw it: what an edit is compared with
    bool hasRun_ = false;
};

}  // namespace kelmora
