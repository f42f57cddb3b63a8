// Whole runs that keep and reuse transfers: a run that reuses the transfers of an earlier run writes the
// bytes (and sets the result bits) of a run that computes everything, after edits of powers and time
// patterns (nothing traced), of a barrier (only the pairs whose scenes hold it traced) and of the
// temperature (everything traced). On the bundled example (a sample of its grid, to keep the time
// modest) and on random sites with opening sources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "RandomSite.h"
#include "calc/FakeRunHost.h"
#include "calc/OpeningSources.h"
#include "calc/PredictionRun.h"
#include "calc/Transfers.h"
#include "model/persistence/ProjectJson.h"
#include "propagation/GroundModel.h"
#include "propagation/Scene.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct RunOutput {
    std::string laeq;
    std::string lamax;
    std::vector<std::uint64_t> bits;  // every result band of every point, as bits
    TransferCounts counts;
};

// Runs the model (a copy) as the desktop program does, with the result files chosen and, when given,
// the transfers kept in and reused from `store`.
RunOutput RunWhole(CNoise model, CTransferStore* store, bool breakdown = false) {
    const fs::path dir = fs::temp_directory_path() / ("kelmora-transfers-" + std::to_string(getpid()));
    fs::create_directories(dir);
    FakeRunHost host;
    host.chosenFiles[OutputFile::AverageResult] = (dir / "laeq.txt").string();
    host.chosenFiles[OutputFile::MaximumResult] = (dir / "lamax.txt").string();
    if (breakdown) host.chosenFiles[OutputFile::Breakdown] = (dir / "breakdown.csv").string();
    RunOutput out;
    {
        CPredictionJob job(model, {2, 0}, store);
        job.RunHere(host);
        out.counts = job.transferCounts();
    }
    EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    out.laeq = Slurp(dir / "laeq.txt");
    out.lamax = Slurp(dir / "lamax.txt");
    for (const CPredictivePoint& p : model.calcInfo.PredictionPoints()) {
        for (const CBand* band : {&p.resultAverage, &p.resultMax}) {
            for (const double v : band->third)
                out.bits.push_back(std::bit_cast<std::uint64_t>(v));
        }
    }
    fs::remove_all(dir);
    return out;
}

// The result bits of the model's points after RecomputeFromTransfers.
std::vector<std::uint64_t> InstantBits(CNoise model, const CTransferStore& store) {
    EXPECT_TRUE(RecomputeFromTransfers(model, store));
    std::vector<std::uint64_t> bits;
    for (const CPredictivePoint& p : model.calcInfo.PredictionPoints()) {
        for (const CBand* band : {&p.resultAverage, &p.resultMax}) {
            for (const double v : band->third)
                bits.push_back(std::bit_cast<std::uint64_t>(v));
        }
    }
    return bits;
}

// The bundled example in grid mode over every eighth point of its grid.
CNoise ExampleGridSample() {
    std::ifstream in(KELMORA_EXAMPLE_JSON, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CNoise model = ParseProjectJson(text).model;
    model.calcInfo.mode = kHorizontalGridMode;
    std::vector<CPredictivePoint> sample;
    for (std::size_t i = 0; i < model.calcInfo.gridPoints.size(); i += 8)
        sample.push_back(model.calcInfo.gridPoints[i]);
    model.calcInfo.gridPoints = sample;
    return model;
}

CSound& FirstRoomSource(CNoise& model) {
    for (CBuilding& b : model.buildings) {
        for (CRoom& r : b.rooms) {
            if (!r.sources.empty()) return r.sources.front();
        }
    }
    throw std::logic_error("no room source");
}

// The user source pairs of the run whose scenes differ between the two models for at least one of the
// sources they make, counted with the scenes themselves (not their fingerprints).
std::int64_t PairsWithChangedScenes(CNoise a, CNoise b) {
    BuildOpeningSources(a);
    BuildOpeningSources(b);
    const std::vector<CGroundLine> terrainA = AllGroundLines(a), terrainB = AllGroundLines(b);
    const std::vector<OpeningOrigin> origins = OpeningOriginsOf(a.buildings);
    const std::size_t outdoor = a.outdoorSources.size();
    const std::size_t users = UserSources(a).size();
    std::int64_t changed = 0;
    for (const CPredictivePoint& p : a.calcInfo.PredictionPoints()) {
        if (p.position.z - GroundHeightAt(terrainA, p.position) < -0.3) continue;
        std::vector<char> differs(users, 0);
        const auto compare = [&](const CSound& s, std::size_t user) {
            if (Distance(s.position, p.position) > a.effectiveDistance) return;
            Scene sceneA, sceneB;
            BuildScene(a, terrainA, s.position, p.position, sceneA);
            BuildScene(b, terrainB, s.position, p.position, sceneB);
            if (sceneA != sceneB) differs[user] = 1;
        };
        for (std::size_t k = 0; k < outdoor; ++k)
            compare(a.outdoorSources[k], k);
        for (std::size_t k = 0; k < a.openingSources.size(); ++k)
            compare(a.openingSources[k], outdoor + static_cast<std::size_t>(origins[k].roomSource));
        for (const char d : differs)
            changed += d;
    }
    return changed;
}

TEST(TransferReuse, ExampleEditsReuseWhatStillHolds) {
    const CNoise original = ExampleGridSample();
    CTransferStore store;
    const RunOutput full = RunWhole(original, &store);
    const std::int64_t pairs = full.counts.computed;
    ASSERT_EQ(full.counts.reused, 0);
    ASSERT_GT(pairs, 0);
    EXPECT_EQ(full.bits, RunWhole(original, nullptr).bits) << "keeping transfers changes no bit";
    const CTransferStore fullStore = store;

    // Powers and time patterns, one edit after the other: nothing traced, the files of a full run.
    CNoise edited = original;
    const std::vector<std::function<void(CNoise&)>> edits = {
        [](CNoise& m) {
            for (double& v : m.outdoorSources.at(0).powerAverage.third)
                v += 3.0;
        },
        [](CNoise& m) { m.outdoorSources.at(1).duration /= 2.0; },
        [](CNoise& m) {
            for (double& v : FirstRoomSource(m).powerMax.third)
                v -= 4.5;
        },
    };
    for (std::size_t e = 0; e < edits.size(); ++e) {
        SCOPED_TRACE("edit " + std::to_string(e));
        const CNoise before = edited;
        edits[e](edited);
        EXPECT_TRUE(InstantUpdatePossible(before, edited, store));
        EXPECT_EQ(PairsToCompute(edited, store), 0);
        const RunOutput cached = RunWhole(edited, &store);
        const RunOutput plain = RunWhole(edited, nullptr);
        EXPECT_EQ(cached.counts.computed, 0);
        EXPECT_EQ(cached.counts.reused, pairs);
        EXPECT_EQ(cached.laeq, plain.laeq);
        EXPECT_EQ(cached.lamax, plain.lamax);
        EXPECT_EQ(cached.bits, plain.bits);
        EXPECT_EQ(InstantBits(edited, store), plain.bits);
        EXPECT_NE(plain.bits, full.bits);
    }

    // A barrier moved sideways by 1 m: only the pairs whose scenes hold it traced.
    CNoise moved = edited;
    moved.groundLines.at(1).walls.at(0).offsetHorizontal += 1.0;
    EXPECT_FALSE(InstantUpdatePossible(edited, moved, store));
    const std::int64_t touched = PairsWithChangedScenes(edited, moved);
    EXPECT_GT(touched, 0);
    EXPECT_LT(touched, pairs);
    EXPECT_EQ(PairsToCompute(moved, store), touched);
    CTransferStore beforeMove = store;
    const RunOutput cachedMove = RunWhole(moved, &store);
    const RunOutput plainMove = RunWhole(moved, nullptr);
    EXPECT_EQ(cachedMove.counts.computed, touched);
    EXPECT_EQ(cachedMove.counts.reused, pairs - touched);
    EXPECT_EQ(cachedMove.laeq, plainMove.laeq);
    EXPECT_EQ(cachedMove.lamax, plainMove.lamax);
    EXPECT_EQ(cachedMove.bits, plainMove.bits);

    // The temperature enters every path: everything traced.
    CNoise warmer = moved;
    warmer.temperature += 5.0;
    const RunOutput cachedWarm = RunWhole(warmer, &store);
    EXPECT_EQ(cachedWarm.counts.computed, pairs);
    EXPECT_EQ(cachedWarm.counts.reused, 0);

    // An outdoor source's Q is no power edit: its diffuse reflections count it again.
    CNoise directive = original;
    directive.outdoorSources.at(0).q = 4.0;
    EXPECT_FALSE(InstantUpdatePossible(original, directive, fullStore));
    EXPECT_EQ(PairsToCompute(directive, fullStore),
              static_cast<std::int64_t>(fullStore.points.size() -
                                        static_cast<std::size_t>(std::count_if(
                                            fullStore.points.begin(), fullStore.points.end(),
                                            [](const PointTransfers& p) { return !p.computed; }))));
}

// Random sites with opening sources: the same bits with transfers kept, reused after a power edit, and
// from a run with a breakdown (which traces every path but still keeps its transfers).
TEST(TransferReuse, RandomSitesGiveTheSameBitsWithAndWithoutTransfers) {
    for (std::uint64_t seed = 1000; seed < 1012; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        CNoise site = corpus::RandomSite(seed);
        if (site.calcInfo.mode == kSinglePointMode) continue;
        CTransferStore store;
        const RunOutput kept = RunWhole(site, &store);
        EXPECT_EQ(kept.bits, RunWhole(site, nullptr).bits);

        CNoise edited = site;
        for (CSound* s :
             std::vector<CSound*>{edited.outdoorSources.empty() ? nullptr : &edited.outdoorSources[0]}) {
            if (s != nullptr) s->eventsPerHour *= 3.0;
        }
        for (CBuilding& b : edited.buildings) {
            for (CRoom& r : b.rooms) {
                for (CSound& s : r.sources) {
                    for (double& v : s.powerAverage.third)
                        v += 2.0;
                }
            }
        }
        const RunOutput reused = RunWhole(edited, &store);
        EXPECT_EQ(reused.counts.computed, 0);
        EXPECT_EQ(reused.counts.reused, kept.counts.computed);
        EXPECT_EQ(reused.bits, RunWhole(edited, nullptr).bits);
        EXPECT_EQ(reused.laeq, RunWhole(edited, nullptr).laeq);

        CTransferStore traced = store;
        const RunOutput withBreakdown = RunWhole(edited, &traced, true);
        EXPECT_EQ(withBreakdown.counts.reused, 0);
        EXPECT_EQ(withBreakdown.bits, reused.bits);
        EXPECT_EQ(traced, store);
    }
}

}  // namespace
}  // namespace kelmora
