#pragma once
// The plan as a project's first window shows it, for the commands that draw pictures without a display:
// its stored view (or a new window's), its background picture found beside the project when the stored
// path does not exist here, and the client size that shows the whole picture.
#include <QImage>
#include <QSize>
#include <optional>
#include <string>

#include "model/persistence/ProjectFile.h"
#include "platform/raster/BackgroundPicture.h"

namespace kelmora::cli {

inline constexpr int kMaxSidePx = 16384;

// Qt's text rendering needs a GUI application; the offscreen platform needs no display.
void EnsureGuiApplication();

struct FirstWindow {
    CKelmoraViewData view;
    PictureLoad picture;
};

// The first window's view data and picture. A missing or unreadable picture is reported on stderr and
// the plan is drawn without it.
FirstWindow OpenFirstWindow(const ProjectDocument& doc, const std::string& projectPath);

// The client size showing the whole picture as the window's zoom places it (at least 1 px).
QSize PictureExtent(const CKelmoraViewData& v);

// "WxH" with both sides 1 … kMaxSidePx.
std::optional<QSize> ParseSize(const std::string& text);

}  // namespace kelmora::cli
