// Feeds arbitrary bytes to the project file reader. Any input must either fail with the file format
// error or give a project that is written, read again and converted to JSON and back without loss.
// Everything else (another exception, a sanitizer report, a time-out, a huge allocation) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "model/persistence/ProjectFile.h"
#include "model/persistence/ProjectJson.h"

namespace {

constexpr std::size_t kJsonCheckMaxBytes = 8192;

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "project reader: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelmora;
    ProjectDocument doc;
    try {
        doc = ReadProject(std::span(data, size));
    } catch (const ArchiveError&) {
        return 0;
    }
    // The program's own form of the project reads back to the same bytes.
    const std::vector<std::uint8_t> bytes = WriteProject(doc);
    std::size_t used = 0;
    try {
        const ProjectDocument again = ReadProject(bytes, &used);
        if (used != bytes.size() || WriteProject(again) != bytes)
            Finding("a written project reads back differently");
    } catch (const ArchiveError&) {
        Finding("a written project does not read");
    }
    // The JSON form loses nothing. Its text is ten times the size of the file and slow to make under
    // the sanitizers, so only the smaller inputs, which the fuzzer mutates most, take this check.
    if (size > kJsonCheckMaxBytes) return 0;
    try {
        if (WriteProject(ParseProjectJson(ProjectJsonText(doc))) != bytes)
            Finding("the JSON form changed the project");
    } catch (const ProjectJsonError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Finding("the JSON form of a project does not read");
    }
    return 0;
}
