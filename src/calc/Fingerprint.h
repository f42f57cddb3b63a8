#pragma once
// Fingerprints of what a source's transfers to a point depend on: 128-bit XXH3 hashes (libxxhash) of
// the values that enter the path search and the path evaluation, taken bit for bit. Two fingerprints
// that match mean the same inputs, so the stored transfers of the pair still hold.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/RectObstacle.h"

namespace kelmora {

using Fingerprint = std::array<std::uint64_t, 2>;

class CFingerprintHasher {
public:
    CFingerprintHasher();
    ~CFingerprintHasher();
    CFingerprintHasher(const CFingerprintHasher&) = delete;
    CFingerprintHasher& operator=(const CFingerprintHasher&) = delete;
    CFingerprintHasher(CFingerprintHasher&&) noexcept;
    CFingerprintHasher& operator=(CFingerprintHasher&&) noexcept;

    void Reset();
    void AddBytes(const void* bytes, std::size_t size);
    void Add(double v) { AddBytes(&v, sizeof v); }
    void Add(std::int32_t v) { AddBytes(&v, sizeof v); }
    void Add(const CVector3D& v);
    // The values of the spectrum's own kind, and the kind.
    void Add(const CBand& band);
    void Add(const Fingerprint& f) { AddBytes(f.data(), sizeof f); }
    // Everything of a face that the path search and the corrections read (its name is for the
    // breakdown only).
    void Add(const CRectObstacle& face);
    Fingerprint Final() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The fingerprint of an obstacle scene: its faces in order.
Fingerprint SceneFingerprint(std::span<const CRectObstacle> scene);

}  // namespace kelmora
