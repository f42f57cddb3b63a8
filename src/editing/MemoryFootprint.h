#pragma once
// How many bytes a kept copy of a part of the site model takes in memory: the object itself plus
// everything it owns on the heap (the capacities of its lists and of its texts longer than the
// string's own buffer, each with the allocator's block overhead), counted through every level down to
// the openings inside openings. The undo history bounds its memory with these counts; they come out a
// little above what the heap measures for a copy, never far below it.
#include <cstddef>
#include <vector>

#include "model/Noise.h"
#include "model/ProjectExtras.h"

namespace kelmora {

std::size_t MemoryBytes(const std::vector<CGroundLine>& lines);
std::size_t MemoryBytes(const std::vector<CBuilding>& buildings);
std::size_t MemoryBytes(const std::vector<CSound>& sources);
std::size_t MemoryBytes(const CCalcInfo& calc);
// Extras are small and their sections belong to several owners: counted as their extension-file text
// beside the struct itself, which is larger than their lists and texts in memory.
std::size_t MemoryBytes(const ProjectExtras& extras);

}  // namespace kelmora
