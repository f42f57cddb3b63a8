#include "model/Room.h"

namespace kelmora {

void CWindow::Serialize(CArchive& ar) {
    kelmora::Serialize(ar, rect);
    ar.Io(areaFromRect);
    ar.Io(area);
    absorption.Serialize(ar);
    tl.Serialize(ar);
    ar.Io(belongsTo);
    ar.Io(isOutdoorSource);
    ar.Io(q);
    SerializeList(ar, containedOpenings, kMinArchiveBytes);
    ar.Io(memo);
}

void CRoom::Serialize(CArchive& ar) {
    ar.Io(surfaceArea);
    meanAbsorption.Serialize(ar);
    ar.Io(computeFromShape);
    ar.Io(ceilingZ);
    ar.Io(floorZ);
    kelmora::Serialize(ar, outline);
    defaultAbsorptionCeiling.Serialize(ar);
    defaultAbsorptionFloor.Serialize(ar);
    defaultAbsorptionWall.Serialize(ar);
    defaultTl.Serialize(ar);
    SerializeList(ar, openings, CWindow::kMinArchiveBytes);
    SerializeList(ar, sources, CSound::kMinArchiveBytes);
    ar.Io(memo);
}

}  // namespace kelmora
