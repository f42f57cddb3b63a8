// Expected bytes are written out by hand: CP932 codes from the JIS table (★ 81 9A, → 81 A8, ...),
// line breaks as CR LF.
#include "calc/BreakdownWriter.h"

#include <gtest/gtest.h>

#include <limits>

#include "FakeRunHost.h"
#include "calc/TextOutput.h"
#include "model/persistence/TextCodec.h"

namespace kelmora {
namespace {

std::string Repeat(std::string_view piece, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += piece;
    return s;
}

// The indentation of a line at `level` followed by the marker bytes.
std::string Lead(int level, std::string_view marker) {
    return Repeat(" ,", level) + (level >= 1 ? " " : "") + std::string(marker);
}

TEST(BreakdownWriter, IndentationAndMarkersByLevel) {
    const struct {
        int level;
        const char* marker;  // CP932
    } cases[] = {{0, "\x81\x9a"},  {1, "\x81\x9f"},  {2, "\x81\xa1"},  {5, "\x81\x9c"},
                 {12, "\x81\x5a"}, {13, "\x81\x45"}, {14, "\x81\x9a"}, {15, "\x81\x9f"}};
    for (const auto& c : cases) {
        CTextBuffer out;
        CBreakdownWriter w(&out, nullptr);
        w.LineAtLevel(0, c.level, "x");
        EXPECT_EQ(out.bytes(), Lead(c.level, c.marker) + "x") << c.level;
    }
}

TEST(BreakdownWriter, LevelChangesOfNewLinesAndDirectChanges) {
    CTextBuffer out;
    CBreakdownWriter w(&out, nullptr);
    w.WriteBreakdown("a", 1, 0, kSetLevel, 2);     // level 2
    w.WriteBreakdown("b", 0, 5, kAddToLevel, 7);   // appended: neither breaks nor level change
    w.WriteBreakdown("c", 1, 1, kAddToLevel, -1);  // level 1
    w.ChangeLevel(1);
    w.Line(2, "d");  // level 2 after two breaks
    w.ChangeLevel(-5);
    EXPECT_EQ(w.level(), -3) << "direct changes are not clamped";
    w.Line(1, "e");  // a negative level becomes 0
    w.WriteBreakdown("f", 1, 1, kAddToLevel, -4);
    EXPECT_EQ(out.bytes(), Lead(2, "\x81\xa1") + "ab" + "\r\n" + Lead(1, "\x81\x9f") + "c" + "\r\n\r\n" +
                               Lead(2, "\x81\xa1") + "d" + "\r\n" + Lead(0, "\x81\x9a") + "e" + "\r\n" +
                               Lead(0, "\x81\x9a") + "f");
    EXPECT_EQ(w.level(), 0);
}

TEST(BreakdownWriter, JapaneseTextAsCp932AndLineFeedsAsCrLf) {
    CTextBuffer out;
    CBreakdownWriter w(&out, nullptr);
    w.LineAtLevel(0, 0, "予測点");
    w.Append("€\n");
    EXPECT_EQ(out.bytes(), "\x81\x9a\x97\x5c\x91\xaa\x93\x5f?\r\n");
}

TEST(BreakdownWriter, CoordinatesAndFaceItems) {
    CTextBuffer out;
    CBreakdownWriter w(&out, nullptr);
    w.AppendCoordinates({1.2345, -0.5, 100.0});
    EXPECT_EQ(out.bytes(), ", X[m]\x81\xa8, 1.234, Y[m]\x81\xa8, -0.500, Z[m]\x81\xa8, 100.000");

    CTextBuffer face;
    CBreakdownWriter f(&face, nullptr);
    f.AppendFace({CVector3D{0, 0, 0}, {10, 0, 0}, {10, 0, 2.5}, {0, 0, 2.5}}, {false, true, false, true});
    EXPECT_EQ(Cp932ToUtf8(face.bytes()),
              ", 角1_X[m]→, 0.000, 角1_Y[m]→, 0.000, 角1_Z[m]→, 0.000"
              ", 角2_X[m]→, 10.000, 角2_Y[m]→, 0.000, 角2_Z[m]→, 0.000"
              ", 角3_X[m]→, 10.000, 角3_Y[m]→, 0.000, 角3_Z[m]→, 2.500"
              ", 角4_X[m]→, 0.000, 角4_Y[m]→, 0.000, 角4_Z[m]→, 2.500"
              ", 辺(角1-角2)_回折無し, 辺(角2-角3)_回折あり, 辺(角3-角4)_回折無し, 辺(角4-角1)_回折あり");
    EXPECT_NE(face.bytes().find("\x95\xd3(\x8a\x70"
                                "1-\x8a\x70"
                                "2)_\x89\xf1\x90\xdc\x96\xb3\x82\xb5"),
              std::string::npos);
}

TEST(BreakdownWriter, SpectrumWithOverallOfTheValuesAsTheyStand) {
    CBand spectrum = CBand::Filled(50.0);
    spectrum.overall = 0.0;  // stale: arithmetic does not refresh it
    spectrum.third[20] = -std::numeric_limits<double>::infinity();
    CTextBuffer out;
    CBreakdownWriter w(&out, nullptr);
    w.AppendSpectrum(spectrum, true);
    // 20 bands of 50 dB: 50 + 10·log10(20) = 63.01 dB.
    std::string expected = ", OA→, 63.01";
    const char* frequencies[] = {"50",   "63",   "80",   "100",  "125",  "160",  "200",
                                 "250",  "315",  "400",  "500",  "630",  "800",  "1000",
                                 "1250", "1600", "2000", "2500", "3150", "4000", "5000"};
    for (int i = 0; i < 21; ++i)
        expected += std::string(", ") + frequencies[i] + "[Hz]バンド→, " + (i < 20 ? "50.00" : "-inf");
    EXPECT_EQ(Cp932ToUtf8(out.bytes()), expected);

    CTextBuffer noOverall;
    CBreakdownWriter v(&noOverall, nullptr);
    v.AppendSpectrum(CBand::Filled(-3.014), false);
    EXPECT_TRUE(
        Cp932ToUtf8(noOverall.bytes()).starts_with(", 50[Hz]バンド→, -3.01, 63[Hz]バンド→, -3.01, 80[Hz]"));
}

TEST(BreakdownWriter, CancelIsNoticedAtEveryWriteEvenWithoutFile) {
    IdleJob job;
    CTextBuffer out;
    CBreakdownWriter withFile(&out, &job);
    CBreakdownWriter withoutFile(nullptr, &job);
    withFile.Line(0, "a");
    withoutFile.Line(0, "a");
    job.RequestCancel();
    EXPECT_THROW(withFile.Line(1, "b"), JobCancelled);
    EXPECT_THROW(withFile.AppendCoordinates({}), JobCancelled);
    EXPECT_THROW(withoutFile.Append("b"), JobCancelled);
    EXPECT_THROW(withoutFile.AppendSpectrum(CBand(), true), JobCancelled);
    EXPECT_EQ(out.bytes(),
              "\x81\x9a"
              "a");
}

TEST(TextFile, WriteFailureIsReportedOnceAndRaised) {
    IdleJob job;
    auto file = CTextFile::Create("/dev/full", &job);
    ASSERT_TRUE(file);
    CBreakdownWriter w(file.get(), &job);
    // The file is written through a buffer: the failure shows when the buffer is written out.
    EXPECT_THROW(
        {
            for (int i = 0; i < 100000; ++i)
                w.Line(1, "伝搬経路");
        },
        TextFileWriteError);
    EXPECT_TRUE(job.errorReported());
    EXPECT_EQ(job.errorText(), "テキストファイル出力失敗!");
    EXPECT_FALSE(job.cancelRequested());

    // A later failure keeps the first text.
    job.ReportWriteError("先の失敗");
    auto second = CTextFile::Create("/dev/full", &job);
    second->Write("x");
    EXPECT_THROW(second->Close(), TextFileWriteError);
    EXPECT_EQ(job.errorText(), "テキストファイル出力失敗!");
}

}  // namespace
}  // namespace kelmora
