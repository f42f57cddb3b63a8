#pragma once
// CPredictionJob: the prediction run of a site model as a long job. It builds the building-opening
// sources, offers the calculation breakdown file, computes the prediction points of the model's mode
// (one point, a list or a grid) and, for lists and grids, offers and writes the LAeqT and LAmax result
// files. Everything it needs from a user interface goes through the job's CRunHost.
//
// Before a breakdown is written, a host that asks about large ones is told its estimated size when it
// exceeds a gigabyte or the free space of its disk, and may drop it; the run goes on without it.
//
// The points of a list or a grid are computed on several threads; each point's breakdown goes to its
// own buffer and the buffers are written in point order, so every file is byte for byte the one a run
// on one thread writes. The cancel flag is tested at every breakdown line and before each point's
// breakdown is written out.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "calc/LongJob.h"
#include "calc/Transfers.h"
#include "model/Noise.h"

namespace kelmora {

struct PredictionRunSettings {
    int threads = 0;  // threads computing points; ≤ 0: one per core
    int window = 0;   // finished points held ahead of the one being written; ≤ 0: twice the threads
    // A breakdown estimated larger than this (or than its disk's space) is asked about first, when the
    // host asks about large breakdowns (BreakdownEstimate.h).
    std::uint64_t largeBreakdownBytes = 1'000'000'000;
};

class CPredictionJob : public CLongJob {
public:
    // The run works on `model` itself: its opening sources are rebuilt and its points receive their
    // results. The model must outlive the job and stay unchanged while it runs.
    explicit CPredictionJob(CNoise& model, PredictionRunSettings settings = {});
    // The same keeping the run's transfers in `transfers` (Transfers.h), which must outlive the job. The
    // transfers it holds when the run starts are reused wherever they still hold (not by a run that
    // writes a breakdown, which traces every path); a run that ends normally leaves its own there, with
    // fingerprints, and a failed or cancelled run leaves the store as it was.
    CPredictionJob(CNoise& model, PredictionRunSettings settings, CTransferStore* transfers);
    ~CPredictionJob() override;

    // How the pairs of the run were obtained so far: may be read from any thread while the run goes on
    // (a progress display counts the computed pairs against PairsToCompute).
    TransferCounts transferCounts() const { return {computed_.load(), reused_.load()}; }

    // The job body: reports progress for every point of a list or a grid and ends with kJobNormalEnd,
    // or kJobError for a model that cannot be run (RunInputProblem: nothing is computed or written) or
    // after a file that cannot be opened (the job's error text names it). Cancels and write failures
    // leave by exception (LongJob.h).
    void Run() override;

private:
    CNoise& model_;
    const PredictionRunSettings settings_;
    CTransferStore* transfers_ = nullptr;
    std::atomic<std::int64_t> computed_{0};
    std::atomic<std::int64_t> reused_{0};
};

struct PredictionSite;
class CBreakdownWriter;

// Point m of M of a list or a grid, with its heading and its result lines. A point underground is not
// computed and keeps no result of an earlier run.
void ComputeListedPoint(const PredictionSite& site, CPredictivePoint& point, int m, int count,
                        CBreakdownWriter& w);
// The same keeping the point's transfers (ComputePoint in PointPrediction.h); an underground point
// keeps none.
TransferCounts ComputeListedPoint(const PredictionSite& site, CPredictivePoint& point, int m, int count,
                                  CBreakdownWriter& w, const PointTransfers* previous,
                                  PointTransfers& transfers);

// The number of source–point pairs a run of `model` with `transfers` would trace (for a progress
// display): every pair of the run's points whose transfers the store does not hold with a matching
// fingerprint. Builds the opening sources and the scenes of a copy of the model; traces no path.
std::int64_t PairsToCompute(const CNoise& model, const CTransferStore& transfers);

// Why a model cannot be run, before anything is computed: a value that is not finite or lies outside
// the range its dialog accepts (ValueCheck.h), or an opening that would make too many sources; the
// text names the object and the field. None when the model can be run.
std::optional<std::string> RunInputProblem(const CNoise& model);

// The text with which the single point's LAeqT is shown: "予測点の等価騒音レベルは%.1f[dB]です".
std::string SinglePointLevelText(double laeq);

}  // namespace kelmora
