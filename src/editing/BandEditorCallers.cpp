#include "editing/BandEditorCallers.h"

#include <array>

#include "model/Validation.h"

namespace kelmora {
namespace {

using enum BandSpectrum;

// The limits are the model's own, which the run checks again.
constexpr double kPowerLow = kSoundPowerLimits.low;
constexpr double kPowerHigh = kSoundPowerLimits.high;
constexpr double kLossLow = kTransmissionLossLimits.low;
constexpr double kLossHigh = kTransmissionLossLimits.high;
constexpr double kAbsorptionLow = kAbsorptionLimits.low;
constexpr double kAbsorptionHigh = kAbsorptionLimits.high;

constexpr std::array kCallers{
    BandEditorCaller{kSourceAveragePower,
                     "A特性音響パワーレベル[dB]…定常騒音または変動騒音の時LAeq, 衝撃騒音の時LAE", kPowerLow,
                     kPowerHigh, true},
    BandEditorCaller{kSourceMaximumPower, "A特性最大音響パワーレベル[dB]", kPowerLow, kPowerHigh, true},
    BandEditorCaller{kTransmissionLoss, "音響透過損失[dB]…0dBならば透過を考慮しない", kLossLow, kLossHigh,
                     false},
    BandEditorCaller{kRoomDefaultTransmissionLoss, "デフォルト音響透過損失TL[dB]", kLossLow, kLossHigh,
                     false},
    BandEditorCaller{kAbsorption, "吸音率", kAbsorptionLow, kAbsorptionHigh, false},
    BandEditorCaller{kLeftAbsorption, "左側の吸音率", kAbsorptionLow, kAbsorptionHigh, false},
    BandEditorCaller{kRightAbsorption, "右側の吸音率", kAbsorptionLow, kAbsorptionHigh, false},
    BandEditorCaller{kLeftGroundAbsorption, "左側地表面の吸音率", kAbsorptionLow, kAbsorptionHigh, false},
    BandEditorCaller{kRightGroundAbsorption, "右側地表面の吸音率", kAbsorptionLow, kAbsorptionHigh, false},
    BandEditorCaller{kRoomMeanAbsorption, "平均吸音率", kAbsorptionLow, kAbsorptionHigh, false},
    BandEditorCaller{kRoomCeilingAbsorption, "天井のデフォルト吸音率", kAbsorptionLow, kAbsorptionHigh,
                     false},
    BandEditorCaller{kRoomFloorAbsorption, "床のデフォルト吸音率", kAbsorptionLow, kAbsorptionHigh, false},
    BandEditorCaller{kRoomWallAbsorption, "壁のデフォルト吸音率", kAbsorptionLow, kAbsorptionHigh, false},
};

}  // namespace

std::span<const BandEditorCaller> BandEditorCallers() {
    return kCallers;
}

const BandEditorCaller& BandEditorCallerFor(BandSpectrum spectrum) {
    return kCallers[static_cast<std::size_t>(spectrum)];
}

}  // namespace kelmora
