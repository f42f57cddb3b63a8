#pragma once
// Random sites for the output corpus: terrain with heights, barriers, slope shoulders, buildings of
// every shape the scene knows (roof only, screen A, screen B, open walls, sloped roofs), rooms whose
// openings radiate, outdoor sources of every noise type, diffusely reflecting faces, points above and
// below the ground, in list or grid mode.
//
// A site depends on nothing but its seed: the random numbers are the raw output of std::mt19937_64,
// whose sequence the C++ standard fixes, turned into numbers by this file's own arithmetic. Changing
// anything here changes the corpus, whose expected outputs must then be recorded again.
#include <cstdint>

#include "model/Noise.h"

namespace kelmora::corpus {

CNoise RandomSite(std::uint64_t seed);

}  // namespace kelmora::corpus
