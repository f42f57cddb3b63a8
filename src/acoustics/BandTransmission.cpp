#include "acoustics/BandTransmission.h"

#include <optional>

#include "acoustics/Formulas.h"

namespace kelmora {
namespace {

// Combines the bands for which `lossAt` gives a transmission loss (empty: the band keeps its
// diffraction correction). The TL spectra are read at the correction's band frequencies.
template <typename LossAt>
bool Combine(CBand& correction, LossAt lossAt) {
    CBand combined = correction;
    for (int i = 0; i < combined.bandCount(); ++i) {
        const std::optional<double> tl = lossAt(bandFrequency(combined.kind, i));
        if (!tl) continue;
        const std::optional<double> value = TransmissionCombination(combined.value(i), *tl);
        if (!value) return false;
        combined.value(i) = *value;
    }
    combined.syncRepresentations();
    correction = combined;
    return true;
}

}  // namespace

bool ApplyTransmission(CBand& correction, const CBand& tl) {
    return Combine(correction, [&](double f) -> std::optional<double> {
        const double loss = tl.levelAt(f);
        if (loss > 0.0) return loss;
        return std::nullopt;
    });
}

bool ApplyTransmission(CBand& correction, const CBand& tl1, const CBand& tl2) {
    return Combine(correction, [&](double f) -> std::optional<double> {
        const double loss1 = tl1.levelAt(f);
        const double loss2 = tl2.levelAt(f);
        if (loss1 != 0.0 && loss2 != 0.0 && loss1 + loss2 > 0.0) return loss1 + loss2;
        return std::nullopt;
    });
}

}  // namespace kelmora
