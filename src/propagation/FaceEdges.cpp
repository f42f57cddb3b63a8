#include "propagation/FaceEdges.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <unordered_map>

#include "geometry/VectorOps.h"
#include "propagation/PairMemo.h"
#include "propagation/WorkCounters.h"

namespace kelmora {
namespace {

// How far [m] a side is lengthened, and the opposite side moved, to stand for a half-plane.
constexpr double kHalfPlaneReach = 5000.0;
// A point of the plane this close [m] to a side belongs to the face.
constexpr double kOnFace = 0.001;

}  // namespace

int DiffractingSideCount(const CRectObstacle& face) {
    int n = 0;
    for (const std::int32_t d : face.diffracts)
        n += d != 0;
    return n;
}

namespace {

// The side lines of a parallelogram's frame: the corners must close up to 1e-9 m, lie on the inner side
// of every side's line and leave the centre more than 1 mm inside each.
std::optional<CFaceFrame::CSideLines> SideLines(const CFaceCorners& corners, const CPlane& plane) {
    const CVector3D n{plane.nx, plane.ny, plane.nz};
    if (!(Dot(n, n) > 0.5) || !(Length(corners[0] + corners[2] - corners[1] - corners[3]) < 1e-9))
        return std::nullopt;
    const CVector3D centre = Centroid4(corners[0], corners[1], corners[2], corners[3]);
    CFaceFrame::CSideLines lines;
    for (int k = 0; k < kSideCount; ++k) {
        CVector3D inward = Normalize(Cross(n, SideEnd(corners, k) - SideStart(corners, k)));
        if (Dot(centre - SideStart(corners, k), inward) < 0.0) inward = -1.0 * inward;
        lines.inward[k] = inward;
        lines.offset[k] = Dot(inward, SideStart(corners, k));
        for (const CVector3D& c : corners) {
            if (!(Dot(inward, c) - lines.offset[k] > -1e-9)) return std::nullopt;
        }
        if (!(Dot(inward, centre) - lines.offset[k] > 1e-3)) return std::nullopt;
    }
    return lines;
}

}  // namespace

CFaceFrame MakeFaceFrame(const CFaceCorners& corners, bool withSideLines) {
    CFaceFrame frame;
    frame.corners = corners;
    frame.plane = PlaneFromPoints(corners[0], corners[1], corners[2]);
    frame.low = frame.high = corners[0];
    for (const CVector3D& c : corners) {
        frame.low = {std::min(frame.low.x, c.x), std::min(frame.low.y, c.y), std::min(frame.low.z, c.z)};
        frame.high = {std::max(frame.high.x, c.x), std::max(frame.high.y, c.y), std::max(frame.high.z, c.z)};
    }
    if (withSideLines) frame.sideLines = SideLines(corners, frame.plane);
    return frame;
}

namespace {

// A point of the plane farther than this [m] inside every side's line lies inside the face, and one
// farther than this beyond the 0.001 m tolerance outside a side's line lies off it, far beyond the
// rounding of PointInFace's triangle and distance tests.
constexpr double kClearMargin = 1e-6;
// A point closer than this [m] to a side lies within the tolerance of it, far beyond rounding.
constexpr double kClearlyNearSide = kOnFace - kClearMargin;

}  // namespace

bool PointOnFace(const CFaceFrame& frame, const CVector3D& p) {
    if (frame.sideLines) {
        // As PointInFace: the foot of p on the plane, and p no farther than the tolerance from it. Within
        // a parallelogram, the four triangles of PointInFace cover every point away from the sides; beyond
        // a side's line by more than the tolerance, a point is farther than that from every side.
        const CVector3D q = ProjectPointOnPlane(p, frame.plane);
        const double offPlane = Distance(q, p);
        if (offPlane > kOnFace) return false;
        std::array<double, kSideCount> d{};
        bool inside = true;
        for (int k = 0; k < kSideCount; ++k) {
            d[k] = Dot(frame.sideLines->inward[k], q) - frame.sideLines->offset[k];
            if (d[k] < -(kOnFace + kClearMargin)) return false;
            inside = inside && d[k] > kClearMargin;
        }
        if (inside) return true;
        // A point at the rim, such as a diffraction point on a side: when its foot on a side's line lies
        // well between the side's ends (clear of the neighbouring sides' lines by more than the point's
        // distance from that line), the side itself lies within the tolerance of p, which PointInFace
        // accepts whatever its triangles say. Decided here only with a margin far beyond rounding.
        for (int k = 0; k < kSideCount; ++k) {
            if (d[NextSide(k)] > kOnFace + kClearMargin && d[PreviousSide(k)] > kOnFace + kClearMargin &&
                d[k] * d[k] + offPlane * offPlane < kClearlyNearSide * kClearlyNearSide)
                return true;
        }
    }
    return PointInFace(frame.corners, frame.plane, p, kOnFace);
}

namespace {
// PointInFace accepts only points within 0.001 m of the face; a point this far [m] outside the box of the
// corners is not on the face, and the test can be spared.
constexpr double kClearlyOff = 0.01;

bool OutsideBox(const CFaceFrame& frame, const CVector3D& p) {
    return p.x < frame.low.x - kClearlyOff || p.y < frame.low.y - kClearlyOff ||
           p.z < frame.low.z - kClearlyOff || p.x > frame.high.x + kClearlyOff ||
           p.y > frame.high.y + kClearlyOff || p.z > frame.high.z + kClearlyOff;
}
}  // namespace

std::optional<CFaceHit> IntersectSegmentFace(const CFaceFrame& frame, const CVector3D& a,
                                             const CVector3D& b) {
    ++WorkCounters().faceTests;
    const std::optional<CVector3D> point = IntersectSegmentPlane(a, b, frame.plane);
    if (!point) return std::nullopt;
    if (OutsideBox(frame, *point)) return CFaceHit{*point, false};
    return CFaceHit{*point, PointOnFace(frame, *point)};
}

std::optional<CFaceHit> IntersectSegmentFace(const CFaceCorners& corners, const CVector3D& a,
                                             const CVector3D& b) {
    return IntersectSegmentFace(MakeFaceFrame(corners), a, b);
}

std::optional<CFaceHit> IntersectSegmentFace(const CRectObstacle& face, const CVector3D& a,
                                             const CVector3D& b) {
    return IntersectSegmentFace(FaceCorners(face), a, b);
}

CSideFlags EdgesFacing(const CFaceCorners& corners, const CVector3D& q) {
    CSideFlags facing{};
    for (int k = 0; k < kSideCount; ++k) {
        // The direction from side k across the face, towards its opposite side.
        const CVector3D inward = corners[OppositeSide(k)] - corners[NextSide(k)];
        facing[k] = Dot(q - SideStart(corners, k), inward) < 0.0;
    }
    return facing;
}

CFaceCorners WidenForEdge(const CFaceCorners& corners, int side) {
    const CVector3D along = kHalfPlaneReach * Normalize(SideEnd(corners, side) - SideStart(corners, side));
    const CVector3D away = kHalfPlaneReach * Normalize(corners[OppositeSide(side)] - corners[NextSide(side)]);
    CFaceCorners widened;
    widened[side] = corners[side] - along;
    widened[NextSide(side)] = corners[NextSide(side)] + along;
    widened[OppositeSide(side)] = corners[OppositeSide(side)] + along + away;
    widened[PreviousSide(side)] = corners[PreviousSide(side)] - along + away;
    return widened;
}

const CFaceFrame& CEdgeFrames::halfPlane(int side) const {
    std::optional<CFaceFrame>& frame = halfPlanes_[side];
    if (!frame) {
        frame = MakeFaceFrame(WidenForEdge(frame_.corners, side), withSideLines_);
        halfPlaneEdges_[side] = DirectedLine(SideStart(frame->corners, side), SideEnd(frame->corners, side));
    }
    return *frame;
}

const CDirectedLine& CEdgeFrames::halfPlaneEdge(int side) const {
    halfPlane(side);
    return halfPlaneEdges_[side];
}

namespace {

// The frames of the building and wall faces of a thread's scenes, by the face's rectangle and edge offset
// (to the bit): the offset is part of the diffraction points a frame keeps. Emptied when it has grown
// large (a site of many faces), at a moment no scene of the thread refers to it.
class CThreadFrames {
public:
    const CEdgeFrames* Frames(const CRectObstacle& face) {
        CKey key;
        std::size_t i = 0;
        for (const CVector3D* v : {&face.rect.p1, &face.rect.p2, &face.rect.p3, &face.edgeOffset}) {
            for (const double c : {v->x, v->y, v->z})
                key[i++] = std::bit_cast<std::uint64_t>(c);
        }
        std::unique_ptr<CEdgeFrames>& frames = frames_[key];
        if (!frames) frames = std::make_unique<CEdgeFrames>(FaceCorners(face), true);
        return frames.get();
    }
    // Before a scene takes its frames; empties the store when it may.
    void SceneMaking() {
        if (scenes_ == 0 && frames_.size() > kMostFaces) frames_.clear();
    }
    // Once a scene holds its frames, until it is gone.
    void SceneMade() { ++scenes_; }
    void SceneGone() { --scenes_; }

private:
    using CKey = std::array<std::uint64_t, 12>;
    struct CKeyHash {
        std::size_t operator()(const CKey& key) const {
            CWordHash h;
            for (const std::uint64_t word : key)
                h.Add(word);
            return h.Value();
        }
    };

    static constexpr std::size_t kMostFaces = 1024;
    std::unordered_map<CKey, std::unique_ptr<CEdgeFrames>, CKeyHash> frames_;
    int scenes_ = 0;  // scenes of the thread alive
};

CThreadFrames& ThreadFrames() {
    thread_local CThreadFrames frames;
    return frames;
}

}  // namespace

CFaceFrames::CFaceFrames(std::span<const CRectObstacle> faces) : faces_(faces) {
    CThreadFrames& kept = ThreadFrames();
    kept.SceneMaking();
    frames_.reserve(faces.size());
    absorbsAll_.reserve(faces.size());
    for (const CRectObstacle& face : faces) {
        // The ground faces along a pair's path come new with every pair: they keep their frames here.
        if (face.wedgeType == kGroundFace) {
            own_.push_back(std::make_unique<CEdgeFrames>(FaceCorners(face), true));
            frames_.push_back(own_.back().get());
        } else {
            frames_.push_back(kept.Frames(face));
        }
        absorbsAll_.push_back(static_cast<std::uint8_t>((face.absorptionLeft.allEqual(1.0) ? 1 : 0) |
                                                        (face.absorptionRight.allEqual(1.0) ? 2 : 0)));
    }
    kept.SceneMade();  // last: a scene whose making failed was never counted
}

CFaceFrames::~CFaceFrames() {
    ThreadFrames().SceneGone();
}

CRectObstacle FaceBeyondEdge(const CRectObstacle& face, int side) {
    const CFaceCorners c = FaceCorners(face);
    // The face's extent across the side, laid out on the other side of it.
    const CVector3D across = c[OppositeSide(side)] - c[NextSide(side)];
    const CFaceCorners mirrored{SideStart(c, side), SideEnd(c, side), SideEnd(c, side) - across,
                                SideStart(c, side) - across};
    const CFaceCorners widened = WidenForEdge(mirrored, 0);
    CRectObstacle beyond = face;
    beyond.rect = {widened[0], widened[1], widened[2]};
    beyond.diffracts = {1, 0, 0, 0};
    return beyond;
}

}  // namespace kelmora
