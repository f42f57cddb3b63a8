#pragma once
// The version of the engine that computes: the project's version and the commit of its sources
// (marked "-dirty" when built from uncommitted changes). Results of two engines are never mixed.
#include <string_view>

namespace kelmora {

std::string_view EngineVersion();

}  // namespace kelmora
