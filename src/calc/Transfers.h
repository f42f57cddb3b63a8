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
// Use from a document (plain classes, no window needed):
//   CTransferStore store;                          // kept with the document, filled by its runs
//   CPredictionJob job(model, settings, &store);   // PredictionRun.h: reuses the pairs whose fingerprints
//                                                  // still match, leaves the run's transfers in `store`
//   After an edit committed into `model`, with `before` the model of the last run:
//   if (InstantUpdatePossible(before, model, store)) {
//       RecomputeFromTransfers(model, store);       // every point's resultAverage/resultMax, no path traced
//   } else {
//       const std::int64_t n = PairsToCompute(model, store);  // PredictionRun.h, for the progress display
//       // run again with &store; job.transferCounts().computed counts up to n while it runs
//   }
// The store is the document's: it is written by a run only when the run ends normally.
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
    Fingerprint fingerprint{};  // of everything the transfer depends on (PairFingerprint in PointPrediction)
    bool reached = false;       // at least one path of one of its sources reaches the point
    // H per band of the kind of the source's average power (the first 1, 7 or 21 values), in energy.
    std::array<double, kThirdOctaveBands> energy{};

    friend bool operator==(const PairTransfer&, const PairTransfer&) = default;
};

// The transfers of all user sources at one point, in UserSources order.
struct PointTransfers {
    CVector3D position;     // m, the point they were computed for
    bool computed = false;  // false for a point of a list or grid below the ground: no sound, no pairs
    std::vector<PairTransfer> pairs;

    friend bool operator==(const PointTransfers&, const PointTransfers&) = default;
};

// The transfers of a run: one entry per prediction point of the run (the single point, or the list or
// grid in stored order).
class CTransferStore {
public:
    // Of the site without the sources' powers and time patterns (SiteFingerprint). When it matches the
    // model of the next run, every pair at an unchanged point is reused without looking at its scene.
    Fingerprint site{};
    int userSourceCount = 0;
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

// The fingerprint of everything in the model that transfers depend on, without the points: the
// model with the powers, noise types, durations, events per hour and memos of its sources and its
// target time left out, and without its calculation settings for points.
Fingerprint SiteFingerprint(const CNoise& model);

// The fingerprint of the run's conditions shared by every pair: temperature, humidity, number of
// reflections, effective distance and the building volumes in which reflections are dropped.
Fingerprint ConditionsFingerprint(const CNoise& model);

// The positions of the points a run of the model computes: the single point, or the list or grid.
std::vector<CVector3D> RunPointPositions(const CNoise& model);

// The levels at one point from its transfers and the user sources' current powers and time patterns:
// resultAverage (LAeqT over `targetTime`) and resultMax, both from no sound (−100) for a point not
// computed. Every source that reaches the point adds its levels, one source after the other.
void LevelsFromTransfers(std::span<const CSound* const> sources, const PointTransfers& transfers,
                         double targetTime, CPredictivePoint& point);

// True when the store holds transfers for exactly the points and user sources of the model.
bool TransfersFit(const CNoise& model, const CTransferStore& store);

// True when `after` differs from `before` (the model whose run filled the store) in nothing that
// transfers depend on: only in the sources' powers (average and maximum, same spectrum kinds), noise
// types, durations, events per hour, memos and the target time, with the same points. Then
// RecomputeFromTransfers gives `after` the results a full run would give. An outdoor source's Q is no
// such edit: it enters the spreading of every path and again the diffuse reflections, so a path's
// level does not move by one constant term with it.
bool InstantUpdatePossible(const CNoise& before, const CNoise& after, const CTransferStore& store);

// Sets every prediction point's resultAverage and resultMax from the store, as the run would; no path
// is traced. False, leaving the points as they are, when the store does not fit the model.
bool RecomputeFromTransfers(CNoise& model, const CTransferStore& store);

}  // namespace kelmora
