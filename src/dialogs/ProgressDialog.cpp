#include "dialogs/ProgressDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "calc/BreakdownEstimate.h"
#include "calc/LongJobTexts.h"
#include "calc/ProgressLine.h"

namespace kelmora {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kInformation:
            return QMessageBox::Information;
        case MessageIcon::kWarning:
            return QMessageBox::Warning;
        case MessageIcon::kError:
            break;
    }
    return QMessageBox::Critical;
}

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

ProgressDialog::ProgressDialog(CLongJob& job, UserQuestions& questions, QWidget* parent)
    : QDialog(parent), job_(job), questions_(questions) {
    setWindowTitle(QString::fromUtf8(kProgressDialogTitle));
    line1_ = new QLabel(QStringLiteral(" "), this);
    line2_ = new QLabel(QString::fromUtf8("処理開始"), this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 0);  // busy until the first item reports the count
    bar_->setAccessibleName(QString::fromUtf8("進行状況"));
    timeLeft_ = new QLabel(QStringLiteral(" "), this);
    cancel_ = new QPushButton(QString::fromUtf8("キャンセル"), this);
    cancel_->setDefault(true);
    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::Cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(line1_);
    layout->addWidget(line2_);
    layout->addWidget(bar_);
    layout->addWidget(timeLeft_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

ProgressDialog::~ProgressDialog() {
    // The worker talks to this dialog until it has ended. Once it has, the dialog no longer touches the
    // job, which may already be gone.
    if (finished_ || !started_) return;
    job_.RequestCancel();
    job_.Join();
}

void ProgressDialog::Start() {
    result_ = 0;
    started_ = job_.Start(*this);
    if (!started_) {
        line1_->setText(QString::fromUtf8("エラー発生停止"));
        line2_->setText(QString::fromUtf8("処理スタート失敗"));
        QTimer::singleShot(0, this, [this] { EndRun(kJobStartFailure); });
        return;
    }
    line1_->setText(QString::fromUtf8("処理中"));
    line2_->setText(QStringLiteral(" "));
}

void ProgressDialog::CountPairs(std::function<PairProgress()> pairs) {
    pairs_ = std::move(pairs);
}

std::optional<PairProgress> ProgressDialog::CountedPairs() const {
    if (!pairs_ || breakdownChosen_) return std::nullopt;
    const PairProgress p = pairs_();
    if (p.total <= 0 || p.total > std::numeric_limits<int>::max()) return std::nullopt;
    return p;
}

QString ProgressDialog::statusLine() const {
    return line1_->text();
}

QString ProgressDialog::detailLine() const {
    return line2_->text();
}

bool ProgressDialog::cancelEnabled() const {
    return cancel_->isEnabled();
}

std::optional<std::string> ProgressDialog::ChooseOutputFile(const FileRequest& request) {
    std::optional<std::string> answer;
    QMetaObject::invokeMethod(
        this,
        [&] {
            answer = questions_.ChooseFileToSave(this, Text(request.title), QtFileFilter(request.filter),
                                                 Text(request.defaultExtension), QString());
            if (request.file == OutputFile::Breakdown && answer) breakdownChosen_ = true;
        },
        Qt::BlockingQueuedConnection);
    return answer;
}

bool ProgressDialog::AskXyzForm(OutputFile, std::string_view question) {
    bool xyz = true;
    QMetaObject::invokeMethod(
        this,
        [&] {
            xyz =
                questions_.Ask(this, QString::fromUtf8(kProgramCaption), Text(question),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::Question) == QMessageBox::Yes;
        },
        Qt::BlockingQueuedConnection);
    return xyz;
}

bool ProgressDialog::KeepLargeBreakdown(const BreakdownSizeWarning& warning) {
    bool keep = true;
    const QString text = QString::fromStdString(LargeBreakdownQuestion(warning));
    QMetaObject::invokeMethod(
        this,
        [&] {
            keep = questions_.Choose(this, QString::fromUtf8(kProgramCaption), text,
                                     QString::fromUtf8(kKeepBreakdownButton),
                                     QString::fromUtf8(kDropBreakdownButton), QMessageBox::Warning);
            breakdownChosen_ = keep;
        },
        Qt::BlockingQueuedConnection);
    return keep;
}

void ProgressDialog::ShowMessage(std::string_view text, MessageIcon icon) {
    const QString message = Text(text);
    QMetaObject::invokeMethod(
        this, [&] { questions_.Tell(this, QString::fromUtf8(kProgramCaption), message, BoxIcon(icon)); },
        Qt::BlockingQueuedConnection);
}

void ProgressDialog::ReportProgress(int item, int itemCount) {
    QMetaObject::invokeMethod(
        this, [this, item, itemCount] { ShowProgress(item, itemCount); }, Qt::QueuedConnection);
}

void ProgressDialog::ReportEnd(int code) {
    QMetaObject::invokeMethod(
        this, [this, code] { EndRun(code); }, Qt::QueuedConnection);
}

void ProgressDialog::ShowProgress(int item, int itemCount) {
    if (finished_) return;
    // Items before the one being processed are done.
    int done = item - 1;
    if (const std::optional<PairProgress> pairs = CountedPairs()) {
        itemCount = static_cast<int>(pairs->total);
        done = static_cast<int>(std::min<std::int64_t>(pairs->done, itemCount));
        item = std::min(done + 1, itemCount);
    }
    line1_->setText(QString::fromStdString(ProgressText(item, itemCount)));
    if (!sinceFirstItem_.isValid()) sinceFirstItem_.start();
    if (itemCount <= 0) return;
    bar_->setRange(0, itemCount);
    bar_->setValue(std::min(done, itemCount));
    const std::optional<double> left =
        RemainingSeconds(done, itemCount, static_cast<double>(sinceFirstItem_.elapsed()) / 1000.0);
    timeLeft_->setText(left ? QString::fromStdString(RemainingTimeText(*left)) : QStringLiteral(" "));
}

void ProgressDialog::Cancel() {
    if (finished_ || !cancel_->isEnabled()) return;
    cancel_->setEnabled(false);
    result_ = kJobCancelled;
    if (started_) job_.RequestCancel();
}

void ProgressDialog::reject() {
    Cancel();
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    if (!finished_) {
        event->ignore();
        Cancel();
        return;
    }
    QDialog::closeEvent(event);
}

void ProgressDialog::EndRun(int code) {
    if (finished_) return;
    finished_ = true;
    if (code == kJobCancelled) {
        line1_->setText(QString::fromUtf8("キャンセル"));
        job_.OnStopped();
    } else if (code > 0) {
        line1_->setText(QString::fromUtf8("終了"));
        if (code == kJobNormalEnd) bar_->setValue(bar_->maximum());
    } else if (code != kJobStartFailure) {
        line1_->setText(QString::fromUtf8("エラー発生"));
        line2_->setText(QString::fromStdString(job_.errorText()));
        job_.OnStopped();
    }
    result_ = code;
    cancel_->setEnabled(false);
    timeLeft_->setText(QStringLiteral(" "));
    // The worker has posted its end; wait for the thread itself to go. (A job that did not start here
    // may be another dialog's run: it is not waited for.)
    if (started_) job_.Join();
    line2_->setText(QStringLiteral(" "));
    if (const std::optional<FinalMessage> message = FinalMessageFor(result_, job_.errorText()))
        questions_.Tell(this, QString::fromUtf8(kProgramCaption), QString::fromStdString(message->text),
                        BoxIcon(message->icon));
    emit ended(result_);
}

}  // namespace kelmora
