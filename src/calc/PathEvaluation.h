#pragma once
// The acoustics of one source at one prediction point: every propagation path between them turned
// into a band spectrum at the point — point-source spreading over the straight distance, air
// absorption over the travelled length, diffraction, reflection and absorption corrections — and the
// paths summed in energy. Every step is written to the calculation breakdown.
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "calc/BreakdownWriter.h"
#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/Building.h"
#include "model/RectObstacle.h"
#include "model/Sound.h"
#include "propagation/PathNode.h"

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

// ComputeSourceAtPoint in two steps, for sources that differ in their power only.
//
// What the paths between a source position and a prediction point do to any source with that position,
// directivity Q and spectrum kind: per path the spreading and the correction spectra, and the breakdown
// lines written for them. The sources that one opening patch carries, one for each machine of its room,
// differ in nothing else; their paths are found and evaluated once.
class CPairAttenuation {
public:
    // True when this holds the paths of a source with the position, Q and spectrum kind of `source`
    // (to the bit) at `point`, evaluated for the breakdown of `w` at its present level.
    bool Fits(const CSound& source, const CVector3D& point, const CBreakdownWriter& w) const;

    // The paths held, in the order the search found them.
    std::size_t pathCount() const { return paths_.size(); }
    // What path k does to any source of the pair, per band of the kind it was evaluated in [dB]: its
    // spreading and air absorption (when it travels) plus its diffraction, reflection and absorption
    // corrections. The source's power plus this is the path's level at the point.
    CBand PathAttenuation(std::size_t k) const;
    // The nodes of path k in the scene of the pair: empty unless EvaluatePairPaths was asked to keep
    // them.
    const CPropagationPath& PathNodes(std::size_t k) const { return paths_[k].nodes; }

private:
    friend void EvaluatePairPaths(std::span<const CRectObstacle>, std::span<const CBuilding>, double, double,
                                  int, const CSound&, const CVector3D&, const CBreakdownWriter&,
                                  CPairAttenuation&, bool);
    friend bool SumPairPaths(const CPairAttenuation&, const CSound&, CBreakdownWriter&, SourceLevels&);
    friend bool AccumulateTransfer(const CPairAttenuation&, const CBand*, std::span<double>);

    struct CPath {
        bool travelled = false;  // the path has a length: spreading and air absorption apply
        double spreading = 0.0;  // dB
        CBand air;               // dB per band, in the bands of the kind only
        CBand diffraction;
        CBand reflection;
        CBand absorption;
        std::string breakdown;   // the lines after the path's heading, up to its levels (as written)
        CPropagationPath nodes;  // kept on request only
    };

    bool filled_ = false;
    CVector3D position_;
    CVector3D point_;
    double q_ = 0.0;
    int kind_ = 0;
    int level_ = 0;
    bool writesFile_ = false;
    std::vector<CPath> paths_;

    // The attenuation of a path in band b, summed in the one order every user of it follows.
    static double AttenuationInBand(const CPath& path, int b);
};

// The first step: finds the paths of the pair (as ComputeSourceAtPoint does) and evaluates them into
// `attenuation`, composing their breakdown lines for `w` without writing them. With `keepNodes` the
// paths' nodes are kept too, for showing where the sound goes (a run has no use for them).
void EvaluatePairPaths(std::span<const CRectObstacle> scene, std::span<const CBuilding> buildings,
                       double temperature, double humidity, int maxReflections, const CSound& source,
                       const CVector3D& point, const CBreakdownWriter& w, CPairAttenuation& attenuation,
                       bool keepNodes = false);

// The second step: the levels of `source`, whose position, Q and kind `attenuation` fits, from its power,
// with the breakdown written to `w` as ComputeSourceAtPoint writes it.
bool SumPairPaths(const CPairAttenuation& attenuation, const CSound& source, CBreakdownWriter& w,
                  SourceLevels& levels);

// The transfer of the paths `attenuation` holds, added to `energy` (per band of the kind the paths were
// evaluated in): for every path in order, 10^((gain + attenuation of the path)/10), where the
// attenuation is the path's spreading and air absorption (when it travels) plus its diffraction,
// reflection and absorption corrections, and `gain` is what the source's spectra add to those of the
// source it stands for (an opening source's OpeningGain; null: nothing). False when there is no path.
bool AccumulateTransfer(const CPairAttenuation& attenuation, const CBand* gain, std::span<double> energy);

// The maximum level of a source from its level `level` at a point: the maximum power less the
// attenuation that turned the average power into `level` (powerMax + (level − powerAverage)).
CBand MaximumLevel(const CSound& source, const CBand& level);

// The same, filling the source's levelAverageAtPoint and levelMaxAtPoint (−100 in every band when no
// path is left).
bool ComputeSourceAtPoint(std::span<const CRectObstacle> scene, std::span<const CBuilding> buildings,
                          double temperature, double humidity, int maxReflections, CSound& source,
                          const CVector3D& point, CBreakdownWriter& w);

}  // namespace kelmora
