#include "model/Sound.h"

namespace kelmora {

const char* NoiseTypeEditorItem(std::int32_t noiseType) {
    switch (noiseType) {
        case kSteadyNoise:
            return "定常騒音(ＬpA)";
        case kFluctuatingNoise:
            return "変動騒音(ＬpAeq)";
        case kImpulsiveNoise:
            return "衝撃騒音(ＬAE)";
        default:
            return "";
    }
}

const char* NoiseTypeShortName(std::int32_t noiseType) {
    switch (noiseType) {
        case kSteadyNoise:
            return "定常騒音";
        case kFluctuatingNoise:
            return "変動騒音";
        case kImpulsiveNoise:
            return "衝撃騒音";
        default:
            return "";
    }
}

void CSound::Serialize(CArchive& ar) {
    kelmora::Serialize(ar, position);
    ar.Io(q);
    ar.Io(noiseType);
    ar.Io(duration);
    ar.Io(eventsPerHour);
    powerAverage.Serialize(ar);
    powerMax.Serialize(ar);
    ar.Io(memo);
}

}  // namespace kelmora
