#include "model/Noise.h"

namespace kelmora {

void CNoise::Serialize(CArchive& ar) {
    SerializeList(ar, groundLines, CGroundLine::kMinArchiveBytes);
    SerializeList(ar, buildings, CBuilding::kMinArchiveBytes);
    SerializeList(ar, outdoorSources, CSound::kMinArchiveBytes);
    calcInfo.Serialize(ar);
    ar.Io(targetTime);
    ar.Io(effectiveDistance);
    ar.Io(temperature);
    ar.Io(humidity);
    ar.Io(maxReflections);
}

}  // namespace kelmora
