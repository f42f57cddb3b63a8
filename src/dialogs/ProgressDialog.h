#pragma once
// The progress dialog of a calculation ("騒音予測計算処理"): runs a long job on its worker thread and
// is the job's CRunHost on the desktop. The job's save dialogs, its X Y Z question and its messages are
// shown on the user-interface thread on the worker's behalf (the worker waits for the answer); its
// progress and end arrive as queued calls. The window stays responsive throughout.
//
// It shows "%d / %d 処理中" with a progress bar and the time left; "キャンセル" (also Esc and the close
// box) disables itself and asks the job to stop, which it does at its next write. When the job has
// ended, the final message ("処理正常終了しました.", "キャンセルしました." or "エラー発生.\n…") is
// shown and `ended` is emitted; the owner then closes the dialog.
//
// A run that reuses the transfers of an earlier run counts, in the same line and bar, the
// source–point pairs it traces instead of its points (CountPairs).
#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "calc/LongJob.h"
#include "calc/RunHost.h"
#include "dialogs/UserQuestions.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kelmora {

inline constexpr const char* kProgressDialogTitle = "騒音予測計算処理";

// The source–point pairs a run has traced, of those it traces; `total` < 0 while not known.
struct PairProgress {
    std::int64_t done = 0;
    std::int64_t total = -1;
};

class ProgressDialog : public QDialog, public CRunHost {
    Q_OBJECT

public:
    ProgressDialog(CLongJob& job, UserQuestions& questions, QWidget* parent = nullptr);
    ~ProgressDialog() override;

    // Starts the job on its worker thread. A job that cannot start ends at once with the start
    // failure (−3) and its message, from the event loop.
    void Start();
    // Counts the pairs `pairs` reads (from the user-interface thread, while the job runs) instead of
    // the points, whenever their total is known and above 0. A run that writes a breakdown traces
    // every path: once its breakdown file is chosen, its points are counted as usual.
    void CountPairs(std::function<PairProgress()> pairs);

    // 0 while running; the job's end code once it has ended (−1 cancelled, −2 error, −3 no start).
    int result() const { return result_; }
    // The two status lines, as shown.
    QString statusLine() const;
    QString detailLine() const;
    bool cancelEnabled() const;

    // CRunHost, called from the job's thread.
    std::optional<std::string> ChooseOutputFile(const FileRequest& request) override;
    bool AskXyzForm(OutputFile file, std::string_view question) override;
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    bool AsksAboutLargeBreakdowns() const override { return true; }
    bool KeepLargeBreakdown(const BreakdownSizeWarning& warning) override;
    void ReportProgress(int item, int itemCount) override;
    void ReportEnd(int code) override;

    // Esc and the close box cancel the run; the dialog stays until the job has ended.
    void reject() override;

signals:
    // After the final message box has been closed.
    void ended(int result);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Cancel();
    void ShowProgress(int item, int itemCount);
    std::optional<PairProgress> CountedPairs() const;
    void EndRun(int code);

    CLongJob& job_;
    UserQuestions& questions_;
    QLabel* line1_;
    QLabel* line2_;
    QProgressBar* bar_;
    QLabel* timeLeft_;
    QPushButton* cancel_;
    QElapsedTimer sinceFirstItem_;
    int result_ = 0;
    bool started_ = false;
    bool finished_ = false;
    std::function<PairProgress()> pairs_;
    bool breakdownChosen_ = false;
};

}  // namespace kelmora
