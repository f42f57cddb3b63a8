#include "ManualBook.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <set>

namespace kelmora::manual {

namespace {

// ---- Page geometry (A4 portrait), in millimetres ----

constexpr int kResolution = 1200;  // device units per inch of the PDF writer
constexpr double kPageWidthMm = 210.0;
constexpr double kPageHeightMm = 297.0;
constexpr double kMarginLeftMm = 22.0;
constexpr double kMarginRightMm = 22.0;
constexpr double kMarginTopMm = 26.0;
constexpr double kMarginBottomMm = 24.0;
constexpr double kHeaderBaselineMm = 16.0;      // from the top edge
constexpr double kFooterBaselineMm = 14.0;      // from the bottom edge
constexpr double kFigureMaxHeightShare = 0.62;  // of the text area's height
constexpr double kFigureScale = 0.8;            // a screenshot prints at 80 % of its size on the screen

constexpr double kBodyPoints = 10.0;
constexpr double kLineHeightPercent = 150.0;

double Dev(double mm) {
    return mm * kResolution / 25.4;
}

// Lengths in text formats (margins, padding, borders, figure sizes): the text layout takes them at 96
// dots per inch and scales them to the device.
double Px(double mm) {
    return mm * 96.0 / 25.4;
}

double DevFromPoints(double points) {
    return points * kResolution / 72.0;
}

double PointsFromDev(double dev) {
    return dev * 72.0 / kResolution;
}

QRectF TextArea() {
    return QRectF(Dev(kMarginLeftMm), Dev(kMarginTopMm), Dev(kPageWidthMm - kMarginLeftMm - kMarginRightMm),
                  Dev(kPageHeightMm - kMarginTopMm - kMarginBottomMm));
}

// Text is set from the font's own glyphs, without the contextual substitutions of complex shaping (a
// CJK font swaps "…" or a digit beside Latin letters for glyphs that have no character, which a PDF
// viewer could then neither search nor copy).
QFont Font(const QString& family, double points, bool bold = false) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// ---- The body: Markdown set as one paginated text document ----

struct Heading {
    QString title;
    int level = 1;
    int page = 0;      // within the body, from 0
    double top = 0.0;  // device units below the top of its page's text area
};

struct Body {
    std::unique_ptr<QTextDocument> document;
    std::vector<Heading> headings;
    int pages = 0;
    int figures = 0;
    std::vector<double> starts;  // where each page begins in the body's column (device units)
};

void MergeFormat(QTextCursor cursor, int from, int to, const QTextCharFormat& format) {
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(format);
}

// The look of the book over what the Markdown reader made: fonts, headings, code, tables, figures.
void Style(QTextDocument& doc, const BookSource& source, const std::set<QString>& captions) {
    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat blockFormat = block.blockFormat();
        const int level = blockFormat.headingLevel();
        const bool code = blockFormat.hasProperty(QTextFormat::BlockCodeFence) ||
                          blockFormat.hasProperty(QTextFormat::BlockCodeLanguage) ||
                          blockFormat.nonBreakableLines();
        const bool inTable = QTextCursor(block).currentTable() != nullptr;

        // Fixed-pitch runs (code) in the CJK monospace face, everything else in the book's face.
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            QTextCharFormat f;
            const bool fixed = fragment.charFormat().fontFixedPitch() || code;
            f.setFontFamilies({fixed ? source.monoFontFamily : source.fontFamily});
            f.setFontStyleStrategy(QFont::PreferNoShaping);
            if (fixed) f.setFontPointSize(kBodyPoints * 0.9);
            MergeFormat(cursor, fragment.position(), fragment.position() + fragment.length(), f);
        }

        if (level > 0) {
            // The reader marks headings with a size relative to the default font; the book sets its own.
            const double points = level == 1 ? 20.0 : level == 2 ? 14.0 : 11.5;
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                QTextCharFormat f = fragment.charFormat();
                f.clearProperty(QTextFormat::FontSizeAdjustment);
                f.setFontPointSize(points);
                f.setFontWeight(QFont::Bold);
                cursor.setPosition(fragment.position());
                cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
                cursor.setCharFormat(f);
            }
            QTextCharFormat blockChar = block.charFormat();
            blockChar.clearProperty(QTextFormat::FontSizeAdjustment);
            blockChar.setFontPointSize(points);
            QTextCursor(block).setBlockCharFormat(blockChar);
            blockFormat.setTopMargin(Px(level == 1 ? 0.0 : level == 2 ? 7.0 : 4.5));
            blockFormat.setBottomMargin(Px(level == 1 ? 9.0 : 2.5));
            blockFormat.setLineHeight(120, QTextBlockFormat::ProportionalHeight);
        } else if (code) {
            // Long lines of code wrap at the text's width instead of running off the page.
            blockFormat.setNonBreakableLines(false);
            blockFormat.setBackground(QColor(0xF2, 0xF2, 0xF2));
            blockFormat.setLeftMargin(Px(2.0));
            blockFormat.setLineHeight(125, QTextBlockFormat::ProportionalHeight);
            blockFormat.setTopMargin(0);
            blockFormat.setBottomMargin(0);
        } else if (captions.count(block.text()) > 0) {
            blockFormat.setAlignment(Qt::AlignHCenter);
            blockFormat.setTopMargin(Px(1.0));
            blockFormat.setBottomMargin(Px(4.0));
            QTextCharFormat f;
            f.setFontPointSize(kBodyPoints * 0.9);
            f.setFontItalic(false);
            MergeFormat(cursor, block.position(), block.position() + block.length() - 1, f);
        } else {
            blockFormat.setLineHeight(inTable ? 125 : kLineHeightPercent,
                                      QTextBlockFormat::ProportionalHeight);
            if (!inTable) blockFormat.setBottomMargin(Px(2.2));
        }
        // A paragraph that is only a figure stands centred.
        if (block.text() == QString(QChar::ObjectReplacementCharacter)) {
            blockFormat.setAlignment(Qt::AlignHCenter);
            blockFormat.setLineHeight(100, QTextBlockFormat::ProportionalHeight);
            blockFormat.setTopMargin(Px(2.0));
        }
        QTextCursor(block).setBlockFormat(blockFormat);
    }

    // Tables: thin rules, a shaded head row, the full text width.
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table == nullptr) continue;
        QTextTableFormat format = table->format();
        format.setBorder(Px(0.18));
        format.setBorderBrush(QColor(0x88, 0x88, 0x88));
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        format.setCellSpacing(0);
        format.setCellPadding(Px(1.0));
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        format.setTopMargin(Px(1.0));
        format.setBottomMargin(Px(3.5));
        format.setHeaderRowCount(1);
        table->setFormat(format);
        for (int column = 0; column < table->columns(); ++column) {
            QTextTableCell cell = table->cellAt(0, column);
            QTextCharFormat f = cell.format();
            f.setBackground(QColor(0xE4, 0xE9, 0xF0));
            cell.setFormat(f);
        }
        for (int row = 0; row < table->rows(); ++row) {
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                QTextCharFormat f;
                f.setFontPointSize(kBodyPoints * 0.92);
                MergeFormat(cursor, cell.firstPosition(), cell.lastPosition(), f);
            }
        }
    }
}

// The figures: each image read from the folder and sized to its print size (from the picture's
// resolution, 96 dots per inch when it has none), no larger than the text area allows.
std::string PlaceFigures(QTextDocument& doc, const QString& folder, int& count) {
    const QRectF area = TextArea();
    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString name = format.name();
            const QString path = QFileInfo(name).isAbsolute() ? name : folder + QStringLiteral("/") + name;
            QImage image(path);
            if (image.isNull()) return "cannot read the figure " + path.toStdString();
            const double dpi = image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() * 0.0254 : 96.0;
            double width = Dev(image.width() / dpi * 25.4) * kFigureScale;
            double height = Dev(image.height() / dpi * 25.4) * kFigureScale;
            const double scale =
                std::min({1.0, area.width() / width, area.height() * kFigureMaxHeightShare / height});
            width *= scale;
            height *= scale;
            doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
            format.setWidth(width * 96.0 / kResolution);  // in the text layout's lengths (Px)
            format.setHeight(height * 96.0 / kResolution);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
            ++count;
        }
    }
    return {};
}

// ---- Pages ----
//
// The body is laid out as one long column and cut into pages here, between lines and between table
// rows: a chapter begins a new page, a heading stays with the line after it, a figure with its caption
// and a table's head row with its first row.

struct Unit {
    double top = 0.0;
    double bottom = 0.0;
    bool keepWithNext = false;
    bool breakBefore = false;
};

// The lines of a block as units, in document coordinates.
void AddLines(QAbstractTextDocumentLayout* layout, const QTextBlock& block, bool keepWithNext,
              bool breakBefore, std::vector<Unit>& units) {
    const QTextLayout* lines = block.layout();
    if (lines == nullptr || lines->lineCount() == 0) return;
    const double base = layout->blockBoundingRect(block).top() - lines->boundingRect().top();
    for (int i = 0; i < lines->lineCount(); ++i) {
        const QTextLine line = lines->lineAt(i);
        units.push_back(
            {base + line.y(), base + line.y() + line.height(), keepWithNext, breakBefore && i == 0});
    }
}

// A table's rows as units: a row from the top of its highest line to the bottom of its lowest, widened
// by the cell padding.
void AddRows(QAbstractTextDocumentLayout* layout, const QTextDocument& doc, QTextTable& table,
             std::vector<Unit>& units) {
    const double padding = table.format().cellPadding() * 1.0;
    for (int row = 0; row < table.rows(); ++row) {
        double top = std::numeric_limits<double>::max();
        double bottom = std::numeric_limits<double>::lowest();
        for (int column = 0; column < table.columns(); ++column) {
            const QTextTableCell cell = table.cellAt(row, column);
            for (QTextBlock b = doc.findBlock(cell.firstPosition());
                 b.isValid() && b.position() <= cell.lastPosition(); b = b.next()) {
                const QTextLayout* lines = b.layout();
                if (lines == nullptr || lines->lineCount() == 0) continue;
                const double base = layout->blockBoundingRect(b).top() - lines->boundingRect().top();
                top = std::min(top, base + lines->lineAt(0).y());
                const QTextLine last = lines->lineAt(lines->lineCount() - 1);
                bottom = std::max(bottom, base + last.y() + last.height());
            }
        }
        if (top > bottom) continue;
        const QRectF frame = layout->frameBoundingRect(&table);
        units.push_back({row == 0 ? frame.top() : top - padding,
                         row + 1 == table.rows() ? frame.bottom() : bottom + padding, row == 0, false});
    }
}

// Where each page begins in the body's column.
std::vector<double> PageStarts(const std::vector<Unit>& units, double pageHeight) {
    std::vector<double> starts{0.0};
    constexpr double kSame = 1.0;  // device units
    for (std::size_t i = 0; i < units.size(); ++i) {
        const double pageStart = starts.back();
        if (units[i].breakBefore && units[i].top > pageStart + kSame) {
            starts.push_back(units[i].top);
            continue;
        }
        if (units[i].bottom - pageStart <= pageHeight) continue;
        // The unit does not fit: the page ends before it, or before the units that keep with it.
        std::size_t j = i;
        while (j > 0 && units[j - 1].keepWithNext && units[j - 1].top > pageStart + kSame)
            --j;
        starts.push_back(units[j].top > pageStart + kSame ? units[j].top : units[i].top);
    }
    return starts;
}

Body LayOutBody(const BookSource& source, QPdfWriter& writer, std::string& error) {
    Body body;
    body.document = std::make_unique<QTextDocument>();
    QTextDocument& doc = *body.document;
    doc.setDefaultFont(Font(source.fontFamily, kBodyPoints));
    doc.setDocumentMargin(0);
    QTextOption option = doc.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc.setDefaultTextOption(option);

    std::vector<QString> captions;
    QString markdown;
    for (std::size_t c = 0; c < source.chapters.size(); ++c)
        markdown += NumberFigures(ResolveConditions(source.chapters[c], source.menuItems),
                                  static_cast<int>(c) + 1, captions) +
                    QStringLiteral("\n\n");
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    // One edit: the layout runs once afterwards, not after every change of a format.
    QTextCursor edit(&doc);
    edit.beginEditBlock();
    Style(doc, source, std::set<QString>(captions.begin(), captions.end()));
    error = PlaceFigures(doc, source.imageFolder, body.figures);
    edit.endEditBlock();
    if (!error.empty()) return body;

    // The layout is made now, once, for the PDF's resolution (made before, it would follow every step of
    // the reading and styling above).
    const QRectF area = TextArea();
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    layout->setPaintDevice(&writer);
    doc.setTextWidth(area.width());
    std::vector<Unit> units;
    for (auto it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame()) {
            if (auto* table = qobject_cast<QTextTable*>(frame)) AddRows(layout, doc, *table, units);
            continue;
        }
        const QTextBlock block = it.currentBlock();
        const int level = block.blockFormat().headingLevel();
        const bool figure = block.text() == QString(QChar::ObjectReplacementCharacter);
        AddLines(layout, block, level > 0 || figure, level == 1, units);
        if (level == 1 || level == 2) {
            const QTextLayout* lines = block.layout();
            const double top = layout->blockBoundingRect(block).top() - lines->boundingRect().top() +
                               (lines->lineCount() > 0 ? lines->lineAt(0).y() : 0.0);
            body.headings.push_back({block.text(), level, 0, top});
        }
    }
    body.starts = PageStarts(units, area.height());
    body.pages = static_cast<int>(body.starts.size());
    for (Heading& h : body.headings) {
        const auto page =
            std::upper_bound(body.starts.begin(), body.starts.end(), h.top + 1.0) - body.starts.begin() - 1;
        h.page = static_cast<int>(page);
        h.top -= body.starts[static_cast<std::size_t>(page)];
    }
    return body;
}

// ---- The pages around the body ----

void DrawHeaderAndFooter(QPainter& painter, const BookSource& source, const QString& chapter, int number) {
    const QRectF area = TextArea();
    painter.save();
    painter.setPen(QColor(0x44, 0x44, 0x44));
    if (!chapter.isEmpty()) {
        painter.setFont(Font(source.fontFamily, 8.5));
        const double baseline = Dev(kHeaderBaselineMm);
        painter.drawText(QPointF(area.left(), baseline), source.title);
        const QFontMetricsF metrics(painter.font(), painter.device());
        painter.drawText(QPointF(area.right() - metrics.horizontalAdvance(chapter), baseline), chapter);
        painter.setPen(QPen(QColor(0x88, 0x88, 0x88), DevFromPoints(0.5)));
        painter.drawLine(QPointF(area.left(), baseline + Dev(2.0)),
                         QPointF(area.right(), baseline + Dev(2.0)));
    }
    painter.setPen(QColor(0x44, 0x44, 0x44));
    painter.setFont(Font(source.fontFamily, 9));
    const QString text = QString::number(number);
    const QFontMetricsF metrics(painter.font(), painter.device());
    painter.drawText(QPointF(Dev(kPageWidthMm / 2) - metrics.horizontalAdvance(text) / 2,
                             Dev(kPageHeightMm - kFooterBaselineMm)),
                     text);
    painter.restore();
}

void DrawTitlePage(QPainter& painter, const BookSource& source) {
    const QRectF area = TextArea();
    painter.save();
    painter.fillRect(QRectF(0, 0, Dev(kPageWidthMm), Dev(78.0)), QColor(0x1F, 0x4E, 0x79));
    painter.setPen(Qt::white);
    painter.setFont(Font(source.fontFamily, 40, true));
    painter.drawText(QPointF(area.left(), Dev(46.0)), QStringLiteral("Kelmora"));
    painter.setFont(Font(source.fontFamily, 20));
    painter.drawText(QPointF(area.left(), Dev(64.0)), source.title);
    painter.setPen(QColor(0x22, 0x22, 0x22));
    painter.setFont(Font(source.fontFamily, 15));
    painter.drawText(QPointF(area.left(), Dev(96.0)), source.subtitle);

    double y = Dev(108.0);
    if (!source.coverImage.isEmpty()) {
        QImage cover(source.imageFolder + QStringLiteral("/") + source.coverImage);
        if (!cover.isNull()) {
            const double width = area.width();
            const double height = width * cover.height() / cover.width();
            const QRectF target(area.left(), y, width, std::min(height, Dev(140.0)));
            const QRectF sourceRect(0, 0, cover.width(), cover.width() * target.height() / target.width());
            painter.drawImage(target, cover, sourceRect);
            painter.setPen(QPen(QColor(0x88, 0x88, 0x88), DevFromPoints(0.5)));
            painter.drawRect(target);
            y = target.bottom();
        }
    }
    painter.setPen(QColor(0x22, 0x22, 0x22));
    painter.setFont(Font(source.fontFamily, 12));
    painter.drawText(QPointF(area.left(), std::max(y + Dev(18.0), Dev(kPageHeightMm - 50.0))),
                     source.version);
    painter.restore();
}

struct TocLine {
    QString title;
    int level = 1;
    int page = 0;  // printed page number
    // Where the contents put it: the page of the contents (from 0) and the line's top (device units).
    int tocPage = 0;
    double top = 0.0;
};

constexpr double kTocLineMm = 7.2;
constexpr double kTocChapterGapMm = 2.0;
constexpr double kTocHeadMm = 20.0;

// Places the lines on the pages of the contents; returns the number of pages.
int PlaceTocLines(std::vector<TocLine>& lines) {
    const QRectF area = TextArea();
    int page = 0;
    double y = area.top() + Dev(kTocHeadMm);
    bool pageStart = true;
    for (TocLine& line : lines) {
        if (line.level == 1 && !pageStart) y += Dev(kTocChapterGapMm);
        if (y + Dev(kTocLineMm) > area.bottom()) {
            ++page;
            y = area.top() + Dev(kTocHeadMm);
        }
        line.tocPage = page;
        line.top = y;
        y += Dev(kTocLineMm);
        pageStart = false;
    }
    return page + 1;
}

// Draws the lines of one page of the contents.
void DrawTocPage(QPainter& painter, const BookSource& source, const std::vector<TocLine>& lines, int page) {
    const QRectF area = TextArea();
    painter.save();
    painter.setPen(QColor(0x11, 0x11, 0x11));
    if (page == 0) {
        painter.setFont(Font(source.fontFamily, 20, true));
        painter.drawText(QPointF(area.left(), area.top() + Dev(8.0)), QStringLiteral("目次"));
    }
    for (const TocLine& line : lines) {
        if (line.tocPage != page) continue;
        const bool chapter = line.level == 1;
        const QFont font = Font(source.fontFamily, chapter ? 11.0 : 10.0, chapter);
        painter.setFont(font);
        const QFontMetricsF metrics(font, painter.device());
        const double left = area.left() + (chapter ? 0.0 : Dev(8.0));
        const QString number = QString::number(line.page);
        const double numberLeft = area.right() - metrics.horizontalAdvance(number);
        const double baseline = line.top + metrics.ascent();
        painter.drawText(QPointF(left, baseline), line.title);
        painter.drawText(QPointF(numberLeft, baseline), number);
        // Leader dots between the title and its page number.
        const double dotsFrom = left + metrics.horizontalAdvance(line.title) + Dev(2.0);
        const double dotsTo = numberLeft - Dev(2.0);
        painter.save();
        painter.setPen(QPen(QColor(0x99, 0x99, 0x99), DevFromPoints(0.9), Qt::SolidLine, Qt::RoundCap));
        for (double x = std::ceil(dotsFrom / Dev(1.6)) * Dev(1.6); x < dotsTo; x += Dev(1.6))
            painter.drawPoint(QPointF(x, baseline - DevFromPoints(1.0)));
        painter.restore();
    }
    painter.restore();
}

// Characters outside the book that share a glyph with one of its characters in one of its fonts, and
// stand before it in code order (the PDF writer names a glyph by the lowest code point that has it),
// each mapped to the book's character.
CodePointReplacements SharedGlyphReplacements(const QString& text, const std::vector<QFont>& fonts) {
    std::set<char32_t> used;
    for (char32_t c : text.toUcs4())
        used.insert(c);
    QString candidates;
    for (char32_t c = 0x20; c <= 0xFFFF; ++c)
        if ((c < 0xD800 || c > 0xDFFF) && used.count(c) == 0)
            candidates.append(QChar(static_cast<char16_t>(c)));
    CodePointReplacements replacements;
    for (const QFont& font : fonts) {
        const QRawFont raw = QRawFont::fromFont(font);
        if (!raw.isValid()) continue;
        std::map<quint32, char32_t> glyphOwner;
        for (char32_t c : used) {
            const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
            if (glyphs.size() == 1 && glyphs.front() != 0) glyphOwner.emplace(glyphs.front(), c);
        }
        const QList<quint32> glyphs = raw.glyphIndexesForString(candidates);
        if (glyphs.size() != candidates.size()) continue;
        for (qsizetype i = 0; i < candidates.size(); ++i) {
            const auto owner = glyphOwner.find(glyphs[i]);
            const char32_t c = candidates[i].unicode();
            if (glyphs[i] != 0 && owner != glyphOwner.end() && c < owner->second)
                replacements.emplace(c, owner->second);
        }
    }
    return replacements;
}

}  // namespace

QString ResolveConditions(const QString& markdown, const QStringList& menuItems) {
    static const QRegularExpression opening(QStringLiteral("^<!--\\s*if\\s+(.+?)\\s*-->\\s*$"));
    static const QRegularExpression otherwise(QStringLiteral("^<!--\\s*else\\s*-->\\s*$"));
    static const QRegularExpression closing(QStringLiteral("^<!--\\s*end\\s*-->\\s*$"));
    QStringList out;
    enum class State { kOutside, kKeep, kDrop } state = State::kOutside;
    bool condition = false;
    for (const QString& line : markdown.split(QLatin1Char('\n'))) {
        if (const QRegularExpressionMatch m = opening.match(line); m.hasMatch()) {
            const QString text = m.captured(1);
            condition = std::any_of(menuItems.begin(), menuItems.end(),
                                    [&](const QString& item) { return item.contains(text); });
            state = condition ? State::kKeep : State::kDrop;
            continue;
        }
        if (state != State::kOutside && otherwise.match(line).hasMatch()) {
            state = condition ? State::kDrop : State::kKeep;
            continue;
        }
        if (state != State::kOutside && closing.match(line).hasMatch()) {
            state = State::kOutside;
            continue;
        }
        if (state != State::kDrop) out << line;
    }
    return out.join(QLatin1Char('\n'));
}

QString NumberFigures(const QString& markdown, int chapter, std::vector<QString>& captions) {
    static const QRegularExpression figure(QStringLiteral("^!\\[([^\\]]*)\\]\\(([^)\\s]+)\\)\\s*$"));
    QStringList out;
    int n = 0;
    bool fenced = false;
    for (const QString& line : markdown.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("```"))) fenced = !fenced;
        const QRegularExpressionMatch m = fenced ? QRegularExpressionMatch() : figure.match(line);
        if (!m.hasMatch()) {
            out << line;
            continue;
        }
        ++n;
        const QString caption =
            QStringLiteral("図 %1-%2　%3").arg(chapter).arg(n).arg(m.captured(1).trimmed());
        captions.push_back(caption);
        // The picture keeps its words as its alternative text (an image without them is dropped).
        out << QStringLiteral("![%1](%2)").arg(m.captured(1).trimmed(), m.captured(2)) << QString()
            << caption;
    }
    return out.join(QLatin1Char('\n'));
}

BookResult WriteBook(const BookSource& source, const QString& pdfPath) {
    BookResult result;
    if (!QFontDatabase::families().contains(source.fontFamily)) {
        result.error = "the font family " + source.fontFamily.toStdString() + " is not installed";
        return result;
    }
    QPdfWriter writer(pdfPath);
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                     QPageLayout::Millimeter));
    writer.setTitle(source.title);
    writer.setCreator(QStringLiteral("Kelmora"));

    Body body = LayOutBody(source, writer, result.error);
    if (!result.error.empty()) return result;
    result.figures = body.figures;

    std::vector<TocLine> toc;
    for (const Heading& h : body.headings)
        toc.push_back({h.title, h.level, 0});
    const int tocPages = PlaceTocLines(toc);
    const int firstBodyPage = 1 + tocPages;  // from 0: the title page, then the contents
    for (std::size_t i = 0; i < toc.size(); ++i)
        toc[i].page = firstBodyPage + body.headings[i].page + 1;

    QPainter painter;
    if (!painter.begin(&writer)) {
        result.error = "cannot write " + pdfPath.toStdString();
        return result;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // Screenshots stay sharp: PNG-like compression instead of JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    DrawTitlePage(painter, source);

    for (int p = 0; p < tocPages; ++p) {
        writer.newPage();
        DrawTocPage(painter, source, toc, p);
        DrawHeaderAndFooter(painter, source, QString(), 2 + p);
    }

    const QRectF area = TextArea();
    QAbstractTextDocumentLayout* layout = body.document->documentLayout();
    QString chapter;
    std::size_t headingIndex = 0;
    for (int p = 0; p < body.pages; ++p) {
        writer.newPage();
        // The header names the chapter the page's text belongs to.
        while (headingIndex < body.headings.size() && body.headings[headingIndex].page <= p) {
            if (body.headings[headingIndex].level == 1) chapter = body.headings[headingIndex].title;
            ++headingIndex;
        }
        const double start = body.starts[static_cast<std::size_t>(p)];
        const double end =
            p + 1 < body.pages ? body.starts[static_cast<std::size_t>(p) + 1] : start + area.height();
        painter.save();
        painter.translate(area.left(), area.top() - start);
        QAbstractTextDocumentLayout::PaintContext context;
        // The page ends just above the next page's first line (a picture's frame may reach a hair above it).
        context.clip =
            QRectF(-Dev(2.0), start, area.width() + Dev(4.0), std::min(end - start - 4.0, area.height()));
        painter.setClipRect(context.clip);
        layout->draw(&painter, context);
        painter.restore();
        DrawHeaderAndFooter(painter, source, chapter, firstBodyPage + p + 1);
    }
    painter.end();

    result.pages = firstBodyPage + body.pages;
    QString drawn = body.document->toPlainText() + source.title + source.subtitle + source.version +
                    QStringLiteral("Kelmora目次0123456789");
    const std::vector<QFont> fonts{Font(source.fontFamily, kBodyPoints),
                                   Font(source.fontFamily, kBodyPoints, true),
                                   Font(source.monoFontFamily, kBodyPoints)};
    result.replacements = SharedGlyphReplacements(drawn, fonts);
    for (const Heading& h : body.headings)
        result.outline.push_back(
            {h.title, h.level, firstBodyPage + h.page, PointsFromDev(area.top() + h.top)});
    return result;
}

}  // namespace kelmora::manual
