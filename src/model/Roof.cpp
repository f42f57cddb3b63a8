#include "model/Roof.h"

#include "geometry/VectorOps.h"

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

CMyRect CanonicalRoofRect(const RectEntry& entry) {
    CMyRect rect;
    rect.p1 = {entry.x1, entry.y1, entry.z1};
    rect.p2 = {entry.x2, entry.y2, entry.z1};  // side A is horizontal at Z1
    const CVector3D onSideC{entry.x3, entry.y3, entry.z3};
    // The perpendicular from side A's line to the entered point; a side A without length (which the
    // editors refuse) has no direction, and the point is then taken relative to p1.
    const CVector3D foot = rect.p1 == rect.p2 ? rect.p1 : ProjectPointOnLine(onSideC, rect.p1, rect.p2);
    rect.p3 = rect.p2 + (onSideC - foot);
    return rect;
}

}  // namespace kelmora
