// The paths of one prediction point on demand, as the plan shows them after an Alt + double click: the
// paths from every source of the bundled example (KELMORA_EXAMPLE_PROJECT, else examples/factory.kel
// from the working directory) to each of its boundary points, found and evaluated as a run does.
//
// Counters: paths (found at the point), sources (user sources traced) and the point's LAeqT.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "calc/PointPaths.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora {
namespace {

std::optional<CNoise> ExampleModel(benchmark::State& state) {
    const char* env = std::getenv("KELMORA_EXAMPLE_PROJECT");
    const std::filesystem::path path = env != nullptr ? env : "examples/factory.kel";
    try {
        CNoise model = ReadProjectFile(path).model;
        model.calcInfo.mode = kPointListMode;
        return model;
    } catch (const std::exception& e) {
        state.SkipWithError((path.string() + ": " + e.what()).c_str());
        return std::nullopt;
    }
}

// Boundary point k of the example's list, every source.
void BM_ExamplePointPaths(benchmark::State& state) {
    const std::optional<CNoise> model = ExampleModel(state);
    if (!model) return;
    const auto point = static_cast<std::size_t>(state.range(0));
    if (point >= model->calcInfo.pointList.size()) {
        state.SkipWithError("the example has fewer points");
        return;
    }
    std::optional<PointPaths> found;
    for (auto _ : state) {
        found = FindPointPaths(*model, point);
        benchmark::DoNotOptimize(found);
    }
    if (!found) return;
    state.counters["paths"] = static_cast<double>(found->paths.size());
    state.counters["sources"] = static_cast<double>(found->sources.size());
    state.counters["LAeqT"] = found->laeq;
}
BENCHMARK(BM_ExamplePointPaths)
    ->DenseRange(0, 7)
    ->ArgName("point")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
