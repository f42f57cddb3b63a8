#pragma once
// The scene as one path search uses it: the face frames, and the blocking searches already made. The
// search asks again and again about the same legs (the placements of an obstacle on the legs of one
// candidate, the validation of the legs found), and each distinct question is answered once.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "model/RectObstacle.h"
#include "propagation/BlockingSearch.h"
#include "propagation/FaceEdges.h"
#include "propagation/PairMemo.h"

namespace kelmora {

// The faces a leg must not count as its own obstacles: its reflecting faces and its diffractors.
using CLegExclusions = std::array<FaceIndex, 4>;

class CSearchScene : public CFaceFrames {
public:
    // `checkpoint` (may be empty) is called between the steps of the search, and may throw to end it.
    explicit CSearchScene(std::span<const CRectObstacle> faces, std::function<void()> checkpoint = {})
        : CFaceFrames(faces), checkpoint_(std::move(checkpoint)) {}
    CSearchScene(const CSearchScene&) = delete;
    CSearchScene& operator=(const CSearchScene&) = delete;

    // Lets the caller stop a search that would run for long (many faces, many reflections).
    void Checkpoint() const {
        if (checkpoint_) checkpoint_();
    }

    // FindBlockingFaces(start, end, scene, excluded), searched once for each distinct start, end (to the
    // bit) and exclusion list.
    CBlockingResult Blocking(const CVector3D& start, const CVector3D& end,
                             const CLegExclusions& excluded) const;

private:
    struct CKey {
        std::array<std::uint64_t, 6> bits;  // of start and end
        CLegExclusions excluded;
        friend bool operator==(const CKey&, const CKey&) = default;
    };
    struct CKeyHash {
        std::size_t operator()(const CKey& key) const;
    };
    // A search with two reflections asks about a hundred distinct questions.
    static constexpr std::size_t kUsualBlockingQuestions = 128;
    mutable CPairMemo<CKey, CBlockingResult, CKeyHash> blocking_{kUsualBlockingQuestions};
    std::function<void()> checkpoint_;
};

}  // namespace kelmora
