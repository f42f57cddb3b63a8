// A prediction set up and started in the prediction window of the desktop program, without a display:
// the points typed into the window, the files chosen in the run's save dialogs, the end awaited, and
// every file compared with what kelmora-calc writes for the saved project.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "QtTestApplication.h"
#include "app/MainWindow.h"
#include "app/MainWindowTest.h"
#include "dialogs/PredictionDialog.h"

namespace kelmora {
namespace {

using testing::FileBytes;

namespace fs = std::filesystem;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

const char* const kBreakdownTitle = "計算内訳を出力するCSVファイル名を指定してください";
const char* const kLaeqTitle = "等価騒音レベル計算結果を出力するテキストファイル名を指定してください";
const char* const kLamaxTitle = "最大騒音レベル計算結果を出力するテキストファイル名を指定してください";

class PredictionRun : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        MakeWorkFolder("prediction");
        context.programFolder = work;
        context.runSettings.threads = 2;
        RegisterChainDialogs(context.registry);
        questions.files[Utf8(kBreakdownTitle)] = (work / "breakdown.csv").string();
        questions.files[Utf8(kLaeqTitle)] = (work / "laeq.txt").string();
        questions.files[Utf8(kLamaxTitle)] = (work / "lamax.txt").string();
        OpenWindow();
        OpenExample();
    }

    // "予測..." of the edit menu: the prediction window of the document.
    PredictionDialog* OpenPrediction() {
        window->actions().prediction->trigger();
        return qobject_cast<PredictionDialog*>(doc->openDialog());
    }

    static void Type(QWidget* dialog, int id, const char* text) {
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("control%1").arg(id));
        ASSERT_NE(field, nullptr) << id;
        field->setText(Utf8(text));
    }
    static void Click(QWidget* dialog, int id) {
        auto* button = dialog->findChild<QAbstractButton*>(QStringLiteral("control%1").arg(id));
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // "予測計算開始..." and the wait for the end of the run; the end code.
    int StartAndWait(QWidget* dialog) {
        QSignalSpy finished(doc, &KelmoraDocument::calculationFinished);
        Click(dialog, kStartRunId);
        EXPECT_EQ(doc->transaction().editMode(), kCalculationMode);
        EXPECT_NE(doc->progressDialog(), nullptr);
        if (!finished.wait(120000)) return 0;
        return finished.front().front().toInt();
    }

    // kelmora-calc run on the document saved as a project: its standard output.
    std::string RunCalc(const QStringList& files) {
        const fs::path project = work / "saved.kel";
        SaveProjectFile(project, doc->ToProject());
        QProcess calc;
        calc.start(Utf8(KELMORA_CALC),
                   QStringList{QStringLiteral("run"), QString::fromStdString(project.string()),
                               QStringLiteral("--quiet"), QStringLiteral("--threads"), QStringLiteral("2")} +
                       files);
        EXPECT_TRUE(calc.waitForFinished(120000));
        EXPECT_EQ(calc.exitCode(), 0) << calc.readAllStandardError().toStdString();
        return calc.readAllStandardOutput().toStdString();
    }
    QString Path(const char* name) const { return QString::fromStdString((work / name).string()); }
};

TEST_F(PredictionRun, ListOfPointsTypedInTheWindowGivesTheFilesOfTheCommandLine) {
    ASSERT_NE(doc, nullptr);
    PredictionDialog* dialog = OpenPrediction();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(window->actions().prediction->isEnabled()) << "one dialog at a time";

    // A list of three points, one of them underground, with one reflection.
    Click(dialog, kPredictionModeRadioIds[kPointListMode]);
    Click(dialog, kDeleteAllPointsId);
    const char* const points[][3] = {{"40", "4", "13.2"}, {"139", "50", "14.5"}, {"60", "95", "-5"}};
    for (const auto& p : points) {
        Type(dialog, kPredictionPointXId, p[0]);
        Type(dialog, kPredictionPointYId, p[1]);
        Type(dialog, kPredictionPointZId, p[2]);
        Click(dialog, kAddPointId);
    }
    Type(dialog, kMaxReflectionsId, "1");
    Type(dialog, kTemperatureId, "25");
    ASSERT_EQ(doc->transaction().workingCopy().calcInfo.pointList.size(), 3u);

    EXPECT_EQ(StartAndWait(dialog), kJobNormalEnd);
    EXPECT_EQ(questions.asked, (QStringList{Utf8(kBreakdownTitle), Utf8(kLaeqTitle), Utf8(kLamaxTitle)}))
        << "a list asks no X Y Z question";
    EXPECT_EQ(questions.told, QStringList{Utf8("処理正常終了しました.")});
    EXPECT_EQ(doc->transaction().editMode(), kIdleMode);
    EXPECT_TRUE(window->actions().prediction->isEnabled());
    EXPECT_TRUE(doc->transaction().modified());
    EXPECT_TRUE(doc->transaction().path().empty()) << "the next save asks for a name";
    const CNoise& model = doc->transaction().model();
    ASSERT_EQ(model.calcInfo.pointList.size(), 3u);
    EXPECT_EQ(model.maxReflections, 1);
    EXPECT_EQ(model.temperature, 25.0);

    RunCalc({QStringLiteral("--breakdown"), Path("calc-breakdown.csv"), QStringLiteral("--laeq"),
             Path("calc-laeq.txt"), QStringLiteral("--lamax"), Path("calc-lamax.txt")});
    for (const auto& [desktop, calc] :
         {std::pair{"breakdown.csv", "calc-breakdown.csv"}, std::pair{"laeq.txt", "calc-laeq.txt"},
          std::pair{"lamax.txt", "calc-lamax.txt"}}) {
        SCOPED_TRACE(desktop);
        const std::string written = FileBytes(work / desktop);
        EXPECT_GT(written.size(), 40u);
        EXPECT_EQ(written, FileBytes(work / calc));
    }
}

TEST_F(PredictionRun, SinglePointEndsWithItsLevelAsTheCommandLineStatesIt) {
    ASSERT_NE(doc, nullptr);
    PredictionDialog* dialog = OpenPrediction();
    ASSERT_NE(dialog, nullptr);
    Click(dialog, kPredictionModeRadioIds[kSinglePointMode]);
    Type(dialog, kPredictionPointXId, "70");
    Type(dialog, kPredictionPointYId, "4");
    Type(dialog, kPredictionPointZId, "13.2");
    Type(dialog, kMaxReflectionsId, "0");
    questions.files.clear();  // no breakdown

    EXPECT_EQ(StartAndWait(dialog), kJobNormalEnd);
    ASSERT_EQ(questions.told.size(), 2);
    EXPECT_TRUE(questions.told[0].startsWith(Utf8("予測点の等価騒音レベルは")))
        << questions.told[0].toStdString();
    EXPECT_EQ(questions.told[1], Utf8("処理正常終了しました."));
    const std::string calc = RunCalc({});
    EXPECT_EQ(calc.substr(0, calc.find('\n') + 1), questions.told[0].toStdString() + "\n");
}

}  // namespace
}  // namespace kelmora
