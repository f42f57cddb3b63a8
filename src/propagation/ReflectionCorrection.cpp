#include "propagation/ReflectionCorrection.h"

#include <array>
#include <cmath>

#include "acoustics/Formulas.h"
#include "geometry/Plane.h"
#include "propagation/Diffraction.h"
#include "propagation/FaceEdges.h"

namespace kelmora {
namespace {

int SideFacing(const CRectObstacle& face, const CVector3D& p) {
    const CFaceCorners c = FaceCorners(face);
    return SideOfPlane(p, c[0], c[1], c[2]);
}

// One finite edge of the reflector as seen by the reflected ray S′–R.
struct CReflectorEdge {
    double pathDifference = 0.0;  // > 0 when S′–R passes outside the reflector beyond this edge
    bool onReflector = false;     // S′–R passes through the half-plane of the reflector bounded by it
};

double EdgeShare(double frequency, double pathDifference) {
    return std::pow(10.0, EdgeEnergyRatio(frequency, pathDifference) / 10.0);
}

// 10·log10 of an energy share; empty when nothing is left.
std::optional<double> ShareLevel(double share) {
    if (!(share > 0.0)) return std::nullopt;
    return 10.0 * std::log10(share);
}

std::optional<double> FiniteLevel(double level) {
    if (!std::isfinite(level)) return std::nullopt;
    return level;
}

}  // namespace

namespace {

CSideAbsorption AbsorptionOnSide(const CRectObstacle& face, int side) {
    if (side > 0) return {face.absorptionLeft, face.absorptionRight};
    if (side < 0) return {face.absorptionRight, face.absorptionLeft};
    // On the plane both count as the left side: the sound is taken to arrive on it.
    return {face.absorptionLeft, face.absorptionLeft};
}

}  // namespace

CSideAbsorption AbsorptionTowards(const CRectObstacle& face, const CVector3D& p) {
    const CFaceCorners c = FaceCorners(face);
    return AbsorptionOnSide(face, SideOfPlane(p, c[0], c[1], c[2]));
}

bool AbsorbsAllTowards(const CFaceFrames& scene, FaceIndex f, const CVector3D& p) {
    const CFaceFrame& frame = scene.frame(f);
    // On the plane the left side counts, as in AbsorptionOnSide.
    return scene.AbsorbsAll(f, SideOfPlane(p, frame.corners[0], frame.plane) < 0);
}

bool IsDiffuseTowards(const CRectObstacle& face, const CVector3D& p) {
    if (SideFacing(face, p) > 0) return face.diffuseLeft != 0;
    return face.diffuseRight != 0;
}

std::optional<CBand> SpecularReflectionCorrection(const CRectObstacle& face, const CVector3D& mirroredSource,
                                                  const CVector3D& receiver, int kind,
                                                  CorrectionBands bands) {
    return SpecularReflectionCorrection(CEdgeFace(face), mirroredSource, receiver, kind, bands);
}

std::optional<CBand> SpecularReflectionCorrection(const CEdgeFace& prepared, const CVector3D& mirroredSource,
                                                  const CVector3D& receiver, int kind,
                                                  CorrectionBands bands) {
    const CRectObstacle& face = prepared.face();
    std::array<CReflectorEdge, kSideCount> edges{};
    std::array<int, kSideCount> sides{};
    int n = 0;
    for (int k = 0; k < kSideCount; ++k) {
        if (face.diffracts[k] == 0) continue;
        const std::optional<CEdgePoint> e = EdgeDiffractionPoint(prepared, mirroredSource, receiver, k);
        if (!e) return std::nullopt;
        edges[k] = {PathDifference(mirroredSource, receiver, e->edge, !e->crossing), e->crossing};
        sides[n++] = k;
    }

    CBand correction;
    correction.kind = kind;
    correction.fill(0.0);
    for (int i = 0; i < correction.bandCount() && n > 0; ++i) {
        const double f = bandFrequency(kind, i);
        const auto share = [&](int k) { return EdgeShare(f, edges[k].pathDifference); };
        std::optional<double> level;
        if (n == 1) {
            // Through the reflector the edge takes its share away; beyond it only that share comes back.
            const CReflectorEdge& e = edges[sides[0]];
            level = e.onReflector ? ShareLevel(1.0 - share(sides[0])) : EdgeEnergyRatio(f, e.pathDifference);
        } else if (n == 2 && sides[1] == OppositeSide(sides[0])) {
            // A strip between two parallel edges: between them both edges take their shares; beyond one
            // of them the near edge's share less the far edge's comes back.
            const int j = sides[0];
            const int k = sides[1];
            if (edges[j].onReflector && edges[k].onReflector) {
                level = ShareLevel(1.0 - share(j) - share(k));
            } else {
                level = FiniteLevel(
                    EdgePairEnergyDifference(f, edges[j].pathDifference, edges[k].pathDifference));
            }
        } else if (n == 2) {
            level = ShareLevel((1.0 - share(sides[0])) * (1.0 - share(sides[1])));
        } else if (n == 3) {
            int open = 0;
            while (face.diffracts[open] != 0)
                ++open;
            level = ShareLevel((1.0 - share(OppositeSide(open))) *
                               (1.0 - share(NextSide(open)) - share(PreviousSide(open))));
        } else {
            level = FiniteLevel(FourEdgeEnergyCorrection(f, edges[0].pathDifference, edges[1].pathDifference,
                                                         edges[2].pathDifference, edges[3].pathDifference));
        }
        if (!level) return std::nullopt;
        correction.value(i) = *level;
    }
    if (bands == CorrectionBands::kAllRepresentations) correction.syncRepresentations();
    return correction;
}

}  // namespace kelmora
