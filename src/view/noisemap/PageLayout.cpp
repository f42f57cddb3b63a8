#include "view/noisemap/PageLayout.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace kelmora {

namespace {

constexpr double kFitMargin = 1.05;      // of the extent, kept free around it when fitted
constexpr double kLeastExtent = 10.0;    // m: an extent without size is taken this large
constexpr double kSideGapMm = 4.0;       // between the legend, the arrow and the title block
constexpr double kNorthHeightMm = 24.0;  // the north arrow's box
constexpr double kNorthWidthMm = 18.0;
constexpr double kScaleBarRowMm = 16.0;   // the scale, its bar and the bar's numbers
constexpr double kTitleWidthA4Mm = 62.0;  // the least width of a title block
constexpr double kTitleWidthA3Mm = 78.0;

}  // namespace

std::optional<PageSetup> PageOfCode(std::string_view code) {
    if (code.size() != 3 || std::toupper(static_cast<unsigned char>(code[0])) != 'A') return std::nullopt;
    PageSetup setup;
    if (code[1] == '4')
        setup.paper = PaperSize::A4;
    else if (code[1] == '3')
        setup.paper = PaperSize::A3;
    else
        return std::nullopt;
    const char o = static_cast<char>(std::toupper(static_cast<unsigned char>(code[2])));
    if (o == 'P')
        setup.orientation = PageOrientation::Portrait;
    else if (o == 'L')
        setup.orientation = PageOrientation::Landscape;
    else
        return std::nullopt;
    return setup;
}

std::string PageCode(const PageSetup& setup) {
    return std::string(setup.paper == PaperSize::A4 ? "A4" : "A3") +
           (setup.orientation == PageOrientation::Portrait ? "P" : "L");
}

std::string PageName(const PageSetup& setup) {
    return std::string(setup.paper == PaperSize::A4 ? "A4" : "A3") +
           (setup.orientation == PageOrientation::Portrait ? " 縦" : " 横");
}

std::string ScaleText(double scale) {
    const long long n = std::llround(scale);
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return "1:" + digits;
}

PaperMm PaperOf(const PageSetup& setup) {
    const PaperMm portrait = setup.paper == PaperSize::A4 ? PaperMm{210.0, 297.0} : PaperMm{297.0, 420.0};
    return setup.orientation == PageOrientation::Portrait ? portrait
                                                          : PaperMm{portrait.height, portrait.width};
}

double TitleRowHeightMm(const PageSetup& setup) {
    return setup.paper == PaperSize::A4 ? 6.0 : 7.0;
}

PageFrames LayOutPage(const PageSetup& setup, double legendWidthMm) {
    PageFrames f;
    f.paper = PaperOf(setup);
    f.border = {kPageMarginMm, kPageMarginMm, f.paper.width - 2 * kPageMarginMm,
                f.paper.height - 2 * kPageMarginMm};
    // As wide as the legend or the title block needs, within a fifth and two fifths of the border.
    const double titleWidth = setup.paper == PaperSize::A4 ? kTitleWidthA4Mm : kTitleWidthA3Mm;
    const double sideWidth = std::clamp(std::max(legendWidthMm + 2 * kSideGapMm, titleWidth),
                                        0.2 * f.border.width, 0.4 * f.border.width);
    f.side = {f.border.Right() - sideWidth, f.border.top, sideWidth, f.border.height};
    f.map = {f.border.left, f.border.top, f.border.width - sideWidth, f.border.height};
    const double titleHeight = kTitleBlockRows * TitleRowHeightMm(setup);
    f.titleBlock = {f.side.left, f.side.Bottom() - titleHeight, sideWidth, titleHeight};
    // Above the title block the scale bar across the column, above it the north arrow.
    f.scaleBar = {f.side.left + kSideGapMm, f.titleBlock.top - kSideGapMm - kScaleBarRowMm,
                  sideWidth - 2 * kSideGapMm, kScaleBarRowMm};
    f.north = {f.side.left + kSideGapMm, f.scaleBar.top - kNorthHeightMm, kNorthWidthMm, kNorthHeightMm};
    f.legend = {f.side.left + kSideGapMm, f.side.top + kSideGapMm, sideWidth - 2 * kSideGapMm,
                std::max(0.0, f.north.top - kSideGapMm - (f.side.top + kSideGapMm))};
    return f;
}

MapPlacement PlaceMap(const RectMm& frame, const SiteExtent& extent, std::optional<int> scale) {
    MapPlacement p;
    p.centreX = 0.5 * (extent.minX + extent.maxX);
    p.centreY = 0.5 * (extent.minY + extent.maxY);
    const double width = std::max(extent.Width(), kLeastExtent);
    const double height = std::max(extent.Height(), kLeastExtent);
    if (scale && *scale > 0) {
        p.scale = *scale;
    } else {
        // Metres per millimetre of frame, times 1000, is the denominator.
        const double needed = kFitMargin * 1000.0 * std::max(width / frame.width, height / frame.height);
        p.scale = std::max(1.0, std::ceil(needed - 1e-9));
    }
    const double mmPerMetre = p.MmPerMetre();
    p.fits = extent.Width() * mmPerMetre <= frame.width + 1e-9 &&
             extent.Height() * mmPerMetre <= frame.height + 1e-9;
    return p;
}

ScaleBar ChooseScaleBar(double scale, double maxLengthMm) {
    ScaleBar bar;
    const double mmPerMetre = 1000.0 / scale;
    const double mostMetres = maxLengthMm / mmPerMetre;
    if (!(mostMetres > 0.0) || !std::isfinite(mostMetres)) return bar;
    const double power = std::pow(10.0, std::floor(std::log10(mostMetres)));
    for (const double m : {5.0, 2.0, 1.0}) {
        if (m * power <= mostMetres * (1 + 1e-12)) {
            bar.metres = m * power;
            // Five parts of a 5, four of a 1 or a 2.
            bar.segments = m == 5.0 ? 5 : 4;
            break;
        }
    }
    bar.lengthMm = bar.metres * mmPerMetre;
    return bar;
}

}  // namespace kelmora
