// Feeds arbitrary text to the reader of the JSON form of a project. Any input must either be refused
// with ProjectJsonError or give a project whose own JSON form reads back to the same file bytes.
// Everything else (another exception, a sanitizer report, a stack overflow, a time-out, a huge
// allocation) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "model/persistence/ProjectFile.h"
#include "model/persistence/ProjectJson.h"

namespace {

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "project JSON reader: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelmora;
    ProjectDocument doc;
    try {
        doc = ParseProjectJson(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const ProjectJsonError&) {
        return 0;
    }
    const std::vector<std::uint8_t> bytes = WriteProject(doc);
    try {
        if (WriteProject(ParseProjectJson(ProjectJsonText(doc))) != bytes)
            Finding("the JSON form of a project read from JSON changed it");
        if (WriteProject(ReadProject(bytes)) != bytes)
            Finding("a project read from JSON reads back differently");
    } catch (const ProjectJsonError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Finding("the JSON form of a project read from JSON does not read");
    } catch (const ArchiveError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Finding("a project read from JSON does not read from its file");
    }
    return 0;
}
