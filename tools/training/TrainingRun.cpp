// `kelmora-training EXAMPLE.json WORK`: the training run of the profiled build (scripts/build.sh). It
// computes the bundled example's points of its list (at the site boundary) as `kelmora-calc run`
// computes a map's points — levels only, no breakdown — after writing the project file and reading it
// back, and leaves the files in WORK. Exit status 0 when the run ended normally.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "calc/PredictionRun.h"
#include "cli/CliRunHost.h"
#include "model/persistence/InputFile.h"
#include "model/persistence/ProjectFile.h"
#include "model/persistence/ProjectJson.h"

namespace {

// A project's JSON is far below this.
constexpr std::uint64_t kMaxJsonBytes = std::uint64_t{64} << 20;

}  // namespace

int main(int argc, char** argv) {
    using namespace kelmora;
    if (argc != 3) {
        std::fprintf(stderr, "usage: kelmora-training EXAMPLE.json WORK\n");
        return 2;
    }
    const std::filesystem::path work = argv[2];
    try {
        const std::vector<std::uint8_t> bytes = ReadRegularFile(argv[1], kMaxJsonBytes);
        ProjectDocument doc = ParseProjectJson(std::string(bytes.begin(), bytes.end()));
        doc.model.calcInfo.mode = kPointListMode;
        std::filesystem::create_directories(work);
        SaveProjectFile(work / "boundary.kel", doc);
        doc = ReadProjectFile(work / "boundary.kel");

        cli::CliRunChoices choices;
        choices.averageFile = (work / "laeq.txt").string();
        choices.maximumFile = (work / "lamax.txt").string();
        choices.quiet = true;
        CPredictionJob job(doc.model);
        return cli::RunJobFromCommandLine(job, choices);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelmora-training: %s\n", e.what());
        return 1;
    }
}
