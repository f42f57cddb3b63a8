#pragma once
// Conversions between the program's in-memory text (UTF-8) and the encodings of its files:
// UTF-16LE in project files, CP932 (the Japanese Windows code page) in text files.
#include <string>

namespace kelmora {

// UTF-16 code units → UTF-8. A lone surrogate is kept as its own three-byte sequence so that a
// string read from a file is written back unchanged.
std::string Utf16ToUtf8(const std::u16string& text);
// UTF-8 → UTF-16 code units; the inverse of Utf16ToUtf8 (invalid bytes become U+FFFD).
std::u16string Utf8ToUtf16(const std::string& text);

// CP932 bytes → UTF-8 (bytes that do not decode become U+FFFD).
std::string Cp932ToUtf8(const std::string& bytes);
// UTF-8 → CP932 bytes; a character that CP932 cannot encode becomes "?".
std::string Utf8ToCp932(const std::string& text);
// The characters of the UTF-8 text that CP932 cannot encode, each once, in the order of their first
// appearance (an invalid byte counts as U+FFFD); empty when the whole text converts without loss.
std::string Cp932Unencodable(const std::string& text);

}  // namespace kelmora
