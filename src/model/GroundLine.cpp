#include "model/GroundLine.h"

namespace kelmora {

void CWall::Serialize(CArchive& ar) {
    ar.Io(type);
    ar.Io(rangeStart);
    ar.Io(rangeEnd);
    ar.Io(offsetHorizontal);
    ar.Io(offsetVertical);
    ar.Io(height);
    ar.Io(diffractTop);
    ar.Io(diffractBottom);
    ar.Io(diffractStart);
    ar.Io(diffractEnd);
    tl.Serialize(ar);
    absorptionLeft.Serialize(ar);
    absorptionRight.Serialize(ar);
    ar.Io(diffuseLeft);
    ar.Io(diffuseRight);
    ar.Io(slopeSide);
    ar.Io(slopeHorizontal);
    ar.Io(slopeVertical);
    ar.Io(memo);
}

void CGroundLine::Serialize(CArchive& ar) {
    kelmora::Serialize(ar, polyline);
    absorptionLeft.Serialize(ar);
    absorptionRight.Serialize(ar);
    SerializeList(ar, walls, CWall::kMinArchiveBytes);
    ar.Io(memo);
}

}  // namespace kelmora
