#pragma once
// The levels at one prediction point: every source that can reach it, its level weighted over the
// target time into the point's equivalent level LAeqT, and its maximum level summed in energy into the
// point's LAmax.
//
// Everything here reads the site and writes only the point and the breakdown writer given to it, so
// points can be computed on several threads at once.
#include <vector>

#include "calc/BreakdownWriter.h"
#include "model/Band.h"
#include "model/GroundLine.h"
#include "model/Noise.h"
#include "model/PredictivePoint.h"
#include "model/Sound.h"

namespace kelmora {

// A source or point lower than this below the ground [m] is taken to be underground.
inline constexpr double kBelowGroundMargin = 0.3;

// What every point of a run reads: the model (with its opening sources built) and its terrain,
// computed once per run.
struct PredictionSite {
    explicit PredictionSite(const CNoise& model);

    const CNoise& model;
    std::vector<CGroundLine> terrain;  // the ground lines and the slope-foot lines of the model
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
// heading, one level deeper than the point's heading. The point's results start from no sound.
void ComputePoint(const PredictionSite& site, CPredictivePoint& point, CBreakdownWriter& w);

}  // namespace kelmora
