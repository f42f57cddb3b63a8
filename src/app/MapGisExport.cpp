#include "app/MapGisExport.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include "app/DocumentManager.h"
#include "dialogs/UserQuestions.h"
#include "platform/gis/GisExport.h"

namespace kelmora {

MapGisExport::MapGisExport(QMainWindow& window, QMenu& viewMenu, QAction& pictureItem,
                           DocumentManager& documents, UserQuestions& questions)
    : QObject(&window),
      window_(window),
      pictureItem_(pictureItem),
      documents_(documents),
      questions_(questions) {
    item_ = new QAction(QString::fromUtf8("騒音マップをGISファイルで保存(&G)..."), this);
    item_->setStatusTip(
        QString::fromUtf8("騒音マップを GeoPackage, GeoJSON, GeoTIFF で敷地の座標系に保存します"));
    const QList<QAction*> items = viewMenu.actions();
    const qsizetype after = items.indexOf(&pictureItem) + 1;
    viewMenu.insertAction(after > 0 && after < items.size() ? items[after] : nullptr, item_);
    const auto follow = [this] {
        item_->setVisible(pictureItem_.isVisible());
        item_->setEnabled(pictureItem_.isEnabled());
    };
    connect(&pictureItem, &QAction::changed, this, follow);
    follow();
    connect(item_, &QAction::triggered, this, &MapGisExport::Save);
}

void MapGisExport::Save() {
    KelmoraDocument* document = documents_.activeDocument();
    if (document == nullptr || !document->noiseMap().Shown() || document->noiseMap().Map() == nullptr) return;
    const std::optional<std::string> path = questions_.ChooseFileToSave(
        &window_, QString::fromUtf8(kSaveMapGisTitle), QtFileFilter(kMapGisFileFilter),
        QStringLiteral("gpkg"), QStringLiteral("map.gpkg"));
    if (!path) return;
    const QString caption = QString::fromUtf8(kSaveMapGisTitle);
    const std::optional<GisFormat> format = GisFormatOfPath(*path);
    if (!format) {
        questions_.Tell(&window_, caption,
                        QString::fromUtf8("拡張子 .gpkg .geojson .tif で形式を選んでください\n") +
                            QString::fromStdString(*path),
                        QMessageBox::Warning);
        return;
    }
    try {
        WriteVectorMap(*document->noiseMap().Map(), *path, *format,
                       SiteGisOptions(document->extras().coordinates));
    } catch (const GisExportError& e) {
        questions_.Tell(
            &window_, caption,
            QString::fromUtf8("GISファイルを保存できませんでした。\n") + QString::fromUtf8(e.what()),
            QMessageBox::Warning);
    }
}

}  // namespace kelmora
