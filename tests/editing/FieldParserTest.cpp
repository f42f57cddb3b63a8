// The reading of numeric dialog fields: what counts as a number, the framework's messages, and the
// order in which a dialog's fields are read.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "editing/FieldParser.h"

namespace kelmora {
namespace {

TEST(FieldParser, NumbersAsUsersTypeThem) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"12.5", 12.5},
        {"  -3 ", -3.0},
        {"+4", 4.0},
        {".5", 0.5},
        {"7.", 7.0},
        {"1e3", 1000.0},
        {"-2.5E-1", -0.25},
        {"\t0\r\n", 0.0},
        {"１２．５", 12.5},  // full-width digits and point
        {"－３", -3.0},      // full-width minus
        {"＋４", 4.0},
        {"−０．２５", -0.25},  // minus sign
        {"１ｅ３", 1000.0},
        {"　８０　", 80.0},  // ideographic spaces around it
        {"1.7976931348623157e308", std::numeric_limits<double>::max()},
    };
    for (const Case& c : cases) {
        const std::optional<double> value = ParseFieldNumber(c.text);
        ASSERT_TRUE(value) << c.text;
        EXPECT_EQ(*value, c.value) << c.text;
    }
}

TEST(FieldParser, TextThatIsNoFiniteNumberIsRefused) {
    for (const char* text :
         {"",     "   ", "abc", "12.5dB", "1,5",      "1 2",          "--1",   "+-1",
          "-+1",  "nan", "NaN", "inf",    "-inf",     "infinity",     "1e999", "-1e999",
          "0x10", ".",   "-",   "e5",     "１２ｄＢ", "1\xE3\x80\x81"}) {  // a full-width comma after the
                                                                           // digit
        EXPECT_FALSE(ParseFieldNumber(text)) << text;
    }
}

TEST(FieldParser, IntegersAreSignsAndDigitsOnly) {
    EXPECT_EQ(ParseFieldInteger("10"), 10);
    EXPECT_EQ(ParseFieldInteger(" -7 "), -7);
    EXPECT_EQ(ParseFieldInteger("＋２０"), 20);
    EXPECT_EQ(ParseFieldInteger("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    for (const char* text : {"", "1.0", "1e3", "10x", "9223372036854775808", "- 1", "nan"})
        EXPECT_FALSE(ParseFieldInteger(text)) << text;
}

TEST(FieldParser, FieldsShowFifteenSignificantDigits) {
    EXPECT_EQ(FieldText(0.1), "0.1");
    EXPECT_EQ(FieldText(3600.0), "3600");
    EXPECT_EQ(FieldText(60.0 - 30.2), "29.8");  // not 29.799999999999997
    EXPECT_EQ(FieldText(1e-7), "1e-07");
    EXPECT_EQ(FieldText(std::int32_t{-12}), "-12");
    // What a field shows reads back as the same number for values typed with up to 15 digits.
    for (double v : {1.5, -10000.0, 123456.789, 0.001, 86400.0})
        EXPECT_EQ(ParseFieldNumber(FieldText(v)), v);
}

TEST(FieldReader, StopsAtTheFirstRefusedFieldWithItsMessageAndControl) {
    double a = -1.0, b = -1.0, c = -1.0;
    std::int32_t n = -1;
    FieldReader reader;
    reader.Number("5", 0.0, 10.0, "a", 101, a)
        .Number("10.5", 0.0, 10.0, "b", 102, b)  // out of range: stops here
        .Number("x", "c", 103, c)
        .Integer("3", 1, 5, "n", 104, n);
    ASSERT_TRUE(reader.issue());
    EXPECT_EQ(reader.issue()->message, "0 から 10 までの数字を入力してください。");
    EXPECT_EQ(reader.issue()->controlId, 102);
    EXPECT_EQ(a, 5.0);
    EXPECT_EQ(b, -1.0);  // refused fields and the fields after them keep their values
    EXPECT_EQ(c, -1.0);
    EXPECT_EQ(n, -1);

    const UserMessage box = FieldMessage(*reader.issue());
    EXPECT_EQ(box.caption, "Kelmora");
    EXPECT_EQ(box.icon, MessageIcon::kWarning);
    EXPECT_EQ(box.focusControl, 102);
}

TEST(FieldReader, MessagesOfTheFramework) {
    double v = 0.0;
    std::int32_t n = 0;
    struct Case {
        FieldReader reader;
        const char* message;
    };
    const Case cases[] = {
        {FieldReader{}.Number("abc", 0.0, 1.0, "v", 1, v), "数字を入力してください。"},
        {FieldReader{}.Number("nan", "v", 1, v), "数字を入力してください。"},  // also without a range
        {FieldReader{}.Number("-0.001", 0.0, 1000.0, "v", 1, v),
         "0 から 1000 までの数字を入力してください。"},
        {FieldReader{}.Number("-10001", -10000.0, 10000.0, "v", 1, v),
         "-10000 から 10000 までの数字を入力してください。"},
        {FieldReader{}.Integer("1001", 1, 1000, "n", 1, n), "1 から 1000 までの整数を入力してください。"},
        {FieldReader{}.Integer("2.5", 1, 1000, "n", 1, n), "1 から 1000 までの整数を入力してください。"},
        {FieldReader{}.Integer("", 0, 100, "n", 1, n), "0 から 100 までの整数を入力してください。"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.reader.issue()) << c.message;
        EXPECT_EQ(c.reader.issue()->message, c.message);
    }
    // The limits themselves are accepted.
    EXPECT_TRUE(FieldReader{}.Number("1000", 0.0, 1000.0, "v", 1, v).ok());
    EXPECT_TRUE(FieldReader{}.Integer("1", 1, 1000, "n", 1, n).ok());
}

TEST(FieldReader, ChecksOfADialogGetTheCheckBox) {
    const UserMessage box =
        FieldMessage({ValidationKind::kCheck, "左側より高くしてください", "gridTopHeight", 1173});
    EXPECT_EQ(box,
              (UserMessage{"入力チェック", "左側より高くしてください", MessageIcon::kInformation, 1173}));
}

}  // namespace
}  // namespace kelmora
