#pragma once
// Saving a noise map or a section as a file chosen by the user: a picture (PNG or SVG) or, for a plan
// map, a GIS file (GeoJSON, GeoPackage, GeoTIFF) by the name's extension, written whole or not at all
// (the previous file stays as it was), failures told in a message box.
#include <QString>
#include <optional>
#include <string>

#include "platform/gis/GisExport.h"
#include "platform/raster/MapPicture.h"

class QWidget;

namespace kelmora {

class UserQuestions;

enum class PictureForm { Png, Svg };

// The form a file name asks for by its extension (any case); none for any other extension.
std::optional<PictureForm> PictureFormOfPath(const std::string& path);

// The map behind a picture, for its GIS files.
struct GisSource {
    const NoiseMap& map;
    GisOptions options;
};

// Asks for the file with the save dialog titled `dialogTitle` (PNG or SVG, and with `gis` the GIS
// formats; ".png" added to a name without extension), then writes the drawing or the GIS file; `title`
// names an SVG drawing. True when a file was written; cancelling and failures give false, failures
// after a message.
bool SaveMapPicture(QWidget* parent, UserQuestions& questions, const QString& dialogTitle,
                    const QString& suggestedName, const MapDrawing& drawing, const std::string& title,
                    const QImage* picture = nullptr, const std::optional<GisSource>& gis = std::nullopt);

}  // namespace kelmora
