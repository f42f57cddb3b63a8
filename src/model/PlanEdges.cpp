#include "model/PlanEdges.h"

#include <cstddef>

#include "geometry/VectorOps.h"

namespace kelmora {

bool PlanEdgesAtLeast(const std::vector<CVector3D>& vertices, bool closed, double minLength) {
    const std::size_t n = vertices.size();
    if (n < 2) return true;
    const std::size_t edges = closed && n > 2 ? n : n - 1;
    for (std::size_t i = 0; i < edges; ++i) {
        if (!(Distance2D(Plan(vertices[i]), Plan(vertices[(i + 1) % n])) >= minLength)) return false;
    }
    return true;
}

}  // namespace kelmora
