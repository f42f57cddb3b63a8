#include "calc/TransferCache.h"

#include <bit>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "calc/ContentDigest.h"
#include "calc/EngineVersion.h"
#include "model/persistence/ReplacingFile.h"

namespace kelmora {
namespace {

constexpr char kMagic[8] = {'K', 'E', 'L', 'M', 'X', 'F', 'E', 'R'};
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::size_t kMaxEngineVersionBytes = 256;
constexpr std::size_t kPointBytes = 3 * 8 + 1;
constexpr std::size_t kPairBytes = 16 + 1 + kThirdOctaveBands * 8;
constexpr std::size_t kSumBytes = 32;

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

// Reads the bytes of a cache in order, never beyond their end.
class CReader {
public:
    explicit CReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    template <typename T>
    T Get() {
        T value;
        std::memcpy(&value, Take(sizeof value).data(), sizeof value);
        return value;
    }
    std::span<const std::uint8_t> Take(std::size_t size) {
        if (size > bytes_.size() - at_) throw TransferCacheError(kCutShort);
        const std::span<const std::uint8_t> part = bytes_.subspan(at_, size);
        at_ += size;
        return part;
    }
    std::size_t left() const { return bytes_.size() - at_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

}  // namespace

std::vector<std::uint8_t> EncodeTransferCache(const CTransferStore& store, std::string_view engineVersion) {
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    out.reserve(static_cast<std::size_t>(store.PairCount()) * kPairBytes + store.points.size() * kPointBytes +
                128);
    Put(out, kFormatVersion);
    Put(out, static_cast<std::uint32_t>(engineVersion.size()));
    out.insert(out.end(), engineVersion.begin(), engineVersion.end());
    Put(out, store.site);
    Put(out, static_cast<std::uint32_t>(store.userSourceCount));
    Put(out, static_cast<std::uint32_t>(store.points.size()));
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

CTransferStore DecodeTransferCache(std::span<const std::uint8_t> bytes, std::string_view engineVersion) {
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        throw TransferCacheError(kNotACache);
    if (bytes.size() < sizeof kMagic + kSumBytes) throw TransferCacheError(kCutShort);
    const std::span<const std::uint8_t> body = bytes.first(bytes.size() - kSumBytes);
    CReader in(body);
    in.Take(sizeof kMagic);
    if (in.Get<std::uint32_t>() != kFormatVersion) throw TransferCacheError(kOtherEngine);
    const std::uint32_t versionBytes = in.Get<std::uint32_t>();
    if (versionBytes > kMaxEngineVersionBytes) throw TransferCacheError(kDamaged);
    const std::span<const std::uint8_t> version = in.Take(versionBytes);
    if (std::string_view(reinterpret_cast<const char*>(version.data()), version.size()) != engineVersion)
        throw TransferCacheError(kOtherEngine);

    CTransferStore store;
    store.site = in.Get<Fingerprint>();
    const std::uint32_t users = in.Get<std::uint32_t>();
    const std::uint32_t points = in.Get<std::uint32_t>();
    // Every point takes bytes: a count beyond what is left is damage, not a reason to allocate.
    if (points > in.left() / kPointBytes || users > in.left() / kPairBytes + 1)
        throw TransferCacheError(kDamaged);
    store.userSourceCount = static_cast<int>(users);
    store.points.resize(points);
    for (PointTransfers& p : store.points) {
        p.position.x = in.Get<double>();
        p.position.y = in.Get<double>();
        p.position.z = in.Get<double>();
        const std::uint8_t computed = in.Get<std::uint8_t>();
        if (computed > 1) throw TransferCacheError(kDamaged);
        p.computed = computed == 1;
        if (!p.computed) continue;
        if (users > in.left() / kPairBytes) throw TransferCacheError(kCutShort);
        p.pairs.resize(users);
        for (PairTransfer& pair : p.pairs) {
            pair.fingerprint = in.Get<Fingerprint>();
            const std::uint8_t reached = in.Get<std::uint8_t>();
            if (reached > 1) throw TransferCacheError(kDamaged);
            pair.reached = reached == 1;
            pair.energy = in.Get<std::array<double, kThirdOctaveBands>>();
        }
    }
    if (in.left() != 0) throw TransferCacheError(kDamaged);
    // Whatever the bytes said, damaged ones are never taken for transfers.
    CSha256 sha;
    sha.Update(body);
    const Digest sum = sha.Final();
    if (std::memcmp(sum.data(), bytes.data() + body.size(), kSumBytes) != 0)
        throw TransferCacheError(kDamaged);
    return store;
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

CTransferStore ReadTransferCache(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw TransferCacheError("開けません");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw TransferCacheError("読めません");
    return DecodeTransferCache(bytes, EngineIdentity());
}

}  // namespace kelmora
