#include "calc/PartFile.h"

#include <sys/stat.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include "calc/TextOutput.h"
#include "model/persistence/InputFile.h"
#include "model/persistence/ReplacingFile.h"

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
    // Only a regular file is replaced by a part: replacing a device node such as /dev/null, or writing
    // a part into a pipe, would be no part at all.
    struct stat old {};
    if (::stat(ReplacedFile(path).c_str(), &old) == 0 && !S_ISREG(old.st_mode)) {
        Fail("作成できません", S_ISDIR(old.st_mode) ? SystemReason(EISDIR) : std::string(kNotRegularFile));
    }
    try {
        file_ = std::make_unique<CReplacingFile>(path, true);
    } catch (const std::system_error& e) {
        Fail("作成できません", e.code().message());
    }
    buffer_.reserve(kCopyChunk);
    const std::vector<unsigned char> bytes = EncodeHeader(header_);
    Put(bytes.data(), bytes.size());
}

CPartWriter::~CPartWriter() = default;  // the replacing file removes what was not committed

void CPartWriter::Put(const void* bytes, std::size_t size) {
    if (size == 0) return;
    sum_.Update(std::span(static_cast<const std::uint8_t*>(bytes), size));
    buffer_.append(static_cast<const char*>(bytes), size);
    if (buffer_.size() >= kCopyChunk) Flush();
}

void CPartWriter::Flush() {
    if (file_ == nullptr) Fail("書き込めません", SystemReason(EBADF));
    try {
        file_->Write(buffer_);
    } catch (const std::system_error& e) {
        file_.reset();
        Fail("書き込めません", e.code().message());
    }
    buffer_.clear();
}

void CPartWriter::Fail(std::string_view what, const std::string& reason) {
    throw PartFileError("パートファイルを" + std::string(what) + ": " + path_.string() + " (" + reason + ")");
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
    buffer_.append(reinterpret_cast<const char*>(sum.data()), sum.size());
    Flush();
    try {
        file_->Commit();
    } catch (const std::system_error& e) {
        file_.reset();
        Fail("書き込めません", e.code().message());
    }
    file_.reset();
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
