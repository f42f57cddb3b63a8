// Feeds arbitrary bytes to the part file reader of split runs. Any input must either fail with the
// part file error or read whole, and a part that reads whole is written again to the same bytes.
// Everything else (another exception, a sanitizer report, a time-out, a huge allocation) is a finding.
//
// With the argument --seeds FOLDER it writes its seed corpus instead: parts with and without
// breakdown, a block without points and a run of one block.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "calc/PartFile.h"
#include "calc/TextOutput.h"

namespace {

using namespace kelmora;

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "part reader: %s\n", what);
    std::abort();
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The bytes of a part written through the writer; the file goes again at once.
std::string Written(const PartHeader& header, const std::vector<PartPoint>& points,
                    const std::vector<std::string>& breakdowns) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kelmora-part-fuzz-" + std::to_string(getpid()));
    {
        CPartWriter writer(path, header);
        for (std::size_t i = 0; i < points.size(); ++i)
            writer.WritePoint(points[i], breakdowns[i]);
        writer.Commit();
    }
    std::string bytes = ReadBytes(path);
    std::filesystem::remove(path);
    return bytes;
}

int WriteSeeds(const std::string& folder) {
    const struct {
        const char* name;
        int shard, shards, points;
        bool breakdown;
    } seeds[] = {{"with-breakdown", 2, 3, 8, true},
                 {"results-only", 3, 3, 121, false},
                 {"empty-block", 5, 7, 3, true},
                 {"whole-run", 1, 1, 2, true}};
    for (const auto& s : seeds) {
        PartHeader header;
        header.modelDigest.fill(0x5a);
        header.engineVersion = "0.1+0123456789ab";
        header.shard = s.shard;
        header.shardCount = s.shards;
        header.pointCount = s.points;
        header.points = ShardPoints(s.shard, s.shards, s.points);
        header.withBreakdown = s.breakdown;
        std::vector<PartPoint> points;
        std::vector<std::string> breakdowns;
        for (int i = 0; i < header.points.count; ++i) {
            PartPoint p;
            p.index = header.points.first + i;
            p.position = {1.5 * i, -2.0, 13.2};
            p.average.fill(-100.0 + i);
            p.maximum.fill(55.25);
            points.push_back(p);
            breakdowns.push_back("\x81\x9a\x97\\\x91\xaa\x93\x5f(1/8), X[m]\x81\xa8, 25.000\r\n");
        }
        std::ofstream out(folder + "/" + s.name + ".kpart", std::ios::binary);
        out << Written(header, points, breakdowns);
        if (!out) {
            std::fprintf(stderr, "cannot write the seeds into %s\n", folder.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (*argc == 3 && std::string((*argv)[1]) == "--seeds") std::exit(WriteSeeds((*argv)[2]));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream in(input);
    PartHeader header;
    std::vector<PartPoint> points;
    std::vector<std::string> breakdowns;
    try {
        CPartReader reader(in);
        header = reader.header();
        PartPoint point;
        CTextBuffer text;
        while (reader.Next(point, &text)) {
            points.push_back(point);
            breakdowns.push_back(text.bytes());
            text.clear();
        }
    } catch (const PartFileError&) {
        return 0;
    }
    if (Written(header, points, breakdowns) != input)
        Finding("a part that reads whole is written differently");
    return 0;
}
