#pragma once
// What a PDF written by QPdfWriter lacks for a manual, added afterwards as an incremental update (new
// objects, a new catalog, a cross-reference section and a trailer appended to the file, the original
// bytes left as they are):
//   - the bookmarks (a document outline) of the chapters and their sections, each leading to its page
//     and its heading's height on it, shown when the document opens;
//   - links: areas of pages (the lines of the contents) that lead to a place when clicked;
//   - the document's language (Japanese), which screen readers and search use;
//   - text that searches as it reads: an embedded CJK font shares one glyph between an ideograph and the
//     radical of the same shape (音 and ⾳, 長 and ⻑) or between two punctuation marks (・ and ‧), and
//     the writer maps such a glyph back to the lowest code point that has it; the text maps of the
//     fonts are rewritten to give the character the text has.
#include <QByteArray>
#include <QRectF>
#include <QString>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelmora::manual {

struct OutlineEntry {
    QString title;
    int level = 1;         // 1: a chapter; 2: a section of the chapter before it
    int page = 0;          // the page, counting from 0
    double topPoints = 0;  // the heading's top, in points below the top edge of the page
};

// An area of a page that leads to a place in the document when clicked.
struct PageLink {
    int page = 0;            // the page it is on, from 0
    QRectF area;             // in points from the page's top-left corner
    int targetPage = 0;      // from 0
    double targetTopPoints;  // below the top edge of the target page
};

// Code points of the text maps replaced by the characters the text has (from the fonts' shared glyphs).
using CodePointReplacements = std::map<char32_t, char32_t>;

struct PdfAmendment {
    std::vector<OutlineEntry> outline;
    std::vector<PageLink> links;
    QString language = QStringLiteral("ja");
    CodePointReplacements replacements;
};

// The code point an embedded font's text map should give instead of `codePoint`: its replacement, else
// the ideograph for a Kangxi radical or a CJK radical with a compatibility decomposition, otherwise the
// code point itself.
char32_t SearchableCodePoint(char32_t codePoint, const CodePointReplacements& replacements = {});

// The text map (a ToUnicode CMap) with every destination code point made searchable; the same bytes
// when nothing changes.
QByteArray SearchableTextMap(const QByteArray& cmap, const CodePointReplacements& replacements = {});

// The bytes of `pdf` with the amendment appended as an incremental update; an error text when the file
// is not a PDF whose cross-reference table, catalog and page tree can be read.
struct AmendedPdf {
    QByteArray bytes;
    std::string error;
};
AmendedPdf AmendPdf(const QByteArray& pdf, const PdfAmendment& amendment);

// The file at `path` amended in place (replaced whole, never left half-written); the error text or
// nothing.
std::optional<std::string> AmendPdfFile(const QString& path, const PdfAmendment& amendment);

}  // namespace kelmora::manual
