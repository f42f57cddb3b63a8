// Feeds arbitrary bytes to the transfer cache reader. Any input must either be refused with the cache
// error or read whole, and a cache that reads whole is written again to the same bytes; read for a run
// that uses some of its sources and points, it gives those and nothing else. Everything else (another
// exception, a sanitizer report, a time-out, a huge allocation) is a finding. scripts/fuzz.sh runs it
// with a bound on its memory.
//
// With the argument --seeds FOLDER it writes its seed corpus: caches of a few points and sources, one
// with an underground point, and an empty one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "calc/TransferCache.h"

namespace {

using namespace kelmora;

constexpr const char* kEngine = "0.1+fuzz";

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "transfer cache reader: %s\n", what);
    std::abort();
}

int WriteSeeds(const std::string& folder) {
    for (int points = 0; points < 3; ++points) {
        CTransferStore store;
        store.site = {0x1234u, 0x5678u};
        store.sources = {{11, 12}, {13, 14}};
        for (int p = 0; p < points; ++p) {
            PointTransfers point{{1.0 * p, 2.0, 1.2}, p != 1, {}};
            if (point.computed) point.pairs = {PairTransfer{{1, 2}, true, {1e-6, 2e-6}}, PairTransfer{}};
            store.points.push_back(point);
        }
        const std::vector<std::uint8_t> bytes = EncodeTransferCache(store, kEngine);
        std::ofstream out(folder + "/seed-" + std::to_string(points) + ".cache", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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
    const std::span<const std::uint8_t> input(data, size);
    CTransferStore store;
    try {
        store = DecodeTransferCache(input, kEngine);
    } catch (const TransferCacheError&) {
        return 0;
    }
    const std::vector<std::uint8_t> again = EncodeTransferCache(store, kEngine);
    if (!std::equal(again.begin(), again.end(), input.begin(), input.end()))
        Finding("a cache that reads whole is written differently");

    // A run with the second source and every other point (and one point of its own).
    std::vector<Fingerprint> keys;
    if (store.sources.size() > 1) keys.push_back(store.sources[1]);
    keys.push_back({0, 0});
    std::vector<CVector3D> positions = {{1e9, 1e9, 1e9}};
    for (std::size_t i = 0; i < store.points.size(); i += 2)
        positions.push_back(store.points[i].position);
    const TransferCacheUse use{keys, positions};
    CTransferStore part;
    try {
        part = DecodeTransferCache(input, kEngine, &use);
    } catch (const TransferCacheError&) {
        Finding("a whole cache is refused for a run that uses part of it");
    }
    if (part.site != store.site || part.points.size() > positions.size() || part.sources.size() > keys.size())
        Finding("a run's part of a cache holds more than it asked for");
    const CTransferMatch match(part, keys, positions);
    const CTransferMatch whole(store, keys, positions);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        for (std::size_t s = 0; s < keys.size(); ++s) {
            const PairTransfer* a = match.At(i)[s];
            const PairTransfer* b = whole.At(i)[s];
            if ((a == nullptr) != (b == nullptr) || (a != nullptr && !(*a == *b)))
                Finding("a run's part of a cache differs from the whole cache");
        }
    }
    return 0;
}
