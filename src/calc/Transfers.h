#pragma once
// Transfers: what the propagation does to each of the user's sources at each prediction point,
// kept apart from the sources' powers and time patterns so that a change of those re-predicts every
// point without tracing a path again.
//
// A user source is an outdoor source or a source in a room; a room source reaches the outside as the
// sources at the patches of its room's openings (OpeningSources.h). Every level at a point is an energy
// sum over the user sources s of 10^(Lw_s/10) · H_s per band, where the transfer H_s sums, over the
// sources s makes (itself, or its opening sources) and over their paths to the point,
// 10^((gain + attenuation)/10): the opening gain (−TL + room term + patch area; 0 for an outdoor source)
// plus the path's spreading, air absorption, diffraction, reflection and absorption corrections. None
// of it depends on the powers, the noise type, the duration or the events per hour; the time weighting
// and the maximum level (powerMax + (L − powerAverage)) are applied per user source afterwards.
//
// Every run computes its levels from transfers, whether they were computed or reused, so a run that
// reuses stored transfers writes the same bytes as one that computes them all.
//
// A stored pair is found by what it is, not by where it stands: its user source by the source's key
// (UserSourceKeys: position, Q, spectrum kind and, for a room source, its room) and its
// point by the point's position, bit for bit (−0.0 as 0.0). Points and sources may be added, removed or
// reordered between runs: the pairs that are left are found again, and only new pairs are computed.
// A pair found is reused when the store's site fingerprint is the model's (nothing but sources and
// points changed), or else when its fingerprint still matches.
//
// The API, for a document (plain classes, no window needed):
//
//   CTransferStore store;                          // kept with the document, filled by its runs
//   CPredictionJob job(model, settings, &store);   // PredictionRun.h: reuses the pairs that still hold;
//                                                  // the run's transfers replace the store's contents
//                                                  // only when the run ends normally (then it
//                                                  // holds the run's own sources and points only)
//
// Re-predicting after an edit committed into `model`, with `before` the model of the last run:
//   if (InstantUpdatePossible(before, model, store)) {
//       RecomputeFromTransfers(model, store);       // every point's resultAverage/resultMax, no path traced
//   } else {
//       const std::int64_t n = PairsToCompute(model, store);  // PredictionRun.h, for the progress display
//       // run again with &store; job.transferCounts().computed counts up to n while it runs
//   }
//
// One source's share of a point (per-source contributions): match the model's sources and points to
// the store once, then take each pair; the point's levels are the energy sum of its sources' shares.
//   const std::vector<const CSound*> sources = UserSources(model);
//   const CTransferMatch match(store, UserSourceKeys(model), RunPointPositions(model));
//   const StoredPairs pairs = match.At(i);             // run point i: model.calcInfo.PredictionPoints()[i]
//   if (const PairTransfer* pair = pairs[s])           // user source s: sources[s]; null when not stored
//       SourceContribution c = ContributionFromTransfer(*sources[s], *pair, model.targetTime);
// The pairs are valid for `model` when TransfersFit(model, store) and the store's site is the model's
// (store.site == SiteFingerprint(model)); InstantUpdatePossible(before, model, store) checks both.
//
// A variant of the model (a what-if scenario) that changes only powers, time patterns, the target time,
// or removes sources or points: a copy of the model with the changes, then InstantUpdatePossible(model,
// variant, store) and RecomputeFromTransfers(variant, store) or ContributionFromTransfer per pair; the
// store is only read. A variant that changes anything else (a barrier, a source's position) needs a run;
// give it a copy of the store, so that the document's store stays that of the document's model, and
// that run traces only the pairs the variant changed.
//
// Everything here reads the store and the model and keeps no state: any number of threads may read one
// store at once while nothing writes it. A CTransferMatch and the StoredPairs it gives point into the
// store and are valid while the store is unchanged.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "calc/Fingerprint.h"
#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/Noise.h"
#include "model/Sound.h"

namespace kelmora {

// One source at one point.
struct PairTransfer {
    Fingerprint fingerprint{};  // of everything the transfer depends on (PairFingerprints in PointPrediction)
    bool reached = false;       // at least one path of one of its sources reaches the point
    // H per band of the kind of the source's average power (the first 1, 7 or 21 values), in energy.
    std::array<double, kThirdOctaveBands> energy{};

    friend bool operator==(const PairTransfer&, const PairTransfer&) = default;
};

// The transfers of the store's user sources at one point, one pair per source in the store's order.
struct PointTransfers {
    CVector3D position;     // m, the point they were computed for
    bool computed = false;  // false for a point of a list or grid below the ground: no sound, no pairs
    std::vector<PairTransfer> pairs;

    friend bool operator==(const PointTransfers&, const PointTransfers&) = default;
};

// The transfers of a run: one entry per prediction point of the run (the single point, or the list or
// grid in stored order), each with one pair per user source of the run.
class CTransferStore {
public:
    // Of the site without its sources and points (SiteFingerprint). When it matches the model of the
    // next run, every pair of a source with the same key at a point with the same position is reused
    // without looking at its scene.
    Fingerprint site{};
    // The key of each user source of the run (UserSourceKeys), in UserSources order: the pairs of every
    // computed point follow it.
    std::vector<Fingerprint> sources;
    std::vector<PointTransfers> points;

    bool empty() const { return points.empty(); }
    // The number of source–point pairs held.
    std::int64_t PairCount() const;
    // Memory the transfers take [bytes], about points × user sources × 21 × 8.
    std::int64_t ByteSize() const;

    friend bool operator==(const CTransferStore&, const CTransferStore&) = default;
};

// How the pairs of a run were obtained.
struct TransferCounts {
    std::int64_t computed = 0;  // traced: scene, paths and corrections
    std::int64_t reused = 0;    // taken from the store
};

// The user sources of the model: its outdoor sources in stored order, then the sources of every
// building's rooms (building, room, source in stored order).
std::vector<const CSound*> UserSources(const CNoise& model);

// The key of every user source (UserSources order): a fingerprint of everything of the source that
// its transfers depend on within an unchanged site — its position, Q and spectrum kind and, for a room
// source, its room without its sources. The sources a room source makes at its room's openings
// (positions, Q, opening gains) follow from those alone (OpeningSources.h): the room's shape,
// absorption and openings, and the source's position, Q and kind; the other sources of the room play
// no part. Two sources with one key have the same transfers at every point of one site.
std::vector<Fingerprint> UserSourceKeys(const CNoise& model);

// The fingerprint of everything in the model that transfers depend on, apart from the sources and the
// points: the model without its sources (outdoor, room and opening sources), target time and
// calculation settings for points.
Fingerprint SiteFingerprint(const CNoise& model);

// The fingerprint of the run's conditions shared by every pair: temperature, humidity and number of
// reflections. (The effective distance enters each pair through its sources being skipped or not, the
// buildings' volumes through the pair's scene: PairFingerprints.)
Fingerprint ConditionsFingerprint(const CNoise& model);

// The positions of the points a run of the model computes: the single point, or the list or grid.
std::vector<CVector3D> RunPointPositions(const CNoise& model);

// The stored pairs of one point of a run, in the run's user source order.
class StoredPairs {
public:
    StoredPairs() = default;
    StoredPairs(const PointTransfers* point, std::span<const int> columns)
        : point_(point), columns_(columns) {}

    // The stored pair of the run's user source s, or null: no stored point at this position (or one
    // below the ground), or no stored source with its key.
    const PairTransfer* operator[](std::size_t s) const {
        if (point_ == nullptr || !point_->computed || s >= columns_.size() || columns_[s] < 0) return nullptr;
        const std::size_t column = static_cast<std::size_t>(columns_[s]);
        return column < point_->pairs.size() ? &point_->pairs[column] : nullptr;
    }
    // The stored point at this position, or null.
    const PointTransfers* point() const { return point_; }
    bool any() const;

private:
    const PointTransfers* point_ = nullptr;
    std::span<const int> columns_;
};

// Finds, for the user sources and points of a run, the store's pairs of the same source keys at the
// same positions. Holds pointers into the store, which must outlive it and stay unchanged.
class CTransferMatch {
public:
    CTransferMatch() = default;  // nothing stored
    CTransferMatch(const CTransferStore& store, std::span<const Fingerprint> sourceKeys,
                   std::span<const CVector3D> positions);

    // The stored pairs of run point i (from 0).
    StoredPairs At(std::size_t point) const;
    // The run's pairs that have a stored pair (at a stored point computed), and all of them.
    std::int64_t FoundPairs() const { return found_; }
    std::int64_t RunPairs() const { return static_cast<std::int64_t>(rows_.size() * columns_.size()); }

private:
    const CTransferStore* store_ = nullptr;
    std::vector<int> columns_;  // per run source: its column in the store, or −1
    std::vector<int> rows_;     // per run point: the stored point at its position, or −1
    std::int64_t found_ = 0;
};

// What one user source adds at a point, from its transfer there and its current power and time pattern,
// in bands of the kind of its average power: `laeq` its time-weighted level over the target time,
// `lamax` its maximum level (its maximum power less the same attenuation). A point's resultAverage and
// resultMax are the energy sums (CBand::addEnergy) of these over the sources that reach it, added in
// user source order.
struct SourceContribution {
    bool reached = false;  // false: no path of the source reaches the point, it adds nothing
    CBand laeq = CBand::Filled(kNoSoundLevel);
    CBand lamax = CBand::Filled(kNoSoundLevel);
};

// The contribution of `source` at a point from its pair there, with the target time `targetTime` [s].
SourceContribution ContributionFromTransfer(const CSound& source, const PairTransfer& pair,
                                            double targetTime);

// The levels at one point from its transfers and the user sources' current powers and time patterns:
// resultAverage (LAeqT over `targetTime`) and resultMax, both from no sound (−100) for a point not
// computed. Every source that reaches the point adds its levels, one source after the other.
void LevelsFromTransfers(std::span<const CSound* const> sources, const PointTransfers& transfers,
                         double targetTime, CPredictivePoint& point);
// The same from stored pairs found for the point (every source must have one).
void LevelsFromTransfers(std::span<const CSound* const> sources, const StoredPairs& pairs, double targetTime,
                         CPredictivePoint& point);

// True when the store holds a pair for every user source of the model at every point a run of it
// computes (found by key and position), and a point below the ground where a run computes none.
bool TransfersFit(const CNoise& model, const CTransferStore& store);

// True when `after` differs from `before` (the model whose run filled the store) in nothing that
// transfers depend on: in the sources' powers (average and maximum, same spectrum kind of the average
// power), noise types, durations, events per hour, memos, the target time, and in which sources and
// points there are and their order, as long as the store holds the pairs of every one of them (sources
// or points removed or reordered; a copy of a source added at the same place). Then RecomputeFromTransfers
// gives `after` the results a full run would give. An outdoor source's Q is no such edit: it enters the
// spreading of every path and again the diffuse reflections, so a path's level does not move by one
// constant term with it.
bool InstantUpdatePossible(const CNoise& before, const CNoise& after, const CTransferStore& store);

// Sets every prediction point's resultAverage and resultMax from the store, as the run would; no path
// is traced. False, leaving the points as they are, when the store does not fit the model.
bool RecomputeFromTransfers(CNoise& model, const CTransferStore& store);

}  // namespace kelmora
