// The text conversions at the edges of the UTF-8 sequence lengths, written out byte by byte.
#include "model/persistence/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace kelmora {
namespace {

// The smallest and largest code point of each UTF-8 length, both ways between UTF-16 and UTF-8.
TEST(TextCodec, EveryUtf8LengthAtItsBoundaries) {
    const struct {
        std::u16string utf16;
        std::string utf8;
    } cases[] = {
        {u"\u007F", "\x7F"},
        {u"\u0080", "\xC2\x80"},
        {u"\u07FF", "\xDF\xBF"},
        {u"\u0800", "\xE0\xA0\x80"},
        {u"\uFFFF", "\xEF\xBF\xBF"},
        {u"\U00010000", "\xF0\x90\x80\x80"},  // the surrogate pair D800 DC00
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},  // DBFF DFFF
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << static_cast<int>(c.utf16[0]));
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
        // Between other characters, the sequence takes exactly its own bytes.
        EXPECT_EQ(Utf8ToUtf16("a" + c.utf8 + "b"), u"a" + c.utf16 + u"b");
    }
    EXPECT_EQ(std::u16string(u"\U00010000"), (std::u16string{0xD800, 0xDC00}));
}

// A code point written with more bytes than it needs, or beyond U+10FFFF, is no character: each of its
// bytes becomes U+FFFD.
TEST(TextCodec, OverlongAndOutOfRangeSequencesAreRefused) {
    EXPECT_EQ(Utf8ToUtf16("\xC1\xBF"), u"\uFFFD\uFFFD");                      // U+007F in two bytes
    EXPECT_EQ(Utf8ToUtf16("\xE0\x9F\xBF"), u"\uFFFD\uFFFD\uFFFD");            // U+07FF in three
    EXPECT_EQ(Utf8ToUtf16("\xF0\x8F\xBF\xBF"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // U+FFFF in four
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // U+110000
    EXPECT_EQ(Utf8ToUtf16("\xE0\xA0"), u"\uFFFD\uFFFD");                      // cut short
}

}  // namespace
}  // namespace kelmora
