#include "cli/PlanWindow.h"

#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cli/NumberText.h"
#include "view/ViewTransform.h"
#include "view/WindowSetUp.h"

namespace kelmora::cli {

namespace fs = std::filesystem;

namespace {

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

}  // namespace

void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "kelmora-calc";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

FirstWindow OpenFirstWindow(const ProjectDocument& doc, const std::string& projectPath) {
    // The first window takes the first record; without one it is a new window without a picture.
    FirstWindow window;
    if (!doc.viewRecords.empty()) {
        window.view = doc.viewRecords.front().viewData;
        if (const auto path = FindPicture(window.view.imagePath, fs::path(projectPath))) {
            window.picture = LoadBackgroundPicture(path->string());
            if (!window.picture.ok()) std::fprintf(stderr, "%s\n", window.picture.error.c_str());
        } else if (!window.view.imagePath.empty()) {
            std::fprintf(stderr, "背景画像がありません: %s\n", window.view.imagePath.c_str());
        }
    } else {
        SetPictureSize(window.view, std::nullopt);
        ApplyDefaultTransforms(window.view);
    }
    return window;
}

QSize PictureExtent(const CKelmoraViewData& v) {
    const double m = EffectiveMagnification(v.zoom);
    auto side = [](double extent) {
        if (!std::isfinite(extent) || extent < 1.0) return 1;
        return static_cast<int>(std::min(std::ceil(extent), static_cast<double>(kMaxSidePx)));
    };
    return {side(v.zoom.origin.x + m * v.imageWidth), side(v.zoom.origin.y + m * v.imageHeight)};
}

std::optional<QSize> ParseSize(const std::string& text) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    const std::optional<int> w = ParseWholeNumber(std::string_view(text).substr(0, x), 1, kMaxSidePx);
    const std::optional<int> h = ParseWholeNumber(std::string_view(text).substr(x + 1), 1, kMaxSidePx);
    if (!w || !h) return std::nullopt;
    return QSize(*w, *h);
}

}  // namespace kelmora::cli
