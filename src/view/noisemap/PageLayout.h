#pragma once
// The geometry of a printed map page, in millimetres from the page's top-left corner: the paper (A4 or
// A3, portrait or landscape), the frame inside its margins, the map frame, and the column beside the
// map that holds the legend, the north arrow with the scale bar, and the title block at its foot; the
// scale at which the site sits in the map frame, and the length of the scale bar. Plain arithmetic, so
// that what a page looks like is settled without a printer or a display.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

enum class PaperSize { A4, A3 };
enum class PageOrientation { Portrait, Landscape };

// The scales a page offers (1:250 … 1:5000); none = fit the map to its frame.
inline constexpr std::array<int, 5> kPageScales{250, 500, 1000, 2500, 5000};

struct PageSetup {
    PaperSize paper = PaperSize::A3;
    PageOrientation orientation = PageOrientation::Landscape;
    std::optional<int> scale;  // the denominator: 500 for 1:500; none = fit
    std::string title;
    bool resultsTable = false;  // a further page with the points' results

    friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

// "A4P", "A4L", "A3P", "A3L" (any case) as the command line names a page; none for others.
std::optional<PageSetup> PageOfCode(std::string_view code);
std::string PageCode(const PageSetup& setup);
// "A3 横" as the dialogs and the title block name it.
std::string PageName(const PageSetup& setup);
// "1:500"; "1:1,234" for a fitted scale.
std::string ScaleText(double scale);

struct RectMm {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
};

// The paper's width and height as it lies [mm]: A4 210 × 297, A3 297 × 420, turned for landscape.
struct PaperMm {
    double width = 0.0;
    double height = 0.0;
};
PaperMm PaperOf(const PageSetup& setup);

inline constexpr double kPageMarginMm = 10.0;

// Where everything goes on the page [mm].
struct PageFrames {
    PaperMm paper;
    RectMm border;      // the drawing's frame, kPageMarginMm inside the paper's edges
    RectMm map;         // the map frame, the left part of the border
    RectMm side;        // the column right of the map
    RectMm legend;      // the top of the column
    RectMm north;       // the north arrow, below the legend
    RectMm scaleBar;    // the scale and its bar, across the column below the north arrow
    RectMm titleBlock;  // the foot of the column
};

// The rows of a title block and its row height.
inline constexpr int kTitleBlockRows = 8;
double TitleRowHeightMm(const PageSetup& setup);

// The frames of a page whose legend needs `legendWidthMm` across: the column is as wide as the legend
// or the title block needs (at least a fifth of the border's width, at most two fifths).
PageFrames LayOutPage(const PageSetup& setup, double legendWidthMm);

// A rectangle of the site [m].
struct SiteExtent {
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;
    double Width() const { return maxX - minX; }
    double Height() const { return maxY - minY; }
};

// How the site sits in the map frame: the scale denominator, the site point at the frame's centre,
// and whether the whole extent is inside the frame.
struct MapPlacement {
    double scale = 1000.0;  // 1:scale
    double centreX = 0.0;   // m
    double centreY = 0.0;   // m
    bool fits = true;
    double MmPerMetre() const { return 1000.0 / scale; }
};

// At the chosen scale the extent is centred in the frame; "fit" takes the smallest whole denominator
// at which the extent with a 5 % margin fits (at least 1:1). An extent without size is taken as 10 m
// around its centre.
MapPlacement PlaceMap(const RectMm& frame, const SiteExtent& extent, std::optional<int> scale);

// A scale bar: `metres` long in `segments` alternating parts; `lengthMm` on the page.
struct ScaleBar {
    double metres = 0.0;
    double lengthMm = 0.0;
    int segments = 4;
};

// The longest bar of 1, 2 or 5 × 10ⁿ metres that is at most `maxLengthMm` long at 1:scale.
ScaleBar ChooseScaleBar(double scale, double maxLengthMm);

}  // namespace kelmora
