// The desktop program's re-prediction after a power edit, and after a source switched off in the results
// window, on a 50 × 50 map over the example (2,601
// points, laid as BM_ExampleMap lays them): from the committed edit to the map rebuilt — the points'
// levels from the last run's transfers, the map's grid taken, its bands and iso-lines built, the plan's
// map layer drawn and the out-of-date check. The window's own painting of the layer is not counted.
//
// The transfers are filled once by a run with no reflections, so that the benchmark does not wait for a
// whole map run: the update's arithmetic does not depend on how many paths made a transfer (one energy
// sum per point, user source and band).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/RunTransfers.h"
#include "calc/PredictionRun.h"
#include "calc/ResultsStudy.h"
#include "model/persistence/ProjectFile.h"
#include "propagation/GroundModel.h"
#include "view/noisemap/NoiseMap.h"
#include "view/noisemap/PlanMapState.h"

namespace kelmora {
namespace {

class QuietHost : public CRunHost {
public:
    std::optional<std::string> ChooseOutputFile(const FileRequest&) override { return std::nullopt; }
    bool AskXyzForm(OutputFile, std::string_view) override { return true; }
    void ShowMessage(std::string_view, MessageIcon) override {}
    void ReportProgress(int, int) override {}
    void ReportEnd(int) override {}
};

// The example with its grid replaced by `divisions` × `divisions` over the same plan area, 1.2 m above
// the ground.
std::optional<CNoise> ExampleMap(benchmark::State& state, int divisions) {
    const char* env = std::getenv("KELMORA_EXAMPLE_PROJECT");
    const std::filesystem::path path = env != nullptr ? env : "examples/factory.kel";
    CNoise model;
    try {
        model = ReadProjectFile(path).model;
    } catch (const std::exception& e) {
        state.SkipWithError((path.string() + ": " + e.what()).c_str());
        return std::nullopt;
    }
    CCalcInfo& c = model.calcInfo;
    if (c.gridPoints.empty()) {
        state.SkipWithError("the example has no grid");
        return std::nullopt;
    }
    const auto [xs, xl] = std::minmax_element(c.gridPoints.begin(), c.gridPoints.end(),
                                              [](auto& a, auto& b) { return a.position.x < b.position.x; });
    const auto [ys, yl] = std::minmax_element(c.gridPoints.begin(), c.gridPoints.end(),
                                              [](auto& a, auto& b) { return a.position.y < b.position.y; });
    const double x0 = xs->position.x, x1 = xl->position.x, y0 = ys->position.y, y1 = yl->position.y;
    const std::vector<CGroundLine> terrain = AllGroundLines(model);
    std::vector<CPredictivePoint> grid;
    for (int i = 0; i <= divisions; ++i) {
        for (int j = 0; j <= divisions; ++j) {
            CVector3D p{x0 + (x1 - x0) * i / divisions, y0 + (y1 - y0) * j / divisions, 0.0};
            p.z = GroundHeightAt(terrain, p) + c.gridHeight;
            grid.emplace_back(p);
        }
    }
    c.gridPoints = std::move(grid);
    c.mode = kHorizontalGridMode;
    c.rowDivisions = divisions;
    c.columnDivisions = divisions;
    return model;
}

void BM_PowerEditToMap(benchmark::State& state) {
    std::optional<CNoise> model = ExampleMap(state, 50);
    if (!model) return;
    model->maxReflections = 0;
    RunTransfers transfers;
    QuietHost host;
    CPredictionJob job(*model, {2, 0}, &transfers.store());
    job.RunHere(host);
    transfers.RunEnded(*model);
    PlanMapState map;
    map.TakeRunResults(*model);
    CKelmoraViewData view;
    view.imageWidth = 1200;
    view.imageHeight = 800;

    double dB = 1.0;
    for (auto _ : state) {
        // The band editor's OK on the first outdoor source's power, then the list's OK.
        for (int b = 0; b < model->outdoorSources.at(0).powerAverage.bandCount(); ++b)
            model->outdoorSources.at(0).powerAverage.value(b) += dB;
        dB = -dB;
        if (!transfers.UpdateResults(*model)) {
            state.SkipWithError("not updated at once");
            return;
        }
        map.TakeRunResults(*model, true);
        const NoiseMap* built = map.Map();
        benchmark::DoNotOptimize(DrawPlanMap(*built, view, true));
        benchmark::DoNotOptimize(map.IsOutOfDate(*model));
    }
    state.counters["points"] = static_cast<double>(model->calcInfo.gridPoints.size());
    state.counters["user_sources"] = static_cast<double>(transfers.store().sources.size());
}
BENCHMARK(BM_PowerEditToMap)->UseRealTime()->Unit(benchmark::kMillisecond);

// The results window's what-if on the same map: from a source switched off (or on again) to the map
// rebuilt — every point's levels after the change from the transfers, the table's rows, the map's grid
// taken, its bands and iso-lines built, the plan's map layer drawn. The model is not touched.
void BM_SourceOffToMap(benchmark::State& state) {
    std::optional<CNoise> model = ExampleMap(state, 50);
    if (!model) return;
    model->maxReflections = 0;
    RunTransfers transfers;
    QuietHost host;
    CPredictionJob job(*model, {2, 0}, &transfers.store());
    job.RunHere(host);
    transfers.RunEnded(*model);
    CResultsStudy study;
    if (!study.Reset(*model, &transfers.store(), {})) {
        state.SkipWithError("no results");
        return;
    }
    PlanMapState map;
    map.TakeRunResults(*model);
    CKelmoraViewData view;
    view.imageWidth = 1200;
    view.imageHeight = 800;
    bool on = false;
    for (auto _ : state) {
        study.SetSourceOn(0, on);
        on = !on;
        map.TakeStudyResults(study.variant(), *model);
        const NoiseMap* built = map.Map();
        benchmark::DoNotOptimize(DrawPlanMap(*built, view, true));
        benchmark::DoNotOptimize(map.IsOutOfDate(*model));
    }
    state.counters["points"] = static_cast<double>(model->calcInfo.gridPoints.size());
}
BENCHMARK(BM_SourceOffToMap)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
