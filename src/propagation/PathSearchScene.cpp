#include "propagation/PathSearchScene.h"

#include <bit>

#include "propagation/WorkCounters.h"

namespace kelmora {

std::size_t CSearchScene::CKeyHash::operator()(const CKey& key) const {
    CWordHash h;
    for (const std::uint64_t word : key.bits)
        h.Add(word);
    for (const FaceIndex f : key.excluded)
        h.Add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(f)));
    return h.Value();
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
