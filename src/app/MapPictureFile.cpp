#include "app/MapPictureFile.h"

#include <QFileInfo>
#include <span>

#include "dialogs/UserQuestions.h"
#include "model/persistence/ProjectFile.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {

namespace {}  // namespace

std::optional<PictureForm> PictureFormOfPath(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix == QStringLiteral("png")) return PictureForm::Png;
    if (suffix == QStringLiteral("svg")) return PictureForm::Svg;
    return std::nullopt;
}

bool SaveMapPicture(QWidget* parent, UserQuestions& questions, const QString& dialogTitle,
                    const QString& suggestedName, const MapDrawing& drawing, const std::string& title,
                    const QImage* picture) {
    const std::optional<std::string> path = questions.ChooseFileToSave(
        parent, dialogTitle, QtFileFilter(kMapPictureFileFilter), QStringLiteral("png"), suggestedName);
    if (!path) return false;
    const QString caption = QString::fromUtf8(kResultFileMessageCaption);
    const std::optional<PictureForm> form = PictureFormOfPath(*path);
    if (!form) {
        questions.Tell(
            parent, caption,
            QString::fromUtf8(kPictureExtensionWrong) + QStringLiteral("\n") + QString::fromStdString(*path),
            QMessageBox::Warning);
        return false;
    }
    const QByteArray bytes = *form == PictureForm::Png ? EncodePng(RenderDrawing(drawing, picture))
                                                       : RenderSvg(drawing, title, picture);
    QString reason;
    if (bytes.isEmpty()) {
        reason = QString::fromUtf8("画像を作れません");
    } else {
        try {
            SaveFileBytes(*path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                           static_cast<std::size_t>(bytes.size())));
            return true;
        } catch (const ProjectFileError& e) {
            reason = QString::fromStdString(e.reason());
        }
    }
    questions.Tell(parent, caption,
                   QString::fromUtf8(kPictureNotSaved) + QStringLiteral("\n") +
                       QString::fromStdString(*path) + QStringLiteral("\n") + reason,
                   QMessageBox::Warning);
    return false;
}

}  // namespace kelmora
