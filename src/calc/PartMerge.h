#pragma once
// Merging the parts of a split run (PartFile.h) into the breakdown and result files of the whole run,
// byte for byte those that the run on one machine writes: the same writers in the same order.
//
// Parts are checked whole before anything is written, and refused together with the reason for each:
// a part of another project (or of the project before an edit) or of another engine, parts of
// different splits, the same block twice, and points that no part holds.
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calc/ContentDigest.h"
#include "calc/LongJob.h"
#include "model/CalcInfo.h"
#include "model/PredictivePoint.h"
#include "model/persistence/InputFileStream.h"

namespace kelmora {

// What a merge expects of its parts.
struct MergeExpectation {
    Digest modelDigest{};
    std::string engineVersion;
    bool needBreakdown = false;  // a breakdown file is to be written: every part must carry one
};

// A part that was read whole and checked, kept open: the merge copies from the very file that was
// checked, whatever becomes of its name meanwhile.
struct CheckedPart {
    std::filesystem::path path;
    std::unique_ptr<CInputFileStream> file;
};

struct GatheredParts {
    // One message per reason to refuse the merge; empty when the parts make the whole run.
    std::vector<std::string> refusals;
    // The parts in block order; the empty blocks' parts are left out.
    std::vector<CheckedPart> inOrder;
};

// Opens every part (only a regular file is read) and reads it whole, check sums included, and checks
// that together they hold each of `points` exactly once for the expected project and engine. The
// results of the parts go to the points.
GatheredParts GatherParts(std::span<const std::filesystem::path> parts, const MergeExpectation& expected,
                          std::span<CPredictivePoint> points);

// Writes the merged files as a run does: offers the breakdown file and copies the parts' breakdowns
// into it in block order, then offers and writes the LAeqT and LAmax result files of `calcInfo`,
// whose points hold the gathered results. Progress is reported for each point's breakdown copied.
// A file takes its name only once it is whole: after a cancel, or a part that changed since it was
// checked, a previous file of that name stays as it was.
class CMergeJob : public CLongJob {
public:
    CMergeJob(const CCalcInfo& calcInfo, std::vector<CheckedPart> partsInOrder);
    ~CMergeJob() override;
    void Run() override;

private:
    const CCalcInfo& calcInfo_;
    std::vector<CheckedPart> parts_;
};

}  // namespace kelmora
