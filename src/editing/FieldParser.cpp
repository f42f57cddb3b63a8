#include "editing/FieldParser.h"

#include <charconv>
#include <cmath>

namespace kelmora {
namespace {

// The ASCII form of a full-width character that a number may contain, or 0.
char AsciiOfFullWidth(char32_t c) {
    if (c >= U'０' && c <= U'９') return static_cast<char>('0' + (c - U'０'));
    switch (c) {
        case U'＋':
            return '+';
        case U'－':
        case U'−':  // the minus sign some input methods type
            return '-';
        case U'．':
            return '.';
        case U'ｅ':
            return 'e';
        case U'Ｅ':
            return 'E';
        case U'\u3000':  // ideographic space
            return ' ';
        default:
            return 0;
    }
}

// The text with the full-width characters of numbers replaced by their ASCII forms. Other bytes are
// kept as they are (they make the text no number anyway).
std::string NarrowNumberText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        // Every character mapped is a three-byte UTF-8 sequence.
        if (i + 3 <= text.size() && (byte(0) & 0xF0) == 0xE0 && (byte(1) & 0xC0) == 0x80 &&
            (byte(2) & 0xC0) == 0x80) {
            const char32_t c = ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
            if (const char ascii = AsciiOfFullWidth(c)) {
                out += ascii;
                i += 3;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Splits off a leading sign; false when the rest starts with another sign.
bool TakeSign(std::string_view& s, bool& negative) {
    negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    return s.empty() || (s.front() != '+' && s.front() != '-');
}

}  // namespace

std::optional<double> ParseFieldNumber(std::string_view text) {
    const std::string narrow = NarrowNumberText(text);
    std::string_view s = Trimmed(narrow);
    bool negative = false;
    if (!TakeSign(s, negative) || s.empty()) return std::nullopt;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc{} || end != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

std::optional<std::int64_t> ParseFieldInteger(std::string_view text) {
    const std::string narrow = NarrowNumberText(text);
    std::string_view s = Trimmed(narrow);
    bool negative = false;
    if (!TakeSign(s, negative) || s.empty()) return std::nullopt;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    constexpr std::uint64_t kLargest = static_cast<std::uint64_t>(INT64_MAX);
    if (magnitude > kLargest + (negative ? 1 : 0)) return std::nullopt;
    if (negative) return magnitude == kLargest + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    return static_cast<std::int64_t>(magnitude);
}

std::string FieldText(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15).ptr;
    return {text, end};
}

std::string FieldText(std::int32_t value) {
    return std::to_string(value);
}

std::string RoundedFieldText(double value, int decimals) {
    if (!std::isfinite(value)) return FieldText(value);
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0.0) rounded = 0.0;  // no "-0.0"
    char text[400];                     // room for the fixed form of the largest double
    const auto end = std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed, decimals).ptr;
    return {text, end};
}

FieldReader& FieldReader::Number(std::string_view text, double low, double high, const char* field,
                                 int controlId, double& value) {
    if (issue_) return *this;
    const std::optional<double> parsed = ParseFieldNumber(text);
    if (!parsed) {
        issue_ = ValidationIssue{ValidationKind::kRange, kNotANumberMessage, field, controlId};
    } else if (!(issue_ = CheckNumberRange(*parsed, low, high, field, controlId))) {
        value = *parsed;
    }
    return *this;
}

FieldReader& FieldReader::Number(std::string_view text, const char* field, int controlId, double& value) {
    if (issue_) return *this;
    if (const std::optional<double> parsed = ParseFieldNumber(text)) {
        value = *parsed;
    } else {
        issue_ = ValidationIssue{ValidationKind::kRange, kNotANumberMessage, field, controlId};
    }
    return *this;
}

FieldReader& FieldReader::Integer(std::string_view text, std::int32_t low, std::int32_t high,
                                  const char* field, int controlId, std::int32_t& value) {
    if (issue_) return *this;
    const std::optional<std::int64_t> parsed = ParseFieldInteger(text);
    if (!parsed || *parsed < low || *parsed > high) {
        issue_ = ValidationIssue{ValidationKind::kRange, IntegerRangeMessage(low, high), field, controlId};
    } else {
        value = static_cast<std::int32_t>(*parsed);
    }
    return *this;
}

UserMessage FieldMessage(const ValidationIssue& issue) {
    if (issue.kind == ValidationKind::kRange)
        return {kFrameworkCaption, issue.message, MessageIcon::kWarning, issue.controlId};
    return {kCheckCaption, issue.message, MessageIcon::kInformation, issue.controlId};
}

}  // namespace kelmora
