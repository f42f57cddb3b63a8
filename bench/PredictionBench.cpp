// The whole prediction run — opening sources, scenes, paths, corrections, time weighting — over the
// horizontal grid of synthetic sites of growing size and of the bundled example factory, on one thread
// and on all cores; the same with the calculation breakdown written to a file; and a 50 × 50 map over the
// example's plan.
//
// Counters: points/s and pairs/s (source–point pairs, outdoor and opening sources) in wall-clock time;
// with the breakdown also its size and bytes_per_second. Runs on one thread also show the work done per
// source–point pair whose paths were searched (propagation/WorkCounters.h); every run shows the peak
// resident memory of the process so far (maxRSS_MB).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "SyntheticSite.h"
#include "calc/OrderedPointRunner.h"
#include "calc/PredictionRun.h"
#include "calc/RunHost.h"
#include "calc/TransferCache.h"
#include "model/persistence/ProjectFile.h"
#include "propagation/GroundModel.h"
#include "propagation/WorkCounters.h"

namespace kelmora {
namespace {

// Answers the run's questions without a user: the breakdown file when one is wanted, no result file.
class BenchHost : public CRunHost {
public:
    explicit BenchHost(std::optional<std::string> breakdown) : breakdown_(std::move(breakdown)) {}
    std::optional<std::string> ChooseOutputFile(const FileRequest& request) override {
        return request.file == OutputFile::Breakdown ? breakdown_ : std::nullopt;
    }
    bool AskXyzForm(OutputFile, std::string_view) override { return true; }
    void ShowMessage(std::string_view, MessageIcon) override {}
    void ReportProgress(int, int) override {}
    void ReportEnd(int code) override { endCode = code; }

    int endCode = 0;

private:
    std::optional<std::string> breakdown_;
};

const bench::SiteSize kSizes[] = {
    {4, 2, 3, 6, true},    // 36 points
    {9, 4, 6, 10, true},   // 100 points
    {16, 6, 8, 12, true},  // 144 points
};

// Peak resident memory of the process so far [MB].
double PeakMemoryMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The work done per source–point pair whose paths were searched.
void AddWorkCounters(benchmark::State& state, const CWorkCounters& c) {
    const double pairs = static_cast<double>(std::max<std::uint64_t>(c.pairs, 1));
    const auto perPair = [&](const char* name, std::uint64_t count) {
        state.counters[name] = static_cast<double>(count) / pairs;
    };
    perPair("faces/pair", c.sceneFaces);
    perPair("sequences/pair", c.sequences);
    perPair("seqWithLegs/pair", c.sequencesLegs);
    perPair("legs/pair", c.legsProcessed);
    perPair("placements/pair", c.placements);
    perPair("validations/pair", c.validations);
    perPair("emitted/pair", c.pathsEmitted);
    perPair("blockingAsked/pair", c.blockingAsked);
    perPair("blockingSearches/pair", c.blockingSearches);
    perPair("faceTests/pair", c.faceTests);
    perPair("evaluated/pair", c.pathsEvaluated);
    perPair("sharedPaths/pair", c.pairsSharingPaths);
    perPair("diffCorrections/pair", c.diffractionCorrections);
}

// One run of the model's grid per iteration; the counters of all of them.
void RunGrid(benchmark::State& state, const CNoise& model, int threads, bool withBreakdown) {
    const std::filesystem::path breakdown = std::filesystem::temp_directory_path() /
                                            ("kelmora-bench-breakdown-" + std::to_string(threads) + ".csv");
    double points = 0.0;
    double pairs = 0.0;
    double bytes = 0.0;
    const CWorkCounters before = WorkCounters();
    for (auto _ : state) {
        state.PauseTiming();
        CNoise run = model;
        BenchHost host(withBreakdown ? std::optional<std::string>(breakdown.string()) : std::nullopt);
        CPredictionJob job(run, {threads, 0});
        state.ResumeTiming();
        job.RunHere(host);
        if (host.endCode != kJobNormalEnd) {
            state.SkipWithError(job.errorText().c_str());
            return;
        }
        const double count = static_cast<double>(run.calcInfo.PredictionPoints().size());
        points += count;
        pairs += count * static_cast<double>(run.outdoorSources.size() + run.openingSources.size());
        if (withBreakdown) bytes += static_cast<double>(std::filesystem::file_size(breakdown));
    }
    std::filesystem::remove(breakdown);
    state.counters["threads"] = PointThreadCount(threads);
    if (PointThreadCount(threads) == 1) AddWorkCounters(state, WorkCounters() - before);
    state.counters["maxRSS_MB"] = PeakMemoryMB();
    state.counters["points/s"] = benchmark::Counter(points, benchmark::Counter::kIsRate);
    state.counters["pairs/s"] = benchmark::Counter(pairs, benchmark::Counter::kIsRate);
    if (withBreakdown) {
        state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
        state.counters["MB/run"] = bytes / 1e6 / static_cast<double>(state.iterations());
    }
}

// Arguments: site size (index into kSizes), threads (0: one per core).
void BM_SyntheticGrid(benchmark::State& state) {
    RunGrid(state, bench::SyntheticSite(kSizes[state.range(0)]), static_cast<int>(state.range(1)), false);
}
BENCHMARK(BM_SyntheticGrid)
    ->ArgsProduct({{0, 1, 2}, {1, 0}})
    ->ArgNames({"size", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_SyntheticGridWithBreakdown(benchmark::State& state) {
    RunGrid(state, bench::SyntheticSite(kSizes[state.range(0)]), static_cast<int>(state.range(1)), true);
}
BENCHMARK(BM_SyntheticGridWithBreakdown)
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->ArgNames({"size", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The bundled example (KELMORA_EXAMPLE_PROJECT, else examples/factory.kel from the working directory) in
// horizontal grid mode whatever mode the project is stored in; empty (and the benchmark skipped) when it
// cannot be read.
std::optional<CNoise> ExampleModel(benchmark::State& state) {
    const char* env = std::getenv("KELMORA_EXAMPLE_PROJECT");
    const std::filesystem::path path = env != nullptr ? env : "examples/factory.kel";
    try {
        CNoise model = ReadProjectFile(path).model;
        model.calcInfo.mode = kHorizontalGridMode;
        return model;
    } catch (const std::exception& e) {
        state.SkipWithError((path.string() + ": " + e.what()).c_str());
        return std::nullopt;
    }
}

// The example's own 11 × 11 grid (121 points).
void BM_ExampleGrid(benchmark::State& state) {
    if (const std::optional<CNoise> model = ExampleModel(state))
        RunGrid(state, *model, static_cast<int>(state.range(0)), false);
}
BENCHMARK(BM_ExampleGrid)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("threads")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// Three points of the example's grid across the middle of the site (west, centre, east), small enough for
// an instruction count under valgrind (bench/compare-baseline.sh).
void BM_ExampleGridSample(benchmark::State& state) {
    std::optional<CNoise> model = ExampleModel(state);
    if (!model) return;
    std::vector<CPredictivePoint>& grid = model->calcInfo.gridPoints;
    std::vector<CPredictivePoint> sample;
    for (const std::size_t i : {16u, 60u, 104u}) {
        if (i < grid.size()) sample.push_back(grid[i]);
    }
    grid = std::move(sample);
    RunGrid(state, *model, 1, false);
}
BENCHMARK(BM_ExampleGridSample)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// A map of 50 × 50 divisions (2,601 points) over the plan area of the example's grid, 1.2 m (the grid
// height of the example) above the ground.
std::optional<CNoise> ExampleMapModel(benchmark::State& state) {
    std::optional<CNoise> model = ExampleModel(state);
    if (!model) return std::nullopt;
    std::vector<CPredictivePoint>& grid = model->calcInfo.gridPoints;
    if (grid.empty()) {
        state.SkipWithError("the example has no grid");
        return std::nullopt;
    }
    double x0 = grid[0].position.x, x1 = x0, y0 = grid[0].position.y, y1 = y0;
    for (const CPredictivePoint& p : grid) {
        x0 = std::min(x0, p.position.x);
        x1 = std::max(x1, p.position.x);
        y0 = std::min(y0, p.position.y);
        y1 = std::max(y1, p.position.y);
    }
    constexpr int kDivisions = 50;
    const std::vector<CGroundLine> terrain = AllGroundLines(*model);
    grid.clear();
    for (int c = 0; c <= kDivisions; ++c) {
        for (int r = 0; r <= kDivisions; ++r) {
            CVector3D p{x0 + (x1 - x0) * c / kDivisions, y0 + (y1 - y0) * r / kDivisions, 0.0};
            p.z = GroundHeightAt(terrain, p) + model->calcInfo.gridHeight;
            grid.emplace_back(p);
        }
    }
    return model;
}

void BM_ExampleMap(benchmark::State& state) {
    if (const std::optional<CNoise> model = ExampleMapModel(state))
        RunGrid(state, *model, static_cast<int>(state.range(0)), false);
}
BENCHMARK(BM_ExampleMap)->Arg(2)->ArgName("threads")->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// One run as `kelmora-calc run --cache` does it: the cache file read (when present), the run with its
// transfers, the file written. Seconds of wall time; the counts of the run in `counts`.
double CachedRun(const CNoise& model, const std::filesystem::path& cache, TransferCounts& counts) {
    const auto start = std::chrono::steady_clock::now();
    CTransferStore store;
    if (std::filesystem::exists(cache)) store = ReadTransferCache(cache);
    CNoise run = model;
    BenchHost host(std::nullopt);
    CPredictionJob job(run, {2, 0}, &store);
    job.RunHere(host);
    WriteTransferCache(cache, store);
    counts = job.transferCounts();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Side by side on one site (0: the example's grid, 1: the 50 × 50 map): the full run that writes the
// cache, the cached run after a power edit (+3 dB on the first outdoor source), the cached run after the
// first barrier is moved sideways by 1 m, and the cache's size. One iteration does all three runs.
void BM_TransferCache(benchmark::State& state) {
    const std::optional<CNoise> model = state.range(0) == 0 ? ExampleModel(state) : ExampleMapModel(state);
    if (!model) return;
    const std::filesystem::path cache =
        std::filesystem::temp_directory_path() / ("kelmora-bench-transfers-" + std::to_string(getpid()));
    for (auto _ : state) {
        std::filesystem::remove(cache);
        TransferCounts full, power, barrier;
        const double fullSeconds = CachedRun(*model, cache, full);
        CNoise louder = *model;
        for (double& v : louder.outdoorSources.at(0).powerAverage.third)
            v += 3.0;
        const double powerSeconds = CachedRun(louder, cache, power);
        CNoise moved = louder;
        moved.groundLines.at(1).walls.at(0).offsetHorizontal += 1.0;
        // What a progress display asks first: the pairs the run will trace.
        const auto countStart = std::chrono::steady_clock::now();
        const std::int64_t toTrace = PairsToCompute(moved, ReadTransferCache(cache));
        state.counters["count_s"] =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - countStart).count();
        const double barrierSeconds = CachedRun(moved, cache, barrier);
        const double pairs = static_cast<double>(full.computed);
        state.counters["full_s"] = fullSeconds;
        state.counters["power_s"] = powerSeconds;
        state.counters["power_%full"] = 100.0 * powerSeconds / fullSeconds;
        state.counters["power_traced"] = static_cast<double>(power.computed);
        state.counters["barrier_s"] = barrierSeconds;
        state.counters["barrier_%full"] = 100.0 * barrierSeconds / fullSeconds;
        state.counters["barrier_%pairs"] = 100.0 * static_cast<double>(barrier.computed) / pairs;
        if (toTrace != barrier.computed) state.SkipWithError("PairsToCompute differs from the pairs traced");
        state.counters["pairs"] = pairs;
        state.counters["cache_MB"] = static_cast<double>(std::filesystem::file_size(cache)) / 1e6;
    }
    std::filesystem::remove(cache);
}
BENCHMARK(BM_TransferCache)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("map")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
