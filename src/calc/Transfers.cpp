#include "calc/Transfers.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "calc/PathEvaluation.h"
#include "calc/PointPrediction.h"
#include "model/persistence/Archive.h"

namespace kelmora {
namespace {

// The source as far as transfers see it: its place, Q and spectrum kinds.
void LeaveOutPowerAndTime(CSound& source) {
    source.noiseType = 0;
    source.duration = 0.0;
    source.eventsPerHour = 0.0;
    source.memo.clear();
    for (CBand* band : {&source.powerAverage, &source.powerMax}) {
        const int kind = band->kind;
        *band = CBand();
        band->kind = kind;
    }
}

bool SameBits(const CVector3D& a, const CVector3D& b) {
    return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
           std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y) &&
           std::bit_cast<std::uint64_t>(a.z) == std::bit_cast<std::uint64_t>(b.z);
}

}  // namespace

std::int64_t CTransferStore::PairCount() const {
    std::int64_t pairs = 0;
    for (const PointTransfers& p : points)
        pairs += static_cast<std::int64_t>(p.pairs.size());
    return pairs;
}

std::int64_t CTransferStore::ByteSize() const {
    return PairCount() * static_cast<std::int64_t>(sizeof(PairTransfer)) +
           static_cast<std::int64_t>(points.size() * sizeof(PointTransfers));
}

std::vector<const CSound*> UserSources(const CNoise& model) {
    std::vector<const CSound*> sources;
    for (const CSound& s : model.outdoorSources)
        sources.push_back(&s);
    for (const CBuilding& building : model.buildings) {
        for (const CRoom& room : building.rooms) {
            for (const CSound& s : room.sources)
                sources.push_back(&s);
        }
    }
    return sources;
}

Fingerprint SiteFingerprint(const CNoise& model) {
    CNoise site = model;
    site.calcInfo = CCalcInfo();
    site.targetTime = 0.0;
    site.openingSources.clear();
    for (CSound& s : site.outdoorSources)
        LeaveOutPowerAndTime(s);
    for (CBuilding& building : site.buildings) {
        for (CRoom& room : building.rooms) {
            for (CSound& s : room.sources)
                LeaveOutPowerAndTime(s);
        }
    }
    CArchive ar;
    site.Serialize(ar);
    CFingerprintHasher h;
    h.AddBytes(ar.Bytes().data(), ar.Bytes().size());
    return h.Final();
}

Fingerprint ConditionsFingerprint(const CNoise& model) {
    CFingerprintHasher h;
    h.Add(model.temperature);
    h.Add(model.humidity);
    h.Add(static_cast<std::int32_t>(model.maxReflections));
    h.Add(model.effectiveDistance);
    // Reflections inside a building's volume are dropped: its roofs bound it, where it has walls.
    for (const CBuilding& building : model.buildings) {
        h.Add(static_cast<std::int32_t>(building.walls.empty() ? 0 : 1));
        h.Add(static_cast<std::int32_t>(building.roofs.size()));
        for (const CRoof& roof : building.roofs) {
            h.Add(roof.face.rect.p1);
            h.Add(roof.face.rect.p2);
            h.Add(roof.face.rect.p3);
        }
    }
    return h.Final();
}

std::vector<CVector3D> RunPointPositions(const CNoise& model) {
    std::vector<CVector3D> positions;
    for (const CPredictivePoint& p : model.calcInfo.PredictionPoints())
        positions.push_back(p.position);
    return positions;
}

void LevelsFromTransfers(std::span<const CSound* const> sources, const PointTransfers& transfers,
                         double targetTime, CPredictivePoint& point) {
    point.resultAverage = CBand::Filled(kNoSoundLevel);
    point.resultMax = CBand::Filled(kNoSoundLevel);
    if (!transfers.computed) return;
    const std::size_t count = std::min(sources.size(), transfers.pairs.size());
    CBand level;  // storage reused from source to source
    for (std::size_t s = 0; s < count; ++s) {
        const PairTransfer& pair = transfers.pairs[s];
        if (!pair.reached) continue;
        const CSound& source = *sources[s];
        level = source.powerAverage;
        for (int b = 0; b < level.bandCount(); ++b) {
            const double energy =
                std::pow(10.0, level.value(b) / 10.0) * pair.energy[static_cast<std::size_t>(b)];
            level.value(b) = energy > 0.0 ? 10.0 * std::log10(energy) : kNoSoundLevel;
        }
        point.resultAverage.addEnergy(TimeWeighting(source, level, targetTime));
        point.resultMax.addEnergy(MaximumLevel(source, level));
    }
}

bool TransfersFit(const CNoise& model, const CTransferStore& store) {
    const std::span<const CPredictivePoint> points = model.calcInfo.PredictionPoints();
    if (store.points.size() != points.size()) return false;
    const std::size_t users = UserSources(model).size();
    if (static_cast<std::size_t>(store.userSourceCount) != users) return false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PointTransfers& t = store.points[i];
        if (!SameBits(t.position, points[i].position)) return false;
        if (t.computed && t.pairs.size() != users) return false;
    }
    return true;
}

bool InstantUpdatePossible(const CNoise& before, const CNoise& after, const CTransferStore& store) {
    if (store.empty() || before.calcInfo.mode != after.calcInfo.mode || !TransfersFit(after, store))
        return false;
    const Fingerprint site = SiteFingerprint(after);
    return store.site == site && SiteFingerprint(before) == site;
}

bool RecomputeFromTransfers(CNoise& model, const CTransferStore& store) {
    if (!TransfersFit(model, store)) return false;
    const std::vector<const CSound*> sources = UserSources(model);
    const std::span<CPredictivePoint> points = model.calcInfo.PredictionPoints();
    for (std::size_t i = 0; i < points.size(); ++i)
        LevelsFromTransfers(sources, store.points[i], model.targetTime, points[i]);
    return true;
}

}  // namespace kelmora
