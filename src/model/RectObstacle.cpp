#include "model/RectObstacle.h"

namespace kelmora {

void CRectObstacle::Serialize(CArchive& ar) {
    kelmora::Serialize(ar, rect);
    for (std::int32_t& d : diffracts) {
        ar.Io(d);
    }
    ar.Io(wedgeType);
    ar.Io(reflects);
    ar.Io(obstructs);
    tl.Serialize(ar);
    absorptionLeft.Serialize(ar);
    absorptionRight.Serialize(ar);
    ar.Io(diffuseLeft);
    ar.Io(diffuseRight);
    kelmora::Serialize(ar, edgeOffset);
    ar.Io(name);
}

}  // namespace kelmora
