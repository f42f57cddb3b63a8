// Difference maps that do not mislead, and the map settings that class level maps: no change falls in
// the grey class around zero, the classes mirror each other, the legend names both results, and two
// runs that differ only near one barrier are grey everywhere else.
#include <gtest/gtest.h>

#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <cmath>

#include "view/noisemap/DifferenceMap.h"
#include "view/noisemap/MapStyle.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {
namespace {

namespace bg = boost::geometry;

// A 21 × 11 horizontal grid over 0 … 100 × 0 … 50 m with the level f(x, y).
LevelGrid Grid(double (*f)(double, double)) {
    LevelGrid g;
    g.columns = 21;
    g.rows = 11;
    for (int c = 0; c < g.columns; ++c)
        for (int r = 0; r < g.rows; ++r) {
            const double x = 5.0 * c, y = 5.0 * r;
            g.positions.push_back({x, y, 1.2});
            g.levels.push_back(f(x, y));
        }
    return g;
}

double Base(double x, double y) {
    return 70.0 - 20.0 * std::log10(1.0 + std::hypot(x - 20.0, y - 25.0));
}

// A barrier across x = 60 … 65 shields what lies beyond it; elsewhere the levels are those of the base
// run, bit for bit.
double WithBarrier(double x, double y) {
    return x >= 65.0 ? Base(x, y) - 6.0 + 0.05 * (y - 25.0) : Base(x, y);
}

std::size_t BandOf(const NoiseMap& map, const MapPoint& p) {
    for (const LevelBand& band : map.bands)
        if (bg::covered_by(p, band.area)) return band.classIndex;
    return map.classes.ClassCount();
}

TEST(DifferenceMap, NoChangeIsTheGreyClassAndTheLegendNamesAAndB) {
    const LevelGrid base = Grid(Base);
    const LevelGrid barrier = Grid(WithBarrier);
    const MapStyle style = DifferenceMapStyle(MapSettings{});
    const NoiseMap map = BuildDifferenceMap({barrier, "barrier-laeq.txt"}, {base, "base-laeq.txt"},
                                            MapQuantity::LAeqT, style, 1.2);
    const std::size_t neutral = map.classes.ClassOf(0.0);
    ASSERT_EQ(neutral, 5u);
    EXPECT_EQ(*map.scheme.classColours[neutral], kNoChangeGrey);
    // Where the runs agree (x < 60 m) the whole map is the grey class: 60 m × 50 m and a little more up
    // to where the difference reaches −0.5 dB between the nodes at 60 and 65 m.
    const double grey = bg::area(map.bands[neutral].area);
    EXPECT_GE(grey, 60.0 * 50.0);
    EXPECT_LT(grey, 65.0 * 50.0);
    for (double x = 0.0; x < 60.0; x += 2.5)
        for (double y = 0.0; y <= 50.0; y += 2.5)
            EXPECT_EQ(BandOf(map, MapPoint(x, y)), neutral) << x << ", " << y;
    // Behind the barrier: quieter, blue (a class below the neutral one).
    EXPECT_LT(BandOf(map, MapPoint(90.0, 25.0)), neutral);
    const Rgb blue = *map.scheme.classColours[BandOf(map, MapPoint(90.0, 25.0))];
    EXPECT_GT(blue.b, blue.r);

    EXPECT_EQ(map.legend.heading, std::string(kLegendDifferenceLAeqT));
    EXPECT_NE(map.legend.heading.find("A − B"), std::string::npos);
    EXPECT_EQ(map.legend.notes, (std::vector<std::string>{"A: barrier-laeq.txt", "B: base-laeq.txt"}));
    EXPECT_EQ(map.legend.subheading, "地上 1.2 m");
    // The legend lists the classes symmetric about the grey one.
    ASSERT_EQ(map.legend.entries.size(), 11u);
    EXPECT_EQ(map.legend.entries[5].label, "−0.5 – +0.5");
    EXPECT_EQ(map.legend.entries[0].label, "≥ +4.5");
    EXPECT_EQ(map.legend.entries[10].label, "< −4.5");
}

TEST(DifferenceMap, AResultLessItselfIsGreyEverywhere) {
    const LevelGrid base = Grid(Base);
    MapSettings settings;
    settings.differenceClassWidthDb = 2.0;
    settings.differenceClassesEachSide = 3;
    const NoiseMap map = BuildDifferenceMap({base, "a"}, {base, "a"}, MapQuantity::LAmax,
                                            DifferenceMapStyle(settings), std::nullopt);
    ASSERT_EQ(map.classes.ClassCount(), 7u);
    EXPECT_NEAR(bg::area(map.bands[3].area), 100.0 * 50.0, 1e-6);
    EXPECT_EQ(ClassLabel(map.classes, 3), "−1 – +1");
    EXPECT_EQ(map.legend.heading, std::string(kLegendDifferenceLAmax));
    LevelGrid moved = base;
    moved.positions[7].x += 1.0;
    EXPECT_THROW(BuildDifferenceMap({base, "a"}, {moved, "b"}, MapQuantity::LAeqT,
                                    DifferenceMapStyle(settings), std::nullopt),
                 NoiseMapError);
}

TEST(MapStyle, SettingsClassLevelMapsAndSayWhatIsWrong) {
    MapSettings settings;
    const MapStyle standard = LevelMapStyle(settings);
    EXPECT_EQ(standard.scheme.id, "standard");
    EXPECT_EQ(standard.classes.limits.front(), 35.0);
    EXPECT_EQ(standard.classes.limits.back(), 80.0);

    settings.scheme = "classic";
    settings.lowestClassDb = 40.0;
    settings.classWidthDb = 2.5;
    const MapStyle classic = LevelMapStyle(settings);
    EXPECT_EQ(classic.scheme.id, "classic");
    EXPECT_EQ(classic.classes.limits.size(), 10u);
    EXPECT_EQ(classic.classes.limits[1], 42.5);

    settings.scheme = kUserSchemeId;
    settings.userClasses = {{45.0, 0x00FF00}, {55.0, 0xFF0000}, {65.0, 0x800080}};
    const MapStyle user = LevelMapStyle(settings);
    EXPECT_EQ(user.classes.limits, (std::vector<double>{45.0, 55.0, 65.0}));
    ASSERT_EQ(user.scheme.classColours.size(), 4u);
    EXPECT_FALSE(user.scheme.classColours[0].has_value());
    EXPECT_EQ(*user.scheme.classColours[2], (Rgb{255, 0, 0}));
    EXPECT_EQ(UserClassesFrom(user), settings.userClasses);
    EXPECT_FALSE(MapSettingsProblem(settings));

    const struct {
        void (*spoil)(MapSettings&);
        const char* says;
    } cases[] = {
        {[](MapSettings& s) { s.userClasses.clear(); }, "1 から 30"},
        {[](MapSettings& s) { s.userClasses[1].lowerDb = 45.0; }, "低い順"},
        {[](MapSettings& s) { s.userClasses[0].lowerDb = NAN; }, "-200 dB"},
        {[](MapSettings& s) { s.scheme = "rainbow"; }, "rainbow"},
        {[](MapSettings& s) { s.scheme = "standard", s.classWidthDb = 0.0; }, "幅"},
        {[](MapSettings& s) { s.scheme = "standard", s.lowestClassDb = 290.0; }, "300 dB"},
        {[](MapSettings& s) { s.differenceClassesEachSide = 0; }, "片側"},
        {[](MapSettings& s) { s.differenceClassWidthDb = -1.0; }, "差分の等級の幅"},
    };
    for (const auto& c : cases) {
        MapSettings spoilt = settings;
        c.spoil(spoilt);
        const std::optional<std::string> problem = MapSettingsProblem(spoilt);
        ASSERT_TRUE(problem) << c.says;
        EXPECT_NE(problem->find(c.says), std::string::npos) << *problem;
        // A map is drawn all the same, with the defaults' classes.
        EXPECT_FALSE(LevelMapStyleOrDefault(spoilt).classes.limits.empty());
        EXPECT_FALSE(DifferenceMapStyleOrDefault(spoilt).classes.limits.empty());
    }
}

}  // namespace
}  // namespace kelmora
