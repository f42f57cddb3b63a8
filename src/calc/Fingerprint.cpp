#include "calc/Fingerprint.h"

#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

#include <bit>

namespace kelmora {

struct CFingerprintHasher::State {
    XXH3_state_t xxh;
};

CFingerprintHasher::CFingerprintHasher() : state_(std::make_unique<State>()) {
    Reset();
}

CFingerprintHasher::~CFingerprintHasher() = default;
CFingerprintHasher::CFingerprintHasher(CFingerprintHasher&&) noexcept = default;
CFingerprintHasher& CFingerprintHasher::operator=(CFingerprintHasher&&) noexcept = default;

void CFingerprintHasher::Reset() {
    XXH3_128bits_reset(&state_->xxh);
}

void CFingerprintHasher::AddBytes(const void* bytes, std::size_t size) {
    XXH3_128bits_update(&state_->xxh, bytes, size);
}

void CFingerprintHasher::Add(double v) {
    const double value = CanonicalZero(v);
    AddBytes(&value, sizeof value);
}

void CFingerprintHasher::Add(const CVector3D& v) {
    const double xyz[3] = {CanonicalZero(v.x), CanonicalZero(v.y), CanonicalZero(v.z)};
    AddBytes(xyz, sizeof xyz);
}

namespace {

// The words of a face's fingerprint, gathered so that the hash is updated once per face.
class CWords {
public:
    void Put(double v) { words_[n_++] = std::bit_cast<std::uint64_t>(CanonicalZero(v)); }
    void Put(std::int32_t v) { words_[n_++] = static_cast<std::uint64_t>(static_cast<std::uint32_t>(v)); }
    void Put(const CVector3D& v) {
        Put(v.x);
        Put(v.y);
        Put(v.z);
    }
    // The kind and the values of the band's own kind.
    void Put(const CBand& band) {
        Put(static_cast<std::int32_t>(band.kind));
        for (int i = 0; i < band.bandCount(); ++i)
            Put(band.value(i));
    }
    std::span<const std::uint64_t> words() const { return {words_.data(), n_}; }

private:
    // 3 corners, 4 + 5 flags, 3 spectra of at most 1 + 21 values, the edge offset.
    std::array<std::uint64_t, 9 + 9 + 3 * (1 + kThirdOctaveBands) + 3> words_{};
    std::size_t n_ = 0;
};

}  // namespace

void CFingerprintHasher::Add(const CBand& band) {
    CWords w;
    w.Put(band);
    AddBytes(w.words().data(), w.words().size_bytes());
}

void CFingerprintHasher::Add(const CRectObstacle& face) {
    CWords w;
    w.Put(face.rect.p1);
    w.Put(face.rect.p2);
    w.Put(face.rect.p3);
    for (const std::int32_t d : face.diffracts)
        w.Put(d);
    for (const std::int32_t flag :
         {face.wedgeType, face.reflects, face.obstructs, face.diffuseLeft, face.diffuseRight})
        w.Put(flag);
    // The path search and the corrections read a face's spectra through their own kind only (levelAt,
    // value, allEqual), whatever the kind of the source: the other representations are never read.
    w.Put(face.tl);
    w.Put(face.absorptionLeft);
    w.Put(face.absorptionRight);
    w.Put(face.edgeOffset);
    AddBytes(w.words().data(), w.words().size_bytes());
}

Fingerprint CFingerprintHasher::Final() const {
    const XXH128_hash_t h = XXH3_128bits_digest(&state_->xxh);
    return {h.low64, h.high64};
}

void CFingerprintHasher::AddScene(std::span<const CRectObstacle> scene) {
    Add(static_cast<std::int32_t>(scene.size()));
    for (const CRectObstacle& face : scene)
        Add(face);
}

Fingerprint SceneFingerprint(std::span<const CRectObstacle> scene) {
    CFingerprintHasher h;
    h.AddScene(scene);
    return h.Final();
}

}  // namespace kelmora
