#pragma once
// What the soak types into a field: valid numbers (within the field's limits when it has any, mostly
// on the scale of a small site), the limits themselves, numbers out of range, and malformed text —
// letters, "nan", "inf", full-width digits, blanks, an empty field, huge numbers and very long text.
#include <optional>
#include <random>
#include <string>

#include "model/Validation.h"

namespace kelmora::soak {

enum class InputKind { Valid, Boundary, OutOfRange, Malformed, Any };

// A text for a number field with the given limits (none: any finite number).
std::string NumberText(std::mt19937_64& rng, InputKind kind, const std::optional<FieldLimits>& limits);
// A number field's text chosen among all the kinds (valid most often).
std::string AnyNumberText(std::mt19937_64& rng, const std::optional<FieldLimits>& limits);
// A text for a free-text field (a memo): plain, Japanese, empty, long, with control characters.
std::string FreeText(std::mt19937_64& rng);

}  // namespace kelmora::soak
