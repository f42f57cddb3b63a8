#include "calc/PartFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "calc/TextOutput.h"

namespace kelmora {
namespace {

constexpr char kMagic[8] = {'K', 'E', 'L', 'M', 'P', 'A', 'R', 'T'};
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::uint32_t kWithBreakdown = 1;
constexpr std::size_t kCopyChunk = 1 << 16;

constexpr const char* kNotAPart = "パートファイルではありません";
constexpr const char* kCutShort = "パートファイルが途中で切れています";
constexpr const char* kDamaged = "パートファイルが壊れています";

static_assert(std::endian::native == std::endian::little, "parts are written little-endian as in memory");

template <typename T>
void AppendRaw(std::vector<unsigned char>& out, T value) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}

std::vector<unsigned char> EncodeHeader(const PartHeader& h) {
    std::vector<unsigned char> out(std::begin(kMagic), std::end(kMagic));
    AppendRaw(out, kFormatVersion);
    out.insert(out.end(), h.modelDigest.begin(), h.modelDigest.end());
    AppendRaw(out, static_cast<std::uint32_t>(h.engineVersion.size()));
    out.insert(out.end(), h.engineVersion.begin(), h.engineVersion.end());
    for (int v : {h.shard, h.shardCount, h.pointCount, h.points.first, h.points.count})
        AppendRaw(out, static_cast<std::uint32_t>(v));
    AppendRaw(out, h.withBreakdown ? kWithBreakdown : 0u);
    return out;
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

}  // namespace

PointRange ShardPoints(int shard, int shardCount, int pointCount) {
    // Block k ends where k·M/N rounds down to, so block sizes differ by at most one point.
    const auto edge = [&](int k) {
        return static_cast<int>(static_cast<std::int64_t>(k) * pointCount / shardCount);
    };
    const int first = edge(shard - 1);
    return {first, edge(shard) - first};
}

// ---- Writing ----

CPartWriter::CPartWriter(const std::filesystem::path& path, const PartHeader& header)
    : path_(path), header_(header) {
    if (header_.engineVersion.size() > kMaxEngineVersionBytes)
        throw std::invalid_argument("engine version too long for a part");
    // A name of its own beside the part, made with the usual permissions of a new file.
    static thread_local std::mt19937_64 random{std::random_device{}()};
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
        temporary_ = path.parent_path() / ("." + path.filename().string() + suffix);
        fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        const int error = errno;
        temporary_.clear();
        throw PartFileError("パートファイルを作成できません: " + path.string() + " (" + SystemReason(error) +
                            ")");
    }
    file_ = fdopen(fd, "wb");
    if (file_ == nullptr) {
        const int error = errno;
        close(fd);
        std::filesystem::remove(temporary_);
        throw PartFileError("パートファイルを作成できません: " + path.string() + " (" + SystemReason(error) +
                            ")");
    }
    std::setvbuf(file_, nullptr, _IOFBF, kCopyChunk);
    const std::vector<unsigned char> bytes = EncodeHeader(header_);
    Put(bytes.data(), bytes.size());
}

CPartWriter::~CPartWriter() {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_ && !temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
}

void CPartWriter::Put(const void* bytes, std::size_t size) {
    if (size == 0) return;
    if (std::fwrite(bytes, 1, size, file_) != size) Fail("書き込めません");
    sum_.Update(std::span(static_cast<const std::uint8_t*>(bytes), size));
}

void CPartWriter::Fail(std::string_view what) {
    const int error = errno;
    throw PartFileError("パートファイルを" + std::string(what) + ": " + path_.string() + " (" +
                        SystemReason(error) + ")");
}

void CPartWriter::WritePoint(const PartPoint& point, std::string_view breakdown) {
    if (written_ >= header_.points.count || point.index != header_.points.first + written_)
        throw std::logic_error("part point out of its block");
    std::vector<unsigned char> bytes;
    bytes.reserve(4 + 8 * (3 + 2 * kThirdOctaveBands) + 8);
    AppendRaw(bytes, static_cast<std::uint32_t>(point.index));
    for (double v : {point.position.x, point.position.y, point.position.z})
        AppendRaw(bytes, v);
    for (double v : point.average)
        AppendRaw(bytes, v);
    for (double v : point.maximum)
        AppendRaw(bytes, v);
    if (header_.withBreakdown) AppendRaw(bytes, static_cast<std::uint64_t>(breakdown.size()));
    Put(bytes.data(), bytes.size());
    if (header_.withBreakdown) Put(breakdown.data(), breakdown.size());
    ++written_;
}

void CPartWriter::Commit() {
    if (written_ != header_.points.count) throw std::logic_error("part committed before its last point");
    const Digest sum = sum_.Final();
    if (std::fwrite(sum.data(), 1, sum.size(), file_) != sum.size()) Fail("書き込めません");
    if (std::fflush(file_) != 0 || fsync(fileno(file_)) != 0) Fail("書き込めません");
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) Fail("書き込めません");
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) Fail("置けません");
    committed_ = true;
    // The new name reaches the disk with the folder.
    const std::filesystem::path folder = path_.parent_path().empty() ? "." : path_.parent_path();
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

// ---- Reading ----

CPartReader::CPartReader(std::istream& in) : in_(in) {
    char magic[sizeof kMagic];
    in_.read(magic, sizeof magic);
    if (in_.gcount() != sizeof magic || std::memcmp(magic, kMagic, sizeof magic) != 0)
        throw PartFileError(kNotAPart);
    sum_.Update(std::string_view(magic, sizeof magic));
    const std::uint32_t format = GetU32();
    if (format != kFormatVersion)
        throw PartFileError("パートファイルの形式 " + std::to_string(format) + " は読めません");
    Get(header_.modelDigest.data(), header_.modelDigest.size());
    const std::uint32_t versionBytes = GetU32();
    if (versionBytes > kMaxEngineVersionBytes) throw PartFileError(kDamaged);
    header_.engineVersion.resize(versionBytes);
    Get(header_.engineVersion.data(), versionBytes);
    std::uint32_t fields[5];
    for (std::uint32_t& f : fields)
        f = GetU32();
    const std::uint32_t flags = GetU32();
    const auto [shard, shardCount, pointCount, first, count] = fields;
    if (shardCount < 1 || shardCount > kMaxShardCount || shard < 1 || shard > shardCount ||
        pointCount > static_cast<std::uint32_t>(INT32_MAX) || (flags & ~kWithBreakdown) != 0) {
        throw PartFileError(kDamaged);
    }
    header_.shard = static_cast<int>(shard);
    header_.shardCount = static_cast<int>(shardCount);
    header_.pointCount = static_cast<int>(pointCount);
    header_.points = ShardPoints(header_.shard, header_.shardCount, header_.pointCount);
    header_.withBreakdown = (flags & kWithBreakdown) != 0;
    if (static_cast<std::uint32_t>(header_.points.first) != first ||
        static_cast<std::uint32_t>(header_.points.count) != count) {
        throw PartFileError(kDamaged);
    }
}

void CPartReader::Get(void* bytes, std::size_t size) {
    in_.read(static_cast<char*>(bytes), static_cast<std::streamsize>(size));
    if (static_cast<std::size_t>(in_.gcount()) != size) throw PartFileError(kCutShort);
    sum_.Update(std::span(static_cast<const std::uint8_t*>(bytes), size));
}

std::uint32_t CPartReader::GetU32() {
    std::uint32_t v = 0;
    Get(&v, sizeof v);
    return v;
}

bool CPartReader::Next(PartPoint& point, CTextSink* breakdown) {
    if (finished_) return false;
    if (read_ == header_.points.count) {
        const Digest expected = sum_.Final();
        Digest stored{};
        in_.read(reinterpret_cast<char*>(stored.data()), stored.size());
        if (static_cast<std::size_t>(in_.gcount()) != stored.size()) throw PartFileError(kCutShort);
        if (stored != expected || in_.peek() != std::char_traits<char>::eof()) throw PartFileError(kDamaged);
        finished_ = true;
        return false;
    }
    const std::uint32_t index = GetU32();
    if (index != static_cast<std::uint32_t>(header_.points.first + read_)) throw PartFileError(kDamaged);
    point.index = static_cast<int>(index);
    Get(&point.position.x, sizeof(double));
    Get(&point.position.y, sizeof(double));
    Get(&point.position.z, sizeof(double));
    Get(point.average.data(), sizeof point.average);
    Get(point.maximum.data(), sizeof point.maximum);
    if (header_.withBreakdown) {
        std::uint64_t left = 0;
        Get(&left, sizeof left);
        // The length is only believed as far as the bytes go: they are copied a chunk at a time.
        std::vector<char> chunk(std::min<std::uint64_t>(left, kCopyChunk));
        while (left > 0) {
            const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
            Get(chunk.data(), size);
            if (breakdown != nullptr) breakdown->Write(std::string_view(chunk.data(), size));
            left -= size;
        }
    }
    ++read_;
    return true;
}

}  // namespace kelmora
