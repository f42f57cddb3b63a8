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
    AppendWallFaces(PrepareWallFaces(wall, line), strip, scene);
}

CPreparedWall PrepareWallFaces(const CWall& wall, const CGroundLine& line) {
    // The vertical gap is applied once: the base line is raised by it here, and BuildFaceRect spans the
    // face up from that raised line by the wall's height, so the face runs from the gap to gap + height
    // above the ground line (a slope's foot edge at gap + height − slopeVertical).
    CPreparedWall prepared;
    const CPolyline base = WallBaseLine(wall, line);
    const auto& v = base.vertices;
    if (v.size() < 2) return prepared;
    const std::size_t pieces = v.size() - 1;
    prepared.plan.reserve(v.size());
    for (const CVector3D& p : v)
        prepared.plan.push_back(Plan(p));
    prepared.faces.reserve(pieces);
    for (std::size_t i = 0; i < pieces; ++i) {
        CRectObstacle& face = prepared.faces.emplace_back();  // reflects and obstructs, as every new face
        face.rect = BuildFaceRect(wall, v[i], v[i + 1]);
        ApplyFaceAttributes(wall, i == 0, i + 1 == pieces, face);
        face.name = WallFaceName(wall);
    }
    return prepared;
}

void AppendWallFaces(const CPreparedWall& wall, const CPathStrip& strip, Scene& scene) {
    for (std::size_t i = 0; i < wall.faces.size(); ++i) {
        if (SegmentCrossesStrip(wall.plan[i], wall.plan[i + 1], strip)) scene.push_back(wall.faces[i]);
    }
}

}  // namespace kelmora
