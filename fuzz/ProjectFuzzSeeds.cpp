// Writes the seed corpus of the project reader fuzzer into a folder, and with a second folder the JSON
// forms of the same projects for the JSON reader fuzzer:
//   project-fuzz-seeds FOLDER EXAMPLE.json [JSON-FOLDER]
// The seeds are the example project, the sample model of the tests, a new project, a chain of
// nested openings and a project with single-byte strings and long length prefixes.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/ProjectFileSamples.h"
#include "model/persistence/ProjectFile.h"
#include "model/persistence/ProjectJson.h"

namespace {

using namespace kelmora;
using Bytes = std::vector<std::uint8_t>;

void Write(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

// A new project whose empty image path is stored as the given bytes.
Bytes NewProjectWithImagePath(const Bytes& stored) {
    const Bytes blank = WriteProject(NewProjectDocument());
    constexpr std::size_t kPathOffset = 4 + 4 + 16;
    Bytes file(blank.begin(), blank.begin() + kPathOffset);
    file.insert(file.end(), stored.begin(), stored.end());
    file.insert(file.end(), blank.begin() + kPathOffset + 4, blank.end());
    return file;
}

ProjectDocument OpeningChain(int depth) {
    ProjectDocument doc = NewProjectDocument();
    doc.model.buildings.resize(1);
    doc.model.buildings[0].rooms.resize(1);
    std::vector<CWindow>* level = &doc.model.buildings[0].rooms[0].openings;
    for (int i = 0; i < depth; ++i) {
        level->resize(1);
        level = &(*level)[0].containedOpenings;
    }
    return doc;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s FOLDER EXAMPLE.json [JSON-FOLDER]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    try {
        std::ifstream in(argv[2], std::ios::binary);
        const std::string json((std::istreambuf_iterator<char>(in)), {});
        Write(folder + "/example.kel", WriteProject(ParseProjectJson(json)));
        Write(folder + "/sample.kel", WriteProject(testing::SampleDocument()));
        Write(folder + "/new.kel", WriteProject(NewProjectDocument()));
        Write(folder + "/openings.kel", WriteProject(OpeningChain(12)));
        // "日本" as CP932 bytes, and "A" as UTF-16 behind a 64-bit length.
        Write(folder + "/ansi.kel", NewProjectWithImagePath({0x04, 0x93, 0xFA, 0x96, 0x7B}));
        Write(folder + "/prefix.kel",
              NewProjectWithImagePath({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                       0x01, 0,    0,    0,    0,    0,    0,    0,    0x41, 0x00}));
        if (argc == 4) {
            const std::string jsonFolder = argv[3];
            for (const char* name : {"example", "sample", "new", "openings", "ansi", "prefix"}) {
                std::ifstream project(folder + "/" + name + ".kel", std::ios::binary);
                const Bytes bytes((std::istreambuf_iterator<char>(project)), {});
                const std::string text = ProjectJsonText(ReadProject(bytes));
                Write(jsonFolder + "/" + name + ".json", Bytes(text.begin(), text.end()));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
