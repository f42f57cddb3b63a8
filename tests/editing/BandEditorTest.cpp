// The band editor without its window: what OK accepts, the tools' results against published values,
// and the messages with the field they focus.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "editing/BandEditor.h"
#include "editing/BandListTable.h"
#include "editing/FieldParser.h"

namespace kelmora {
namespace {

const BandEditorCaller& Absorption() {
    return BandEditorCallerFor(BandSpectrum::kAbsorption);
}
const BandEditorCaller& AveragePower() {
    return BandEditorCallerFor(BandSpectrum::kSourceAveragePower);
}

double FieldValue(const std::string& text) {
    const std::optional<double> v = ParseFieldNumber(text);
    EXPECT_TRUE(v) << text;
    return v.value_or(NAN);
}

TEST(BandEditorCallers, EachSpectrumHasItsOwnEntry) {
    std::set<std::string> captions;
    int index = 0;
    for (const BandEditorCaller& caller : BandEditorCallers()) {
        EXPECT_EQ(static_cast<int>(caller.spectrum), index++);
        EXPECT_EQ(&BandEditorCallerFor(caller.spectrum), &caller);
        EXPECT_TRUE(captions.insert(caller.caption).second) << caller.caption;
        EXPECT_LT(caller.min, caller.max);
        // Only sound power spectra are levels that the tools make sense for.
        EXPECT_EQ(caller.levelTools, caller.min < 0.0) << caller.caption;
    }
    EXPECT_EQ(index, 13);
}

TEST(BandEditor, ShowsTheSpectrumAndItsCaption) {
    CBand band = CBand::Filled(0.25);
    band.third[20] = 0.5;
    band.title = "グラスウール";
    const BandEditor editor(band, Absorption());
    EXPECT_EQ(editor.bandTexts[0], "0.25");
    EXPECT_EQ(editor.bandTexts[20], "0.5");
    EXPECT_EQ(editor.titleText, "グラスウール");
    EXPECT_EQ(editor.WindowTitle(), "吸音率");
    EXPECT_EQ(editor.allBandsText, "0");
    EXPECT_EQ(editor.distanceText, "3");
    EXPECT_EQ(editor.qText, "2");

    // A spectrum of an older file given as an overall value shows that value in every band.
    CBand overall;
    overall.kind = 0;
    overall.overall = 70.0;
    const BandEditor older(overall, AveragePower());
    for (const std::string& text : older.bandTexts)
        EXPECT_EQ(text, "70");

    EXPECT_EQ(BandEditor(band, BandEditorCaller{}).WindowTitle(), "バンドの値を編集");
}

TEST(BandEditor, OkStoresOnlyValuesWithinTheCallersRange) {
    CBand band = CBand::Filled(0.5);
    BandEditor editor(band, Absorption());
    editor.bandTexts.fill("1");
    editor.bandTexts[0] = "0";
    editor.bandTexts[5] = "1.0001";
    editor.bandTexts[10] = "-0.1";
    editor.titleText = "new";

    const std::optional<UserMessage> refused = editor.Accept(band);
    ASSERT_TRUE(refused);
    EXPECT_EQ(*refused, (UserMessage{"入力チェック", "0.000000以上 1.000000以下の数値を入力してください",
                                     MessageIcon::kInformation, 1027}));  // the first band outside: 160 Hz
    EXPECT_EQ(band, CBand::Filled(0.5));

    editor.bandTexts[5] = "1";
    editor.bandTexts[10] = "0";
    ASSERT_FALSE(editor.Accept(band));
    EXPECT_EQ(band.kind, 2);
    EXPECT_EQ(band.third[0], 0.0);
    EXPECT_EQ(band.third[10], 0.0);
    EXPECT_EQ(band.third[20], 1.0);
    EXPECT_EQ(band.title, "new");

    BandEditor power(band, AveragePower());
    power.bandTexts.fill("300");
    power.bandTexts[20] = "300.001";
    EXPECT_EQ(power.Accept(band)->text, "-300.000000以上 300.000000以下の数値を入力してください");
}

TEST(BandEditor, EveryFieldMustBeAFiniteNumber) {
    struct Case {
        void (*edit)(BandEditor&);
        const char* message;
        int focus;
    };
    const Case cases[] = {
        {[](BandEditor& e) { e.bandTexts[3] = "12dB"; }, "数字を入力してください。", 1025},
        {[](BandEditor& e) { e.bandTexts[20] = "nan"; }, "数字を入力してください。", 1042},
        {[](BandEditor& e) { e.allBandsText = "inf"; }, "数字を入力してください。", 1043},
        // A point source's level 0 m away is infinite; a directivity below 1 means nothing.
        {[](BandEditor& e) { e.distanceText = "0"; }, "0.001 以上の数字を入力してください。", 1044},
        {[](BandEditor& e) { e.qText = "0.99"; }, "1 以上の数字を入力してください。", 1019},
    };
    for (const Case& c : cases) {
        CBand band = CBand::Filled(60.0);
        BandEditor editor(band, AveragePower());
        c.edit(editor);
        const BandEditor before = editor;
        // Every button that reads the fields refuses the same way and changes nothing.
        const std::optional<UserMessage> messages[] = {editor.Accept(band), editor.SetAllBands(),
                                                       editor.ApplyAWeighting(), editor.ConvertToPower(),
                                                       editor.OverallValue()};
        for (const std::optional<UserMessage>& m : messages) {
            ASSERT_TRUE(m) << c.message;
            EXPECT_EQ(*m, (UserMessage{"Kelmora", c.message, MessageIcon::kWarning, c.focus}));
        }
        EXPECT_EQ(editor.bandTexts, before.bandTexts);
        EXPECT_EQ(band, CBand::Filled(60.0));
    }
}

TEST(BandEditor, AllBandsValueMustLieInTheRange) {
    BandEditor editor(CBand{}, Absorption());
    editor.allBandsText = "1.5";
    EXPECT_EQ(editor.SetAllBands(),
              (UserMessage{"入力チェック", "0.000000以上 1.000000以下の数値を入力してください",
                           MessageIcon::kInformation, 1043}));
    EXPECT_EQ(editor.bandTexts[7], "0");
    editor.allBandsText = "０．８";
    EXPECT_FALSE(editor.SetAllBands());
    for (const std::string& text : editor.bandTexts)
        EXPECT_EQ(text, "0.8");
}

TEST(BandEditor, AWeightingOfZerosGivesTheAWeightingTable) {
    // IEC 61672-1 A-weighting at the nominal one-third-octave frequencies, rounded to 0.1 dB.
    const double table[kThirdOctaveBands] = {-30.2, -26.2, -22.5, -19.1, -16.1, -13.4, -10.9,
                                             -8.6,  -6.6,  -4.8,  -3.2,  -1.9,  -0.8,  0.0,
                                             0.6,   1.0,   1.2,   1.3,   1.2,   1.0,   0.5};
    BandEditor editor(CBand{}, AveragePower());
    ASSERT_FALSE(editor.ApplyAWeighting());
    for (int i = 0; i < kThirdOctaveBands; ++i)
        EXPECT_EQ(FieldValue(editor.bandTexts[i]), table[i]) << i;
}

TEST(BandEditor, OverallValueOfTheFields) {
    BandEditor editor(CBand::Filled(30.0), AveragePower());
    // 30 dB in 21 bands: 30 + 10·log10 21 = 43.22 dB.
    EXPECT_EQ(editor.OverallValue(),
              (UserMessage{"オーバーオール値", "43.2[dB]", MessageIcon::kInformation}));
    editor.bandTexts.fill("-100");
    editor.bandTexts[13] = "80";
    EXPECT_EQ(editor.OverallValue().text, "80.0[dB]");
}

TEST(BandEditor, ConversionToSoundPowerUsesDistanceAndQ) {
    BandEditor editor(CBand::Filled(60.0), AveragePower());
    ASSERT_FALSE(editor.ConvertToPower());
    // 3 m, Q = 2: + 20·log10 3 + 11 − 10·log10 2 = + 17.53 dB, shown to a tenth of a decibel.
    EXPECT_EQ(editor.bandTexts[0], "77.5");
    editor.bandTexts.fill("50");
    editor.distanceText = "10";
    editor.qText = "1";
    ASSERT_FALSE(editor.ConvertToPower());
    EXPECT_EQ(editor.bandTexts[20], "81.0");  // + 20 + 11 − 0
}

TEST(BandEditor, ToolsWriteBackValuesRoundedForPeople) {
    // 68.99 dB at 1 m from a source of Q = 1 is 79.9897… dB of power: the field shows 80.0, not
    // "79.9897000433602" whose start a narrow field cannot show.
    BandEditor editor(CBand::Filled(68.99), AveragePower());
    editor.distanceText = "1";
    editor.qText = "1";
    ASSERT_FALSE(editor.ConvertToPower());
    for (const std::string& text : editor.bandTexts)
        EXPECT_EQ(text, "80.0");
    editor.bandTexts.fill("0.04");
    ASSERT_FALSE(editor.ApplyAWeighting());
    EXPECT_EQ(editor.bandTexts[13], "0.0") << "1 kHz: 0.04 + 0 rounds to zero without a sign";
    EXPECT_EQ(editor.bandTexts[0], "-30.2");
    // Absorption and transmission spectra keep hundredths.
    EXPECT_EQ(ToolResultDecimals(Absorption()), 2);
    EXPECT_EQ(ToolResultDecimals(BandEditorCallerFor(BandSpectrum::kTransmissionLoss)), 2);
    EXPECT_EQ(RoundedFieldText(0.125, 2), "0.13");
    EXPECT_EQ(RoundedFieldText(-0.004, 2), "0.00");
    // OK stores what the fields show.
    CBand stored;
    ASSERT_FALSE(editor.Accept(stored));
    EXPECT_EQ(stored.third[0], -30.2);
}

TEST(BandEditor, AppendingNeedsATitleTheLibraryCanHold) {
    BandEditor editor(CBand::Filled(70.0), AveragePower());
    auto result = editor.SpectrumToAppend();
    ASSERT_TRUE(std::holds_alternative<UserMessage>(result));
    EXPECT_EQ(std::get<UserMessage>(result), (UserMessage{"ファイル出力", "出力タイトルを入力してください",
                                                          MessageIcon::kInformation, 1045}));
    editor.titleText = "fan 😀";
    result = editor.SpectrumToAppend();
    ASSERT_TRUE(std::holds_alternative<UserMessage>(result));
    EXPECT_EQ(std::get<UserMessage>(result).focusControl, 1045);

    editor.titleText = "fan, north";
    editor.bandTexts[2] = "71.5";
    result = editor.SpectrumToAppend();
    ASSERT_TRUE(std::holds_alternative<CBand>(result));
    EXPECT_EQ(std::get<CBand>(result).title, "fan, north");
    EXPECT_EQ(std::get<CBand>(result).third[2], 71.5);
}

TEST(BandEditor, TakingALibrarySpectrumFillsFieldsNotTheSpectrum) {
    CBand edited = CBand::Filled(1.0);
    BandEditor editor(edited, AveragePower());
    CBand taken = CBand::Filled(88.5);
    taken.title = "compressor";
    editor.TakeSpectrum(taken);
    EXPECT_EQ(editor.bandTexts[4], "88.5");
    EXPECT_EQ(editor.titleText, "compressor");
    EXPECT_EQ(edited, CBand::Filled(1.0));
}

TEST(BandListTable, RowsShowTitleAndValues) {
    CBand band = CBand::Filled(85.0);
    band.title = "fan";
    band.third[1] = 0.123456789;
    const auto row = BandListRow(band);
    EXPECT_EQ(row[0], "fan");
    EXPECT_EQ(row[1], "85");
    EXPECT_EQ(row[2], "0.123457");
    // The header of every band names its own frequency (the 3150 Hz one in kHz like its neighbours).
    EXPECT_STREQ(BandListHeaders()[19], " 3.15kHz ");
    for (int i = 1; i < kBandListColumns; ++i) {
        const std::string header = BandListHeaders()[i];
        EXPECT_NE(header.find(BandFieldLabels()[i - 1]), std::string::npos) << header;
        EXPECT_NE(header.find("Hz"), std::string::npos);
    }
}

}  // namespace
}  // namespace kelmora
