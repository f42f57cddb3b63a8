#pragma once
// The bundled example project, read from its JSON form in the source tree, for the picture tests.
#include <fstream>
#include <sstream>
#include <string>

#include "model/persistence/ProjectJson.h"

namespace kelmora::rastertest {

inline ProjectDocument ExampleProject() {
    std::ifstream in(std::string(KELMORA_SOURCE_DIR) + "/examples/factory.json");
    std::stringstream text;
    text << in.rdbuf();
    return ParseProjectJson(text.str());
}

}  // namespace kelmora::rastertest
