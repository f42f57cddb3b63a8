#include "propagation/PathsInsideBuildings.h"

#include <algorithm>

#include "propagation/BuildingFaces.h"

namespace kelmora {

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

}  // namespace kelmora
