#pragma once
// Reading a window's background picture (a scanned site plan, JPEG or BMP) from its file.
#include <QImage>
#include <string>

#include "view/WindowSetUp.h"

namespace kelmora {

struct PictureLoad {
    QImage picture;      // null when the file could not be read
    std::string error;   // why not, for the log of a command-line run; empty on success
    std::string reason;  // why not, without the file's name (the reader's or the file system's words)

    bool ok() const { return !picture.isNull(); }
    PictureSize size() const { return {picture.width(), picture.height()}; }
};

// Decodes the picture at `path` (UTF-8) in its stored orientation. A missing, unreadable or damaged
// file, or one that is no regular file (a FIFO is refused without waiting), gives a null picture and a
// reason; nothing is thrown.
PictureLoad LoadBackgroundPicture(const std::string& path);

}  // namespace kelmora
