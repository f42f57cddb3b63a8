// kelmora-manual: lays the user manual out as a PDF, from its Markdown chapters and the screenshots the
// build made, with bookmarks for its chapters and sections.
//
//   kelmora-manual --output Kelmora.pdf --images DIR [--font FILE]... [--version TEXT] [--cover FILE]
//                  [--menus FILE] CHAPTER.md...
//
// --menus names the program's menu items, one a line, on which parts of the chapters depend.
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "ManualBook.h"
#include "PdfAmendment.h"

namespace {

int Fail(const std::string& text) {
    std::fprintf(stderr, "kelmora-manual: %s\n", text.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();

    kelmora::manual::BookSource source;
    source.title = QStringLiteral("Kelmora ユーザーマニュアル");
    source.subtitle = QStringLiteral("工場等の環境騒音予測プログラム");
    QString output;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const auto value = [&]() -> QString { return i + 1 < args.size() ? args[++i] : QString(); };
        if (arg == QStringLiteral("--output")) {
            output = value();
        } else if (arg == QStringLiteral("--images")) {
            source.imageFolder = value();
        } else if (arg == QStringLiteral("--menus")) {
            QFile menus(value());
            if (!menus.open(QIODevice::ReadOnly))
                return Fail("cannot read " + menus.fileName().toStdString());
            source.menuItems =
                QString::fromUtf8(menus.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        } else if (arg == QStringLiteral("--cover")) {
            source.coverImage = value();
        } else if (arg == QStringLiteral("--version")) {
            source.version = QStringLiteral("バージョン %1").arg(value());
        } else if (arg == QStringLiteral("--font")) {
            const QString font = value();
            if (QFontDatabase::addApplicationFont(font) < 0)
                return Fail("cannot load the font " + font.toStdString());
        } else {
            QFile chapter(arg);
            if (!chapter.open(QIODevice::ReadOnly)) return Fail("cannot read " + arg.toStdString());
            source.chapters.push_back(QString::fromUtf8(chapter.readAll()));
        }
    }
    if (output.isEmpty() || source.chapters.empty())
        return Fail("usage: kelmora-manual --output PDF --images DIR [--font FILE]... CHAPTER.md...");

    const kelmora::manual::BookResult book = kelmora::manual::WriteBook(source, output);
    if (!book.error.empty()) return Fail(book.error);
    kelmora::manual::PdfAmendment amendment;
    amendment.outline = book.outline;
    amendment.replacements = book.replacements;
    amendment.links = book.links;
    if (const std::optional<std::string> error = kelmora::manual::AmendPdfFile(output, amendment))
        return Fail(*error);
    std::printf("%s: %d pages, %d figures\n", output.toLocal8Bit().constData(), book.pages, book.figures);
    return 0;
}
