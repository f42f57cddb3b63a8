#pragma once
// Saving a noise map or a section as a picture file chosen by the user: PNG or SVG by the name's
// extension, written whole or not at all (the previous file stays as it was), failures told in a
// message box.
#include <QString>
#include <optional>
#include <string>

#include "platform/raster/MapPicture.h"

class QWidget;

namespace kelmora {

class UserQuestions;

enum class PictureForm { Png, Svg };

// The form a file name asks for by its extension (any case); none for any other extension.
std::optional<PictureForm> PictureFormOfPath(const std::string& path);

// Asks for the file with the save dialog titled `dialogTitle` (PNG or SVG, ".png" added to a name
// without extension), then writes the drawing; `title` names an SVG drawing. True when a file was
// written; cancelling and failures give false, failures after a message.
bool SaveMapPicture(QWidget* parent, UserQuestions& questions, const QString& dialogTitle,
                    const QString& suggestedName, const MapDrawing& drawing, const std::string& title,
                    const QImage* picture = nullptr);

}  // namespace kelmora
