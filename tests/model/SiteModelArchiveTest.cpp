#include <gtest/gtest.h>

#include <cstring>

#include "SiteModelSamples.h"
#include "model/Noise.h"
#include "model/persistence/Archive.h"

namespace kelmora {
namespace {

using testing::LoadedFrom;
using testing::SampleModel;
using testing::StoredBytes;

// Little-endian bytes written independently of the archive.
struct ByteBuilder {
    std::vector<std::uint8_t> bytes;
    ByteBuilder& Int(std::int32_t v) { return Raw(&v, 4); }
    ByteBuilder& Double(double v) { return Raw(&v, 8); }
    ByteBuilder& EmptyString() {
        for (std::uint8_t b : {0xFF, 0xFE, 0xFF, 0x00})
            bytes.push_back(b);
        return *this;
    }
    // A one-third-octave spectrum with every band at v and no title.
    ByteBuilder& FilledBand(double v) {
        Int(2).Double(0);
        for (int i = 0; i < 7; ++i)
            Double(0);
        for (int i = 0; i < 21; ++i)
            Double(v);
        return EmptyString();
    }
    ByteBuilder& Point(double x, double y, double z) { return Double(x).Double(y).Double(z); }
    ByteBuilder& Raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return *this;
    }
};

TEST(SiteModelArchive, NewModelRecordHasTheNewProjectLayout) {
    CNoise model;
    ByteBuilder expected;
    expected.Int(0).Int(0).Int(0);                                     // ground lines, buildings, sources
    expected.Int(0).Double(0).Double(0).Double(0).EmptyString();       // mode, single point and its label
    expected.Int(0).Int(10).Int(10).Double(1.5).Int(0).EmptyString();  // list, divisions, height, grid, memo
    expected.Double(3.0).Double(0).Double(0).Double(10).Double(10);    // top height, line start and end
    expected.Double(3600).Double(250).Double(20).Double(60).Int(2);    // the five conditions
    EXPECT_EQ(StoredBytes(model), expected.bytes);
}

// Every field gets a distinct value so that a field written out of order shows.
TEST(SiteModelArchive, RecordsKeepTheirFieldOrder) {
    CWall wall;
    wall.type = 2;
    wall.rangeStart = 1;
    wall.rangeEnd = 2;
    wall.offsetHorizontal = 3;
    wall.offsetVertical = 4;
    wall.height = 5;
    wall.diffractTop = 6;
    wall.diffractBottom = 7;
    wall.diffractStart = 8;
    wall.diffractEnd = 9;
    wall.tl = CBand::Filled(10);
    wall.absorptionLeft = CBand::Filled(11);
    wall.absorptionRight = CBand::Filled(12);
    wall.diffuseLeft = 13;
    wall.diffuseRight = 14;
    wall.slopeSide = 15;
    wall.slopeHorizontal = 16;
    wall.slopeVertical = 17;
    ByteBuilder w;
    w.Int(2).Double(1).Double(2).Double(3).Double(4).Double(5).Int(6).Int(7).Int(8).Int(9);
    w.FilledBand(10)
        .FilledBand(11)
        .FilledBand(12)
        .Int(13)
        .Int(14)
        .Int(15)
        .Double(16)
        .Double(17)
        .EmptyString();
    EXPECT_EQ(StoredBytes(wall), w.bytes);

    CRectObstacle face;
    face.rect = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    face.diffracts = {10, 11, 12, 13};
    face.wedgeType = 14;
    face.reflects = 15;
    face.obstructs = 16;
    face.tl = CBand::Filled(17);
    face.absorptionLeft = CBand::Filled(18);
    face.absorptionRight = CBand::Filled(19);
    face.diffuseLeft = 20;
    face.diffuseRight = 21;
    face.edgeOffset = {22, 23, 24};
    ByteBuilder f;
    f.Point(1, 2, 3).Point(4, 5, 6).Point(7, 8, 9).Int(10).Int(11).Int(12).Int(13).Int(14).Int(15).Int(16);
    f.FilledBand(17).FilledBand(18).FilledBand(19).Int(20).Int(21).Point(22, 23, 24).EmptyString();
    EXPECT_EQ(StoredBytes(face), f.bytes);

    CBuildingWall outer;
    outer.polyline.vertices = {{1, 2, 3}};
    outer.closed = 4;
    outer.diffractStart = 5;
    outer.diffractEnd = 6;
    outer.absorption = CBand::Filled(7);
    outer.diffuse = 8;
    outer.bottomZ = 9;
    outer.diffractBottom = 10;
    outer.topZ = 11;
    outer.diffractTop = 12;
    ByteBuilder o;
    o.Int(1).Point(1, 2, 3).Int(4).Int(5).Int(6).FilledBand(7).Int(8).Double(9).Int(10).Double(11).Int(12);
    EXPECT_EQ(StoredBytes(outer), o.EmptyString().bytes);

    CWindow opening;
    opening.rect = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    opening.areaFromRect = 10;
    opening.area = 11;
    opening.absorption = CBand::Filled(12);
    opening.tl = CBand::Filled(13);
    opening.belongsTo = 14;
    opening.isOutdoorSource = 15;
    opening.q = 16;
    ByteBuilder op;
    op.Point(1, 2, 3).Point(4, 5, 6).Point(7, 8, 9).Int(10).Double(11).FilledBand(12).FilledBand(13);
    op.Int(14).Int(15).Double(16).Int(0).EmptyString();
    EXPECT_EQ(StoredBytes(opening), op.bytes);

    CRoom room;
    room.surfaceArea = 1;
    room.meanAbsorption = CBand::Filled(2);
    room.computeFromShape = 3;
    room.ceilingZ = 4;
    room.floorZ = 5;
    room.defaultAbsorptionCeiling = CBand::Filled(6);
    room.defaultAbsorptionFloor = CBand::Filled(7);
    room.defaultAbsorptionWall = CBand::Filled(8);
    room.defaultTl = CBand::Filled(9);
    room.openings.resize(1);
    ByteBuilder r;
    r.Double(1).FilledBand(2).Int(3).Double(4).Double(5).Int(0);
    r.FilledBand(6).FilledBand(7).FilledBand(8).FilledBand(9).Int(1);
    const std::vector<std::uint8_t> newOpening = StoredBytes(room.openings[0]);
    r.Raw(newOpening.data(), newOpening.size()).Int(0).EmptyString();
    EXPECT_EQ(StoredBytes(room), r.bytes);

    CGroundLine line;
    line.polyline.vertices = {{1, 2, 3}};
    line.absorptionLeft = CBand::Filled(4);
    line.absorptionRight = CBand::Filled(5);
    ByteBuilder g;
    g.Int(1).Point(1, 2, 3).FilledBand(4).FilledBand(5).Int(0).EmptyString();
    EXPECT_EQ(StoredBytes(line), g.bytes);

    CSound source;
    source.position = {1, 2, 3};
    source.q = 4;
    source.noiseType = 5;
    source.duration = 6;
    source.eventsPerHour = 7;
    source.powerAverage = CBand::Filled(8);
    source.powerMax = CBand::Filled(9);
    ByteBuilder so;
    so.Point(1, 2, 3).Double(4).Int(5).Double(6).Double(7).FilledBand(8).FilledBand(9).EmptyString();
    EXPECT_EQ(StoredBytes(source), so.bytes);
}

TEST(SiteModelArchive, SampleModelRoundTripsByteForByte) {
    CNoise model = SampleModel();
    const std::vector<std::uint8_t> bytes = StoredBytes(model);
    CNoise loaded = LoadedFrom<CNoise>(bytes);
    EXPECT_EQ(loaded, model);
    EXPECT_EQ(StoredBytes(loaded), bytes);
}

TEST(SiteModelArchive, NestedOpeningsAndOtherBandKindsSurvive) {
    CNoise model = SampleModel();
    const CNoise loaded = LoadedFrom<CNoise>(StoredBytes(model));
    const CWindow& surface = loaded.buildings[0].rooms[0].openings.at(0);
    ASSERT_EQ(surface.containedOpenings.size(), 2u);
    EXPECT_EQ(surface.containedOpenings[0].memo, "扉");
    ASSERT_EQ(surface.containedOpenings[0].containedOpenings.size(), 1u);
    EXPECT_EQ(surface.containedOpenings[0].containedOpenings[0].memo, "のぞき窓");
    EXPECT_TRUE(surface.containedOpenings[0].containedOpenings[0].containedOpenings.empty());
    EXPECT_EQ(surface.tl.kind, 0);
    EXPECT_EQ(surface.tl.overall, 25.0);
    EXPECT_EQ(loaded.groundLines[0].absorptionRight.kind, 1);
    EXPECT_EQ(loaded.groundLines[0].absorptionRight.title, "芝生");
}

TEST(SiteModelArchive, BuildingWritesItsWallsBeforeItsRoofs) {
    CBuilding building;
    building.walls.resize(2);
    building.roofs.resize(1);
    CArchive out;
    building.Serialize(out);
    std::int32_t first = 0;
    std::memcpy(&first, out.Bytes().data(), 4);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(LoadedFrom<CBuilding>(out.Bytes()), building);
}

TEST(SiteModelArchive, RunResultsAreNotStored) {
    CSound source;
    CPredictivePoint point({1, 2, 3});
    const std::vector<std::uint8_t> sourceBytes = StoredBytes(source);
    const std::vector<std::uint8_t> pointBytes = StoredBytes(point);
    source.isOpeningSource = 1;
    source.openingNormal = {0, 1, 0};
    source.levelAverageAtPoint = CBand::Filled(40);
    source.levelMaxAtPoint = CBand::Filled(45);
    point.resultAverage = CBand::Filled(50);
    point.resultMax = CBand::Filled(55);
    EXPECT_EQ(StoredBytes(source), sourceBytes);
    EXPECT_EQ(StoredBytes(point), pointBytes);
    EXPECT_EQ(LoadedFrom<CPredictivePoint>(pointBytes).resultAverage, CBand::Filled(kNoSoundLevel));
}

TEST(SiteModelArchive, EveryTruncationFailsCleanly) {
    CNoise model = SampleModel();
    const std::vector<std::uint8_t> bytes = StoredBytes(model);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        CArchive in(bytes.data(), n);
        CNoise loaded;
        EXPECT_THROW(loaded.Serialize(in), ArchiveError) << "prefix of " << n << " bytes";
    }
}

TEST(SiteModelArchive, ImpossibleCountsFailBeforeAllocating) {
    for (std::int32_t count : {-1, 2, 1 << 20, 0x7FFFFFFF}) {
        // A ground line count that the remaining bytes cannot hold.
        CNoise empty;
        std::vector<std::uint8_t> bytes = StoredBytes(empty);
        std::memcpy(bytes.data(), &count, 4);
        CArchive in(bytes.data(), bytes.size());
        CNoise loaded;
        EXPECT_THROW(loaded.Serialize(in), ArchiveError) << count;
    }
}

// Openings nested `depth` levels deep (the outermost is level 1).
CWindow OpeningChain(int depth) {
    CWindow outer;
    CWindow* level = &outer;
    for (int i = 1; i < depth; ++i) {
        level->containedOpenings.resize(1);
        level = &level->containedOpenings[0];
    }
    return outer;
}

TEST(SiteModelArchive, OpeningNestingIsBoundedOnRead) {
    CWindow deepest = OpeningChain(kMaxOpeningNesting);
    EXPECT_EQ(LoadedFrom<CWindow>(StoredBytes(deepest)), deepest);
    CWindow tooDeep = OpeningChain(kMaxOpeningNesting + 1);
    const std::vector<std::uint8_t> bytes = StoredBytes(tooDeep);
    CArchive in(bytes.data(), bytes.size());
    CWindow loaded;
    EXPECT_THROW(loaded.Serialize(in), ArchiveError);
    // The refusal leaves no trace: the next read of a valid record works.
    EXPECT_EQ(LoadedFrom<CWindow>(StoredBytes(deepest)), deepest);
}

// The smallest record of each class is its default written with single-byte empty strings (the
// shortest form a reader accepts). The declared minimum must match it exactly: larger would refuse
// valid files, smaller would let damaged counts reserve more than the file can hold.
std::vector<std::uint8_t> WithShortestEmptyStrings(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i + 4 <= bytes.size() && bytes[i] == 0xFF && bytes[i + 1] == 0xFE && bytes[i + 2] == 0xFF &&
            bytes[i + 3] == 0x00) {
            out.push_back(0x00);
            i += 3;
        } else {
            out.push_back(bytes[i]);
        }
    }
    return out;
}

template <typename T>
class SmallestRecord : public ::testing::Test {};
using RecordTypes = ::testing::Types<CSound, CPredictivePoint, CCalcInfo, CWall, CGroundLine, CRectObstacle,
                                     CRoof, CBuildingWall, CWindow, CRoom, CBuilding>;
TYPED_TEST_SUITE(SmallestRecord, RecordTypes);

TYPED_TEST(SmallestRecord, MatchesTheDeclaredMinimum) {
    TypeParam object;
    const std::vector<std::uint8_t> shortest = WithShortestEmptyStrings(StoredBytes(object));
    EXPECT_EQ(shortest.size(), TypeParam::kMinArchiveBytes);
    EXPECT_EQ(LoadedFrom<TypeParam>(shortest), object);
}

}  // namespace
}  // namespace kelmora
