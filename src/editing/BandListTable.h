#pragma once
// The choice list of a band library that holds several spectra: its caption, column headers and the
// texts of its rows.
#include <array>
#include <string>

#include "model/Band.h"

namespace kelmora {

inline constexpr const char* kBandListTitle = "バンド情報一覧　→　選択したいバンド情報を選択してください";
inline constexpr int kBandListColumns = 1 + kThirdOctaveBands;

// " タイトル … ", "  50Hz  ", …, "  5kHz  ".
const std::array<const char*, kBandListColumns>& BandListHeaders();
// The title, then each band value as "%g".
std::array<std::string, kBandListColumns> BandListRow(const CBand& spectrum);

}  // namespace kelmora
