#pragma once
// The levels at one prediction point: every source that can reach it, its level weighted over the
// target time into the point's equivalent level LAeqT, and its maximum level summed in energy into the
// point's LAmax.
//
// Everything here reads the site and writes only the point and the breakdown writer given to it, so
// points can be computed on several threads at once.
#include <optional>
#include <vector>

#include "calc/BreakdownWriter.h"
#include "calc/Fingerprint.h"
#include "calc/OpeningSources.h"
#include "calc/Transfers.h"
#include "model/Band.h"
#include "model/GroundLine.h"
#include "model/Noise.h"
#include "model/PredictivePoint.h"
#include "model/Sound.h"
#include "propagation/PathsInsideBuildings.h"
#include "propagation/SiteFaces.h"

namespace kelmora {

// A source or point lower than this below the ground [m] is taken to be underground.
inline constexpr double kBelowGroundMargin = 0.3;

// What every point of a run reads: the model (with its opening sources built) and its terrain,
// computed once per run.
struct PredictionSite {
    explicit PredictionSite(const CNoise& model);

    const CNoise& model;
    std::vector<CGroundLine> terrain;  // the ground lines and the slope-foot lines of the model
    // The faces of the buildings and walls (PrepareSiteFaces); empty when they could not be made, and
    // every scene then makes them itself, failing as they failed.
    std::optional<CSiteFaces> faces;
    std::vector<const CSound*> userSources;  // UserSources(model)
    std::vector<OpeningOrigin> origins;      // of model.openingSources, one each
    std::vector<Fingerprint> sourceKeys;     // UserSourceKeys(model), one per user source
    Fingerprint conditions{};                // ConditionsFingerprint(model)
    CBuildingVolumes volumes;                // the roofs that can drop a pair's paths

    // Set by a run that keeps its transfers: every computed pair gets its fingerprint.
    bool fingerprints = false;
    // Set by a run that reuses transfers: true when the store's site fingerprint is the model's, so that
    // every stored pair found for the run is reused without a look at its scene.
    bool sameSite = false;
};

// The source's equivalent contribution over the target time T [s], per band of `level` (the source's
// level at the point): 10·log10(10^(L/10)·w), or −100 where that energy is not > 0. With n = T·events
// per hour / 3600 events during T, the weight w is the share of T the source is on, min(T, n·duration)
// / T, for steady and fluctuating noise, and n / T for impulsive noise, whose average power is the
// sound exposure of one event.
CBand TimeWeighting(const CSound& source, const CBand& level, double targetTime);

// True when the point lies higher than 0.3 m below the ground under it.
bool PointAboveGround(const PredictionSite& site, const CVector3D& position);

// One source at the point: skipped when it lies more than 0.3 m below the ground ("音源が地下の為、
// 計算しない") or farther than the effective distance ("距離が離れている為、計算しない"); otherwise its
// paths are evaluated in the scene of the pair and its time-weighted level and its maximum level are
// added in energy to the point's resultAverage and resultMax. True when the source reached the point.
bool ComputeSourceForPoint(const PredictionSite& site, CPredictivePoint& point, const CSound& source,
                           CBreakdownWriter& w);

// Every outdoor source, then every building-opening source, at the point, each after its breakdown
// heading, one level deeper than the point's heading: the transfers of the user sources, and the
// point's results from them (LevelsFromTransfers).
void ComputePoint(const PredictionSite& site, CPredictivePoint& point, CBreakdownWriter& w);

// The same, the transfers kept in `transfers`. Of the pairs stored for the point by an earlier run
// (`stored`, found by source key and position), one is reused when its fingerprint (or, with
// site.sameSite, the whole site's) still matches; the others are traced. A run that writes a breakdown
// traces every pair. Returns how many pairs were traced and reused.
TransferCounts ComputePoint(const PredictionSite& site, CPredictivePoint& point, CBreakdownWriter& w,
                            const StoredPairs& stored, PointTransfers& transfers);

// The fingerprints of the pairs of every user source at `point` without tracing a path: the scenes
// are built and hashed. A fingerprint covers the run's conditions (temperature, humidity, reflections),
// the user source's position, Q and spectrum kind and, for each source it makes, in order, its
// position, Q, kind, opening gain, whether it is skipped (underground, too far), the faces of its scene
// and the roofs whose volumes can drop one of the scene's paths (CBuildingVolumes).
std::vector<Fingerprint> PairFingerprints(const PredictionSite& site, const CVector3D& point);

// The number of pairs at the point that ComputePoint traces with `stored` (it traces all of them when
// it writes a breakdown): the scenes of the pairs found are built and hashed, no path is traced.
std::int64_t PairsToTrace(const PredictionSite& site, const CVector3D& point, const StoredPairs& stored);

}  // namespace kelmora
