#pragma once
// Atmospheric absorption of sound at the reference pressure (the ISO 9613-1 law with the rounded
// constants this program has always used).
#include "model/Band.h"

namespace kelmora {

// Attenuation coefficient [dB/m, ≥ 0] at frequency f [Hz], air temperature [°C] and relative
// humidity [%].
double AirAbsorptionCoefficient(double frequency, double temperature, double humidity);

// Air absorption correction [dB, ≤ 0] over `distance` [m] in every band of a spectrum of the given
// kind (2: one-third octaves, 1: octaves); an overall-only spectrum (kind 0) gets 0 dB. The other
// representations are refreshed from the one in use.
CBand AirAbsorptionBand(double distance, double temperature, double humidity, int kind = 2);

// The same in the bands of the kind only, the other representations left at 0 dB, for sums that read
// the bands of the kind in use. The coefficients of the conditions last asked for on the calling thread
// are kept, so that the many paths of a run compute them once.
CBand AirAbsorptionInBands(double distance, double temperature, double humidity, int kind);

}  // namespace kelmora
