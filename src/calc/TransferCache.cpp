#include "calc/TransferCache.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <functional>
#include <iterator>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "calc/ContentDigest.h"
#include "calc/EngineVersion.h"
#include "model/persistence/InputFile.h"
#include "model/persistence/ReplacingFile.h"

namespace kelmora {
namespace {

constexpr char kMagic[8] = {'K', 'E', 'L', 'M', 'X', 'F', 'E', 'R'};
constexpr std::uint32_t kFormatVersion = 2;
constexpr std::size_t kMaxEngineBytes = 256;
constexpr std::size_t kKeyBytes = 16;
constexpr std::size_t kPointBytes = 3 * 8 + 1;
constexpr std::size_t kPairBytes = 16 + 1 + kThirdOctaveBands * 8;
constexpr std::size_t kSumBytes = 32;
constexpr std::size_t kBlockBytes = 1 << 16;

constexpr const char* kNotACache = "転送キャッシュではありません";
constexpr const char* kCutShort = "転送キャッシュが途中で切れています";
constexpr const char* kDamaged = "転送キャッシュが壊れています";
constexpr const char* kOtherEngine = "別の版の計算エンジンの転送キャッシュです";

static_assert(std::endian::native == std::endian::little, "the cache is written little-endian as in memory");

template <typename T>
void Put(std::vector<std::uint8_t>& out, const T& value) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}

// The bytes of a cache of `size` bytes read in order in blocks of at most 64 kB, never beyond the size,
// with the SHA-256 sum of its body (everything before the last 32 bytes) made on the way.
class CBlockReader {
public:
    // Reads up to `count` bytes into `out`; fewer only at the end of the bytes.
    using Source = std::function<std::size_t(std::uint8_t* out, std::size_t count)>;

    CBlockReader(Source source, std::uint64_t size)
        : source_(std::move(source)), unread_(size), unhashed_(size >= kSumBytes ? size - kSumBytes : 0) {}

    template <typename T>
    T Get() {
        T value;
        Take(&value, sizeof value);
        return value;
    }
    void Take(void* out, std::size_t size) {
        auto* to = static_cast<std::uint8_t*>(out);
        while (size > 0) {
            if (at_ == end_) Refill();
            const std::size_t n = std::min(size, end_ - at_);
            std::memcpy(to, block_.data() + at_, n);
            at_ += n;
            to += n;
            size -= n;
        }
    }
    // The sum of the body, once all of it has been taken.
    Digest BodySum() { return sum_.Final(); }

private:
    void Refill() {
        if (unread_ == 0) throw TransferCacheError(kCutShort);
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockBytes, unread_));
        const std::size_t got = source_(block_.data(), want);
        if (got == 0) throw TransferCacheError(kCutShort);  // the file shrank while it was read
        unread_ -= got;
        const std::size_t body = static_cast<std::size_t>(std::min<std::uint64_t>(got, unhashed_));
        sum_.Update(std::span<const std::uint8_t>(block_.data(), body));
        unhashed_ -= body;
        at_ = 0;
        end_ = got;
    }

    Source source_;
    std::uint64_t unread_;
    std::uint64_t unhashed_;
    std::vector<std::uint8_t> block_ = std::vector<std::uint8_t>(kBlockBytes);
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    CSha256 sum_;
};

using PositionBits = std::array<std::uint64_t, 3>;

PositionBits BitsOf(const CVector3D& p) {
    return {std::bit_cast<std::uint64_t>(CanonicalZero(p.x)),
            std::bit_cast<std::uint64_t>(CanonicalZero(p.y)),
            std::bit_cast<std::uint64_t>(CanonicalZero(p.z))};
}

struct WordsHash {
    template <std::size_t N>
    std::size_t operator()(const std::array<std::uint64_t, N>& words) const {
        std::uint64_t h = 0x9e3779b97f4a7c15ull;
        for (const std::uint64_t w : words)
            h = (h ^ w ^ (h >> 29)) * 0xff51afd7ed558ccdull;
        return static_cast<std::size_t>(h ^ (h >> 32));
    }
};

// The header's counts must give the size of the file exactly: points × 25 bytes plus, for each computed
// point, user sources × 185 bytes, after the header and before the check sum.
void CheckSize(std::uint64_t size, std::uint64_t headerBytes, std::uint64_t users, std::uint64_t points) {
    if (size < headerBytes + kSumBytes) throw TransferCacheError(kCutShort);
    const std::uint64_t rest = size - headerBytes - kSumBytes;
    const std::uint64_t pointBytes = points * kPointBytes;
    if (rest < pointBytes) throw TransferCacheError(kCutShort);
    const std::uint64_t pairBytes = rest - pointBytes;
    if (users == 0) {
        if (pairBytes != 0) throw TransferCacheError(kDamaged);
        return;
    }
    const std::uint64_t perPoint = users * kPairBytes;
    if (pairBytes / perPoint > points) throw TransferCacheError(kDamaged);
    if (pairBytes % perPoint != 0) throw TransferCacheError(kCutShort);
}

CTransferStore Decode(CBlockReader& in, std::uint64_t size, std::string_view engine,
                      const TransferCacheUse* use) {
    char magic[sizeof kMagic] = {};
    if (size < sizeof kMagic) throw TransferCacheError(kNotACache);
    in.Take(magic, sizeof magic);
    if (std::memcmp(magic, kMagic, sizeof kMagic) != 0) throw TransferCacheError(kNotACache);
    if (in.Get<std::uint32_t>() != kFormatVersion) throw TransferCacheError(kOtherEngine);
    const std::uint32_t engineBytes = in.Get<std::uint32_t>();
    if (engineBytes > kMaxEngineBytes) throw TransferCacheError(kDamaged);
    std::string written(engineBytes, '\0');
    in.Take(written.data(), engineBytes);
    if (written != engine) throw TransferCacheError(kOtherEngine);

    CTransferStore store;
    store.site = in.Get<Fingerprint>();
    const std::uint32_t users = in.Get<std::uint32_t>();
    const std::uint32_t points = in.Get<std::uint32_t>();
    const std::uint64_t headerBytes = sizeof kMagic + 4 + 4 + engineBytes + sizeof(Fingerprint) + 4 + 4 +
                                      static_cast<std::uint64_t>(users) * kKeyBytes;
    CheckSize(size, headerBytes, users, points);

    // The columns kept: the sources the run has (all without `use`; of one key only the first), in the
    // file's order.
    std::unordered_set<Fingerprint, WordsHash> wantedKeys;
    std::unordered_set<PositionBits, WordsHash> wantedPositions;
    if (use != nullptr) {
        for (const Fingerprint& key : use->sources)
            wantedKeys.insert(key);
        for (const CVector3D& p : use->positions)
            wantedPositions.insert(BitsOf(p));
    }
    std::vector<std::uint32_t> kept;  // file columns kept, ascending
    for (std::uint32_t c = 0; c < users; ++c) {
        const Fingerprint key = in.Get<Fingerprint>();
        if (use != nullptr && wantedKeys.erase(key) == 0) continue;
        kept.push_back(c);
        store.sources.push_back(key);
    }

    // The points kept: those at the run's positions (all without `use`); of one position only one, a
    // computed one before one below the ground.
    std::unordered_map<PositionBits, std::size_t, WordsHash> keptAt;
    PairTransfer pair;
    for (std::uint32_t p = 0; p < points; ++p) {
        PointTransfers point;
        point.position.x = in.Get<double>();
        point.position.y = in.Get<double>();
        point.position.z = in.Get<double>();
        const std::uint8_t computed = in.Get<std::uint8_t>();
        if (computed > 1) throw TransferCacheError(kDamaged);
        point.computed = computed == 1;
        bool wanted = use == nullptr;
        std::size_t replaces = store.points.size();
        if (use != nullptr && wantedPositions.contains(BitsOf(point.position))) {
            const auto [it, added] = keptAt.try_emplace(BitsOf(point.position), store.points.size());
            wanted = added || (point.computed && !store.points[it->second].computed);
            replaces = it->second;
        }
        if (point.computed) {
            if (wanted) point.pairs.reserve(kept.size());
            std::size_t next = 0;  // the next kept column
            for (std::uint32_t c = 0; c < users; ++c) {
                pair.fingerprint = in.Get<Fingerprint>();
                const std::uint8_t reached = in.Get<std::uint8_t>();
                if (reached > 1) throw TransferCacheError(kDamaged);
                pair.reached = reached == 1;
                pair.energy = in.Get<std::array<double, kThirdOctaveBands>>();
                if (next < kept.size() && kept[next] == c) {
                    ++next;
                    if (wanted) point.pairs.push_back(pair);
                }
            }
        }
        if (!wanted) continue;
        if (replaces < store.points.size())
            store.points[replaces] = std::move(point);
        else
            store.points.push_back(std::move(point));
    }
    // Whatever the bytes said, damaged ones are never taken for transfers.
    const Digest sum = in.BodySum();
    Digest written_sum;
    in.Take(written_sum.data(), written_sum.size());
    if (sum != written_sum) throw TransferCacheError(kDamaged);
    return store;
}

}  // namespace

std::vector<std::uint8_t> EncodeTransferCache(const CTransferStore& store, std::string_view engineIdentity) {
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    out.reserve(static_cast<std::size_t>(store.PairCount()) * kPairBytes + store.points.size() * kPointBytes +
                store.sources.size() * kKeyBytes + 128);
    Put(out, kFormatVersion);
    Put(out, static_cast<std::uint32_t>(engineIdentity.size()));
    out.insert(out.end(), engineIdentity.begin(), engineIdentity.end());
    Put(out, store.site);
    Put(out, static_cast<std::uint32_t>(store.sources.size()));
    Put(out, static_cast<std::uint32_t>(store.points.size()));
    for (const Fingerprint& key : store.sources)
        Put(out, key);
    for (const PointTransfers& p : store.points) {
        Put(out, p.position.x);
        Put(out, p.position.y);
        Put(out, p.position.z);
        Put(out, static_cast<std::uint8_t>(p.computed ? 1 : 0));
        if (!p.computed) continue;
        for (const PairTransfer& pair : p.pairs) {
            Put(out, pair.fingerprint);
            Put(out, static_cast<std::uint8_t>(pair.reached ? 1 : 0));
            Put(out, pair.energy);
        }
    }
    CSha256 sha;
    sha.Update(out);
    const Digest sum = sha.Final();
    out.insert(out.end(), sum.begin(), sum.end());
    return out;
}

CTransferStore DecodeTransferCache(std::span<const std::uint8_t> bytes, std::string_view engineIdentity,
                                   const TransferCacheUse* use) {
    std::size_t at = 0;
    CBlockReader in(
        [&](std::uint8_t* out, std::size_t count) {
            const std::size_t n = std::min(count, bytes.size() - at);
            std::memcpy(out, bytes.data() + at, n);
            at += n;
            return n;
        },
        bytes.size());
    return Decode(in, bytes.size(), engineIdentity, use);
}

void WriteTransferCache(const std::filesystem::path& path, const CTransferStore& store) {
    const std::vector<std::uint8_t> bytes = EncodeTransferCache(store, EngineIdentity());
    try {
        CReplacingFile file(path);
        file.Write(bytes);
        file.Commit();
    } catch (const std::system_error& e) {
        throw TransferCacheError(e.what());
    }
}

CTransferStore ReadTransferCache(const std::filesystem::path& path, const TransferCacheUse* use) {
    try {
        RegularFile file(path);
        CBlockReader in([&](std::uint8_t* out, std::size_t count) { return file.Read(out, count); },
                        file.size());
        return Decode(in, file.size(), EngineIdentity(), use);
    } catch (const InputFileError& e) {
        throw TransferCacheError(e.reason());
    }
}

CacheFileKind InspectTransferCacheFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) return CacheFileKind::kMissing;
    try {
        RegularFile file(path);
        char magic[sizeof kMagic] = {};
        const std::size_t got = file.Read(magic, sizeof magic);
        if (got == 0) return CacheFileKind::kEmpty;
        return got == sizeof magic && std::memcmp(magic, kMagic, sizeof kMagic) == 0 ? CacheFileKind::kCache
                                                                                     : CacheFileKind::kOther;
    } catch (const InputFileError& e) {
        throw TransferCacheError("転送キャッシュ " + path.string() + " を使えません (" + e.reason() + ")");
    }
}

}  // namespace kelmora
