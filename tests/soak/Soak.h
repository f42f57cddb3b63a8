#pragma once
// The soak of the desktop program: from a seed, a long random sequence of what a user does with the
// real main window and its dialogs — lists and editors at every level, values good and bad, OK, 適用,
// キャンセル, All OK, All Cancel, Esc and the close box, clicks, drags and the wheel on the plan while
// editors are open, more windows and closed windows, small predictions run and cancelled, undo and
// redo, saves, reopened files and restored backups — with the program's invariants checked after every
// step. A failure names the seed and the step; `--steps N` replays a seed up to step N.
//
// Steps run from the top of the program (level 0, between turns of the event loop) and, while a step
// is held in a modal dialog's own event loop (a message box, the band editor, a menu), from a timer
// inside that loop (level 1, 2, ...): the soak answers whatever the program shows, or acts on anything
// else a user or a screen reader could reach meanwhile. Each step draws its random numbers from the
// seed and its own number only, so a replay takes the same choices as long as the program answers the
// same way.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "soak/SoakQuestions.h"

class QDialog;
class QFileDialog;
class QMenu;
class QMessageBox;

namespace kelmora {
class ChainListDialog;
class EditorDialog;
class PlanView;
}  // namespace kelmora

namespace kelmora::soak {

struct SoakOptions {
    std::uint64_t seed = 1;
    std::int64_t steps = -1;  // stop after this step (a replay); −1: run for `seconds`
    double seconds = 60.0;
    bool verbose = false;             // print every step as it is taken
    std::filesystem::path work;       // scratch folder (made empty)
    std::filesystem::path example;    // the bundled example project
    std::filesystem::path sourceDir;  // the source tree (sample files)
    // Action names the soak leaves out (a fault being fixed elsewhere), comma separated in --skip.
    std::set<std::string> skip;
};

// What the soak sees of the program before a step.
struct Scene {
    int level = 0;                        // 0 at the top; n inside the n-th nested event loop
    QMenu* popup = nullptr;               // an open context menu
    QWidget* modal = nullptr;             // the active modal window
    QMessageBox* box = nullptr;           // … when it is a message box
    QFileDialog* fileDialog = nullptr;    // … a file dialog
    ChainListDialog* list = nullptr;      // … a list of an editing chain
    EditorDialog* modalEditor = nullptr;  // … the building editor
    QDialog* otherModal = nullptr;        // … any other modal dialog (band editor, offsets, ...)
    std::vector<QDialog*> modeless;       // visible modeless dialogs (editors, prediction, size, progress)
    std::vector<QWidget*> windows;        // every visible top-level window
    KelmoraDocument* active = nullptr;
    std::vector<KelmoraDocument*> documents;
    std::vector<PlanView*> views;  // visible plan views
    // Windows that run a nested event loop while they are up: context menus and modal dialogs other
    // than the editing chain's own (message boxes, file dialogs, the band editor, the offsets, ...).
    int loopWindows = 0;

    bool free() const { return modal == nullptr && popup == nullptr; }
};

class Soak;

// One row of the action table: a name, a weight, when it applies and what it does. Soak.cpp holds the
// table (Actions()); a new dialog gets its rows there.
struct Action {
    const char* name;
    int weight;
    bool topOnly;  // only between turns of the event loop (level 0), never inside a nested loop
    bool (*applies)(Soak&, const Scene&);
    void (*run)(Soak&, const Scene&);
};
const std::vector<Action>& Actions();

class Soak : public QObject {
    Q_OBJECT

public:
    explicit Soak(SoakOptions options);
    ~Soak() override;

    // Runs to the end (steps or time); returns the exit status (0: no finding).
    int Run();

    // ---- For the actions ----
    std::mt19937_64& rng() { return rng_; }
    int Uniform(int low, int high);  // low..high inclusive
    double UniformReal(double low, double high);
    bool Chance(double p);
    template <typename T>
    T& Pick(std::vector<T>& items) {
        return items[static_cast<std::size_t>(Uniform(0, static_cast<int>(items.size()) - 1))];
    }

    MainWindow* window() { return window_.get(); }
    SoakQuestions& questions() { return *questions_; }
    const SoakOptions& options() const { return options_; }
    const std::filesystem::path& work() const { return options_.work; }
    // A line of what the step did (kept for the failure report, printed with --verbose).
    void Note(const std::string& text);
    // Ends the run with a finding.
    [[noreturn]] void Fail(const std::string& what);

    // Lets the program carry out what the step started: the event loop turns until the windows and
    // edit modes stay the same for a few turns (at least `minMs`).
    void Settle(int minMs = 0);
    // The soak's own windows closed and opened again as at a new start of the program, its session
    // restored. Only at level 0.
    void RestartWindow();
    // The undo history of a document taken back to its start and made again, checked both ways.
    void CheckUndoToStart(KelmoraDocument& document);
    // A pause for a press that lands later (a screen reader's press is animated).
    void ExpectLateEvents(int ms);

    std::int64_t step() const { return step_; }

private:
    void Tick();
    void Step(int level);
    Scene Observe(int level) const;
    const Action* Choose(const Scene& scene);
    void CheckAfterStep(int level);
    void TrackDocuments();
    void CreateWindow();
    std::string Signature() const;
    void InstallFailureReports();

    SoakOptions options_;
    AppContext context_;
    std::unique_ptr<SoakQuestions> questions_;
    std::unique_ptr<MainWindow> window_;
    std::mt19937_64 rng_;
    std::int64_t step_ = 0;
    std::set<int> busyLevels_;
    // Since when each nested level has had fewer windows up than loops running (see Step).
    std::map<int, std::chrono::steady_clock::time_point> fewerWindowsSince_;
    bool stopping_ = false;
    // Timers that run the steps of nested loops: a timer does not fire again while its own step runs,
    // so each level of nesting needs another.
    std::vector<std::unique_ptr<QTimer>> tickers_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lateUntil_;
    std::deque<std::string> recent_;
    std::map<std::string, std::int64_t> counts_;
    std::map<std::string, double> seconds_;  // spent per action (with its settling and checks)

    // What each document started from (its contents when it was loaded), for the undo check.
    struct DocumentStart {
        QPointer<KelmoraDocument> document;
        std::string dump;
        ProjectExtras extras;
    };
    std::vector<DocumentStart> starts_;
};

}  // namespace kelmora::soak
