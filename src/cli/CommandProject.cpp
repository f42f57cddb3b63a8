#include "cli/CommandProject.h"

#include <cstdio>
#include <exception>

namespace kelmora::cli {

std::optional<ProjectDocument> ReadCommandProject(const std::string& path) {
    try {
        return ReadProjectFile(path);
    } catch (const ProjectFileError& e) {
        std::fprintf(stderr, "%s (%s)\n", e.what(), e.reason().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
    }
    return std::nullopt;
}

}  // namespace kelmora::cli
