#pragma once
// The transfer cache file: the transfers of a run (Transfers.h) kept between runs of
// `kelmora-calc run --cache FILE`, so that the next run traces only the pairs that changed.
//
// Layout, little-endian: "KELMXFER", u32 format version (2), u32 length and bytes of the engine
// identity (EngineIdentity), the 16-byte site fingerprint, u32 user sources, u32 points, the 16-byte
// key of each user source; per point 3 f64 position and u8 computed (1) or underground (0); per pair of a
// computed point (one per user source, in order) the 16-byte fingerprint, u8 reached and 21 f64
// energies; then a 32-byte SHA-256 check sum over everything before it. About points × user sources ×
// (21 × 8 + 17) bytes.
//
// A file is read in blocks of 64 kB. Its size must be the one its counts give before anything past
// the counts is read, and a run keeps of it only the pairs of its own sources and points, so that the
// memory a cache takes is bounded by the run, whatever the file holds.
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "calc/Transfers.h"

namespace kelmora {

// A cache that cannot be read or written; what() says why, for the user.
class TransferCacheError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a run can use of a cache: the pairs of the sources with these keys at the points at these
// positions (−0.0 as 0.0). The spans must outlive the reading.
struct TransferCacheUse {
    std::span<const Fingerprint> sources;
    std::span<const CVector3D> positions;
};

// The bytes of the file for `store`, made by the engine `engineIdentity`.
std::vector<std::uint8_t> EncodeTransferCache(const CTransferStore& store, std::string_view engineIdentity);

// The store from the bytes of a file: all of it, or with `use` only the sources and points the run can
// use (the store's sources and points those of the file, in its order). Throws TransferCacheError when
// the bytes are not a whole cache (cut short, damaged, another kind of file) or come from another
// engine than `engineIdentity`.
CTransferStore DecodeTransferCache(std::span<const std::uint8_t> bytes, std::string_view engineIdentity,
                                   const TransferCacheUse* use = nullptr);

// Writes the file beside `path` and renames it into place; the previous file stays whole on any
// failure. Throws TransferCacheError naming the reason.
void WriteTransferCache(const std::filesystem::path& path, const CTransferStore& store);

// Reads the file made by this engine, as DecodeTransferCache. Throws TransferCacheError, also when
// it cannot be opened or is not a regular file (a folder, a FIFO, a device: refused without blocking);
// what() then says why without naming the file.
CTransferStore ReadTransferCache(const std::filesystem::path& path, const TransferCacheUse* use = nullptr);

// What a file named as the cache holds, told from its first bytes.
enum class CacheFileKind {
    kMissing,  // no such file (or a symbolic link to none): the run writes it
    kEmpty,    // a file without bytes (made by mktemp, say): nothing lost by writing it
    kCache,    // a transfer cache, whole or not, of this engine or another: read it, then replace it
    kOther,    // any other file: never replaced
};

// Throws TransferCacheError ("転送キャッシュ PATH を使えません (通常のファイルではありません)") for a name
// that cannot be opened for reading or is not a regular file.
CacheFileKind InspectTransferCacheFile(const std::filesystem::path& path);

}  // namespace kelmora
