#include "editing/BandEditorCallers.h"

#include <array>

namespace kelmora {
namespace {

using enum BandSpectrum;

constexpr double kLevelLimit = 300.0;  // dB, sound power levels either way, transmission losses above 0

constexpr std::array kCallers{
    BandEditorCaller{kSourceAveragePower,
                     "A特性音響パワーレベル[dB]…定常騒音または変動騒音の時LAeq, 衝撃騒音の時LAE",
                     -kLevelLimit, kLevelLimit, true},
    BandEditorCaller{kSourceMaximumPower, "A特性最大音響パワーレベル[dB]", -kLevelLimit, kLevelLimit, true},
    BandEditorCaller{kTransmissionLoss, "音響透過損失[dB]…0dBならば透過を考慮しない", 0.0, kLevelLimit,
                     false},
    BandEditorCaller{kRoomDefaultTransmissionLoss, "デフォルト音響透過損失TL[dB]", 0.0, kLevelLimit, false},
    BandEditorCaller{kAbsorption, "吸音率", 0.0, 1.0, false},
    BandEditorCaller{kLeftAbsorption, "左側の吸音率", 0.0, 1.0, false},
    BandEditorCaller{kRightAbsorption, "右側の吸音率", 0.0, 1.0, false},
    BandEditorCaller{kLeftGroundAbsorption, "左側地表面の吸音率", 0.0, 1.0, false},
    BandEditorCaller{kRightGroundAbsorption, "右側地表面の吸音率", 0.0, 1.0, false},
    BandEditorCaller{kRoomMeanAbsorption, "平均吸音率", 0.0, 1.0, false},
    BandEditorCaller{kRoomCeilingAbsorption, "天井のデフォルト吸音率", 0.0, 1.0, false},
    BandEditorCaller{kRoomFloorAbsorption, "床のデフォルト吸音率", 0.0, 1.0, false},
    BandEditorCaller{kRoomWallAbsorption, "壁のデフォルト吸音率", 0.0, 1.0, false},
};

}  // namespace

std::span<const BandEditorCaller> BandEditorCallers() {
    return kCallers;
}

const BandEditorCaller& BandEditorCallerFor(BandSpectrum spectrum) {
    return kCallers[static_cast<std::size_t>(spectrum)];
}

}  // namespace kelmora
