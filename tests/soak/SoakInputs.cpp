#include "soak/SoakInputs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace kelmora::soak {

namespace {

int Uniform(std::mt19937_64& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

double Real(std::mt19937_64& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}

std::string Print(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

// ASCII digits, signs, point and exponent as their full-width forms.
std::string FullWidth(const std::string& ascii) {
    std::string out;
    for (const char c : ascii) {
        if (c >= '0' && c <= '9') {
            // U+FF10 + digit: EF BC 90..99
            out += "\xEF\xBC";
            out += static_cast<char>(0x90 + (c - '0'));
        } else if (c == '.') {
            out += "\xEF\xBC\x8E";
        } else if (c == '-') {
            out += "\xEF\xBC\x8D";
        } else if (c == '+') {
            out += "\xEF\xBC\x8B";
        } else if (c == 'e') {
            out += "\xEF\xBD\x85";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string NumberText(std::mt19937_64& rng, InputKind kind, const std::optional<FieldLimits>& limits) {
    const double low = limits ? limits->low : -1.0e6;
    const double high = limits ? limits->high : 1.0e6;
    switch (kind) {
        case InputKind::Valid: {
            // Mostly on the scale of a small site, within the limits.
            double a = std::max(low, -30.0);
            double b = std::min(high, 150.0);
            if (a > b) {
                a = low;
                b = std::min(high, low + 1000.0);
            }
            double value = Real(rng, a, b);
            const int style = Uniform(rng, 0, 9);
            if (style < 4) value = std::round(value);
            std::string text = Print(value, style < 7 ? 6 : 15);
            if (Uniform(rng, 0, 19) == 0) text = FullWidth(text);
            if (Uniform(rng, 0, 19) == 0) text = " " + text + " ";
            return text;
        }
        case InputKind::Boundary: {
            if (!limits) return Print(Uniform(rng, 0, 1) ? 1.0e300 : -1.0e300, 15);
            const double value = Uniform(rng, 0, 1) ? limits->low : limits->high;
            return Print(value, 17);
        }
        case InputKind::OutOfRange: {
            if (!limits) return Print(Uniform(rng, 0, 1) ? 1.0e308 : -1.0e308, 17);
            const bool below =
                Uniform(rng, 0, 1) == 0 && std::isfinite(limits->low) && limits->low > -1.0e300;
            if (below)
                return Print(limits->low - std::max(1.0, std::abs(limits->low) * Real(rng, 0.001, 10.0)), 12);
            if (limits->high >= 1.0e300) return "1e309";
            return Print(limits->high + std::max(1.0, std::abs(limits->high) * Real(rng, 0.001, 10.0)), 12);
        }
        case InputKind::Malformed:
        case InputKind::Any:
            break;
    }
    static const std::vector<std::string> malformed = {
        "",
        "abc",
        "nan",
        "NaN",
        "-nan",
        "inf",
        "-inf",
        "infinity",
        "1e999",
        "-1e999",
        "1e-400",
        "\xEF\xBC\x91\xEF\xBC\x92\xEF\xBC\x93",  // "１２３" (a number)
        "\xE4\xB8\x80",                          // "一"
        "1,5",
        "0x1A",
        "12.5dB",
        "++1",
        "1e",
        ".",
        "-",
        "+",
        "1.2.3",
        "\xE3\x80\x80",  // an ideographic space
        " ",
        "1 2",
        "\t7",
        "9999999999999999999999999999999999999999",
        "4.9e-324",
        "1.7976931348623157e308",
        "-0",
        "0.0000000000000000000001",
        "\xD9\xA3",  // an Arabic-Indic digit
        "\xF0\x9F\x98\x80",
        "2147483648",
        "-2147483649",
    };
    if (Uniform(rng, 0, 29) == 0) return std::string(static_cast<std::size_t>(Uniform(rng, 300, 2000)), '9');
    return malformed[static_cast<std::size_t>(Uniform(rng, 0, static_cast<int>(malformed.size()) - 1))];
}

std::string AnyNumberText(std::mt19937_64& rng, const std::optional<FieldLimits>& limits) {
    const int roll = Uniform(rng, 0, 99);
    if (roll < 62) return NumberText(rng, InputKind::Valid, limits);
    if (roll < 70) return NumberText(rng, InputKind::Boundary, limits);
    if (roll < 80) return NumberText(rng, InputKind::OutOfRange, limits);
    return NumberText(rng, InputKind::Malformed, limits);
}

std::string FreeText(std::mt19937_64& rng) {
    static const std::vector<std::string> texts = {
        "",
        "memo",
        "\xE5\xB7\xA5\xE5\xA0\xB4",  // 工場
        "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88 \xEF\xBC\x91",
        "a,b;c\"d'e",
        "tab\tand\nnew line",
        "%s%d%n",
        "\xF0\x9F\x98\x80 emoji",
    };
    if (Uniform(rng, 0, 19) == 0) return std::string(static_cast<std::size_t>(Uniform(rng, 200, 5000)), 'x');
    return texts[static_cast<std::size_t>(Uniform(rng, 0, static_cast<int>(texts.size()) - 1))];
}

}  // namespace kelmora::soak
