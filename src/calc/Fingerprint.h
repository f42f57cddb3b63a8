#pragma once
// Fingerprints of what a source's transfers to a point depend on: 128-bit XXH3 hashes (libxxhash) of
// the values that enter the path search and the path evaluation, taken bit for bit, except that −0.0
// counts as 0.0. Two fingerprints that match mean the same inputs, so the stored transfers of the pair
// still hold.
//
// The two zeros give the same numbers: the calculation compares values with zero by ==, divides only
// by lengths (never −0.0) or by values it has tested for zero first, and calls no function that tells
// the zeros apart (atan2, copysign, signbit); a transfer is an energy sum, never −0.0. The random-site
// test of the transfers checks it on sites with −0.0 coordinates.
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

// The value with −0.0 taken as 0.0.
inline double CanonicalZero(double v) {
    return v == 0.0 ? 0.0 : v;
}

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
    void Add(double v);
    void Add(std::int32_t v) { AddBytes(&v, sizeof v); }
    void Add(const CVector3D& v);
    // The values of the spectrum's own kind, and the kind.
    void Add(const CBand& band);
    void Add(const Fingerprint& f) { AddBytes(f.data(), sizeof f); }
    // Everything of a face that the path search and the corrections read (its name is for the
    // breakdown only).
    void Add(const CRectObstacle& face);
    // The faces of a scene in order, and their number.
    void AddScene(std::span<const CRectObstacle> scene);
    Fingerprint Final() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The fingerprint of an obstacle scene: its faces in order.
Fingerprint SceneFingerprint(std::span<const CRectObstacle> scene);

}  // namespace kelmora
