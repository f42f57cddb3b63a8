#pragma once
// Plan edge lengths of the outlines of buildings and rooms.
#include <vector>

#include "geometry/Vector.h"

namespace kelmora {

// True when every edge that the outline uses is at least minLength [m] long in plan. An open outline
// uses the edges between consecutive vertices; a closed one also the closing edge from the last vertex
// to the first, except that two vertices make a single edge.
bool PlanEdgesAtLeast(const std::vector<CVector3D>& vertices, bool closed, double minLength);

}  // namespace kelmora
