#include "propagation/PathsInsideBuildings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/RectGeometry.h"
#include "propagation/BuildingFaces.h"
#include "propagation/PathSearch.h"

namespace kelmora {
namespace {

// How far from a face of the scene [m] a reflection point may lie, with a metre to spare.
constexpr double kReflectionReach = kMaxReflectionPointOffFace + 1.0;

}  // namespace

std::vector<CPropagationPath> DropPathsInsideBuildings(std::vector<CPropagationPath> paths,
                                                       std::span<const CBuilding> buildings) {
    const auto insideSomeBuilding = [&](const CVector3D& p) {
        return std::any_of(buildings.begin(), buildings.end(),
                           [&](const CBuilding& b) { return BuildingContainsPoint(b, p); });
    };
    std::erase_if(paths, [&](const CPropagationPath& path) {
        return path.size() >= 3 && std::any_of(path.begin() + 1, path.end() - 1, [&](const CPathRInfo& node) {
                   return insideSomeBuilding(node.point);
               });
    });
    return paths;
}

CBuildingVolumes::CBuildingVolumes(std::span<const CBuilding> buildings) {
    for (const CBuilding& building : buildings) {
        if (building.walls.empty()) continue;  // holds no point
        for (const CRoof& roof : building.roofs) {
            const std::array<CVertex2D, 4> c = RectCorners2D(roof.face.rect);
            const auto [xLow, xHigh] = std::minmax({c[0].x, c[1].x, c[2].x, c[3].x});
            const auto [yLow, yHigh] = std::minmax({c[0].y, c[1].y, c[2].y, c[3].y});
            roofs_.push_back({&roof.face.rect, {xLow, xHigh, yLow, yHigh}});
        }
    }
}

std::span<const CBuildingVolumes::Box> CBuildingVolumes::FaceReaches(std::span<const CRectObstacle> scene) {
    thread_local std::vector<Box> reaches;
    reaches.clear();
    for (const CRectObstacle& face : scene) {
        const std::array<CVertex2D, 4> c = RectCorners2D(face.rect);
        const auto [xLow, xHigh] = std::minmax({c[0].x, c[1].x, c[2].x, c[3].x});
        const auto [yLow, yHigh] = std::minmax({c[0].y, c[1].y, c[2].y, c[3].y});
        reaches.push_back({xLow - kReflectionReach, xHigh + kReflectionReach, yLow - kReflectionReach,
                           yHigh + kReflectionReach});
    }
    return reaches;
}

CBuildingVolumes::Box CBuildingVolumes::Union(std::span<const Box> boxes) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    Box all{kInf, -kInf, kInf, -kInf};
    for (const Box& b : boxes) {
        // A face with a coordinate that is not a number reaches everywhere, as far as anyone can tell.
        if (std::isnan(b.xLow + b.xHigh + b.yLow + b.yHigh)) return {-kInf, kInf, -kInf, kInf};
        all = {std::min(all.xLow, b.xLow), std::max(all.xHigh, b.xHigh), std::min(all.yLow, b.yLow),
               std::max(all.yHigh, b.yHigh)};
    }
    return all;
}

}  // namespace kelmora
