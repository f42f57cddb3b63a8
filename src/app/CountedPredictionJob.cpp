#include "app/CountedPredictionJob.h"

namespace kelmora {

CountedPredictionJob::CountedPredictionJob(CNoise& model, PredictionRunSettings settings,
                                           CTransferStore& transfers)
    : CPredictionJob(model, settings, &transfers), model_(model), transfers_(transfers) {}

CountedPredictionJob::~CountedPredictionJob() {
    // The worker runs this class's Run until it ends.
    Join();
}

void CountedPredictionJob::Run() {
    pairsToTrace_ = -1;
    // A model the run refuses is told by the run itself, before anything is counted.
    if (!transfers_.empty() && !RunInputProblem(model_)) {
        pairsToTrace_ = PairsToCompute(model_, transfers_);
        ThrowIfCancelled();
    }
    CPredictionJob::Run();
}

}  // namespace kelmora
