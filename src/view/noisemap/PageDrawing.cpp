#include "view/noisemap/PageDrawing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "view/EditState.h"
#include "view/PlanScene.h"
#include "view/ViewTransform.h"
#include "view/noisemap/LevelGrid.h"

namespace kelmora {

namespace {

constexpr int kTextHeight = 15;       // units: 3 mm
constexpr int kHeadingHeight = 20;    // units: 4 mm
constexpr int kSmallTextHeight = 12;  // units: 2.4 mm
constexpr double kTextPadMm = 1.5;    // left of a text in its cell
constexpr double kScaleBarHeightMm = 2.4;

int U(double mm) {
    return static_cast<int>(std::lround(mm / kPageUnitMm));
}

double Units(double mm) {
    return mm / kPageUnitMm;
}

UnitRect ToUnits(const RectMm& r) {
    return {U(r.left), U(r.top), U(r.Right()), U(r.Bottom())};
}

// The width of a text at `height` units, from the measure of the 15 px font.
int WidthAt(const TextWidth& width, const std::string& text, int height) {
    return (width(text) * height + kTextHeight - 1) / kTextHeight;
}

TextPrimitive Text(ClientPoint at, int anchor, std::string text, int height, bool bold = false) {
    TextPrimitive t;
    t.at = at;
    t.anchor = anchor;
    t.text = std::move(text);
    t.font.heightPx = height;
    t.font.weight = bold ? 700 : 0;
    t.textColor = kBlack;
    return t;
}

// The text cut short with "…" to fit `maxWidth` units.
std::string Fitted(const std::string& text, int maxWidth, const TextWidth& width, int height) {
    if (WidthAt(width, text, height) <= maxWidth) return text;
    std::string cut = text;
    while (!cut.empty()) {
        // Drop one UTF-8 character from the end.
        std::size_t n = cut.size() - 1;
        while (n > 0 && (static_cast<unsigned char>(cut[n]) & 0xC0) == 0x80)
            --n;
        cut.erase(n);
        if (WidthAt(width, cut + "…", height) <= maxWidth) return cut + "…";
    }
    return "…";
}

PathPrimitive Box(double left, double top, double right, double bottom, const Pen& pen, const Brush& brush) {
    PathPrimitive p;
    p.parts.push_back({{left, top}, {right, top}, {right, bottom}, {left, bottom}});
    p.pen = pen;
    p.brush = brush;
    return p;
}

void DrawNorthArrow(DisplayLayer& sheet, const RectMm& box, double northDeg) {
    const double cx = Units(box.left + 0.5 * box.width);
    const double cy = Units(box.top + 0.5 * box.height + 2.0);
    const double length = Units(std::min(box.width, box.height - 8.0) * 0.8);
    const double r = northDeg * std::numbers::pi / 180.0;
    // Clockwise on the page (y down) by the north's angle.
    const auto turned = [&](double x, double y) {
        return CVertex2D{cx + x * std::cos(r) - y * std::sin(r), cy + x * std::sin(r) + y * std::cos(r)};
    };
    const CVertex2D tip = turned(0, -0.5 * length);
    const CVertex2D left = turned(-0.22 * length, 0.5 * length);
    const CVertex2D right = turned(0.22 * length, 0.5 * length);
    const CVertex2D notch = turned(0, 0.25 * length);
    const Pen pen{kBlack, 1, PenStyle::Solid};
    PathPrimitive dark;
    dark.parts.push_back({tip, notch, left});
    dark.pen = pen;
    dark.brush = SolidBrush(kBlack);
    sheet.push_back(std::move(dark));
    PathPrimitive light;
    light.parts.push_back({tip, right, notch});
    light.pen = pen;
    light.brush = SolidBrush(kWhite);
    sheet.push_back(std::move(light));
    const CVertex2D n = turned(0, -0.5 * length - Units(3.0));
    sheet.push_back(Text(TruncateToPixel(n), 4, "N", kHeadingHeight, true));
}

void DrawScaleBar(DisplayLayer& sheet, const RectMm& box, const MapPlacement& placement,
                  const ScaleBar& bar) {
    sheet.push_back(
        Text({U(box.left), U(box.top + 2.0)}, 3, "縮尺 " + ScaleText(placement.scale), kTextHeight));
    if (!(bar.metres > 0.0)) return;
    const double left = Units(box.left + 1.0);
    const double top = Units(box.top + 6.0);
    const double bottom = top + Units(kScaleBarHeightMm);
    const double length = Units(bar.lengthMm);
    const Pen pen{kBlack, 1, PenStyle::Solid};
    for (int i = 0; i < bar.segments; ++i) {
        const double x0 = left + length * i / bar.segments;
        const double x1 = left + length * (i + 1) / bar.segments;
        sheet.push_back(Box(x0, top, x1, bottom, pen, SolidBrush(i % 2 == 0 ? kBlack : kWhite)));
    }
    char metres[32];
    const auto end = std::to_chars(metres, metres + sizeof metres, bar.metres);
    const int labelTop = static_cast<int>(std::lround(bottom + Units(1.0)));
    sheet.push_back(Text({static_cast<int>(std::lround(left)), labelTop}, 1, "0", kTextHeight));
    sheet.push_back(Text({static_cast<int>(std::lround(left + length)), labelTop}, 1,
                         std::string(metres, end.ptr) + " m", kTextHeight));
}

void DrawTitleBlock(DisplayLayer& sheet, const RectMm& box, const PageSetup& setup, const PageDrawing& page,
                    const TitleBlockTexts& texts, const TextWidth& width) {
    const double rowHeight = TitleRowHeightMm(setup);
    const double captionWidth = setup.paper == PaperSize::A4 ? 16.0 : 19.0;
    const Pen pen{kBlack, 1, PenStyle::Solid};
    sheet.push_back(Box(Units(box.left), Units(box.top), Units(box.Right()), Units(box.Bottom()), pen,
                        SolidBrush(kWhite)));
    const std::array<std::string, kTitleBlockRows> values{
        texts.project,
        texts.title,
        texts.metric,
        texts.height,
        ScaleText(page.placement.scale) + " (" + PageName(setup) + ")",
        texts.date,
        texts.company,
        texts.author};
    const int valueLeft = U(box.left + captionWidth + kTextPadMm);
    const int valueWidth = U(box.Right() - kTextPadMm) - valueLeft;
    for (int i = 0; i < kTitleBlockRows; ++i) {
        const double top = box.top + i * rowHeight;
        if (i > 0) {
            PolylinePrimitive line{{{U(box.left), U(top)}, {U(box.Right()), U(top)}}, pen};
            sheet.push_back(std::move(line));
        }
        const int middle = U(top + 0.5 * rowHeight);
        sheet.push_back(Text({U(box.left + kTextPadMm), middle}, 3,
                             kTitleBlockCaptions[static_cast<std::size_t>(i)], kTextHeight));
        const bool bold = i == 1;  // the title
        // A long text is set smaller before it is cut short.
        const std::string& value = values[static_cast<std::size_t>(i)];
        const int height = WidthAt(width, value, kTextHeight) <= valueWidth ? kTextHeight : kSmallTextHeight;
        sheet.push_back(Text({valueLeft, middle}, 3, Fitted(value, valueWidth, width, height), height, bold));
    }
    sheet.push_back(PolylinePrimitive{
        {{U(box.left + captionWidth), U(box.top)}, {U(box.left + captionWidth), U(box.Bottom())}}, pen});
}

std::string Fixed(double value, int decimals) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, end.ptr);
}

}  // namespace

TitleBlockTexts TitleTextsOf(const NoiseMap* map, std::string project, std::string title, std::string date,
                             std::string company, std::string author) {
    TitleBlockTexts t{std::move(project), std::move(title), "—", "—", std::move(date),
                      std::move(company), std::move(author)};
    if (map != nullptr) {
        t.metric = map->legend.heading;
        const std::string unit = " [dB]";
        if (t.metric.ends_with(unit)) t.metric.erase(t.metric.size() - unit.size());
        if (!map->legend.subheading.empty()) t.height = map->legend.subheading;
    }
    return t;
}

SiteExtent PictureSiteExtent(const CKelmoraViewData& window) {
    SiteExtent e{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const CVertex2D corner :
         {CVertex2D{0, 0}, CVertex2D{window.imageWidth, 0}, CVertex2D{0, window.imageHeight},
          CVertex2D{window.imageWidth, window.imageHeight}}) {
        const CVector3D p = FromScreen(window.calibration, corner);
        e.minX = std::min(e.minX, p.x);
        e.minY = std::min(e.minY, p.y);
        e.maxX = std::max(e.maxX, p.x);
        e.maxY = std::max(e.maxY, p.y);
    }
    return e;
}

SiteExtent GridExtent(const LevelGrid& grid) {
    SiteExtent e{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const CVector3D& p : grid.positions) {
        e.minX = std::min(e.minX, p.x);
        e.minY = std::min(e.minY, p.y);
        e.maxX = std::max(e.maxX, p.x);
        e.maxY = std::max(e.maxY, p.y);
    }
    if (grid.positions.empty()) e = {};
    return e;
}

CKelmoraViewData PageViewData(const CKelmoraViewData& window, double unitsPerMetre, CVertex2D centre,
                              double centreX, double centreY) {
    CKelmoraViewData v = window;
    const CDisplay& cal = window.calibration;
    const double pixelsPerMetre = EffectiveMagnification(cal) * std::hypot(cal.axisX.x, cal.axisX.y);
    CDisplay zoom;
    zoom.axisX = {1.0, 0.0};
    zoom.axisY = {0.0, 1.0};
    zoom.axisZ = {0.0, 0.0};
    zoom.magnification = pixelsPerMetre > 0.0 ? unitsPerMetre / pixelsPerMetre : unitsPerMetre;
    const CVertex2D atCentre = ToScreen(cal, CVector3D{centreX, centreY, 0.0});
    zoom.origin = {centre.x - zoom.magnification * atCentre.x, centre.y - zoom.magnification * atCentre.y};
    v.zoom = zoom;
    return v;
}

namespace {

bool IsPlanMap(const PageContent& content) {
    return content.map != nullptr && !content.map->vertical;
}

PageFrames FramesOf(const PageSetup& setup, const PageContent& content, const TextWidth& width) {
    const LegendSize legendSize =
        IsPlanMap(content) ? MeasureLegend(content.map->legend, width) : LegendSize{};
    return LayOutPage(setup, legendSize.width * kPageUnitMm);
}

MapPlacement PlaceOnFrames(const PageSetup& setup, const PageContent& content, const PageFrames& f) {
    const SiteExtent extent = content.extent       ? *content.extent
                              : IsPlanMap(content) ? GridExtent(content.map->grid)
                                                   : PictureSiteExtent(content.window);
    return PlaceMap(f.map, extent, setup.scale);
}

}  // namespace

MapPlacement PlaceMapOnPage(const PageSetup& setup, const PageContent& content, const TextWidth& width) {
    return PlaceOnFrames(setup, content, FramesOf(setup, content, width));
}

PageDrawing DrawMapPage(const PageSetup& setup, const PageContent& content, const TextWidth& width) {
    PageDrawing page;
    const bool planMap = IsPlanMap(content);
    page.frames = FramesOf(setup, content, width);
    const PageFrames& f = page.frames;
    page.widthUnits = U(f.paper.width);
    page.heightUnits = U(f.paper.height);
    page.placement = PlaceOnFrames(setup, content, f);
    const double unitsPerMetre = page.placement.MmPerMetre() / kPageUnitMm;
    const CVertex2D centre{Units(f.map.left + 0.5 * f.map.width), Units(f.map.top + 0.5 * f.map.height)};
    const CKelmoraViewData view =
        PageViewData(content.window, unitsPerMetre, centre, page.placement.centreX, page.placement.centreY);
    page.mapClip = ToUnits(f.map);

    DisplayLayer beneath;
    if (planMap) {
        const UnitRect& c = page.mapClip;
        beneath = DrawPlanMap(*content.map, PlanMapToPixels(view), content.look, width,
                              LabelFrame{static_cast<double>(c.left), static_cast<double>(c.top),
                                         static_cast<double>(c.right), static_cast<double>(c.bottom)});
    }
    const EditState idle;
    PlanSceneInputs in{content.model, content.model, idle, view, content.hasPicture};
    in.mapBeneath = &beneath;
    in.gridCrosses = content.gridCrosses || !planMap;
    in.cornerLabels = false;
    page.map = DrawBase(in);
    // Paper white rather than the window's background colour.
    for (Primitive& p : page.map)
        if (auto* fill = std::get_if<FillPrimitive>(&p)) fill->color = kWhite;

    // North: where the site's +Y points on the page, clockwise from the page's up.
    const CVertex2D o = ModelToClient(view, {page.placement.centreX, page.placement.centreY, 0.0});
    const CVertex2D n = ModelToClient(view, {page.placement.centreX, page.placement.centreY + 1.0, 0.0});
    page.northDeg = std::atan2(n.x - o.x, -(n.y - o.y)) * 180.0 / std::numbers::pi;
    // Room at the bar's end for half its number.
    page.scaleBar = ChooseScaleBar(page.placement.scale, f.scaleBar.width - 8.0);

    DisplayLayer& sheet = page.sheet;
    const Pen thick{kBlack, 2, PenStyle::Solid};
    // The side column is paper white (the map stays in its frame), then the frames over everything.
    sheet.push_back(Box(Units(f.side.left), Units(f.side.top), Units(f.side.Right()), Units(f.side.Bottom()),
                        kNoPen, SolidBrush(kWhite)));
    sheet.push_back(Box(Units(f.border.left), Units(f.border.top), Units(f.border.Right()),
                        Units(f.border.Bottom()), thick, Brush{}));
    sheet.push_back(
        PolylinePrimitive{{{U(f.side.left), U(f.side.top)}, {U(f.side.left), U(f.side.Bottom())}}, thick});
    if (planMap) DrawLegend(sheet, content.map->legend, {U(f.legend.left), U(f.legend.top)}, width);
    DrawNorthArrow(sheet, f.north, page.northDeg);
    DrawScaleBar(sheet, f.scaleBar, page.placement, page.scaleBar);
    DrawTitleBlock(sheet, f.titleBlock, setup, page, content.texts, width);
    return page;
}

std::vector<PointResultRow> PointResultRows(const CNoise& model, std::size_t most) {
    std::vector<PointResultRow> rows;
    for (const CPredictivePoint& p : model.calcInfo.PredictionPoints()) {
        if (rows.size() == most) break;
        PointResultRow row{p.label, p.position.x, p.position.y, p.position.z, std::nullopt, std::nullopt};
        const double laeq = p.resultAverage.overallLevel();
        const double lamax = p.resultMax.overallLevel();
        if (!IsNoResultLevel(laeq)) row.laeq = laeq;
        if (!IsNoResultLevel(lamax)) row.lamax = lamax;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<PointResultRow> PointResultRows(const LevelGrid& grid, MapQuantity quantity, std::size_t most) {
    std::vector<PointResultRow> rows;
    for (std::size_t i = 0; i < grid.NodeCount() && rows.size() < most; ++i) {
        const CVector3D& p = grid.positions[i];
        PointResultRow row{"", p.x, p.y, p.z, std::nullopt, std::nullopt};
        if (std::isfinite(grid.levels[i]))
            (quantity == MapQuantity::LAmax ? row.lamax : row.laeq) = grid.levels[i];
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<DisplayLayer> DrawResultsPages(const PageSetup& setup, const std::vector<PointResultRow>& rows,
                                           std::size_t pointsInModel, const TitleBlockTexts& texts,
                                           const TextWidth& width) {
    std::vector<DisplayLayer> pages;
    if (rows.empty()) return pages;
    const PaperMm paper = PaperOf(setup);
    const RectMm border{kPageMarginMm, kPageMarginMm, paper.width - 2 * kPageMarginMm,
                        paper.height - 2 * kPageMarginMm};
    const double rowHeight = TitleRowHeightMm(setup);
    const double headerHeight = 16.0;  // mm: the page's heading
    const std::size_t perPage =
        static_cast<std::size_t>(std::max(1.0, std::floor((border.height - headerHeight) / rowHeight) - 2.0));
    // Columns: number, label, X, Y, Z, LAeqT, LAmax as fractions of the border's width.
    const std::array<const char*, 7> captions{"番号",  "名称",       "X [m]",     "Y [m]",
                                              "Z [m]", "LAeqT [dB]", "LAmax [dB]"};
    const std::array<double, 8> at{0.0, 0.08, 0.40, 0.52, 0.64, 0.76, 0.88, 1.0};
    const auto columnX = [&](std::size_t i) { return border.left + at[i] * border.width; };
    const Pen pen{kBlack, 1, PenStyle::Solid};
    const std::size_t pageCount = (rows.size() + perPage - 1) / perPage;
    for (std::size_t page = 0; page < pageCount; ++page) {
        DisplayLayer layer;
        layer.push_back(FillPrimitive{kWhite});
        std::string heading = "予測点の計算結果";
        if (!texts.project.empty()) heading += "  " + texts.project;
        if (!texts.title.empty()) heading += "  " + texts.title;
        layer.push_back(Text({U(border.left), U(border.top + 4.0)}, 3,
                             Fitted(heading, U(border.width - 30.0), width, kHeadingHeight), kHeadingHeight,
                             true));
        layer.push_back(Text({U(border.Right()), U(border.top + 4.0)}, 5,
                             std::to_string(page + 2) + " / " + std::to_string(pageCount + 1), kTextHeight));
        const std::size_t first = page * perPage;
        const std::size_t last = std::min(rows.size(), first + perPage);
        double top = border.top + headerHeight;
        const auto rowLine = [&](double y) {
            layer.push_back(PolylinePrimitive{{{U(border.left), U(y)}, {U(border.Right()), U(y)}}, pen});
        };
        rowLine(top);
        for (std::size_t c = 0; c < captions.size(); ++c)
            layer.push_back(Text({U(columnX(c) + kTextPadMm), U(top + 0.5 * rowHeight)}, 3, captions[c],
                                 kTextHeight, true));
        top += rowHeight;
        rowLine(top);
        for (std::size_t i = first; i < last; ++i) {
            const PointResultRow& r = rows[i];
            const std::array<std::string, 7> cells{std::to_string(i + 1),
                                                   r.label,
                                                   Fixed(r.x, 2),
                                                   Fixed(r.y, 2),
                                                   Fixed(r.z, 2),
                                                   r.laeq ? Fixed(*r.laeq, 1) : "—",
                                                   r.lamax ? Fixed(*r.lamax, 1) : "—"};
            for (std::size_t c = 0; c < cells.size(); ++c) {
                const int cellWidth = U(columnX(c + 1) - columnX(c) - 2 * kTextPadMm);
                // Numbers stand at the right of their cells, the label at the left.
                const bool number = c != 1;
                const int x = number ? U(columnX(c + 1) - kTextPadMm) : U(columnX(c) + kTextPadMm);
                layer.push_back(Text({x, U(top + 0.5 * rowHeight)}, number ? 5 : 3,
                                     Fitted(cells[c], cellWidth, width, kTextHeight), kTextHeight));
            }
            top += rowHeight;
            rowLine(top);
        }
        for (std::size_t c = 0; c <= captions.size(); ++c)
            layer.push_back(PolylinePrimitive{
                {{U(columnX(c)), U(border.top + headerHeight)}, {U(columnX(c)), U(top)}}, pen});
        if (page + 1 == pageCount && pointsInModel > rows.size()) {
            layer.push_back(Text(
                {U(border.left), U(top + rowHeight)}, 3,
                "ほか " + std::to_string(pointsInModel - rows.size()) + " 点は表に含みません", kTextHeight));
        }
        pages.push_back(std::move(layer));
    }
    return pages;
}

}  // namespace kelmora
