#include "platform/raster/BackgroundPicture.h"

#include <QFile>
#include <QImageReader>
#include <QString>
#include <optional>

#include "model/persistence/InputFile.h"

namespace kelmora {

namespace {

PictureLoad Failed(const std::string& path, std::string reason) {
    PictureLoad load;
    load.error = "cannot read picture " + path + ": " + reason;
    load.reason = std::move(reason);
    return load;
}

}  // namespace

PictureLoad LoadBackgroundPicture(const std::string& path) {
    PictureLoad load;
    if (path.empty()) {
        load.error = "no picture file given";
        return load;
    }
    // Only a regular file is decoded: the path comes from the project file, and a FIFO there would
    // block the program, a device never end. The file checked is the file read.
    std::optional<RegularFile> file;
    try {
        file.emplace(path);
    } catch (const InputFileError& e) {
        return Failed(path, e.reason());
    }
    QFile device;
    if (!device.open(file->fd(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return Failed(path, device.errorString().toStdString());
    QImageReader reader(&device);
    // The picture's pixels as stored: the calibration refers to them, not to a rotated copy.
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull()) return Failed(path, reader.errorString().toStdString());
    load.picture = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                 : QImage::Format_RGB32);
    return load;
}

}  // namespace kelmora
