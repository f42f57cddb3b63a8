#include "model/persistence/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace kelmora {
namespace {

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; surrogate code points encoded in three bytes are
// accepted (they stand for lone surrogates of the UTF-16 source). Returns the byte length, 0 on
// an invalid sequence.
std::size_t DecodeUtf8(const std::string& text, std::size_t i, std::uint32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const std::size_t left = text.size() - i;
    const unsigned char c = b(0);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    std::size_t len;
    std::uint32_t min;
    if ((c & 0xE0) == 0xC0) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (left < len) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF) return 0;
    return len;
}

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: CP932 is not available");
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts as much as possible; returns false at an unconvertible or incomplete sequence,
    // leaving in/inLeft at it.
    bool Convert(const char*& in, std::size_t& inLeft, std::string& out) {
        char buf[256];
        while (inLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t r = iconv(cd_, const_cast<char**>(&in), &inLeft, &dst, &dstLeft);
            out.append(buf, dst);
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp;
        const std::size_t len = DecodeUtf8(text, i, cp);
        if (len == 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Cp932ToUtf8(const std::string& bytes) {
    Iconv cv("UTF-8", "CP932");
    std::string out;
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    while (!cv.Convert(in, left, out)) {
        out += "\xEF\xBF\xBD";  // U+FFFD
        ++in;
        --left;
    }
    return out;
}

std::string Utf8ToCp932(const std::string& text) {
    // Fast path: plain ASCII is the same in both.
    bool ascii = true;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) return text;
    Iconv cv("CP932", "UTF-8");
    std::string out;
    const char* in = text.data();
    std::size_t left = text.size();
    while (!cv.Convert(in, left, out)) {
        out += '?';
        std::uint32_t cp;
        const std::size_t len = DecodeUtf8(text, static_cast<std::size_t>(in - text.data()), cp);
        const std::size_t skip = len == 0 ? 1 : len;
        in += skip;
        left -= skip;
    }
    return out;
}

std::string Cp932Unencodable(const std::string& text) {
    Iconv cv("CP932", "UTF-8");
    std::string missing;
    std::string converted;
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = 0;
        const std::size_t len = DecodeUtf8(text, i, cp);
        std::string character = len == 0 ? std::string("\xEF\xBF\xBD") : text.substr(i, len);
        i += len == 0 ? 1 : len;
        if (len != 0 && cp < 0x80) continue;
        const char* in = character.data();
        std::size_t left = character.size();
        converted.clear();
        // A lone surrogate is valid here (see Utf16ToUtf8) but has no CP932 form.
        const bool surrogate = cp >= 0xD800 && cp < 0xE000;
        if (len != 0 && !surrogate && cv.Convert(in, left, converted)) continue;
        if (missing.find(character) == std::string::npos) missing += character;
    }
    return missing;
}

}  // namespace kelmora
