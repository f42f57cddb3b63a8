#include "model/GroundLine.h"

#include <cmath>

#include "geometry/PolylineOps.h"
#include "geometry/VectorOps.h"

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

CGroundLine ShiftedCopy(const CGroundLine& source, double h, double v) {
    CGroundLine copy;
    copy.polyline = OffsetPolyline(source.polyline, h, v);
    return copy;
}

int PlaceNewWall(CGroundLine& line, int selectedIndex) {
    CWall wall;
    const bool hasSelection =
        selectedIndex >= 0 && static_cast<std::size_t>(selectedIndex) < line.walls.size();
    if (hasSelection && line.walls[static_cast<std::size_t>(selectedIndex)].offsetHorizontal != 0.0) {
        // The same barrier on the other side of the line.
        wall = line.walls[static_cast<std::size_t>(selectedIndex)];
        wall.offsetHorizontal = -wall.offsetHorizontal;
    } else {
        // Over the whole line; the end rounded down to the millimetre so that it never exceeds the line.
        wall.rangeStart = 0.0;
        wall.rangeEnd = std::floor(PolylineLength(line.polyline) * 1000.0) / 1000.0;
    }
    line.walls.push_back(std::move(wall));
    return static_cast<int>(line.walls.size()) - 1;
}

CMyRect BuildFaceRect(const CWall& wall, const CVector3D& s, const CVector3D& e) {
    // s and e lie on the base line, which the caller has already raised by the wall's vertical gap
    // (offsetVertical) above the ground line. The gap is therefore not added again here: the face
    // spans from the base to base + height, i.e. from offsetVertical to offsetVertical + height above
    // the ground, and a slope foot lies at offsetVertical + height − slopeVertical.
    const double top = wall.height;
    CMyRect rect;
    rect.p1 = s + top * kUp;
    rect.p2 = e + top * kUp;
    rect.p3 = e;
    if (wall.type == kSlopeShoulder) {
        // The slope foot under the piece end, moved sideways to the slope's side. When s and e coincide
        // in plan the normal is zero and the foot stays vertically below e.
        const CVector3D left = Normalize(Cross(e - s, -10.0 * kUp));
        const double sideways = wall.slopeSide == kSlopeLeft ? wall.slopeHorizontal : -wall.slopeHorizontal;
        rect.p3 = e + (top - wall.slopeVertical) * kUp + sideways * left;
    }
    return rect;
}

void ApplyFaceAttributes(const CWall& wall, bool isFirstPiece, bool isLastPiece, CRectObstacle& face) {
    face.diffracts[0] = wall.diffractTop;
    face.diffracts[1] = isLastPiece && wall.diffractEnd != 0 ? 1 : 0;
    face.diffracts[2] = wall.offsetVertical > 0.0 && wall.diffractBottom != 0 ? 1 : 0;
    face.diffracts[3] = isFirstPiece && wall.diffractStart != 0 ? 1 : 0;
    face.wedgeType = wall.type;
    // Side A runs along the ground line's direction, so the face's left side is the line's left.
    face.tl = wall.tl;
    face.absorptionLeft = wall.absorptionLeft;
    face.absorptionRight = wall.absorptionRight;
    face.diffuseLeft = wall.diffuseLeft;
    face.diffuseRight = wall.diffuseRight;
}

}  // namespace kelmora
