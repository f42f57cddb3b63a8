#include "platform/raster/BackgroundPicture.h"

#include <QImageReader>
#include <QString>

namespace kelmora {

PictureLoad LoadBackgroundPicture(const std::string& path) {
    PictureLoad load;
    if (path.empty()) {
        load.error = "no picture file given";
        return load;
    }
    QImageReader reader(QString::fromStdString(path));
    // The picture's pixels as stored: the calibration refers to them, not to a rotated copy.
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull()) {
        load.error = "cannot read picture " + path + ": " + reader.errorString().toStdString();
        return load;
    }
    load.picture = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                 : QImage::Format_RGB32);
    return load;
}

}  // namespace kelmora
