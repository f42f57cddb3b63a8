// Expected values are worked out by hand (a pocket calculator) from the room-acoustics chain
// Lw' = Lw − TL + 10·log10(Q·cos θ/(4π r²) + 1/R) + 10·log10(patch area), with R = ᾱ·S/(1 − ᾱ); the
// arithmetic is written next to each number.
#include "calc/OpeningSources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace kelmora {
namespace {

CWindow Opening(CVector3D p1, CVector3D p2, CVector3D p3, int outdoor, std::string memo) {
    CWindow w;
    w.rect = {p1, p2, p3};
    w.isOutdoorSource = outdoor;
    w.memo = std::move(memo);
    return w;
}

// A wall opening in the plane y = 0 from x0 to x1 and from z0 (bottom) to z1 (top), side A along
// the top.
CWindow WallOpening(double x0, double x1, double z0, double z1, int outdoor = 1, std::string memo = "") {
    return Opening({x0, 0, z1}, {x1, 0, z1}, {x1, 0, z0}, outdoor, std::move(memo));
}

// The square room 10 m × 10 m × 3 m standing on y ≥ 0.
CRoom SquareRoom() {
    CRoom room;
    room.outline.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    room.floorZ = 0.0;
    room.ceilingZ = 3.0;
    return room;
}

struct PatchRow {
    std::string opening;  // memo of the patch's opening
    double area;
    double x;
    double z;
};

std::vector<PatchRow> Rows(const std::vector<OpeningPatch>& patches) {
    std::vector<PatchRow> rows;
    for (const OpeningPatch& p : patches) {
        EXPECT_NEAR(p.centre.y, 0.0, 1e-12);
        rows.push_back({p.opening->memo, p.area, p.centre.x, p.centre.z});
    }
    return rows;
}

void ExpectRows(const std::vector<PatchRow>& actual, const std::vector<PatchRow>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].opening, expected[i].opening) << i;
        EXPECT_NEAR(actual[i].area, expected[i].area, 1e-12) << i;
        EXPECT_NEAR(actual[i].x, expected[i].x, 1e-12) << i;
        EXPECT_NEAR(actual[i].z, expected[i].z, 1e-12) << i;
    }
}

TEST(OpeningPatches, CellsOfAtMostOneMetreAlongAThenB) {
    // 2.5 m × 1.2 m: along A cells of 1, 1, 0.5 m; along B (downwards from the top) 1 and 0.2 m.
    ExpectRows(Rows(OpeningPatches(WallOpening(0, 2.5, 0, 1.2))), {{"", 1.0, 0.5, 0.7},
                                                                   {"", 0.2, 0.5, 0.1},
                                                                   {"", 1.0, 1.5, 0.7},
                                                                   {"", 0.2, 1.5, 0.1},
                                                                   {"", 0.5, 2.25, 0.7},
                                                                   {"", 0.1, 2.25, 0.1}});

    // 4 m × 2.5 m: 4 columns of 1 m, rows of 1, 1 and 0.5 m from the top; the areas add up to 10 m².
    const auto big = OpeningPatches(WallOpening(0, 4, 0, 2.5));
    ASSERT_EQ(big.size(), 12u);
    double total = 0.0;
    for (std::size_t i = 0; i < big.size(); ++i) {
        const double column = static_cast<double>(i / 3);
        const double rowZ[] = {2.0, 1.0, 0.25};
        EXPECT_NEAR(big[i].centre.x, column + 0.5, 1e-12) << i;
        EXPECT_NEAR(big[i].centre.z, rowZ[i % 3], 1e-12) << i;
        EXPECT_NEAR(big[i].area, i % 3 == 2 ? 0.5 : 1.0, 1e-12) << i;
        total += big[i].area;
    }
    EXPECT_NEAR(total, 10.0, 1e-12);
}

TEST(OpeningPatches, DegenerateAndDamagedRectanglesHaveNoCells) {
    const double inf = std::numeric_limits<double>::infinity();
    const CWindow cases[] = {
        WallOpening(0, 2, 1, 1),             // side B of zero length
        WallOpening(1, 1, 0, 2),             // side A of zero length
        WallOpening(0, inf, 0, 2),           // infinite side A would never end the loop
        WallOpening(0, 2, 0, std::nan("")),  // not a number
        Opening({0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 1, ""),
    };
    for (const CWindow& w : cases)
        EXPECT_TRUE(OpeningPatches(w).empty());
}

TEST(OpeningPatches, ContainedOpeningsComeFirstAndCutTheirCellsOut) {
    // A wall 4 m × 2.5 m with a door from x 0.5 to 1.5 m, 1.5 m high. Cells of the wall whose centre
    // lies in the door (or on its rim: x = 0.5 or 1.5 at z = 1.0 and 0.25) are left out; the cells at
    // z = 2.0 above the door stay although they lie on the lines of the door's sides.
    const std::vector<PatchRow> door = {{"door", 1.0, 1.0, 1.0}, {"door", 0.5, 1.0, 0.25}};
    const std::vector<PatchRow> wallAroundDoor = {
        {"wall", 1.0, 0.5, 2.0},  {"wall", 1.0, 1.5, 2.0}, {"wall", 1.0, 2.5, 2.0}, {"wall", 1.0, 2.5, 1.0},
        {"wall", 0.5, 2.5, 0.25}, {"wall", 1.0, 3.5, 2.0}, {"wall", 1.0, 3.5, 1.0}, {"wall", 0.5, 3.5, 0.25}};
    auto concat = [](std::vector<PatchRow> a, const std::vector<PatchRow>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const struct {
        int wallOutdoor;
        int doorOutdoor;
        std::vector<PatchRow> expected;
    } cases[] = {
        {1, 1, concat(door, wallAroundDoor)},
        {1, 0, wallAroundDoor},
        {0, 1, door},
        {0, 0, {}},
    };
    for (const auto& c : cases) {
        CWindow wall = WallOpening(0, 4, 0, 2.5, c.wallOutdoor, "wall");
        wall.containedOpenings.push_back(WallOpening(0.5, 1.5, 0, 1.5, c.doorOutdoor, "door"));
        ExpectRows(Rows(OpeningPatches(wall)), c.expected);
    }

    // Nesting to any depth: a closed door holding an outdoor hatch gives only the hatch's cell.
    CWindow wall = WallOpening(0, 4, 0, 2.5, 0, "wall");
    CWindow closedDoor = WallOpening(0.5, 1.5, 0, 1.5, 0, "door");
    closedDoor.containedOpenings.push_back(WallOpening(0.75, 1.25, 0.5, 1.0, 1, "hatch"));
    wall.containedOpenings.push_back(closedDoor);
    ExpectRows(Rows(OpeningPatches(wall)), {{"hatch", 0.25, 1.0, 0.75}});
}

TEST(RoomMeanAbsorption, EnteredOrComputedFromTheShape) {
    // The square room has plan area 100 m², perimeter 40 m, height 3 m: walls 120 m², S = 320 m².
    CRoom room = SquareRoom();
    room.surfaceArea = 50.0;
    room.meanAbsorption = CBand::Filled(0.25);
    room.defaultAbsorptionCeiling = CBand::Filled(0.1);
    room.defaultAbsorptionFloor = CBand::Filled(0.05);
    for (int i = 0; i < kThirdOctaveBands; ++i)
        room.defaultAbsorptionWall.third[i] = 0.01 * i;
    // A 4 m × 2.5 m wall opening (α 0.3) holding a 1 m × 1.5 m door (α 0.6), a 2 m × 2 m ceiling
    // hatch standing open (α 1) and a 1 m × 3 m floor pit (α 0.5).
    CWindow wall = WallOpening(0, 4, 0, 2.5);
    wall.absorption = CBand::Filled(0.3);
    CWindow door = WallOpening(0.5, 1.5, 0, 1.5);
    door.absorption = CBand::Filled(0.6);
    wall.containedOpenings.push_back(door);
    CWindow hatch = Opening({2, 2, 3}, {4, 2, 3}, {4, 4, 3}, 1, "");
    hatch.belongsTo = kOnCeiling;
    hatch.absorption = CBand::Filled(1.0);
    CWindow pit = Opening({5, 5, 0}, {6, 5, 0}, {6, 8, 0}, 1, "");
    pit.belongsTo = kOnFloor;
    pit.absorption = CBand::Filled(0.5);
    room.openings = {wall, hatch, pit};

    // Entered values.
    EXPECT_EQ(RoomMeanAbsorption(room), CBand::Filled(0.25));
    EXPECT_DOUBLE_EQ(RoomSurfaceArea(room), 50.0);

    // Opening absorption areas: wall (10 − 1.5)·0.3 + 1.5·0.6 = 3.45 m², hatch 4 m², pit 1.5 m².
    EXPECT_NEAR(OpeningAbsorptionArea(wall).third[7], 3.45, 1e-12);
    // Ceiling 100 − 4 = 96 m² at 0.1, floor 100 − 3 = 97 m² at 0.05, walls 120 − 10 = 110 m² at 0.01·i:
    // 9.6 + 4.85 + 1.1·i + 3.45 + 4 + 1.5 = 23.4 + 1.1·i m² over S = 320 m².
    room.computeFromShape = 1;
    EXPECT_DOUBLE_EQ(RoomSurfaceArea(room), 320.0);
    const CBand mean = RoomMeanAbsorption(room);
    for (int i = 0; i < kThirdOctaveBands; ++i)
        EXPECT_NEAR(mean.third[i], (23.4 + 1.1 * i) / 320.0, 1e-12) << i;

    // A ceiling opening larger than the plan leaves no ceiling (not a negative one): 0 + 4.85 + 1.1·i
    // + 3.45 + 150 + 1.5.
    room.openings[1].areaFromRect = 0;
    room.openings[1].area = 150.0;
    const CBand open = RoomMeanAbsorption(room);
    EXPECT_NEAR(open.third[0], 159.8 / 320.0, 1e-12);

    // Computed from a shape without an outline: no absorption at all.
    room.outline.vertices.clear();
    EXPECT_EQ(RoomMeanAbsorption(room), CBand::Filled(0.0));
}

TEST(RoomConstant, PerBand) {
    CBand mean = CBand::Filled(0.5);
    mean.third[1] = 0.0;
    mean.third[2] = 1.0;
    const CBand r = RoomConstant(mean, 100.0);
    EXPECT_DOUBLE_EQ(r.third[0], 100.0);  // 0.5·100 / 0.5
    EXPECT_DOUBLE_EQ(r.third[1], 0.0);
    EXPECT_EQ(r.third[2], std::numeric_limits<double>::infinity());
    // The worked example above: 45.4 / (1 − 0.141875) = 52.906045 m².
    EXPECT_NEAR(RoomConstant(CBand::Filled(45.4 / 320.0), 320.0).third[9], 52.906045, 1e-6);
}

TEST(OpeningOutwardNormal, PointsOutOfTheRoomWhicheverWayTheFaceIsWound) {
    const CVector3D inside{5, 5, 1};
    const struct {
        const char* name;
        bool withOutline;
        CWindow opening;
        CVector3D source;
        CVector3D expected;
    } cases[] = {
        {"wall, A eastwards", true, WallOpening(4, 5, 1, 2), inside, {0, -1, 0}},
        {"wall, A westwards", true, Opening({5, 0, 2}, {4, 0, 2}, {4, 0, 1}, 1, ""), inside, {0, -1, 0}},
        // The outline decides for walls, wherever the source stands.
        {"wall, source outside", true, WallOpening(4, 5, 1, 2), {5, -5, 1}, {0, -1, 0}},
        {"ceiling", true, Opening({2, 2, 3}, {4, 2, 3}, {4, 4, 3}, 1, ""), inside, {0, 0, 1}},
        {"ceiling, wound back", true, Opening({4, 2, 3}, {2, 2, 3}, {2, 4, 3}, 1, ""), inside, {0, 0, 1}},
        {"floor", true, Opening({2, 2, 0}, {4, 2, 0}, {4, 4, 0}, 1, ""), inside, {0, 0, -1}},
        {"no outline, source north", false, WallOpening(4, 5, 1, 2), {4.5, 2, 1}, {0, -1, 0}},
        {"no outline, source south", false, WallOpening(4, 5, 1, 2), {4.5, -2, 1}, {0, 1, 0}},
    };
    for (const auto& c : cases) {
        CRoom room = SquareRoom();
        if (!c.withOutline) room.outline.vertices.clear();
        const CVector3D n = OpeningOutwardNormal(room, c.opening, c.source);
        EXPECT_NEAR(n.x, c.expected.x, 1e-12) << c.name;
        EXPECT_NEAR(n.y, c.expected.y, 1e-12) << c.name;
        EXPECT_NEAR(n.z, c.expected.z, 1e-12) << c.name;
    }
}

// One room, one opening 1.5 m × 1 m in the south wall (x 4 to 5.5, z 1 to 2), entered S = 100 m² and
// ᾱ = 0.5 (R = 100 m²), one room source of Q = 2 at (4.5, 1.8, 1.5) with 90 dB average and 100 dB
// maximum power in every band, TL = 10 + i dB in band i. Two patches, both 0.2 m outside the wall:
// - patch 1 (1 m², centre x 4.5): r = 2 m straight along the normal, cos θ = 1,
//   C = 10·log10(2/(4π·4) + 0.01) = 10·log10(0.0497887) = −13.028689 dB;
// - patch 2 (0.5 m², centre x 5.25): v = (0.75, −2, 0), r² = 4.5625, cos θ = 2/√4.5625 = 0.9363292,
//   C = 10·log10(2·0.9363292/(4π·4.5625) + 0.01) = −13.699565 dB, area term −3.010300 dB.
TEST(BuildOpeningSources, OneRoomOneOpeningPowerPerPatch) {
    CNoise noise;
    noise.openingSources.resize(3);  // left over from an earlier run
    CBuilding building;
    building.memo = "工場";
    CRoom room = SquareRoom();
    room.surfaceArea = 100.0;
    room.meanAbsorption = CBand::Filled(0.5);
    room.memo = "";
    CWindow opening = WallOpening(4, 5.5, 1, 2, 1, "シャッター");
    opening.q = 4.0;
    for (int i = 0; i < kThirdOctaveBands; ++i)
        opening.tl.third[i] = 10.0 + i;
    room.openings.push_back(opening);
    CSound source;
    source.position = {4.5, 1.8, 1.5};
    source.q = 2.0;
    source.noiseType = kFluctuatingNoise;
    source.powerAverage = CBand::Filled(90.0);
    source.powerMax = CBand::Filled(100.0);
    source.memo = "プレス";
    room.sources.push_back(source);
    building.rooms.push_back(room);
    noise.buildings.push_back(building);

    BuildOpeningSources(noise);

    ASSERT_EQ(noise.openingSources.size(), 2u);
    const double expectedShift[] = {-13.028689, -13.699565 - 3.010300};
    const CVector3D expectedPosition[] = {{4.5, -0.2, 1.5}, {5.25, -0.2, 1.5}};
    for (std::size_t k = 0; k < 2; ++k) {
        const CSound& s = noise.openingSources[k];
        EXPECT_EQ(s.isOpeningSource, 1);
        EXPECT_EQ(SourceMemo(s), "工場:シャッター");  // the empty room memo leaves no doubled ":"
        EXPECT_DOUBLE_EQ(s.q, 4.0);                   // the opening's Q, not the room source's
        EXPECT_EQ(s.noiseType, kFluctuatingNoise);
        EXPECT_NEAR(s.position.x, expectedPosition[k].x, 1e-12);
        EXPECT_NEAR(s.position.y, expectedPosition[k].y, 1e-12);
        EXPECT_NEAR(s.position.z, expectedPosition[k].z, 1e-12);
        EXPECT_NEAR(s.openingNormal.y, -1.0, 1e-12);
        for (int i = 0; i < kThirdOctaveBands; ++i) {
            EXPECT_NEAR(s.powerAverage.third[i], 90.0 - (10.0 + i) + expectedShift[k], 1e-5) << k << " " << i;
            EXPECT_NEAR(s.powerMax.third[i], 100.0 - (10.0 + i) + expectedShift[k], 1e-5) << k << " " << i;
        }
    }
}

TEST(OpeningSource, RoomTermWhereItCannotBeFormedOrHasNoReverberantField) {
    // Patch of 2 m² at the origin of the plane y = 0, normal −y; the generated source stands at
    // (0, −0.2, 0). Lw = 80 dB, TL = 0: Lw' = 80 + C + 10·log10 2 = 83.010300 + C.
    CWindow opening = WallOpening(-1, 1, -0.5, 0.5);
    const OpeningPatch patch{&opening, 2.0, {0, 0, 0}};
    const CVector3D n{0, -1, 0};
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        CVector3D source;
        double roomConstant;
        double roomTerm;
    } cases[] = {
        {"R = 0: no room term", {0, 1.8, 0}, 0.0, 0.0},
        {"source at the new position", {0, -0.2, 0}, 100.0, 0.0},
        // Source in the plane of the new position: cos θ = 0, bracket 1/R = −0.005 is not > 0.
        {"non-positive bracket", {2, -0.2, 0}, -200.0, 0.0},
        {"cos θ = 0 leaves the reverberant field", {2, -0.2, 0}, 200.0, -23.010300},
        // ᾱ = 1: 10·log10(2/(4π·4)) = −14.002399.
        {"fully absorbing room", {0, 1.8, 0}, inf, -14.002399},
    };
    for (const auto& c : cases) {
        CSound roomSource;
        roomSource.position = c.source;
        roomSource.powerAverage = CBand::Filled(80.0);
        const CSound s = OpeningSource(roomSource, patch, n, CBand::Filled(c.roomConstant));
        EXPECT_NEAR(s.powerAverage.third[3], 83.010300 + c.roomTerm, 1e-6) << c.name;
    }
}

TEST(BuildOpeningSources, PatchByPatchWithEverySourceInsideAndMemos) {
    CNoise noise;
    for (const char* memo : {"", "B2"}) {
        CBuilding building;
        building.memo = memo;
        CRoom quiet = SquareRoom();  // a room without sources gives nothing
        quiet.openings.push_back(WallOpening(0, 2, 0, 2));
        building.rooms.push_back(quiet);
        CRoom room = SquareRoom();
        room.memo = "R";
        room.openings.push_back(WallOpening(0, 2.5, 0, 1.2, 1, "W"));   // 6 patches
        room.openings.push_back(WallOpening(5, 6, 0, 1, 0, "closed"));  // none
        for (double power : {60.0, 70.0}) {
            CSound s;
            s.position = {power / 10.0, 5, 1};
            s.powerAverage = CBand::Filled(power);
            room.sources.push_back(s);
        }
        building.rooms.push_back(room);
        noise.buildings.push_back(building);
    }
    BuildOpeningSources(noise);
    // Every absorption is 0, so R = 0 and there is no room term: Lw' = Lw + 10·log10(patch area).
    ASSERT_EQ(noise.openingSources.size(), 24u);
    const double patchX[] = {0.5, 0.5, 1.5, 1.5, 2.25, 2.25};
    const double patchArea[] = {1.0, 0.2, 1.0, 0.2, 0.5, 0.1};
    for (std::size_t k = 0; k < 24; ++k) {
        const CSound& s = noise.openingSources[k];
        const std::size_t patch = (k % 12) / 2;
        EXPECT_EQ(SourceMemo(s), k < 12 ? "R:W" : "B2:R:W") << k;
        // The sources of an opening share its memos rather than each holding a copy.
        EXPECT_TRUE(s.memo.empty()) << k;
        EXPECT_EQ(s.openingMemos, noise.openingSources[k < 12 ? 0 : 12].openingMemos) << k;
        EXPECT_NEAR(s.position.x, patchX[patch], 1e-12) << k;
        EXPECT_NEAR(s.powerAverage.third[0], (k % 2 == 0 ? 60.0 : 70.0) + 10.0 * std::log10(patchArea[patch]),
                    1e-9)
            << k;
    }
}

TEST(OpeningSourceMemo, EmptyPartsVanishWithoutDoubledSeparators) {
    const struct {
        const char* building;
        const char* room;
        const char* opening;
        const char* expected;
    } cases[] = {{"", "", "", ""},      {"B", "", "", "B"},      {"", "R", "", "R"},
                 {"", "", "W", "W"},    {"B", "", "W", "B:W"},   {"B", "R", "", "B:R"},
                 {"", "R", "W", "R:W"}, {"B", "R", "W", "B:R:W"}};
    for (const auto& c : cases)
        EXPECT_EQ(OpeningSourceMemo(c.building, c.room, c.opening), c.expected);
}

}  // namespace
}  // namespace kelmora
