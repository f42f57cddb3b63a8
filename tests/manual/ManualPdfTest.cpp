// The manual's layout tool on a small book of its own, read back with the poppler tools as a PDF viewer
// reads it: pages, bookmarks, contents, headers, figures and searchable Japanese; and the incremental
// update that adds the bookmarks to a PDF, on its own.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include "ManualBook.h"
#include "PdfAmendment.h"
#include "QtTestApplication.h"
#include "manual/Poppler.h"

namespace kelmora::manual {
namespace {

using kelmora::testing::Bookmarks;
using kelmora::testing::PageCount;
using kelmora::testing::PdfText;
using kelmora::testing::Pictures;
using kelmora::testing::RunTool;
using kelmora::testing::Squeezed;

QByteArray Latin(const char* text) {
    return QByteArray(text);
}

TEST(SearchableTextMap, DestinationsOfRadicalsAndSharedGlyphsBecomeTheTextsCharacters) {
    struct Case {
        const char* map;
        CodePointReplacements replacements;
        const char* expected;
    };
    const Case cases[] = {
        // A range with one destination: ⾳ (Kangxi radical) is the ideograph 音.
        {"1 beginbfrange\n<0003> <0003> <2FB3>\nendbfrange",
         {},
         "1 beginbfrange\n<0003> <0003> [<97F3> ]\nendbfrange"},
        // A range with a list: only destinations change, never the source codes.
        {"1 beginbfrange\n<2FB3> <2FB4> [<2FB3> <0041>]\nendbfrange",
         {},
         "1 beginbfrange\n<2FB3> <2FB4> [<97F3> <0041>]\nendbfrange"},
        // A run whose later members are radicals is spelt out.
        {"1 beginbfrange\n<0010> <0012> <2F00>\nendbfrange",
         {},
         "1 beginbfrange\n<0010> <0012> [<4E00> <4E28> <4E36> ]\nendbfrange"},
        // A radical without a compatibility form (⻑) and a punctuation mark (‧) by the book's characters.
        {"2 beginbfchar\n<0005> <2ED1>\n<0006> <2027>\nendbfchar",
         {{0x2ED1, 0x9577}, {0x2027, 0x30FB}},
         "2 beginbfchar\n<0005> <9577>\n<0006> <30FB>\nendbfchar"},
        // Nothing to do: the same bytes.
        {"1 beginbfrange\n<0001> <0002> [<0063> <006F>]\nendbfrange",
         {},
         "1 beginbfrange\n<0001> <0002> [<0063> <006F>]\nendbfrange"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SearchableTextMap(Latin(c.map), c.replacements), Latin(c.expected)) << c.map;
    EXPECT_EQ(SearchableCodePoint(U'\x2F42'), U'文');
    EXPECT_EQ(SearchableCodePoint(U'A'), U'A');
}

TEST(NumberFigures, FiguresAreNumberedPerChapterAndCodeIsLeftAlone) {
    std::vector<QString> captions;
    const QString text = NumberFigures(
        QStringLiteral("# 章\n\n![平面図](a.png)\n\n```\n![code](b.png)\n```\n\n![断面](c.png)\n"), 3,
        captions);
    ASSERT_EQ(captions.size(), 2u);
    EXPECT_EQ(captions[0], QStringLiteral("図 3-1　平面図"));
    EXPECT_EQ(captions[1], QStringLiteral("図 3-2　断面"));
    EXPECT_TRUE(text.contains(QStringLiteral("![code](b.png)")));
    EXPECT_TRUE(text.contains(QStringLiteral("![平面図](a.png)\n\n図 3-1　平面図")));
}

TEST(ResolveConditions, APartForACommandLandsWithTheCommandAndTheTextItReplacesGoes) {
    const QString text = QStringLiteral(
        "前\n<!-- if インポート -->\n取り込み\n<!-- else -->\n取り込みなし\n<!-- end -->\n中\n"
        "| a | b |\n|---|---|\n<!-- if 全体表示 -->\n| 全体 | 表示 |\n<!-- end -->\n| c | d |\n後");
    EXPECT_EQ(ResolveConditions(text, {QStringLiteral("インポート..."), QStringLiteral("全体表示(A)")}),
              QStringLiteral("前\n取り込み\n中\n| a | b |\n|---|---|\n| 全体 | 表示 |\n| c | d |\n後"));
    EXPECT_EQ(ResolveConditions(text, {QStringLiteral("開く(O)...")}),
              QStringLiteral("前\n取り込みなし\n中\n| a | b |\n|---|---|\n| c | d |\n後"));
    EXPECT_EQ(ResolveConditions(QStringLiteral("only text"), {}), QStringLiteral("only text"));
}

class SmallBook : public ::testing::Test {
protected:
    void SetUp() override {
        kelmora::testing::TestApplication();
        ASSERT_TRUE(folder.isValid());
        // A picture of 400 × 200 pixels at twice the screen's density, as the screenshots are.
        QImage picture(400, 200, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.fillRect(20, 20, 360, 160, QColor(0x33, 0x99, 0x33));
        painter.end();
        picture.setDotsPerMeterX(static_cast<int>(192 / 0.0254));
        picture.setDotsPerMeterY(static_cast<int>(192 / 0.0254));
        ASSERT_TRUE(picture.save(folder.filePath(QStringLiteral("pic.png"))));

        source.title = QStringLiteral("試験の本");
        source.subtitle = QStringLiteral("副題");
        source.version = QStringLiteral("バージョン 1.0");
        source.imageFolder = folder.path();
        QString longText;
        for (int i = 0; i < 60; ++i)
            longText += QStringLiteral("段落 %1。騒音の伝わる長さと音源・建物の関係を述べます。\n\n").arg(i);
        source.chapters = {
            QStringLiteral(
                "# 第1章 音の伝わり方\n\n最初の段落です。\n\n## 1.1 図のある節\n\n![平面図の例](pic.png)\n\n"
                "| 項目 | 値 |\n|---|---|\n| 気温 | 20 |\n\n## 1.2 長い節\n\n") +
                longText,
            QStringLiteral("# 第2章 結果\n\n## 2.1 ファイル\n\n`入力チェック` の本文。\n")};
        pdf = folder.filePath(QStringLiteral("book.pdf"));
    }

    QTemporaryDir folder;
    BookSource source;
    QString pdf;
};

TEST_F(SmallBook, ReadsBackWithItsPagesBookmarksContentsHeadersAndFigure) {
    const BookResult book = WriteBook(source, pdf);
    ASSERT_EQ(book.error, "");
    PdfAmendment amendment;
    amendment.outline = book.outline;
    amendment.replacements = book.replacements;
    amendment.links = book.links;
    ASSERT_EQ(AmendPdfFile(pdf, amendment), std::nullopt);

    QString complaints;
    EXPECT_EQ(PageCount(pdf, &complaints), book.pages);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
    EXPECT_GE(book.pages, 5);  // title, contents, the long first chapter, the second
    EXPECT_EQ(book.figures, 1);

    // The bookmarks: the chapters, each with its sections, on the pages the layout put them.
    const auto marks = Bookmarks(pdf);
    ASSERT_EQ(marks.size(), 5u);
    const std::pair<const char*, int> expected[] = {{"第1章 音の伝わり方", 0},
                                                    {"1.1 図のある節", 1},
                                                    {"1.2 長い節", 1},
                                                    {"第2章 結果", 0},
                                                    {"2.1 ファイル", 1}};
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].title, QString::fromUtf8(expected[i].first));
        EXPECT_EQ(marks[i].depth, expected[i].second);
        EXPECT_EQ(marks[i].page, book.outline[i].page + 1);
    }
    EXPECT_EQ(marks[0].page, 3) << "the first chapter follows the title page and the contents";
    EXPECT_GT(marks[3].page, marks[2].page) << "a chapter begins a new page";

    // The contents list every heading with its page number.
    const QString contents = PdfText(pdf, 2);
    for (const auto& mark : marks)
        EXPECT_TRUE(Squeezed(contents).contains(Squeezed(mark.title) + QString::number(mark.page)))
            << mark.title.toStdString();

    // Each line of the contents leads to its heading's page.
    std::vector<int> headingPages;
    for (const auto& mark : marks)
        headingPages.push_back(mark.page);
    EXPECT_EQ(kelmora::testing::LinkTargets(pdf, 2), headingPages);

    // Headers: the book's title and the chapter; footers: the page number.
    const QString chapterTwo = PdfText(pdf, marks[3].page);
    EXPECT_TRUE(chapterTwo.contains(QStringLiteral("試験の本")));
    EXPECT_GE(chapterTwo.count(QStringLiteral("第2章 結果")), 2) << "the header and the heading";
    EXPECT_TRUE(chapterTwo.contains(QString::number(marks[3].page)));
    const QString longSection = PdfText(pdf, marks[2].page + 1);
    EXPECT_TRUE(longSection.contains(QStringLiteral("第1章 音の伝わり方"))) << "the chapter in the header";

    // The text searches as it reads: no radical stands for an ideograph, the middle dot is the text's.
    const QString all = Squeezed(PdfText(pdf));
    for (const char* word :
         {"音の伝わり方", "騒音の伝わる長さと音源・建物の関係", "図1-1　平面図の例", "入力チェック"})
        EXPECT_TRUE(all.contains(Squeezed(QString::fromUtf8(word)))) << word;
    for (QChar c : all)
        EXPECT_FALSE(c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF)
            << "radical U+" << std::hex << static_cast<int>(c.unicode());

    // Every font embedded; the figure kept whole, losslessly, at its density.
    const auto fonts = RunTool(QStringLiteral("pdffonts"), {pdf}).out.split(QLatin1Char('\n')).mid(2);
    for (const QString& line : fonts)
        if (!line.trimmed().isEmpty()) {
            EXPECT_TRUE(line.contains(QStringLiteral(" yes "))) << line.toStdString();
        }
    const auto pictures = Pictures(pdf);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].width, 400);
    EXPECT_EQ(pictures[0].height, 200);
    EXPECT_EQ(pictures[0].encoding, QStringLiteral("image"));
    EXPECT_GE(pictures[0].ppi, 192);
}

TEST(PdfAmendment, ASecondUpdateReplacesTheBookmarksOfTheFirst) {
    kelmora::testing::TestApplication();
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("three.pdf"));
    {
        QPdfWriter writer(pdf);
        QPainter painter(&writer);
        for (int page = 0; page < 3; ++page) {
            if (page > 0) writer.newPage();
            painter.drawText(200, 400, QStringLiteral("page %1").arg(page + 1));
        }
    }
    PdfAmendment first;
    first.outline = {{QStringLiteral("One"), 1, 0, 100}, {QStringLiteral("Two"), 1, 1, 100}};
    ASSERT_EQ(AmendPdfFile(pdf, first), std::nullopt);
    PdfAmendment second;
    second.outline = {{QStringLiteral("章"), 1, 2, 50}, {QStringLiteral("節"), 2, 2, 300}};
    ASSERT_EQ(AmendPdfFile(pdf, second), std::nullopt);

    QString complaints;
    EXPECT_EQ(PageCount(pdf, &complaints), 3);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
    const auto marks = Bookmarks(pdf);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].title, QStringLiteral("章"));
    EXPECT_EQ(marks[0].page, 3);
    EXPECT_EQ(marks[1].title, QStringLiteral("節"));
    EXPECT_EQ(marks[1].depth, 1);
}

TEST(PdfAmendment, WhatIsNoPdfIsRefusedAndAnEntryBeyondThePagesToo) {
    kelmora::testing::TestApplication();
    EXPECT_NE(AmendPdf(QByteArray("not a pdf"), {}).error, "");
    EXPECT_NE(AmendPdf(QByteArray("%PDF-1.4\nstartxref\n999999\n%%EOF\n"), {}).error, "");

    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("one.pdf"));
    {
        QPdfWriter writer(pdf);
        QPainter painter(&writer);
        painter.drawText(200, 400, QStringLiteral("x"));
    }
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    PdfAmendment beyond;
    beyond.outline = {{QStringLiteral("Nowhere"), 1, 5, 0}};
    EXPECT_NE(AmendPdf(bytes, beyond).error, "");
    EXPECT_NE(AmendPdf(bytes.left(bytes.size() / 2), {}).error, "") << "a file cut short";
}

}  // namespace
}  // namespace kelmora::manual
