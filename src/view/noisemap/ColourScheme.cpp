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

// The anchors of the diverging ramp, from the quietest to the loudest; white in the middle.
constexpr std::array<Rgb, 11> kDivergingAnchors{Hex(0x053061), Hex(0x2166AC), Hex(0x4393C3), Hex(0x92C5DE),
                                                Hex(0xD1E5F0), Hex(0xF7F7F7), Hex(0xFDDBC7), Hex(0xF4A582),
                                                Hex(0xD6604D), Hex(0xB2182B), Hex(0x67001F)};

Rgb RampColour(double t) {
    const double at = std::clamp(t, 0.0, 1.0) * static_cast<double>(kDivergingAnchors.size() - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(at), kDivergingAnchors.size() - 2);
    const double f = at - static_cast<double>(i);
    const Rgb& a = kDivergingAnchors[i];
    const Rgb& b = kDivergingAnchors[i + 1];
    const auto mix = [f](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>(std::lround(x + f * (static_cast<double>(y) - x)));
    };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

}  // namespace

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
    if (id == EuropeanScheme().id) return &EuropeanScheme();
    if (id == ClassicScheme().id) return &ClassicScheme();
    return nullptr;
}

ColourScheme DivergingScheme(std::size_t classCount) {
    ColourScheme scheme{"difference", "差分", {}};
    // Classes spread evenly over the ramp, symmetric about its white middle: with an even count the
    // two classes beside zero are tinted, so that a small change still shows.
    for (std::size_t k = 0; k < classCount; ++k) {
        const double t = classCount == 1 ? 0.5 : static_cast<double>(k) / static_cast<double>(classCount - 1);
        scheme.classColours.push_back(RampColour(t));
    }
    return scheme;
}

std::string HexColour(const Rgb& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.r, colour.g, colour.b);
    return text;
}

}  // namespace kelmora
