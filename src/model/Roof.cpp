#include "model/Roof.h"

namespace kelmora {

CRoof::CRoof() {
    face.rect.p1.z = 5.0;
    face.rect.p2.z = 5.0;
    face.rect.p3.z = 5.0;
    face.diffracts = {1, 1, 1, 1};
    face.wedgeType = kRightAngleWedge;
}

void CRoof::Serialize(CArchive& ar) {
    face.Serialize(ar);
    ar.Io(memo);
}

RectEntry RectEntryFromRect(const CMyRect& rect) {
    return {rect.p1.x, rect.p1.y, rect.p1.z, rect.p2.x, rect.p2.y, rect.p3.x, rect.p3.y, rect.p3.z};
}

}  // namespace kelmora
