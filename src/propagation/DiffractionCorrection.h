#pragma once
// Diffraction corrections [dB per band] of a straight segment S–R over one obstacle face ("1回回折") or
// over two ("2回回折"), the sound transmitted through the obstacles included.
//
// The spectra come in the representation `kind` (0 overall, 1 octaves, 2 one-third octaves); a band is
// evaluated at its nominal centre frequency, the overall value at 0 Hz. A correction that cannot be
// formed (an edge point not found, a non-positive energy sum, a failed transmission combination) is
// reported as empty; the path evaluation then counts −100 dB in every band.
#include <optional>

#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/RectObstacle.h"
#include "propagation/FaceEdges.h"

namespace kelmora {

// The wedge chart correction of one side from its diffraction point's path difference.
std::optional<CBand> SingleEdgeCorrection(const CRectObstacle& face, const CVector3D& s, const CVector3D& r,
                                          int side, int kind = 2);

// The correction over one face, combining the corrections of its diffracting sides as the energy shares
// that pass each side (a face without diffracting side gives −100 dB), then the sound transmitted
// through the face where its transmission loss is positive.
std::optional<CBand> SingleDiffractionCorrection(const CRectObstacle& face, const CVector3D& s,
                                                 const CVector3D& r, int kind = 2);

// Band `band` of the one-third-octave SingleDiffractionCorrection, computed alone (the obstacles of a
// segment are ranked by their value at 1 kHz); empty exactly when the full correction fails.
std::optional<double> SingleDiffractionBand(const CEdgeFace& face, const CVector3D& s, const CVector3D& r,
                                            int band);

// The correction over side `sideX` of x and side `sideY` of y: the dominant edge plus the other edge
// seen from it. Knife-edge chart when both faces are knife wedges, else the right-angle chart. Empty for
// a ground face or a face without diffracting side.
std::optional<CBand> DoubleEdgeCorrection(const CRectObstacle& x, const CVector3D& s, const CVector3D& r,
                                          int sideX, const CRectObstacle& y, int sideY, int kind = 2);

// The correction over two faces: the sides of x combined as for one face, each of its terms itself the
// combination over the sides of y; then the transmission through both faces where both let sound
// through. A failed term counts as −100 dB wherever a failed side would for one face, and fails the
// whole where the face has a single diffracting side.
std::optional<CBand> DoubleDiffractionCorrection(const CRectObstacle& x, const CVector3D& s,
                                                 const CVector3D& r, const CRectObstacle& y, int kind = 2);

}  // namespace kelmora
