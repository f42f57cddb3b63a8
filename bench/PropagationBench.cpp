// Obstacle scene and propagation path search over a small synthetic site: six box buildings with
// walls, three barriers on ground lines, three sources and a 5 × 5 grid of prediction points, with up to
// two reflections — the work the prediction run repeats for every source × point pair.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

#include "SyntheticSite.h"
#include "model/Noise.h"
#include "propagation/PathSearch.h"
#include "propagation/Scene.h"

namespace kelmora {
namespace {

using bench::BarrierLine;
using bench::BoxBuilding;

struct Site {
    CNoise model;
    std::vector<CVector3D> sources;
    std::vector<CVector3D> points;
};

Site SyntheticSite() {
    Site site;
    site.model.groundLines.push_back(BarrierLine({{-50, -20, 0}, {250, -20, 0}}, 80.0, 160.0, 3.0));
    site.model.groundLines.push_back(BarrierLine({{-50, 120, 0}, {250, 120, 2}}, 40.0, 120.0, 2.5));
    site.model.groundLines.push_back(BarrierLine({{0, 0, 0}, {220, 110, 0}}, 100.0, 140.0, 4.0));
    site.model.buildings.push_back(BoxBuilding(40, 20, 60, 40, 8.0));
    site.model.buildings.push_back(BoxBuilding(100, 55, 115, 70, 12.0));
    site.model.buildings.push_back(BoxBuilding(150, 30, 165, 45, 6.0));
    site.model.buildings.push_back(BoxBuilding(72, -8, 92, 8, 5.0));
    site.model.buildings.push_back(BoxBuilding(25, 78, 45, 95, 7.0));
    site.model.buildings.push_back(BoxBuilding(180, 60, 200, 85, 10.0));
    site.sources = {{10, 50, 1.0}, {100, 5, 2.0}, {200, 100, 1.5}};
    for (double y = 0.0; y <= 100.0; y += 25.0) {
        for (double x = 20.0; x <= 220.0; x += 50.0)
            site.points.push_back({x, y, 1.5});
    }
    return site;
}

void BM_SceneAndPaths(benchmark::State& state) {
    const Site site = SyntheticSite();
    const int maxReflections = static_cast<int>(state.range(0));
    Scene scene;
    std::size_t paths = 0;
    std::size_t pairs = 0;
    std::size_t faces = 0;
    for (auto _ : state) {
        for (const CVector3D& s : site.sources) {
            for (const CVector3D& r : site.points) {
                BuildScene(site.model, s, r, scene);
                const std::vector<CPropagationPath> found = FindPropagationPaths(s, r, scene, maxReflections);
                benchmark::DoNotOptimize(found.data());
                paths += found.size();
                faces += scene.size();
                ++pairs;
            }
        }
    }
    state.counters["paths/s"] = benchmark::Counter(static_cast<double>(paths), benchmark::Counter::kIsRate);
    state.counters["pairs/s"] = benchmark::Counter(static_cast<double>(pairs), benchmark::Counter::kIsRate);
    state.counters["paths/pair"] = static_cast<double>(paths) / static_cast<double>(pairs);
    state.counters["faces/pair"] = static_cast<double>(faces) / static_cast<double>(pairs);
}
BENCHMARK(BM_SceneAndPaths)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The path search alone, on scenes built once.
void BM_PathsOnly(benchmark::State& state) {
    const Site site = SyntheticSite();
    std::vector<Scene> scenes;
    for (const CVector3D& s : site.sources) {
        for (const CVector3D& r : site.points)
            scenes.push_back(BuildScene(site.model, s, r));
    }
    std::size_t paths = 0;
    std::size_t pairs = 0;
    for (auto _ : state) {
        std::size_t k = 0;
        for (const CVector3D& s : site.sources) {
            for (const CVector3D& r : site.points) {
                const std::vector<CPropagationPath> found = FindPropagationPaths(s, r, scenes[k++], 2);
                benchmark::DoNotOptimize(found.data());
                paths += found.size();
                ++pairs;
            }
        }
    }
    state.counters["paths/s"] = benchmark::Counter(static_cast<double>(paths), benchmark::Counter::kIsRate);
    state.counters["pairs/s"] = benchmark::Counter(static_cast<double>(pairs), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PathsOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
