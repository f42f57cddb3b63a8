// The noise map's settings and printed pages in the desktop program, without a display: the settings
// dialog classes the plan's map and is saved with the document, the legend stands beside the plan,
// the pages are printed through the print preview and written as PDF or PNG, the company and the
// author are asked once, and the map goes to GIS files too.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "QtTestApplication.h"
#include "app/MainWindow.h"
#include "app/MainWindowTest.h"
#include "app/MapController.h"
#include "app/MapLegendPanel.h"
#include "app/PlanView.h"
#include "app/PrintController.h"
#include "app/UserSettings.h"
#include "dialogs/MapSettingsDialog.h"
#include "model/persistence/ExtensionFile.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {
namespace {

using testing::Q;

namespace fs = std::filesystem;

// The text of a PDF as pdftotext reads it, in compatibility-normalised form (the face draws 音 and
// the radical ⾳ with one glyph).
QString PdfText(const fs::path& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QString::fromStdString(pdf.string()), QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(30000));
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

QString PdfInfo(const fs::path& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf.string())});
    EXPECT_TRUE(process.waitForFinished(30000));
    return QString::fromUtf8(process.readAllStandardOutput());
}

class MapPrint : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        QStandardPaths::setTestModeEnabled(true);
        MakeWorkFolder("mapprint");
        // The user's settings of this test alone: tests run side by side in other processes.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString((work / "settings").string()));
        OpenWindow();
        ASSERT_NO_FATAL_FAILURE(OpenExample());
        view = doc->views().front();
        questions.files[Q(kResultFileDialogTitle)] = KELMORA_EXAMPLE_GRID_RESULTS;
        window->maps().actions().openResultFile->trigger();
        ASSERT_TRUE(doc->noiseMap().Shown());
    }
    MapLegendPanel& panel() const {
        QCoreApplication::processEvents();
        return *qobject_cast<PlanPane*>(view->parentWidget())->legendPanel();
    }
    PrintController& printing() { return window->printing(); }

    PlanView* view = nullptr;
};

TEST_F(MapPrint, SettingsDialogClassesThePlansMapAndIsSavedWithTheDocument) {
    window->actions().viewMenu->aboutToShow();
    QAction* item = window->maps().actions().settings;
    ASSERT_TRUE(item->isEnabled());
    EXPECT_EQ(item->text(), Q(kMenuMapSettings));
    item->trigger();
    auto* dialog = qobject_cast<MapSettingsDialog*>(window->maps().settingsDialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(kMapSettingsTitle));
    // The defaults: the standard scheme from 35 dB, buildings masked, no crosses over the map.
    EXPECT_EQ(dialog->schemeField()->currentData().toString(), QStringLiteral("standard"));
    EXPECT_TRUE(dialog->maskBox()->isChecked());
    EXPECT_FALSE(dialog->crossesBox()->isChecked());
    EXPECT_FALSE(dialog->userClassesTable()->isEnabled());

    // 5 dB classes from 40 dB.
    dialog->lowestField()->setValue(40.0);
    dialog->widthField()->setValue(5.0);
    dialog->smoothBox()->setChecked(true);
    dialog->accept();
    EXPECT_TRUE(questions.told.isEmpty()) << questions.told.join('\n').toStdString();
    const NoiseMap& map = *doc->noiseMap().Map();
    EXPECT_EQ(map.classes.limits.front(), 40.0);
    EXPECT_EQ(map.classes.limits.back(), 85.0);
    ASSERT_TRUE(panel().legend());
    EXPECT_EQ(panel().legend()->entries.back().label, "< 40 (着色なし)");
    EXPECT_TRUE(doc->transaction().modified());

    // One step of the edit menu's undo, and back.
    EXPECT_EQ(doc->transaction().UndoName(), std::string(kMapSettingsChange));
    doc->Undo();
    EXPECT_EQ(doc->noiseMap().Map()->classes.limits.front(), 35.0);
    EXPECT_EQ(panel().legend()->entries.back().label, "< 35 (着色なし)");
    doc->Redo();
    EXPECT_EQ(doc->noiseMap().Map()->classes.limits.front(), 40.0);

    // Saved beside the project, read back as set.
    const fs::path saved = work / "saved.kel";
    questions.files[QString::fromUtf8("名前を付けて保存")] = saved.string();
    ASSERT_TRUE(window->documents().SaveAs(*doc));
    const ProjectExtras extras = ReadExtensionFile(saved);
    ASSERT_TRUE(extras.map);
    EXPECT_EQ(extras.map->lowestClassDb, 40.0);
    EXPECT_TRUE(extras.map->smooth);
    EXPECT_EQ(*extras.map, *doc->extras().map);

    // A user scheme whose limits do not rise is refused with the reason; the dialog stays.
    item->trigger();
    dialog = qobject_cast<MapSettingsDialog*>(window->maps().settingsDialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->lowestField()->value(), 40.0);
    dialog->schemeField()->setCurrentIndex(dialog->schemeField()->findData(QStringLiteral("user")));
    QTableWidget* table = dialog->userClassesTable();
    ASSERT_EQ(table->rowCount(), 10) << "the user's scheme starts from the classes drawn now";
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("40"));
    table->item(1, 0)->setText(QStringLiteral("30"));
    dialog->accept();
    ASSERT_EQ(questions.told.size(), 1);
    EXPECT_TRUE(questions.told.back().contains(Q("低い順")));
    EXPECT_TRUE(dialog->isVisible());
    table->item(1, 0)->setText(QStringLiteral("47.5"));
    table->item(1, 1)->setText(QStringLiteral("#123456"));
    dialog->accept();
    EXPECT_EQ(doc->noiseMap().Map()->classes.limits[1], 47.5);
    EXPECT_EQ(*doc->noiseMap().Map()->scheme.classColours[2], (Rgb{0x12, 0x34, 0x56}));
}

TEST_F(MapPrint, TheLegendStandsBesideThePlanNeverOverIt) {
    MapLegendPanel& legend = panel();
    ASSERT_TRUE(legend.isVisible());
    const QRect plan = view->geometry();
    const QRect beside = legend.geometry();
    EXPECT_FALSE(plan.intersects(beside));
    EXPECT_EQ(beside.left(), plan.right() + 1);
    EXPECT_EQ(legend.accessibleName(), QString::fromUtf8("凡例"));
    EXPECT_TRUE(legend.accessibleDescription().contains(QString::fromUtf8("等価騒音レベル LAeqT [dB]")));
    // No legend text on the plan itself.
    for (const Primitive& p : view->displayList().base) {
        if (const auto* t = std::get_if<TextPrimitive>(&p)) {
            EXPECT_NE(t->text, "等価騒音レベル LAeqT [dB]");
        }
    }
    // Turned off: the panel goes and the plan takes its width.
    const int narrow = view->width();
    window->maps().actions().legend->trigger();
    EXPECT_FALSE(panel().isVisible());
    QCoreApplication::processEvents();
    EXPECT_GT(view->width(), narrow);
}

TEST_F(MapPrint, PrintPreviewPaintsThePagesOntoItsPrinter) {
    StoreReportAuthor({QString::fromUtf8("ケルモラ環境株式会社"), QString::fromUtf8("山田 花子")});
    PageSetup setup = *PageOfCode("A3L");
    setup.scale = 500;
    setup.title = "騒音予測図";
    const std::optional<PagePrintout> printout = printing().PrintoutOf(*doc, setup);
    ASSERT_TRUE(printout);
    EXPECT_TRUE(printout->map.placement.fits);
    // The preview's printer as a PDF file: what the preview asks to paint is what the printer prints.
    const fs::path pdf = work / "printed.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    std::unique_ptr<QPrintPreviewDialog> preview(printing().MakePreview(printer, *printout, window.get()));
    EXPECT_EQ(preview->windowTitle(), Q(kPreviewTitle));
    emit preview->paintRequested(&printer);
    ASSERT_TRUE(fs::exists(pdf));
    const QString text = PdfText(pdf);
    for (const char* expected : {"騒音予測図", "ケルモラ環境株式会社", "山田 花子", "1:500 (A3 横)",
                                 "factory.kel", "等価騒音レベル LAeqT [dB]", "地上 1.2 m"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_TRUE(PdfInfo(pdf).contains(QStringLiteral("1191 x 842 pts (A3)"))) << PdfInfo(pdf).toStdString();
}

TEST_F(MapPrint, PdfOutputAsksOnceForTheAuthorThenForThePageAndTheFile) {
    QAction* pdfItem = printing().pdfAction();
    EXPECT_EQ(pdfItem->text(), Q(kMenuExportPdf));
    const QList<QAction*> file = window->actions().fileMenu->actions();
    EXPECT_EQ(file.indexOf(printing().printAction()), file.indexOf(window->actions().saveAs) + 2);
    EXPECT_EQ(file.indexOf(pdfItem), file.indexOf(printing().printAction()) + 1);
    ASSERT_TRUE(pdfItem->isEnabled());

    // First time: the company and the author.
    pdfItem->trigger();
    auto* author = qobject_cast<ReportAuthorDialog*>(printing().openDialog());
    ASSERT_NE(author, nullptr);
    author->companyField()->setText(QString::fromUtf8("ケルモラ環境"));
    author->authorField()->setText(QString::fromUtf8("山田"));
    author->accept();
    ASSERT_TRUE(ReadReportAuthor());
    EXPECT_EQ(ReadReportAuthor()->company, QString::fromUtf8("ケルモラ環境"));

    // Then the page: A3 landscape at 1:500.
    auto* page = qobject_cast<PageSetupDialog*>(printing().openDialog());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), Q(kPdfPageTitle));
    page->paperField()->setCurrentIndex(page->paperField()->findData(QStringLiteral("A3L")));
    page->scaleField()->setCurrentIndex(page->scaleField()->findData(500));
    EXPECT_TRUE(page->fitNote()->text().isEmpty());
    page->titleField()->setText(QString::fromUtf8("工場周辺の騒音"));
    const fs::path pdf = work / "map.pdf";
    questions.files[Q(kExportPageDialogTitle)] = pdf.string();
    page->accept();
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_TRUE(PdfInfo(pdf).contains(QStringLiteral("Pages:           1")));
    EXPECT_TRUE(PdfText(pdf).contains(QString::fromUtf8("工場周辺の騒音")));

    // Next time the author is not asked again; a 1:250 page that cannot hold the site says so, and the
    // page goes to a PNG at the resolution chosen.
    pdfItem->trigger();
    page = qobject_cast<PageSetupDialog*>(printing().openDialog());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->scaleField()->currentData().toInt(), 500) << "the last page is offered again";
    page->paperField()->setCurrentIndex(page->paperField()->findData(QStringLiteral("A4P")));
    page->scaleField()->setCurrentIndex(page->scaleField()->findData(250));
    EXPECT_TRUE(page->fitNote()->text().contains(QStringLiteral("1:250")))
        << page->fitNote()->text().toStdString();
    page->dpiField()->setValue(100);
    questions.files[Q(kExportPageDialogTitle)] = (work / "map.png").string();
    page->accept();
    QImage png;
    ASSERT_TRUE(png.load(QString::fromStdString((work / "map.png").string())));
    EXPECT_EQ(png.size(), QSize(827, 1169));  // A4 at 100 dpi

    // A name that is neither: refused, nothing written.
    pdfItem->trigger();
    questions.files[Q(kExportPageDialogTitle)] = (work / "map.jpg").string();
    qobject_cast<PageSetupDialog*>(printing().openDialog())->accept();
    EXPECT_FALSE(fs::exists(work / "map.jpg"));
    ASSERT_FALSE(questions.told.isEmpty());
    EXPECT_TRUE(questions.told.back().startsWith(Q(kExportPageExtensionWrong)));
}

TEST_F(MapPrint, TheShownMapGoesToGisFilesToo) {
    const QString title = Q(kSaveMapPictureTitle);
    questions.files[title] = (work / "map.geojson").string();
    window->maps().actions().savePicture->trigger();
    std::ifstream in(work / "map.geojson");
    const std::string json{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(json.find("FeatureCollection"), std::string::npos);
    EXPECT_NE(json.find("\"kind\": \"band\""), std::string::npos);
    questions.files[title] = (work / "map.tif").string();
    window->maps().actions().savePicture->trigger();
    EXPECT_TRUE(fs::exists(work / "map.tif"));
    questions.files[title] = (work / "map.gpkg").string();
    window->maps().actions().savePicture->trigger();
    EXPECT_TRUE(fs::exists(work / "map.gpkg"));
    EXPECT_TRUE(questions.told.isEmpty()) << questions.told.join('\n').toStdString();
    questions.files[title] = (work / "map.dxf").string();
    window->maps().actions().savePicture->trigger();
    ASSERT_EQ(questions.told.size(), 1);
    EXPECT_TRUE(questions.told.back().startsWith(Q(kMapFileExtensionWrong)));
}

}  // namespace
}  // namespace kelmora
