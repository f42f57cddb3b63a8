// Printed map pages of the example factory as PDF and as a picture: the PDF is A3 or A4 either way
// round, holds the title block's texts as real text (read back with pdftotext), embeds the Japanese
// face, and its scale bar is as long on paper as the scale says.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "model/persistence/ProjectJson.h"
#include "platform/raster/ExampleProject.h"
#include "platform/raster/PagePicture.h"
#include "view/noisemap/MapStyle.h"
#include "view/noisemap/ResultFile.h"

namespace kelmora {
namespace {

using rastertest::ExampleProject;

class ExamplePage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        MapQuantity quantity = MapQuantity::Unknown;
        LevelGrid grid = ReadResultFile(std::string(KELMORA_SOURCE_DIR) + "/examples/factory-grid-laeq.txt",
                                        doc.model.calcInfo, &quantity);
        MapSettings settings;
        settings.lowestClassDb = 40.0;
        const MapStyle style = LevelMapStyle(settings);
        map = BuildNoiseMap(std::move(grid), style.classes, style.scheme,
                            {quantity, false, doc.model.calcInfo.gridHeight});
    }

    PagePrintout Printout(const std::string& code, std::optional<int> scale, bool table = false) const {
        PageSetup setup = *PageOfCode(code);
        setup.scale = scale;
        setup.title = "工場周辺の騒音予測";
        setup.resultsTable = table;
        const PageContent content{doc.model,
                                  doc.viewRecords.front().viewData,
                                  false,
                                  &map,
                                  {},
                                  false,
                                  std::nullopt,
                                  TitleTextsOf(&map, "factory.kel", setup.title, "2025-04-01",
                                               "ケルモラ環境株式会社", "山田 花子")};
        return MakePrintout(setup, content, setup.title);
    }

    // Runs a poppler tool on the bytes written to a file; its standard output.
    QString Poppler(const QString& tool, const QByteArray& pdf, const QStringList& args = {}) const {
        const QString path = folder.filePath(QStringLiteral("page.pdf"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pdf);
        file.close();
        QProcess process;
        process.start(tool, QStringList(args)
                                << path
                                << (tool == QStringLiteral("pdftotext") ? QStringList{"-"} : QStringList{}));
        EXPECT_TRUE(process.waitForFinished(30000)) << tool.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        // pdftotext gives compatibility forms of some characters (the face draws 音 and the radical ⾳, the
        // en dash and the figure dash, with one glyph each): compare in a normalised form.
        return QString::fromUtf8(process.readAllStandardOutput())
            .normalized(QString::NormalizationForm_KC)
            .replace(QChar(0x2012), QChar(0x2013));
    }

    QTemporaryDir folder;
    ProjectDocument doc = ExampleProject();
    NoiseMap map;
};

TEST_F(ExamplePage, ThePdfIsVectorTextWithTheTitleBlockAndTheJapaneseFaceEmbedded) {
    const QByteArray pdf = RenderPdf(Printout("A3L", 500));
    ASSERT_FALSE(pdf.isEmpty());
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const QString text = Poppler(QStringLiteral("pdftotext"), pdf, {QStringLiteral("-layout")});
    for (const char* expected : {"件名",     "factory.kel",
                                 "表題",     "工場周辺の騒音予測",
                                 "評価量",   "等価騒音レベル LAeqT",
                                 "予測高さ", "地上 1.2 m",
                                 "縮尺",     "1:500 (A3 横)",
                                 "日付",     "2025-04-01",
                                 "会社名",   "ケルモラ環境株式会社",
                                 "作成者",   "山田 花子",
                                 "N",        "≥ 85",
                                 "40–45",    "< 40 (着色なし)",
                                 "20 m"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    const QString info = Poppler(QStringLiteral("pdfinfo"), pdf);
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           1"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("1191 x 842 pts (A3)"))) << info.toStdString();
    const QString fonts = Poppler(QStringLiteral("pdffonts"), pdf);
    EXPECT_TRUE(fonts.contains(QStringLiteral("NotoSansCJK"))) << fonts.toStdString();
    // Embedded ("yes" in the emb column) and no text turned into pictures: the page has fonts at all.
    EXPECT_TRUE(fonts.contains(QStringLiteral(" yes "))) << fonts.toStdString();
}

TEST_F(ExamplePage, PaperSizesAndTheResultsPages) {
    const struct {
        const char* code;
        const char* size;
    } cases[] = {
        {"A4P", "595 x 842 pts (A4)"}, {"A4L", "842 x 595 pts (A4)"}, {"A3P", "842 x 1191 pts (A3)"}};
    for (const auto& c : cases) {
        const QString info = Poppler(QStringLiteral("pdfinfo"), RenderPdf(Printout(c.code, std::nullopt)));
        EXPECT_TRUE(info.contains(QString::fromLatin1(c.size))) << c.code << "\n" << info.toStdString();
    }
    // The example's points, with a second page listing them.
    const PagePrintout withTable = Printout("A4P", 1000, true);
    ASSERT_EQ(PageCount(withTable), 2u);
    const QByteArray pdf = RenderPdf(withTable);
    EXPECT_TRUE(Poppler(QStringLiteral("pdfinfo"), pdf).contains(QStringLiteral("Pages:           2")));
    const QString text = Poppler(QStringLiteral("pdftotext"), pdf);
    EXPECT_TRUE(text.contains(QString::fromUtf8("予測点の計算結果"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("LAmax [dB]")));
}

TEST_F(ExamplePage, TheScaleBarMeasuresWhatTheScaleSays) {
    for (const int scale : {250, 500, 1000}) {
        const PagePrintout printout = Printout("A3L", scale);
        const ScaleBar& bar = printout.map.scaleBar;
        ASSERT_GT(bar.metres, 0.0);
        const int dpi = 300;
        const QImage image = RenderPageImage(printout, 0, dpi);
        const double pxPerMm = dpi / 25.4;
        EXPECT_EQ(image.width(), static_cast<int>(std::lround(420 * pxPerMm)));
        EXPECT_EQ(image.height(), static_cast<int>(std::lround(297 * pxPerMm)));
        EXPECT_EQ(image.dotsPerMeterX(), static_cast<int>(std::lround(pxPerMm * 1000)));
        // Along the middle of the bar, from its first dark pixel to its last (its outline included).
        const RectMm& box = printout.map.frames.scaleBar;
        const int y = static_cast<int>(std::lround((box.top + 6.0 + 1.2) * pxPerMm));
        int first = -1, last = -1;
        for (int x = static_cast<int>(box.left * pxPerMm); x < static_cast<int>(box.Right() * pxPerMm); ++x) {
            if (qGray(image.pixel(x, y)) < 100) {
                if (first < 0) first = x;
                last = x;
            }
        }
        ASSERT_GE(first, 0) << scale;
        // Less the outline's width (0.2 mm) that lies outside the bar's ends.
        const double measuredMm = (last - first + 1) / pxPerMm - 0.2;
        const double expectedMm = bar.metres * 1000.0 / scale;
        EXPECT_NEAR(measuredMm, expectedMm, 0.005 * expectedMm) << "1:" << scale << " " << bar.metres << " m";
    }
}

}  // namespace
}  // namespace kelmora
