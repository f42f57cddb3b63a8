#include "app/KelmoraDocument.h"

#include <QMdiSubWindow>
#include <QMetaObject>
#include <algorithm>

#include "app/DocumentManager.h"
#include "app/PlanView.h"
#include "app/WindowPlacement.h"

namespace kelmora {

namespace {

// The plan window's frame: the view stands in a pane beside its legend, inside the frame.
QMdiSubWindow* FrameOf(QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget())
        if (auto* frame = qobject_cast<QMdiSubWindow*>(widget)) return frame;
    return nullptr;
}

}  // namespace

KelmoraDocument::KelmoraDocument(const DocumentServices& services, QObject* parent)
    : QObject(parent), services_(services) {}

KelmoraDocument::~KelmoraDocument() {
    // A document is never closed during a calculation; should the program end during one anyway, the
    // run stops before the model it reads goes.
    if (job_) {
        job_->RequestCancel();
        delete progress_.data();
        job_->Join();
    }
    delete dialog_.data();
}

void KelmoraDocument::Load(ProjectDocument project, const std::string& path, const QString& title,
                           bool modified, ProjectExtras extras) {
    delete dialog_.data();
    formatVersion_ = project.formatVersion;
    pendingRecords_ = std::move(project.viewRecords);
    tx_.Load(std::move(project.model), path, modified, std::move(extras));
    transfers_.Clear();
    SyncMapSettings();
    SetTitle(title);
}

ProjectDocument KelmoraDocument::ToProject() const {
    ProjectDocument project;
    project.formatVersion = formatVersion_;
    project.model = tx_.model();
    for (PlanView* view : views()) {
        ViewRecord record;
        record.viewData = view->viewData();
        // The window's normal rectangle in the area that holds the plan windows (also of a maximised
        // window, which comes back to it).
        QRect r;
        if (auto* frame = qobject_cast<PlanWindow*>(FrameOf(view)))
            r = frame->normalRect();
        else if (QMdiSubWindow* other = FrameOf(view))
            r = other->geometry();
        if (r.isValid()) record.info.frameRect = ToFrameRect(r);
        project.viewRecords.push_back(std::move(record));
    }
    return project;
}

std::vector<std::int32_t> KelmoraDocument::MaximizedWindows() const {
    std::vector<std::int32_t> maximized;
    const std::vector<PlanView*> shown = views();
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const QWidget* frame = FrameOf(shown[i]);
        if (frame != nullptr && frame->isMaximized()) maximized.push_back(static_cast<std::int32_t>(i));
    }
    return maximized;
}

void KelmoraDocument::SetTitle(const QString& title) {
    title_ = title;
    emit stateChanged();
}

void KelmoraDocument::AddView(PlanView* view) {
    views_.push_back({++lastViewId_, view});
    if (activeView_.isNull()) activeView_ = view;
}

void KelmoraDocument::RemoveView(PlanView* view) {
    std::erase_if(views_, [view](const ViewEntry& v) { return v.view.isNull() || v.view.data() == view; });
    if (activeView_.data() == view) activeView_ = nullptr;
}

std::vector<PlanView*> KelmoraDocument::views() const {
    std::vector<PlanView*> out;
    for (const ViewEntry& v : views_)
        if (!v.view.isNull()) out.push_back(v.view.data());
    return out;
}

int KelmoraDocument::ViewId(const PlanView* view) const {
    if (view == nullptr) return 0;
    for (const ViewEntry& v : views_)
        if (v.view.data() == view) return v.id;
    return 0;
}

PlanView* KelmoraDocument::ViewById(int id) const {
    for (const ViewEntry& v : views_)
        if (v.id == id && !v.view.isNull()) return v.view.data();
    return nullptr;
}

PlanView* KelmoraDocument::activeView() const {
    return activeView_.data();
}

void KelmoraDocument::SetActiveView(PlanView* view) {
    activeView_ = view;
}

ChainDialog* KelmoraDocument::openDialog() const {
    return dialog_.isNull() || !dialog_->isVisible() ? nullptr : dialog_.data();
}

ScreenPoint KelmoraDocument::ActiveViewCentre() const {
    QWidget* widget = activeView_.isNull() ? services_.mainWindow : activeView_.data();
    if (widget == nullptr) return {};
    const QPoint centre = widget->mapToGlobal(widget->rect().center());
    return {centre.x(), centre.y()};
}

void KelmoraDocument::RunCommand(EditCommand command) {
    const ScreenPoint centre = ActiveViewCentre();
    switch (command) {
        case EditCommand::GroundLines:
        case EditCommand::Buildings:
        case EditCommand::OutdoorSources:
            Apply(tx_.StartChain(command, centre));
            break;
        case EditCommand::Prediction:
            Apply(tx_.BeginPrediction(centre));
            break;
        case EditCommand::SizeChange:
            Apply(tx_.BeginSizeChange(centre));
            break;
        case EditCommand::ChangePicture:
            if (tx_.CommandsEnabled() && !activeView_.isNull()) activeView_->ChangeBackground();
            break;
    }
}

void KelmoraDocument::SyncMapSettings() {
    map_.UseSettings(tx_.extras().map.value_or(MapSettings{}), tx_.model());
}

void KelmoraDocument::Undo() {
    Apply(tx_.Undo());
}

void KelmoraDocument::Redo() {
    Apply(tx_.Redo());
}

void KelmoraDocument::RecheckMap() {
    mapOutOfDate_ = map_.IsOutOfDate(tx_.model());
}

void KelmoraDocument::Apply(const ChainStep& step) {
    // A committed change (or its undoing) may bring other map settings or buildings.
    SyncMapSettings();
    if (step.viewChange)
        if (PlanView* view = ViewById(step.viewChange->windowId)) {
            CKelmoraViewData data = view->viewData();
            ApplyViewChange(data, step.viewChange->from, step.viewChange->to);
            view->ReplaceViewData(data);
        }
    if (step.outcome == ChainOutcome::Committed && !step.startCalculation) UpdateResultsInstantly();
    // A committed edit ends its chain; a calculation start is checked before its run writes results.
    if (tx_.editMode() < kGroundLineListMode) RecheckMap();
    for (const int hint : step.hints)
        UpdateViews(hint);
    if (step.open) OpenDialog(*step.open);
    for (const int hint : step.hintsAfterShow)
        UpdateViews(hint);
    if (step.resume && !resumeQueued_) {
        resumeQueued_ = true;
        QMetaObject::invokeMethod(this, &KelmoraDocument::ResumeChain, Qt::QueuedConnection);
    }
    if (step.startCalculation) StartCalculation();
    emit stateChanged();
}

void KelmoraDocument::UpdateResultsInstantly() {
    if (tx_.editMode() != kIdleMode || calculating()) return;
    if (transfers_.UpdateResults(tx_.modelForCalculation())) emit resultsUpdated();
}

void KelmoraDocument::ResumeChain() {
    resumeQueued_ = false;
    // The dialog that queued this continuation closes before it runs; should it still be on the screen,
    // wait for the next turn.
    if (!dialog_.isNull() && dialog_->isVisible()) {
        resumeQueued_ = true;
        QMetaObject::invokeMethod(this, &KelmoraDocument::ResumeChain, Qt::QueuedConnection);
        return;
    }
    Apply(tx_.ResumeChain());
}

void KelmoraDocument::SetImportPreview(const CNoise* additions) {
    if (additions != nullptr)
        importPreview_ = *additions;
    else
        importPreview_.reset();
    UpdateViews(4);
}

void KelmoraDocument::UpdateViews(int hint) {
    for (PlanView* view : views())
        view->Update(hint);
    emit viewsUpdated();
}

CKelmoraViewData* KelmoraDocument::activeViewData() {
    return activeView_.isNull() ? nullptr : &activeView_->viewData();
}

void KelmoraDocument::OpenDialog(const DialogRequest& request) {
    const ChainDialogFactory* factory =
        services_.registry != nullptr ? services_.registry->Find(request.editMode) : nullptr;
    ChainDialog* dialog = factory != nullptr ? (*factory)(*this, request, services_.mainWindow) : nullptr;
    if (dialog == nullptr) {
        OpenMissingDialog(request);
        return;
    }
    if (!dialog_.isNull()) dialog_->deleteLater();
    dialog_ = dialog;
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    if (request.modal) {
        dialog->setWindowModality(Qt::WindowModal);
        dialog->open();
    } else {
        dialog->show();
    }
}

void KelmoraDocument::OpenMissingDialog(const DialogRequest& request) {
    const QString caption = QString::fromUtf8(DialogCaption(request.editMode));
    UserQuestions& ask = *services_.questions;
    if (request.cascadePress == 0)
        ask.Tell(services_.mainWindow, caption,
                 QString::fromUtf8("「%1」はまだ用意されていません。").arg(caption),
                 QMessageBox::Information);
    if (IsListMode(request.editMode))
        Apply(tx_.ListClosed(ListExit::Cancel));
    else if (IsEditorMode(request.editMode))
        Apply(tx_.EditorClosed(EditorExit::Cancel));
    else if (request.editMode == kSizeChangeMode)
        Apply(tx_.SizeDialogClosed());
    else if (request.editMode == kPredictionMode)
        Apply(tx_.PredictionClosed(PredictionExit::Cancel));
}

void KelmoraDocument::StartCalculation() {
    if (progress_ || tx_.editMode() != kCalculationMode) return;
    job_ = std::make_unique<CountedPredictionJob>(tx_.modelForCalculation(), services_.runSettings,
                                                  transfers_.store());
    auto* progress = new ProgressDialog(*job_, *services_.questions, services_.mainWindow);
    progress_ = progress;
    progress->CountPairs([job = job_.get()] {
        return PairProgress{job->pairsTraced(), job->pairsToTrace()};
    });
    connect(progress, &ProgressDialog::ended, this, &KelmoraDocument::CalculationEnded);
    progress->show();
    progress->Start();
}

void KelmoraDocument::CalculationEnded(int result) {
    if (job_) job_->Join();
    if (result == kJobNormalEnd) transfers_.RunEnded(tx_.model());
    if (!progress_.isNull()) {
        progress_->hide();
        progress_->deleteLater();
    }
    progress_ = nullptr;
    Apply(tx_.CalculationEnded());
    emit calculationFinished(result);
}

}  // namespace kelmora
