// What the map does with its grid beyond the bands: buildings kept free of level colours, smooth
// drawing that keeps every node's class, and labels on the iso-lines that never overlap.
#include <gtest/gtest.h>

#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/covered_by.hpp>
#include <boost/geometry/algorithms/within.hpp>
#include <cmath>
#include <random>

#include "view/PlanTestModel.h"
#include "view/noisemap/BuildingMask.h"
#include "view/noisemap/GridSmoothing.h"
#include "view/noisemap/IsoLineLabels.h"
#include "view/noisemap/MapStyle.h"
#include "view/noisemap/NoiseMap.h"

namespace kelmora {
namespace {

namespace bg = boost::geometry;

// An 11 × 7 grid over 0 … 100 × 0 … 60 m around a source at (60, 20).
LevelGrid SiteGrid() {
    LevelGrid g;
    g.columns = 11;
    g.rows = 7;
    for (int c = 0; c < g.columns; ++c)
        for (int r = 0; r < g.rows; ++r) {
            const double x = 10.0 * c, y = 10.0 * r;
            g.positions.push_back({x, y, 1.2});
            g.levels.push_back(75.0 - 20.0 * std::log10(1.0 + std::hypot(x - 60.0, y - 20.0)));
        }
    return g;
}

NoiseMap SiteMap(const MapShaping& shaping) {
    const MapStyle style = LevelMapStyle(MapSettings{});
    return BuildNoiseMap(SiteGrid(), style.classes, style.scheme, {MapQuantity::LAeqT, false, 1.2}, shaping);
}

bool Coloured(const NoiseMap& map, const MapPoint& p) {
    for (const LevelBand& band : map.bands)
        if (map.scheme.classColours[band.classIndex] && bg::covered_by(p, band.area)) return true;
    return false;
}

TEST(BuildingMask, NoLevelColourInsideABuildingFootprint) {
    // The small site: building 0's roof and closed wall over (30, 10)–(50, 30), building 1's roof over
    // (80, 40)–(90, 50).
    const CNoise model = plantest::SmallSite();
    const MapMultiPolygon footprints = BuildingFootprints(model);
    ASSERT_EQ(footprints.size(), 2u);
    EXPECT_NEAR(bg::area(footprints), 400.0 + 100.0, 1e-9);
    const NoiseMap masked = SiteMap({false, footprints});
    const NoiseMap plain = SiteMap({});
    // Sampled on a 1 m lattice: inside a footprint nothing is coloured, outside as before.
    std::mt19937 random(29);
    std::uniform_real_distribution<double> jitter(0.05, 0.95);
    int inside = 0;
    for (int i = 0; i < 100; ++i)
        for (int j = 0; j < 60; ++j) {
            const MapPoint p(i + jitter(random), j + jitter(random));
            const bool inBuilding = bg::within(p, footprints);
            inside += inBuilding ? 1 : 0;
            EXPECT_EQ(Coloured(masked, p), !inBuilding && Coloured(plain, p)) << p.x() << ", " << p.y();
        }
    EXPECT_EQ(inside, 500);
    double maskedArea = 0.0, plainArea = 0.0;
    for (std::size_t k = 0; k < plain.bands.size(); ++k) {
        maskedArea += BandArea(masked.bands[k]);
        plainArea += BandArea(plain.bands[k]);
    }
    EXPECT_NEAR(plainArea - maskedArea, 500.0, 1e-6);
    // The iso-lines stop at the buildings too.
    for (const IsoLine& iso : masked.isoLines)
        for (const MapLine& line : iso.lines)
            for (const MapPoint& p : line)
                EXPECT_FALSE(bg::within(p, footprints)) << iso.level << ": " << p.x() << ", " << p.y();
}

TEST(GridSmoothing, FinerCellsKeepEveryNodeAndItsClass) {
    EXPECT_EQ(SmoothingFactor(11, 11), 8);
    EXPECT_EQ(SmoothingFactor(101, 101), 5);
    EXPECT_EQ(SmoothingFactor(1001, 1001), 1);
    EXPECT_EQ(SmoothingFactor(1, 5), 1);

    const LevelGrid grid = SiteGrid();
    const std::vector<MapPoint> nodes = MapCoordinates(grid);
    const RefinedGrid fine = RefineGrid(nodes, grid.levels, grid.columns, grid.rows, 4);
    ASSERT_EQ(fine.columns, 41);
    ASSERT_EQ(fine.rows, 25);
    for (int c = 0; c < grid.columns; ++c)
        for (int r = 0; r < grid.rows; ++r) {
            const std::size_t at = static_cast<std::size_t>(4 * c) * 25 + static_cast<std::size_t>(4 * r);
            EXPECT_EQ(fine.levels[at], grid.levels[grid.Index(c, r)]);
            EXPECT_EQ(fine.nodes[at].x(), nodes[grid.Index(c, r)].x());
        }
    // Bilinear within a cell: the cell's centre is the mean of its corners.
    const double mean = 0.25 * (grid.levels[grid.Index(2, 3)] + grid.levels[grid.Index(3, 3)] +
                                grid.levels[grid.Index(2, 4)] + grid.levels[grid.Index(3, 4)]);
    EXPECT_NEAR(fine.levels[static_cast<std::size_t>(10) * 25 + 14], mean, 1e-12);

    // Smoothed, the map's level at every node is still exactly the node's: its class cannot change.
    const NoiseMap smooth = SiteMap({true, {}});
    for (std::size_t i = 0; i < grid.NodeCount(); ++i) {
        const MapPoint at(grid.positions[i].x, grid.positions[i].y);
        const std::optional<double> level = LevelAtPoint(smooth, at);
        ASSERT_TRUE(level);
        EXPECT_NEAR(*level, grid.levels[i], 1e-9);
        EXPECT_EQ(smooth.classes.ClassOf(*level), smooth.classes.ClassOf(grid.levels[i]));
    }
    EXPECT_NEAR(SurfaceArea(smooth.surface), 100.0 * 60.0, 1e-6);
}

TEST(GridSmoothing, AGapStaysWhereAMissingCornerWeighsIn) {
    LevelGrid grid = SiteGrid();
    grid.levels[grid.Index(5, 3)] = NAN;
    const RefinedGrid fine = RefineGrid(MapCoordinates(grid), grid.levels, grid.columns, grid.rows, 2);
    // Nodes on the cells around the gap but away from it keep their levels; those it touches have none.
    EXPECT_TRUE(std::isnan(fine.levels[static_cast<std::size_t>(10) * fine.rows + 6]));
    EXPECT_TRUE(std::isnan(fine.levels[static_cast<std::size_t>(9) * fine.rows + 6]));
    EXPECT_FALSE(std::isnan(fine.levels[static_cast<std::size_t>(8) * fine.rows + 6]));
    EXPECT_FALSE(std::isnan(fine.levels[static_cast<std::size_t>(12) * fine.rows + 6]));
}

TEST(IsoLineLabels, LabelsFollowTheirLinesUprightAndNeverOverlap) {
    const NoiseMap map = SiteMap({true, {}});
    // 6 px a metre, y down the page.
    const MapToPixels toPixels = [](const MapPoint& p) {
        return CVertex2D{6.0 * p.x(), 400.0 - 6.0 * p.y()};
    };
    const TextWidth width = [](const std::string& s) { return static_cast<int>(7 * s.size()); };
    IsoLabelStyle style;
    style.spacing = 150.0;
    const LabelFrame frame{0.0, 0.0, 600.0, 400.0};
    const std::vector<IsoLabel> labels = PlaceIsoLineLabels(map.isoLines, toPixels, width, style, frame);
    ASSERT_GE(labels.size(), 5u);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const IsoLabel& l = labels[i];
        EXPECT_GT(l.angleDeg, -90.0);
        EXPECT_LE(l.angleDeg, 90.0);
        // The label's centre lies on a line of its level.
        const double level = std::stod(l.text);
        const std::optional<double> there =
            LevelAtPoint(map, MapPoint(l.centre.x / 6.0, (400.0 - l.centre.y) / 6.0));
        ASSERT_TRUE(there);
        EXPECT_NEAR(*there, level, 0.05) << l.text;
        EXPECT_GE(l.centre.x - 0.5 * l.width, frame.left - 1.0);
        for (std::size_t j = i + 1; j < labels.size(); ++j)
            EXPECT_FALSE(LabelsOverlap(l, labels[j])) << labels[i].text << " / " << labels[j].text;
    }
    // Crowded: a tenth of the scale leaves room for fewer labels, still apart.
    const MapToPixels small = [](const MapPoint& p) { return CVertex2D{0.6 * p.x(), 40.0 - 0.6 * p.y()}; };
    const std::vector<IsoLabel> few = PlaceIsoLineLabels(map.isoLines, small, width, style, std::nullopt);
    EXPECT_LT(few.size(), labels.size());
    for (std::size_t i = 0; i < few.size(); ++i)
        for (std::size_t j = i + 1; j < few.size(); ++j)
            EXPECT_FALSE(LabelsOverlap(few[i], few[j]));

    DisplayLayer layer;
    DrawIsoLineLabels(layer, labels, style);
    ASSERT_EQ(layer.size(), labels.size());
    const auto& text = std::get<TextPrimitive>(layer.front());
    EXPECT_TRUE(text.halo);
    EXPECT_EQ(text.anchor, 4);
    EXPECT_EQ(text.angleDeg, labels.front().angleDeg);
}

TEST(IsoLineLabels, TurnedBoxesOverlapAsTheyLie) {
    const IsoLabel flat{{0, 0}, 0.0, 40.0, 10.0, "a"};
    EXPECT_TRUE(LabelsOverlap(flat, IsoLabel{{30, 0}, 0.0, 40.0, 10.0, "b"}));
    EXPECT_FALSE(LabelsOverlap(flat, IsoLabel{{41, 0}, 0.0, 40.0, 10.0, "b"}));
    // Upright beside it: its box is 10 wide across x.
    EXPECT_FALSE(LabelsOverlap(flat, IsoLabel{{26, 0}, 90.0, 40.0, 10.0, "b"}));
    EXPECT_TRUE(LabelsOverlap(flat, IsoLabel{{24, 0}, 90.0, 40.0, 10.0, "b"}));
    // Turned 45° at a distance where the axis-aligned boxes would touch but the turned ones do not.
    EXPECT_FALSE(
        LabelsOverlap(IsoLabel{{0, 0}, 45.0, 40.0, 4.0, "a"}, IsoLabel{{14, 14}, 45.0, 40.0, 4.0, "b"}));
}

}  // namespace
}  // namespace kelmora
