#include "PdfAmendment.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>
#include <map>
#include <set>

namespace kelmora::manual {

namespace {

// ---- Reading the file Qt wrote ----

bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

// The end (one past ">>") of the dictionary that starts at `start` ("<<"), or -1: nested dictionaries,
// literal strings with their escapes and hex strings are stepped over.
qsizetype DictionaryEnd(const QByteArray& bytes, qsizetype start) {
    int depth = 0;
    for (qsizetype i = start; i + 1 < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '(') {
            int parentheses = 1;
            for (++i; i < bytes.size() && parentheses > 0; ++i) {
                if (bytes[i] == '\\')
                    ++i;
                else if (bytes[i] == '(')
                    ++parentheses;
                else if (bytes[i] == ')')
                    --parentheses;
            }
            --i;
        } else if (c == '<' && bytes[i + 1] == '<') {
            ++depth;
            ++i;
        } else if (c == '>' && bytes[i + 1] == '>') {
            --depth;
            ++i;
            if (depth == 0) return i + 1;
        } else if (c == '<') {
            const qsizetype close = bytes.indexOf('>', i);
            if (close < 0) return -1;
            i = close;
        }
    }
    return -1;
}

std::optional<qint64> NumberAfter(const QByteArray& bytes, qsizetype at) {
    while (at < bytes.size() && IsSpace(bytes[at]))
        ++at;
    qsizetype end = at;
    while (end < bytes.size() && bytes[end] >= '0' && bytes[end] <= '9')
        ++end;
    if (end == at) return std::nullopt;
    return bytes.mid(at, end - at).toLongLong();
}

// The object number of the reference `/key n 0 R` in a dictionary's text.
std::optional<int> Reference(const QByteArray& dictionary, const char* key) {
    const QRegularExpression pattern(QStringLiteral("/%1(?![A-Za-z0-9])\\s+(\\d+)\\s+\\d+\\s+R").arg(key));
    const QRegularExpressionMatch m = pattern.match(QString::fromLatin1(dictionary));
    if (!m.hasMatch()) return std::nullopt;
    return m.captured(1).toInt();
}

std::vector<int> ReferencesIn(const QByteArray& text) {
    static const QRegularExpression pattern(QStringLiteral("(\\d+)\\s+\\d+\\s+R"));
    std::vector<int> refs;
    auto it = pattern.globalMatch(QString::fromLatin1(text));
    while (it.hasNext())
        refs.push_back(it.next().captured(1).toInt());
    return refs;
}

class PdfFile {
public:
    explicit PdfFile(const QByteArray& bytes) : bytes_(bytes) {}

    bool Parse(std::string& error) {
        const qsizetype at = bytes_.lastIndexOf("startxref");
        const std::optional<qint64> xref = at < 0 ? std::nullopt : NumberAfter(bytes_, at + 9);
        if (!xref) {
            error = "no startxref";
            return false;
        }
        lastXref_ = *xref;
        std::set<qint64> seen;
        std::optional<qint64> next = *xref;
        bool newest = true;
        while (next) {
            if (!seen.insert(*next).second) break;
            const std::optional<QByteArray> trailer = ReadXrefSection(*next, error);
            if (!trailer) return false;
            if (newest) {
                trailer_ = *trailer;
                newest = false;
            }
            const std::optional<int> prevAt = [&]() -> std::optional<int> {
                const qsizetype p = trailer->indexOf("/Prev");
                if (p < 0) return std::nullopt;
                const std::optional<qint64> n = NumberAfter(*trailer, p + 5);
                return n ? std::optional<int>(static_cast<int>(*n)) : std::nullopt;
            }();
            next = prevAt ? std::optional<qint64>(*prevAt) : std::nullopt;
        }
        const qsizetype sizeAt = trailer_.indexOf("/Size");
        const std::optional<qint64> size = sizeAt < 0 ? std::nullopt : NumberAfter(trailer_, sizeAt + 5);
        if (!size) {
            error = "trailer without /Size";
            return false;
        }
        size_ = static_cast<int>(*size);
        return true;
    }

    const QByteArray& trailer() const { return trailer_; }
    int size() const { return size_; }
    qint64 lastXref() const { return lastXref_; }
    std::vector<int> objects() const {
        std::vector<int> numbers;
        for (const auto& [n, offset] : offsets_)
            numbers.push_back(n);
        return numbers;
    }

    // The top-level dictionary of object `n` ("<< … >>"), if it has one.
    std::optional<QByteArray> Dictionary(int n) const {
        const std::optional<qsizetype> body = BodyStart(n);
        if (!body) return std::nullopt;
        qsizetype at = *body;
        while (at < bytes_.size() && IsSpace(bytes_[at]))
            ++at;
        if (!bytes_.mid(at, 2).startsWith("<<")) return std::nullopt;
        const qsizetype end = DictionaryEnd(bytes_, at);
        if (end < 0) return std::nullopt;
        return bytes_.mid(at, end - at);
    }

    // The text of object `n` between "obj" and "endobj", trimmed; for objects without a stream.
    std::optional<QByteArray> Body(int n) const {
        const std::optional<qsizetype> body = BodyStart(n);
        if (!body) return std::nullopt;
        const qsizetype end = bytes_.indexOf("endobj", *body);
        if (end < 0) return std::nullopt;
        return bytes_.mid(*body, end - *body).trimmed();
    }

    // The unfiltered data of stream object `n` with a direct length; none for another object or a
    // filtered stream.
    std::optional<QByteArray> PlainStream(int n) const {
        const std::optional<QByteArray> dict = Dictionary(n);
        if (!dict || dict->contains("/Filter")) return std::nullopt;
        const qsizetype lengthAt = dict->indexOf("/Length");
        if (lengthAt < 0) return std::nullopt;
        const std::optional<qint64> length = NumberAfter(*dict, lengthAt + 7);
        if (!length || Reference(*dict, "Length")) return std::nullopt;
        const qsizetype dictAt = bytes_.indexOf(*dict, *BodyStart(n));
        qsizetype at = bytes_.indexOf("stream", dictAt + dict->size());
        if (at < 0) return std::nullopt;
        at += 6;
        if (at < bytes_.size() && bytes_[at] == '\r') ++at;
        if (at < bytes_.size() && bytes_[at] == '\n') ++at;
        if (at + *length > bytes_.size()) return std::nullopt;
        return bytes_.mid(at, *length);
    }

private:
    std::optional<qsizetype> BodyStart(int n) const {
        const auto it = offsets_.find(n);
        if (it == offsets_.end()) return std::nullopt;
        const qsizetype obj = bytes_.indexOf("obj", it->second);
        if (obj < 0 || obj - it->second > 32) return std::nullopt;
        return obj + 3;
    }

    // Reads the cross-reference section at `offset` (older sections do not replace entries already read)
    // and returns its trailer dictionary.
    std::optional<QByteArray> ReadXrefSection(qint64 offset, std::string& error) {
        if (offset < 0 || offset >= bytes_.size() || !bytes_.mid(offset, 4).startsWith("xref")) {
            error = "no cross-reference table at startxref (a cross-reference stream?)";
            return std::nullopt;
        }
        qsizetype at = offset + 4;
        for (;;) {
            while (at < bytes_.size() && IsSpace(bytes_[at]))
                ++at;
            if (bytes_.mid(at, 7) == "trailer") break;
            const std::optional<qint64> first = NumberAfter(bytes_, at);
            if (!first) {
                error = "damaged cross-reference table";
                return std::nullopt;
            }
            while (at < bytes_.size() && !IsSpace(bytes_[at]))
                ++at;
            const std::optional<qint64> count = NumberAfter(bytes_, at);
            if (!count) {
                error = "damaged cross-reference subsection";
                return std::nullopt;
            }
            while (at < bytes_.size() && IsSpace(bytes_[at]))
                ++at;
            while (at < bytes_.size() && !IsSpace(bytes_[at]))
                ++at;
            for (qint64 k = 0; k < *count; ++k) {
                const std::optional<qint64> where = NumberAfter(bytes_, at);
                if (!where) {
                    error = "damaged cross-reference entry";
                    return std::nullopt;
                }
                // "oooooooooo ggggg n" (in use) or "… f" (free), then the end of line.
                while (at < bytes_.size() && IsSpace(bytes_[at]))
                    ++at;
                const qsizetype kindAt = at + 17;
                if (kindAt >= bytes_.size()) {
                    error = "cut cross-reference entry";
                    return std::nullopt;
                }
                const int number = static_cast<int>(*first + k);
                if (bytes_[kindAt] == 'n' && offsets_.find(number) == offsets_.end())
                    offsets_[number] = *where;
                at = kindAt + 1;
            }
        }
        const qsizetype open = bytes_.indexOf("<<", at);
        const qsizetype close = open < 0 ? -1 : DictionaryEnd(bytes_, open);
        if (close < 0) {
            error = "damaged trailer";
            return std::nullopt;
        }
        return bytes_.mid(open, close - open);
    }

    const QByteArray& bytes_;
    std::map<int, qint64> offsets_;
    QByteArray trailer_;
    int size_ = 0;
    qint64 lastXref_ = 0;
};

void CollectPages(const PdfFile& pdf, int node, std::vector<int>& pages, int depth) {
    const std::optional<QByteArray> dict = pdf.Dictionary(node);
    if (!dict || depth > 32) return;
    static const QRegularExpression pagesNode(QStringLiteral("/Type\\s*/Pages(?![A-Za-z])"));
    if (pagesNode.match(QString::fromLatin1(*dict)).hasMatch()) {
        const qsizetype kidsAt = dict->indexOf("/Kids");
        const qsizetype open = dict->indexOf('[', kidsAt);
        const qsizetype close = dict->indexOf(']', open);
        if (kidsAt < 0 || open < 0 || close < 0) return;
        for (int kid : ReferencesIn(dict->mid(open, close - open)))
            CollectPages(pdf, kid, pages, depth + 1);
    } else {
        pages.push_back(node);
    }
}

// ---- Text maps ----

QByteArray Hex4(unsigned value) {
    return QByteArray::number(value, 16).toUpper().rightJustified(4, '0');
}

// The code points of a destination "<hhhh…>" (UTF-16BE), or none when it is not one.
std::optional<std::u32string> DecodeDestination(const QByteArray& hex) {
    if (hex.size() % 4 != 0 || hex.isEmpty()) return std::nullopt;
    std::u16string units;
    for (qsizetype i = 0; i < hex.size(); i += 4) {
        bool ok = false;
        const unsigned unit = hex.mid(i, 4).toUInt(&ok, 16);
        if (!ok) return std::nullopt;
        units.push_back(static_cast<char16_t>(unit));
    }
    const QString text = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
    std::u32string points;
    for (char32_t c : text.toUcs4())
        points.push_back(c);
    return points;
}

QByteArray EncodeDestination(const std::u32string& points) {
    QByteArray hex;
    for (char32_t c : points) {
        const QString text = QString::fromUcs4(&c, 1);
        for (QChar unit : text)
            hex += Hex4(unit.unicode());
    }
    return hex;
}

QByteArray SearchableDestination(const QByteArray& hex, const CodePointReplacements& replacements) {
    std::optional<std::u32string> points = DecodeDestination(hex);
    if (!points) return hex;
    for (char32_t& c : *points)
        c = SearchableCodePoint(c, replacements);
    const QByteArray mapped = EncodeDestination(*points);
    return mapped.size() == hex.size() ? mapped : hex;
}

// ---- Writing the update ----

QByteArray PdfTextString(const QString& text) {
    QByteArray hex = "<FEFF";
    for (QChar unit : text)
        hex += Hex4(unit.unicode());
    return hex + ">";
}

QByteArray Number(double v) {
    return QByteArray::number(v, 'f', 2);
}

QByteArray Ref(int n) {
    return QByteArray::number(n) + " 0 R";
}

// The catalog's dictionary with the outline, its page mode and the language, replacing any it had.
QByteArray AmendedCatalog(QByteArray catalog, int outlineRoot, const QString& language) {
    static const QRegularExpression stale(
        QStringLiteral("/(Outlines\\s+\\d+\\s+\\d+\\s+R|PageMode\\s*/[A-Za-z]+|Lang\\s*\\([^)]*\\))"));
    QString text = QString::fromLatin1(catalog);
    text.remove(stale);
    catalog = text.toLatin1();
    const qsizetype end = catalog.lastIndexOf(">>");
    QByteArray added = "/Outlines " + Ref(outlineRoot) + "\n/PageMode /UseOutlines\n";
    if (!language.isEmpty()) added += "/Lang " + PdfTextString(language) + "\n";
    return catalog.left(end) + added + ">>";
}

}  // namespace

char32_t SearchableCodePoint(char32_t codePoint, const CodePointReplacements& replacements) {
    if (const auto it = replacements.find(codePoint); it != replacements.end()) return it->second;
    const bool radical =
        (codePoint >= 0x2E80 && codePoint <= 0x2EFF) || (codePoint >= 0x2F00 && codePoint <= 0x2FDF);
    if (!radical) return codePoint;
    const QString decomposed = QString::fromUcs4(&codePoint, 1).normalized(QString::NormalizationForm_KC);
    const QList<uint> points = decomposed.toUcs4();
    if (points.size() != 1) return codePoint;
    return static_cast<char32_t>(points.front());
}

QByteArray SearchableTextMap(const QByteArray& cmap, const CodePointReplacements& replacements) {
    // Destinations stand after the two source codes of a range ("<s1> <s2> <d>" or "<s1> <s2> [<d> …]")
    // and after the source code of a single character ("<s> <d>"); source codes are left as they are.
    QByteArray out;
    out.reserve(cmap.size());
    enum class Section { kNone, kRanges, kChars } section = Section::kNone;
    for (const QByteArray& line : cmap.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.endsWith("beginbfrange"))
            section = Section::kRanges;
        else if (trimmed.endsWith("beginbfchar"))
            section = Section::kChars;
        else if (trimmed == "endbfrange" || trimmed == "endbfchar")
            section = Section::kNone;
        if (section == Section::kNone || !trimmed.startsWith('<')) {
            out += line + '\n';
            continue;
        }
        // A range "<s1> <s2> <d>" maps s1… to d, d+1, …: when one of them changes, the run is spelt out.
        if (section == Section::kRanges && !line.contains('[')) {
            const QList<QByteArray> parts = trimmed.simplified().split(' ');
            const auto hexOf = [](const QByteArray& token) { return token.mid(1, token.size() - 2); };
            if (parts.size() == 3) {
                const unsigned s1 = hexOf(parts[0]).toUInt(nullptr, 16);
                const unsigned s2 = hexOf(parts[1]).toUInt(nullptr, 16);
                const std::optional<std::u32string> d = DecodeDestination(hexOf(parts[2]));
                if (d && d->size() == 1 && s2 >= s1 && s2 - s1 < 256) {
                    bool changes = false;
                    QByteArray spelt = parts[0] + " " + parts[1] + " [";
                    for (unsigned k = 0; k <= s2 - s1; ++k) {
                        const char32_t c = static_cast<char32_t>(d->front() + k);
                        const char32_t searchable = SearchableCodePoint(c, replacements);
                        changes = changes || searchable != c;
                        spelt += "<" + EncodeDestination(std::u32string{searchable}) + "> ";
                    }
                    out += (changes ? spelt + "]" : line) + '\n';
                    continue;
                }
            }
        }
        const int sources = section == Section::kRanges ? 2 : 1;
        QByteArray rewritten;
        int hexIndex = 0;
        qsizetype at = 0;
        while (at < line.size()) {
            const qsizetype open = line.indexOf('<', at);
            const qsizetype close = open < 0 ? -1 : line.indexOf('>', open);
            if (close < 0) {
                rewritten += line.mid(at);
                break;
            }
            rewritten += line.mid(at, open + 1 - at);
            const QByteArray hex = line.mid(open + 1, close - open - 1);
            rewritten += hexIndex < sources ? hex : SearchableDestination(hex, replacements);
            rewritten += '>';
            ++hexIndex;
            at = close + 1;
        }
        out += rewritten + '\n';
    }
    out.chop(1);  // the split added no line break after the last line
    return out;
}

AmendedPdf AmendPdf(const QByteArray& pdf, const PdfAmendment& amendment) {
    AmendedPdf result;
    PdfFile file(pdf);
    if (!file.Parse(result.error)) return result;
    const std::optional<int> root = Reference(file.trailer(), "Root");
    const std::optional<QByteArray> catalog = root ? file.Dictionary(*root) : std::nullopt;
    if (!catalog) {
        result.error = "no catalog";
        return result;
    }
    std::vector<int> pages;
    if (const std::optional<int> tree = Reference(*catalog, "Pages")) CollectPages(file, *tree, pages, 0);
    if (pages.empty()) {
        result.error = "no pages";
        return result;
    }

    std::map<int, QByteArray> objects;  // number → body between "obj" and "endobj"

    // The text maps of the fonts, made searchable.
    std::set<int> textMaps;
    for (int n : file.objects())
        if (const std::optional<QByteArray> dict = file.Dictionary(n))
            if (const std::optional<int> map = Reference(*dict, "ToUnicode")) textMaps.insert(*map);
    for (int n : textMaps) {
        const std::optional<QByteArray> cmap = file.PlainStream(n);
        if (!cmap) continue;
        const QByteArray searchable = SearchableTextMap(*cmap, amendment.replacements);
        if (searchable == *cmap) continue;
        objects[n] = "<<\n/Length " + QByteArray::number(searchable.size()) + "\n>>\nstream\n" + searchable +
                     "\nendstream";
    }

    // The outline: a root, the chapters in order, each with its sections.
    int next = file.size();
    const int outlineRoot = next++;
    struct Item {
        int number;
        const OutlineEntry* entry;
        std::vector<std::size_t> children;
    };
    std::vector<Item> chapters;
    std::vector<Item> sections;
    for (const OutlineEntry& entry : amendment.outline) {
        if (entry.page < 0 || entry.page >= static_cast<int>(pages.size())) {
            result.error = "outline entry on a page the file does not have: " + entry.title.toStdString();
            return result;
        }
        if (entry.level <= 1 || chapters.empty()) {
            chapters.push_back({next++, &entry, {}});
        } else {
            sections.push_back({next++, &entry, {}});
            chapters.back().children.push_back(sections.size() - 1);
        }
    }
    // A4 in points; Qt's pages carry their media box, read for other sizes.
    const auto pageHeight = [&](int page) {
        double height = 842.0;
        if (const std::optional<QByteArray> dict = file.Dictionary(pages[static_cast<std::size_t>(page)])) {
            static const QRegularExpression box(
                QStringLiteral("/MediaBox\\s*\\[\\s*[-\\d.]+\\s+[-\\d.]+\\s+[-\\d.]+\\s+([-\\d.]+)\\s*\\]"));
            const QRegularExpressionMatch m = box.match(QString::fromLatin1(*dict));
            if (m.hasMatch()) height = m.captured(1).toDouble();
        }
        return height;
    };
    const auto destinationAt = [&](int page, double topPoints) {
        return "[" + Ref(pages[static_cast<std::size_t>(page)]) + " /XYZ null " +
               Number(std::max(0.0, pageHeight(page) - topPoints)) + " null]";
    };
    const auto destination = [&](const OutlineEntry& e) { return destinationAt(e.page, e.topPoints); };
    const auto item = [&](const Item& it, int parent, const Item* prev, const Item* following,
                          const std::vector<const Item*>& children) {
        QByteArray body = "<<\n/Title " + PdfTextString(it.entry->title) + "\n/Parent " + Ref(parent) +
                          "\n/Dest " + destination(*it.entry) + "\n";
        if (prev) body += "/Prev " + Ref(prev->number) + "\n";
        if (following) body += "/Next " + Ref(following->number) + "\n";
        if (!children.empty()) {
            body += "/First " + Ref(children.front()->number) + "\n/Last " + Ref(children.back()->number) +
                    "\n/Count " + QByteArray::number(children.size()) + "\n";
        }
        objects[it.number] = body + ">>";
    };
    for (std::size_t c = 0; c < chapters.size(); ++c) {
        std::vector<const Item*> children;
        for (std::size_t s : chapters[c].children)
            children.push_back(&sections[s]);
        item(chapters[c], outlineRoot, c > 0 ? &chapters[c - 1] : nullptr,
             c + 1 < chapters.size() ? &chapters[c + 1] : nullptr, children);
        for (std::size_t k = 0; k < children.size(); ++k)
            item(*children[k], chapters[c].number, k > 0 ? children[k - 1] : nullptr,
                 k + 1 < children.size() ? children[k + 1] : nullptr, {});
    }
    QByteArray outline = "<<\n/Type /Outlines\n";
    if (!chapters.empty()) {
        outline += "/First " + Ref(chapters.front().number) + "\n/Last " + Ref(chapters.back().number) +
                   "\n/Count " + QByteArray::number(chapters.size() + sections.size()) + "\n";
    }
    objects[outlineRoot] = outline + ">>";

    // Links: annotations appended to the annotations of their pages.
    const int pageCount = static_cast<int>(pages.size());
    std::map<int, QByteArray> linksOfPage;  // page → the references of its new annotations
    for (const PageLink& link : amendment.links) {
        if (link.page < 0 || link.page >= pageCount || link.targetPage < 0 || link.targetPage >= pageCount) {
            result.error = "a link on or to a page the file does not have";
            return result;
        }
        const double height = pageHeight(link.page);
        const int n = next++;
        objects[n] = "<<\n/Type /Annot\n/Subtype /Link\n/Rect [" + Number(link.area.left()) + " " +
                     Number(height - link.area.bottom()) + " " + Number(link.area.right()) + " " +
                     Number(height - link.area.top()) + "]\n/Border [0 0 0]\n/Dest " +
                     destinationAt(link.targetPage, link.targetTopPoints) + "\n>>";
        linksOfPage[link.page] += " " + Ref(n);
    }
    for (const auto& [page, refs] : linksOfPage) {
        const int pageObject = pages[static_cast<std::size_t>(page)];
        QByteArray dict = *file.Dictionary(pageObject);
        if (const std::optional<int> annots = Reference(dict, "Annots")) {
            const std::optional<QByteArray> array = file.Body(*annots);
            if (!array || !array->startsWith('[') || !array->endsWith(']')) {
                result.error = "a page's annotations that are no array";
                return result;
            }
            objects[*annots] = array->chopped(1) + refs + " ]";
        } else if (const qsizetype at = dict.indexOf("/Annots"); at >= 0) {
            const qsizetype close = dict.indexOf(']', at);
            if (close < 0) {
                result.error = "a page's annotations that are no array";
                return result;
            }
            objects[pageObject] = dict.left(close) + refs + dict.mid(close);
        } else {
            const qsizetype end = dict.lastIndexOf(">>");
            objects[pageObject] = dict.left(end) + "/Annots [" + refs + " ]\n>>";
        }
    }
    objects[*root] = AmendedCatalog(*catalog, outlineRoot, amendment.language);

    // The update: the objects, their cross-reference subsections and the trailer that leads back.
    QByteArray update;
    if (!pdf.endsWith('\n')) update += '\n';
    std::map<int, qint64> offsets;
    for (const auto& [n, body] : objects) {
        offsets[n] = pdf.size() + update.size();
        update += QByteArray::number(n) + " 0 obj\n" + body + "\nendobj\n";
    }
    const qint64 xrefAt = pdf.size() + update.size();
    update += "xref\n";
    for (auto it = offsets.begin(); it != offsets.end();) {
        auto end = it;
        int expected = it->first;
        while (end != offsets.end() && end->first == expected) {
            ++end;
            ++expected;
        }
        update += QByteArray::number(it->first) + " " + QByteArray::number(expected - it->first) + "\n";
        for (; it != end; ++it)
            update += QByteArray::number(it->second).rightJustified(10, '0') + " 00000 n \n";
    }
    QByteArray trailer = "trailer\n<<\n/Size " + QByteArray::number(next) + "\n/Root " + Ref(*root) + "\n";
    if (const std::optional<int> info = Reference(file.trailer(), "Info"))
        trailer += "/Info " + Ref(*info) + "\n";
    const qsizetype idAt = file.trailer().indexOf("/ID");
    if (idAt >= 0) {
        const qsizetype close = file.trailer().indexOf(']', idAt);
        if (close > idAt) trailer += file.trailer().mid(idAt, close + 1 - idAt) + "\n";
    }
    trailer += "/Prev " + QByteArray::number(file.lastXref()) + "\n>>\n";
    update += trailer + "startxref\n" + QByteArray::number(xrefAt) + "\n%%EOF\n";
    result.bytes = pdf + update;
    return result;
}

std::optional<std::string> AmendPdfFile(const QString& path, const PdfAmendment& amendment) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return "cannot read " + path.toStdString();
    const AmendedPdf amended = AmendPdf(in.readAll(), amendment);
    in.close();
    if (!amended.error.empty()) return path.toStdString() + ": " + amended.error;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(amended.bytes) != amended.bytes.size() || !out.commit())
        return "cannot write " + path.toStdString();
    return std::nullopt;
}

}  // namespace kelmora::manual
