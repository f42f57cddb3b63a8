#pragma once
// Whole numbers typed on the command line, read in full and within their range: a number too big for
// its type is refused, never wrapped into another one.
#include <optional>
#include <string_view>

namespace kelmora::cli {

// `text` as a decimal whole number from `lowest` to `highest`: digits only (a leading '-' where
// `lowest` is negative), nothing before or after; nothing for anything else.
std::optional<int> ParseWholeNumber(std::string_view text, int lowest, int highest);

}  // namespace kelmora::cli
