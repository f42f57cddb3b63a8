#pragma once
// Paths that run through the inside of a building: a reflection inside a building's volume stands for
// sound that would have to pass its walls.
#include <span>
#include <vector>

#include "model/Building.h"
#include "propagation/PathNode.h"

namespace kelmora {

// The paths without those whose reflection points (the nodes between source and receiver) include one
// inside any of the buildings (BuildingContainsPoint); the remaining paths keep their order.
std::vector<CPropagationPath> DropPathsInsideBuildings(std::vector<CPropagationPath> paths,
                                                       std::span<const CBuilding> buildings);

}  // namespace kelmora
