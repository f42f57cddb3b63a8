#pragma once
// The acoustics of one source at one prediction point: every propagation path between them turned
// into a band spectrum at the point — point-source spreading over the straight distance, air
// absorption over the travelled length, diffraction, reflection and absorption corrections — and the
// paths summed in energy. Every step is written to the calculation breakdown.
#include <span>

#include "calc/BreakdownWriter.h"
#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/Building.h"
#include "model/RectObstacle.h"
#include "model/Sound.h"

namespace kelmora {

// The levels [dB per band] a source produces at a prediction point.
struct SourceLevels {
    CBand average = CBand::Filled(kNoSoundLevel);  // from the source's average power
    CBand maximum = CBand::Filled(kNoSoundLevel);  // from its maximum power, attenuated alike
};

// Finds the propagation paths from `source` to `point` in the obstacle scene of the pair (with at most
// `maxReflections` reflections), drops those reflecting inside one of `buildings`, and sums the paths'
// levels into `levels`: the average level from the source's average power, the maximum level as the
// maximum power less the same total attenuation, band by band. Air absorption uses `temperature` [°C]
// and `humidity` [% relative humidity].
//
// Returns false, leaving `levels` as it is, when no path is left ("伝搬経路無し"): the source then adds
// nothing at this point. Every breakdown write may raise the cancellation of the run; nothing is
// caught here.
bool ComputeSourceAtPoint(std::span<const CRectObstacle> scene, std::span<const CBuilding> buildings,
                          double temperature, double humidity, int maxReflections, const CSound& source,
                          const CVector3D& point, CBreakdownWriter& w, SourceLevels& levels);

// The same, filling the source's levelAverageAtPoint and levelMaxAtPoint (−100 in every band when no
// path is left).
bool ComputeSourceAtPoint(std::span<const CRectObstacle> scene, std::span<const CBuilding> buildings,
                          double temperature, double humidity, int maxReflections, CSound& source,
                          const CVector3D& point, CBreakdownWriter& w);

}  // namespace kelmora
