#include "propagation/PathSearch.h"

#include <array>
#include <deque>
#include <optional>

#include "geometry/Plane.h"
#include "geometry/VectorOps.h"
#include "propagation/BlockingSearch.h"
#include "propagation/Diffraction.h"
#include "propagation/FaceEdges.h"
#include "propagation/PathReflections.h"
#include "propagation/WorkCounters.h"

namespace kelmora {
namespace {

// A copy of a path that the search works on, in storage the thread keeps from pair to pair. The search
// is depth-first and every copy lives in one scope, so the copies are given back innermost first and
// their storage, once grown, serves the copies after them without a heap allocation.
class CPathCopy {
public:
    CPathCopy() : path_(Take()) { path_.clear(); }
    explicit CPathCopy(const CPropagationPath& path) : path_(Take()) { Assign(path); }
    CPathCopy(const CPathCopy&) = delete;
    CPathCopy& operator=(const CPathCopy&) = delete;
    ~CPathCopy() { --Depth(); }

    void Assign(const CPropagationPath& path) { path_.assign(path.begin(), path.end()); }
    CPropagationPath& operator*() { return path_; }

private:
    static std::deque<CPropagationPath>& Stock() {
        thread_local std::deque<CPropagationPath> stock;  // a deque keeps its elements in place as it grows
        return stock;
    }
    static std::size_t& Depth() {
        thread_local std::size_t depth = 0;  // copies in use
        return depth;
    }
    static CPropagationPath& Take() {
        std::deque<CPropagationPath>& stock = Stock();
        std::size_t& depth = Depth();
        if (depth == stock.size()) stock.emplace_back();
        return stock[depth++];
    }

    CPropagationPath& path_;
};

// A face that can carry a reflection node: it reflects, and not both of its sides absorb everything.
bool CanReflect(const CRectObstacle& face) {
    return face.reflects != 0 && !(face.absorptionLeft.allEqual(1.0) && face.absorptionRight.allEqual(1.0));
}

bool SameReflectingFace(const CPathRInfo& a, const CPathRInfo& b) {
    return a.face != kNoFace && a.face == b.face;
}

// The faces a leg arriving at node n must not count as its own obstacles.
CLegExclusions LegExclusions(const CPropagationPath& path, std::size_t n) {
    return {path[n].face, path[n].diffractorX, path[n].diffractorY, path[n - 1].face};
}

// The image path S → reflections → R for a sequence of faces, processed from the receiver's leg on.
void ProcessSequence(const CVector3D& s, const CVector3D& r, std::span<const FaceIndex> faces,
                     const CSearchScene& scene, std::vector<CPropagationPath>& out) {
    scene.Checkpoint();
    ++WorkCounters().sequences;
    CPathCopy held;
    CPropagationPath& path = *held;
    path.push_back(EndNode(s));
    for (const FaceIndex f : faces) {
        path.push_back(ReflectionNode(f, MirrorPoint(path.back().image, scene.frame(f).plane)));
    }
    path.push_back(EndNode(r));
    if (!ComputeReflectionPoints(path, scene)) return;
    ++WorkCounters().sequencesLegs;
    const std::size_t last = path.size() - 1;
    ProcessLeg(path, last, scene, out);
}

// Whether the sub-segment a–b meets the obstacle's plane on the obstacle (empty: not at all).
std::optional<bool> HitsObstacle(const CSearchScene& scene, FaceIndex f, const CVector3D& a,
                                 const CVector3D& b) {
    const std::optional<CFaceHit> hit = IntersectSegmentFace(scene.frame(f), a, b);
    if (!hit) return std::nullopt;
    return hit->inside;
}

bool PassesThrough(const CSearchScene& scene, FaceIndex f, const CVector3D& a, const CVector3D& b) {
    const std::optional<bool> hit = HitsObstacle(scene, f, a, b);
    return hit && *hit;
}

bool PassesBeside(const CSearchScene& scene, FaceIndex f, const CVector3D& a, const CVector3D& b) {
    const std::optional<bool> hit = HitsObstacle(scene, f, a, b);
    return hit && !*hit;
}

// Of the checks of LegDiffractionsHold on leg k, those of the segment from the leg's first crossed
// diffraction point on to node k: they do not depend on the node the leg starts from.
bool SecondObstacleHolds(const CPropagationPath& path, std::size_t k, const CSearchScene& scene) {
    const CPathRInfo& node = path[k];
    if (node.crossX != kPassesOver) return true;
    if (node.crossY == kPassesBeside) return PassesBeside(scene, node.diffractorY, node.pointX, node.point);
    if (node.crossY == kPassesOver) return PassesThrough(scene, node.diffractorY, node.pointX, node.point);
    return true;
}

// The recorded diffractions of the leg arriving at node k lie where the leg crosses the obstacles.
bool LegDiffractionsHold(const CPropagationPath& path, std::size_t k, const CSearchScene& scene) {
    const CPathRInfo& node = path[k];
    const CVector3D& from = path[k - 1].point;
    if (node.crossX == kNoDiffraction) return node.crossY == kNoDiffraction;
    if (node.crossX == kPassesOver && node.crossY == kNoDiffraction)
        return PassesThrough(scene, node.diffractorX, from, node.point);
    if (node.crossX == kPassesOver && node.crossY == kPassesBeside)
        return PassesThrough(scene, node.diffractorX, from, node.point) &&
               SecondObstacleHolds(path, k, scene);
    if (node.crossX == kPassesBeside && node.crossY == kPassesOver)
        return PassesBeside(scene, node.diffractorX, from, node.pointY) &&
               PassesThrough(scene, node.diffractorY, from, node.point);
    if (node.crossX == kPassesOver && node.crossY == kPassesOver)
        return PassesThrough(scene, node.diffractorX, from, node.pointY) &&
               SecondObstacleHolds(path, k, scene);
    return false;  // non-crossing diffractions are never kept from the search
}

// Distance of a reflection point from its face [m]: 0 on the face, else from the nearest side it lies
// beside, else from the nearest corner.
double DistanceFromFace(const CFaceFrame& frame, const CVector3D& p) {
    const CFaceCorners& c = frame.corners;
    if (PointOnFace(frame, p)) return 0.0;
    std::optional<double> best;
    for (int k = 0; k < kSideCount; ++k) {
        const CVector3D& a = SideStart(c, k);
        const CVector3D& b = SideEnd(c, k);
        if (PositionOnRay(a, b, ProjectPointOnLine(p, a, b)) != kWithinReach) continue;
        const double d = DistancePointLine(p, a, b);
        if (!best || d < *best) best = d;
    }
    if (best) return *best;
    double nearest = Distance(p, c[0]);
    for (int k = 1; k < kSideCount; ++k)
        nearest = std::min(nearest, Distance(p, c[k]));
    return nearest;
}

// The source is farther than 0.3 m from the first reflection point, unless the first leg passes over
// an obstacle.
bool FirstLegClear(const CPropagationPath& path) {
    const std::size_t last = path.size() - 1;
    return last < 2 || HasCrossedDiffraction(path[1]) ||
           Distance(path[0].point, path[1].point) > kMinReflectionClearance;
}

// Reflection node i lies farther than 0.3 m from the point the sound comes from, and the point it goes to
// lies farther than 0.3 m from its face's plane.
bool ReflectionNodeClear(const CPropagationPath& path, std::size_t i, const CSearchScene& scene) {
    const std::size_t last = path.size() - 1;
    if (!(Distance(IncomingPoint(path, i), path[i].point) > kMinReflectionClearance)) return false;
    // The last reflection may see the receiver close to its plane when nothing lies between them.
    if (i + 1 == last && !HasCrossedDiffraction(path[last])) return true;
    return DistancePointPlane(OutgoingPoint(path, i), scene.frame(path[i].face).plane) >
           kMinReflectionClearance;
}

// The reflection state of node i from where its point lies on its face; empty when the point lies
// farther than 1 m from the face.
std::optional<std::int32_t> ReflectionStateOnFace(const CPropagationPath& path, std::size_t i,
                                                  const CSearchScene& scene) {
    const double off = DistanceFromFace(scene.frame(path[i].face), path[i].point);
    if (off > kMaxReflectionPointOffFace) return std::nullopt;
    return off == 0.0 ? kOnFace : kNearFace;
}

bool OppositeSides(int a, int b) {
    return a * b < 0;
}

// The sound does not reach a diffraction point of the leg arriving at reflection node i from the other
// side of node i's face.
bool DiffractionsOnArrivalSide(const CPropagationPath& path, std::size_t i, const CSearchScene& scene) {
    const CPathRInfo& node = path[i];
    if (node.crossX == kNoDiffraction) return true;
    const CFaceFrame& f = scene.frame(node.face);
    // A previous reflection on the same face lies in its plane, whatever rounding says of its side.
    const int from =
        SameReflectingFace(path[i - 1], node) ? 0 : SideOfPlane(path[i - 1].point, f.corners[0], f.plane);
    if (OppositeSides(SideOfPlane(node.pointX, f.corners[0], f.plane), from)) return false;
    return node.crossY == kNoDiffraction ||
           !OppositeSides(SideOfPlane(node.pointY, f.corners[0], f.plane), from);
}

// The obstacles of leg k, which has no recorded diffraction; empty when the leg cannot be used (blocked
// without remedy, or passing over an obstacle that the search did not place there).
std::optional<CBlockingResult> FreeLegObstacles(const CPropagationPath& path, std::size_t k,
                                                const CSearchScene& scene) {
    const CBlockingResult b = scene.Blocking(path[k - 1].point, path[k].point, LegExclusions(path, k));
    if (b.rejected || (b.count >= 1 && b.crossX) || (b.count == 2 && b.crossY)) return std::nullopt;
    return b;
}

// The checks of ValidateAndEmit that concern only the nodes from m on and the legs after them (and the
// part of leg m's own check that starts at its first diffraction point), on a path whose leg m has just
// received a crossing diffraction (and whose images and reflection points have
// been recomputed). Nothing the search does to the legs before leg m changes what these checks see:
// - the later steps only record diffractions on legs before m and re-aim reflection points of nodes
//   before m-1;
// - the image of node m is the mirror image of its leg's crossed diffraction point, and each later
//   image that of its own leg's crossed point or of the image before it, so the images from node m on
//   depend on legs m, m+1, … only, and every recomputation gives them again to the bit;
// - the reflection points from node m on depend on those images and on the diffraction points and
//   points of the nodes after them, and are recomputed from the last node down, so they too come out
//   the same every time (a node among them without reflection point stays without one).
// So when one of these checks fails now, it fails in the validation of every path completed from this
// one, and none of them is emitted.
bool TailHolds(const CPropagationPath& path, std::size_t m, const CSearchScene& scene) {
    const std::size_t last = path.size() - 1;
    for (std::size_t i = m; i < last; ++i) {
        if (path[i].reflectState == kNoReflectionPoint) return false;
    }
    for (std::size_t k = last; k > m; --k) {
        if (!LegDiffractionsHold(path, k, scene)) return false;
    }
    if (!SecondObstacleHolds(path, m, scene)) return false;
    for (std::size_t i = m; i < last; ++i) {
        if (!ReflectionNodeClear(path, i, scene) || !ReflectionStateOnFace(path, i, scene)) return false;
        if (i > m && !DiffractionsOnArrivalSide(path, i, scene)) return false;
    }
    for (std::size_t k = last; k > m; --k) {
        if (path[k].crossX == kNoDiffraction && !FreeLegObstacles(path, k, scene)) return false;
    }
    return true;
}

// Step 1 of the validation: the recorded diffractions of every leg lie where the leg crosses the obstacles.
bool LegsHold(const CPropagationPath& path, const CSearchScene& scene) {
    for (std::size_t k = path.size() - 1; k >= 1; --k) {
        if (!LegDiffractionsHold(path, k, scene)) return false;
    }
    return true;
}

// The validation after its recomputation of the images and reflection points from node 1 on, which
// found `quality`: clearances, reflection points on their faces, sides, free legs; appends the path.
void EmitIfValid(CPropagationPath& path, std::optional<ReflectionQuality> quality, const CSearchScene& scene,
                 std::vector<CPropagationPath>& out) {
    const std::size_t last = path.size() - 1;
    if (!quality || *quality == kSomePointMissing) return;
    if (!FirstLegClear(path)) return;
    for (std::size_t i = 1; i < last; ++i) {
        if (!ReflectionNodeClear(path, i, scene)) return;
    }
    for (std::size_t i = 1; i < last; ++i) {
        const std::optional<std::int32_t> state = ReflectionStateOnFace(path, i, scene);
        if (!state) return;
        path[i].reflectState = *state;
        if (!DiffractionsOnArrivalSide(path, i, scene)) return;
    }

    // Legs without recorded diffraction must be free, apart from obstacles they pass beside.
    for (std::size_t k = last; k >= 1; --k) {
        if (path[k].crossX != kNoDiffraction) continue;
        const std::optional<CBlockingResult> b = FreeLegObstacles(path, k, scene);
        if (!b) return;
        if (b->count == 0) continue;
        if (!SetLegDiffraction(path, k, b->x, b->pointX, kPassesBeside, b->y, b->pointY, kPassesBeside,
                               scene))
            return;
    }
    ++WorkCounters().pathsEmitted;
    out.push_back(path);
}

// Places obstacles on leg m of a copy of the path and continues with the legs before it.
void TryPlacement(const CPropagationPath& path, std::size_t m, FaceIndex x, const CVector3D& pointX,
                  std::int32_t crossX, FaceIndex y, const CVector3D& pointY, std::int32_t crossY,
                  const CSearchScene& scene, std::vector<CPropagationPath>& out) {
    ++WorkCounters().placements;
    // The search goes on with this copy itself: nothing here reads it afterwards.
    CPathCopy held(path);
    CPropagationPath& copy = *held;
    if (!SetLegDiffraction(copy, m, x, pointX, crossX, y, pointY, crossY, scene)) return;
    RecomputeImages(copy, m, scene);
    const std::optional<ReflectionQuality> quality = ComputeReflectionPoints(copy, scene);
    if (!quality) return;
    if (m == 1) {
        // The path is complete, and its images and reflection points are already those that the
        // validation computes again from node 1 on (the computation gives the same points the second
        // time): it is validated without that step.
        ++WorkCounters().validations;
        if (LegsHold(copy, scene)) EmitIfValid(copy, quality, scene, out);
        return;
    }
    if (!TailHolds(copy, m, scene)) return;
    ProcessLeg(copy, m - 1, scene, out);
}

// The travelled path with the leg's first obstacle left out: the previous reflection is aimed at it.
void TryReaimed(const CPropagationPath& path, std::size_t n, const CVector3D& aim, const CSearchScene& scene,
                std::vector<CPropagationPath>& out) {
    const CPathRInfo& prev = path[n - 1];
    if (prev.reflectState == kNoReflectionPoint) return;
    if (prev.face != kNoFace && prev.face == path[n].face) return;
    CPathCopy held(path);
    CPropagationPath& copy = *held;
    if (prev.face == kNoFace || ReflectionPointOfNode(copy, n - 1, aim, scene))
        ProcessLeg(copy, n - 1, scene, out);
}

}  // namespace

std::vector<CPropagationPath> FindPropagationPaths(const CVector3D& s, const CVector3D& r,
                                                   std::span<const CRectObstacle> faces, int maxReflections,
                                                   const std::function<void()>& checkpoint) {
    const CSearchScene scene(faces, checkpoint);
    return FindPropagationPaths(s, r, scene, maxReflections);
}

std::vector<CPropagationPath> FindPropagationPaths(const CVector3D& s, const CVector3D& r,
                                                   const CSearchScene& scene, int maxReflections) {
    const std::span<const CRectObstacle> faces = scene.faces();
    ++WorkCounters().pairs;
    WorkCounters().sceneFaces += faces.size();
    std::vector<CPropagationPath> out;
    ProcessSequence(s, r, {}, scene, out);

    std::vector<FaceIndex> reflectors;
    for (FaceIndex f = 0; f < scene.size(); ++f) {
        if (CanReflect(scene.face(f))) reflectors.push_back(f);
    }
    if (reflectors.empty()) return out;
    const int longest = std::min<long long>(maxReflections, static_cast<long long>(faces.size()));
    std::vector<std::size_t> digits;
    std::vector<FaceIndex> sequence;
    for (int k = 1; k <= longest; ++k) {
        // Every sequence of k reflectors, the first varying slowest.
        digits.assign(k, 0);
        sequence.assign(k, reflectors[0]);
        while (true) {
            ProcessSequence(s, r, sequence, scene, out);
            int d = k - 1;
            while (d >= 0 && digits[d] + 1 == reflectors.size()) {
                digits[d] = 0;
                sequence[d] = reflectors[0];
                --d;
            }
            if (d < 0) break;
            sequence[d] = reflectors[++digits[d]];
        }
    }
    return out;
}

void ProcessLeg(CPropagationPath& path, std::size_t n, const CSearchScene& scene,
                std::vector<CPropagationPath>& out) {
    scene.Checkpoint();
    if (n == 0) {
        ValidateAndEmit(path, scene, out);
        return;
    }
    ++WorkCounters().legsProcessed;
    const CPathRInfo& node = path[n];
    if (node.crossX != kNoDiffraction) {
        if (ComputeReflectionPoints(path, scene)) ProcessLeg(path, n - 1, scene, out);
        return;
    }
    if (node.reflectState == kNoReflectionPoint) return;

    const CPathRInfo& prev = path[n - 1];
    const CVector3D end = node.point;
    CVector3D start = prev.image;
    if (prev.face != kNoFace) {
        start = ProjectPointOnPlane(prev.image, scene.frame(prev.face).plane);
    }
    const CLegExclusions excluded = LegExclusions(path, n);
    const CBlockingResult b = scene.Blocking(start, end, excluded);
    if (b.rejected) return;

    if (b.count == 0) {
        if (prev.reflectState != kNoReflectionPoint && !SameReflectingFace(prev, node))
            ProcessLeg(path, n - 1, scene, out);
        return;
    }

    TryReaimed(path, n, b.pointX, scene, out);
    if (b.count == 1) {
        // The obstacle may also lie on an earlier leg of the unfolded image path.
        for (std::size_t m = n; m >= 1; --m)
            TryPlacement(path, m, b.x, b.pointX, kPassesOver, kNoFace, {}, kNoDiffraction, scene, out);
        return;
    }

    // Both obstacles on one leg, with the crossings the search may have misjudged.
    constexpr std::array<std::array<std::int32_t, 2>, 3> kJointCrossings = {
        {{kPassesOver, kPassesOver}, {kPassesOver, kPassesBeside}, {kPassesBeside, kPassesOver}}};
    for (const auto& [crossX, crossY] : kJointCrossings) {
        for (std::size_t m = n; m >= 1; --m)
            TryPlacement(path, m, b.x, b.pointX, crossX, b.y, b.pointY, crossY, scene, out);
    }
    // Each obstacle alone on its own leg, the second one on a later leg than the first.
    const std::optional<CDiffractionPoint> qX = MinPathDifferencePoint(CEdgeFace(scene, b.x), start, end);
    const std::optional<CDiffractionPoint> qY = MinPathDifferencePoint(CEdgeFace(scene, b.y), start, end);
    if (qX && qY) {
        CPathCopy held;
        CPropagationPath& copy = *held;
        for (std::size_t mY = n; mY >= 2; --mY) {
            for (std::size_t mX = mY - 1; mX >= 1; --mX) {
                held.Assign(path);
                if (!SetLegDiffraction(copy, mY, b.y, qY->point, kPassesOver, kNoFace, {}, kNoDiffraction,
                                       scene))
                    continue;
                TryPlacement(copy, mX, b.x, qX->point, kPassesOver, kNoFace, {}, kNoDiffraction, scene, out);
            }
        }
    }
    // The first obstacle alone on an earlier leg.
    if (qX && node.reflectState != kNoReflectionPoint) {
        for (std::size_t m = n - 1; m >= 1; --m) {
            if (SameReflectingFace(path[m], path[m + 1])) break;
            TryPlacement(path, m, b.x, qX->point, kPassesOver, kNoFace, {}, kNoDiffraction, scene, out);
        }
    }
}

void ValidateAndEmit(CPropagationPath& path, const CSearchScene& scene, std::vector<CPropagationPath>& out) {
    ++WorkCounters().validations;
    if (!LegsHold(path, scene)) return;
    RecomputeImages(path, 1, scene);
    const std::optional<ReflectionQuality> quality = ComputeReflectionPoints(path, scene);
    EmitIfValid(path, quality, scene, out);
}

}  // namespace kelmora
