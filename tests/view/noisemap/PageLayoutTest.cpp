// The printed map page as geometry: paper sizes, the frames inside the margins, the scale at which the
// site sits in the map frame, the scale bar's length, and the page's display lists (the map clipped to
// its frame, the title block's texts, the north arrow).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "view/PlanTestModel.h"
#include "view/ViewTransform.h"
#include "view/noisemap/MapStyle.h"
#include "view/noisemap/PageDrawing.h"

namespace kelmora {
namespace {

bool Inside(const RectMm& inner, const RectMm& outer) {
    const double e = 1e-9;
    return inner.left >= outer.left - e && inner.top >= outer.top - e && inner.Right() <= outer.Right() + e &&
           inner.Bottom() <= outer.Bottom() + e;
}

bool Apart(const RectMm& a, const RectMm& b) {
    return a.Right() <= b.left + 1e-9 || b.Right() <= a.left + 1e-9 || a.Bottom() <= b.top + 1e-9 ||
           b.Bottom() <= a.top + 1e-9;
}

TEST(PageLayout, PapersAreA4AndA3EitherWayRound) {
    const struct {
        const char* code;
        double width, height;
        const char* name;
    } cases[] = {{"A4P", 210, 297, "A4 縦"},
                 {"a4l", 297, 210, "A4 横"},
                 {"A3P", 297, 420, "A3 縦"},
                 {"A3L", 420, 297, "A3 横"}};
    for (const auto& c : cases) {
        const std::optional<PageSetup> setup = PageOfCode(c.code);
        ASSERT_TRUE(setup) << c.code;
        const PaperMm paper = PaperOf(*setup);
        EXPECT_EQ(paper.width, c.width) << c.code;
        EXPECT_EQ(paper.height, c.height) << c.code;
        EXPECT_EQ(PageName(*setup), c.name);
        for (const double legendMm : {20.0, 60.0, 500.0}) {
            const PageFrames f = LayOutPage(*setup, legendMm);
            EXPECT_EQ(f.border.left, 10.0);
            EXPECT_EQ(f.border.Right(), c.width - 10.0);
            EXPECT_EQ(f.border.Bottom(), c.height - 10.0);
            // Everything inside the border, the map beside the column, nothing on top of another.
            for (const RectMm* r : {&f.map, &f.side, &f.legend, &f.north, &f.scaleBar, &f.titleBlock})
                EXPECT_TRUE(Inside(*r, f.border)) << c.code;
            for (const RectMm* r : {&f.legend, &f.north, &f.scaleBar, &f.titleBlock})
                EXPECT_TRUE(Inside(*r, f.side)) << c.code;
            EXPECT_TRUE(Apart(f.map, f.side));
            EXPECT_TRUE(Apart(f.legend, f.north) && Apart(f.north, f.scaleBar) &&
                        Apart(f.scaleBar, f.titleBlock));
            EXPECT_GE(f.map.width, 0.6 * f.border.width - 1e-9) << "the map keeps most of the page";
            EXPECT_GE(f.side.width, std::min(legendMm + 8.0, 0.4 * f.border.width) - 1e-9);
        }
    }
    for (const char* bad : {"", "A5P", "A4", "A4X", "B4P", "A4PP"})
        EXPECT_FALSE(PageOfCode(bad)) << bad;
    EXPECT_EQ(PageCode(*PageOfCode("a3l")), "A3L");
}

TEST(PageLayout, TheSiteSitsAtTheChosenScaleOrFitsItsFrame) {
    const RectMm frame{10, 10, 300, 200};
    const SiteExtent site{0, 0, 150, 90};
    const MapPlacement at500 = PlaceMap(frame, site, 500);
    EXPECT_EQ(at500.scale, 500.0);
    EXPECT_EQ(at500.centreX, 75.0);
    EXPECT_EQ(at500.centreY, 45.0);
    EXPECT_EQ(at500.MmPerMetre(), 2.0);
    EXPECT_TRUE(at500.fits);  // 300 × 180 mm
    EXPECT_FALSE(PlaceMap(frame, site, 250).fits);
    // Fitted: the smallest whole denominator that leaves 5 % around the extent.
    const MapPlacement fit = PlaceMap(frame, site, std::nullopt);
    EXPECT_EQ(fit.scale, 525.0);  // 1.05 · 150 m / 300 mm
    EXPECT_TRUE(fit.fits);
    EXPECT_EQ(PlaceMap(frame, SiteExtent{0, 0, 10, 1000}, std::nullopt).scale, 5250.0);
    EXPECT_GT(PlaceMap(frame, SiteExtent{5, 5, 5, 5}, std::nullopt).scale, 0.0);
    EXPECT_EQ(ScaleText(500), "1:500");
    EXPECT_EQ(ScaleText(5250), "1:5,250");
    EXPECT_EQ(ScaleText(1234567), "1:1,234,567");
}

TEST(PageLayout, TheScaleBarIsARoundLengthAtThePageScale) {
    const struct {
        double scale, maxMm, metres;
        int segments;
    } cases[] = {{500, 50, 20, 4},   {1000, 50, 50, 5}, {250, 50, 10, 4}, {2500, 50, 100, 4},
                 {5000, 50, 200, 4}, {525, 50, 20, 4},  {1000, 9, 5, 5}};
    for (const auto& c : cases) {
        const ScaleBar bar = ChooseScaleBar(c.scale, c.maxMm);
        EXPECT_EQ(bar.metres, c.metres) << c.scale;
        EXPECT_EQ(bar.segments, c.segments) << c.scale;
        EXPECT_LE(bar.lengthMm, c.maxMm);
        // mm on the page = metres · 1000 / scale, well within the 0.5 % a reader can measure.
        EXPECT_NEAR(bar.lengthMm, c.metres * 1000.0 / c.scale, 1e-9 * bar.lengthMm) << c.scale;
    }
}

class MapPage : public ::testing::Test {
protected:
    // The small site with a map of a 5 × 4 grid over 0 … 40 × 0 … 30 m.
    void SetUp() override {
        model = plantest::SmallSite();
        LevelGrid grid;
        grid.columns = 5;
        grid.rows = 4;
        for (int c = 0; c < 5; ++c)
            for (int r = 0; r < 4; ++r) {
                grid.positions.push_back({10.0 * c, 10.0 * r, 1.2});
                grid.levels.push_back(40.0 + c * 5.0 + r);
            }
        const MapStyle style = LevelMapStyle(MapSettings{});
        map = BuildNoiseMap(grid, style.classes, style.scheme, {MapQuantity::LAeqT, false, 1.2});
    }
    PageContent Content() const {
        return {model,
                window,
                false,
                &map,
                {},
                false,
                std::nullopt,
                TitleTextsOf(&map, "factory.kel", "工場の騒音", "2025-04-01", "ケルモラ環境", "山田 花子")};
    }

    CNoise model;
    CKelmoraViewData window = plantest::BlankWindow();
    NoiseMap map;
    const TextWidth width = [](const std::string& s) { return static_cast<int>(8 * s.size()); };
};

std::vector<std::string> Texts(const DisplayLayer& layer) {
    std::vector<std::string> out;
    for (const Primitive& p : layer)
        if (const auto* t = std::get_if<TextPrimitive>(&p)) out.push_back(t->text);
    return out;
}

bool Has(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(MapPage, TheSheetCarriesLegendScaleNorthAndTitleBlock) {
    PageSetup setup = *PageOfCode("A3L");
    setup.scale = 250;
    setup.title = "工場の騒音";
    const PageDrawing page = DrawMapPage(setup, Content(), width);
    EXPECT_EQ(page.widthUnits, 2100);  // 420 mm in 0.2 mm
    EXPECT_EQ(page.heightUnits, 1485);
    EXPECT_EQ(page.placement.scale, 250.0);
    EXPECT_TRUE(page.placement.fits);
    const std::vector<std::string> texts = Texts(page.sheet);
    for (const char* t : {"等価騒音レベル LAeqT [dB]",
                          "地上 1.2 m",
                          "≥ 80",
                          "件名",
                          "factory.kel",
                          "表題",
                          "工場の騒音",
                          "評価量",
                          "等価騒音レベル LAeqT",
                          "予測高さ",
                          "縮尺",
                          "1:250 (A3 横)",
                          "日付",
                          "2025-04-01",
                          "会社名",
                          "ケルモラ環境",
                          "作成者",
                          "山田 花子",
                          "N",
                          "縮尺 1:250",
                          "0",
                          "10 m"})
        EXPECT_TRUE(Has(texts, t)) << t;
    // The plan's north is up: the arrow points up the page.
    EXPECT_NEAR(page.northDeg, 0.0, 1e-9);
    EXPECT_EQ(page.scaleBar.metres, 10.0);
    EXPECT_NEAR(page.scaleBar.lengthMm, 40.0, 1e-9);

    // The map frame: the site centred on the grid's centre (20, 15) at 4 mm a metre (20 units).
    const CKelmoraViewData view = PageViewData(window, 20.0, {100.0, 200.0}, 20.0, 15.0);
    const CVertex2D centre = ModelToClient(view, {20.0, 15.0, 0.0});
    EXPECT_NEAR(centre.x, 100.0, 1e-9);
    EXPECT_NEAR(centre.y, 200.0, 1e-9);
    const CVertex2D east = ModelToClient(view, {21.0, 15.0, 0.0});
    EXPECT_NEAR(east.x - centre.x, 20.0, 1e-9);
    EXPECT_EQ(page.mapClip.left, 50);
    EXPECT_EQ(page.mapClip.top, 50);
    // The map layer starts on paper white, with the bands beneath the plan; no grid crosses, no corner
    // labels on a page.
    ASSERT_FALSE(page.map.empty());
    EXPECT_EQ(std::get<FillPrimitive>(page.map.front()).color, (Rgb{255, 255, 255}));
    EXPECT_TRUE(std::none_of(page.map.begin(), page.map.end(), [](const Primitive& p) {
        const auto* t = std::get_if<TextPrimitive>(&p);
        return t != nullptr && t->text.starts_with("(");
    }));
}

TEST_F(MapPage, ATurnedPlanTurnsTheNorthArrow) {
    // A calibration whose site x axis runs up the picture: north points left on the page.
    window.calibration.axisX = {0.0, -5.0};
    window.calibration.axisY = {-5.0, 0.0};
    const PageDrawing page = DrawMapPage(*PageOfCode("A4P"), Content(), width);
    EXPECT_NEAR(page.northDeg, -90.0, 1e-9);
}

TEST_F(MapPage, ResultsPagesListEveryPointOnAsManyPagesAsNeeded) {
    model.calcInfo.pointList.clear();
    for (int i = 0; i < 100; ++i) {
        CPredictivePoint p({1.0 * i, 2.0, 1.5});
        p.label = "P" + std::to_string(i + 1);
        if (i != 3) {
            p.resultAverage = CBand::Filled(50.0 - 10.0 * std::log10(21.0));
            p.resultMax = CBand::Filled(60.0 - 10.0 * std::log10(21.0));
        }
        model.calcInfo.pointList.push_back(p);
    }
    const std::vector<PointResultRow> rows = PointResultRows(model);
    ASSERT_EQ(rows.size(), 100u);
    EXPECT_NEAR(*rows[0].laeq, 50.0, 1e-9);
    EXPECT_FALSE(rows[3].laeq.has_value());
    const std::vector<DisplayLayer> pages =
        DrawResultsPages(*PageOfCode("A4P"), rows, 100, Content().texts, width);
    ASSERT_EQ(pages.size(), 3u);  // about 40 rows a page
    std::vector<std::string> all;
    for (const DisplayLayer& page : pages) {
        const std::vector<std::string> texts = Texts(page);
        EXPECT_TRUE(Has(texts, "LAeqT [dB]"));
        all.insert(all.end(), texts.begin(), texts.end());
    }
    EXPECT_TRUE(Has(all, "P1") && Has(all, "P100") && Has(all, "50.0") && Has(all, "60.0") && Has(all, "—"));
    EXPECT_TRUE(Has(Texts(pages[0]), "2 / 4"));
    EXPECT_EQ(PointResultRows(model, 10).size(), 10u);
    const std::vector<DisplayLayer> cut =
        DrawResultsPages(*PageOfCode("A4P"), PointResultRows(model, 10), 100, Content().texts, width);
    EXPECT_TRUE(Has(Texts(cut.back()), "ほか 90 点は表に含みません"));
    EXPECT_TRUE(DrawResultsPages(*PageOfCode("A4P"), {}, 0, Content().texts, width).empty());
    // Without a run, the points of a result file with the one level it holds.
    LevelGrid grid = map.grid;
    grid.levels[1] = NAN;
    const std::vector<PointResultRow> fileRows = PointResultRows(grid, MapQuantity::LAmax);
    ASSERT_EQ(fileRows.size(), 20u);
    EXPECT_EQ(fileRows[2].lamax, grid.levels[2]);
    EXPECT_FALSE(fileRows[2].laeq || fileRows[1].lamax);
    EXPECT_EQ(fileRows[2].y, 20.0);
}

}  // namespace
}  // namespace kelmora
