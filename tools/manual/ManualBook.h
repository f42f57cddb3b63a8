#pragma once
// The user manual laid out as a printed book: its chapters (Markdown, one text per chapter, each
// beginning with a level-1 heading) set in Japanese on A4 pages behind a title page and a table of
// contents with page numbers, every page but the title with its header (the book's and the chapter's
// title) and its number, the figures (PNG files named by the chapters) numbered per chapter with their
// captions. The PDF gets the bookmarks of its chapters and sections afterwards (PdfAmendment.h).
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "PdfAmendment.h"

namespace kelmora::manual {

struct BookSource {
    QString title;     // on the title page and in every page header
    QString subtitle;  // the title page's second line
    QString version;   // the title page's version line
    std::vector<QString> chapters;
    QString imageFolder;  // where the figures' files are
    QString coverImage;   // a figure's file shown on the title page, or empty
    // The program's menu items as they read ("新規作成(N)"): the conditions of the chapters' parts.
    QStringList menuItems;
    QString fontFamily = QStringLiteral("Noto Sans CJK JP");
    QString monoFontFamily = QStringLiteral("Noto Sans Mono CJK JP");
};

struct BookResult {
    std::string error;  // empty when the book was written
    int pages = 0;
    int figures = 0;
    std::vector<OutlineEntry> outline;  // the chapters and sections with their pages
    std::vector<PageLink> links;        // the lines of the contents, each to its heading
    // For the text maps of the embedded fonts: the characters that share a glyph with a character of
    // the book, each mapped to the book's character.
    CodePointReplacements replacements;
};

// Lays the book out into the PDF file `pdfPath` (replacing it), without the bookmarks.
BookResult WriteBook(const BookSource& source, const QString& pdfPath);

// The Markdown of a chapter with its parts that describe commands the program may not have resolved. A
// part stands between a line "<!-- if TEXT -->" and a line "<!-- end -->", with an optional
// "<!-- else -->" between them; the part before "else" is kept when one of the program's menu items
// contains TEXT, the part after it otherwise. So a section written for a command lands in the manual with
// the command, and the text it replaces goes.
QString ResolveConditions(const QString& markdown, const QStringList& menuItems);

// The Markdown of a chapter with its figures numbered: a paragraph that is only an image
// "![caption](file)" becomes the image and the caption "図 c-n caption" (c the chapter's number, n the
// figure's within it). The captions in order are added to `captions`.
QString NumberFigures(const QString& markdown, int chapter, std::vector<QString>& captions);

}  // namespace kelmora::manual
