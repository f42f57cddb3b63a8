#include "app/UserSettings.h"

#include <QFileInfo>
#include <QSettings>

#include "view/noisemap/PageDrawing.h"

namespace kelmora {

namespace {

const QString kRecentGroup = QStringLiteral("Recent File List");
const QString kReportAskedKey = QStringLiteral("Report/asked");

QString KeyOf(int i) {
    return QStringLiteral("File%1").arg(i + 1);
}

}  // namespace

RecentFiles::RecentFiles() {
    QSettings settings;
    settings.beginGroup(kRecentGroup);
    for (int i = 0; i < kRecentFileCount; ++i) {
        const QString path = settings.value(KeyOf(i)).toString();
        if (!path.isEmpty() && !files_.contains(path)) files_ << path;
    }
}

void RecentFiles::Add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files_.removeAll(absolute);
    files_.prepend(absolute);
    while (files_.size() > kRecentFileCount)
        files_.removeLast();
    Store();
}

void RecentFiles::Remove(const QString& path) {
    files_.removeAll(QFileInfo(path).absoluteFilePath());
    Store();
}

void RecentFiles::Store() const {
    QSettings settings;
    settings.beginGroup(kRecentGroup);
    for (int i = 0; i < kRecentFileCount; ++i) {
        if (i < files_.size())
            settings.setValue(KeyOf(i), files_[i]);
        else
            settings.remove(KeyOf(i));
    }
}

InitialShow ReadInitialShow() {
    QSettings settings;
    switch (settings.value(QStringLiteral("Window/show"), 1).toInt()) {
        case 3:  // maximised
            return InitialShow::Maximized;
        case 2:  // minimised variants
        case 6:
        case 7:
            return InitialShow::Minimized;
        default:  // normal; a hidden main window would leave the program unreachable
            return InitialShow::Normal;
    }
}

void WriteInitialShow(bool maximized) {
    QSettings settings;
    settings.setValue(QStringLiteral("Window/show"), maximized ? 3 : 1);
}

std::optional<ReportAuthor> ReadReportAuthor() {
    const QSettings settings;
    if (!settings.value(kReportAskedKey, false).toBool()) return std::nullopt;
    return ReportAuthor{settings.value(QString::fromLatin1(kReportCompanyKey)).toString(),
                        settings.value(QString::fromLatin1(kReportAuthorKey)).toString()};
}

void StoreReportAuthor(const ReportAuthor& author) {
    QSettings settings;
    settings.setValue(QString::fromLatin1(kReportCompanyKey), author.company);
    settings.setValue(QString::fromLatin1(kReportAuthorKey), author.author);
    settings.setValue(kReportAskedKey, true);
}

}  // namespace kelmora
