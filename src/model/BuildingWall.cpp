#include "model/BuildingWall.h"

namespace kelmora {

void CBuildingWall::Serialize(CArchive& ar) {
    kelmora::Serialize(ar, polyline);
    ar.Io(closed);
    ar.Io(diffractStart);
    ar.Io(diffractEnd);
    absorption.Serialize(ar);
    ar.Io(diffuse);
    ar.Io(bottomZ);
    ar.Io(diffractBottom);
    ar.Io(topZ);
    ar.Io(diffractTop);
    ar.Io(memo);
}

}  // namespace kelmora
