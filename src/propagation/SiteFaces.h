#pragma once
// The faces of a site's buildings and walls, made once per run: they do not depend on the source–point
// pair, whose scene only selects those that reach into its strip.
#include <vector>

#include "model/Noise.h"
#include "propagation/BuildingFaces.h"
#include "propagation/WallFaces.h"

namespace kelmora {

struct CSiteFaces {
    std::vector<CPreparedBuilding> buildings;  // in list order
    std::vector<CPreparedWall> walls;          // per ground line in list order, per wall in list order
};

// The model must outlive the result (a prepared building refers to its building).
CSiteFaces PrepareSiteFaces(const CNoise& model);

}  // namespace kelmora
