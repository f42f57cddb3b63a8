#include "calc/PredictionRun.h"

#include <atomic>
#include <cstring>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "calc/BreakdownEstimate.h"
#include "calc/BreakdownLines.h"
#include "calc/BreakdownWriter.h"
#include "calc/OpeningSources.h"
#include "calc/OrderedPointRunner.h"
#include "calc/PointPrediction.h"
#include "calc/PrintfFormat.h"
#include "calc/ResultFiles.h"
#include "calc/TextOutput.h"
#include "model/ValueCheck.h"

namespace kelmora {

void ComputeListedPoint(const PredictionSite& site, CPredictivePoint& point, int m, int count,
                        CBreakdownWriter& w) {
    PointTransfers transfers;
    ComputeListedPoint(site, point, m, count, w, nullptr, transfers);
}

TransferCounts ComputeListedPoint(const PredictionSite& site, CPredictivePoint& point, int m, int count,
                                  CBreakdownWriter& w, const PointTransfers* previous,
                                  PointTransfers& transfers) {
    WritePointHeading(w, m, count, point.position);
    if (!PointAboveGround(site, point.position)) {
        point.resultAverage = CBand::Filled(kNoSoundLevel);
        point.resultMax = CBand::Filled(kNoSoundLevel);
        transfers = PointTransfers{point.position, false, {}};
        WritePointBelowGround(w);
        return {};
    }
    const TransferCounts counts = ComputePoint(site, point, w, previous, transfers);
    WritePointResult(w, m, count, point.resultAverage.overallLevel(), point.resultMax.overallLevel());
    return counts;
}

namespace {

// A run cancelled while it writes its breakdown leaves the breakdown of the points it finished under
// the file's name, as far as it can still be written out; a run that fails otherwise leaves a previous
// file of that name as it was (the file discards itself).
void KeepBreakdownOfCancelledRun(CTextFile* file) noexcept {
    if (file == nullptr) return;
    try {
        file->Close();
    } catch (...) {
    }
}

// The transfers of an earlier run that a run of the model may reuse, point by point: those of a store
// for the same number of points and user sources (a point that has moved is traced again).
bool StoreUsable(const CNoise& model, const CTransferStore& store, std::size_t users) {
    return !store.empty() && store.points.size() == model.calcInfo.PredictionPoints().size() &&
           static_cast<std::size_t>(store.userSourceCount) == users;
}

}  // namespace

std::int64_t PairsToCompute(const CNoise& model, const CTransferStore& transfers) {
    CNoise copy = model;
    BuildOpeningSources(copy);
    PredictionSite site(copy);
    const std::span<const CPredictivePoint> points = copy.calcInfo.PredictionPoints();
    const std::size_t users = site.userSources.size();
    const bool usable = StoreUsable(copy, transfers, users);
    const bool sameSite = usable && transfers.site == SiteFingerprint(copy);
    const bool single = copy.calcInfo.mode == kSinglePointMode;
    std::int64_t pairs = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!single && !PointAboveGround(site, points[i].position)) continue;
        const PointTransfers* previous = usable ? &transfers.points[i] : nullptr;
        if (previous == nullptr || !previous->computed || previous->pairs.size() != users ||
            std::memcmp(&previous->position, &points[i].position, sizeof(CVector3D)) != 0) {
            pairs += static_cast<std::int64_t>(users);
            continue;
        }
        if (sameSite) continue;
        const std::vector<Fingerprint> now = PairFingerprints(site, points[i].position);
        for (std::size_t s = 0; s < users; ++s)
            pairs += now[s] == previous->pairs[s].fingerprint ? 0 : 1;
    }
    return pairs;
}

std::optional<std::string> RunInputProblem(const CNoise& model) {
    if (const std::optional<ValueProblem> problem = FindValueProblem(model)) return problem->message;
    return FindOversizedOpening(model.buildings);
}

std::string SinglePointLevelText(double laeq) {
    return Format("予測点の等価騒音レベルは%.1f[dB]です", {laeq});
}

CPredictionJob::CPredictionJob(CNoise& model, PredictionRunSettings settings)
    : model_(model), settings_(settings) {}

CPredictionJob::CPredictionJob(CNoise& model, PredictionRunSettings settings, CTransferStore* transfers)
    : model_(model), settings_(settings), transfers_(transfers) {}

CPredictionJob::~CPredictionJob() {
    // The worker reads the model and this job's settings until it ends.
    Join();
}

void CPredictionJob::Run() {
    CRunHost& host = *this->host();
    if (const std::optional<std::string> problem = RunInputProblem(model_)) {
        SetErrorText(*problem);
        PostEnd(kJobError);
        return;
    }
    BuildOpeningSources(model_);
    PredictionSite site(model_);
    std::optional<std::string> breakdownPath = host.ChooseOutputFile(FileRequestFor(OutputFile::Breakdown));
    if (breakdownPath && host.AsksAboutLargeBreakdowns()) {
        // Before writing what may be gigabytes, the size it will have and whether the disk holds it.
        const BreakdownSizeWarning warning{EstimateBreakdownSize(site, kBreakdownSamplePoints, this),
                                           SpaceForFile(std::filesystem::path(*breakdownPath))};
        if (warning.Warranted(settings_.largeBreakdownBytes) && !host.KeepLargeBreakdown(warning))
            breakdownPath.reset();
    }
    OfferedFile breakdown = OpenOutputFile(*this, OutputFile::Breakdown, breakdownPath);
    if (breakdown.openFailed) {
        PostEnd(kJobError);
        return;
    }
    CTextFile* file = breakdown.file.get();
    computed_ = 0;
    reused_ = 0;
    // The transfers of this run, and those of the last one where they may be reused.
    const std::size_t users = site.userSources.size();
    CTransferStore next;
    const CTransferStore* previous = nullptr;
    if (transfers_ != nullptr) {
        site.fingerprints = true;
        next.site = SiteFingerprint(model_);
        next.userSourceCount = static_cast<int>(users);
        next.points.resize(model_.calcInfo.PredictionPoints().size());
        if (StoreUsable(model_, *transfers_, users)) {
            previous = transfers_;
            site.sameSite = transfers_->site == next.site;
        }
    }
    const auto keep = [&](int index) -> PointTransfers& {
        static thread_local PointTransfers scratch;
        return transfers_ != nullptr ? next.points[static_cast<std::size_t>(index)] : scratch;
    };
    const auto before = [&](int index) -> const PointTransfers* {
        return previous != nullptr ? &previous->points[static_cast<std::size_t>(index)] : nullptr;
    };
    const auto count = [&](const TransferCounts& c) {
        computed_ += c.computed;
        reused_ += c.reused;
    };
    const auto finish = [&] {
        if (transfers_ != nullptr) *transfers_ = std::move(next);
    };

    if (model_.calcInfo.mode == kSinglePointMode) {
        // The single point is computed wherever it lies, even underground.
        CPredictivePoint& point = model_.calcInfo.singlePoint;
        try {
            CBreakdownWriter w(file, this);
            WriteSinglePointHeading(w, point.position);
            count(ComputePoint(site, point, w, before(0), keep(0)));
            WriteSinglePointResult(w, point.resultAverage.overallLevel(), point.resultMax.overallLevel());
            if (file != nullptr) file->Close();
        } catch (const JobCancelled&) {
            KeepBreakdownOfCancelledRun(file);
            throw;
        } catch (const std::exception& e) {
            host.ShowMessage(e.what(), MessageIcon::kWarning);
            throw;
        }
        finish();
        host.ShowMessage(SinglePointLevelText(point.resultAverage.overallLevel()), MessageIcon::kInformation);
        PostEnd(kJobNormalEnd);
        return;
    }

    const std::span<CPredictivePoint> points = model_.calcInfo.PredictionPoints();
    const int pointCount = static_cast<int>(points.size());
    OrderedPointTasks tasks;
    tasks.begin = [&](int index) { PostProgress(index + 1, pointCount); };
    tasks.compute = [&](int index, CTextSink& sink) {
        CBreakdownWriter w(file != nullptr ? &sink : nullptr, this);
        count(ComputeListedPoint(site, points[static_cast<std::size_t>(index)], index + 1, pointCount, w,
                                 before(index), keep(index)));
    };
    tasks.emit = [&](int, std::string_view text) {
        ThrowIfCancelled();
        if (file != nullptr) file->Write(text);
    };
    try {
        RunPointsInOrder(pointCount, tasks, {settings_.threads, settings_.window});
    } catch (const JobCancelled&) {
        KeepBreakdownOfCancelledRun(file);
        throw;
    }
    if (file != nullptr) file->Close();

    if (!WriteResultFiles(*this, host, model_.calcInfo)) {
        PostEnd(kJobError);
        return;
    }
    finish();
    PostEnd(kJobNormalEnd);
}

}  // namespace kelmora
