#pragma once
// The bundled example for the corpus tests: its grid thinned to a sample, and whole files read back.
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/Noise.h"
#include "model/persistence/ProjectJson.h"

namespace kelmora::corpus {

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bundled example in grid mode over every `every`th point of its grid.
inline CNoise ExampleGridSample(std::size_t every) {
    CNoise model = ParseProjectJson(Slurp(KELMORA_EXAMPLE_JSON)).model;
    model.calcInfo.mode = kHorizontalGridMode;
    std::vector<CPredictivePoint> sample;
    for (std::size_t i = 0; i < model.calcInfo.gridPoints.size(); i += every)
        sample.push_back(model.calcInfo.gridPoints[i]);
    model.calcInfo.gridPoints = sample;
    return model;
}

}  // namespace kelmora::corpus
