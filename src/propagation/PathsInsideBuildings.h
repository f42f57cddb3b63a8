#pragma once
// Paths that run through the inside of a building: a reflection inside a building's volume stands for
// sound that would have to pass its walls.
#include <span>
#include <vector>

#include "geometry/Vector.h"
#include "model/Building.h"
#include "model/RectObstacle.h"
#include "propagation/PathNode.h"

namespace kelmora {

// The paths without those whose reflection points (the nodes between source and receiver) include one
// inside any of the buildings (BuildingContainsPoint); the remaining paths keep their order.
std::vector<CPropagationPath> DropPathsInsideBuildings(std::vector<CPropagationPath> paths,
                                                       std::span<const CBuilding> buildings);

// The roofs whose volumes can drop a path found in a given scene, so that what the paths of one pair
// depend on can be told without tracing them.
//
// A reflection point lies within 1 m of its face, a face of the scene (kMaxReflectionPointOffFace, the
// distance measured no shorter than the true one), so in plan within the face's box widened by 1 m. A
// building holds a point only when it has exterior walls and the point lies within the footprint of one
// of its roofs (BuildingContainsPoint, to 1e-6 m). So a roof whose footprint box lies clear of the
// widened boxes of all the scene's faces can drop none of the scene's paths: whatever it is, the paths
// kept are the same. The boxes are widened by a further metre against rounding.
class CBuildingVolumes {
public:
    explicit CBuildingVolumes(std::span<const CBuilding> buildings);

    // Calls visit(const CMyRect&) for the rectangle of every roof (of a building with exterior walls)
    // that can drop a path found in `scene`, in stored order.
    template <typename Visit>
    void ForEachNear(std::span<const CRectObstacle> scene, Visit visit) const {
        if (roofs_.empty()) return;
        const std::span<const Box> reaches = FaceReaches(scene);
        const Box all = Union(reaches);
        for (const Roof& roof : roofs_) {
            if (!roof.box.Meets(all)) continue;
            for (const Box& reach : reaches) {
                if (roof.box.Meets(reach)) {
                    visit(*roof.rect);
                    break;
                }
            }
        }
    }

private:
    struct Box {
        double xLow, xHigh, yLow, yHigh;
        // True unless clearly apart (a value that is not a number keeps the roof).
        bool Meets(const Box& o) const {
            return !(xLow > o.xHigh || o.xLow > xHigh || yLow > o.yHigh || o.yLow > yHigh);
        }
    };
    struct Roof {
        const CMyRect* rect;
        Box box;  // of its footprint's corners
    };
    // The plan box of each face widened by the reach of a reflection point (storage kept by the thread).
    static std::span<const Box> FaceReaches(std::span<const CRectObstacle> scene);
    static Box Union(std::span<const Box> boxes);

    std::vector<Roof> roofs_;
};

}  // namespace kelmora
