#pragma once
// Where the site lies on the plan: the extent in model metres of what the plan draws, for fitting a
// window to the site and for placing the labels of buildings.
#include <optional>

#include "model/Building.h"
#include "model/Noise.h"

namespace kelmora {

// A plan extent in model metres (x east, y north), min ≤ max.
struct ModelExtent {
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;

    friend bool operator==(const ModelExtent&, const ModelExtent&) = default;
};

// Everything the plan draws of the model, as plan points: ground lines with their walls and slope feet,
// roofs, exterior walls, rooms with their openings and sources, outdoor sources and the prediction
// points of the calculation's mode. None for a model without any of them (non-finite points are left
// out).
std::optional<ModelExtent> ExtentOfSite(const CNoise& model);
// The same of one building: its roofs, exterior walls, rooms, openings and room sources.
std::optional<ModelExtent> ExtentOfBuilding(const CBuilding& building);

}  // namespace kelmora
