#pragma once
// Transmission through diffracting obstacles, applied band by band to a diffraction correction
// spectrum: where an obstacle lets sound through (transmission loss > 0), the diffracted and the
// transmitted energy are combined with TransmissionCombination.
#include "model/Band.h"

namespace kelmora {

// Single diffraction over an obstacle of transmission loss `tl` [dB]: every band of `correction` in
// which TL > 0 becomes TransmissionCombination(D, TL). An obstacle whose TL is 0 in every band lets
// nothing through and leaves the correction as it is. Returns false, leaving `correction` unchanged,
// when a band's combination fails; the whole diffraction correction has then failed. On success the
// overall value is refreshed.
bool ApplyTransmission(CBand& correction, const CBand& tl);

// Double diffraction over two obstacles: the bands in which both TL values are non-zero and their
// sum is > 0 use the sum TL1 + TL2. Failure and refresh as for a single obstacle.
bool ApplyTransmission(CBand& correction, const CBand& tl1, const CBand& tl2);

}  // namespace kelmora
