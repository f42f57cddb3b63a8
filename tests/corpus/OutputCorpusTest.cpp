// The output corpus: the breakdown and result files of whole prediction runs, compared byte for byte with
// the outputs recorded from the engine. The cases are the bundled example's list of points with its
// breakdown, the example's grid, and random sites (RandomSite.h) with their breakdowns. Every run uses
// one, two or three threads, so the corpus also holds a parallel run to the bytes of a run on one thread.
//
// The expected outputs (tests/corpus/expected/*.txt) hold the size and a 64-bit FNV-1a hash of every file
// and the end code of every run. They are the engine's own outputs: record them again only when a result
// is meant to change, and say why in the commit.
//
//   KELMORA_CORPUS_RECORD=1   write the expected files from this build instead of comparing;
//   KELMORA_CORPUS_KEEP=1     keep the output files of every case (in the temporary folder);
//   KELMORA_CORPUS_LEVELS=DIR also write every point's result spectra in hexadecimal floating point
//                             (DIR/<case>.txt), to compare two builds to the last bit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "RandomSite.h"
#include "calc/FakeRunHost.h"
#include "calc/PredictionRun.h"
#include "model/persistence/ProjectJson.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

std::uint64_t FileHash(const fs::path& path) {
    std::uint64_t h = 14695981039346656037ull;
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 16);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            h ^= static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)]);
            h *= 1099511628211ull;
        }
    }
    return h;
}

std::string HashText(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016" PRIx64, h);
    return out;
}

// One line of an expected file: "<case> <what> <value…>".
using OutputLines = std::vector<std::string>;

std::string OutputLine(const std::string& name, const std::string& what, const fs::path& file) {
    if (!fs::exists(file)) return name + " " + what + " absent";
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016" PRIx64, FileHash(file));
    return name + " " + what + " " + std::to_string(fs::file_size(file)) + " " + hash;
}

void WriteLevels(const std::string& name, const CNoise& model) {
    const char* dir = std::getenv("KELMORA_CORPUS_LEVELS");
    if (dir == nullptr) return;
    std::ofstream out(fs::path(dir) / (name + ".txt"));
    for (const CPredictivePoint& p : model.calcInfo.PredictionPoints()) {
        char line[64];
        for (const CBand* band : {&p.resultAverage, &p.resultMax}) {
            for (const double v : band->third) {
                std::snprintf(line, sizeof line, "%a ", v);
                out << line;
            }
            out << '\n';
        }
    }
}

// Runs the model's prediction as the desktop program does, with every file chosen, and describes
// its outputs.
OutputLines RunCase(const std::string& name, CNoise model, bool breakdown, bool xyzForm, int threads) {
    const fs::path dir =
        fs::temp_directory_path() / ("kelmora-corpus-" + std::to_string(getpid()) + "-" + name);
    fs::create_directories(dir);
    FakeRunHost host;
    if (breakdown) host.chosenFiles[OutputFile::Breakdown] = (dir / "breakdown.csv").string();
    host.chosenFiles[OutputFile::AverageResult] = (dir / "laeq.txt").string();
    host.chosenFiles[OutputFile::MaximumResult] = (dir / "lamax.txt").string();
    host.answerXyz = xyzForm;
    CPredictionJob job(model, {threads, 0});
    job.RunHere(host);

    OutputLines lines;
    lines.push_back(name + " end " + std::to_string(host.ends.empty() ? 0 : host.ends.back()) + " " +
                    HashText(job.errorText()));
    if (breakdown) lines.push_back(OutputLine(name, "breakdown", dir / "breakdown.csv"));
    lines.push_back(OutputLine(name, "laeq", dir / "laeq.txt"));
    lines.push_back(OutputLine(name, "lamax", dir / "lamax.txt"));
    WriteLevels(name, model);
    if (std::getenv("KELMORA_CORPUS_KEEP") == nullptr) fs::remove_all(dir);
    return lines;
}

fs::path ExpectedFile(const std::string& group) {
    return fs::path(KELMORA_CORPUS_DIR) / "expected" / (group + ".txt");
}

// Compares the outputs of a group of cases with its expected file, or records them.
void CheckGroup(const std::string& group, const OutputLines& actual) {
    const fs::path path = ExpectedFile(group);
    if (std::getenv("KELMORA_CORPUS_RECORD") != nullptr) {
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        for (const std::string& line : actual)
            out << line << '\n';
        ASSERT_TRUE(out.good()) << path;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "no expected outputs at " << path;
    OutputLines expected;
    for (std::string line; std::getline(in, line);)
        expected.push_back(line);
    ASSERT_EQ(expected.size(), actual.size()) << "cases of " << group;
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(expected[i], actual[i]) << "(expected first)";
}

CNoise ExampleModel() {
    std::ifstream in(KELMORA_EXAMPLE_JSON, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseProjectJson(text).model;
}

TEST(OutputCorpus, ExampleListWithBreakdown) {
    CNoise model = ExampleModel();
    ASSERT_EQ(model.calcInfo.mode, kPointListMode);
    CheckGroup("example-list", RunCase("example-list", model, true, true, 1));
}

TEST(OutputCorpus, ExampleGrid) {
    CNoise model = ExampleModel();
    model.calcInfo.mode = kHorizontalGridMode;
    CheckGroup("example-grid", RunCase("example-grid", model, false, true, 2));
}

// Random sites in groups of 16, so that ctest can spread them over its jobs.
class RandomSites : public testing::TestWithParam<int> {};

TEST_P(RandomSites, MatchRecordedOutputs) {
    constexpr int kGroupSize = 16;
    OutputLines lines;
    for (int i = GetParam() * kGroupSize; i < (GetParam() + 1) * kGroupSize; ++i) {
        const std::string name = "site-" + std::to_string(i);
        const OutputLines site = RunCase(name, corpus::RandomSite(1000u + static_cast<std::uint64_t>(i)),
                                         true, i % 4 != 3, 1 + i % 3);
        lines.insert(lines.end(), site.begin(), site.end());
    }
    CheckGroup("sites-" + std::to_string(GetParam()), lines);
}
INSTANTIATE_TEST_SUITE_P(OutputCorpus, RandomSites, testing::Values(0, 1, 2, 3));

}  // namespace
}  // namespace kelmora
