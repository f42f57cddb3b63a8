#pragma once
// "騒音マップをGISファイルで保存(&G)..." of the view menu: the map the active document shows, written as
// GeoPackage, GeoJSON or GeoTIFF at the site's place in its coordinate system (the document's
// coordinates, from the drawings and GIS layers it was brought in from; local metres without them). The
// item stands after the picture export and is shown and enabled as that one is.
#include <QObject>

class QAction;
class QMainWindow;
class QMenu;

namespace kelmora {

class DocumentManager;
class UserQuestions;

inline constexpr const char* kSaveMapGisTitle = "騒音マップをGISファイルで保存";
inline constexpr const char* kMapGisFileFilter =
    "GeoPackage (*.gpkg)|*.gpkg|GeoJSON (*.geojson)|*.geojson|GeoTIFF (*.tif)|*.tif||";

class MapGisExport : public QObject {
    Q_OBJECT

public:
    MapGisExport(QMainWindow& window, QMenu& viewMenu, QAction& pictureItem, DocumentManager& documents,
                 UserQuestions& questions);

    QAction* item() const { return item_; }
    // The item's action: the save dialog, then the file.
    void Save();

private:
    QMainWindow& window_;
    QAction& pictureItem_;
    DocumentManager& documents_;
    UserQuestions& questions_;
    QAction* item_;
};

}  // namespace kelmora
