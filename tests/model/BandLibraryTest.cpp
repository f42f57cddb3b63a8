// The band library CSV: splitting of a line into fields, reading of band values, whole-file reading
// with its messages, bounds, and appending in CP932 with CR LF.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/persistence/BandLibrary.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using Fields = std::vector<std::string>;

// "title,1,2,...,21" plus `extra` more fields.
std::string Line(const std::string& title, int extra = 0) {
    std::string line = title;
    for (int i = 1; i <= kThirdOctaveBands + extra; ++i)
        line += "," + std::to_string(i);
    return line;
}

// A message of the library reader: caption "バンド情報選択" and the error icon.
UserMessage SelectError(const std::string& text) {
    return {"バンド情報選択", text, MessageIcon::kError};
}

class BandLibraryFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("kelmora-band-library-") + test->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string PathOf(const char* name) const { return (folder_ / name).string(); }
    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    fs::path folder_;
};

TEST(BandLibrarySplit, QuotedFieldsSpanCommasAndDoubledQuotesCollapse) {
    struct Case {
        const char* line;
        Fields fields;
    };
    const std::vector<Case> cases = {
        {"a,b,c", {"a", "b", "c"}},
        {"", {""}},                     // an empty line is one empty field
        {"a,,b,", {"a", "", "b", ""}},  // empty fields, also the last
        {"\"a,b\",1", {"a,b", "1"}},    // a quoted title with a comma
        {"\"a,,b\",1", {"a,,b", "1"}},
        {"\"\",1", {"", "1"}},    // an empty quoted field
        {"\",\",1", {",", "1"}},  // a quoted comma alone
        {"\"say \"\"hi\"\"\",1", {"say \"hi\"", "1"}},
        {"x\"\"y,1", {"x\"y", "1"}},             // doubled quotes collapse unquoted too
        {"\"a\"\"\"\"b\",1", {"a\"b", "1"}},     // every run of quotes becomes one
        {"\"a\"\",b\",1", {"a\"", "b\"", "1"}},  // a quote before a comma closes the field
        {"1,\"open,2", {"1"}},                   // a quote never closed: the rest is dropped
        {"\"", {}},
        {" \"a,b\"", {" \"a", "b\""}},  // only a field that starts with a quote is quoted
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitBandLibraryFields(c.line), c.fields) << c.line;
}

TEST(BandLibraryNumber, ReadFromTheStartOfTheFieldAfterBlanks) {
    struct Case {
        const char* field;
        double value;
    };
    const Case accepted[] = {
        {" 12.5dB", 12.5}, {"85", 85.0},   {"\t-3.5", -3.5}, {"+7", 7.0}, {"1e2x", 100.0},
        {"0x10", 0.0},     {"  .5 ", 0.5}, {"-0", -0.0},     {"4,", 4.0}, {"1.5.5", 1.5},
    };
    for (const Case& c : accepted) {
        const std::optional<double> v = ReadBandLibraryNumber(c.field);
        ASSERT_TRUE(v) << c.field;
        EXPECT_EQ(*v, c.value) << c.field;
    }
    for (const char* field : {"", " ", "dB", "x12", "+-1", "nan", "inf", "-infinity", "1e400", "１２"})
        EXPECT_FALSE(ReadBandLibraryNumber(field)) << field;
}

TEST(BandLibraryRead, TakesTheTitleAndTheFirst21ValuesOfEveryLine) {
    const std::string bytes = Line("\"fan, north\"", 4) + "\r\n" + Line("pump") + "\r\n" + Line("") + "\n";
    const BandLibraryRead read = ReadBandLibrary(bytes, "lib.csv");
    ASSERT_FALSE(read.message);
    ASSERT_EQ(read.spectra.size(), 3u);
    EXPECT_EQ(read.spectra[0].title, "fan, north");
    EXPECT_EQ(read.spectra[1].title, "pump");
    EXPECT_EQ(read.spectra[2].title, "");
    for (const CBand& band : read.spectra) {
        EXPECT_EQ(band.kind, 2);
        for (int i = 0; i < kThirdOctaveBands; ++i)
            EXPECT_EQ(band.third[i], i + 1);
    }
}

TEST(BandLibraryRead, TitlesAreDecodedFromCp932) {
    // "送風機" in CP932, the values with a unit after them.
    std::string line = "\x91\x97\x95\x97\x8B\x40";
    for (int i = 0; i < kThirdOctaveBands; ++i)
        line += ", 60dB";
    const BandLibraryRead read = ReadBandLibrary(line, "lib.csv");
    ASSERT_EQ(read.spectra.size(), 1u);
    EXPECT_EQ(read.spectra[0].title, "送風機");
    EXPECT_TRUE(read.spectra[0].allEqual(60.0));
}

TEST(BandLibraryRead, TheFirstBadLineStopsReadingWithNothingTaken) {
    struct Case {
        std::string bytes;
        UserMessage message;
    };
    const std::string good = Line("a") + "\r\n";
    const std::vector<Case> cases = {
        {good + Line("b", -1) + "\r\n", SelectError("2行目がフィールド数が足りませんでした．")},  // 21 fields
        {good + "\r\n" + good, SelectError("2行目がフィールド数が足りませんでした．")},  // an empty line
        {good + good + "x,1,2,3,4,5,6,7,8,9,10,dB,12,13,14,15,16,17,18,19,20,21\r\n",
         SelectError("3行目のフィールドが数値に変換できませんでした．")},
        {good + Line("\"open, 1", 1), SelectError("2行目がフィールド数が足りませんでした．")},
        {good + "t,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,nan",
         SelectError("2行目のフィールドが数値に変換できませんでした．")},
        {"", {"バンド情報選択", "バンド情報を取得できませんでした", MessageIcon::kInformation}},
    };
    for (const Case& c : cases) {
        const BandLibraryRead read = ReadBandLibrary(c.bytes, "lib.csv");
        EXPECT_TRUE(read.spectra.empty()) << c.message.text;
        EXPECT_EQ(read.message, c.message);
    }
    // Values beyond the 22nd field are not read at all.
    EXPECT_EQ(ReadBandLibrary(Line("a") + ",dB,,\"", "lib.csv").spectra.size(), 1u);
}

TEST(BandLibraryRead, IsBoundedInLineLengthAndFileSize) {
    const UserMessage failed = SelectError("入力時にエラーが発生しました.\n(big.csv)");
    std::string longTitle(kBandLibraryMaxLineBytes, 'x');
    EXPECT_EQ(ReadBandLibrary(Line(longTitle), "big.csv").message, failed);
    longTitle.resize(kBandLibraryMaxLineBytes - Line("").size());
    EXPECT_EQ(ReadBandLibrary(Line(longTitle), "big.csv").spectra.size(), 1u);  // the longest line allowed

    std::string many;
    while (many.size() <= kBandLibraryMaxBytes)
        many += Line("t") + "\n";
    EXPECT_EQ(ReadBandLibrary(many, "big.csv").message, failed);
}

TEST_F(BandLibraryFiles, FilesThatCannotBeReadGetTheirMessage) {
    const std::string missing = PathOf("missing.csv");
    EXPECT_EQ(ReadBandLibraryFile(missing).message,
              SelectError("入力CSVファイルオープンエラー\n(" + missing + ")"));
    const std::string folder = folder_.string();
    EXPECT_EQ(ReadBandLibraryFile(folder).message,
              SelectError("入力時にエラーが発生しました.\n(" + folder + ")"));
    // A device that never ends, and a pipe that nobody writes, are refused without reading.
    EXPECT_EQ(ReadBandLibraryFile("/dev/zero").message,
              SelectError("入力時にエラーが発生しました.\n(/dev/zero)"));
    const std::string fifo = PathOf("fifo.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadBandLibraryFile(fifo).message,
              SelectError("入力時にエラーが発生しました.\n(" + fifo + ")"));
}

TEST_F(BandLibraryFiles, AppendingWritesCp932LinesWithCrLfInOrder) {
    const std::string path = PathOf("lib.csv");
    CBand fan = CBand::Filled(85.25);
    fan.title = "送風機";
    fan.third[0] = -0.5;
    fan.third[20] = 1234567.0;  // "%g" keeps six digits
    CBand pump = CBand::Filled(60.0);
    pump.title = "pump";

    const UserMessage done{"バンド情報追加", "追加出力しました", MessageIcon::kInformation};
    EXPECT_EQ(AppendToBandLibrary(path, fan), done);
    EXPECT_EQ(AppendToBandLibrary(path, pump), done);

    std::string expected = "\x91\x97\x95\x97\x8B\x40, -0.5";
    for (int i = 1; i < 20; ++i)
        expected += ", 85.25";
    expected += ", 1.23457e+06\r\n";
    expected += "pump";
    for (int i = 0; i < 21; ++i)
        expected += ", 60";
    expected += "\r\n";
    EXPECT_EQ(Bytes(path), expected);

    const BandLibraryRead read = ReadBandLibraryFile(path);
    ASSERT_EQ(read.spectra.size(), 2u);
    EXPECT_EQ(read.spectra[0].title, "送風機");
    EXPECT_EQ(read.spectra[1].title, "pump");
}

TEST_F(BandLibraryFiles, AppendingKeepsWhatTheFileHeld) {
    const std::string path = PathOf("lib.csv");
    // A last line without its line break gets one before the new line.
    Write(path, Line("old"));
    CBand band = CBand::Filled(1.0);
    band.title = "new";
    AppendToBandLibrary(path, band);
    const BandLibraryRead read = ReadBandLibraryFile(path);
    ASSERT_EQ(read.spectra.size(), 2u);
    EXPECT_EQ(read.spectra[0].title, "old");
    EXPECT_EQ(read.spectra[1].title, "new");
    EXPECT_EQ(Bytes(path).substr(0, Line("old").size() + 2), Line("old") + "\r\n");
}

TEST_F(BandLibraryFiles, TitlesWithCommasAndQuotesReadBackUnshifted) {
    const std::string path = PathOf("lib.csv");
    const std::vector<std::string> titles = {
        "a,b", ",", "\"", "\"quoted", "end\"", "say \"hi\" now", "機械室,送風機", "a,\"b", " lead"};
    for (std::size_t k = 0; k < titles.size(); ++k) {
        CBand band = CBand::Filled(static_cast<double>(k));
        band.title = titles[k];
        band.third[20] = 99.0;
        ASSERT_EQ(AppendToBandLibrary(path, band).text, "追加出力しました") << titles[k];
    }
    const BandLibraryRead read = ReadBandLibraryFile(path);
    ASSERT_EQ(read.spectra.size(), titles.size()) << (read.message ? read.message->text : "");
    for (std::size_t k = 0; k < titles.size(); ++k) {
        EXPECT_EQ(read.spectra[k].title, titles[k]);
        EXPECT_EQ(read.spectra[k].third[0], static_cast<double>(k)) << titles[k];
        EXPECT_EQ(read.spectra[k].third[20], 99.0) << titles[k];
    }
}

TEST_F(BandLibraryFiles, TitlesTheFileCannotHoldAreRefusedBeforeWriting) {
    const std::string path = PathOf("lib.csv");
    Write(path, Line("kept") + "\r\n");
    struct Case {
        std::string title;
        std::string named;  // what the message names
    };
    const std::vector<Case> cases = {
        {"fan 😀", "😀"},
        {"Ω€≠Ωé€\xEF\xBC\xA1", "€é"},  // Ω, ≠ and the full-width A are CP932; each other one named once
        {"two\nlines", "改行"},
        {"a\"\"b", "\"\""},  // would read back with one quote
        {"x\",y", "\","},    // would end the quoted title at the comma
    };
    for (const Case& c : cases) {
        CBand band;
        band.title = c.title;
        const UserMessage refused = AppendToBandLibrary(path, band);
        EXPECT_EQ(refused.caption, "ファイル出力");
        EXPECT_EQ(refused.text, "タイトルの次の文字はCSVファイルに書けません: " + c.named) << c.title;
        EXPECT_EQ(UnwritableTitleCharacters(c.title), c.named);
    }
    EXPECT_EQ(Bytes(path), Line("kept") + "\r\n");
    CBand band;
    band.title = "☃";
    AppendToBandLibrary(PathOf("new.csv"), band);
    EXPECT_FALSE(fs::exists(PathOf("new.csv")));  // nothing created either
}

TEST_F(BandLibraryFiles, FailuresToOpenOrWriteAreReported) {
    CBand band;
    band.title = "t";
    const std::string unreachable = PathOf("no-such-folder/lib.csv");
    EXPECT_EQ(AppendToBandLibrary(unreachable, band),
              (UserMessage{"バンド情報追加", "出力ファイルオープンエラー\n(" + unreachable + ")",
                           MessageIcon::kError}));
    EXPECT_EQ(
        AppendToBandLibrary("/dev/full", band),
        (UserMessage{"バンド情報追加", "出力時にエラーが発生しました.\n(/dev/full)", MessageIcon::kError}));
}

}  // namespace
}  // namespace kelmora
