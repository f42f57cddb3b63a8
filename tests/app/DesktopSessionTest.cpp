// The desktop program end to end, without a display: open the example, see its plan drawn, run a
// small grid through the progress dialog, compare with kelmora-calc, close with two documents and find
// them again at the next start.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAction>
#include <QImage>
#include <QMdiArea>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "QtTestApplication.h"
#include "app/DataFolder.h"
#include "app/MainWindow.h"
#include "app/MainWindowTest.h"
#include "app/PlanView.h"
#include "app/ScriptedQuestions.h"
#include "model/persistence/SessionFiles.h"

namespace kelmora {
namespace {

using testing::CountPixels;
using testing::FileBytes;

namespace fs = std::filesystem;

// The model as a project file stores it (without the results and sources of a run).
std::vector<std::uint8_t> StoredBytes(const CNoise& model) {
    ProjectDocument doc;
    doc.model = model;
    return WriteProject(doc);
}

class DesktopSession : public ::testing::Test {
protected:
    void SetUp() override {
        testing::TestApplication();
        QStandardPaths::setTestModeEnabled(true);  // recent files go to a test settings store
        work = fs::temp_directory_path() / ("kelmora-desktop-" + std::to_string(::getpid()));
        fs::remove_all(work);
        fs::create_directories(work);
        setenv(kDataFolderVariable, (work / "Data").c_str(), 1);
        context.programFolder = work;
        context.questions = &questions;
        context.runSettings.threads = 2;
        context.dataFolder = ChooseDataFolder(std::getenv(kDataFolderVariable), work, work / "user");
        questions.files[QString::fromUtf8(
            "等価騒音レベル計算結果を出力するテキストファイル名を指定してください")] =
            (work / "laeq.txt").string();
        questions.files[QString::fromUtf8(
            "最大騒音レベル計算結果を出力するテキストファイル名を指定してください")] =
            (work / "lamax.txt").string();
        questions.answers[QString::fromUtf8("XYZ")] = QMessageBox::Yes;
        questions.answers[QString::fromUtf8("への変更を保存しますか?")] = QMessageBox::No;
    }
    void TearDown() override {
        unsetenv(kDataFolderVariable);
        fs::remove_all(work);
    }

    // The calculation start of the prediction dialog on the document: the settings committed, the
    // progress dialog opened on the model.
    static void StartGrid(KelmoraDocument& doc, std::size_t points, int reflections) {
        EditTransaction& tx = doc.transaction();
        tx.BeginPrediction({});
        CNoise& settings = tx.workingCopy();
        settings.calcInfo.mode = kHorizontalGridMode;
        settings.calcInfo.gridPoints.resize(std::min(points, settings.calcInfo.gridPoints.size()));
        settings.maxReflections = reflections;
        doc.Apply(tx.PredictionClosed(PredictionExit::StartCalculation));
    }

    fs::path work;
    testing::ScriptedQuestions questions;
    AppContext context;
};

TEST_F(DesktopSession, ExampleIsDrawnPredictedLikeTheCommandLineAndRestoredAfterAClose) {
    ASSERT_TRUE(context.dataFolder);
    EXPECT_EQ(*context.dataFolder, work / "Data") << "the folder of the environment variable";

    auto window = std::make_unique<MainWindow>(context);
    window->show();
    window->RestoreSession();
    EXPECT_TRUE(window->documents().documents().empty()) << "a fresh data folder restores nothing";
    EXPECT_FALSE(window->actions().editMenuEntry->isVisible()) << "no document, no edit menu";

    KelmoraDocument* doc = window->documents().Open(QString::fromUtf8(KELMORA_EXAMPLE_PROJECT));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelmora - factory.kel"));
    EXPECT_TRUE(window->actions().editMenuEntry->isVisible());
    ASSERT_EQ(doc->views().size(), 1u);

    // The plan: sky background, brown terrain, green roofs, red sources and points.
    const QImage& shown = doc->views()[0]->shownImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_GT(CountPixels(shown, {qRgb(240, 248, 255)}), 1000);
    EXPECT_GT(CountPixels(shown, {qRgb(119, 17, 0)}), 50);
    EXPECT_GT(CountPixels(shown, {qRgb(0, 255, 0)}), 200);
    EXPECT_GT(CountPixels(shown, {qRgb(255, 0, 0)}), 30);
    for (QAction* command : {window->actions().groundLines, window->actions().prediction})
        EXPECT_TRUE(command->isEnabled());

    // A four-point grid through the progress dialog, the files chosen in the save dialogs.
    QSignalSpy finished(doc, &KelmoraDocument::calculationFinished);
    StartGrid(*doc, 4, 0);
    EXPECT_EQ(doc->transaction().editMode(), kCalculationMode);
    EXPECT_FALSE(window->actions().groundLines->isEnabled()) << "commands wait for the calculation";
    EXPECT_FALSE(window->actions().save->isEnabled());
    EXPECT_FALSE(window->close()) << "the main window does not close during a calculation";
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished.front().front().toInt(), kJobNormalEnd);
    EXPECT_TRUE(questions.told.contains(QString::fromUtf8("処理正常終了しました.")));
    EXPECT_EQ(doc->transaction().editMode(), kIdleMode);
    EXPECT_TRUE(window->actions().groundLines->isEnabled());
    EXPECT_TRUE(doc->transaction().modified());

    // kelmora-calc on the same project writes the same files.
    const fs::path project = work / "grid.kel";
    SaveProjectFile(project, doc->ToProject());
    QProcess calc;
    calc.start(QString::fromUtf8(KELMORA_CALC),
               {QStringLiteral("run"), QString::fromStdString(project.string()), QStringLiteral("--quiet"),
                QStringLiteral("--laeq"), QString::fromStdString((work / "calc-laeq.txt").string()),
                QStringLiteral("--lamax"), QString::fromStdString((work / "calc-lamax.txt").string())});
    ASSERT_TRUE(calc.waitForFinished(60000));
    EXPECT_EQ(calc.exitCode(), 0) << calc.readAllStandardError().toStdString();
    EXPECT_FALSE(FileBytes(work / "laeq.txt").empty());
    EXPECT_EQ(FileBytes(work / "laeq.txt"), FileBytes(work / "calc-laeq.txt"));
    EXPECT_EQ(FileBytes(work / "lamax.txt"), FileBytes(work / "calc-lamax.txt"));

    // A larger run cancelled with Esc on the progress dialog.
    finished.clear();
    StartGrid(*doc, 121, 1);
    ProgressDialog* progress = doc->progressDialog();
    ASSERT_NE(progress, nullptr);
    QTest::keyClick(progress, Qt::Key_Escape);
    EXPECT_FALSE(progress->cancelEnabled());
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished.front().front().toInt(), kJobCancelled);
    EXPECT_EQ(questions.told.back(), QString::fromUtf8("キャンセルしました."));
    EXPECT_EQ(doc->transaction().editMode(), kIdleMode);

    // A second window on the example and a new document; the new one's window gets no picture.
    window->documents().NewWindow(*doc);
    KelmoraDocument* second = window->documents().NewDocument();
    ASSERT_EQ(doc->views().size(), 2u);
    const CNoise exampleModel = doc->transaction().model();

    // Closing writes the settings and two backups, whatever is answered to the save prompts.
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(questions.asked.contains(QString::fromUtf8("factory.kel への変更を保存しますか?")));
    EXPECT_FALSE(questions.asked.contains(QString::fromUtf8("Kelmora1 への変更を保存しますか?")));
    EXPECT_TRUE(fs::exists(work / "Data" / "Kelmora.dat"));
    EXPECT_TRUE(fs::exists(work / "Data" / "DOC1.asj1"));
    EXPECT_TRUE(fs::exists(work / "Data" / "DOC2.asj1"));
    (void)second;
    window.reset();

    // The next start finds both, the example in its two windows; each is unsaved work without a file.
    questions.asked.clear();
    window = std::make_unique<MainWindow>(context);
    window->show();
    window->RestoreSession();
    const std::vector<KelmoraDocument*> restored = window->documents().documents();
    ASSERT_EQ(restored.size(), 2u);
    EXPECT_EQ(restored[0]->title(), QStringLiteral("DOC1.asj1"));
    EXPECT_EQ(restored[1]->title(), QStringLiteral("DOC2.asj1"));
    EXPECT_EQ(restored[0]->views().size(), 2u);
    EXPECT_EQ(restored[1]->views().size(), 1u);
    EXPECT_EQ(StoredBytes(restored[0]->transaction().model()), StoredBytes(exampleModel));
    for (const KelmoraDocument* d : restored) {
        EXPECT_TRUE(d->transaction().modified());
        EXPECT_TRUE(d->transaction().path().empty());
    }
    EXPECT_TRUE(questions.asked.isEmpty()) << "restored windows ask for no picture";
    window->documents().CloseAllSilently();
}

}  // namespace
}  // namespace kelmora
