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
#include "cli/PlanWindow.h"
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

int RunRender(const RenderOptions& opt) {
    std::optional<QSize> requestedSize;
    if (!opt.size.empty() && !(requestedSize = ParseSize(opt.size))) {
        std::fprintf(stderr, "--size は 幅x高さ (1..%d) で指定してください: %s\n", kMaxSidePx,
                     opt.size.c_str());
        return 1;
    }
    const std::optional<ProjectDocument> project = ReadCommandProject(opt.project);
    if (!project) return 1;
    const ProjectDocument& doc = *project;
    EnsureGuiApplication();
    const FirstWindow window = OpenFirstWindow(doc, opt.project);
    const CKelmoraViewData& view = window.view;
    const PictureLoad& picture = window.picture;

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
