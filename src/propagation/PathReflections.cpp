#include "propagation/PathReflections.h"

#include <algorithm>

#include "geometry/Plane.h"
#include "propagation/FaceEdges.h"
#include "propagation/ReflectionCorrection.h"

namespace kelmora {

bool ReflectionPointOfNode(CPropagationPath& path, std::size_t n, const CVector3D& next,
                           const CFaceFrames& scene) {
    CPathRInfo& node = path[n];
    const CFaceFrame& frame = scene.frame(node.face);
    if (AbsorbsAllTowards(scene, node.face, next)) return false;
    const std::optional<CFaceHit> hit = IntersectSegmentFace(frame, next, node.image);
    if (!hit) {
        node.reflectState = kNoReflectionPoint;
        return true;
    }
    node.point = hit->point;
    node.reflectState = hit->inside ? kOnFace : kNearFace;
    return true;
}

std::optional<ReflectionQuality> ComputeReflectionPoints(CPropagationPath& path, const CFaceFrames& scene) {
    const std::size_t last = path.size() - 1;
    for (std::size_t n = last - 1; n >= 1; --n) {
        const CPathRInfo& next = path[n + 1];
        CVector3D target = next.point;
        if (next.crossX == kPassesOver) {
            target = next.pointX;
        } else if (next.crossY == kPassesOver) {
            target = next.pointY;
        } else if (next.crossX == kPassesBeside && next.crossY == kNoDiffraction) {
            continue;
        } else if (next.crossX == kNoDiffraction && next.crossY == kPassesBeside) {
            return std::nullopt;
        }
        if (!ReflectionPointOfNode(path, n, target, scene)) return std::nullopt;
        if (path[n].reflectState == kNoReflectionPoint) return kSomePointMissing;
    }
    ReflectionQuality quality = kAllOnFaces;
    for (std::size_t n = 1; n < last; ++n) {
        if (path[n].reflectState == kNoReflectionPoint) return kSomePointMissing;
        if (path[n].reflectState == kNearFace) quality = kSomeNearFaces;
    }
    return quality;
}

void RecomputeImages(CPropagationPath& path, std::size_t a, const CFaceFrames& scene) {
    for (std::size_t i = std::max<std::size_t>(a, 1); i + 1 < path.size(); ++i) {
        CPathRInfo& node = path[i];
        CVector3D from = path[i - 1].image;
        if (node.crossY == kPassesOver) {
            from = node.pointY;
        } else if (node.crossX == kPassesOver) {
            from = node.pointX;
        }
        node.image = MirrorPoint(from, scene.frame(node.face).plane);
    }
}

bool SetLegDiffraction(CPropagationPath& path, std::size_t b, FaceIndex x, const CVector3D& pointX,
                       std::int32_t crossX, FaceIndex y, const CVector3D& pointY, std::int32_t crossY,
                       const CFaceFrames& scene) {
    CPathRInfo& node = path[b];
    node.diffractorX = x;
    node.diffractorY = y;
    node.crossX = kNoDiffraction;
    node.crossY = kNoDiffraction;
    if (x != kNoFace) {
        node.pointX = pointX;
        node.crossX = crossX;
    }
    if (y != kNoFace) {
        node.pointY = pointY;
        node.crossY = crossY;
    }
    if (node.face == kNoFace || !HasCrossedDiffraction(node)) return true;
    const CVector3D arriving = node.crossY == kPassesOver ? node.pointY : node.pointX;
    const CFaceFrame& f = scene.frame(node.face);
    const int sideIn = SideOfPlane(arriving, f.corners[0], f.plane);
    const int sideOut = SideOfPlane(OutgoingPoint(path, b), f.corners[0], f.plane);
    return sideOut != 0 && (sideIn == 0 || sideIn == sideOut);
}

}  // namespace kelmora
