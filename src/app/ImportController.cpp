#include "app/ImportController.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QProgressDialog>
#include <QScreen>

#include "app/DocumentManager.h"
#include "app/PlanView.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/ImportDialog.h"
#include "dialogs/UserQuestions.h"
#include "importing/ImportDialogState.h"
#include "view/FitView.h"

namespace kelmora {

namespace {

constexpr const char* kCommitName = "インポート";

// The extent of a source's layers in project metres, as far as it is known before the import: drawings
// in their proposed unit, taken from the lower-left corner (the default origin).
PlanExtent RoughLocalExtent(const SourceInfo& source) {
    PlanExtent extent;
    for (const SourceLayer& layer : source.layers) {
        if (layer.extent.empty) continue;
        const double scale =
            layer.crs ? layer.crs->metresPerUnit : 1.0 / UnitsPerMetre(source.ProposedUnit());
        extent.Add(0.0, 0.0);
        extent.Add(layer.extent.Width() * scale, layer.extent.Height() * scale);
    }
    return extent;
}

}  // namespace

ImportController::ImportController(QMainWindow& window, DocumentManager& documents, UserQuestions& questions)
    : QObject(&window), window_(window), documents_(documents), questions_(questions) {}

void ImportController::Tell(const QString& text) {
    questions_.Tell(&window_, QString::fromUtf8(kImportCaption), text, QMessageBox::Warning);
}

void ImportController::FitWindow(KelmoraDocument& document, const PlanExtent& extent) {
    const std::vector<PlanView*> views = document.views();
    if (views.empty() || extent.empty) return;
    views.front()->FitRecordTo({extent.minX, extent.minY, extent.maxX, extent.maxY});
}

void ImportController::Run() {
    KelmoraDocument* active = documents_.activeDocument();
    if (active != nullptr && !active->transaction().CommandsEnabled()) return;
    const std::optional<std::string> path = questions_.ChooseFileToOpen(
        &window_, QString::fromUtf8(kChooseImportFileTitle), QtFileFilter(kImportFileFilter));
    if (!path) return;

    SourceInfo source;
    try {
        QProgressDialog progress(QString::fromUtf8("読み込み中..."), QString::fromUtf8("キャンセル"), 0, 100,
                                 &window_);
        progress.setWindowTitle(QString::fromUtf8(kImportCaption));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        const WaitCursor wait;
        source = ListSource(*path, [&progress](double fraction) {
            progress.setValue(static_cast<int>(fraction * 100.0));
            return !progress.wasCanceled();
        });
    } catch (const ImportCancelled&) {
        return;
    } catch (const std::exception& e) {
        Tell(QString::fromUtf8(e.what()));
        return;
    }

    // Into the active document, or into a new one shown over the source's extent.
    KelmoraDocument* document = active;
    const bool made = document == nullptr;
    if (made) {
        const PlanExtent rough = RoughLocalExtent(source);
        document = documents_.NewDocumentWithView(
            ViewFittedTo({rough.minX, rough.minY}, {rough.maxX, rough.maxY}, 740, 480));
        if (document == nullptr) return;
    }
    const EditTransaction& tx = document->transaction();
    ImportDialogState state(source, {tx.extras().coordinates, tx.model().calcInfo.mode});
    ImportDialog dialog(state, questions_, &window_);
    // As far right on the screen as it goes, so that the plan windows and the preview stay in sight.
    const QRect frame = window_.frameGeometry();
    const QRect screen = window_.screen() != nullptr ? window_.screen()->availableGeometry() : frame;
    dialog.move(std::max(frame.left(), screen.right() - dialog.frameGeometry().width()), frame.top() + 40);
    connect(&dialog, &ImportDialog::previewChanged, this, [&] {
        const std::optional<ImportOutcome>& preview = state.preview();
        document->SetImportPreview(preview ? &preview->additions : nullptr);
        if (made && preview) FitWindow(*document, preview->report.extent);
    });
    if (hook_) hook_(dialog);
    const int result = dialog.exec();
    document->SetImportPreview(nullptr);
    if (result != QDialog::Accepted || !state.preview()) {
        if (made) documents_.CloseSilently(*document);
        return;
    }
    const ImportOutcome& outcome = *state.preview();
    EditTransaction& transaction = document->transaction();
    const ChainStep step =
        transaction.CommitChange(kCommitName, WithImported(transaction.model(), outcome.additions),
                                 WithCoordinates(transaction.extras(), outcome.coordinates));
    if (step.Empty()) {
        Tell(QString::fromUtf8("編集中のダイアログまたは予測計算が終わってから取り込んでください"));
        if (made) documents_.CloseSilently(*document);
        return;
    }
    document->Apply(step);
    if (made) FitWindow(*document, outcome.report.extent);
}

}  // namespace kelmora
