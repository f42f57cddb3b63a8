// The results window after a run of the example's grid, without a display: the points and their
// ranked sources, a source switched off re-predicting every point and the map at once without touching
// the model, a scenario kept with the document and its changes made in the model as undoable steps,
// limits that survive saving and reopening, and the CSV export against kelmora-calc contributions.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "QtTestApplication.h"
#include "app/MainWindow.h"
#include "app/MainWindowTest.h"
#include "app/PlanView.h"
#include "app/ResultsController.h"
#include "calc/FakeRunHost.h"
#include "calc/PredictionRun.h"
#include "calc/PrintfFormat.h"
#include "calc/ScenarioModel.h"
#include "dialogs/PointsTableModel.h"
#include "dialogs/ResultsWindow.h"
#include "model/persistence/ExtensionFile.h"
#include "model/persistence/ProjectFile.h"
#include "view/ViewTransform.h"
#include "view/noisemap/LevelGrid.h"
#include "view/noisemap/PlanMapState.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The example's grid thinned to 3 × 3 nodes.
void UseSmallGrid(CNoise& m) {
    CCalcInfo& c = m.calcInfo;
    if (c.gridPoints.size() != 121) return;
    std::vector<CPredictivePoint> nodes;
    for (const int i : {0, 5, 10})
        for (const int j : {0, 5, 10})
            nodes.push_back(c.gridPoints.at(static_cast<std::size_t>(i * 11 + j)));
    c.mode = kHorizontalGridMode;
    c.rowDivisions = 2;
    c.columnDivisions = 2;
    c.gridPoints = nodes;
    m.maxReflections = 1;
}

std::vector<double> LevelsOf(const CNoise& m) {
    const CCalcInfo& c = m.calcInfo;
    return GridFromPoints(c.gridPoints, c.rowDivisions, c.columnDivisions, MapQuantity::LAeqT).levels;
}

QPushButton* ButtonOf(QWidget& w, const char* text) {
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (b->text() == QString::fromUtf8(text)) return b;
    return nullptr;
}

// What the table of points shows at a row and column.
QVariant Cell(ResultsWindow& w, int row, int column, int role = Qt::DisplayRole) {
    const QAbstractItemModel& m = *w.pointsTable().model();
    return m.data(m.index(row, column), role);
}

class ResultsWindowTest : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        MakeWorkFolder("results");
        context.runSettings.threads = 2;
        OpenWindow();
        OpenExample();
    }
    void RunGrid() {
        QSignalSpy finished(doc, &KelmoraDocument::calculationFinished);
        EditTransaction& tx = doc->transaction();
        tx.BeginPrediction({});
        UseSmallGrid(tx.workingCopy());
        doc->Apply(tx.PredictionClosed(PredictionExit::StartCalculation));
        ASSERT_TRUE(finished.wait(60000));
        ASSERT_EQ(finished.front().front().toInt(), kJobNormalEnd);
    }
    ResultsWindow& OpenResults() {
        window->results().action()->trigger();
        ResultsWindow* w = window->results().window(*doc);
        EXPECT_NE(w, nullptr);
        return *w;
    }
    std::vector<double> MapLevels() {
        const NoiseMap* map = doc->noiseMap().Map();
        return map != nullptr ? map->grid.levels : std::vector<double>{};
    }
};

TEST_F(ResultsWindowTest, SourceOffUpdatesTableAndMapAndScenariosBecomeUndoableSteps) {
    RunGrid();
    ResultsWindow& w = OpenResults();
    const CNoise ran = doc->transaction().model();
    ASSERT_EQ(w.pointsTable().model()->rowCount(), 9);
    w.SelectPoint(0);
    ASSERT_GT(w.contributionsTable().rowCount(), 1);
    // The loudest source at the first point, and its row in the what-if table.
    const int loudest = w.contributionsTable().item(0, 1)->data(Qt::UserRole).toInt();
    EXPECT_EQ(w.contributionsTable().item(0, 0)->text(), "1");

    QSignalSpy changed(&w, &ResultsWindow::studyChanged);
    w.sourcesTable().item(loudest, 0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(changed.size(), 1);
    const CResultsStudy& study = *window->results().study(*doc);
    ASSERT_TRUE(study.Changed());
    // Every point and the map: the levels of a full run of the model with that source off.
    CNoise off = ApplyScenario(ran, study.AsScenario("x"));
    {
        FakeRunHost host;
        CPredictionJob job(off, {2, 0});
        job.RunHere(host);
    }
    EXPECT_EQ(MapLevels(), LevelsOf(off));
    EXPECT_NE(MapLevels(), LevelsOf(ran));
    EXPECT_FALSE(doc->mapOutOfDate()) << "the model is as it was";
    EXPECT_EQ(ModelFingerprint(doc->transaction().model()), ModelFingerprint(ran));
    for (int row = 0; row < 9; ++row) {
        const int point = Cell(w, row, 0, PointsTableModel::kPointRole).toInt();
        const CPredictivePoint& p = off.calcInfo.gridPoints.at(static_cast<std::size_t>(point));
        EXPECT_EQ(Cell(w, row, 10).toString().toStdString(),
                  Format("%.1f", {p.resultAverage.overallLevel()}));
    }
    EXPECT_NE(Cell(w, 0, 11).toString(), "0.0");

    // Saved as a scenario: one step of the document, undone by the edit menu.
    w.scenarioName().setText(QString::fromUtf8("冷却塔停止"));
    ButtonOf(w, "シナリオとして保存")->click();
    ASSERT_EQ(doc->extras().scenarios.size(), 1u);
    EXPECT_EQ(doc->extras().scenarios[0].name, "冷却塔停止");
    EXPECT_EQ(doc->extras().scenarios[0].adjustments.size(), 1u);
    EXPECT_TRUE(study.Changed()) << "the study keeps its changes";

    // The difference map: the scenario against the run.
    ButtonOf(w, "差分マップ")->click();
    EXPECT_TRUE(doc->noiseMap().IsDifference());

    // Made in the model: one step; the model's points then hold the scenario's levels.
    ButtonOf(w, "モデルに反映")->click();
    EXPECT_EQ(LevelsOf(doc->transaction().model()), LevelsOf(off));
    EXPECT_FALSE(study.Changed()) << "the study starts again from the changed model";
    doc->Undo();
    EXPECT_EQ(ModelFingerprint(doc->transaction().model()), ModelFingerprint(ran));
    EXPECT_EQ(doc->extras().scenarios.size(), 1u);
    doc->Undo();
    EXPECT_TRUE(doc->extras().scenarios.empty());
}

TEST_F(ResultsWindowTest, LimitsSurviveSavingAndTheCsvExportIsTheCommandsTable) {
    RunGrid();
    ResultsWindow& w = OpenResults();
    // A limit for all points, typed into the table and applied.
    ButtonOf(w, "行を追加")->click();
    w.limitsTable().item(0, 2)->setText("45");
    ButtonOf(w, "規制値を適用")->click();
    ASSERT_EQ(doc->extras().limits.size(), 1u);
    EXPECT_EQ(doc->extras().limits[0].laeq, 45.0);
    EXPECT_EQ(Cell(w, 0, 6).toString(), "45.0");
    // A row that is no limit is refused with a message.
    ButtonOf(w, "行を追加")->click();
    ButtonOf(w, "規制値を適用")->click();
    ASSERT_FALSE(questions.told.isEmpty());
    EXPECT_TRUE(questions.told.back().contains(QString::fromUtf8("2行目")))
        << questions.told.join("|").toStdString();
    EXPECT_EQ(doc->extras().limits.size(), 1u);

    // Saved and opened again, the limits are there.
    const fs::path saved = work / "site.kel";
    questions.files[QString::fromUtf8("名前を付けて保存")] = saved.string();
    ASSERT_TRUE(window->documents().SaveAs(*doc));
    EXPECT_EQ(ReadExtensionFile(saved).limits, doc->extras().limits);

    // The export is what kelmora-calc contributions writes for the saved project.
    const fs::path exported = work / "window.csv";
    ASSERT_TRUE(w.ExportCsv(exported.string()));
    const fs::path cli = work / "cli.csv";
    QProcess calc;
    calc.start(KELMORA_CALC, {"contributions", QString::fromStdString(saved.string()), "--quiet", "--threads",
                              "2", "--csv", QString::fromStdString(cli.string())});
    ASSERT_TRUE(calc.waitForFinished(120000));
    ASSERT_EQ(calc.exitCode(), 0) << calc.readAllStandardError().toStdString();
    EXPECT_EQ(Slurp(exported), Slurp(cli));

    const LevelLimits limits = doc->extras().limits;
    window->documents().CloseAllSilently();
    doc = window->documents().Open(QString::fromStdString(saved.string()));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->extras().limits, limits);
}

// A scenario and limits of a document never saved are in its backup and come back with it.
TEST_F(ResultsWindowTest, ScenariosAndLimitsComeBackWithTheBackupOfAnUnsavedDocument) {
    RunGrid();
    ResultsWindow& w = OpenResults();
    w.sourcesTable().item(0, 0)->setCheckState(Qt::Unchecked);
    w.scenarioName().setText(QString::fromUtf8("夜間"));
    ButtonOf(w, "シナリオとして保存")->click();
    ButtonOf(w, "行を追加")->click();
    w.limitsTable().item(0, 3)->setText("70");
    ButtonOf(w, "規制値を適用")->click();
    const ProjectExtras extras = doc->extras();
    ASSERT_EQ(extras.scenarios.size(), 1u);
    ASSERT_EQ(extras.limits.size(), 1u);

    context.dataFolder = work / "Data";
    fs::create_directories(*context.dataFolder);
    ASSERT_TRUE(window->WriteSession());
    window->documents().CloseAllSilently();
    window.reset();
    OpenWindow();
    window->RestoreSession();
    const std::vector<KelmoraDocument*> restored = window->documents().documents();
    ASSERT_EQ(restored.size(), 1u);
    doc = restored.front();
    EXPECT_EQ(doc->extras().scenarios, extras.scenarios);
    EXPECT_EQ(doc->extras().limits, extras.limits);
}

// The example as it comes (its eight boundary points): a double click on a point of the plan opens the
// window on it, and the points under a limit are marked on the plan, red where they exceed it.
TEST_F(ResultsWindowTest, DoubleClickOpensThePointAndLimitsMarkThePlan) {
    {
        QSignalSpy finished(doc, &KelmoraDocument::calculationFinished);
        EditTransaction& tx = doc->transaction();
        tx.BeginPrediction({});
        doc->Apply(tx.PredictionClosed(PredictionExit::StartCalculation));
        ASSERT_TRUE(finished.wait(60000));
    }
    const CNoise& model = doc->transaction().model();
    ASSERT_EQ(model.calcInfo.mode, kPointListMode);
    ASSERT_FALSE(doc->views().empty());
    PlanView* view = doc->views().front();
    const ClientPoint at = ModelToPixel(view->viewData(), model.calcInfo.pointList.at(2).position);
    QTest::mouseDClick(view, Qt::LeftButton, {}, QPoint(at.x, at.y));
    ResultsWindow* w = window->results().window(*doc);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->selectedPoint(), 2);
    EXPECT_GT(w->contributionsTable().rowCount(), 0);

    // 42 dB for the points whose label starts with "No.1", nothing for the others.
    ButtonOf(*w, "行を追加")->click();
    qobject_cast<QComboBox*>(w->limitsTable().cellWidget(0, 0))->setCurrentIndex(1);
    w->limitsTable().item(0, 1)->setText("No.1");
    w->limitsTable().item(0, 2)->setText("42");
    ButtonOf(*w, "規制値を適用")->click();
    const std::vector<PointMark>& marks = doc->noiseMap().PointMarks();
    std::size_t limited = 0;
    for (const CPredictivePoint& p : model.calcInfo.pointList) {
        if (p.label.rfind("No.1", 0) != 0) continue;
        ASSERT_LT(limited, marks.size());
        const PointMark& mark = marks[limited++];
        EXPECT_EQ(mark.position, p.position);
        EXPECT_EQ(mark.text, Format("%.1f", {p.resultAverage.overallLevel()}));
        EXPECT_EQ(mark.exceeded, Exceeds(p.resultAverage.overallLevel(), 42.0));
    }
    EXPECT_GT(limited, 0u);
    EXPECT_EQ(marks.size(), limited);
}

}  // namespace
}  // namespace kelmora
