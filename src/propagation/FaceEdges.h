#pragma once
// The sides of a scene face as diffracting edges: where a segment meets the face, which sides lie
// between the face and a point of its plane, and the half-plane stand-ins used by the edge searches.
//
// Side k (0 = A … 3 = D) runs from corner k to corner k+1 of RectCorners (corners numbered from 0
// here), the side after D being A.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "geometry/Plane.h"
#include "geometry/RectGeometry.h"
#include "geometry/VectorOps.h"
#include "model/RectObstacle.h"
#include "propagation/FaceIndex.h"

namespace kelmora {

inline constexpr int kSideCount = 4;

// Corners of the face's rectangle.
inline CFaceCorners FaceCorners(const CRectObstacle& face) {
    return RectCorners(face.rect);
}

inline int NextSide(int side) {
    return (side + 1) % kSideCount;
}
inline int OppositeSide(int side) {
    return (side + 2) % kSideCount;
}
inline int PreviousSide(int side) {
    return (side + 3) % kSideCount;
}
inline const CVector3D& SideStart(const CFaceCorners& corners, int side) {
    return corners[side];
}
inline const CVector3D& SideEnd(const CFaceCorners& corners, int side) {
    return corners[NextSide(side)];
}

// Number of sides whose `diffracts` flag is set.
int DiffractingSideCount(const CRectObstacle& face);

// Where a segment meets a face's plane.
struct CFaceHit {
    CVector3D point;
    bool inside = false;  // the point lies on the face (within 0.001 m)
};

// The corners of a face (or of a half-plane stand-in) with the plane through its corners 1..3, kept for
// repeated segment tests.
struct CFaceFrame {
    CFaceCorners corners;
    CPlane plane;
    CVector3D low;   // the corners' smallest x, y, z
    CVector3D high;  // the corners' largest x, y, z
    // For the frames tested again and again: the unit normals of the sides within the plane, pointing into
    // the face, with inward·p − offset the signed distance of a point p of the plane from a side's line.
    // Set only when the corners form a parallelogram of some width (as a rectangle's do).
    struct CSideLines {
        std::array<CVector3D, 4> inward;
        std::array<double, 4> offset;
    };
    std::optional<CSideLines> sideLines;
};
// `withSideLines`: the frame will be tested often enough to pay for its side lines.
CFaceFrame MakeFaceFrame(const CFaceCorners& corners, bool withSideLines = false);

// PointInFace(corners, p, 0.001) of the frame's face, answered at once for a frame with side lines when
// the point lies clearly inside the face or clearly away from it.
bool PointOnFace(const CFaceFrame& frame, const CVector3D& p);

// The point where the segment a–b meets the face's plane and whether it lies on the face; empty when
// the segment does not meet the plane (both ends on one side, or the segment lying in the plane).
std::optional<CFaceHit> IntersectSegmentFace(const CFaceFrame& frame, const CVector3D& a, const CVector3D& b);
std::optional<CFaceHit> IntersectSegmentFace(const CFaceCorners& corners, const CVector3D& a,
                                             const CVector3D& b);
std::optional<CFaceHit> IntersectSegmentFace(const CRectObstacle& face, const CVector3D& a,
                                             const CVector3D& b);

// The sides that lie between the face and a point q of its plane outside it: the sides whose outer
// half-plane (within the face's plane) contains q. One side when q lies beyond a single side, two
// adjacent sides when q lies in a corner region. Indexed by side.
using CSideFlags = std::array<bool, kSideCount>;
CSideFlags EdgesFacing(const CFaceCorners& corners, const CVector3D& q);

// Corners of the half-plane bounded by the line of `side`: the side lengthened by 5000 m beyond both
// of its ends and the opposite side moved 5000 m farther away, within the face's plane. The sides keep
// their numbers.
CFaceCorners WidenForEdge(const CFaceCorners& corners, int side);

// The diffraction point of a segment on one side of a face (EdgeDiffractionPoint, Diffraction.h).
struct CEdgePoint {
    CVector3D edge;         // the point of the side's line closest to the line S–R
    CVector3D onPlane;      // where S–R meets the face's plane
    bool crossing = false;  // S–R passes through the half-plane of the face bounded by the side
};

// The frame of a face and, made on first use, the frames of the half-planes bounded by its sides and the
// diffraction points already found on them. Being filled on use, it belongs to one search on one thread.
class CEdgeFrames {
public:
    // `withSideLines`: the frames of a scene's face, which its search tests again and again.
    explicit CEdgeFrames(const CFaceCorners& corners, bool withSideLines = false)
        : frame_(MakeFaceFrame(corners, withSideLines)), withSideLines_(withSideLines) {}

    const CFaceFrame& frame() const { return frame_; }
    // The frame of WidenForEdge(corners, side).
    const CFaceFrame& halfPlane(int side) const;
    // The side of that half-plane that bounds it, as a directed line.
    const CDirectedLine& halfPlaneEdge(int side) const;

    // The diffraction point of the segment s–r on `side`, found by `find` unless the side was asked
    // about the same segment (to the bit) among the last few segments.
    template <typename Find>
    std::optional<CEdgePoint> EdgePoint(int side, const CVector3D& s, const CVector3D& r, Find find) const {
        const CSegmentBits key{Bits(s.x), Bits(s.y), Bits(s.z), Bits(r.x), Bits(r.y), Bits(r.z)};
        CRecentPoints& recent = recentPoints_[static_cast<std::size_t>(side)];
        for (std::size_t i = 0; i < recent.count; ++i) {
            if (recent.segments[i] == key) return recent.points[i];
        }
        const std::optional<CEdgePoint> point = find();
        recent.segments[recent.next] = key;
        recent.points[recent.next] = point;
        recent.next = (recent.next + 1) % kRecentSegments;
        recent.count = std::min(recent.count + 1, kRecentSegments);
        return point;
    }

private:
    // The repeated questions come close together: the blocking search ranks its obstacles and then
    // finds their points on the same segment, the double diffraction combines each side with every side
    // of the other face.
    static constexpr std::size_t kRecentSegments = 4;
    using CSegmentBits = std::array<std::uint64_t, 6>;  // of s and r
    struct CRecentPoints {
        std::array<CSegmentBits, kRecentSegments> segments{};
        std::array<std::optional<CEdgePoint>, kRecentSegments> points{};
        std::size_t count = 0;
        std::size_t next = 0;
    };
    static std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

    CFaceFrame frame_;
    bool withSideLines_ = false;
    mutable std::array<std::optional<CFaceFrame>, kSideCount> halfPlanes_;
    mutable std::array<CDirectedLine, kSideCount> halfPlaneEdges_;
    mutable std::array<CRecentPoints, kSideCount> recentPoints_;
};

// The faces of a scene with their frames, for the many segment tests of a search. It refers to the faces,
// which must outlive it. The frames of a face (with its half-planes and last diffraction points) are
// kept by the thread from scene to scene: the buildings and walls of a site come back in the scene of
// nearly every pair.
class CFaceFrames {
public:
    explicit CFaceFrames(std::span<const CRectObstacle> faces);
    ~CFaceFrames();
    CFaceFrames(const CFaceFrames&) = delete;
    CFaceFrames& operator=(const CFaceFrames&) = delete;

    std::span<const CRectObstacle> faces() const { return faces_; }
    FaceIndex size() const { return static_cast<FaceIndex>(faces_.size()); }
    const CRectObstacle& face(FaceIndex f) const { return faces_[f]; }
    const CEdgeFrames& edgeFrames(FaceIndex f) const { return *frames_[f]; }
    const CFaceFrame& frame(FaceIndex f) const { return frames_[f]->frame(); }
    const CFaceCorners& corners(FaceIndex f) const { return frames_[f]->frame().corners; }
    // Whether the left side (or the right side) of face f absorbs everything: absorption 1 in every band.
    bool AbsorbsAll(FaceIndex f, bool rightSide) const { return (absorbsAll_[f] >> (rightSide ? 1 : 0)) & 1; }

private:
    std::span<const CRectObstacle> faces_;
    std::vector<const CEdgeFrames*> frames_;  // kept by the thread (FaceEdges.cpp) or in own_
    std::vector<std::unique_ptr<CEdgeFrames>> own_;
    std::vector<std::uint8_t> absorbsAll_;  // bit 0 the left side, bit 1 the right side
};

// A face prepared for the edge searches: the face with its edge frames, its own or those kept for a scene
// face. It refers to the face (and the scene), which must outlive it.
class CEdgeFace {
public:
    explicit CEdgeFace(const CRectObstacle& face) : face_(&face), own_(FaceCorners(face)), frames_(&*own_) {}
    CEdgeFace(const CFaceFrames& scene, FaceIndex f) : face_(&scene.face(f)), frames_(&scene.edgeFrames(f)) {}
    CEdgeFace(const CEdgeFace&) = delete;
    CEdgeFace& operator=(const CEdgeFace&) = delete;

    const CRectObstacle& face() const { return *face_; }
    const CFaceFrame& frame() const { return frames_->frame(); }
    const CFaceFrame& halfPlane(int side) const { return frames_->halfPlane(side); }
    const CDirectedLine& halfPlaneEdge(int side) const { return frames_->halfPlaneEdge(side); }
    const CEdgeFrames& frames() const { return *frames_; }

private:
    const CRectObstacle* face_;
    std::optional<CEdgeFrames> own_;
    const CEdgeFrames* frames_;
};

// The half-plane on the far side of `side`: the mirror image of the face across that side, widened for
// its side A, which is the old side. Only side A diffracts; every other attribute is the face's.
CRectObstacle FaceBeyondEdge(const CRectObstacle& face, int side);

}  // namespace kelmora
