// `kelmora-calc map PROJECT --results FILE [--minus FILE] [--scheme standard|eu|classic] [--from 35
// --step 5] [--crs EPSG:n] [--layout A3L --scale 1000 --title T] -o OUT`: the noise map of a grid's
// result file (or the difference of two scenarios) as a picture of the plan with the map and its legend
// (PNG, SVG), a printed page (PDF, or PNG with --layout), a vertical section (PNG, SVG), or GIS files
// (GeoJSON, GeoPackage, GeoTIFF, at the site's place in its coordinate system when the project's
// extension file has them). Runs without a display; the output's extension picks the form. The
// map settings the project keeps beside it (classes, colours, masking, smoothing, labels) are used
// unless the options say otherwise.
#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <boost/geometry/algorithms/area.hpp>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "cli/CommandProject.h"
#include "cli/Commands.h"
#include "cli/MapLayout.h"
#include "cli/NumberText.h"
#include "cli/PlanWindow.h"
#include "model/persistence/ExtensionFile.h"
#include "model/persistence/ProjectFile.h"
#include "platform/gis/GisExport.h"
#include "platform/raster/MapPicture.h"
#include "view/noisemap/BuildingMask.h"
#include "view/noisemap/DifferenceMap.h"
#include "view/noisemap/MapStyle.h"
#include "view/noisemap/ResultFile.h"

namespace kelmora::cli {
namespace {

namespace fs = std::filesystem;

struct MapOptions {
    std::string project;
    std::string results;
    std::string minus;
    std::string scheme;  // empty: the project's map settings
    std::optional<double> from;
    std::optional<double> step;
    std::string crs;
    std::string size;
    double zoom = 1.0;
    bool noIsoLines = false;
    bool noMask = false;
    bool smooth = false;
    MapLayoutOptions page;
    std::string output;
};

enum class OutputForm { Png, Svg, Gis, Page };

std::optional<OutputForm> FormOfOutput(const fs::path& path, const MapLayoutOptions& page) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (WantsPage(page, path) && (ext == ".pdf" || ext == ".png")) return OutputForm::Page;
    if (ext == ".png") return OutputForm::Png;
    if (ext == ".svg") return OutputForm::Svg;
    if (GisFormatOfPath(path)) return OutputForm::Gis;
    return std::nullopt;
}

// "EPSG:6677" → 6677.
std::optional<int> ParseCrs(const std::string& text) {
    constexpr std::string_view kPrefix = "EPSG:";
    if (!text.starts_with(kPrefix)) return std::nullopt;
    return ParseWholeNumber(std::string_view(text).substr(kPrefix.size()), 1, INT32_MAX);
}

const char* QuantityName(MapQuantity q) {
    switch (q) {
        case MapQuantity::LAeqT:
            return "LAeqT";
        case MapQuantity::LAmax:
            return "LAmax";
        case MapQuantity::Unknown:
            break;
    }
    return "レベル";
}

// The classes and colours: the project's map settings, with the scheme, the lowest limit and the
// width the options give. A difference map's classes are centred on no change: --step is their width
// and --from the lowest limit they reach down to.
MapStyle CommandMapStyle(const MapOptions& opt, MapSettings settings, bool difference) {
    if (difference) {
        if (opt.step) settings.differenceClassWidthDb = *opt.step;
        if (opt.from) {
            settings.differenceClassesEachSide =
                static_cast<int>(DifferenceClassesReaching(*opt.from, settings.differenceClassWidthDb));
        }
        return DifferenceMapStyle(settings);
    }
    if (!opt.scheme.empty()) settings.scheme = opt.scheme;
    if (opt.from) settings.lowestClassDb = *opt.from;
    if (opt.step) settings.classWidthDb = *opt.step;
    return LevelMapStyle(settings);
}

// The map of the result file, or of its difference from the other scenario's (A − B, named by the
// files' names).
NoiseMap CommandMap(const MapOptions& opt, const ProjectDocument& doc, const MapSettings& settings,
                    MapQuantity& quantity) {
    const CCalcInfo& calc = doc.model.calcInfo;
    const LevelGrid grid = ReadResultFile(opt.results, calc, &quantity);
    MapShaping shaping;
    shaping.smooth = settings.smooth || opt.smooth;
    if (settings.maskBuildings && !opt.noMask) shaping.mask = BuildingFootprints(doc.model);
    const bool vertical = IsVerticalGrid(grid);
    const std::optional<double> height = vertical ? std::nullopt : std::optional(calc.gridHeight);
    if (opt.minus.empty()) {
        const MapStyle style = CommandMapStyle(opt, settings, false);
        return BuildNoiseMap(grid, style.classes, style.scheme, NoiseMapKind{quantity, false, height},
                             shaping);
    }
    MapQuantity other = MapQuantity::Unknown;
    const LevelGrid b = ReadResultFile(opt.minus, calc, &other);
    if (quantity != MapQuantity::Unknown && other != MapQuantity::Unknown && quantity != other) {
        throw NoiseMapError(std::string("LAeqT と LAmax の差は作れません (") + QuantityName(quantity) +
                            " − " + QuantityName(other) + ")");
    }
    if (quantity == MapQuantity::Unknown) quantity = other;
    return BuildDifferenceMap({grid, fs::path(opt.results).filename().string()},
                              {b, fs::path(opt.minus).filename().string()}, quantity,
                              CommandMapStyle(opt, settings, true), height, shaping);
}

// Pads UTF-8 text to a terminal width: wide (CJK) characters take two columns.
std::string PadRight(const std::string& text, int columns) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        // Three-byte characters from U+3000 on (kana, kanji, full-width forms) are wide.
        width += length == 3 && c >= 0xE3 ? 2 : 1;
        i += static_cast<std::size_t>(length);
    }
    return text + std::string(static_cast<std::size_t>(std::max(0, columns - width)), ' ');
}

void PrintBandAreas(const NoiseMap& map) {
    std::printf("%s%12s\n", PadRight("区分[dB]", 12).c_str(), map.vertical ? "面積[m·m]" : "面積[m2]");
    for (const LevelBand& band : map.bands) {
        const double area = BandArea(band);
        if (area > 0.0)
            std::printf("%s%12.1f\n", PadRight(ClassLabel(map.classes, band.classIndex), 12).c_str(), area);
    }
}

int RunMap(const MapOptions& opt) {
    const fs::path out(opt.output);
    const std::optional<OutputForm> form = FormOfOutput(out, opt.page);
    if (!form) {
        std::fprintf(stderr,
                     "出力ファイルの拡張子で形式を選んでください (.png .svg .pdf .geojson .gpkg .tif): %s\n",
                     opt.output.c_str());
        return 1;
    }
    std::optional<int> epsg;
    if (!opt.crs.empty() && !(epsg = ParseCrs(opt.crs))) {
        std::fprintf(stderr, "--crs は EPSG:番号 で指定してください: %s\n", opt.crs.c_str());
        return 1;
    }
    std::optional<QSize> size;
    if (!opt.size.empty() && !(size = ParseSize(opt.size))) {
        std::fprintf(stderr, "--size は 幅x高さ (1..%d) で指定してください: %s\n", kMaxSidePx,
                     opt.size.c_str());
        return 1;
    }
    if (!(opt.zoom >= 0.05 && opt.zoom <= 20.0)) {
        std::fprintf(stderr, "--zoom は 0.05 から 20 までにしてください\n");
        return 1;
    }
    const bool difference = !opt.minus.empty();
    if (!opt.scheme.empty() && SchemeById(opt.scheme) == nullptr) {
        std::fprintf(stderr, "--scheme は standard, eu か classic です: %s\n", opt.scheme.c_str());
        return 1;
    }
    std::optional<PageSetup> page;
    if (*form == OutputForm::Page && !(page = PageOfOptions(opt.page))) return 1;
    const std::optional<ProjectDocument> project = ReadCommandProject(opt.project);
    if (!project) return 1;
    const ProjectDocument& doc = *project;
    const CCalcInfo& calc = doc.model.calcInfo;
    const MapSettings settings = ProjectMapSettings(opt.project);
    const MapLook look{settings.isoLines && !opt.noIsoLines, settings.isoLineLabels};

    try {
        MapQuantity quantity = MapQuantity::Unknown;
        const NoiseMap map = CommandMap(opt, doc, settings, quantity);

        std::error_code ec;
        if (out.has_parent_path()) fs::create_directories(out.parent_path(), ec);
        if (*form == OutputForm::Gis) {
            // At the site's place in its coordinate system (the project's extension file); --crs names
            // another system for the same coordinates.
            GisOptions gis = SiteGisOptions(ReadExtensionFile(opt.project).coordinates);
            if (epsg) {
                gis.epsg = epsg;
                gis.definition.clear();
            }
            WriteVectorMap(map, out, *GisFormatOfPath(out), gis);
        } else if (*form == OutputForm::Page) {
            if (map.vertical) throw NoiseMapError("鉛直断面は地図のページにできません");
            EnsureGuiApplication();
            const FirstWindow window = OpenFirstWindow(doc, opt.project);
            const QImage* picture = window.picture.ok() ? &window.picture.picture : nullptr;
            WritePage(out, *page, opt.page,
                      PageInputs{doc.model, window.view, picture, map, quantity, look,
                                 fs::path(opt.project).filename().string()});
        } else {
            EnsureGuiApplication();
            MapDrawing drawing;
            const QImage* picture = nullptr;
            FirstWindow window;
            if (map.vertical) {
                SectionFrame frame;
                if (size) {
                    frame.width = size->width();
                    frame.height = size->height();
                }
                frame.lowestNodeAboveGround = calc.gridHeight;
                frame.isoLines = look.isoLines;
                drawing = SectionDrawing(map, frame);
            } else {
                window = OpenFirstWindow(doc, opt.project);
                window.view.zoom.magnification *= opt.zoom;
                window.view.zoom.origin = opt.zoom * window.view.zoom.origin;
                if (window.picture.ok()) picture = &window.picture.picture;
                PlanMapInputs in{doc.model,          window.view,
                                 picture != nullptr, size.value_or(PictureExtent(window.view)),
                                 look.isoLines,      ""};
                in.isoLineLabels = look.isoLineLabels;
                in.gridCrosses = settings.gridCrosses;
                drawing = PlanMapDrawing(map, in);
            }
            const std::string title =
                map.legend.heading + (map.legend.subheading.empty() ? "" : " " + map.legend.subheading);
            WriteRenderedBytes(out,
                               *form == OutputForm::Png ? EncodePng(RenderDrawing(drawing, picture))
                                                        : RenderSvg(drawing, title, picture),
                               "画像を作れません");
        }
        std::printf("%s: %s%s, %d × %d 点%s\n", opt.output.c_str(), QuantityName(quantity),
                    difference ? " の差" : "", map.grid.columns, map.grid.rows,
                    map.vertical ? " (鉛直断面)" : "");
        PrintBandAreas(map);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace

void AddMapCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<MapOptions>();
    CLI::App* cmd =
        app.add_subcommand("map", "Draw the noise map of a grid's result file, or export it for GIS");
    cmd->add_option("project", opt->project, "project file the results were computed with")->required();
    cmd->add_option("--results", opt->results,
                    "LAeqT or LAmax result file of a grid run (X Y Z or matrix form)")
        ->required();
    cmd->add_option("--minus", opt->minus,
                    "result file of another scenario of the same grid: map the difference");
    cmd->add_option("--scheme", opt->scheme,
                    "colours: standard, eu or classic (default: the project's map settings, else standard); "
                    "difference maps are blue below and red above a grey class around no change");
    cmd->add_option("--from", opt->from,
                    "lowest class limit in dB (default 35; difference maps: the lowest limit the classes "
                    "reach, default -4.5)");
    cmd->add_option("--step", opt->step,
                    "class width in dB (default 5; difference maps 1, the grey class ± half of it)");
    cmd->add_option("--crs", opt->crs, "coordinate system of the site's metres for GIS files, EPSG:n");
    cmd->add_option("--size", opt->size,
                    "picture size WxH of the plan (default: the window's) or the section");
    cmd->add_option("--zoom", opt->zoom, "magnification of the plan picture (default 1)");
    cmd->add_flag("--no-isolines", opt->noIsoLines, "leave the iso-lines out of pictures");
    cmd->add_flag("--no-mask", opt->noMask, "colour the levels inside building footprints too");
    cmd->add_flag("--smooth", opt->smooth, "draw the grid smoothly (bilinear within each cell)");
    AddMapLayoutOptions(*cmd, opt->page);
    cmd->add_option("-o,--output", opt->output, "file to write: .png .svg .pdf .geojson .gpkg .tif")
        ->required();
    cmd->callback([opt, &exitCode] { exitCode = RunMap(*opt); });
}

}  // namespace kelmora::cli
