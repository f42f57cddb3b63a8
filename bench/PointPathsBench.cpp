// The paths of one prediction point on demand, as the plan shows them after an Alt + double click: the
// paths from every source of the bundled example (KELMORA_EXAMPLE_PROJECT, else examples/factory.kel
// from the working directory) to each of its boundary points, found and evaluated as a run does.
//
// Counters: paths (found at the point), sources (user sources traced) and the point's LAeqT.
//
// BM_ExamplePointPathsDrawn: the plan's overlay with the paths of boundary point k, as every redraw of the
// overlay makes it while they are shown: the display list and its rasterisation over the example's window.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "calc/PointPaths.h"
#include "model/persistence/ProjectFile.h"
#include "platform/raster/PlanRasterizer.h"
#include "view/PointPathsDrawing.h"

namespace kelmora {
namespace {

std::optional<ProjectDocument> ExampleProject(benchmark::State& state) {
    const char* env = std::getenv("KELMORA_EXAMPLE_PROJECT");
    const std::filesystem::path path = env != nullptr ? env : "examples/factory.kel";
    try {
        ProjectDocument project = ReadProjectFile(path);
        project.model.calcInfo.mode = kPointListMode;
        return project;
    } catch (const std::exception& e) {
        state.SkipWithError((path.string() + ": " + e.what()).c_str());
        return std::nullopt;
    }
}

std::optional<CNoise> ExampleModel(benchmark::State& state) {
    std::optional<ProjectDocument> project = ExampleProject(state);
    if (!project) return std::nullopt;
    return std::move(project->model);
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

void BM_ExamplePointPathsDrawn(benchmark::State& state) {
    const std::optional<ProjectDocument> project = ExampleProject(state);
    if (!project || project->viewRecords.empty()) return;
    const auto point = static_cast<std::size_t>(state.range(0));
    const std::optional<PointPaths> found = FindPointPaths(project->model, point);
    if (!found) {
        state.SkipWithError("the example has fewer points");
        return;
    }
    const CKelmoraViewData& view = project->viewRecords.front().viewData;
    QImage image = NewLayerImage(980, 640);
    for (auto _ : state) {
        DisplayLayer layer;
        DrawPointPaths(layer, view, found->paths, std::nullopt, found->position);
        RasterizeLayer(image, layer);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["paths"] = static_cast<double>(found->paths.size());
}
BENCHMARK(BM_ExamplePointPathsDrawn)->Arg(0)->Arg(3)->ArgName("point")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
