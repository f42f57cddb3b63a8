#pragma once
// printf-style formatting of the numbers written into text files, exactly as C's printf prints them
// in the "C" locale (decimal point '.', "inf", "-inf", "nan"), whatever locale the process runs in:
// a desktop toolkit may switch the process to the user's locale, and the files must not change.
//
// Conversions: %d (int), %s (text), %f and %g with an optional precision ".N", and %%.
#include <initializer_list>
#include <string>
#include <string_view>

namespace kelmora {

class FormatArg {
public:
    FormatArg(int value) : kind_(Kind::Integer), integer_(value) {}
    FormatArg(double value) : kind_(Kind::Real), real_(value) {}
    FormatArg(std::string_view value) : kind_(Kind::Text), text_(value) {}
    FormatArg(const char* value) : kind_(Kind::Text), text_(value) {}
    FormatArg(const std::string& value) : kind_(Kind::Text), text_(value) {}

    // Appends the argument converted by `conversion` ('d', 's', 'f' or 'g') with `precision`
    // (−1: the conversion's default). A conversion that does not fit the argument's type is a
    // programming error and throws std::logic_error.
    void AppendTo(std::string& out, char conversion, int precision) const;

private:
    enum class Kind { Integer, Real, Text };
    Kind kind_;
    int integer_ = 0;
    double real_ = 0.0;
    std::string_view text_;
};

// Appends `format` with its conversions replaced by `args` in order. Too few or too many arguments,
// or an unknown conversion, throw std::logic_error.
void AppendFormat(std::string& out, std::string_view format, std::initializer_list<FormatArg> args);
std::string Format(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace kelmora
