// The whole prediction run — opening sources, scenes, paths, corrections, time weighting — over the
// horizontal grid of synthetic sites of growing size and of the bundled example factory, on one thread
// and on all cores; and the same with the calculation breakdown written to a file.
//
// Counters: points/s and pairs/s (source–point pairs, outdoor and opening sources) in wall-clock time;
// with the breakdown also its size and bytes_per_second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "SyntheticSite.h"
#include "calc/OrderedPointRunner.h"
#include "calc/PredictionRun.h"
#include "calc/RunHost.h"
#include "model/persistence/ProjectFile.h"

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

// One run of the model's grid per iteration; the counters of all of them.
void RunGrid(benchmark::State& state, const CNoise& model, int threads, bool withBreakdown) {
    const std::filesystem::path breakdown = std::filesystem::temp_directory_path() /
                                            ("kelmora-bench-breakdown-" + std::to_string(threads) + ".csv");
    double points = 0.0;
    double pairs = 0.0;
    double bytes = 0.0;
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

// The grid of the bundled example (KELMORA_EXAMPLE_PROJECT, else examples/factory.kel from the working
// directory), computed in horizontal grid mode whatever mode the project is stored in.
void BM_ExampleGrid(benchmark::State& state) {
    const char* env = std::getenv("KELMORA_EXAMPLE_PROJECT");
    const std::filesystem::path path = env != nullptr ? env : "examples/factory.kel";
    CNoise model;
    try {
        model = ReadProjectFile(path).model;
    } catch (const std::exception& e) {
        state.SkipWithError((path.string() + ": " + e.what()).c_str());
        return;
    }
    model.calcInfo.mode = kHorizontalGridMode;
    RunGrid(state, model, static_cast<int>(state.range(0)), false);
}
BENCHMARK(BM_ExampleGrid)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("threads")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
