#include "calc/PredictionRun.h"

#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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
    WritePointHeading(w, m, count, point.position);
    if (!PointAboveGround(site, point.position)) {
        point.resultAverage = CBand::Filled(kNoSoundLevel);
        point.resultMax = CBand::Filled(kNoSoundLevel);
        WritePointBelowGround(w);
        return;
    }
    ComputePoint(site, point, w);
    WritePointResult(w, m, count, point.resultAverage.overallLevel(), point.resultMax.overallLevel());
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
    OfferedFile breakdown = OfferOutputFile(*this, host, OutputFile::Breakdown);
    if (breakdown.openFailed) {
        PostEnd(kJobError);
        return;
    }
    CTextFile* file = breakdown.file.get();
    const PredictionSite site(model_);

    if (model_.calcInfo.mode == kSinglePointMode) {
        // The single point is computed wherever it lies, even underground.
        CPredictivePoint& point = model_.calcInfo.singlePoint;
        try {
            CBreakdownWriter w(file, this);
            WriteSinglePointHeading(w, point.position);
            ComputePoint(site, point, w);
            WriteSinglePointResult(w, point.resultAverage.overallLevel(), point.resultMax.overallLevel());
            if (file != nullptr) file->Close();
        } catch (const JobCancelled&) {
            throw;
        } catch (const std::exception& e) {
            host.ShowMessage(e.what(), MessageIcon::kWarning);
            throw;
        }
        host.ShowMessage(SinglePointLevelText(point.resultAverage.overallLevel()), MessageIcon::kInformation);
        PostEnd(kJobNormalEnd);
        return;
    }

    const std::span<CPredictivePoint> points = model_.calcInfo.PredictionPoints();
    const int count = static_cast<int>(points.size());
    OrderedPointTasks tasks;
    tasks.begin = [&](int index) { PostProgress(index + 1, count); };
    tasks.compute = [&](int index, CTextSink& sink) {
        CBreakdownWriter w(file != nullptr ? &sink : nullptr, this);
        ComputeListedPoint(site, points[static_cast<std::size_t>(index)], index + 1, count, w);
    };
    tasks.emit = [&](int, std::string_view text) {
        ThrowIfCancelled();
        if (file != nullptr) file->Write(text);
    };
    RunPointsInOrder(count, tasks, {settings_.threads, settings_.window});
    if (file != nullptr) file->Close();

    if (!WriteResultFiles(*this, host, model_.calcInfo)) {
        PostEnd(kJobError);
        return;
    }
    PostEnd(kJobNormalEnd);
}

}  // namespace kelmora
