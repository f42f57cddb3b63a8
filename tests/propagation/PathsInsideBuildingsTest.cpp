#include <gtest/gtest.h>

#include <vector>

#include "propagation/PathsInsideBuildings.h"
#include "propagation/SceneFixtures.h"

namespace kelmora {
namespace {

// A path S → reflection at `at` → R.
CPropagationPath ReflectedAt(const CVector3D& at) {
    CPathRInfo reflection = ReflectionNode(0, at);
    reflection.reflectState = kOnFace;
    return {EndNode({0, 0, 1}), reflection, EndNode({100, 0, 1})};
}

// A 20 m × 20 m box building over x 20..40, y −10..10, 10 m high.
TEST(DropPathsInsideBuildings, OnlyPathsReflectedInsideAVolumeWithWalls) {
    const std::vector<CBuilding> buildings = {fixtures::BoxBuilding(20, -10, 40, 10, 10.0)};
    const std::vector<CPropagationPath> paths = {
        ReflectedAt({30, 0, 5}),                             // inside: dropped
        ReflectedAt({20, 0, 5}),                             // on a wall: kept
        ReflectedAt({30, 0, 10}),                            // on the roof: kept
        ReflectedAt({50, 0, 0}),                             // outside: kept
        {EndNode({30, 0, 1}), EndNode({100, 0, 1})},         // its source inside: not a reflection
        {EndNode({0, 0, 1}), ReflectionNode(0, {60, 0, 0}),  // the second of two reflections inside
         ReflectionNode(0, {35, 5, 2}), EndNode({100, 0, 1})},
    };
    const std::vector<CPropagationPath> kept = DropPathsInsideBuildings(paths, buildings);
    EXPECT_EQ(kept, (std::vector<CPropagationPath>{paths[1], paths[2], paths[3], paths[4]}));

    // Roofs without walls do not enclose a volume.
    const std::vector<CBuilding> roofsOnly = {fixtures::BoxBuilding(20, -10, 40, 10, 10.0, false)};
    EXPECT_EQ(DropPathsInsideBuildings(paths, roofsOnly), paths);
}

}  // namespace
}  // namespace kelmora
