#include "calc/Fingerprint.h"

#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

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

void CFingerprintHasher::Add(const CBand& band) {
    Add(static_cast<std::int32_t>(band.kind));
    for (int i = 0; i < band.bandCount(); ++i)
        Add(band.value(i));
}

void CFingerprintHasher::Add(const CRectObstacle& face) {
    Add(face.rect.p1);
    Add(face.rect.p2);
    Add(face.rect.p3);
    AddBytes(face.diffracts.data(), sizeof face.diffracts);
    const std::int32_t flags[] = {face.wedgeType, face.reflects, face.obstructs, face.diffuseLeft,
                                  face.diffuseRight};
    AddBytes(flags, sizeof flags);
    // The path search and the corrections read a face's spectra through their own kind only (levelAt,
    // value, allEqual), whatever the kind of the source: the other representations are never read.
    Add(face.tl);
    Add(face.absorptionLeft);
    Add(face.absorptionRight);
    Add(face.edgeOffset);
}

Fingerprint CFingerprintHasher::Final() const {
    const XXH128_hash_t h = XXH3_128bits_digest(&state_->xxh);
    return {h.low64, h.high64};
}

Fingerprint SceneFingerprint(std::span<const CRectObstacle> scene) {
    CFingerprintHasher h;
    const std::int32_t count = static_cast<std::int32_t>(scene.size());
    h.Add(count);
    for (const CRectObstacle& face : scene)
        h.Add(face);
    return h.Final();
}

}  // namespace kelmora
