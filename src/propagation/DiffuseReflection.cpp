#include "propagation/DiffuseReflection.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "geometry/Plane.h"
#include "geometry/RectGeometry.h"
#include "geometry/VectorOps.h"
#include "propagation/BlockingSearch.h"
#include "propagation/DiffractionCorrection.h"
#include "propagation/ReflectionCorrection.h"

namespace kelmora {
namespace {

// Smallest cell [m], share of the source's distance from the face per cell, and the reach [m] beyond
// that distance within which the face is summed.
constexpr double kMinCellSize = 1.0;
constexpr double kCellsPerSourceDistance = 4.0;
constexpr double kClipReach = 15.0;
// 10·log10 of the cosine-law radiation of a cell (exactly 16 dB).
constexpr double kDiffuseRadiation = 16.0;

// The part of the side a → b that lies within the stretch between the feet of s and r on its line,
// lengthened by margin at both ends; kept in the side's own direction.
std::optional<std::pair<CVector3D, CVector3D>> ClipSide(const CVector3D& a, const CVector3D& b, double margin,
                                                        const CVector3D& s, const CVector3D& r) {
    const CVector3D footS = ProjectPointOnLine(s, a, b);
    const CVector3D footR = ProjectPointOnLine(r, a, b);
    const CVector3D u = footS == footR ? Normalize(b - a) : Normalize(footR - footS);
    const CVector3D from = footS - margin * u;
    const CVector3D to = footR + margin * u;
    const RayPosition fromAt = PositionOnRay(a, b, from);
    const RayPosition toAt = PositionOnRay(a, b, to);
    if (fromAt == kWithinReach && toAt == kWithinReach) {
        if (Distance(a, from) <= Distance(a, to)) return std::pair{from, to};
        return std::pair{to, from};
    }
    if (fromAt == kWithinReach || toAt == kWithinReach) {
        const CVector3D& inside = fromAt == kWithinReach ? from : to;
        const RayPosition other = fromAt == kWithinReach ? toAt : fromAt;
        if (other == kBehindOrigin) return std::pair{a, inside};
        return std::pair{inside, b};
    }
    if (fromAt != toAt) return std::pair{a, b};  // the stretch covers the whole side
    return std::nullopt;
}

// Value of an absorption spectrum in band i of the representation `kind`.
double BandValue(const CBand& spectrum, int kind, int i) {
    if (spectrum.kind == kind) return spectrum.value(i);
    return spectrum.levelAt(bandFrequency(kind, i));
}

// The diffraction correction of one leg of a cell; empty when the leg is blocked or its correction
// cannot be formed.
std::optional<CBand> LegCorrection(const CBlockingResult& b, const CVector3D& from, const CVector3D& to,
                                   std::span<const CRectObstacle> scene, int kind) {
    if (b.rejected) return std::nullopt;
    if (b.count == 1) return SingleDiffractionCorrection(scene[b.x], from, to, kind);
    if (b.count == 2) return DoubleDiffractionCorrection(scene[b.x], from, to, scene[b.y], kind);
    CBand free;
    free.kind = kind;
    free.fill(0.0);
    return free;
}

}  // namespace

bool ClipFaceToPath(CMyRect& rect, double margin, const CVector3D& s, const CVector3D& r) {
    const CFaceCorners c = RectCorners(rect);
    const auto sideA = ClipSide(c[0], c[1], margin, s, r);
    const auto sideB = ClipSide(c[1], c[2], margin, s, r);
    if (!sideA || !sideB) return false;
    const auto& [a1, a2] = *sideA;
    const auto& [b1, b2] = *sideB;
    const CLinesClosestPoints corner = ClosestPointsOfLines(a1, a2, b1, b2);
    if (corner.relation == kLinesParallel) return false;
    // The rectangle spanned by the two clipped stretches.
    const CVector3D shift = b1 - corner.onB;
    rect = {a1 + shift, a2 + shift, a2 + (b2 - corner.onB)};
    return true;
}

CFaceGrid SubdivideFace(const CMyRect& rect, double cellSize) {
    const CFaceCorners c = RectCorners(rect);
    const double lengthA = Distance(c[0], c[1]);
    const double lengthB = Distance(c[1], c[2]);
    CFaceGrid grid;
    grid.countA = static_cast<int>(std::ceil(lengthA / cellSize));
    grid.countB = static_cast<int>(std::ceil(lengthB / cellSize));
    if (grid.countA <= 0 || grid.countB <= 0) return grid;
    const double cellA = lengthA / grid.countA;
    const double cellB = lengthB / grid.countB;
    grid.cellArea = cellA * cellB;
    const CVector3D stepA = cellA * Normalize(c[1] - c[0]);
    const CVector3D stepB = cellB * Normalize(c[2] - c[1]);
    grid.centres.reserve(static_cast<std::size_t>(grid.countA) * grid.countB);
    for (int j = 0; j < grid.countB; ++j) {
        for (int i = 0; i < grid.countA; ++i)
            grid.centres.push_back(c[0] + (i + 0.5) * stepA + (j + 0.5) * stepB);
    }
    return grid;
}

std::optional<CBand> DiffuseReflectionCorrection(const CRectObstacle& face, double q, const CVector3D& s,
                                                 const CVector3D& r, std::span<const CRectObstacle> scene,
                                                 std::span<const FaceIndex> ignored, int kind) {
    const CBand& absorption = AbsorptionTowards(face, r).facing;
    const CFaceCorners corners = RectCorners(face.rect);
    const double distance = DistancePointPlane(s, corners[0], corners[1], corners[2]);
    CMyRect near = face.rect;
    if (!ClipFaceToPath(near, distance + kClipReach, s, r)) return std::nullopt;
    const CFaceGrid grid = SubdivideFace(near, std::max(kMinCellSize, distance / kCellsPerSourceDistance));
    // The face normal on the side of S.
    const CVector3D normal = Normalize(s - MirrorPoint(s, corners[0], corners[1], corners[2]));
    if (normal == CVector3D{}) return std::nullopt;

    const CFaceFrames frames(scene);  // the legs of every cell are tested against the same faces
    CBand correction;
    correction.kind = kind;
    const int bands = correction.bandCount();
    std::array<double, kThirdOctaveBands> energy{};
    for (const CVector3D& p : grid.centres) {
        const CBlockingResult outBlock = FindBlockingFaces(p, r, frames, ignored);
        const std::optional<CBand> out = LegCorrection(outBlock, p, r, scene, kind);
        if (!out) continue;
        const CBlockingResult inBlock = FindBlockingFaces(s, p, frames, ignored);
        const std::optional<CBand> in = LegCorrection(inBlock, s, p, scene, kind);
        if (!in) continue;
        // Directions in which the cell sees the two legs: the first crossed edge, else the end.
        CVector3D outward = r;
        if (outBlock.count == 2 && !outBlock.crossX && outBlock.crossY)
            outward = outBlock.pointY;
        else if (outBlock.count >= 1)
            outward = outBlock.pointX;
        CVector3D inward = s;
        if (inBlock.count == 2 && inBlock.crossY)
            inward = inBlock.pointY;
        else if (inBlock.count >= 1)
            inward = inBlock.pointX;

        // A cell the sound reaches from behind the face, or that the receiver sees from behind it,
        // reflects nothing towards the receiver.
        const double cosIn = std::cos(AngleBetween(normal, inward - p));
        const double cosOut = std::cos(AngleBetween(normal, outward - p));
        if (!(cosIn > 0.0 && cosOut > 0.0)) continue;
        const double rIn = Distance(s, p);
        const double rOut = Distance(p, r);
        const double geometry = grid.cellArea * cosIn * cosOut / (rIn * rIn * rOut * rOut);
        for (int i = 0; i < bands; ++i) {
            const double rho = 1.0 - BandValue(absorption, kind, i);
            energy[i] += geometry * rho * std::pow(10.0, (in->value(i) + out->value(i)) / 10.0);
        }
    }
    for (int i = 0; i < bands; ++i) {
        correction.value(i) = energy[i] > 0.0
                                  ? 10.0 * std::log10(energy[i]) + 10.0 * std::log10(q) - kDiffuseRadiation
                                  : kNoSoundLevel;
    }
    correction.syncRepresentations();
    return correction;
}

}  // namespace kelmora
