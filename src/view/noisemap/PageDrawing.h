#pragma once
// A printed map page as display lists: the plan with its noise map in the map frame, and over it the
// sheet — frames, the legend beside the map, the north arrow, the scale bar and the title block — and
// further pages with the points' results. Everything is in page units of kPageUnitMm, so that the plan's
// own line widths and fonts (1 px lines, 15 px labels) come out as 0.2 mm lines and 3 mm text; the
// platform paints the lists onto a PDF, a printer or an image at any resolution.
#include <optional>
#include <string>
#include <vector>

#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/DisplayList.h"
#include "view/noisemap/NoiseMap.h"
#include "view/noisemap/PageLayout.h"

namespace kelmora {

inline constexpr double kPageUnitMm = 0.2;

// The texts of the title block, in its row order.
struct TitleBlockTexts {
    std::string project;  // 件名: the project's name
    std::string title;    // 表題
    std::string metric;   // 評価量: "LAeqT", "LAmax", "LAeqT の差 (A − B)"
    std::string height;   // 予測高さ: "地上 1.2 m"
    std::string date;     // 日付
    std::string company;  // 会社名
    std::string author;   // 作成者
};

// Where the user's settings keep the company and the author of the title block (asked once by the
// desktop program, read by the command line too).
inline constexpr const char* kReportCompanyKey = "Report/company";
inline constexpr const char* kReportAuthorKey = "Report/author";

// The title block's texts of a map: the metric and the height as its legend names them (without the
// unit), "—" for a page without a map.
TitleBlockTexts TitleTextsOf(const NoiseMap* map, std::string project, std::string title, std::string date,
                             std::string company, std::string author);

// The captions of the title block's rows, the scale row among them.
inline constexpr std::array<const char*, kTitleBlockRows> kTitleBlockCaptions{
    "件名", "表題", "評価量", "予測高さ", "縮尺", "日付", "会社名", "作成者"};

// What goes on a map page.
struct PageContent {
    const CNoise& model;
    const CKelmoraViewData& window;  // the plan window whose calibration and picture place the site
    bool hasPicture = false;
    const NoiseMap* map = nullptr;  // none: the plan alone
    MapLook look;
    bool gridCrosses = false;
    // The part of the site to show; none: the map's grid, or without a map the window's picture.
    std::optional<SiteExtent> extent;
    TitleBlockTexts texts;
};

// A box in page units.
struct UnitRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct PageDrawing {
    PageFrames frames;       // mm
    MapPlacement placement;  // the site in the map frame
    ScaleBar scaleBar;
    double northDeg = 0.0;  // the north arrow's direction, clockwise from the page's up
    int widthUnits = 0;     // the paper
    int heightUnits = 0;
    DisplayLayer map;  // the plan and its map, drawn clipped to mapClip
    UnitRect mapClip;
    DisplayLayer sheet;  // drawn over the map
};

// The site's extent in a window's picture: the model points under its four corners.
SiteExtent PictureSiteExtent(const CKelmoraViewData& window);
// The plan extent of a map's grid nodes.
SiteExtent GridExtent(const LevelGrid& grid);

// The view of a page's map frame: the window's calibration with a zoom that puts the model point
// (centreX, centreY) at `centre` [page units] at `unitsPerMetre`.
CKelmoraViewData PageViewData(const CKelmoraViewData& window, double unitsPerMetre, CVertex2D centre,
                              double centreX, double centreY);

// The first page. `width` measures texts in the plan's 15 px label font, in page units.
PageDrawing DrawMapPage(const PageSetup& setup, const PageContent& content, const TextWidth& width);

// Where the first page puts the site, without drawing it (whether the map fits its frame).
MapPlacement PlaceMapOnPage(const PageSetup& setup, const PageContent& content, const TextWidth& width);

// One row of the results table.
struct PointResultRow {
    std::string label;
    double x = 0.0;  // m
    double y = 0.0;
    double z = 0.0;
    std::optional<double> laeq;  // dB; none without a result
    std::optional<double> lamax;
};

// The model's prediction points with their results, in stored order; at most `most` rows.
std::vector<PointResultRow> PointResultRows(const CNoise& model, std::size_t most = 2000);
// The nodes of a result file's grid with the level it holds (LAmax for an LAmax file, else LAeqT).
std::vector<PointResultRow> PointResultRows(const LevelGrid& grid, MapQuantity quantity,
                                            std::size_t most = 2000);

// The pages of the results table (a header on each, the title block's project and title on top);
// none for no rows.
std::vector<DisplayLayer> DrawResultsPages(const PageSetup& setup, const std::vector<PointResultRow>& rows,
                                           std::size_t pointsInModel, const TitleBlockTexts& texts,
                                           const TextWidth& width);

}  // namespace kelmora
