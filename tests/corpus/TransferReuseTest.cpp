// Whole runs that keep and reuse transfers: a run that reuses the transfers of an earlier run writes the
// bytes (and sets the result bits) of a run that computes everything, after edits of powers and time
// patterns (nothing traced), of a barrier (only the pairs whose scenes hold it traced), of a roof (not
// the pairs its building cannot reach) and of the temperature (everything traced); after points and
// sources are added, removed or reordered (only new pairs traced); and after random single edits of
// any number of the model, one after the other. On the bundled example (a sample of its grid, to keep
// the time modest) and on random sites with opening sources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "ExampleSample.h"
#include "RandomSite.h"
#include "calc/FakeRunHost.h"
#include "calc/OpeningSources.h"
#include "calc/PredictionRun.h"
#include "calc/Transfers.h"
#include "model/persistence/ProjectFile.h"
#include "model/persistence/ProjectJson.h"
#include "propagation/GroundModel.h"
#include "propagation/Scene.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using corpus::ExampleGridSample;
using corpus::Slurp;

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
    const CNoise original = ExampleGridSample(8);
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

    // A roof moved by 1 m: the pairs whose scenes hold it, or whose paths may reflect within its
    // building, are traced; the others are reused.
    CNoise roofMoved = moved;
    for (CVector3D* p : {&roofMoved.buildings.back().roofs.at(0).face.rect.p1,
                         &roofMoved.buildings.back().roofs.at(0).face.rect.p2,
                         &roofMoved.buildings.back().roofs.at(0).face.rect.p3})
        p->x += 1.0;
    const std::int64_t roofScenes = PairsWithChangedScenes(moved, roofMoved);
    const RunOutput cachedRoof = RunWhole(roofMoved, &store);
    const RunOutput plainRoof = RunWhole(roofMoved, nullptr);
    EXPECT_GE(cachedRoof.counts.computed, roofScenes);
    EXPECT_GT(cachedRoof.counts.reused, 0);
    EXPECT_EQ(cachedRoof.laeq, plainRoof.laeq);
    EXPECT_EQ(cachedRoof.bits, plainRoof.bits);

    // The temperature enters every path: everything traced.
    CNoise warmer = roofMoved;
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

// Each source's contribution at each point, taken from the pairs found for the model's sources and
// points, sums in energy (in user source order) to the bits of the point's results; a source no path
// brings to the point adds nothing.
TEST(TransferReuse, SourceContributionsSumToThePointsLevels) {
    int unreached = 0;
    for (std::uint64_t seed = 1000; seed < 1006; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        CNoise site = corpus::RandomSite(seed);
        CTransferStore store;
        RunWhole(site, &store);
        CNoise model = site;
        std::reverse(model.outdoorSources.begin(), model.outdoorSources.end());
        ASSERT_TRUE(RecomputeFromTransfers(model, store));
        const std::vector<const CSound*> sources = UserSources(model);
        const CTransferMatch match(store, UserSourceKeys(model), RunPointPositions(model));
        const std::span<const CPredictivePoint> points = model.calcInfo.PredictionPoints();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const StoredPairs pairs = match.At(i);
            if (pairs.point() == nullptr || !pairs.point()->computed) continue;
            CBand laeq = CBand::Filled(kNoSoundLevel);
            CBand lamax = CBand::Filled(kNoSoundLevel);
            for (std::size_t s = 0; s < sources.size(); ++s) {
                ASSERT_NE(pairs[s], nullptr);
                const SourceContribution c =
                    ContributionFromTransfer(*sources[s], *pairs[s], model.targetTime);
                EXPECT_EQ(c.reached, pairs[s]->reached);
                if (!c.reached) {
                    EXPECT_TRUE(c.laeq.allEqual(kNoSoundLevel));
                    ++unreached;
                    continue;
                }
                laeq.addEnergy(c.laeq);
                lamax.addEnergy(c.lamax);
            }
            EXPECT_EQ(laeq.third, points[i].resultAverage.third) << "point " << i;
            EXPECT_EQ(lamax.third, points[i].resultMax.third) << "point " << i;
        }
    }
    EXPECT_GT(unreached, 0);
}

// A copy of the model with `edit` applied to its JSON form (ProjectJson.h), or none when the edited
// form is no model a run takes.
std::optional<CNoise> EditedThroughJson(const CNoise& model, const std::function<void(ProjectJson&)>& edit) {
    ProjectDocument doc = NewProjectDocument();
    doc.model = model;
    ProjectJson json = ProjectToJson(doc);
    edit(json);
    try {
        CNoise edited = ProjectFromJson(json).model;
        if (RunInputProblem(edited)) return std::nullopt;
        return edited;
    } catch (const ProjectJsonError&) {
        return std::nullopt;
    }
}

// The JSON pointers of every number of the model.
void CollectNumbers(const ProjectJson& j, const std::string& at, std::vector<std::string>& out) {
    if (j.is_object()) {
        for (const auto& [key, value] : j.items())
            CollectNumbers(value, at + "/" + key, out);
    } else if (j.is_array()) {
        for (std::size_t i = 0; i < j.size(); ++i)
            CollectNumbers(j[i], at + "/" + std::to_string(i), out);
    } else if (j.is_number()) {
        out.push_back(at);
    }
}

// Runs `model` with a copy of `store` and without: the same files and bits, the pairs counted ahead
// those traced. Returns the cached run, its transfers left in `store`.
RunOutput ExpectCachedRunAsPlain(const CNoise& model, CTransferStore& store) {
    const std::int64_t ahead = PairsToCompute(model, store);
    const RunOutput cached = RunWhole(model, &store);
    const RunOutput plain = RunWhole(model, nullptr);
    EXPECT_EQ(cached.laeq, plain.laeq);
    EXPECT_EQ(cached.lamax, plain.lamax);
    EXPECT_EQ(cached.bits, plain.bits);
    EXPECT_EQ(cached.counts.computed, ahead);
    EXPECT_EQ(cached.counts.computed + cached.counts.reused, plain.counts.computed + plain.counts.reused);
    return cached;
}

std::int64_t ComputedPoints(const CTransferStore& store) {
    return std::count_if(store.points.begin(), store.points.end(),
                         [](const PointTransfers& p) { return p.computed; });
}

// Points and sources added, removed or reordered: the pairs left are found again and only new pairs are
// traced; edits that leave no new pair re-predict without a run.
TEST(TransferReuse, PointsAndSourcesAddedRemovedOrReorderedTraceOnlyNewPairs) {
    int sitesWithRooms = 0;
    for (std::uint64_t seed = 1000; seed < 1008; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const CNoise site = corpus::RandomSite(seed);
        if (site.calcInfo.mode == kSinglePointMode || site.outdoorSources.size() < 2) continue;
        CTransferStore base;
        RunWhole(site, &base);
        const std::int64_t users = static_cast<std::int64_t>(base.sources.size());
        const std::int64_t computedPoints = ComputedPoints(base);

        struct Edit {
            const char* what;
            std::function<void(CNoise&)> apply;
            std::function<std::int64_t()> newPairs;
        };
        const auto pointsOf = [](CNoise& m) -> std::vector<CPredictivePoint>& {
            return m.calcInfo.mode == kPointListMode ? m.calcInfo.pointList : m.calcInfo.gridPoints;
        };
        const auto firstComputed = [&] {
            return static_cast<std::size_t>(std::find_if(base.points.begin(), base.points.end(),
                                                         [](const PointTransfers& p) { return p.computed; }) -
                                            base.points.begin());
        };
        std::vector<Edit> edits = {
            {"a point added above one",
             [&](CNoise& m) {
                 CPredictivePoint p = pointsOf(m).at(firstComputed());
                 p.position.z += 0.5;
                 pointsOf(m).insert(pointsOf(m).begin() + 1, p);
             },
             [&] { return users; }},
            {"a point removed", [&](CNoise& m) { pointsOf(m).pop_back(); }, [] { return 0; }},
            {"the points reversed", [&](CNoise& m) { std::reverse(pointsOf(m).begin(), pointsOf(m).end()); },
             [] { return 0; }},
            {"an outdoor source added",
             [](CNoise& m) {
                 CSound copy = m.outdoorSources.front();
                 copy.position.x += 5.0;
                 m.outdoorSources.insert(m.outdoorSources.begin(), copy);
             },
             [&] { return computedPoints; }},
            {"an outdoor source removed", [](CNoise& m) { m.outdoorSources.erase(m.outdoorSources.begin()); },
             [] { return 0; }},
            {"the outdoor sources swapped",
             [](CNoise& m) { std::swap(m.outdoorSources.front(), m.outdoorSources.back()); },
             [] { return 0; }},
        };
        const bool hasRoomSources =
            std::any_of(site.buildings.begin(), site.buildings.end(), [](const CBuilding& b) {
                return std::any_of(b.rooms.begin(), b.rooms.end(),
                                   [](const CRoom& r) { return !r.sources.empty(); });
            });
        if (hasRoomSources) {
            ++sitesWithRooms;
            const auto firstRoom = [](CNoise& m) -> std::vector<CSound>& {
                for (CBuilding& b : m.buildings)
                    for (CRoom& r : b.rooms)
                        if (!r.sources.empty()) return r.sources;
                throw std::logic_error("no room source");
            };
            edits.push_back({"a room source added",
                             [=](CNoise& m) {
                                 std::vector<CSound>& sources = firstRoom(m);
                                 CSound copy = sources.front();
                                 copy.position.z += 0.25;
                                 sources.push_back(copy);
                             },
                             [&] { return computedPoints; }});
            edits.push_back({"the room sources reversed and one removed",
                             [=](CNoise& m) {
                                 std::vector<CSound>& sources = firstRoom(m);
                                 std::reverse(sources.begin(), sources.end());
                                 if (sources.size() > 1) sources.pop_back();
                             },
                             [] { return 0; }});
        }
        for (const Edit& edit : edits) {
            SCOPED_TRACE(edit.what);
            CNoise edited = site;
            edit.apply(edited);
            CTransferStore store = base;
            EXPECT_EQ(InstantUpdatePossible(site, edited, base), edit.newPairs() == 0);
            const RunOutput cached = ExpectCachedRunAsPlain(edited, store);
            EXPECT_EQ(cached.counts.computed, edit.newPairs());
            if (edit.newPairs() == 0) {
                EXPECT_EQ(InstantBits(edited, base), cached.bits);
            }
        }
        // Names change no number: a room's memo and its spectra's titles renamed trace nothing.
        if (hasRoomSources) {
            CNoise renamed = site;
            for (CBuilding& b : renamed.buildings)
                for (CRoom& r : b.rooms) {
                    r.memo += "(改)";
                    r.defaultTl.title = "新しい名前";
                }
            CTransferStore store = base;
            EXPECT_EQ(ExpectCachedRunAsPlain(renamed, store).counts.computed, 0);
        }
    }
    EXPECT_GT(sitesWithRooms, 0);
}

// Random single edits of any number of the model (every field of its JSON form is a candidate), one
// after the other, each run with the transfers of the run before it: the bits and files of a run that
// computes everything. A zero turned into −0.0 reuses every pair.
TEST(TransferReuse, RandomEditsOfAnyNumberGiveTheBitsOfAFullRun) {
    constexpr int kEditsPerSite = 10;
    int edits = 0;
    int negativeZeros = 0;
    for (std::uint64_t seed = 1000; seed < 1012; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        CNoise site = corpus::RandomSite(seed);
        if (site.calcInfo.mode == kSinglePointMode) continue;
        CTransferStore store;
        RunWhole(site, &store);
        std::mt19937_64 random(seed);
        for (int e = 0, tries = 0; e < kEditsPerSite && tries < 100; ++tries) {
            ProjectDocument doc = NewProjectDocument();
            doc.model = site;
            std::vector<std::string> numbers;
            CollectNumbers(ProjectToJson(doc)["model"], "/model", numbers);
            const std::string at = numbers[random() % numbers.size()];
            const std::uint64_t how = random();
            bool negativeZero = false;
            const std::optional<CNoise> edited = EditedThroughJson(site, [&](ProjectJson& json) {
                ProjectJson& value = json[ProjectJson::json_pointer(at)];
                if (value.is_number_integer()) {
                    value = value.get<std::int64_t>() + (how % 2 == 0 ? 1 : -1);
                    return;
                }
                const double v = value.get<double>();
                if (v == 0.0 && !std::signbit(v) && how % 3 == 0) {
                    value = -0.0;
                    negativeZero = true;
                    return;
                }
                const double step = 0.25 * static_cast<double>(1 + how % 8);
                value = how % 2 == 0 ? v + step : v * (1.0 - 0.05 * static_cast<double>(1 + how % 4));
            });
            if (!edited) continue;
            SCOPED_TRACE("edit " + at);
            const RunOutput cached = ExpectCachedRunAsPlain(*edited, store);
            if (negativeZero) {
                EXPECT_EQ(cached.counts.computed, 0);
                ++negativeZeros;
            }
            site = *edited;
            ++e;
            ++edits;
        }
    }
    EXPECT_GT(edits, 60);
    EXPECT_GT(negativeZeros, 0);
}

}  // namespace
}  // namespace kelmora
