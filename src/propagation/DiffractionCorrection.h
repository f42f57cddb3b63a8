#pragma once
// Diffraction corrections [dB per band] of a straight segment S–R over one obstacle face ("1回回折") or
// over two ("2回回折"), the sound transmitted through the obstacles included.
//
// The spectra come in the representation `kind` (0 overall, 1 octaves, 2 one-third octaves); a band is
// evaluated at its nominal centre frequency, the overall value at 0 Hz. A correction that cannot be
// formed (an edge point not found, a non-positive energy sum, a failed transmission combination) is
// reported as empty; the path evaluation then counts −100 dB in every band.
#include <array>
#include <optional>

#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/RectObstacle.h"
#include "propagation/FaceEdges.h"

namespace kelmora {

// How the diffracting sides of a face lie, for the combination of their corrections.
enum class SideLayout {
    kQuadrant,    // two adjacent sides
    kStrip,       // two opposite sides
    kThreeSides,  // every side but one
    kFourSides,
};

// The correction [dB] of a face from the energy shares d = 10^(D/10) that pass its diffracting sides,
// in the places of the formulas: two adjacent sides d[0] + (1 − d[0])·d[1]; two opposite sides
// 1 − |d[0] − d[1]|, d[1] being the share of the half-plane beyond the far side; three sides
// d[0] + (1 − d[0])·(d[1] + d[2]), d[0] the side opposite the one that does not diffract and d[1], d[2]
// its neighbours; four sides A … D d[0] + d[2] + (1 − d[0] − d[2])·(d[1] + d[3]). Limited to at most
// 0 dB; empty when the sum is not positive.
std::optional<double> CombinedSideLevel(SideLayout layout, const std::array<double, kSideCount>& d);

// Which representations of a correction are filled: all three, or only the bands of its `kind` (for a
// caller that reads nothing else, the overall value and the other representation left unset).
enum class CorrectionBands { kAllRepresentations, kKindOnly };

// The wedge chart correction of one side from its diffraction point's path difference.
std::optional<CBand> SingleEdgeCorrection(const CRectObstacle& face, const CVector3D& s, const CVector3D& r,
                                          int side, int kind = 2);

// The correction over one face, combining the corrections of its diffracting sides as the energy shares
// that pass each side (a face without diffracting side gives −100 dB) and limited to at most 0 dB in
// every band (an obstacle never amplifies), then the sound transmitted through the face where its
// transmission loss is positive.
std::optional<CBand> SingleDiffractionCorrection(const CRectObstacle& face, const CVector3D& s,
                                                 const CVector3D& r, int kind = 2);
// The same on a face prepared for repeated searches (its edge points found once per segment).
std::optional<CBand> SingleDiffractionCorrection(const CEdgeFace& face, const CVector3D& s,
                                                 const CVector3D& r, int kind, CorrectionBands bands);

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
// combination over the sides of y, both combinations limited to at most 0 dB in every band; then the
// transmission through both faces where both let sound through. A failed term counts as −100 dB wherever a
// failed side would for one face, and fails the whole where the face has a single diffracting side.
std::optional<CBand> DoubleDiffractionCorrection(const CRectObstacle& x, const CVector3D& s,
                                                 const CVector3D& r, const CRectObstacle& y, int kind = 2);
std::optional<CBand> DoubleDiffractionCorrection(const CEdgeFace& x, const CVector3D& s, const CVector3D& r,
                                                 const CEdgeFace& y, int kind, CorrectionBands bands);

}  // namespace kelmora
