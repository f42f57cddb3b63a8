#include "view/noisemap/ColourScheme.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace kelmora {

namespace {

constexpr Rgb Hex(unsigned rgb) {
    return Rgb{static_cast<std::uint8_t>((rgb >> 16) & 0xFF), static_cast<std::uint8_t>((rgb >> 8) & 0xFF),
               static_cast<std::uint8_t>(rgb & 0xFF)};
}

// The two arms of the diverging ramp, each from next to "no change" out to its dark end; the k-th
// colours of the two arms have about the same lightness.
constexpr std::array<Rgb, 5> kQuieterArm{Hex(0xD1E5F0), Hex(0x92C5DE), Hex(0x4393C3), Hex(0x2166AC),
                                         Hex(0x053061)};
constexpr std::array<Rgb, 5> kLouderArm{Hex(0xFDDBC7), Hex(0xF4A582), Hex(0xD6604D), Hex(0xB2182B),
                                        Hex(0x67001F)};

Rgb ArmColour(const std::array<Rgb, 5>& arm, double t) {
    const double at = std::clamp(t, 0.0, 1.0) * static_cast<double>(arm.size() - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(at), arm.size() - 2);
    const double f = at - static_cast<double>(i);
    const Rgb& a = arm[i];
    const Rgb& b = arm[i + 1];
    const auto mix = [f](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + f * (static_cast<double>(y) - x)));
    };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

double LinearChannel(std::uint8_t c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

}  // namespace

const ColourScheme& StandardScheme() {
    // Picked in CIE LCh at L* 95, 88, 81, 74, 66, 58, 49, 39, 29, 18.
    static const ColourScheme scheme{
        "standard",
        "標準 (明度順)",
        {std::nullopt, Hex(0xE7F6D1), Hex(0xC9E7A0), Hex(0xC9D05D), Hex(0xE0AF2D), Hex(0xEE8627),
         Hex(0xE8612A), Hex(0xD53D2A), Hex(0xB02235), Hex(0x7C1C59), Hex(0x30215E)}};
    return scheme;
}

const ColourScheme& EuropeanScheme() {
    static const ColourScheme scheme{
        "eu",
        "欧州騒音マップ",
        {std::nullopt, Hex(0x238443), Hex(0x78C679), Hex(0xC2E699), Hex(0xFFFFB2), Hex(0xFECC5C),
         Hex(0xFD8D3C), Hex(0xFF0909), Hex(0xB30622), Hex(0x67033B), Hex(0x1C0054)}};
    return scheme;
}

const ColourScheme& ClassicScheme() {
    static const ColourScheme scheme{
        "classic",
        "従来の11色",
        {Hex(0xB7CE8E), Hex(0x1D8435), Hex(0x0E4C3C), Hex(0xECD721), Hex(0x9F6F2C), Hex(0xEF7926),
         Hex(0xC71932), Hex(0x8D1A27), Hex(0x88497B), Hex(0x18558C), Hex(0x134367)}};
    return scheme;
}

const ColourScheme* SchemeById(const std::string& id) {
    for (const ColourScheme* scheme : {&StandardScheme(), &EuropeanScheme(), &ClassicScheme()})
        if (id == scheme->id) return scheme;
    return nullptr;
}

ColourScheme DivergingScheme(std::size_t classesEachSide) {
    ColourScheme scheme{"difference", "差分", {}};
    const auto t = [classesEachSide](std::size_t k) {  // k = 1 next to the neutral class
        return classesEachSide <= 1 ? 0.5
                                    : static_cast<double>(k - 1) / static_cast<double>(classesEachSide - 1);
    };
    for (std::size_t k = classesEachSide; k >= 1; --k)
        scheme.classColours.push_back(ArmColour(kQuieterArm, t(k)));
    scheme.classColours.push_back(kNoChangeGrey);
    for (std::size_t k = 1; k <= classesEachSide; ++k)
        scheme.classColours.push_back(ArmColour(kLouderArm, t(k)));
    return scheme;
}

double Lightness(const Rgb& colour) {
    const double y = 0.2126 * LinearChannel(colour.r) + 0.7152 * LinearChannel(colour.g) +
                     0.0722 * LinearChannel(colour.b);
    const double f = y > 216.0 / 24389.0 ? std::cbrt(y) : (24389.0 / 27.0 * y + 16.0) / 116.0;
    return 116.0 * f - 16.0;
}

std::string HexColour(const Rgb& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.r, colour.g, colour.b);
    return text;
}

}  // namespace kelmora
