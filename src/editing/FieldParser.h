#pragma once
// The one reading of the numeric fields of every dialog. A field's text is a number when, after the
// blanks around it, the whole text is one decimal number of the C locale's form — whatever the
// user's locale — and finite. Japanese input methods type full-width characters, so full-width
// digits, signs, decimal point, exponent letter and spaces count as their ASCII forms.
//
// A field that is not a number, or is outside its range, is refused with the dialog framework's
// messages ("数字を入力してください。", "%1 から %2 までの数字を入力してください。", and for integer fields
// "%1 から %2 までの整数を入力してください。"), shown in a warning box titled "Kelmora".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/UserMessage.h"
#include "model/Validation.h"

namespace kelmora {

inline constexpr const char* kFrameworkCaption = "Kelmora";

// The number the text stands for, or nothing ("nan", "inf", "1e999", "12.5dB", "" are not numbers).
std::optional<double> ParseFieldNumber(std::string_view text);
// The integer the text stands for: a sign and digits only ("1.0" and "1e3" are not integers), or
// nothing. Values beyond 64 bits are nothing.
std::optional<std::int64_t> ParseFieldInteger(std::string_view text);

// The text a field shows for a number: up to 15 significant digits in the C locale ("0.1", "3600",
// "-30.2", "1e-07").
std::string FieldText(double value);
std::string FieldText(std::int32_t value);
// A computed value for people: rounded half away from zero to `decimals` places and shown with them
// ("79.9", "-30.2", "80.0", "0.25"; never "-0.0").
std::string RoundedFieldText(double value, int decimals);

// Reads fields one after the other in a dialog's order and stops at the first that fails: every
// later read leaves its target alone. issue() then tells the message and the control to focus.
class FieldReader {
public:
    // A number field within low..high (limits included).
    FieldReader& Number(std::string_view text, double low, double high, const char* field, int controlId,
                        double& value);
    // A number field without range (coordinates, heights, positions): only a finite number is asked.
    FieldReader& Number(std::string_view text, const char* field, int controlId, double& value);
    // An integer field within low..high; text that is no integer gets the integer range message.
    FieldReader& Integer(std::string_view text, std::int32_t low, std::int32_t high, const char* field,
                         int controlId, std::int32_t& value);

    bool ok() const { return !issue_; }
    const ValidationResult& issue() const { return issue_; }

private:
    ValidationResult issue_;
};

// The message box of a refused field (the framework's warning box titled "Kelmora") or of a failed
// check of a dialog (an information box titled "入力チェック"), with the control to focus.
UserMessage FieldMessage(const ValidationIssue& issue);

}  // namespace kelmora
