#pragma once
// A prediction run on the desktop that reuses the transfers of the document's last run and first
// counts the source–point pairs it will trace, so that the progress dialog counts those pairs instead
// of the points: after an edit of one barrier only a part of them is traced.
#include <atomic>
#include <cstdint>

#include "calc/PredictionRun.h"

namespace kelmora {

class CountedPredictionJob : public CPredictionJob {
public:
    // `transfers` as for CPredictionJob: reused where they still hold, refilled by a run that ends
    // normally.
    CountedPredictionJob(CNoise& model, PredictionRunSettings settings, CTransferStore& transfers);
    ~CountedPredictionJob() override;

    // The pairs the run traces (PairsToCompute), once counted; −1 before, and for a run without stored
    // transfers, which traces them all and counts its points.
    std::int64_t pairsToTrace() const { return pairsToTrace_.load(); }
    // Traced pairs so far against pairsToTrace.
    std::int64_t pairsTraced() const { return transferCounts().computed; }

    // Counts the pairs (the scenes of every pair built and hashed, no path traced), then runs.
    void Run() override;

private:
    CNoise& model_;
    CTransferStore& transfers_;
    std::atomic<std::int64_t> pairsToTrace_{-1};
};

}  // namespace kelmora
