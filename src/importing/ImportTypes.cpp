#include "importing/ImportTypes.h"

#include <algorithm>

namespace kelmora {

double UnitsPerMetre(LengthUnit unit) {
    switch (unit) {
        case LengthUnit::Millimetre:
            return 1000.0;
        case LengthUnit::Centimetre:
            return 100.0;
        case LengthUnit::Metre:
            return 1.0;
    }
    return 1.0;
}

const char* UnitName(LengthUnit unit) {
    switch (unit) {
        case LengthUnit::Millimetre:
            return "mm";
        case LengthUnit::Centimetre:
            return "cm";
        case LengthUnit::Metre:
            return "m";
    }
    return "m";
}

std::optional<LengthUnit> UnitFromName(std::string_view name) {
    if (name == "mm") return LengthUnit::Millimetre;
    if (name == "cm") return LengthUnit::Centimetre;
    if (name == "m") return LengthUnit::Metre;
    return std::nullopt;
}

std::optional<LengthUnit> UnitOfInsUnits(int code) {
    switch (code) {
        case 4:
            return LengthUnit::Millimetre;
        case 5:
            return LengthUnit::Centimetre;
        case 6:
            return LengthUnit::Metre;
        default:
            return std::nullopt;
    }
}

std::string InsUnitsText(int code) {
    // The codes of the drawing units a DXF header names; only the metric lengths are used here.
    static constexpr const char* kNames[] = {"単位なし", "インチ", "フィート",       "マイル", "mm",    "cm",
                                             "m",        "km",     "マイクロインチ", "ミル",   "ヤード"};
    const std::string number = std::to_string(code);
    if (code >= 0 && code < static_cast<int>(std::size(kNames))) return number + " (" + kNames[code] + ")";
    return number;
}

void PlanExtent::Add(double x, double y) {
    if (empty) {
        minX = maxX = x;
        minY = maxY = y;
        empty = false;
        return;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
}

void PlanExtent::Add(const PlanExtent& other) {
    if (other.empty) return;
    Add(other.minX, other.minY);
    Add(other.maxX, other.maxY);
}

}  // namespace kelmora
