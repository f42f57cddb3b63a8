#pragma once
// SHA-256 digests (OpenSSL's): the identity of a project's site model, which ties the parts of a split
// run to the project they were computed from, and the check sum that tells a whole part file from a
// damaged one.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/Noise.h"

namespace kelmora {

using Digest = std::array<std::uint8_t, 32>;

class CSha256 {
public:
    CSha256();
    ~CSha256();
    CSha256(const CSha256&) = delete;
    CSha256& operator=(const CSha256&) = delete;

    void Update(std::span<const std::uint8_t> bytes);
    void Update(std::string_view bytes);
    // The digest of everything given so far; the object then starts afresh.
    Digest Final();

private:
    struct Context;
    Context* context_;
};

// Lower-case hexadecimal, 64 characters.
std::string DigestHex(const Digest& digest);

// The digest of the site model record of a project as the project file stores it: terrain, buildings,
// sources, prediction points and calculation conditions. The window records are not part of it (a
// moved window changes no result), nor are a run's results or opening sources, which are never stored.
Digest ModelDigest(const CNoise& model);

}  // namespace kelmora
