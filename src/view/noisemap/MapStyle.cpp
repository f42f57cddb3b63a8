#include "view/noisemap/MapStyle.h"

#include <cmath>

#include "view/noisemap/LevelClasses.h"
#include "view/noisemap/LevelGrid.h"

namespace kelmora {

namespace {

constexpr std::size_t kMostUserClasses = 30;

Rgb RgbOf(std::uint32_t rgb) {
    return Rgb{static_cast<std::uint8_t>((rgb >> 16) & 0xFF), static_cast<std::uint8_t>((rgb >> 8) & 0xFF),
               static_cast<std::uint8_t>(rgb & 0xFF)};
}

std::uint32_t PackedRgb(const Rgb& c) {
    return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

std::optional<std::string> UserClassesProblem(const std::vector<MapClassColour>& classes) {
    if (classes.empty() || classes.size() > kMostUserClasses)
        return "ユーザー定義の等級は 1 から 30 までにしてください";
    for (std::size_t i = 0; i < classes.size(); ++i) {
        const double lower = classes[i].lowerDb;
        if (!std::isfinite(lower) || lower < kLowestClassLimit || lower > kHighestClassLimit)
            return "ユーザー定義の等級の下限は -200 dB から 300 dB までにしてください";
        if (i > 0 && !(lower > classes[i - 1].lowerDb))
            return "ユーザー定義の等級の下限は低い順に、同じ値を重ねずに並べてください";
    }
    return std::nullopt;
}

}  // namespace

std::vector<SchemeChoice> SchemeChoices() {
    std::vector<SchemeChoice> out;
    for (const ColourScheme* scheme : {&StandardScheme(), &EuropeanScheme(), &ClassicScheme()})
        out.push_back({scheme->id, scheme->name});
    out.push_back({kUserSchemeId, kUserSchemeName});
    return out;
}

std::optional<std::string> MapSettingsProblem(const MapSettings& settings) {
    if (settings.scheme == kUserSchemeId) {
        if (auto problem = UserClassesProblem(settings.userClasses)) return problem;
    } else if (SchemeById(settings.scheme) == nullptr) {
        return "配色 \"" + settings.scheme + "\" はありません";
    } else {
        try {
            LevelMapStyle(settings);
        } catch (const NoiseMapError& e) {
            return e.what();
        }
    }
    try {
        DifferenceMapStyle(settings);
    } catch (const NoiseMapError& e) {
        return e.what();
    }
    return std::nullopt;
}

MapStyle LevelMapStyle(const MapSettings& settings) {
    if (settings.scheme == kUserSchemeId) {
        if (auto problem = UserClassesProblem(settings.userClasses)) throw NoiseMapError(*problem);
        MapStyle style;
        style.scheme = {kUserSchemeId, kUserSchemeName, {std::nullopt}};
        for (const MapClassColour& c : settings.userClasses) {
            style.classes.limits.push_back(c.lowerDb);
            style.scheme.classColours.push_back(RgbOf(c.rgb));
        }
        return style;
    }
    const ColourScheme* scheme = SchemeById(settings.scheme);
    if (scheme == nullptr) throw NoiseMapError("配色 \"" + settings.scheme + "\" はありません");
    return {EvenClasses(settings.lowestClassDb, settings.classWidthDb, scheme->classColours.size() - 1),
            *scheme};
}

MapStyle DifferenceMapStyle(const MapSettings& settings) {
    const int each = settings.differenceClassesEachSide;
    if (each < 1) throw NoiseMapError("差分の等級は片側 1 から 20 までにしてください");
    const std::size_t classesEachSide = static_cast<std::size_t>(each);
    return {DifferenceClasses(settings.differenceClassWidthDb, classesEachSide),
            DivergingScheme(classesEachSide)};
}

MapStyle LevelMapStyleOrDefault(const MapSettings& settings) {
    try {
        return LevelMapStyle(settings);
    } catch (const NoiseMapError&) {
        return LevelMapStyle(MapSettings{});
    }
}

MapStyle DifferenceMapStyleOrDefault(const MapSettings& settings) {
    try {
        return DifferenceMapStyle(settings);
    } catch (const NoiseMapError&) {
        return DifferenceMapStyle(MapSettings{});
    }
}

std::vector<MapClassColour> UserClassesFrom(const MapStyle& style) {
    std::vector<MapClassColour> out;
    for (std::size_t k = 0; k < style.classes.limits.size(); ++k) {
        // Class k + 1 starts at limit k; a class without a colour is drawn as the plan's white.
        const std::size_t colour = k + 1;
        const std::optional<Rgb> c =
            colour < style.scheme.classColours.size() ? style.scheme.classColours[colour] : std::nullopt;
        out.push_back({style.classes.limits[k], c ? PackedRgb(*c) : 0xFFFFFFu});
    }
    return out;
}

}  // namespace kelmora
