#include "app/StartUp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>
#include <clocale>

namespace kelmora {

namespace {

constexpr const char* kJapaneseFont = "Noto Sans CJK JP";

}  // namespace

void InstallJapaneseTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

void PrepareApplication(QApplication& app) {
    // QApplication took the locale from the environment; "1.500" must never become "1,500".
    std::setlocale(LC_NUMERIC, "C");
    // Qt's own dialogs show dates and sizes the Japanese way; fields never parse through a locale.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    InstallJapaneseTranslations(app);

    const QFont font = QApplication::font();
    if (!QFontDatabase::writingSystems(font.family()).contains(QFontDatabase::Japanese) &&
        QFontDatabase::families(QFontDatabase::Japanese).contains(QString::fromUtf8(kJapaneseFont))) {
        QFont japanese = font;
        japanese.setFamilies({QString::fromUtf8(kJapaneseFont)});
        QApplication::setFont(japanese);
    }
}

std::filesystem::path ProgramFolder() {
    return QCoreApplication::applicationDirPath().toStdString();
}

std::filesystem::path UserDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}

}  // namespace kelmora
