#pragma once
// The scalar acoustics every propagation path is built from: path difference and Fresnel number,
// diffraction by a wedge, the edge energy ratios of finite reflectors, transmission through a
// diffracting obstacle and absorption at a reflecting face. Frequencies in Hz, path differences
// and distances in m, results in dB. Point-source spreading is `PointSpreadingTerm` (model/Band.h).
#include <optional>

#include "geometry/Vector.h"

namespace kelmora {

// Speed of sound [m/s] of every diffraction formula: wavelength λ = 343.7 / f.
inline constexpr double kSpeedOfSound = 343.7;
// A reflection whose incoming point lies at most this far [m] from the face plane gets no
// reflection correction (the sound grazes the face and is reflected in full).
inline constexpr double kNearFaceDistance = 0.3;

// Path difference δ = |S−E| + |E−R| − |S−R| of the detour from source S over edge point E to
// receiver R; +δ when the straight line S–R crosses the obstacle (R in the shadow), −δ otherwise.
double PathDifference(const CVector3D& source, const CVector3D& receiver, const CVector3D& edge,
                      bool crosses);

// Fresnel number N = 2·δ / λ with λ = 343.7 / f; negative for a negative path difference.
double FresnelNumber(double frequency, double pathDifference);

// Diffraction correction [dB, ≤ 0 in the shadow] of one edge from its chart: the knife-wedge chart
// for wedge type 0 (ナイフウェッジ), the right-angle-wedge chart for any other type (直角ウェッジ). Both
// charts are 0 dB below their lower Fresnel number (−0.324 knife, −0.0718 right angle) and −13 / −10.5 dB at
// N = 1.
double WedgeDiffractionCorrection(int wedgeType, double frequency, double pathDifference);

// 10·log10 g(N) [dB] with g(x) = 0.5 / (1 + (10·x)^(2/3))^1.5 and N = 2·|δ|·f / 343.7: the share of
// energy a reflection loses past one edge of a finite reflector. The sign of δ has no effect;
// δ = 0 gives −3.01 dB.
double EdgeEnergyRatio(double frequency, double pathDifference);

// 10·log10 |e1 − e2| [dB] for a reflector bounded by two opposite edges, e_k = 10^(EdgeEnergyRatio/10).
// Minus infinity when both edges give the same ratio.
double EdgePairEnergyDifference(double frequency, double pathDifference1, double pathDifference2);

// 10·log10[(1 − e1 − e3)·(1 − e2 − e4)] [dB] for a reflector bounded by four edges; edges 1, 3 and
// edges 2, 4 are the opposite pairs.
double FourEdgeEnergyCorrection(double frequency, double pathDifference1, double pathDifference2,
                                double pathDifference3, double pathDifference4);

// Diffraction correction D [dB] combined with the sound transmitted through the obstacle of
// transmission loss TL [dB]: 10·log10[(1 − d)·10^(−TL/10) + d] with d = 10^(D/10). Empty when the
// bracket is not > 0 (the diffraction correction then fails as a whole).
std::optional<double> TransmissionCombination(double diffraction, double transmissionLoss);

// Correction 10·log10(1 − α) [dB] of a reflection on a face of absorption coefficient α (0..1);
// minus infinity for α = 1, so that the path adds no energy.
double AbsorptionCorrection(double absorption);

}  // namespace kelmora
