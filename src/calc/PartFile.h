#pragma once
// The part file of a split run: the results of one contiguous block of a project's prediction points,
// computed on its own (on another machine, by a batch scheduler's array task) and merged with the
// other blocks into the result and breakdown files of the whole run.
//
// A part holds what those files need and nothing else: for every point its number in the whole run,
// its position, its LAeqT and LAmax spectra at full precision and, when asked for, the bytes of its
// calculation breakdown, numbered among all the points of the run. A header names the project (the
// digest of its site model), the engine that computed it, the block (K of N) and the number of points
// of the whole run; a SHA-256 check sum over everything before it closes the file, so a part that
// was cut short or damaged is never taken for a whole one.
//
// Layout, little-endian: "KELMPART", u32 format version, 32-byte model digest, u32 length and bytes
// of the engine version, u32 K, N, number of points of the run, first point, points in the part,
// flags (1: with breakdown); then per point u32 point index (from 0), 3 f64 position, 21 f64 LAeqT
// bands, 21 f64 LAmax bands and, with breakdown, u64 length and bytes of its breakdown; then the
// 32-byte check sum.
#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "calc/ContentDigest.h"
#include "geometry/Vector.h"
#include "model/Band.h"

namespace kelmora {

class CReplacingFile;
class CTextSink;

// The largest number of blocks a run is split into, and the longest engine version a part names.
inline constexpr int kMaxShardCount = 100000;
inline constexpr std::size_t kMaxEngineVersionBytes = 256;

// A block of points: indices first … first + count − 1 (from 0).
struct PointRange {
    int first = 0;
    int count = 0;
    friend bool operator==(const PointRange&, const PointRange&) = default;
};

// Block `shard` (1 … shardCount) of the `pointCount` points of a run split into `shardCount` contiguous
// blocks in stored order; the blocks differ in size by one point at most, and a block is empty when
// there are fewer points than blocks.
PointRange ShardPoints(int shard, int shardCount, int pointCount);

struct PartHeader {
    Digest modelDigest{};
    std::string engineVersion;
    int shard = 1;       // K, from 1
    int shardCount = 1;  // N
    int pointCount = 0;  // points of the whole run
    PointRange points;   // the block of this part: ShardPoints(K, N, pointCount)
    bool withBreakdown = false;
};

// One computed point of a part.
struct PartPoint {
    int index = 0;  // in the whole run, from 0
    CVector3D position;
    std::array<double, kThirdOctaveBands> average{};  // LAeqT per band [dB]
    std::array<double, kThirdOctaveBands> maximum{};  // LAmax per band [dB]
};

// A part that cannot be read or written; what() says why, for the user.
class PartFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes a part to a temporary file beside its name (ReplacingFile.h), which takes the name only once
// the part is whole and on the disk: a shard killed half-way leaves no file that looks like a part,
// and the leftovers of a shard killed before are removed when the next attempt begins. A symbolic link
// is written through; any other name that is not a regular file (a folder, a device, a pipe) is
// refused at once, before anything is computed.
class CPartWriter {
public:
    // Creates the temporary file; PartFileError when the name cannot take a part or the folder cannot
    // take the temporary file.
    CPartWriter(const std::filesystem::path& path, const PartHeader& header);
    // Removes the temporary file of a part that was not committed.
    ~CPartWriter();
    CPartWriter(const CPartWriter&) = delete;
    CPartWriter& operator=(const CPartWriter&) = delete;

    // The next point of the block, in order; `breakdown` is ignored for a part without breakdown.
    void WritePoint(const PartPoint& point, std::string_view breakdown);
    // Writes the check sum, flushes the file to the disk and gives it its name, replacing an older part.
    void Commit();

private:
    void Put(const void* bytes, std::size_t size);
    void Flush();
    [[noreturn]] void Fail(std::string_view what, const std::string& reason);

    std::filesystem::path path_;
    PartHeader header_;
    std::unique_ptr<CReplacingFile> file_;
    std::string buffer_;
    CSha256 sum_;
    int written_ = 0;
};

// Reads a part from any stream of bytes, holding no more than one point and a small buffer in memory
// whatever the bytes say.
class CPartReader {
public:
    // Reads and checks the header; PartFileError when the bytes are not a part's.
    explicit CPartReader(std::istream& in);

    const PartHeader& header() const { return header_; }

    // Reads the next point; its breakdown bytes go to `breakdown` (null: skipped). False after the
    // last point, once the check sum has matched. PartFileError when the bytes end early, a point is
    // out of its place or the check sum does not match.
    bool Next(PartPoint& point, CTextSink* breakdown);

private:
    void Get(void* bytes, std::size_t size);
    std::uint32_t GetU32();

    std::istream& in_;
    CSha256 sum_;
    PartHeader header_;
    int read_ = 0;
    bool finished_ = false;
};

}  // namespace kelmora
