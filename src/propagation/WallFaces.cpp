#include "propagation/WallFaces.h"

#include <string>

#include "geometry/PolylineOps.h"

namespace kelmora {

namespace {

const char* WallKindWord(const CWall& wall) {
    switch (wall.type) {
        case kKnifeEdgeBarrier:
            return "ナイフウェッジ壁";
        case kRightAngleBarrier:
            return "直角ウェッジ壁";
        default:
            return "法面";
    }
}

std::string WallFaceName(const CWall& wall) {
    std::string name = std::string("of") + WallKindWord(wall);
    if (!wall.memo.empty()) name += "(" + wall.memo + ")";
    return name;
}

}  // namespace

CPolyline WallBaseLine(const CWall& wall, const CGroundLine& line) {
    return OffsetPolyline(SubPolyline(line.polyline, wall.rangeStart, wall.rangeEnd), wall.offsetHorizontal,
                          wall.offsetVertical);
}

void AppendWallFaces(const CWall& wall, const CGroundLine& line, const CVector3D& s, const CVector3D& r,
                     Scene& scene) {
    AppendWallFaces(wall, line, MakePathStrip(s, r), scene);
}

void AppendWallFaces(const CWall& wall, const CGroundLine& line, const CPathStrip& strip, Scene& scene) {
    // The vertical gap is applied once: the base line is raised by it here, and BuildFaceRect spans the
    // face up from that raised line by the wall's height, so the face runs from the gap to gap + height
    // above the ground line (a slope's foot edge at gap + height − slopeVertical).
    const CPolyline base = WallBaseLine(wall, line);
    const auto& v = base.vertices;
    if (v.size() < 2) return;
    const std::size_t pieces = v.size() - 1;
    for (std::size_t i = 0; i < pieces; ++i) {
        if (!SegmentCrossesStrip(Plan(v[i]), Plan(v[i + 1]), strip)) continue;
        CRectObstacle face;  // reflects and obstructs, as every new face
        face.rect = BuildFaceRect(wall, v[i], v[i + 1]);
        ApplyFaceAttributes(wall, i == 0, i + 1 == pieces, face);
        face.name = WallFaceName(wall);
        scene.push_back(std::move(face));
    }
}

}  // namespace kelmora
