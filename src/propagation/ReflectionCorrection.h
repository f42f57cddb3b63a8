#pragma once
// What a reflecting face does to the sound it reflects: the absorption and the reflection type of the
// side the sound arrives from, and the correction of a specular reflection for the finite size of the
// reflector ("<反射面補正量[dB]>").
//
// The left side of a face is the positive side of its plane (the right-hand screw from side A to side B);
// `absorptionLeft` and `diffuseLeft` belong to it.
#include <optional>

#include "geometry/Plane.h"
#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/RectObstacle.h"
#include "propagation/DiffractionCorrection.h"
#include "propagation/FaceEdges.h"

namespace kelmora {

// The absorption spectra of the two sides of a face, as seen from a point. For a point on the plane both
// are the left side's.
struct CSideAbsorption {
    const CBand& facing;  // the side facing the point
    const CBand& other;
};
CSideAbsorption AbsorptionTowards(const CRectObstacle& face, const CVector3D& p);

// Whether the side of scene face f facing p absorbs everything (AbsorptionTowards(...).facing all 1).
bool AbsorbsAllTowards(const CFaceFrames& scene, FaceIndex f, const CVector3D& p);

// True when the side facing p reflects diffusely ("散乱反射"); a point on the plane is taken as facing
// the right side.
bool IsDiffuseTowards(const CRectObstacle& face, const CVector3D& p);

// The correction [dB per band] of a specular reflection for the finite extent of the reflector, from the
// mirrored incoming point S′ to the outgoing point R. The diffracting sides are the reflector's finite
// edges; a side that does not diffract counts as reaching to infinity. An edge takes the share
// e = g(N) of the energy of a half-plane: a reflection point on the reflector keeps 1 − e, one beyond the
// edge keeps e. Spectrum of representation `kind`; empty when an edge point cannot be found or the
// remaining energy is not positive.
std::optional<CBand> SpecularReflectionCorrection(
    const CRectObstacle& face, const CVector3D& mirroredSource, const CVector3D& receiver, int kind = 2,
    CorrectionBands bands = CorrectionBands::kAllRepresentations);
// The same over a face prepared for its edge searches (FaceEdges.h), whose half-planes serve every
// reflection on it.
std::optional<CBand> SpecularReflectionCorrection(const CEdgeFace& face, const CVector3D& mirroredSource,
                                                  const CVector3D& receiver, int kind, CorrectionBands bands);

}  // namespace kelmora
