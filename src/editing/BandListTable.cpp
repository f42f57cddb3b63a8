#include "editing/BandListTable.h"

#include "model/persistence/BandLibrary.h"

namespace kelmora {

const std::array<const char*, kBandListColumns>& BandListHeaders() {
    static constexpr std::array<const char*, kBandListColumns> kHeaders{
        " タイトル　　　　　　　　　　　　　　 ",
        "  50Hz  ",
        "  63Hz  ",
        "  80Hz  ",
        "  100Hz ",
        "  125Hz ",
        "  160Hz ",
        "  200Hz ",
        "  250Hz ",
        "  315Hz ",
        "  400Hz ",
        "  500Hz ",
        "  630Hz ",
        "  800Hz ",
        "  1kHz  ",
        " 1.25kHz ",
        "  1.6kHz ",
        "  2kHz  ",
        "  2.5kHz ",
        " 3.15kHz ",
        "  4kHz  ",
        "  5kHz  ",
    };
    return kHeaders;
}

std::array<std::string, kBandListColumns> BandListRow(const CBand& spectrum) {
    std::array<std::string, kBandListColumns> row;
    row[0] = spectrum.title;
    for (int i = 0; i < kThirdOctaveBands; ++i)
        row[1 + i] = BandValueText(spectrum.third[i]);
    return row;
}

}  // namespace kelmora
