#pragma once
// Reading the project file a command works on, with the failure reported the same way by every
// command.
#include <optional>
#include <string>

#include "model/persistence/ProjectFile.h"

namespace kelmora::cli {

// The project read from `path`, or nothing after its failure has been printed on stderr.
std::optional<ProjectDocument> ReadCommandProject(const std::string& path);

}  // namespace kelmora::cli
