#include "app/ResultsController.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <algorithm>

#include "app/DocumentManager.h"
#include "app/KelmoraDocument.h"
#include "calc/PrintfFormat.h"
#include "calc/ScenarioModel.h"
#include "dialogs/ResultsWindow.h"
#include "dialogs/UserQuestions.h"
#include "view/EditState.h"
#include "view/noisemap/LevelGrid.h"
#include "view/noisemap/NoiseMap.h"

namespace kelmora {
namespace {

constexpr const char* kCaption = "予測結果一覧";

bool IsGrid(const CNoise& model) {
    return model.calcInfo.mode == kHorizontalGridMode || model.calcInfo.mode == kVerticalGridMode;
}

}  // namespace

ResultsController::ResultsController(QMainWindow& window, QMenu& viewMenu, DocumentManager& documents,
                                     UserQuestions& questions)
    : QObject(&window), window_(window), documents_(documents), questions_(questions) {
    separator_ = viewMenu.addSeparator();
    action_ = viewMenu.addAction(QString::fromUtf8("予測結果一覧(&T)..."));
    connect(action_, &QAction::triggered, this, [this] {
        if (KelmoraDocument* document = documents_.activeDocument()) Open(*document);
    });
    connect(&viewMenu, &QMenu::aboutToShow, this, &ResultsController::Refresh);
    connect(&documents_, &DocumentManager::changed, this, &ResultsController::Refresh);
    // A double click on a point opens it here after a run; with Alt it asks for its paths instead.
    connect(&documents_, &DocumentManager::predictionPointDoubleClicked, this,
            [this](KelmoraDocument* d, int point, Qt::KeyboardModifiers modifiers) {
                if (d == nullptr || point < 0 || modifiers.testFlag(Qt::AltModifier)) return;
                if (d->runTransfers().HasRun()) Open(*d, point);
            });
    Refresh();
}

ResultsController::~ResultsController() {
    // The windows go after their entries, so that their ends touch no document.
    std::vector<QPointer<ResultsWindow>> windows;
    for (auto& [document, entry] : entries_)
        windows.push_back(entry.window);
    entries_.clear();
    for (const QPointer<ResultsWindow>& w : windows)
        delete w.data();
}

void ResultsController::Refresh() {
    for (KelmoraDocument* document : documents_.documents())
        Connect(*document);
    KelmoraDocument* active = documents_.activeDocument();
    separator_->setVisible(active != nullptr);
    action_->setVisible(active != nullptr);
    action_->setEnabled(active != nullptr && active->runTransfers().HasRun());
}

void ResultsController::Connect(KelmoraDocument& document) {
    KelmoraDocument* d = &document;
    if (entries_.count(d) != 0) return;
    entries_[d];
    connect(d, &KelmoraDocument::calculationFinished, this, [this, d](int) {
        if (window(*d) != nullptr) Reset(*d);
        Refresh();
    });
    connect(d, &KelmoraDocument::stateChanged, this, [this, d] { StateChanged(*d); });
    connect(d, &QObject::destroyed, this, [this, d] {
        auto it = entries_.find(d);
        if (it == entries_.end()) return;
        const QPointer<ResultsWindow> w = it->second.window;
        entries_.erase(it);
        delete w.data();
    });
}

ResultsWindow* ResultsController::window(const KelmoraDocument& document) const {
    const auto it = entries_.find(&document);
    return it == entries_.end() ? nullptr : it->second.window.data();
}

const CResultsStudy* ResultsController::study(const KelmoraDocument& document) const {
    const auto it = entries_.find(&document);
    return it == entries_.end() ? nullptr : it->second.study.get();
}

void ResultsController::Open(KelmoraDocument& document, int point) {
    Connect(document);
    Entry& entry = entries_[&document];
    if (entry.window.isNull()) {
        entry.study = std::make_unique<CResultsStudy>();
        auto* w = new ResultsWindow(*entry.study, questions_, &window_);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setWindowTitle(QString::fromUtf8(kCaption) + QStringLiteral(" - ") + document.title());
        entry.window = w;
        KelmoraDocument* d = &document;
        connect(w, &ResultsWindow::studyChanged, this, [this, d] { ShowStudy(*d); });
        connect(w, &ResultsWindow::saveScenarioRequested, this,
                [this, d](const Scenario& s) { SaveScenario(*d, s); });
        connect(w, &ResultsWindow::applyRequested, this,
                [this, d](const Scenario& s) { ApplyScenario(*d, s); });
        connect(w, &ResultsWindow::limitsRequested, this,
                [this, d](const LevelLimits& limits) { ChangeLimits(*d, limits); });
        connect(w, &ResultsWindow::differenceMapRequested, this,
                [this, d](const QString& name) { ShowDifference(*d, name); });
        connect(w, &ResultsWindow::showPathsRequested, this,
                [this, d](int p, int s) { emit pathsRequested(d, p, s); });
        // Closed: the map and the marks show the run's own levels again.
        connect(w, &QObject::destroyed, this, [this, d] {
            auto it = entries_.find(d);
            if (it == entries_.end() || !it->second.study) return;
            it->second.study->ClearChanges();
            it->second.difference.clear();
            if (d->noiseMap().IsDifference() || d->noiseMap().FromRun()) {
                try {
                    d->noiseMap().TakeRunResults(d->transaction().model(), true);
                } catch (const NoiseMapError&) {
                }
            }
            ShowStudy(*d);
            d->noiseMap().SetPointMarks({});
            d->UpdateViews(5);
        });
        Reset(document);
        // At the right of the screen, the plan at its left in view.
        if (const QScreen* screen = window_.screen()) {
            const QRect free = screen->availableGeometry();
            w->resize(std::min(w->width(), free.width() * 3 / 5), std::min(w->height(), free.height()));
            w->move(free.right() - w->frameGeometry().width() + 1, free.top());
        }
    }
    ResultsWindow* w = entry.window.data();
    if (point >= 0) w->SelectPoint(point);
    w->show();
    w->raise();
    w->activateWindow();
}

void ResultsController::Reset(KelmoraDocument& document) {
    Entry& entry = entries_[&document];
    if (!entry.study) return;
    const CNoise& model = document.transaction().model();
    const ProjectExtras& extras = document.extras();
    entry.study->Reset(model, document.runTransfers().HasRun() ? &document.runTransfers().store() : nullptr,
                       extras.limits);
    entry.modelFingerprint = ModelFingerprint(model);
    entry.limits = extras.limits;
    entry.scenarios = extras.scenarios;
    if (ResultsWindow* w = entry.window.data()) w->Reload(extras.scenarios);
    ShowStudy(document);
}

void ResultsController::StateChanged(KelmoraDocument& document) {
    const auto it = entries_.find(&document);
    if (it == entries_.end() || it->second.window.isNull()) return;
    // A run replaces the transfers the study reads when it ends: nothing is asked of them meanwhile.
    it->second.window->setEnabled(!document.calculating());
    if (document.transaction().editMode() != kIdleMode) return;
    Entry& entry = it->second;
    const ProjectExtras& extras = document.extras();
    // Another model starts the study again; other limits or scenarios keep its changes.
    if (entry.modelFingerprint != ModelFingerprint(document.transaction().model())) {
        Reset(document);
        return;
    }
    if (entry.limits == extras.limits && entry.scenarios == extras.scenarios) return;
    entry.limits = extras.limits;
    entry.scenarios = extras.scenarios;
    entry.study->SetLimits(extras.limits);
    entry.window->Reload(extras.scenarios);
    ShowStudy(document);
}

void ResultsController::ShowStudy(KelmoraDocument& document) {
    const auto it = entries_.find(&document);
    if (it == entries_.end() || !it->second.study) return;
    const CResultsStudy& study = *it->second.study;
    const CNoise& model = document.transaction().model();
    PlanMapState& map = document.noiseMap();
    if (!it->second.difference.empty() && !map.IsDifference()) it->second.difference.clear();
    if (!it->second.difference.empty()) {
        TakeDifference(document);
    } else if (study.HasResults() && IsGrid(model) && map.FromRun()) {
        try {
            if (study.Changed())
                map.TakeStudyResults(study.variant(), model);
            else
                map.TakeRunResults(model, true);
        } catch (const NoiseMapError&) {
            // The grid's results cannot be a map: the run said so already.
        }
    }
    // The points of a single point or a list marked against their limits.
    std::vector<PointMark> marks;
    if (study.HasResults() && !IsGrid(model) && !study.limits().empty()) {
        for (const PointRow& row : study.rows()) {
            if (row.verdict == LimitVerdict::NoLimit) continue;
            marks.push_back(
                {row.position, Format("%.1f", {row.laeqAfter}), row.verdict == LimitVerdict::Exceeded});
        }
    }
    map.SetPointMarks(std::move(marks));
    document.RecheckMap();
    document.UpdateViews(5);
}

void ResultsController::SaveScenario(KelmoraDocument& document, const Scenario& scenario) {
    EditTransaction& tx = document.transaction();
    ProjectExtras extras = tx.extras();
    auto same = std::find_if(extras.scenarios.begin(), extras.scenarios.end(),
                             [&](const Scenario& s) { return s.name == scenario.name; });
    if (same != extras.scenarios.end()) {
        if (questions_.Ask(window(document), QString::fromUtf8(kCaption),
                           QString::fromUtf8("シナリオ「%1」を置き換えますか？")
                               .arg(QString::fromStdString(scenario.name)),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::Question) != QMessageBox::Yes)
            return;
        *same = scenario;
    } else {
        extras.scenarios.push_back(scenario);
    }
    const ChainStep step = tx.CommitChange(kScenarioSaveStep, tx.model(), std::move(extras));
    if (step.Empty()) {
        Tell(QString::fromUtf8("編集中または計算中のため、シナリオを保存できません。"));
        return;
    }
    document.Apply(step);
}

void ResultsController::ApplyScenario(KelmoraDocument& document, const Scenario& scenario) {
    EditTransaction& tx = document.transaction();
    const ChainStep step =
        tx.CommitChange(kScenarioApplyStep, kelmora::ApplyScenario(tx.model(), scenario), tx.extras());
    if (step.Empty()) {
        Tell(QString::fromUtf8("編集中または計算中のため、モデルに反映できません。"));
        return;
    }
    document.Apply(step);
}

void ResultsController::ChangeLimits(KelmoraDocument& document, const LevelLimits& limits) {
    EditTransaction& tx = document.transaction();
    if (tx.extras().limits == limits) return;
    ProjectExtras extras = tx.extras();
    extras.limits = limits;
    const ChainStep step = tx.CommitChange(kLimitsChangeStep, tx.model(), std::move(extras));
    if (step.Empty()) {
        Tell(QString::fromUtf8("編集中または計算中のため、規制値を変更できません。"));
        return;
    }
    document.Apply(step);
}

void ResultsController::ShowDifference(KelmoraDocument& document, const QString& name) {
    const auto it = entries_.find(&document);
    if (it == entries_.end() || !it->second.study || !it->second.study->HasResults()) return;
    if (!IsGrid(document.transaction().model())) {
        Tell(QString::fromUtf8("差分マップは格子状の予測点の計算結果についてだけ表示できます。"));
        return;
    }
    it->second.difference = name.toStdString();
    if (!TakeDifference(document)) {
        it->second.difference.clear();
        return;
    }
    document.RecheckMap();
    document.UpdateViews(5);
}

bool ResultsController::TakeDifference(KelmoraDocument& document) {
    const Entry& entry = entries_[&document];
    const CResultsStudy& study = *entry.study;
    const CCalcInfo& after = study.variant().calcInfo;
    const CCalcInfo& before = study.base().calcInfo;
    try {
        document.noiseMap().TakeDifference(
            GridFromPoints(after.gridPoints, after.rowDivisions, after.columnDivisions, MapQuantity::LAeqT),
            entry.difference,
            GridFromPoints(before.gridPoints, before.rowDivisions, before.columnDivisions,
                           MapQuantity::LAeqT),
            "計算結果", MapQuantity::LAeqT, document.transaction().model());
    } catch (const NoiseMapError& e) {
        Tell(QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

void ResultsController::Tell(const QString& text) {
    questions_.Tell(&window_, QString::fromUtf8(kCaption), text, QMessageBox::Warning);
}

}  // namespace kelmora
