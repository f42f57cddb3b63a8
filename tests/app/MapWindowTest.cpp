// Noise maps in the desktop program, without a display: the example's grid results opened onto its
// plan, the map items of the view menu, the out-of-date mark after an edit, grid runs that end with
// their map (a vertical one in a section window), difference maps, pictures of the map, and files
// that make no map.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QStandardPaths>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "QtTestApplication.h"
#include "app/MainWindow.h"
#include "app/MainWindowTest.h"
#include "app/MapController.h"
#include "app/MapLegendPanel.h"
#include "app/PlanView.h"
#include "app/SectionWindow.h"
#include "propagation/GroundModel.h"
#include "view/noisemap/ColourScheme.h"
#include "view/noisemap/LevelBands.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {
namespace {

using testing::CountPixels;
using testing::FileBytes;
using testing::Q;

namespace fs = std::filesystem;

// The items of a menu as a person sees them: visible ones only, "-" for a separator.
QStringList VisibleItems(const QMenu& menu) {
    QStringList items;
    for (const QAction* action : menu.actions())
        if (action->isVisible()) items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return items;
}

std::set<QRgb> SchemeColours(const ColourScheme& scheme) {
    std::set<QRgb> colours;
    for (const std::optional<Rgb>& c : scheme.classColours)
        if (c) colours.insert(qRgb(c->r, c->g, c->b));
    return colours;
}

// Filled areas of the base layer in one of the scheme's colours: the map's bands.
int BandPaths(const DisplayLayer& layer, const ColourScheme& scheme) {
    const std::set<QRgb> colours = SchemeColours(scheme);
    return static_cast<int>(std::count_if(layer.begin(), layer.end(), [&](const Primitive& p) {
        const auto* path = std::get_if<PathPrimitive>(&p);
        return path != nullptr && path->closed && path->brush.kind == Brush::Kind::Solid &&
               colours.count(qRgb(path->brush.color.r, path->brush.color.g, path->brush.color.b)) > 0;
    }));
}

int IsoLinePaths(const DisplayLayer& layer) {
    return static_cast<int>(std::count_if(layer.begin(), layer.end(), [](const Primitive& p) {
        const auto* path = std::get_if<PathPrimitive>(&p);
        return path != nullptr && !path->closed && path->pen.color == kIsoLineColour;
    }));
}

// The example's result file with every level raised by `dB` and every X moved by `dx` [m].
void WriteShiftedResults(const fs::path& to, double dB, double dx) {
    std::ifstream in(KELMORA_EXAMPLE_GRID_RESULTS, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    std::string line;
    std::getline(in, line);
    out << line << "\n";
    double x = 0, y = 0, level = 0, z = 0;
    while (in >> x >> y >> level >> z) {
        char text[80];
        std::snprintf(text, sizeof text, " %.3f %.3f %.1f %.3f\r\n", x + dx, y, level + dB, z);
        out << text;
    }
}

class MapWindow : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        QStandardPaths::setTestModeEnabled(true);
        MakeWorkFolder("mapwin");
        context.runSettings.threads = 2;
        questions.files[Q("等価騒音レベル計算結果を出力するテキストファイル名を指定してください")] =
            (work / "laeq.txt").string();
        questions.files[Q("最大騒音レベル計算結果を出力するテキストファイル名を指定してください")] =
            (work / "lamax.txt").string();
        questions.answers[Q("XYZ")] = QMessageBox::Yes;
        OpenWindow();
    }

    void OpenExample() {
        ASSERT_NO_FATAL_FAILURE(MainWindowTest::OpenExample());
        view = doc->views().front();
    }
    // "計算結果ファイルを開く(&R)..." with `file` chosen.
    void OpenResults(const fs::path& file) {
        questions.files[Q(kResultFileDialogTitle)] = file.string();
        maps().actions().openResultFile->trigger();
    }
    MapController& maps() { return window->maps(); }
    const DisplayLayer& base() const { return view->displayList().base; }
    // The legend beside the plan once the window has caught up (the panel follows the plan's repaint).
    const std::optional<MapLegend>& panel() const {
        QCoreApplication::processEvents();
        return qobject_cast<PlanPane*>(view->parentWidget())->legendPanel()->legend();
    }
    // A line of the legend panel: its heading, subheading, notes or warning.
    bool LegendSays(std::string_view text) const {
        const std::optional<MapLegend>& legend = panel();
        if (!legend) return false;
        std::vector<std::string> lines{legend->heading, legend->subheading, legend->warning};
        lines.insert(lines.end(), legend->notes.begin(), legend->notes.end());
        return std::find(lines.begin(), lines.end(), std::string(text)) != lines.end();
    }

    // The calculation start of the prediction dialog with the grid settings `set` applies; returns once
    // the run has ended normally.
    template <typename Settings>
    void RunGrid(Settings set) {
        QSignalSpy finished(doc, &KelmoraDocument::calculationFinished);
        EditTransaction& tx = doc->transaction();
        tx.BeginPrediction({});
        set(tx.workingCopy());
        tx.workingCopy().maxReflections = 0;
        doc->Apply(tx.PredictionClosed(PredictionExit::StartCalculation));
        ASSERT_TRUE(finished.wait(60000));
        ASSERT_EQ(finished.front().front().toInt(), kJobNormalEnd);
    }

    PlanView* view = nullptr;
};

TEST_F(MapWindow, ViewMenuHoldsTheMapItemsAfterTheBarItemsOnlyWithADocument) {
    const QMenu& menu = *window->actions().viewMenu;
    EXPECT_EQ(VisibleItems(menu), (QStringList{Q("ツール バー(&T)"), Q("ステータス バー(&S)")}));

    OpenExample();
    EXPECT_EQ(VisibleItems(menu), (QStringList{Q("ツール バー(&T)"),
                                               Q("ステータス バー(&S)"),
                                               "-",
                                               Q("騒音マップ(&M)"),
                                               Q("等値線(&I)"),
                                               Q("凡例(&L)"),
                                               "-",
                                               Q("等価騒音レベル LAeqT(&E)"),
                                               Q("最大騒音レベル LAmax(&X)"),
                                               "-",
                                               Q("計算結果ファイルを開く(&R)..."),
                                               Q("差分マップ(&F)..."),
                                               Q("鉛直断面(&D)..."),
                                               Q("騒音マップを画像で保存(&P)..."),
                                               Q("騒音マップ設定(&O)..."),
                                               "-",
                                               Q("全体表示(&A)"),
                                               Q("拡大(&Z)"),
                                               Q("縮小(&K)"),
                                               Q("範囲を指定して拡大(&G)"),
                                               "-",
                                               Q("予測点のラベル(&B)"),
                                               Q("音源のメモ(&N)"),
                                               Q("建物のメモ(&U)"),
                                               "-",
                                               Q("予測結果一覧(&T)...")}));
    // Before any map only the result files can be opened.
    const MapActions& a = maps().actions();
    for (QAction* item : {a.showMap, a.isoLines, a.legend, a.laeq, a.lamax, a.section, a.savePicture})
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    EXPECT_TRUE(a.openResultFile->isEnabled());
    EXPECT_TRUE(a.differenceMap->isEnabled());
    EXPECT_EQ(a.showMap->statusTip(), Q(kPromptShowMap));

    // A result file is placed by the project's grid settings: not while a dialog edits them.
    doc->transaction().BeginSizeChange({});
    window->actions().viewMenu->aboutToShow();
    EXPECT_FALSE(a.openResultFile->isEnabled());
    EXPECT_FALSE(a.differenceMap->isEnabled());
    doc->transaction().SizeDialogClosed();
    window->actions().viewMenu->aboutToShow();
    EXPECT_TRUE(a.openResultFile->isEnabled());

    window->documents().CloseAllSilently();
    EXPECT_EQ(VisibleItems(menu).size(), 2);
}

TEST_F(MapWindow, ExampleResultsLieOnThePlanUnderTheSiteWithTheirLegend) {
    OpenExample();
    const QImage before = view->shownImage().copy();
    EXPECT_EQ(BandPaths(base(), StandardScheme()), 0);

    OpenResults(KELMORA_EXAMPLE_GRID_RESULTS);
    EXPECT_TRUE(questions.told.isEmpty()) << questions.told.join('\n').toStdString();
    EXPECT_GE(BandPaths(base(), StandardScheme()), 3) << "the example spans several 5 dB classes";
    EXPECT_GT(IsoLinePaths(base()), 0);
    EXPECT_TRUE(LegendSays(kLegendLAeqT));
    EXPECT_TRUE(LegendSays("地上 1.2 m"));
    EXPECT_FALSE(LegendSays(kMapOutOfDate));

    // On the screen: the bands cover much of the plan, the site's roofs and terrain stay on top.
    const QImage& shown = view->shownImage();
    const int mapPixels = CountPixels(shown, SchemeColours(StandardScheme()));
    EXPECT_GT(mapPixels, shown.width() * shown.height() / 5);
    EXPECT_GT(CountPixels(shown, {qRgb(0, 255, 0)}), 200) << "roofs over the map";
    EXPECT_GT(CountPixels(shown, {qRgb(119, 17, 0)}), 50) << "ground lines over the map";
    EXPECT_LT(CountPixels(shown, {qRgb(240, 248, 255)}), CountPixels(before, {qRgb(240, 248, 255)}));

    // The menu: the map, its iso-lines and legend on; the file holds LAeqT only.
    window->actions().viewMenu->aboutToShow();
    const MapActions& a = maps().actions();
    EXPECT_TRUE(a.showMap->isEnabled() && a.showMap->isChecked());
    EXPECT_TRUE(a.isoLines->isChecked() && a.legend->isChecked());
    EXPECT_TRUE(a.laeq->isChecked());
    EXPECT_FALSE(a.lamax->isEnabled());
    EXPECT_TRUE(a.savePicture->isEnabled());
    EXPECT_FALSE(a.section->isEnabled());

    // A second window on the document shows the same map.
    window->documents().NewWindow(*doc);
    EXPECT_GE(BandPaths(doc->views().back()->displayList().base, StandardScheme()), 3);
}

TEST_F(MapWindow, MenuTogglesChangeWhatThePlanDraws) {
    OpenExample();
    const QImage plain = view->shownImage().copy();
    OpenResults(KELMORA_EXAMPLE_GRID_RESULTS);
    const MapActions& a = maps().actions();
    const int bands = BandPaths(base(), StandardScheme());

    a.isoLines->trigger();
    EXPECT_EQ(IsoLinePaths(base()), 0);
    EXPECT_EQ(BandPaths(base(), StandardScheme()), bands);
    EXPECT_FALSE(doc->noiseMap().Menu(kIdleMode).isoLinesChecked);

    a.legend->trigger();
    EXPECT_FALSE(LegendSays(kLegendLAeqT));
    EXPECT_EQ(BandPaths(base(), StandardScheme()), bands);

    a.showMap->trigger();
    EXPECT_EQ(BandPaths(base(), StandardScheme()), 0);
    EXPECT_FALSE(panel()) << "the legend panel goes with the map, giving the plan its width back";
    EXPECT_EQ(view->shownImage(), plain) << "a hidden map leaves the plan as it was";
    EXPECT_FALSE(a.isoLines->isEnabled() || a.legend->isEnabled() || a.savePicture->isEnabled());

    // Shown again with the choices made before it was hidden.
    a.showMap->trigger();
    EXPECT_EQ(BandPaths(base(), StandardScheme()), bands);
    EXPECT_EQ(IsoLinePaths(base()), 0);
    EXPECT_FALSE(LegendSays(kLegendLAeqT));
    a.legend->trigger();
    a.isoLines->trigger();
    EXPECT_TRUE(LegendSays(kLegendLAeqT));
    EXPECT_GT(IsoLinePaths(base()), 0);
}

TEST_F(MapWindow, CommittedEditsMarkTheMapOutOfDateAndCancelledOnesDoNot) {
    OpenExample();
    OpenResults(KELMORA_EXAMPLE_GRID_RESULTS);
    const QLabel& mark = maps().outOfDateMark();
    EXPECT_FALSE(mark.isVisibleTo(window.get()));

    // A chain left with Cancel changes nothing.
    EditTransaction& tx = doc->transaction();
    tx.StartChain(EditCommand::OutdoorSources, {});
    tx.workingCopy().outdoorSources[0].position.x += 5;
    doc->Apply(tx.ListClosed(ListExit::Cancel));
    EXPECT_FALSE(LegendSays(kMapOutOfDate));
    EXPECT_FALSE(mark.isVisibleTo(window.get()));

    // A source moved and committed: the legend and the status bar say the map is out of date.
    tx.StartChain(EditCommand::OutdoorSources, {});
    tx.workingCopy().outdoorSources[0].position.x += 5;
    doc->Apply(tx.ListClosed(ListExit::Ok));
    EXPECT_TRUE(LegendSays(kMapOutOfDate));
    EXPECT_TRUE(mark.isVisibleTo(window.get()));
    EXPECT_EQ(mark.text(), Q(kStatusMapOutOfDate));
    EXPECT_GE(BandPaths(base(), StandardScheme()), 3) << "the map stays, marked";

    // The mark belongs to the document: another document's window shows none, and going back to
    // the first window shows it again.
    window->documents().NewDocument();
    EXPECT_FALSE(mark.isVisibleTo(window.get()));
    window->area().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()->parentWidget()));
    EXPECT_TRUE(mark.isVisibleTo(window.get()));
}

TEST_F(MapWindow, GridRunEndsWithItsMapOnThePlanAndAVerticalRunInASectionWindow) {
    OpenExample();
    // A 2 × 2 horizontal grid: the corners of the example's grid.
    RunGrid([](CNoise& m) {
        CCalcInfo& c = m.calcInfo;
        const std::vector<CPredictivePoint> all = c.gridPoints;
        c.mode = kHorizontalGridMode;
        c.rowDivisions = 1;
        c.columnDivisions = 1;
        c.gridPoints = {all[0], all[10], all[110], all[120]};
    });
    ASSERT_TRUE(doc->noiseMap().Shown());
    const MapActions& a = maps().actions();
    EXPECT_TRUE(a.showMap->isChecked() && a.laeq->isChecked());
    EXPECT_TRUE(a.lamax->isEnabled()) << "a run brings both levels";
    EXPECT_GE(BandPaths(base(), StandardScheme()), 1);
    EXPECT_TRUE(LegendSays(kLegendLAeqT));
    a.lamax->trigger();
    EXPECT_TRUE(LegendSays(kLegendLAmax));
    EXPECT_FALSE(LegendSays(kLegendLAeqT));
    EXPECT_EQ(maps().sectionWindow(*doc), nullptr);

    // A vertical grid of 3 columns × 2 rows across the site: its section in a window of its own.
    RunGrid([](CNoise& m) {
        CCalcInfo& c = m.calcInfo;
        c.mode = kVerticalGridMode;
        c.rowDivisions = 1;
        c.columnDivisions = 2;
        c.gridHeight = 1.2;
        c.gridTopHeight = 10;
        c.lineStart = {70, 38};
        c.lineEnd = {70, 0};
        c.generateVerticalGrid([&m](const CVector3D& p) { return GroundHeightAt(m, p); });
    });
    SectionWindow* section = maps().sectionWindow(*doc);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->windowTitle(), Q(kSectionWindowTitle) + QStringLiteral(" - factory.kel"));
    EXPECT_FALSE(section->shownImage().isNull());
    EXPECT_EQ(BandPaths(base(), StandardScheme()), 0) << "a section is not drawn on the plan";
    EXPECT_TRUE(a.section->isEnabled());
    EXPECT_FALSE(a.showMap->isEnabled());
    EXPECT_EQ(section->levelChoice()->count(), 2);

    // Another level chosen in the window draws another section.
    const QImage laeq = section->shownImage().copy();
    section->levelChoice()->setCurrentIndex(1);
    section->levelChoice()->activated(1);
    EXPECT_EQ(doc->noiseMap().Showing(), MapQuantity::LAmax);
    EXPECT_NE(section->shownImage(), laeq);

    // Saved as a picture: a PNG of the section as shown; a name that is neither PNG nor SVG is refused.
    const QString title = Q(kSaveSectionPictureTitle);
    questions.files[title] = (work / "section.png").string();
    section->SavePicture();
    QImage saved;
    ASSERT_TRUE(saved.load(QString::fromStdString((work / "section.png").string())));
    EXPECT_EQ(saved.size(), section->shownImage().size());
    questions.files[title] = (work / "section.jpg").string();
    section->SavePicture();
    EXPECT_FALSE(fs::exists(work / "section.jpg"));
    ASSERT_FALSE(questions.told.isEmpty());
    EXPECT_TRUE(questions.told.back().startsWith(Q(kPictureExtensionWrong)));

    // The window goes with its document.
    window->documents().CloseAllSilently();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window->findChildren<SectionWindow*>().isEmpty());
}

TEST_F(MapWindow, DifferenceOfTwoScenariosAndFilesThatMakeNoMap) {
    OpenExample();
    WriteShiftedResults(work / "louder.txt", 3.0, 0.0);
    WriteShiftedResults(work / "moved.txt", 0.0, 5.0);
    std::ofstream(work / "garbage.txt") << "\x01\x02 this is no result file\n";

    // A: 3 dB louder everywhere, B: the example: one class of the difference scheme, [+2.5, +3.5).
    questions.files[Q(kDifferenceFirstTitle)] = (work / "louder.txt").string();
    questions.files[Q(kDifferenceSecondTitle)] = KELMORA_EXAMPLE_GRID_RESULTS;
    maps().actions().differenceMap->trigger();
    EXPECT_TRUE(questions.told.isEmpty()) << questions.told.join('\n').toStdString();
    ASSERT_TRUE(doc->noiseMap().IsDifference());
    EXPECT_TRUE(LegendSays(kLegendDifferenceLAeqT));
    EXPECT_TRUE(LegendSays("A: louder.txt"));
    EXPECT_TRUE(LegendSays("B: factory-grid-laeq.txt"));
    const NoiseMap& map = *doc->noiseMap().Map();
    for (const LevelBand& band : map.bands) {
        if (BandArea(band) <= 0) continue;
        EXPECT_DOUBLE_EQ(map.classes.Lower(band.classIndex), 2.5);
        EXPECT_DOUBLE_EQ(map.classes.Upper(band.classIndex), 3.5);
    }
    const std::size_t plusTwo = map.classes.ClassOf(3.0);
    const Rgb colour = *map.scheme.classColours[plusTwo];
    EXPECT_GT(CountPixels(view->shownImage(), {qRgb(colour.r, colour.g, colour.b)}),
              view->width() * view->height() / 5);

    // Grids that differ are refused; the map shown stays.
    questions.files[Q(kDifferenceFirstTitle)] = (work / "moved.txt").string();
    maps().actions().differenceMap->trigger();
    ASSERT_EQ(questions.told.size(), 1);
    EXPECT_TRUE(questions.told.back().contains(Q("2つの結果の格子が異なります")));
    EXPECT_TRUE(doc->noiseMap().IsDifference());

    // Files that are no result of this project's grid: the reason, and the map stays.
    OpenResults(work / "garbage.txt");
    ASSERT_EQ(questions.told.size(), 2);
    EXPECT_TRUE(questions.told.back().startsWith(Q(kResultFileUnusable) + QStringLiteral("\n")));
    EXPECT_TRUE(questions.told.back().contains(QString::fromStdString((work / "garbage.txt").string())));
    OpenResults(work / "missing.txt");
    ASSERT_EQ(questions.told.size(), 3);
    EXPECT_TRUE(questions.told.back().contains(Q("結果ファイルを開けません")));
    EXPECT_TRUE(doc->noiseMap().IsDifference());
    EXPECT_TRUE(LegendSays(kLegendDifferenceLAeqT));

    // A plain result file afterwards is a level map again, in the level classes.
    OpenResults(KELMORA_EXAMPLE_GRID_RESULTS);
    EXPECT_FALSE(doc->noiseMap().IsDifference());
    EXPECT_GE(BandPaths(base(), StandardScheme()), 3);
}

TEST_F(MapWindow, ShownMapIsSavedAsPngOrSvgWithItsLegend) {
    OpenExample();
    OpenResults(KELMORA_EXAMPLE_GRID_RESULTS);
    const QString title = Q(kSaveMapPictureTitle);
    // The picture has its legend in a panel of its own: the window's is hidden for the comparison.
    maps().actions().legend->trigger();

    questions.files[title] = (work / "map.png").string();
    maps().actions().savePicture->trigger();
    QImage png;
    ASSERT_TRUE(png.load(QString::fromStdString((work / "map.png").string())));
    // The plan as the window shows it down to the picture's corner, the legend in a panel at its right.
    const QRect plan(0, 0, 400, 250);  // inside the example's picture area
    ASSERT_TRUE(view->rect().contains(plan));
    EXPECT_GT(CountPixels(png.copy(plan), SchemeColours(StandardScheme())), plan.width() * plan.height() / 2);
    EXPECT_EQ(png.copy(plan).convertToFormat(QImage::Format_RGB32),
              view->shownImage().copy(plan).convertToFormat(QImage::Format_RGB32))
        << "the picture draws the same list as the window";

    questions.files[title] = (work / "map.svg").string();
    maps().actions().savePicture->trigger();
    const std::string svg = FileBytes(work / "map.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("等価騒音レベル LAeqT [dB]"), std::string::npos);

    // A folder that does not exist: the message, no file.
    questions.files[title] = (work / "none" / "map.png").string();
    maps().actions().savePicture->trigger();
    ASSERT_FALSE(questions.told.isEmpty());
    EXPECT_TRUE(questions.told.back().startsWith(Q(kPictureNotSaved)));
    EXPECT_FALSE(fs::exists(work / "none"));
}

}  // namespace
}  // namespace kelmora
