#include "cli/NumberText.h"

#include <charconv>
#include <cstdint>

namespace kelmora::cli {

std::optional<int> ParseWholeNumber(std::string_view text, int lowest, int highest) {
    // Read wider than int, so that a value beyond int is out of range rather than a parse failure.
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    if (value < lowest || value > highest) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace kelmora::cli
