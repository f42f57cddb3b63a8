#pragma once
// A PDF read back by the poppler tools, which read it as any PDF viewer would: its information, its
// text, its bookmarks and its pictures.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <vector>

namespace kelmora::testing {

struct ToolOutput {
    QString out;
    QString err;
    int status = -1;
};

inline ToolOutput RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    ToolOutput result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("timed out");
        return result;
    }
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

// pdfinfo's "Pages:" line; -1 when it is missing. Any complaint of pdfinfo on stderr goes to `complaints`.
inline int PageCount(const QString& pdf, QString* complaints = nullptr) {
    const ToolOutput info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    if (complaints != nullptr) *complaints = info.err;
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info.out);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text in the order it was drawn (table cells whole), or of one page (from 1).
inline QString PdfText(const QString& pdf, int page = 0) {
    QStringList arguments{QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    arguments << pdf << QStringLiteral("-");
    return RunTool(QStringLiteral("pdftotext"), arguments).out;
}

// Text with every blank and line break removed, so that words broken across lines still match.
inline QString Squeezed(QString text) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"),
                                           QRegularExpression::UseUnicodePropertiesOption);
    return text.remove(blanks);
}

struct Bookmark {
    QString title;
    int page = 0;   // from 1
    int depth = 0;  // 0 for a chapter, 1 for its sections
};

// The document outline as poppler reads it.
inline std::vector<Bookmark> Bookmarks(const QString& pdf) {
    const ToolOutput xml = RunTool(
        QStringLiteral("pdftohtml"),
        {QStringLiteral("-xml"), QStringLiteral("-i"), QStringLiteral("-stdout"), QStringLiteral("-q"), pdf});
    std::vector<Bookmark> marks;
    int depth = -1;
    static const QRegularExpression token(
        QStringLiteral("<outline>|</outline>|<item page=\"(\\d+)\">([^<]*)</item>"));
    auto it = token.globalMatch(xml.out);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0) == QStringLiteral("<outline>"))
            ++depth;
        else if (m.captured(0) == QStringLiteral("</outline>"))
            --depth;
        else
            marks.push_back({m.captured(2), m.captured(1).toInt(), depth});
    }
    return marks;
}

// The pages the links of a page lead to (from 1), in the order poppler lists them.
inline std::vector<int> LinkTargets(const QString& pdf, int page) {
    const ToolOutput html = RunTool(
        QStringLiteral("pdftohtml"),
        {QStringLiteral("-stdout"), QStringLiteral("-i"), QStringLiteral("-q"), QStringLiteral("-s"),
         QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page), pdf});
    std::vector<int> targets;
    static const QRegularExpression link(QStringLiteral("<a href=\"[^\"#]*#(\\d+)\">"));
    auto it = link.globalMatch(html.out);
    while (it.hasNext())
        targets.push_back(it.next().captured(1).toInt());
    return targets;
}

struct PdfPicture {
    int page = 0;
    int width = 0;
    int height = 0;
    QString encoding;  // "image" (lossless), "jpeg", …
    int ppi = 0;
};

// pdfimages -list: every picture drawn on a page.
inline std::vector<PdfPicture> Pictures(const QString& pdf) {
    const ToolOutput list = RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    std::vector<PdfPicture> pictures;
    for (const QString& line : list.out.split(QLatin1Char('\n')).mid(2)) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        if (f.size() < 14 || f[2] != QStringLiteral("image")) continue;
        pictures.push_back({f[0].toInt(), f[3].toInt(), f[4].toInt(), f[8], f[12].toInt()});
    }
    return pictures;
}

}  // namespace kelmora::testing
