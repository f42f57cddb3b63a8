#include "cli/MapLayout.h"

#include <QByteArray>
#include <QDate>
#include <QImage>
#include <QSettings>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <span>

#include "model/persistence/ExtensionFile.h"
#include "model/persistence/ProjectFile.h"
#include "platform/raster/MapPicture.h"
#include "platform/raster/PagePicture.h"

namespace kelmora::cli {

namespace fs = std::filesystem;

namespace {

std::string Lowercase(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// The desktop program's user settings: the same store it asks the company and the author into.
std::string UserSetting(const char* key) {
    const QSettings settings(QStringLiteral("Brenwick"), QStringLiteral("Kelmora"));
    return settings.value(QString::fromLatin1(key)).toString().toStdString();
}

}  // namespace

void WriteRenderedBytes(const fs::path& path, const QByteArray& bytes, const std::string& nothingMade) {
    if (bytes.isEmpty()) throw std::runtime_error(nothingMade + ": " + path.string());
    try {
        SaveFileBytes(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())));
    } catch (const ProjectFileError& e) {
        throw std::runtime_error("ファイルを書き込めません: " + e.reason());
    }
}

void AddMapLayoutOptions(CLI::App& command, MapLayoutOptions& options) {
    command.add_option(
        "--layout", options.layout,
        "print page A4P, A4L, A3P or A3L: the map with legend, scale bar, north arrow and title "
        "block (a .pdf output without it takes A3L)");
    command.add_option("--scale", options.scale,
                       "scale of a page: 250, 500, 1000, 2500, 5000 or fit (default)");
    command.add_option("--title", options.title, "title of a page's title block");
    command.add_option("--company", options.company,
                       "company of the title block (default: the user's settings)");
    command.add_option("--author", options.author,
                       "author of the title block (default: the user's settings)");
    command.add_option("--dpi", options.dpi, "resolution of a page written as .png (72 … 600, default 300)");
    command.add_flag("--table", options.table, "add the points' results table to a PDF page");
}

bool WantsPage(const MapLayoutOptions& options, const fs::path& output) {
    return !options.layout.empty() || Lowercase(output.extension().string()) == ".pdf";
}

std::optional<PageSetup> PageOfOptions(const MapLayoutOptions& options) {
    std::optional<PageSetup> setup = PageOfCode(options.layout.empty() ? "A3L" : options.layout);
    if (!setup) {
        std::fprintf(stderr, "--layout は A4P, A4L, A3P, A3L のどれかです: %s\n", options.layout.c_str());
        return std::nullopt;
    }
    const std::string scale = Lowercase(options.scale);
    if (!scale.empty() && scale != "fit") {
        const auto known = std::find_if(kPageScales.begin(), kPageScales.end(),
                                        [&scale](int s) { return std::to_string(s) == scale; });
        if (known == kPageScales.end()) {
            std::fprintf(stderr, "--scale は 250, 500, 1000, 2500, 5000 か fit です: %s\n",
                         options.scale.c_str());
            return std::nullopt;
        }
        setup->scale = *known;
    }
    if (options.dpi < kLeastPageDpi || options.dpi > kMostPageDpi) {
        std::fprintf(stderr, "--dpi は %d から %d までにしてください\n", kLeastPageDpi, kMostPageDpi);
        return std::nullopt;
    }
    setup->title = options.title;
    setup->resultsTable = options.table;
    return setup;
}

MapSettings ProjectMapSettings(const std::string& projectPath) {
    try {
        return ReadExtensionFile(projectPath).map.value_or(MapSettings{});
    } catch (const ExtensionFileError& e) {
        std::fprintf(stderr, "拡張ファイルを読めません。騒音マップは既定の設定で描きます: %s\n", e.what());
    }
    return MapSettings{};
}

void WritePage(const fs::path& output, const PageSetup& setup, const MapLayoutOptions& options,
               const PageInputs& in) {
    const std::string company = !options.company.empty() ? options.company : UserSetting(kReportCompanyKey);
    const std::string author = !options.author.empty() ? options.author : UserSetting(kReportAuthorKey);
    PageContent content{
        in.model,
        in.window,
        in.picture != nullptr,
        &in.map,
        in.look,
        false,
        std::nullopt,
        TitleTextsOf(&in.map, in.projectName, setup.title,
                     QDate::currentDate().toString(Qt::ISODate).toStdString(), company, author)};
    // The command has no run: the results table lists the result file's points.
    const ResultRows rows{PointResultRows(in.map.grid, in.quantity), in.map.grid.NodeCount()};
    const PagePrintout printout =
        MakePrintout(setup, content, setup.title.empty() ? in.projectName : setup.title, in.picture, rows);
    if (!printout.map.placement.fits)
        std::fprintf(stderr, "%s では地図の一部が枠に入りません (用紙 %s)\n",
                     ScaleText(printout.map.placement.scale).c_str(), PageName(setup).c_str());
    if (Lowercase(output.extension().string()) == ".png") {
        WriteRenderedBytes(output, EncodePng(RenderPageImage(printout, 0, options.dpi)),
                           "ページを作れません");
        return;
    }
    WriteRenderedBytes(output, RenderPdf(printout), "ページを作れません");
}

}  // namespace kelmora::cli
