#include "propagation/PathSearchScene.h"

#include <bit>

#include "propagation/WorkCounters.h"

namespace kelmora {

std::size_t CSearchScene::CKeyHash::operator()(const CKey& key) const {
    // FNV-1a over the words of the key.
    std::uint64_t h = 1469598103934665603ull;
    const auto mix = [&](std::uint64_t word) {
        h ^= word;
        h *= 1099511628211ull;
    };
    for (const std::uint64_t word : key.bits)
        mix(word);
    for (const FaceIndex f : key.excluded)
        mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(f)));
    return static_cast<std::size_t>(h);
}

CBlockingResult CSearchScene::Blocking(const CVector3D& start, const CVector3D& end,
                                       const CLegExclusions& excluded) const {
    ++WorkCounters().blockingAsked;
    const CKey key{{std::bit_cast<std::uint64_t>(start.x), std::bit_cast<std::uint64_t>(start.y),
                    std::bit_cast<std::uint64_t>(start.z), std::bit_cast<std::uint64_t>(end.x),
                    std::bit_cast<std::uint64_t>(end.y), std::bit_cast<std::uint64_t>(end.z)},
                   excluded};
    return blocking_.Get(
        key, [&] { return FindBlockingFaces(start, end, static_cast<const CFaceFrames&>(*this), excluded); });
}

}  // namespace kelmora
