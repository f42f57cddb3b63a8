#pragma once
// The main window of the desktop program: the window area holding the plan windows, the menus and the
// toolbar (CommandActions), the status bar, files dropped on it, and the session: the settings file and
// the document backups written when it closes and read when the program starts. The noise maps on the
// plan windows have their own controller (MapController), and so have their printed pages
// (PrintController) and the fit, zoom and labels of the plan windows (PlanDisplayController). The
// status bar's first pane says "レディ" whenever it has nothing else to say.
#include <QMainWindow>
#include <filesystem>
#include <optional>

#include "app/CommandActions.h"
#include "app/DocumentManager.h"
#include "dialogs/ChainDialogRegistry.h"

class QMdiArea;
class QMdiSubWindow;

namespace kelmora {

class ImportController;
class MapController;
class PathsController;
class PlanDisplayController;
class PrintController;
class ResultsController;

// What the program is started with.
struct AppContext {
    std::filesystem::path programFolder;
    std::optional<std::filesystem::path> dataFolder;  // none: no settings, no backups
    UserQuestions* questions = nullptr;
    ChainDialogRegistry registry;
    PredictionRunSettings runSettings;
};

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(AppContext& context);
    ~MainWindow() override;

    DocumentManager& documents() { return *documents_; }
    QMdiArea& area() { return *area_; }
    const CommandActions& actions() const { return actions_; }
    MapController& maps() { return *maps_; }
    PlanDisplayController& displays() { return *displays_; }
    PrintController& printing() { return *printing_; }
    ImportController& imports() { return *imports_; }
    // The paths of a prediction point on the plan and in the window "伝搬経路".
    PathsController& paths() { return *paths_; }
    ResultsController& results() { return *results_; }

    // Start-up: reads the settings file of the data folder; when it counts, moves the window to its
    // stored place (kept on the screen) and reopens the backups it lists.
    void RestoreSession();
    // Writes the settings file and the backups (as the close does); false when the settings file could
    // not be written.
    bool WriteSession();
    // True while a document has a dialog open or a calculation running: the window does not close.
    bool EditInProgress() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Connect();
    void Refresh();
    void FillWindowMenu();
    void RunEditCommand(EditCommand command);
    void ShowAbout();

    AppContext& context_;
    QMdiArea* area_;
    DocumentServices services_;
    DocumentManager* documents_;
    CommandActions actions_;
    MapController* maps_;
    PlanDisplayController* displays_;
    PrintController* printing_;
    ImportController* imports_;
    PathsController* paths_;
    ResultsController* results_;
};

}  // namespace kelmora
