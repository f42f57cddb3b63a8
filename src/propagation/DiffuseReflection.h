#pragma once
// Diffuse reflection on a face ("散乱反射"): the transfer from an incoming point over the face to an
// outgoing point, summed over a grid of cells of the face near the path, each cell radiating by the
// cosine law. The result already contains the distance attenuation and the diffractions of both legs
// ("<散乱反射面補正量(距離減衰量含む)[dB]>").
#include <optional>
#include <span>
#include <vector>

#include "geometry/Shapes.h"
#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/RectObstacle.h"
#include "propagation/FaceIndex.h"

namespace kelmora {

// Clips the rectangle to the neighbourhood of the path S → R: each of its sides A and B is cut to the
// stretch between the feet of S and R on its line, lengthened by `margin` [m] at both ends. False (the
// rectangle unchanged) when a side's stretch lies wholly before or wholly beyond the side, or the sides'
// lines are parallel.
bool ClipFaceToPath(CMyRect& rect, double margin, const CVector3D& s, const CVector3D& r);

// A rectangle divided into cells of at most cellSize [m] along sides A and B.
struct CFaceGrid {
    std::vector<CVector3D> centres;  // row by row along side B, each row along side A
    int countA = 0;
    int countB = 0;
    double cellArea = 0.0;  // m²
};
CFaceGrid SubdivideFace(const CMyRect& rect, double cellSize);

// The diffuse transfer [dB per band] from S over the face to R for a source of directivity factor q:
// 10·log10 Σ A·cos θin·cos θout·ρ·d_in·d_out / (r_in²·r_out²) + 10·log10 q − 16, summed over cells of
// about a quarter of S's distance from the face (at least 1 m), within that distance plus 15 m of the
// path. ρ = 1 − the absorption of the side facing R; d_in, d_out the diffraction energy shares of the two
// legs found in the scene, `ignored` faces not counting as obstacles. A cell whose leg is blocked, or
// whose leg's diffraction correction cannot be formed, contributes nothing; so does a cell that the
// sound reaches, or that the receiver sees, from behind the face (either cosine not positive, the
// direction of a leg being its first crossed diffraction point); no contribution at all gives
// −100 dB. Empty when S lies in the face's plane or the face does not reach the path's neighbourhood.
std::optional<CBand> DiffuseReflectionCorrection(const CRectObstacle& face, double q, const CVector3D& s,
                                                 const CVector3D& r, std::span<const CRectObstacle> scene,
                                                 std::span<const FaceIndex> ignored, int kind = 2);

}  // namespace kelmora
