#pragma once
// KelmoraDocument: one open project — its edit transaction (model, working copy, editing chain), its
// plan windows, its title and file — and the host of its chain dialogs. It carries out the steps of
// the transaction: redraws its windows, opens the next dialog of a chain through the dialog registry
// from a queued call (on the document, never on a window that may have closed), and runs the
// calculation in the progress dialog.
//
// It keeps the transfers of its last run (RunTransfers): a committed edit of the sources' powers or
// time patterns re-predicts every point at once, without a run; the next run after any other edit
// traces only the source–point pairs the edit touched.
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CountedPredictionJob.h"
#include "app/RunTransfers.h"
#include "calc/PredictionRun.h"
#include "dialogs/ChainDialogRegistry.h"
#include "dialogs/ChainHost.h"
#include "dialogs/ProgressDialog.h"
#include "dialogs/UserQuestions.h"
#include "model/persistence/ProjectFile.h"
#include "view/noisemap/PlanMapState.h"

namespace kelmora {

class PlanView;

// What every document uses of the program.
struct DocumentServices {
    const ChainDialogRegistry* registry = nullptr;
    UserQuestions* questions = nullptr;
    QWidget* mainWindow = nullptr;
    PredictionRunSettings runSettings;
};

class KelmoraDocument : public QObject, public ChainHost {
    Q_OBJECT

public:
    KelmoraDocument(const DocumentServices& services, QObject* parent = nullptr);
    ~KelmoraDocument() override;

    // ---- Contents and file ----

    // New contents: the project read from `path` (empty for a new document) with its extras, shown as
    // `title`.
    void Load(ProjectDocument project, const std::string& path, const QString& title, bool modified,
              ProjectExtras extras = {});
    // The project as saving writes it: the model and one window record per open window, in window order,
    // each with the window's normal rectangle.
    ProjectDocument ToProject() const;
    // The windows (by their record's index in ToProject) that are maximised, for a backup.
    std::vector<std::int32_t> MaximizedWindows() const;
    // What saving writes into the extension file beside the project.
    const ProjectExtras& extras() const { return tx_.extras(); }
    QString title() const { return title_; }
    void SetTitle(const QString& title);
    // The window records of the project just loaded, taken by its windows as they are set up.
    std::vector<ViewRecord>& pendingViewRecords() { return pendingRecords_; }

    // ---- Windows ----

    // A plan window of the document gets an id of its own, never reused while the document is open:
    // the undo steps of a window's view data name their window by it.
    void AddView(PlanView* view);
    void RemoveView(PlanView* view);
    std::vector<PlanView*> views() const;
    // The id of one of its windows (0: not one of them), and the open window of an id (or null).
    int ViewId(const PlanView* view) const;
    PlanView* ViewById(int id) const;
    // The plan window last activated (set whenever one of its windows is activated); null when that
    // window has closed and no other has been activated since.
    PlanView* activeView() const;
    void SetActiveView(PlanView* view);

    // ---- Commands ----

    // A command of the edit menu on this document; nothing while a dialog of the document is open.
    void RunCommand(EditCommand command);
    // "元に戻す" and "やり直し": the last committed step taken back or the next one made again, carried
    // out like a commit (redraws, results, the map's check); nothing while a dialog is open.
    void Undo();
    void Redo();
    // The open chain dialog that clicks on the plan feed (modeless editors, the size dialog, the
    // prediction dialog), or null.
    ChainDialog* openDialog() const;
    // True while the progress dialog of a calculation is open.
    bool calculating() const { return progress_ != nullptr; }
    ProgressDialog* progressDialog() const { return progress_; }
    UserQuestions& questions() const { return *services_.questions; }
    // The noise map its plan windows show: from its last grid run or an opened result file.
    PlanMapState& noiseMap() { return map_; }
    const PlanMapState& noiseMap() const { return map_; }
    // Whether the model has been edited since the map's results, as last checked: after every step
    // that leaves no working copy (edits are committed by such steps) and by RecheckMap.
    bool mapOutOfDate() const { return mapOutOfDate_; }
    // Compares the model with the map's results again (a new map taken).
    void RecheckMap();
    // Gives the map the document's map settings and the model's buildings (after a load and after
    // every step that commits or restores a model).
    void SyncMapSettings();
    // The transfers of the last run that ended normally.
    const RunTransfers& runTransfers() const { return transfers_; }

    // ---- Import preview ----

    // The objects an import would add, drawn over the plan by every window until it ends (none: no
    // preview). The model is not touched.
    void SetImportPreview(const CNoise* additions);
    const CNoise* importPreview() const { return importPreview_ ? &*importPreview_ : nullptr; }

    // ---- ChainHost ----

    EditTransaction& transaction() override { return tx_; }
    const EditTransaction& transaction() const { return tx_; }
    void Apply(const ChainStep& step) override;
    void UpdateViews(int hint) override;
    CKelmoraViewData* activeViewData() override;
    int activeViewId() override { return ViewId(activeView()); }
    QWidget* dialogParent() override { return services_.mainWindow; }

signals:
    // The edit mode, the modified flag, the path or the title changed: titles and commands refresh.
    void stateChanged();
    // Every plan window has been brought up to date with a redraw hint (the map's legend panels follow).
    void viewsUpdated();
    // A calculation has ended and its progress dialog closed, with the job's end code.
    void calculationFinished(int result);
    // A committed edit of powers or time patterns has given every prediction point new results from
    // the transfers of the last run, as a run of the edited model would (no run, no progress dialog).
    void resultsUpdated();

private:
    void ResumeChain();
    void OpenDialog(const DialogRequest& request);
    // A dialog the program does not have yet: say so and take its Cancel path, so the chain unwinds.
    void OpenMissingDialog(const DialogRequest& request);
    void StartCalculation();
    // After a committed edit: the points' results from the last run's transfers when only powers or
    // time patterns changed (resultsUpdated), otherwise nothing.
    void UpdateResultsInstantly();
    void CalculationEnded(int result);
    // The screen point at the centre of the active plan window (or of the main window).
    ScreenPoint ActiveViewCentre() const;

    DocumentServices services_;
    EditTransaction tx_;
    QString title_;
    std::int32_t formatVersion_ = kCurrentFileVersion;
    std::vector<ViewRecord> pendingRecords_;
    struct ViewEntry {
        int id = 0;
        QPointer<PlanView> view;
    };
    std::vector<ViewEntry> views_;
    int lastViewId_ = 0;
    QPointer<PlanView> activeView_;
    QPointer<ChainDialog> dialog_;
    std::unique_ptr<CountedPredictionJob> job_;
    RunTransfers transfers_;
    QPointer<ProgressDialog> progress_;
    bool resumeQueued_ = false;
    PlanMapState map_;
    bool mapOutOfDate_ = false;
    std::optional<CNoise> importPreview_;
};

}  // namespace kelmora
