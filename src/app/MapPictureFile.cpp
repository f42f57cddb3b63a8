#include "app/MapPictureFile.h"

#include <QFileInfo>
#include <span>

#include "dialogs/UserQuestions.h"
#include "model/persistence/ProjectFile.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {

namespace {

void TellNotSaved(QWidget* parent, UserQuestions& questions, const std::string& path, const QString& reason) {
    questions.Tell(parent, QString::fromUtf8(kResultFileMessageCaption),
                   QString::fromUtf8(kPictureNotSaved) + QStringLiteral("\n") + QString::fromStdString(path) +
                       QStringLiteral("\n") + reason,
                   QMessageBox::Warning);
}

}  // namespace

std::optional<PictureForm> PictureFormOfPath(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix == QStringLiteral("png")) return PictureForm::Png;
    if (suffix == QStringLiteral("svg")) return PictureForm::Svg;
    return std::nullopt;
}

bool SaveMapPicture(QWidget* parent, UserQuestions& questions, const QString& dialogTitle,
                    const QString& suggestedName, const MapDrawing& drawing, const std::string& title,
                    const QImage* picture, const std::optional<GisSource>& gis) {
    const std::optional<std::string> path = questions.ChooseFileToSave(
        parent, dialogTitle, QtFileFilter(gis ? kMapFileFilter : kMapPictureFileFilter),
        QStringLiteral("png"), suggestedName);
    if (!path) return false;
    const std::optional<PictureForm> form = PictureFormOfPath(*path);
    const std::optional<GisFormat> gisFormat = gis ? GisFormatOfPath(*path) : std::nullopt;
    if (!form && !gisFormat) {
        questions.Tell(parent, QString::fromUtf8(kResultFileMessageCaption),
                       QString::fromUtf8(gis ? kMapFileExtensionWrong : kPictureExtensionWrong) +
                           QStringLiteral("\n") + QString::fromStdString(*path),
                       QMessageBox::Warning);
        return false;
    }
    if (gisFormat) {
        try {
            WriteVectorMap(gis->map, *path, *gisFormat, gis->options);
            return true;
        } catch (const std::exception& e) {
            TellNotSaved(parent, questions, *path, QString::fromUtf8(e.what()));
            return false;
        }
    }
    const QByteArray bytes = *form == PictureForm::Png ? EncodePng(RenderDrawing(drawing, picture))
                                                       : RenderSvg(drawing, title, picture);
    if (bytes.isEmpty()) {
        TellNotSaved(parent, questions, *path, QString::fromUtf8("画像を作れません"));
        return false;
    }
    try {
        SaveFileBytes(*path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                       static_cast<std::size_t>(bytes.size())));
        return true;
    } catch (const ProjectFileError& e) {
        TellNotSaved(parent, questions, *path, QString::fromStdString(e.reason()));
    }
    return false;
}

}  // namespace kelmora
