#pragma once
// The transfer cache file: the transfers of a run (Transfers.h) kept between runs of
// `kelmora-calc run --cache FILE`, so that the next run traces only the pairs whose fingerprints
// changed.
//
// Layout, little-endian: "KELMXFER", u32 format version, u32 length and bytes of the engine version,
// the 16-byte site fingerprint, u32 user sources, u32 points; per point 3 f64 position and u8 computed
// (1) or underground (0); per pair of a computed point the 16-byte fingerprint, u8 reached and 21 f64
// energies; then a 32-byte SHA-256 check sum over everything before it. About points × user sources ×
// (21 × 8 + 17) bytes.
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

// The bytes of the file for `store`, made by the engine `engineVersion`.
std::vector<std::uint8_t> EncodeTransferCache(const CTransferStore& store, std::string_view engineVersion);

// The store from the bytes of a file. Throws TransferCacheError when the bytes are not a whole cache
// (cut short, damaged, another kind of file) or come from another engine than `engineVersion`.
CTransferStore DecodeTransferCache(std::span<const std::uint8_t> bytes, std::string_view engineVersion);

// Writes the file beside `path` and renames it into place; the previous file stays whole on any
// failure. Throws TransferCacheError naming the reason.
void WriteTransferCache(const std::filesystem::path& path, const CTransferStore& store);

// Reads the file made by this engine. Throws TransferCacheError (also when it cannot be opened).
CTransferStore ReadTransferCache(const std::filesystem::path& path);

}  // namespace kelmora
