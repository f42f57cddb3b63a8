// `kelmora-calc render PROJECT -o PLAN.png`: draws the plan of a project as its first window shows it
// (its stored view and background picture; a new window's 500 × 300 blank area when the project holds
// no window record) and writes it as a PNG picture. Runs without a display.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "cli/CommandProject.h"
#include "cli/Commands.h"
#include "model/persistence/ProjectFile.h"
#include "platform/raster/BackgroundPicture.h"
#include "platform/raster/PlanRasterizer.h"
#include "view/PlanScene.h"
#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora::cli {
namespace {

namespace fs = std::filesystem;

struct RenderOptions {
    std::string project;
    std::string output;
    std::string size;  // "WxH" client pixels; empty = the picture's extent on the screen
};

constexpr int kMaxSidePx = 16384;

// The text rendering of Qt needs a GUI application; the offscreen platform needs no display.
void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "kelmora-calc";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

// The stored picture path, or — when that does not exist here (a project saved on another machine, or a
// path relative to the project) — a file of that name in the project's folder.
std::optional<fs::path> FindPicture(const std::string& stored, const fs::path& projectPath) {
    if (stored.empty()) return std::nullopt;
    std::error_code ec;
    const fs::path path = fs::path(stored);
    if (path.is_absolute() && fs::is_regular_file(path, ec)) return path;
    const fs::path folder = projectPath.parent_path();
    if (path.is_relative() && fs::is_regular_file(folder / path, ec)) return folder / path;
    // A Windows path keeps its folders behind backslashes.
    std::string name =
        stored.substr(stored.find_last_of("\\/") == std::string::npos ? 0 : stored.find_last_of("\\/") + 1);
    if (!name.empty() && fs::is_regular_file(folder / fs::path(name), ec)) return folder / fs::path(name);
    return std::nullopt;
}

// The client size showing the whole picture as the window's zoom places it (at least 1 px).
QSize PictureExtent(const CKelmoraViewData& v) {
    const double m = EffectiveMagnification(v.zoom);
    auto side = [](double extent) {
        if (!std::isfinite(extent) || extent < 1.0) return 1;
        return static_cast<int>(std::min(std::ceil(extent), static_cast<double>(kMaxSidePx)));
    };
    return {side(v.zoom.origin.x + m * v.imageWidth), side(v.zoom.origin.y + m * v.imageHeight)};
}

std::optional<QSize> ParseSize(const std::string& text) {
    int w = 0;
    int h = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &tail) != 2) return std::nullopt;
    if (w < 1 || h < 1 || w > kMaxSidePx || h > kMaxSidePx) return std::nullopt;
    return QSize(w, h);
}

int RunRender(const RenderOptions& opt) {
    std::optional<QSize> requestedSize;
    if (!opt.size.empty() && !(requestedSize = ParseSize(opt.size))) {
        std::fprintf(stderr, "--size は 幅x高さ (1..%d) で指定してください: %s\n", kMaxSidePx,
                     opt.size.c_str());
        return 2;
    }
    const std::optional<ProjectDocument> project = ReadCommandProject(opt.project);
    if (!project) return 1;
    const ProjectDocument& doc = *project;
    EnsureGuiApplication();

    // The first window takes the first record; without one it is a new window without a picture.
    CKelmoraViewData view;
    PictureLoad picture;
    if (!doc.viewRecords.empty()) {
        view = doc.viewRecords.front().viewData;
        if (const auto path = FindPicture(view.imagePath, fs::path(opt.project))) {
            picture = LoadBackgroundPicture(path->string());
            if (!picture.ok()) std::fprintf(stderr, "%s\n", picture.error.c_str());
        } else if (!view.imagePath.empty()) {
            std::fprintf(stderr, "背景画像がありません: %s\n", view.imagePath.c_str());
        }
    } else {
        SetPictureSize(view, std::nullopt);
        ApplyDefaultTransforms(view);
    }

    const EditState idle;
    const PlanSceneInputs inputs{doc.model, doc.model, idle, view, picture.ok()};
    const QSize size = requestedSize.value_or(PictureExtent(view));
    QImage image = NewLayerImage(size.width(), size.height());
    RasterizeLayer(image, DrawBase(inputs), picture.ok() ? &picture.picture : nullptr);
    RasterizeLayer(image, DrawOverlay(inputs));

    const fs::path out = fs::path(opt.output);
    std::error_code ec;
    if (out.has_parent_path()) fs::create_directories(out.parent_path(), ec);
    // The picture is encoded whole, then replaces a previous one only once it is on the disk.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        std::fprintf(stderr, "画像を書き込めません: %s\n", opt.output.c_str());
        return 1;
    }
    try {
        SaveFileBytes(out, std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                     static_cast<std::size_t>(png.size())));
    } catch (const ProjectFileError& e) {
        std::fprintf(stderr, "画像を書き込めません: %s (%s)\n", opt.output.c_str(), e.reason().c_str());
        return 1;
    }
    std::printf("%s: %d x %d px, ground lines %zu, buildings %zu, outdoor sources %zu, picture %s\n",
                opt.output.c_str(), size.width(), size.height(), doc.model.groundLines.size(),
                doc.model.buildings.size(), doc.model.outdoorSources.size(), picture.ok() ? "yes" : "no");
    return 0;
}

}  // namespace

void AddRenderCommand(CLI::App& app, int& exitCode) {
    auto opt = std::make_shared<RenderOptions>();
    CLI::App* cmd = app.add_subcommand("render", "Draw the plan of a project as a PNG picture");
    cmd->add_option("project", opt->project, "project file")->required();
    cmd->add_option("-o,--output", opt->output, "PNG file to write")->required();
    cmd->add_option("--size", opt->size,
                    "client area WxH in pixels (default: the picture as the window shows it)");
    cmd->callback([opt, &exitCode] { exitCode = RunRender(*opt); });
}

}  // namespace kelmora::cli
