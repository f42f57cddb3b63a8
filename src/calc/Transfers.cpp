#include "calc/Transfers.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "calc/PathEvaluation.h"
#include "calc/PointPrediction.h"
#include "model/persistence/Archive.h"

namespace kelmora {
namespace {

// A point's position as bits, −0.0 taken as 0.0: the key points are found by.
using PositionBits = std::array<std::uint64_t, 3>;

PositionBits BitsOf(const CVector3D& p) {
    return {std::bit_cast<std::uint64_t>(CanonicalZero(p.x)),
            std::bit_cast<std::uint64_t>(CanonicalZero(p.y)),
            std::bit_cast<std::uint64_t>(CanonicalZero(p.z))};
}

struct WordsHash {
    template <std::size_t N>
    std::size_t operator()(const std::array<std::uint64_t, N>& words) const {
        std::uint64_t h = 0x9e3779b97f4a7c15ull;
        for (const std::uint64_t w : words)
            h = (h ^ w) * 0xff51afd7ed558ccdull + (h >> 29);
        return static_cast<std::size_t>(h ^ (h >> 32));
    }
};

void HashSourceItself(CFingerprintHasher& h, const CSound& source) {
    h.Add(source.position);
    h.Add(source.q);
    h.Add(static_cast<std::int32_t>(source.powerAverage.kind));
}

// Values and spectra with −0.0 taken as 0.0 and without the spectra's titles, which no number depends on.
void Canonical(double& v) {
    v = CanonicalZero(v);
}

void Canonical(CVector3D& p) {
    Canonical(p.x);
    Canonical(p.y);
    Canonical(p.z);
}

void Canonical(CBand& band) {
    band.title.clear();
    Canonical(band.overall);
    for (double& v : band.octave)
        Canonical(v);
    for (double& v : band.third)
        Canonical(v);
}

// An opening or a room as the sources made at its openings see it: without its memo and names, with
// −0.0 taken as 0.0.
void Canonical(CWindow& opening) {
    opening.memo.clear();
    for (CVector3D* p : {&opening.rect.p1, &opening.rect.p2, &opening.rect.p3})
        Canonical(*p);
    Canonical(opening.area);
    Canonical(opening.absorption);
    Canonical(opening.tl);
    Canonical(opening.q);
    for (CWindow& inner : opening.containedOpenings)
        Canonical(inner);
}

void Canonical(CRoom& room) {
    room.memo.clear();
    Canonical(room.surfaceArea);
    Canonical(room.ceilingZ);
    Canonical(room.floorZ);
    for (CVector3D& v : room.outline.vertices)
        Canonical(v);
    for (CBand* band : {&room.meanAbsorption, &room.defaultAbsorptionCeiling, &room.defaultAbsorptionFloor,
                        &room.defaultAbsorptionWall, &room.defaultTl})
        Canonical(*band);
    for (CWindow& opening : room.openings)
        Canonical(opening);
}

// The levels at a point from the transfer of each user source, pairAt(s) (null: the source adds
// nothing).
template <typename PairAt>
void SumLevels(std::span<const CSound* const> sources, PairAt pairAt, double targetTime,
               CPredictivePoint& point) {
    for (std::size_t s = 0; s < sources.size(); ++s) {
        const PairTransfer* pair = pairAt(s);
        if (pair == nullptr || !pair->reached) continue;
        const SourceContribution c = ContributionFromTransfer(*sources[s], *pair, targetTime);
        point.resultAverage.addEnergy(c.laeq);
        point.resultMax.addEnergy(c.lamax);
    }
}

// True when every point has a stored point, and every computed one a pair of every source.
bool MatchComplete(const CTransferMatch& match, std::size_t points, std::size_t sources) {
    for (std::size_t i = 0; i < points; ++i) {
        const StoredPairs pairs = match.At(i);
        if (pairs.point() == nullptr) return false;
        if (!pairs.point()->computed) continue;
        for (std::size_t s = 0; s < sources; ++s) {
            if (pairs[s] == nullptr) return false;
        }
    }
    return true;
}

}  // namespace

SourceContribution ContributionFromTransfer(const CSound& source, const PairTransfer& pair,
                                            double targetTime) {
    SourceContribution c;
    if (!pair.reached) return c;
    c.reached = true;
    CBand level = source.powerAverage;  // the source's level at the point
    for (int b = 0; b < level.bandCount(); ++b) {
        const double energy =
            std::pow(10.0, level.value(b) / 10.0) * pair.energy[static_cast<std::size_t>(b)];
        level.value(b) = energy > 0.0 ? 10.0 * std::log10(energy) : kNoSoundLevel;
    }
    c.laeq = TimeWeighting(source, level, targetTime);
    c.lamax = MaximumLevel(source, level);
    return c;
}

std::int64_t CTransferStore::PairCount() const {
    std::int64_t pairs = 0;
    for (const PointTransfers& p : points)
        pairs += static_cast<std::int64_t>(p.pairs.size());
    return pairs;
}

std::int64_t CTransferStore::ByteSize() const {
    return PairCount() * static_cast<std::int64_t>(sizeof(PairTransfer)) +
           static_cast<std::int64_t>(points.size() * sizeof(PointTransfers) +
                                     sources.size() * sizeof(Fingerprint));
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

std::vector<Fingerprint> UserSourceKeys(const CNoise& model) {
    std::vector<Fingerprint> keys;
    for (const CSound& source : model.outdoorSources) {
        CFingerprintHasher h;
        h.Add(std::int32_t{0});
        HashSourceItself(h, source);
        keys.push_back(h.Final());
    }
    for (const CBuilding& building : model.buildings) {
        for (const CRoom& room : building.rooms) {
            if (room.sources.empty()) continue;
            // The room as its opening sources see it: everything of it but its sources and names.
            CRoom empty = room;
            empty.sources.clear();
            Canonical(empty);
            CArchive ar;
            empty.Serialize(ar);
            CFingerprintHasher roomHash;
            roomHash.AddBytes(ar.Bytes().data(), ar.Bytes().size());
            const Fingerprint roomKey = roomHash.Final();
            for (const CSound& source : room.sources) {
                CFingerprintHasher h;
                h.Add(std::int32_t{1});
                HashSourceItself(h, source);
                h.Add(roomKey);
                keys.push_back(h.Final());
            }
        }
    }
    return keys;
}

Fingerprint SiteFingerprint(const CNoise& model) {
    CNoise site = model;
    site.calcInfo = CCalcInfo();
    site.targetTime = 0.0;
    site.outdoorSources.clear();
    site.openingSources.clear();
    for (CBuilding& building : site.buildings) {
        for (CRoom& room : building.rooms)
            room.sources.clear();
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
    return h.Final();
}

std::vector<CVector3D> RunPointPositions(const CNoise& model) {
    std::vector<CVector3D> positions;
    for (const CPredictivePoint& p : model.calcInfo.PredictionPoints())
        positions.push_back(p.position);
    return positions;
}

bool StoredPairs::any() const {
    if (point_ == nullptr || !point_->computed) return false;
    for (std::size_t s = 0; s < columns_.size(); ++s) {
        if ((*this)[s] != nullptr) return true;
    }
    return false;
}

CTransferMatch::CTransferMatch(const CTransferStore& store, std::span<const Fingerprint> sourceKeys,
                               std::span<const CVector3D> positions)
    : store_(&store) {
    std::unordered_map<Fingerprint, int, WordsHash> columnOfKey;
    for (std::size_t c = 0; c < store.sources.size(); ++c)
        columnOfKey.try_emplace(store.sources[c], static_cast<int>(c));
    columns_.reserve(sourceKeys.size());
    std::size_t sourcesFound = 0;
    for (const Fingerprint& key : sourceKeys) {
        const auto it = columnOfKey.find(key);
        columns_.push_back(it != columnOfKey.end() ? it->second : -1);
        sourcesFound += it != columnOfKey.end() ? 1 : 0;
    }

    // A computed point is preferred to one below the ground at the same place (of another mode).
    std::unordered_map<PositionBits, int, WordsHash> rowOfPosition;
    for (std::size_t r = 0; r < store.points.size(); ++r) {
        const PointTransfers& p = store.points[r];
        if (p.computed && p.pairs.size() != store.sources.size()) continue;  // never made so
        const auto [it, inserted] = rowOfPosition.try_emplace(BitsOf(p.position), static_cast<int>(r));
        if (!inserted && p.computed && !store.points[static_cast<std::size_t>(it->second)].computed)
            it->second = static_cast<int>(r);
    }
    rows_.reserve(positions.size());
    for (const CVector3D& position : positions) {
        const auto it = rowOfPosition.find(BitsOf(position));
        const int row = it != rowOfPosition.end() ? it->second : -1;
        rows_.push_back(row);
        if (row >= 0 && store.points[static_cast<std::size_t>(row)].computed)
            found_ += static_cast<std::int64_t>(sourcesFound);
    }
}

StoredPairs CTransferMatch::At(std::size_t point) const {
    if (store_ == nullptr || point >= rows_.size() || rows_[point] < 0) return StoredPairs(nullptr, columns_);
    return StoredPairs(&store_->points[static_cast<std::size_t>(rows_[point])], columns_);
}

void LevelsFromTransfers(std::span<const CSound* const> sources, const PointTransfers& transfers,
                         double targetTime, CPredictivePoint& point) {
    point.resultAverage = CBand::Filled(kNoSoundLevel);
    point.resultMax = CBand::Filled(kNoSoundLevel);
    if (!transfers.computed) return;
    const auto pairAt = [&](std::size_t s) {
        return s < transfers.pairs.size() ? &transfers.pairs[s] : nullptr;
    };
    SumLevels(sources, pairAt, targetTime, point);
}

void LevelsFromTransfers(std::span<const CSound* const> sources, const StoredPairs& pairs, double targetTime,
                         CPredictivePoint& point) {
    point.resultAverage = CBand::Filled(kNoSoundLevel);
    point.resultMax = CBand::Filled(kNoSoundLevel);
    if (pairs.point() == nullptr || !pairs.point()->computed) return;
    SumLevels(
        sources, [&](std::size_t s) { return pairs[s]; }, targetTime, point);
}

bool TransfersFit(const CNoise& model, const CTransferStore& store) {
    const CTransferMatch match(store, UserSourceKeys(model), RunPointPositions(model));
    return MatchComplete(match, model.calcInfo.PredictionPoints().size(), UserSources(model).size());
}

bool InstantUpdatePossible(const CNoise& before, const CNoise& after, const CTransferStore& store) {
    if (store.empty() || before.calcInfo.mode != after.calcInfo.mode) return false;
    const Fingerprint site = SiteFingerprint(after);
    if (store.site != site || SiteFingerprint(before) != site) return false;
    return TransfersFit(after, store);
}

bool RecomputeFromTransfers(CNoise& model, const CTransferStore& store) {
    const CTransferMatch match(store, UserSourceKeys(model), RunPointPositions(model));
    const std::vector<const CSound*> sources = UserSources(model);
    const std::span<CPredictivePoint> points = model.calcInfo.PredictionPoints();
    if (!MatchComplete(match, points.size(), sources.size())) return false;
    for (std::size_t i = 0; i < points.size(); ++i)
        LevelsFromTransfers(sources, match.At(i), model.targetTime, points[i]);
    return true;
}

}  // namespace kelmora
