#include "calc/PointPrediction.h"

#include <algorithm>
#include <cmath>

#include "calc/BreakdownLines.h"
#include "calc/PathEvaluation.h"
#include "geometry/VectorOps.h"
#include "propagation/GroundModel.h"
#include "propagation/Scene.h"
#include "propagation/WorkCounters.h"

namespace kelmora {
namespace {

// The share of the target time over which the source's average level counts.
double TimeWeight(const CSound& source, double targetTime) {
    const double events = targetTime * source.eventsPerHour / 3600.0;
    if (source.noiseType == kImpulsiveNoise) return events / targetTime;
    return std::min(targetTime, events * source.duration) / targetTime;
}

// The source at the point with the scene storage of the point's computation and the paths of the
// source before it, which the source shares when it stands at the same place (a machine of a room after
// another at the same opening patch).
bool ComputeSourceWithScene(const PredictionSite& site, CPredictivePoint& point, const CSound& source,
                            CBreakdownWriter& w, Scene& scene, CPairAttenuation& attenuation) {
    const CNoise& model = site.model;
    if (source.position.z - GroundHeightAt(site.terrain, source.position) < -kBelowGroundMargin) {
        WriteSourceSkipped(w, SourceSkip::BelowGround);
        return false;
    }
    if (Distance(source.position, point.position) > model.effectiveDistance) {
        WriteSourceSkipped(w, SourceSkip::TooFar);
        return false;
    }
    if (attenuation.Fits(source, point.position, w)) {
        ++WorkCounters().pairsSharingPaths;
    } else {
        BuildScene(model, site.terrain, source.position, point.position, scene);
        EvaluatePairPaths(scene, model.buildings, model.temperature, model.humidity, model.maxReflections,
                          source, point.position, w, attenuation);
    }
    SourceLevels levels;
    if (!SumPairPaths(attenuation, source, w, levels)) return false;
    point.resultAverage.addEnergy(TimeWeighting(source, levels.average, model.targetTime));
    point.resultMax.addEnergy(levels.maximum);
    return true;
}

}  // namespace

PredictionSite::PredictionSite(const CNoise& m) : model(m), terrain(AllGroundLines(m)) {}

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
    Scene scene;
    CPairAttenuation attenuation;
    return ComputeSourceWithScene(site, point, source, w, scene, attenuation);
}

void ComputePoint(const PredictionSite& site, CPredictivePoint& point, CBreakdownWriter& w) {
    point.resultAverage = CBand::Filled(kNoSoundLevel);
    point.resultMax = CBand::Filled(kNoSoundLevel);
    w.ChangeLevel(1);
    Scene scene;  // reused from source to source
    CPairAttenuation attenuation;
    const struct {
        const std::vector<CSound>& sources;
        SourceOrigin origin;
    } groups[] = {{site.model.outdoorSources, SourceOrigin::Outdoor},
                  {site.model.openingSources, SourceOrigin::BuildingOpening}};
    for (const auto& group : groups) {
        const int count = static_cast<int>(group.sources.size());
        for (int k = 0; k < count; ++k) {
            const CSound& source = group.sources[static_cast<std::size_t>(k)];
            WriteSourceHeading(w, group.origin, k + 1, count, source);
            ComputeSourceWithScene(site, point, source, w, scene, attenuation);
        }
    }
    w.ChangeLevel(-1);
}

}  // namespace kelmora
