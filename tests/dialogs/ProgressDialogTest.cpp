#include "dialogs/ProgressDialog.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "QtTestApplication.h"
#include "calc/BreakdownEstimate.h"

namespace kelmora {
namespace {

// Questions answered at once; the messages recorded.
class Answers : public UserQuestions {
public:
    std::optional<std::string> ChooseFileToOpen(QWidget*, const QString&, const QString&) override {
        return {};
    }
    std::optional<std::string> ChooseFileToSave(QWidget*, const QString& title, const QString&,
                                                const QString&, const QString&) override {
        asked << title;
        return "/tmp/chosen.txt";
    }
    QMessageBox::StandardButton Ask(QWidget*, const QString&, const QString& text,
                                    QMessageBox::StandardButtons, QMessageBox::Icon) override {
        asked << text;
        return QMessageBox::No;
    }
    void Tell(QWidget*, const QString&, const QString& text, QMessageBox::Icon) override { told << text; }
    QStringList asked;
    QStringList told;
};

// A job that asks its questions on its own thread, reports `items` items and then waits for a cancel
// (when told to) or ends normally.
class ScriptedJob : public CLongJob {
public:
    void Run() override {
        CRunHost& h = *host();
        chosen = h.ChooseOutputFile(FileRequestFor(offered)).value_or("");
        if (largeBreakdown && h.AsksAboutLargeBreakdowns())
            keptLargeBreakdown = h.KeepLargeBreakdown(*largeBreakdown);
        xyz = h.AskXyzForm(OutputFile::AverageResult, "XYZ?");
        for (int i = 1; i <= items; ++i)
            PostProgress(i, items);
        progressed = true;
        while (waitForCancel && !cancelRequested())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (failWith.empty()) {
            PostEnd(kJobNormalEnd);
        } else {
            SetErrorText(failWith);
            PostEnd(kJobError);
        }
    }
    ~ScriptedJob() override { Join(); }

    OutputFile offered = OutputFile::AverageResult;
    int items = 3;
    bool waitForCancel = false;
    std::string failWith;
    std::string chosen;
    std::optional<BreakdownSizeWarning> largeBreakdown;  // asked about after the file when set
    std::optional<bool> keptLargeBreakdown;
    bool xyz = true;
    std::atomic<bool> progressed{false};
};

class ProgressDialogTest : public ::testing::Test {
protected:
    void SetUp() override { testing::TestApplication(); }
    Answers answers;
};

TEST_F(ProgressDialogTest, QuestionsOfTheWorkerAreAnsweredOnTheWindowsThread) {
    ScriptedJob job;
    ProgressDialog dialog(job, answers);
    QSignalSpy ended(&dialog, &ProgressDialog::ended);
    dialog.show();
    dialog.Start();
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(ended.front().front().toInt(), kJobNormalEnd);
    EXPECT_EQ(job.chosen, "/tmp/chosen.txt");
    EXPECT_FALSE(job.xyz);
    EXPECT_EQ(answers.asked,
              (QStringList{
                  QString::fromUtf8("等価騒音レベル計算結果を出力するテキストファイル名を指定してください"),
                  QStringLiteral("XYZ?")}));
    EXPECT_EQ(dialog.statusLine(), QString::fromUtf8("終了"));
    EXPECT_EQ(answers.told, QStringList{QString::fromUtf8("処理正常終了しました.")});
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("騒音予測計算処理"));
}

TEST_F(ProgressDialogTest, CancelDisablesAtOnceAndEndsWhenTheJobNotices) {
    ScriptedJob job;
    job.waitForCancel = true;
    ProgressDialog dialog(job, answers);
    QSignalSpy ended(&dialog, &ProgressDialog::ended);
    dialog.show();
    dialog.Start();
    QTRY_VERIFY_WITH_TIMEOUT(job.progressed.load(), 10000);
    QTRY_COMPARE(dialog.statusLine(), QString::fromUtf8("3 / 3 処理中"));
    dialog.close();  // the close box cancels, it does not hide the dialog
    EXPECT_FALSE(dialog.cancelEnabled());
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(dialog.result(), kJobCancelled);
    EXPECT_EQ(dialog.statusLine(), QString::fromUtf8("キャンセル"));
    EXPECT_EQ(answers.told.back(), QString::fromUtf8("キャンセルしました."));
}

TEST_F(ProgressDialogTest, ARunReusingTransfersCountsItsTracedPairsInsteadOfItsPoints) {
    const auto progressOf = [this](OutputFile offered, PairProgress pairs) -> QString {
        ScriptedJob job;
        job.offered = offered;
        job.waitForCancel = true;
        ProgressDialog dialog(job, answers);
        dialog.CountPairs([pairs] { return pairs; });
        QSignalSpy ended(&dialog, &ProgressDialog::ended);
        dialog.Start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return job.progressed.load(); }, 10000));
        QTest::qWait(50);  // the queued reports shown
        const QString line = dialog.statusLine();
        job.RequestCancel();
        EXPECT_TRUE(ended.wait(10000));
        return line;
    };
    // 40 of 250 pairs traced: the 41st is being traced.
    EXPECT_EQ(progressOf(OutputFile::AverageResult, {40, 250}), QString::fromUtf8("41 / 250 処理中"));
    EXPECT_EQ(progressOf(OutputFile::AverageResult, {250, 250}), QString::fromUtf8("250 / 250 処理中"));
    // Not counted yet, or nothing to trace: the points.
    EXPECT_EQ(progressOf(OutputFile::AverageResult, {0, -1}), QString::fromUtf8("3 / 3 処理中"));
    EXPECT_EQ(progressOf(OutputFile::AverageResult, {0, 0}), QString::fromUtf8("3 / 3 処理中"));
    // A breakdown traces every path: its points are counted.
    EXPECT_EQ(progressOf(OutputFile::Breakdown, {40, 250}), QString::fromUtf8("3 / 3 処理中"));
}

TEST_F(ProgressDialogTest, ErrorsAndStartFailuresEndWithTheirMessage) {
    {
        ScriptedJob job;
        job.failWith = "テキストファイル出力失敗!";
        ProgressDialog dialog(job, answers);
        QSignalSpy ended(&dialog, &ProgressDialog::ended);
        dialog.Start();
        ASSERT_TRUE(ended.wait(10000));
        EXPECT_EQ(dialog.result(), kJobError);
        EXPECT_EQ(dialog.statusLine(), QString::fromUtf8("エラー発生"));
        EXPECT_EQ(answers.told.back(), QString::fromUtf8("エラー発生.\nテキストファイル出力失敗!"));
    }
    {
        // A job that is still running cannot start again.
        ScriptedJob running;
        running.waitForCancel = true;
        Answers other;
        ProgressDialog first(running, other);
        first.Start();
        ProgressDialog second(running, answers);
        QSignalSpy ended(&second, &ProgressDialog::ended);
        second.Start();
        ASSERT_TRUE(ended.wait(10000));
        EXPECT_EQ(second.result(), kJobStartFailure);
        EXPECT_TRUE(answers.told.back().startsWith(QString::fromUtf8("エラー発生.")));
        running.RequestCancel();
        QSignalSpy firstEnded(&first, &ProgressDialog::ended);
        ASSERT_TRUE(firstEnded.wait(10000));
    }
}

TEST_F(ProgressDialogTest, ALargeBreakdownIsAskedAboutOnTheWindowsThread) {
    ScriptedJob job;
    job.offered = OutputFile::Breakdown;
    job.largeBreakdown = BreakdownSizeWarning{{1'600'000'000, 121, 3}, 50'000'000'000};
    ProgressDialog dialog(job, answers);
    QSignalSpy ended(&dialog, &ProgressDialog::ended);
    dialog.show();
    dialog.Start();
    ASSERT_TRUE(ended.wait(10000));
    ASSERT_EQ(job.keptLargeBreakdown, false) << "answered No: the run goes on without it";
    ASSERT_GE(answers.asked.size(), 2);
    EXPECT_TRUE(
        answers.asked[1].startsWith(QString::fromUtf8("計算内訳ファイルは約 1.6 GB になる見込みです")));
}

TEST_F(ProgressDialogTest, TheQuestionsButtonsSayWhatTheyDo) {
    QStringList buttons;
    QTimer::singleShot(50, [&buttons] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QString::fromUtf8(kDropBreakdownButton)) button->click();
    });
    DialogQuestions questions;
    EXPECT_FALSE(questions.Choose(nullptr, QStringLiteral("Kelmora"), QStringLiteral("?"),
                                  QString::fromUtf8(kKeepBreakdownButton),
                                  QString::fromUtf8(kDropBreakdownButton), QMessageBox::Warning));
    EXPECT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("計算内訳を出力する")));
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("計算内訳なしで計算する")));
}

}  // namespace
}  // namespace kelmora
