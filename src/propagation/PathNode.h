#pragma once
// A propagation path: the source, the reflections on scene faces and the receiver, with up to two
// diffractions on the leg that arrives at each node. Faces are referred to by their index in the scene
// the path was found in.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/Vector.h"
#include "propagation/FaceIndex.h"

namespace kelmora {

// Values of CPathRInfo::crossX and crossY.
inline constexpr std::int32_t kNoDiffraction = -1;
inline constexpr std::int32_t kPassesBeside = 0;  // non-crossing diffraction ("交差無し")
inline constexpr std::int32_t kPassesOver = 1;    // crossing diffraction

// Values of CPathRInfo::reflectState.
inline constexpr std::int32_t kNoReflectionPoint = 0;
inline constexpr std::int32_t kOnFace = 1;    // "<反射面反射位置>"; also source and receiver
inline constexpr std::int32_t kNearFace = 2;  // off the face but within 1 m of it ("(交差無し)")

// One node of a path. Node 0 is the source, the last node the receiver, every node between them a
// reflection on `face`. Node i ≥ 1 also describes the leg from node i−1 to node i.
struct CPathRInfo {
    FaceIndex face = kNoFace;         // the reflecting face; none for source and receiver
    CVector3D image;                  // the image of the point the sound comes from, mirrored in `face`
    CVector3D point;                  // source position, reflection point, receiver position
    FaceIndex diffractorX = kNoFace;  // first diffracting obstacle on the incoming leg
    FaceIndex diffractorY = kNoFace;  // second diffracting obstacle on the incoming leg
    CVector3D pointX;  // "最小経路差回折X位置" (single diffraction: "最小経路差回折位置")
    CVector3D pointY;  // "最小経路差回折Y位置"
    std::int32_t reflectState = kNoReflectionPoint;
    std::int32_t crossX = kNoDiffraction;
    std::int32_t crossY = kNoDiffraction;

    friend bool operator==(const CPathRInfo&, const CPathRInfo&) = default;
};

using CPropagationPath = std::vector<CPathRInfo>;

// The source or receiver node at p.
inline CPathRInfo EndNode(const CVector3D& p) {
    CPathRInfo node;
    node.image = node.point = node.pointX = node.pointY = p;
    node.reflectState = kOnFace;
    return node;
}

// A reflection node on `face` whose image (and provisional point) is `image`.
inline CPathRInfo ReflectionNode(FaceIndex face, const CVector3D& image) {
    CPathRInfo node = EndNode(image);
    node.face = face;
    node.reflectState = kNoReflectionPoint;
    return node;
}

// True when the leg arriving at the node passes over (through) a diffracting obstacle.
inline bool HasCrossedDiffraction(const CPathRInfo& node) {
    return node.crossX == kPassesOver || node.crossY == kPassesOver;
}

// The point from which the sound reaches node i ≥ 1: the last crossed diffraction point of its leg,
// else node i−1's point.
inline CVector3D IncomingPoint(const CPropagationPath& path, std::size_t i) {
    const CPathRInfo& node = path[i];
    if (node.crossY == kPassesOver) return node.pointY;
    if (node.crossX == kPassesOver) return node.pointX;
    return path[i - 1].point;
}

// The point towards which the sound leaves node i (not the last): the first crossed diffraction point of
// the next leg, else node i+1's point.
inline CVector3D OutgoingPoint(const CPropagationPath& path, std::size_t i) {
    const CPathRInfo& next = path[i + 1];
    if (next.crossX == kPassesOver) return next.pointX;
    if (next.crossY == kPassesOver) return next.pointY;
    return next.point;
}

}  // namespace kelmora
