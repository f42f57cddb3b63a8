#include "calc/PointPrediction.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>

#include "calc/BreakdownLines.h"
#include "calc/PathEvaluation.h"
#include "geometry/VectorOps.h"
#include "propagation/GroundModel.h"
#include "propagation/Scene.h"
#include "propagation/SiteFaces.h"
#include "propagation/WorkCounters.h"

namespace kelmora {
namespace {

// The share of the target time over which the source's average level counts.
double TimeWeight(const CSound& source, double targetTime) {
    const double events = targetTime * source.eventsPerHour / 3600.0;
    if (source.noiseType == kImpulsiveNoise) return events / targetTime;
    return std::min(targetTime, events * source.duration) / targetTime;
}

constexpr int kReaches = 0;  // the source is traced
constexpr int kUnderground = 1;
constexpr int kTooFar = 2;

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameBits(const CVector3D& a, const CVector3D& b) {
    return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z);
}

// Whether a source is traced to the point, or why not.
int SkipOf(const PredictionSite& site, const CSound& source, const CVector3D& point) {
    if (source.position.z - GroundHeightAt(site.terrain, source.position) < -kBelowGroundMargin)
        return kUnderground;
    if (Distance(source.position, point) > site.model.effectiveDistance) return kTooFar;
    return kReaches;
}

// A source the run traces: an outdoor source, or an opening source with the user source (its room
// source) whose transfer it adds to.
struct MadeSource {
    const CSound& source;
    std::size_t user;   // index in site.userSources
    const CBand* gain;  // opening gain; null for an outdoor source
    SourceOrigin origin;
    int number;  // in its group, from 1
    int count;   // of its group
};

// Every outdoor source, then every opening source, in the order of the run.
template <typename Visit>
void ForEachMadeSource(const PredictionSite& site, Visit visit) {
    const std::vector<CSound>& outdoor = site.model.outdoorSources;
    const int outdoorCount = static_cast<int>(outdoor.size());
    for (int k = 0; k < outdoorCount; ++k)
        visit(MadeSource{outdoor[static_cast<std::size_t>(k)], static_cast<std::size_t>(k), nullptr,
                         SourceOrigin::Outdoor, k + 1, outdoorCount});
    const std::vector<CSound>& opening = site.model.openingSources;
    const int openingCount = static_cast<int>(opening.size());
    for (int k = 0; k < openingCount; ++k) {
        const OpeningOrigin& origin = site.origins[static_cast<std::size_t>(k)];
        visit(MadeSource{opening[static_cast<std::size_t>(k)],
                         static_cast<std::size_t>(outdoorCount + origin.roomSource), &origin.gain,
                         SourceOrigin::BuildingOpening, k + 1, openingCount});
    }
}

// The start of every user source's fingerprint: the conditions and the source's own position, Q and
// spectrum kind (the kind of its average power: transfers are kept in it; the maximum level is formed
// from the average's afterwards).
CFingerprintHasher StartPairHash(const PredictionSite& site, const CSound& user) {
    CFingerprintHasher h;
    h.Add(site.conditions);
    h.Add(user.position);
    h.Add(user.q);
    h.Add(static_cast<std::int32_t>(user.powerAverage.kind));
    return h;
}

// What the paths of a pair depend on besides the conditions and the source: the faces of its scene and
// the roofs whose volumes can drop one of the scene's paths.
Fingerprint PairSceneFingerprint(const PredictionSite& site, const Scene& scene) {
    thread_local CFingerprintHasher h;  // its state kept by the thread from pair to pair
    h.Reset();
    h.AddScene(scene);
    std::int32_t roofs = 0;
    site.volumes.ForEachNear(scene, [&](const CMyRect& rect) {
        h.Add(rect.p1);
        h.Add(rect.p2);
        h.Add(rect.p3);
        ++roofs;
    });
    h.Add(roofs);
    return h.Final();
}

std::optional<CSiteFaces> TryPrepareSiteFaces(const CNoise& model) {
    try {
        return PrepareSiteFaces(model);
    } catch (...) {
        return std::nullopt;
    }
}

// The scene of a pair, from the faces made once per run when there are any.
void BuildPairScene(const PredictionSite& site, const CVector3D& s, const CVector3D& r, Scene& scene) {
    if (site.faces)
        BuildScene(*site.faces, site.terrain, s, r, scene);
    else
        BuildScene(site.model, site.terrain, s, r, scene);
}

std::vector<CFingerprintHasher> StartPairHashes(const PredictionSite& site) {
    std::vector<CFingerprintHasher> hashers;
    hashers.reserve(site.userSources.size());
    for (const CSound* user : site.userSources)
        hashers.push_back(StartPairHash(site, *user));
    return hashers;
}

void HashMadeSource(CFingerprintHasher& h, const MadeSource& made, int skip, const Fingerprint* scene) {
    h.Add(made.source.position);
    h.Add(made.source.q);
    h.Add(static_cast<std::int32_t>(made.source.powerAverage.kind));
    if (made.gain != nullptr) h.Add(*made.gain);
    h.Add(static_cast<std::int32_t>(skip));
    if (scene != nullptr) h.Add(*scene);
}

// Traces the sources of the user sources marked in `trace` to the point, adding their transfers, and
// writes the breakdown of every source (the sources of the others keep their headings only, which
// are never written: a run with a breakdown traces all). The fingerprints of the sources marked in
// `hash` are made on the way from the scenes built for the tracing.
void TraceSources(const PredictionSite& site, const CPredictivePoint& point, CBreakdownWriter& w,
                  const std::vector<char>& trace, const std::vector<char>& hash, PointTransfers& transfers) {
    const CNoise& model = site.model;
    std::vector<CFingerprintHasher> hashers;
    if (site.fingerprints) hashers = StartPairHashes(site);
    Scene scene;  // reused from source to source
    CPairAttenuation attenuation;
    Fingerprint sceneFingerprint{};
    ForEachMadeSource(site, [&](const MadeSource& made) {
        const CSound& source = made.source;
        WriteSourceHeading(w, made.origin, made.number, made.count, source);
        if (trace[made.user] == 0) return;
        const bool hashing = hash[made.user] != 0;
        const int skip = SkipOf(site, source, point.position);
        if (skip != kReaches) {
            WriteSourceSkipped(w, skip == kUnderground ? SourceSkip::BelowGround : SourceSkip::TooFar);
            if (hashing) HashMadeSource(hashers[made.user], made, skip, nullptr);
            return;
        }
        // Sources at one place (the machines of a room at one opening patch) share the paths.
        if (attenuation.Fits(source, point.position, w)) {
            ++WorkCounters().pairsSharingPaths;
        } else {
            BuildPairScene(site, source.position, point.position, scene);
            if (site.fingerprints) sceneFingerprint = PairSceneFingerprint(site, scene);
            EvaluatePairPaths(scene, model.buildings, model.temperature, model.humidity, model.maxReflections,
                              source, point.position, w, attenuation);
        }
        if (hashing) HashMadeSource(hashers[made.user], made, skip, &sceneFingerprint);
        if (w.writesFile()) {
            SourceLevels levels;  // the source's own lines of the breakdown
            SumPairPaths(attenuation, source, w, levels);
        }
        PairTransfer& pair = transfers.pairs[made.user];
        if (AccumulateTransfer(attenuation, made.gain, pair.energy)) pair.reached = true;
    });
    for (std::size_t s = 0; s < hashers.size(); ++s) {
        if (trace[s] != 0 && hash[s] != 0) transfers.pairs[s].fingerprint = hashers[s].Final();
    }
}

}  // namespace

PredictionSite::PredictionSite(const CNoise& m)
    : model(m),
      terrain(AllGroundLines(m)),
      faces(TryPrepareSiteFaces(m)),
      userSources(UserSources(m)),
      origins(OpeningOriginsOf(m.buildings)),
      sourceKeys(UserSourceKeys(m)),
      conditions(ConditionsFingerprint(m)),
      volumes(m.buildings) {}

CBand TimeWeighting(const CSound& source, const CBand& level, double targetTime) {
    const double w = TimeWeight(source, targetTime);
    CBand weighted = level;
    for (int i = 0; i < weighted.bandCount(); ++i) {
        const double energy = std::pow(10.0, level.value(i) / 10.0) * w;
        weighted.value(i) = energy > 0.0 ? 10.0 * std::log10(energy) : kNoSoundLevel;
    }
    return weighted;
}

bool PointAboveGround(const PredictionSite& site, const CVector3D& position) {
    return position.z - GroundHeightAt(site.terrain, position) > -kBelowGroundMargin;
}

bool ComputeSourceForPoint(const PredictionSite& site, CPredictivePoint& point, const CSound& source,
                           CBreakdownWriter& w) {
    const int skip = SkipOf(site, source, point.position);
    if (skip != kReaches) {
        WriteSourceSkipped(w, skip == kUnderground ? SourceSkip::BelowGround : SourceSkip::TooFar);
        return false;
    }
    const CNoise& model = site.model;
    Scene scene;
    BuildPairScene(site, source.position, point.position, scene);
    SourceLevels levels;
    if (!ComputeSourceAtPoint(scene, model.buildings, model.temperature, model.humidity, model.maxReflections,
                              source, point.position, w, levels))
        return false;
    point.resultAverage.addEnergy(TimeWeighting(source, levels.average, model.targetTime));
    point.resultMax.addEnergy(levels.maximum);
    return true;
}

void ComputePoint(const PredictionSite& site, CPredictivePoint& point, CBreakdownWriter& w) {
    PointTransfers transfers;
    ComputePoint(site, point, w, StoredPairs(), transfers);
}

std::vector<Fingerprint> PairFingerprints(const PredictionSite& site, const CVector3D& point) {
    std::vector<CFingerprintHasher> hashers = StartPairHashes(site);
    Scene scene;
    std::optional<CVector3D> scenePosition;
    Fingerprint sceneFingerprint{};
    ForEachMadeSource(site, [&](const MadeSource& made) {
        const int skip = SkipOf(site, made.source, point);
        if (skip != kReaches) {
            HashMadeSource(hashers[made.user], made, skip, nullptr);
            return;
        }
        // The sources of one opening patch stand at one place and share its scene.
        if (!scenePosition || !SameBits(*scenePosition, made.source.position)) {
            BuildPairScene(site, made.source.position, point, scene);
            sceneFingerprint = PairSceneFingerprint(site, scene);
            scenePosition = made.source.position;
        }
        HashMadeSource(hashers[made.user], made, skip, &sceneFingerprint);
    });
    std::vector<Fingerprint> fingerprints;
    fingerprints.reserve(hashers.size());
    for (const CFingerprintHasher& h : hashers)
        fingerprints.push_back(h.Final());
    return fingerprints;
}

namespace {

// Which pairs at the point are reused (0) and which traced (1), with the fingerprints of the traced
// ones that were made to compare them (and need not be made again while tracing).
struct PairChoice {
    std::vector<char> trace;
    std::vector<Fingerprint> fingerprints;  // empty unless made
};

PairChoice ChoosePairs(const PredictionSite& site, const CVector3D& point, const StoredPairs& stored,
                       bool tracesAll) {
    const std::size_t users = site.userSources.size();
    PairChoice choice{std::vector<char>(users, 1), {}};
    if (tracesAll || !stored.any()) return choice;
    if (!site.sameSite) choice.fingerprints = PairFingerprints(site, point);
    for (std::size_t s = 0; s < users; ++s) {
        const PairTransfer* before = stored[s];
        if (before != nullptr && (site.sameSite || choice.fingerprints[s] == before->fingerprint))
            choice.trace[s] = 0;
    }
    return choice;
}

}  // namespace

std::int64_t PairsToTrace(const PredictionSite& site, const CVector3D& point, const StoredPairs& stored) {
    const PairChoice choice = ChoosePairs(site, point, stored, false);
    return std::count(choice.trace.begin(), choice.trace.end(), 1);
}

TransferCounts ComputePoint(const PredictionSite& site, CPredictivePoint& point, CBreakdownWriter& w,
                            const StoredPairs& stored, PointTransfers& transfers) {
    const std::size_t users = site.userSources.size();
    transfers.position = point.position;
    transfers.computed = true;
    transfers.pairs.assign(users, PairTransfer{});
    const PairChoice choice = ChoosePairs(site, point.position, stored, w.writesFile());
    std::vector<char> hashWhileTracing(users, site.fingerprints ? 1 : 0);
    TransferCounts counts;
    for (std::size_t s = 0; s < users; ++s) {
        if (choice.trace[s] == 0) {
            transfers.pairs[s] = *stored[s];
            ++counts.reused;
        } else if (!choice.fingerprints.empty()) {
            transfers.pairs[s].fingerprint = choice.fingerprints[s];
            hashWhileTracing[s] = 0;
        }
    }
    counts.computed = static_cast<std::int64_t>(users) - counts.reused;

    w.ChangeLevel(1);
    if (counts.computed > 0 || w.writesFile())
        TraceSources(site, point, w, choice.trace, hashWhileTracing, transfers);
    w.ChangeLevel(-1);
    LevelsFromTransfers(site.userSources, transfers, site.model.targetTime, point);
    return counts;
}

}  // namespace kelmora
