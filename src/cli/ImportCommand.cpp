// `kelmora-calc import PROJECT SOURCE --mapping MAP.json [-o OUT] [--new]`: brings a site in from a DXF
// drawing or GIS layers as the desktop's "インポート..." does, and prints the report. The objects made are
// added to the project (or to a new one with --new) and the project is written with its extension file
// (the coordinate system and origin) the safe way, to OUT or over PROJECT. Nothing is written when the
// import is refused.
//
// `kelmora-calc import --list SOURCE` prints the source's layers (each DXF layer name of a drawing) with
// what they hold, their fields, extent and coordinate system, to write a mapping from.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "importing/SiteImport.h"
#include "model/persistence/ExtensionFile.h"
#include "view/FitView.h"

namespace kelmora::cli {
namespace {

namespace fs = std::filesystem;

struct ImportOptions {
    std::vector<std::string> files;  // PROJECT SOURCE, or SOURCE with --list
    std::string mapping;
    std::string output;
    bool newProject = false;
    bool list = false;
};

// The window of a new project, as the desktop opens it, fitted to what was imported.
constexpr FrameRect kNewProjectFrame{0, 0, 980, 640};
constexpr int kNewProjectClientWidth = 960;
constexpr int kNewProjectClientHeight = 600;

std::string Fixed(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string ExtentText(const PlanExtent& e) {
    if (e.empty) return "なし";
    return "X " + Fixed(e.minX) + " 〜 " + Fixed(e.maxX) + ", Y " + Fixed(e.minY) + " 〜 " + Fixed(e.maxY);
}

std::string FieldsText(const std::vector<SourceField>& fields) {
    std::string text;
    for (const SourceField& f : fields)
        text += (text.empty() ? "" : ", ") + f.name + " (" + f.type + ")";
    return text.empty() ? "なし" : text;
}

void PrintListing(const SourceInfo& info) {
    std::printf("%s: %s, %zu レイヤ\n", info.path.string().c_str(), info.driver.c_str(), info.layers.size());
    if (info.dxf) {
        std::printf("図面の単位: %s\n",
                    info.insUnits ? ("$INSUNITS " + InsUnitsText(*info.insUnits)).c_str() : "$INSUNITS なし");
        std::printf("厚さ: %s\n", info.thicknessReadable ? "読めます" : "図形にハンドルがないので読めません");
    }
    for (const SourceLayer& layer : info.layers) {
        std::printf("\nレイヤ %s: %s, %lld 件\n", layer.name.c_str(), layer.GeometryText().c_str(),
                    static_cast<long long>(layer.features));
        std::printf("  範囲: %s\n", ExtentText(layer.extent).c_str());
        if (!info.dxf) {
            std::printf("  座標系: %s\n", layer.crs ? layer.crs->Label().c_str() : "なし");
            std::printf("  属性: %s\n", FieldsText(layer.fields).c_str());
        }
    }
    if (info.dxf && !info.layers.empty())
        std::printf("\n属性 (どのレイヤも): %s\n", FieldsText(info.layers.front().fields).c_str());
}

// The progress of a long read on a terminal.
ImportProgress TerminalProgress() {
    if (::isatty(STDERR_FILENO) == 0) return {};
    auto shown = std::make_shared<int>(-1);
    return [shown](double fraction) {
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent != *shown) {
            *shown = percent;
            std::fprintf(stderr, "\r読み込み中 %3d%%", percent);
            if (percent >= 100) std::fprintf(stderr, "\n");
        }
        return true;
    };
}

int RunList(const std::string& source) {
    try {
        PrintListing(ListSource(source, TerminalProgress()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s%s\n", ::isatty(STDERR_FILENO) != 0 ? "\n" : "", e.what());
        return 1;
    }
    return 0;
}

int RunImport(const ImportOptions& opt) {
    const fs::path project = opt.files[0];
    const fs::path output = opt.output.empty() ? project : fs::path(opt.output);
    std::error_code ec;
    if (opt.newProject && fs::exists(output, ec)) {
        std::fprintf(
            stderr,
            "既にあります: %s (--new は新しいプロジェクトを作ります。書き出し先を -o で選んでください)\n",
            output.string().c_str());
        return 1;
    }
    try {
        ProjectDocument doc = NewProjectDocument();
        ProjectExtras extras;
        if (!opt.newProject) {
            ProjectWithExtras read = ReadProjectWithExtras(project);
            if (!read.extrasProblem.empty()) {
                std::fprintf(stderr, "拡張ファイルを読めないので取り込みません: %s\n",
                             read.extrasProblem.c_str());
                return 1;
            }
            doc = std::move(read.project);
            extras = std::move(read.extras);
        }
        const ImportMapping mapping = ReadMappingFile(opt.mapping);
        const SourceInfo source = ListSource(opt.files[1], TerminalProgress());
        const ImportOutcome out =
            RunImport(source, mapping, {extras.coordinates, doc.model.calcInfo.mode}, TerminalProgress());
        if (out.report.MadeCount() == 0) {
            std::printf("%s", ImportReportText(out.report).c_str());
            std::fprintf(stderr, "何も取り込めませんでした。マッピングのレイヤ名を確かめてください\n");
            return 1;
        }
        doc.model = WithImported(std::move(doc.model), out.additions);
        if (opt.newProject && !out.report.extent.empty) {
            ViewRecord& record = doc.viewRecords.front();
            record.info.frameRect = kNewProjectFrame;
            record.viewData = ViewFittedTo({out.report.extent.minX, out.report.extent.minY},
                                           {out.report.extent.maxX, out.report.extent.maxY},
                                           kNewProjectClientWidth, kNewProjectClientHeight);
        }
        SaveProjectWithExtras(output, doc, WithCoordinates(std::move(extras), out.coordinates));
        std::printf("%s", ImportReportText(out.report).c_str());
        std::printf("書き出し: %s\n", output.string().c_str());
    } catch (const ProjectFileError& e) {
        std::fprintf(stderr, "%s (%s)\n", e.what(), e.reason().c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace

void AddImportCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<ImportOptions>();
    CLI::App* cmd = app.add_subcommand(
        "import",
        "Bring a site in from a DXF drawing or GIS layers (Shapefile, GeoPackage, GeoJSON, CityGML)");
    cmd->add_option("files", opt->files, "PROJECT SOURCE (with --list: SOURCE)")->expected(1, 2);
    cmd->add_option("--mapping", opt->mapping, "mapping file (JSON) of the source's layers");
    cmd->add_option("-o,--output", opt->output, "project file to write (default: over PROJECT)");
    cmd->add_flag("--new", opt->newProject, "start a new project instead of adding to PROJECT");
    cmd->add_flag("--list", opt->list, "list the layers and fields of SOURCE");
    cmd->callback([opt, &exitCode] {
        if (opt->list) {
            if (opt->files.size() != 1 || !opt->mapping.empty() || !opt->output.empty() || opt->newProject) {
                std::fprintf(stderr, "--list にはファイルを一つだけ指定してください: import --list SOURCE\n");
                exitCode = 1;
                return;
            }
            exitCode = RunList(opt->files[0]);
            return;
        }
        if (opt->files.size() != 2 || opt->mapping.empty()) {
            std::fprintf(stderr,
                         "import PROJECT SOURCE --mapping MAP.json [-o OUT] [--new] で指定してください\n");
            exitCode = 1;
            return;
        }
        exitCode = RunImport(*opt);
    });
}

}  // namespace kelmora::cli
