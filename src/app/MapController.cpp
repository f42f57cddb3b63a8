#include "app/MapController.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <algorithm>
#include <cmath>

#include "app/CommandActions.h"
#include "app/DocumentManager.h"
#include "app/MapPictureFile.h"
#include "app/PlanView.h"
#include "app/SectionWindow.h"
#include "calc/LongJob.h"
#include "dialogs/MapSettingsDialog.h"
#include "view/ViewTransform.h"
#include "view/noisemap/MapTexts.h"
#include "view/noisemap/ResultFile.h"

namespace kelmora {

namespace {

QAction* MakeMapItem(QObject* owner, std::string_view text, std::string_view prompt, bool checkable) {
    QAction* action = MakeAction(owner, text, prompt);
    action->setCheckable(checkable);
    return action;
}

bool IsGridMode(int mode) {
    return mode == kHorizontalGridMode || mode == kVerticalGridMode;
}

// The plan as the window shows it, without the empty background beyond the picture's lower-right
// corner (the grid covers the picture).
QSize ShownPlanSize(const PlanView& view) {
    const CKelmoraViewData v = view.shownViewData();
    const double m = EffectiveMagnification(v.zoom);
    const auto side = [](double extent, int shown) {
        if (!std::isfinite(extent)) return shown;
        return static_cast<int>(std::clamp(std::ceil(extent), 1.0, static_cast<double>(shown)));
    };
    return {side(v.zoom.origin.x + m * v.imageWidth, view.width()),
            side(v.zoom.origin.y + m * v.imageHeight, view.height())};
}

}  // namespace

MapController::MapController(QMainWindow& window, QMdiArea& area, QMenu& viewMenu, DocumentManager& documents,
                             UserQuestions& questions)
    : QObject(&window), window_(window), documents_(documents), questions_(questions) {
    MapActions& a = actions_;
    a.showMap = MakeMapItem(this, kMenuShowMap, kPromptShowMap, true);
    a.isoLines = MakeMapItem(this, kMenuShowIsoLines, kPromptShowIsoLines, true);
    a.legend = MakeMapItem(this, kMenuShowLegend, kPromptShowLegend, true);
    a.laeq = MakeMapItem(this, kMenuShowLAeqT, kPromptShowLAeqT, true);
    a.lamax = MakeMapItem(this, kMenuShowLAmax, kPromptShowLAmax, true);
    auto* levels = new QActionGroup(this);
    levels->addAction(a.laeq);
    levels->addAction(a.lamax);
    a.openResultFile = MakeMapItem(this, kMenuOpenResultFile, kPromptOpenResultFile, false);
    a.differenceMap = MakeMapItem(this, kMenuDifferenceMap, kPromptDifferenceMap, false);
    a.section = MakeMapItem(this, kMenuShowSection, kPromptShowSection, false);
    a.savePicture = MakeMapItem(this, kMenuSaveMapPicture, kPromptSaveMapPicture, false);
    a.settings = MakeMapItem(this, kMenuMapSettings, kPromptMapSettings, false);

    a.separators.push_back(viewMenu.addSeparator());
    for (QAction* item : {a.showMap, a.isoLines, a.legend})
        viewMenu.addAction(item);
    a.separators.push_back(viewMenu.addSeparator());
    viewMenu.addAction(a.laeq);
    viewMenu.addAction(a.lamax);
    a.separators.push_back(viewMenu.addSeparator());
    for (QAction* item : {a.openResultFile, a.differenceMap, a.section, a.savePicture, a.settings})
        viewMenu.addAction(item);

    outOfDate_ = new QLabel(QString::fromUtf8(kStatusMapOutOfDate), &window);
    outOfDate_->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    outOfDate_->setAccessibleName(QString::fromUtf8(kStatusMapOutOfDate));
    window.statusBar()->addPermanentWidget(outOfDate_);
    outOfDate_->hide();

    // A toggle changes what every plan window of the document draws.
    const auto toggle = [this](QAction* action, void (PlanMapState::*set)(bool)) {
        connect(action, &QAction::triggered, this, [this, set](bool on) {
            if (KelmoraDocument* document = Active()) {
                (document->noiseMap().*set)(on);
                MapChanged(*document);
            }
        });
    };
    toggle(a.showMap, &PlanMapState::SetShown);
    toggle(a.isoLines, &PlanMapState::SetIsoLines);
    toggle(a.legend, &PlanMapState::SetLegend);
    for (const auto& [action, quantity] :
         {std::pair{a.laeq, MapQuantity::LAeqT}, std::pair{a.lamax, MapQuantity::LAmax}}) {
        connect(action, &QAction::triggered, this, [this, quantity = quantity] {
            if (KelmoraDocument* document = Active()) {
                document->noiseMap().Show(quantity);
                MapChanged(*document);
            }
        });
    }
    connect(a.openResultFile, &QAction::triggered, this, &MapController::OpenResultFile);
    connect(a.differenceMap, &QAction::triggered, this, &MapController::OpenDifferenceMap);
    connect(a.section, &QAction::triggered, this, &MapController::ShowSection);
    connect(a.savePicture, &QAction::triggered, this, &MapController::SavePicture);
    connect(a.settings, &QAction::triggered, this, &MapController::OpenSettings);
    connect(&viewMenu, &QMenu::aboutToShow, this, &MapController::Refresh);
    connect(&documents, &DocumentManager::changed, this, &MapController::Refresh);
    connect(&area, &QMdiArea::subWindowActivated, this, &MapController::Refresh);
    Refresh();
}

KelmoraDocument* MapController::Active() const {
    return documents_.activeDocument();
}

SectionWindow* MapController::sectionWindow(const KelmoraDocument& document) const {
    for (const QPointer<SectionWindow>& window : sections_)
        if (!window.isNull() && window->document() == &document && window->isVisible()) return window.data();
    return nullptr;
}

void MapController::Refresh() {
    // Every document tells when its calculation ends and when an edit re-predicts its points.
    for (KelmoraDocument* document : documents_.documents()) {
        connect(document, &KelmoraDocument::calculationFinished, this, &MapController::RunFinished,
                Qt::UniqueConnection);
        connect(document, &KelmoraDocument::resultsUpdated, this, &MapController::ResultsUpdated,
                Qt::UniqueConnection);
    }

    KelmoraDocument* active = Active();
    const MapActions& a = actions_;
    for (QAction* item : a.separators)
        item->setVisible(active != nullptr);
    for (QAction* item : {a.showMap, a.isoLines, a.legend, a.laeq, a.lamax, a.openResultFile, a.differenceMap,
                          a.section, a.savePicture, a.settings})
        item->setVisible(active != nullptr);
    if (active == nullptr) {
        outOfDate_->hide();
        return;
    }
    const int mode = active->transaction().editMode();
    PlanMapState& map = active->noiseMap();
    const MapMenuState menu = map.Menu(mode);
    // While a calculation runs the base layer keeps its pixels: a map switched off would stay.
    const bool drawable = mode != kCalculationMode;
    a.showMap->setEnabled(menu.mapEnabled && drawable);
    a.showMap->setChecked(menu.mapChecked);
    a.isoLines->setEnabled(menu.isoLinesEnabled && drawable);
    a.isoLines->setChecked(menu.isoLinesChecked);
    a.legend->setEnabled(menu.legendEnabled && drawable);
    a.legend->setChecked(menu.legendChecked);
    a.laeq->setEnabled(menu.laeqEnabled && drawable);
    a.laeq->setChecked(menu.laeqChecked);
    a.lamax->setEnabled(menu.lamaxEnabled && drawable);
    a.lamax->setChecked(menu.lamaxChecked);
    a.openResultFile->setEnabled(menu.openResultFileEnabled);
    a.differenceMap->setEnabled(menu.openResultFileEnabled);
    a.section->setEnabled(menu.sectionEnabled);
    a.savePicture->setEnabled(map.Shown() && drawable && active->activeView() != nullptr);
    a.settings->setEnabled(mode == kIdleMode);
    outOfDate_->setVisible(active->mapOutOfDate());
}

void MapController::MapChanged(KelmoraDocument& document) {
    document.RecheckMap();
    document.UpdateViews(5);
    if (SectionWindow* section = sectionWindow(document)) section->Reload();
    Refresh();
}

void MapController::RunFinished(int result) {
    auto* document = qobject_cast<KelmoraDocument*>(sender());
    if (document != nullptr && result == kJobNormalEnd) TakeRunResults(*document, false);
}

void MapController::ResultsUpdated() {
    auto* document = qobject_cast<KelmoraDocument*>(sender());
    // A result file opened onto the plan since the run stays.
    if (document != nullptr && document->noiseMap().FromRun()) TakeRunResults(*document, true);
}

void MapController::TakeRunResults(KelmoraDocument& document, bool again) {
    const CNoise& model = document.transaction().model();
    if (!IsGridMode(model.calcInfo.mode)) return;
    try {
        document.noiseMap().TakeRunResults(model, again);
    } catch (const NoiseMapError& e) {
        Tell(QString::fromUtf8(kRunResultsUnusable) + QStringLiteral("\n") + QString::fromUtf8(e.what()));
        return;
    }
    MapChanged(document);
    if (!again && document.noiseMap().IsSection()) OpenSection(document);
}

std::optional<LevelGrid> MapController::ChooseResults(KelmoraDocument& document, const QString& title,
                                                      MapQuantity& quantity, std::string* name) {
    const std::optional<std::string> path =
        questions_.ChooseFileToOpen(&window_, title, QtFileFilter(kResultFileDialogFilter));
    if (!path) return std::nullopt;
    if (name != nullptr) *name = QFileInfo(QString::fromStdString(*path)).fileName().toStdString();
    try {
        return ReadResultFile(*path, document.transaction().model().calcInfo, &quantity);
    } catch (const NoiseMapError& e) {
        QString text =
            QString::fromUtf8(kResultFileUnusable) + QStringLiteral("\n") + QString::fromUtf8(e.what());
        if (!text.contains(QString::fromStdString(*path)))
            text += QStringLiteral("\n") + QString::fromStdString(*path);
        Tell(text);
    }
    return std::nullopt;
}

void MapController::OpenResultFile() {
    KelmoraDocument* document = Active();
    if (document == nullptr ||
        !document->noiseMap().Menu(document->transaction().editMode()).openResultFileEnabled)
        return;
    MapQuantity quantity = MapQuantity::Unknown;
    std::optional<LevelGrid> grid =
        ChooseResults(*document, QString::fromUtf8(kResultFileDialogTitle), quantity);
    if (!grid) return;
    document->noiseMap().TakeResultFile(std::move(*grid), quantity, document->transaction().model());
    MapChanged(*document);
    if (document->noiseMap().IsSection()) OpenSection(*document);
}

void MapController::OpenDifferenceMap() {
    KelmoraDocument* document = Active();
    if (document == nullptr ||
        !document->noiseMap().Menu(document->transaction().editMode()).openResultFileEnabled)
        return;
    MapQuantity first = MapQuantity::Unknown;
    std::string nameA;
    std::optional<LevelGrid> a =
        ChooseResults(*document, QString::fromUtf8(kDifferenceFirstTitle), first, &nameA);
    if (!a) return;
    MapQuantity second = MapQuantity::Unknown;
    std::string nameB;
    std::optional<LevelGrid> b =
        ChooseResults(*document, QString::fromUtf8(kDifferenceSecondTitle), second, &nameB);
    if (!b) return;
    if (first != MapQuantity::Unknown && second != MapQuantity::Unknown && first != second) {
        Tell(QString::fromUtf8(kDifferenceQuantitiesDiffer));
        return;
    }
    try {
        document->noiseMap().TakeDifference(*a, nameA, *b, nameB,
                                            first != MapQuantity::Unknown ? first : second,
                                            document->transaction().model());
    } catch (const NoiseMapError& e) {
        Tell(QString::fromUtf8(e.what()));
        return;
    }
    MapChanged(*document);
    if (document->noiseMap().IsSection()) OpenSection(*document);
}

void MapController::ShowSection() {
    if (KelmoraDocument* document = Active(); document != nullptr && document->noiseMap().IsSection())
        OpenSection(*document);
}

void MapController::OpenSection(KelmoraDocument& document) {
    SectionWindow* window = sectionWindow(document);
    if (window == nullptr) {
        std::erase_if(sections_, [](const QPointer<SectionWindow>& w) { return w.isNull(); });
        window = new SectionWindow(document, questions_, &window_);
        connect(window, &SectionWindow::levelChosen, this, &MapController::Refresh);
        sections_.emplace_back(window);
    } else {
        window->Reload();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void MapController::SavePicture() {
    KelmoraDocument* document = Active();
    if (document == nullptr || !document->noiseMap().Shown()) return;
    PlanView* view = document->activeView();
    if (view == nullptr) return;
    PlanMapState& state = document->noiseMap();
    const CNoise& model = document->transaction().model();
    const NoiseMap* map = state.Map();
    // The plan as the window shows it, with its display transform and labels.
    const CKelmoraViewData shown = view->shownViewData();
    PlanMapInputs in{model,
                     shown,
                     view->hasPicture(),
                     ShownPlanSize(*view),
                     state.Menu(kIdleMode).isoLinesChecked,
                     document->mapOutOfDate() ? std::string(kMapOutOfDate) : std::string()};
    in.labels = view->labels();
    in.isoLineLabels = state.Settings().isoLineLabels;
    in.gridCrosses = state.GridCrossesShown();
    if (const ShownPaths* paths = document->shownPaths()) {
        in.pointPaths = &paths->found;
        in.selectedPath = paths->selected;
    }
    const std::string title =
        map->legend.heading + (map->legend.subheading.empty() ? "" : " " + map->legend.subheading);
    SaveMapPicture(&window_, questions_, QString::fromUtf8(kSaveMapPictureTitle), QStringLiteral("map.png"),
                   PlanMapDrawing(*map, in), title, view->picture(),
                   GisSource{*map, SiteGisOptions(document->extras().coordinates)});
}

void MapController::OpenSettings() {
    KelmoraDocument* document = Active();
    if (document == nullptr) return;
    EditTransaction& tx = document->transaction();
    if (tx.editMode() != kIdleMode) {
        Tell(QString::fromUtf8(kMapSettingsRefused));
        return;
    }
    const MapSettings now = tx.extras().map.value_or(MapSettings{});
    auto* dialog = new MapSettingsDialog(now, questions_, &window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    settingsDialog_ = dialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog, document = QPointer<KelmoraDocument>(document)] {
        if (document.isNull()) return;
        const MapSettings chosen = dialog->settings();
        EditTransaction& t = document->transaction();
        if (t.extras().map.value_or(MapSettings{}) == chosen) return;  // nothing changed
        ProjectExtras extras = t.extras();
        extras.map = chosen;
        const ChainStep step = t.CommitChange(std::string(kMapSettingsChange), t.model(), std::move(extras));
        if (step.Empty()) {
            Tell(QString::fromUtf8(kMapSettingsRefused));
            return;
        }
        document->Apply(step);
        MapChanged(*document);
    });
    dialog->open();
}

void MapController::Tell(const QString& text) {
    questions_.Tell(&window_, QString::fromUtf8(kResultFileMessageCaption), text, QMessageBox::Warning);
}

}  // namespace kelmora
