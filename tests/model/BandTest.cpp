#include <gtest/gtest.h>

#include <cmath>

#include "model/Band.h"
#include "model/persistence/Archive.h"

namespace kelmora {
namespace {

CBand OctaveBand(std::array<double, 7> values) {
    CBand b;
    b.kind = 1;
    b.octave = values;
    return b;
}

TEST(Band, NewBandIsThirdOctaveZeroUntitled) {
    const CBand b;
    EXPECT_EQ(b.kind, 2);
    EXPECT_EQ(b.bandCount(), 21);
    EXPECT_TRUE(b.allEqual(0.0));
    EXPECT_EQ(b.overall, 0.0);
    EXPECT_TRUE(b.title.empty());
}

TEST(Band, OverallLevelSumsEnergy) {
    EXPECT_NEAR(CBand::Filled(30.0).overallLevel(), 30.0 + 10.0 * std::log10(21.0), 1e-12);
    // No sound in every band is still the energy of 21 bands, not −100.
    EXPECT_NEAR(CBand::Filled(-100.0).overallLevel(), -86.78, 0.005);
    CBand silent = CBand::Filled(-1e6);
    EXPECT_EQ(silent.overallLevel(), kNoSoundLevel);
    CBand oa;
    oa.kind = 0;
    oa.overall = 55.5;
    EXPECT_DOUBLE_EQ(oa.overallLevel(), 55.5);
}

TEST(Band, AddEnergyOfEqualBandsAddsThreeDecibels) {
    CBand a = CBand::Filled(60.0);
    a.overall = 12.0;
    a.addEnergy(CBand::Filled(60.0));
    for (double v : a.third)
        EXPECT_NEAR(v, 63.0103, 1e-4);
    // The stored overall value is not refreshed by arithmetic.
    EXPECT_EQ(a.overall, 12.0);
    CBand b = CBand::Filled(60.0);
    b.addEnergy(CBand::Filled(-100.0));
    for (double v : b.third)
        EXPECT_NEAR(v, 60.0, 1e-6);
}

TEST(Band, AddEnergyOfNoEnergyGivesNoSound) {
    // Levels so low that their energy underflows to zero.
    CBand a = CBand::Filled(-1e6);
    a.addEnergy(CBand::Filled(-1e6));
    EXPECT_TRUE(a.allEqual(kNoSoundLevel));
}

TEST(Band, LevelAtPicksTheBandContainingTheFrequency) {
    CBand b;
    for (int i = 0; i < 21; ++i)
        b.third[i] = i;
    struct Case {
        double f;
        double expected;
    };
    const double sixth = std::pow(2.0, 1.0 / 6.0);
    for (const Case& c : {Case{10.0, 0}, Case{50.0, 0}, Case{50.0 * sixth, 0}, Case{50.0 * sixth + 1e-9, 1},
                          Case{1000.0, 13}, Case{5000.0, 20}, Case{5000.0 * sixth, 20}, Case{6000.0, 20}}) {
        EXPECT_EQ(b.levelAt(c.f), c.expected) << "f = " << c.f;
    }
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(b.levelAt(bandFrequency(2, i)), i);

    const CBand oct = OctaveBand({1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(oct.levelAt(20.0), 1);
    EXPECT_EQ(oct.levelAt(63.0 * std::sqrt(2.0)), 1);
    EXPECT_EQ(oct.levelAt(1000.0), 5);
    EXPECT_EQ(oct.levelAt(5000.0), 7);
    // Sums of spectra of one kind read each band's own value on this ground.
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(oct.levelAt(bandFrequency(1, i)), i + 1);
}

TEST(Band, AddLevelsAcrossKindsUsesTheContainingBand) {
    CBand third = CBand::Filled(50.0);
    third.addLevels(OctaveBand({1, 2, 3, 4, 5, 6, 7}));
    // 50 Hz, 63 Hz and 80 Hz fall in the 63 Hz octave (up to 89 Hz); 100 Hz in the 125 Hz octave.
    EXPECT_EQ(third.third[0], 51);
    EXPECT_EQ(third.third[2], 51);
    EXPECT_EQ(third.third[3], 52);
    EXPECT_EQ(third.third[20], 57);

    CBand area = CBand::Filled(10.0);
    area.multiplyLevels(CBand::Filled(0.25));
    EXPECT_TRUE(area.allEqual(2.5));
}

TEST(Band, OverallKindTakesTheOtherOverall) {
    CBand oa;
    oa.kind = 0;
    oa.overall = 60.0;
    oa.addEnergy(CBand::Filled(60.0 - 10.0 * std::log10(21.0)));
    EXPECT_NEAR(oa.overall, 63.0103, 1e-4);
    oa.addLevels(CBand::Filled(0.0));
    EXPECT_NEAR(oa.overall, 63.0103 + 10.0 * std::log10(21.0), 1e-4);
}

TEST(Band, SyncRepresentations) {
    CBand oct = OctaveBand({1, 2, 3, 4, 5, 6, 7});
    oct.syncRepresentations();
    const std::array<double, 21> expected = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6, 7, 7, 7};
    EXPECT_EQ(oct.third, expected);
    EXPECT_DOUBLE_EQ(oct.overall, oct.overallLevel());

    CBand third;
    for (int i = 0; i < 21; ++i)
        third.third[i] = 10 * i;
    third.syncRepresentations();
    // Octaves take the third band at their centre frequency, not the sum of their thirds.
    const std::array<double, 7> centres = {10, 40, 70, 100, 130, 160, 190};
    EXPECT_EQ(third.octave, centres);

    CBand oa;
    oa.kind = 0;
    oa.overall = 42.0;
    oa.syncRepresentations();
    EXPECT_TRUE(std::all_of(oa.third.begin(), oa.third.end(), [](double v) { return v == 42.0; }));
}

TEST(Band, AWeightingTable) {
    CBand flat = CBand::Filled(0.0);
    flat.addAWeighting();
    EXPECT_DOUBLE_EQ(flat.third[0], -30.2);
    EXPECT_DOUBLE_EQ(flat.third[13], 0.0);
    EXPECT_DOUBLE_EQ(flat.third[17], 1.3);
    EXPECT_DOUBLE_EQ(flat.third[20], 0.5);
    // The octave table agrees with the third table at the octave centres.
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(aWeighting(1, i), aWeighting(2, 3 * i + 1));
    EXPECT_EQ(aWeighting(0, 0), 0.0);
    EXPECT_EQ(bandFrequency(0, 0), 0.0);
}

TEST(Band, PointSourceConversionAndSpreading) {
    EXPECT_NEAR(PointSpreadingTerm(10.0, 2.0), -27.99, 0.005);
    EXPECT_NEAR(PointSpreadingTerm(10.0, 1.0), -31.0, 1e-12);
    CBand b = CBand::Filled(60.0);
    b.toPowerFromPointSpl(3.0, 2.0);
    for (double v : b.third)
        EXPECT_NEAR(v, 77.53, 0.005);
    b.applyPointSpreading(3.0, 2.0);
    for (double v : b.third)
        EXPECT_NEAR(v, 60.0, 1e-12);
}

TEST(Band, SerializeRoundTripKeepsAllThreeRepresentations) {
    CBand b;
    b.kind = 1;
    b.overall = 1.5;
    for (int i = 0; i < 7; ++i)
        b.octave[i] = -i - 0.25;
    for (int i = 0; i < 21; ++i)
        b.third[i] = i * 1.1;
    b.title = "コンプレッサ";
    CArchive out;
    b.Serialize(out);
    // kind, 29 doubles and the string (tag, length, 6 UTF-16 units).
    EXPECT_EQ(out.Bytes().size(), 4u + 29 * 8 + 4 + 12);
    CArchive in(out.Bytes().data(), out.Bytes().size());
    CBand r;
    r.Serialize(in);
    EXPECT_EQ(r, b);
    EXPECT_EQ(in.BytesLeft(), 0u);
}

}  // namespace
}  // namespace kelmora
