#include "propagation/BlockingSearch.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "geometry/VectorOps.h"
#include "propagation/Diffraction.h"
#include "propagation/DiffractionCorrection.h"
#include "propagation/FaceEdges.h"
#include "propagation/WorkCounters.h"

namespace kelmora {
namespace {

// The one-third-octave band (1 kHz) in which obstacles are compared by how much they attenuate.
constexpr int kComparisonBand = 13;

struct CCandidate {
    FaceIndex face = kNoFace;
    bool crossing = false;
    double distanceToEnd = 0.0;         // of the point where the segment meets the face's plane [m]
    std::optional<double> attenuation;  // single diffraction correction at 1 kHz [dB], once computed
};

bool IsExcluded(std::span<const FaceIndex> excluded, FaceIndex face) {
    return std::find(excluded.begin(), excluded.end(), face) != excluded.end();
}

bool AllDiffract(const CRectObstacle& face, const CSideFlags& sides) {
    for (int k = 0; k < kSideCount; ++k) {
        if (sides[k] && face.diffracts[k] == 0) return false;
    }
    return true;
}

// Sorts the few candidates of a search in place, keeping equal ones in their order (as std::stable_sort,
// without its buffer from the heap).
template <typename Less>
void SortCandidates(std::vector<CCandidate>& candidates, Less less) {
    for (std::size_t i = 1; i < candidates.size(); ++i) {
        CCandidate c = candidates[i];
        std::size_t j = i;
        for (; j > 0 && less(c, candidates[j - 1]); --j)
            candidates[j] = candidates[j - 1];
        candidates[j] = c;
    }
}

CBlockingResult Rejected() {
    CBlockingResult r;
    r.rejected = true;
    return r;
}

}  // namespace

CBlockingResult FindBlockingFaces(const CVector3D& start, const CVector3D& end,
                                  std::span<const CRectObstacle> scene, std::span<const FaceIndex> excluded) {
    return FindBlockingFaces(start, end, CFaceFrames(scene), excluded);
}

CBlockingResult FindBlockingFaces(const CVector3D& start, const CVector3D& end, const CFaceFrames& scene,
                                  std::span<const FaceIndex> excluded) {
    ++WorkCounters().blockingSearches;
    // The list of one search, its storage kept by the thread from search to search (a search never
    // starts another).
    thread_local std::vector<CCandidate> candidates;
    candidates.clear();
    for (FaceIndex f = 0; f < scene.size(); ++f) {
        const CRectObstacle& face = scene.face(f);
        if (face.obstructs == 0) continue;
        const CFaceFrame& frame = scene.frame(f);
        const std::optional<CFaceHit> hit = IntersectSegmentFace(frame, start, end);
        if (!hit) continue;
        if (hit->inside) {
            if (IsExcluded(excluded, f)) continue;
            // Straight through an obstacle that offers no edge to pass over.
            if (face.wedgeType < 0 || DiffractingSideCount(face) == 0) return Rejected();
        } else if (!AllDiffract(face, EdgesFacing(frame.corners, hit->point))) {
            continue;
        }
        candidates.push_back({f, hit->inside, Distance(hit->point, end), std::nullopt});
    }

    // Computes (once) how much a candidate attenuates; false when its correction cannot be formed.
    const auto attenuate = [&](CCandidate& c) {
        if (c.attenuation) return true;
        c.attenuation = SingleDiffractionBand(CEdgeFace(scene, c.face), start, end, kComparisonBand);
        return c.attenuation.has_value();
    };

    if (candidates.size() >= 2) {
        // Obstacles close together along the segment act as one: keep the more attenuating of each
        // close pair (the one nearer to the end on equal values), walking from the far end of the list.
        SortCandidates(candidates, [](const CCandidate& a, const CCandidate& b) {
            return a.distanceToEnd < b.distanceToEnd;
        });
        for (int i = static_cast<int>(candidates.size()) - 2; i >= 0; --i) {
            CCandidate& nearer = candidates[i];
            CCandidate& farther = candidates[i + 1];
            if (!(farther.distanceToEnd - nearer.distanceToEnd < kObstacleMergeDistance)) continue;
            if (!attenuate(nearer) || !attenuate(farther)) return Rejected();
            const int loser = *farther.attenuation < *nearer.attenuation ? i : i + 1;
            candidates.erase(candidates.begin() + loser);
        }
    }
    if (candidates.size() >= 2) {
        for (CCandidate& c : candidates) {
            if (!attenuate(c)) return Rejected();
        }
        SortCandidates(candidates, [](const CCandidate& a, const CCandidate& b) {
            return *a.attenuation < *b.attenuation;
        });
        candidates.resize(2);
    }

    CBlockingResult result;
    result.count = static_cast<int>(candidates.size());
    if (result.count == 1) {
        const std::optional<CDiffractionPoint> p =
            MinPathDifferencePoint(CEdgeFace(scene, candidates[0].face), start, end);
        if (!p) return Rejected();
        result.x = candidates[0].face;
        result.pointX = p->point;
        result.crossX = p->crossing;
    } else if (result.count == 2) {
        FaceIndex x = candidates[0].face;
        FaceIndex y = candidates[1].face;
        const std::optional<CDoubleEdgePoints> p =
            MinPathDoubleDiffraction(CEdgeFace(scene, x), start, end, CEdgeFace(scene, y));
        if (!p) return Rejected();
        if (!p->xFirst) std::swap(x, y);
        result.x = x;
        result.pointX = p->first;
        result.crossX = p->crossFirst;
        result.y = y;
        result.pointY = p->second;
        result.crossY = p->crossSecond;
    }
    return result;
}

}  // namespace kelmora
