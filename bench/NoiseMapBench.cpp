// Noise maps from grids of the sizes a prediction run makes (up to 1001 × 1001 points): level bands,
// iso-lines, reading a result file back, and the plan's display items.
//
//   ninja -C build NoiseMapBench && ./build/bench/NoiseMapBench
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "view/WindowSetUp.h"
#include "view/noisemap/NoiseMap.h"
#include "view/noisemap/PlanMapState.h"
#include "view/noisemap/ResultFile.h"

namespace kelmora {
namespace {

// n × n nodes over 300 × 200 m with the LAeqT of three point sources (spreading only), and a building
// footprint in the middle whose nodes have no result.
LevelGrid SiteGrid(int n) {
    LevelGrid g;
    g.columns = n;
    g.rows = n;
    const double sources[3][3] = {{80, 60, 95}, {210, 140, 90}, {150, 30, 85}};  // x, y, Lw
    for (int c = 0; c < n; ++c) {
        for (int r = 0; r < n; ++r) {
            const double x = 300.0 * c / (n - 1), y = 200.0 * r / (n - 1);
            double energy = 0;
            for (const auto& s : sources) {
                const double d = std::max(1.0, std::hypot(x - s[0], y - s[1]));
                energy += std::pow(10, (s[2] - 20 * std::log10(d) - 11) / 10);
            }
            g.positions.push_back({x, y, 1.5});
            const bool inside = x > 120 && x < 170 && y > 80 && y < 120;
            g.levels.push_back(inside ? std::nan("") : 10 * std::log10(energy));
        }
    }
    return g;
}

void BM_LevelBands(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const LevelGrid grid = SiteGrid(n);
    const std::vector<MapPoint> nodes = MapCoordinates(grid);
    const LevelClasses classes = EvenClasses(35, 5, 10);
    std::size_t polygons = 0;
    for (auto _ : state) {
        const LevelSurface surface = TriangulateGrid(nodes, grid.levels, n, n);
        const std::vector<LevelBand> bands = BuildLevelBands(surface, classes);
        polygons = 0;
        for (const LevelBand& band : bands)
            polygons += band.area.size();
        benchmark::DoNotOptimize(bands.data());
    }
    state.counters["nodes/s"] =
        benchmark::Counter(static_cast<double>(n) * n, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["polygons"] = static_cast<double>(polygons);
}
BENCHMARK(BM_LevelBands)->Arg(50)->Arg(200)->Arg(1001)->Unit(benchmark::kMillisecond);

void BM_IsoLines(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const LevelGrid grid = SiteGrid(n);
    const LevelSurface surface = TriangulateGrid(MapCoordinates(grid), grid.levels, n, n);
    const LevelClasses classes = EvenClasses(35, 5, 10);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildIsoLines(surface, classes).data());
    state.counters["nodes/s"] =
        benchmark::Counter(static_cast<double>(n) * n, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_IsoLines)->Arg(50)->Arg(200)->Arg(1001)->Unit(benchmark::kMillisecond);

void BM_WholeMap(benchmark::State& state) {
    // Bands, iso-lines and the plan's display items, as the window does after a run.
    const int n = static_cast<int>(state.range(0));
    const LevelGrid grid = SiteGrid(n);
    CKelmoraViewData view;
    ApplyDefaultTransforms(view);
    for (auto _ : state) {
        const NoiseMap map = BuildNoiseMap(grid, EvenClasses(35, 5, 10), EuropeanScheme(), {});
        benchmark::DoNotOptimize(DrawPlanMap(map, view, true).data());
    }
}
BENCHMARK(BM_WholeMap)->Arg(50)->Arg(200)->Arg(1001)->Unit(benchmark::kMillisecond);

void BM_ReadResultFile(benchmark::State& state) {
    // An X Y Z file of n × n points as a run writes it.
    const int n = static_cast<int>(state.range(0));
    const LevelGrid grid = SiteGrid(n);
    std::string text = "# LAeqT\r\n";
    char line[96];
    for (std::size_t i = 0; i < grid.NodeCount(); ++i) {
        const CVector3D& p = grid.positions[i];
        std::snprintf(line, sizeof line, " %.3f %.3f %.1f %.3f\r\n", p.x, p.y,
                      std::isnan(grid.levels[i]) ? -86.8 : grid.levels[i], p.z);
        text += line;
    }
    CCalcInfo calc;
    calc.rowDivisions = n - 1;
    calc.columnDivisions = n - 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(PlaceResultFile(ParseResultFile(text), calc).levels.data());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadResultFile)->Arg(50)->Arg(1001)->Unit(benchmark::kMillisecond);

// The model of a site with n × n computed grid points, the levels of SiteGrid.
CNoise GridRunModel(int n) {
    const LevelGrid grid = SiteGrid(n);
    CNoise model;
    model.calcInfo.mode = kHorizontalGridMode;
    model.calcInfo.rowDivisions = n - 1;
    model.calcInfo.columnDivisions = n - 1;
    for (std::size_t i = 0; i < grid.NodeCount(); ++i) {
        CPredictivePoint p(grid.positions[i]);
        const double level = std::isnan(grid.levels[i]) ? -100.0 : grid.levels[i] - 13.2;  // 21 bands
        p.resultAverage = CBand::Filled(level);
        p.resultMax = CBand::Filled(level + 10);
        model.calcInfo.gridPoints.push_back(p);
    }
    return model;
}

void BM_PlanWindowRedraw(benchmark::State& state) {
    // What a plan window does at every redraw of its base layer once a grid run has put its map there:
    // the map's display items at the window's transforms, with the legend.
    const int n = static_cast<int>(state.range(0));
    const CNoise model = GridRunModel(n);
    PlanMapState map;
    map.TakeRunResults(model);
    CKelmoraViewData view;
    ApplyDefaultTransforms(view);
    const TextWidth width = [](const std::string& text) { return static_cast<int>(8 * text.size()); };
    map.Layers(view, 800, width, false);  // the map itself is built once, after the run
    for (auto _ : state)
        benchmark::DoNotOptimize(map.Layers(view, 800, width, false).beneath.data());
}
BENCHMARK(BM_PlanWindowRedraw)->Arg(50)->Arg(200)->Arg(1001)->Unit(benchmark::kMillisecond);

void BM_OutOfDateCheck(benchmark::State& state) {
    // Whether the model has changed since the run: the document checks it once per committed step, not
    // at every redraw, since it reads the whole model.
    const int n = static_cast<int>(state.range(0));
    const CNoise model = GridRunModel(n);
    PlanMapState map;
    map.TakeRunResults(model);
    for (auto _ : state)
        benchmark::DoNotOptimize(map.IsOutOfDate(model));
}
BENCHMARK(BM_OutOfDateCheck)->Arg(50)->Arg(200)->Arg(1001)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
