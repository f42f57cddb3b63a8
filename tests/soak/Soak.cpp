#include "soak/Soak.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QImage>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/KelmoraDocument.h"
#include "app/PlanView.h"
#include "dialogs/ChainListDialog.h"
#include "dialogs/EditorDialog.h"
#include "editing/EditLevels.h"
#include "model/persistence/ProjectJson.h"
#include "soak/SoakChecks.h"

#if defined(__SANITIZE_ADDRESS__)
#define KELMORA_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELMORA_SOAK_ASAN 1
#endif
#endif
#ifdef KELMORA_SOAK_ASAN
#include <sanitizer/common_interface_defs.h>
#endif

namespace kelmora::soak {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// What a report written from a signal, a sanitizer or another thread can name.
std::atomic<std::int64_t> g_step{0};
std::uint64_t g_seed = 0;
std::atomic<long long> g_progressMs{0};
Soak* g_soak = nullptr;

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

void WriteReport(const char* what) {
    char text[256];
    const int n =
        std::snprintf(text, sizeof text, "\nSOAK FAILURE: seed %llu, step %lld: %s\n",
                      static_cast<unsigned long long>(g_seed), static_cast<long long>(g_step.load()), what);
    if (n > 0) [[maybe_unused]]
        auto written = ::write(2, text, static_cast<std::size_t>(std::min(n, 255)));
}

void OnSanitizerDeath() {
    WriteReport("sanitizer report above");
}

void OnSignal(int signal) {
    WriteReport(signal == SIGSEGV ? "SIGSEGV" : signal == SIGABRT ? "SIGABRT" : "fatal signal");
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Qt messages that say nothing about the program: the offscreen platform's limits.
bool Benign(const QString& message) {
    static const char* const kBenign[] = {
        "This plugin does not support", "QFont::", "Fontconfig", "propagateSizeHints", "XDG_RUNTIME_DIR",
    };
    for (const char* text : kBenign)
        if (message.contains(QString::fromUtf8(text))) return true;
    return false;
}

void OnQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    const std::string text = message.toStdString();
    if (type == QtDebugMsg || type == QtInfoMsg || Benign(message)) return;
    std::fprintf(stderr, "Qt: %s\n", text.c_str());
    if (g_soak != nullptr && QThread::currentThread() == qApp->thread()) g_soak->Fail("Qt warning: " + text);
    WriteReport(("Qt warning from another thread: " + text).c_str());
    std::_Exit(1);
}

std::uint64_t Mix(std::uint64_t x) {
    // splitmix64
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Drawings for the import: a small site in metres (buildings, a ground line, a barrier, sources and
// points on layers of their own), the same in millimetres, and a drawing cut short.
void WriteSampleDrawings(const fs::path& folder) {
    const auto drawing = [](double scale) {
        std::string d = "0\nSECTION\n2\nHEADER\n9\n$INSUNITS\n70\n" + std::string(scale == 1 ? "6" : "4") +
                        "\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
        int handle = 0x100;
        const auto entity = [&](const char* type, const char* layer) {
            char h[16];
            std::snprintf(h, sizeof h, "%X", handle++);
            d += std::string("0\n") + type + "\n5\n" + h + "\n8\n" + layer + "\n";
        };
        const auto number = [&](int code, double value) {
            char text[64];
            std::snprintf(text, sizeof text, "%d\n%.6f\n", code, value * scale);
            d += text;
        };
        const auto polyline = [&](const char* layer, std::initializer_list<std::pair<double, double>> points,
                                  bool closed, double height) {
            entity("LWPOLYLINE", layer);
            if (height > 0) number(39, height);
            d += "90\n" + std::to_string(points.size()) + "\n70\n" + (closed ? "1" : "0") + "\n";
            for (const auto& [x, y] : points) {
                number(10, x);
                number(20, y);
            }
        };
        polyline("BUILDING", {{10, 10}, {30, 10}, {30, 25}, {10, 25}}, true, 8);
        polyline("BUILDING", {{40, 5}, {55, 5}, {55, 20}, {40, 20}}, true, 5);
        polyline("GROUND", {{-10, -5}, {80, -5}, {80, 40}}, false, 0);
        polyline("WALL", {{0, 35}, {60, 35}}, false, 3);
        for (const auto& [x, y] : {std::pair{20.0, 30.0}, std::pair{50.0, 28.0}}) {
            entity("POINT", "SOURCE");
            number(10, x);
            number(20, y);
            number(30, 1.5);
        }
        entity("POINT", "RECEIVER");
        number(10, 70);
        number(20, 30);
        number(30, 1.2);
        return d + "0\nENDSEC\n0\nEOF\n";
    };
    WriteBytes(folder / "site.dxf", drawing(1));
    WriteBytes(folder / "site-mm.dxf", drawing(1000));
    const std::string whole = drawing(1);
    WriteBytes(folder / "broken.dxf", whole.substr(0, whole.size() / 3));
}

// The window in the main window's area that shows a plan (the plan stands in a pane beside its legend).
QMdiSubWindow* FrameOf(QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget())
        if (auto* frame = qobject_cast<QMdiSubWindow*>(widget)) return frame;
    return nullptr;
}

}  // namespace

Soak::Soak(SoakOptions options) : options_(std::move(options)) {
    g_seed = options_.seed;
    g_soak = this;
    InstallFailureReports();
    fs::remove_all(options_.work);
    fs::create_directories(options_.work / "Data");
    questions_ = std::make_unique<SoakQuestions>(
        options_.work, [this]() -> std::mt19937_64& { return rng_; },
        [this](const std::string& s) { Note(s); });

    // The files the open dialogs choose among.
    const fs::path& w = options_.work;
    QImage picture(240, 160, QImage::Format_RGB32);
    picture.fill(QColor(200, 220, 240));
    picture.save(QString::fromStdString((w / "site.png").string()));
    picture.save(QString::fromStdString((w / "site.jpg").string()));
    WriteBytes(w / "broken.png", "\x89PNG\r\n\x1a\n not really");
    WriteBytes(w / "empty.jpg", "");
    questions_->pictures = {w / "site.png", w / "site.jpg", w / "broken.png", w / "empty.jpg"};
    ::mkfifo((w / "fifo").c_str(), 0600);
    for (const char* name : {"two-spectra.csv", "quoted-titles.csv", "damaged.csv"})
        fs::copy_file(options_.sourceDir / "fuzz" / "band-library-seeds" / name, w / name);

    std::ifstream json(options_.example, std::ios::binary);
    std::stringstream text;
    text << json.rdbuf();
    const ProjectDocument example = ParseProjectJson(text.str());
    SaveProjectFile(w / "example.kel", example);
    const std::vector<std::uint8_t> bytes = WriteProject(example);
    WriteBytes(w / "truncated.kel",
               std::string(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2)));
    WriteBytes(w / "garbage.kel", "not a project at all\n");
    questions_->projects = {w / "example.kel", w / "truncated.kel", w / "garbage.kel"};
    WriteSampleDrawings(w);
    questions_->drawings = {w / "site.dxf", w / "site-mm.dxf", w / "broken.dxf", w / "garbage.kel",
                            w / "site.png"};
    for (int n = 0; n < 3; ++n)
        questions_->projects.push_back(w / ("saved-" + std::to_string(n) + ".kel"));
    questions_->results = {options_.sourceDir / "examples" / "factory-grid-laeq.txt", w / "garbage.kel"};
    for (int n = 0; n < 3; ++n) {
        questions_->results.push_back(w / ("laeq-" + std::to_string(n) + ".txt"));
        questions_->results.push_back(w / ("lamax-" + std::to_string(n) + ".txt"));
    }

    context_.programFolder = w;
    context_.dataFolder = w / "Data";
    context_.questions = questions_.get();
    context_.runSettings.threads = 1;
    RegisterChainDialogs(context_.registry);

    for (int i = 0; i < 8; ++i) {
        tickers_.push_back(std::make_unique<QTimer>());
        connect(tickers_.back().get(), &QTimer::timeout, this, &Soak::Tick);
    }
}

Soak::~Soak() {
    g_soak = nullptr;
}

void Soak::InstallFailureReports() {
    qInstallMessageHandler(OnQtMessage);
#ifdef KELMORA_SOAK_ASAN
    __sanitizer_set_death_callback(OnSanitizerDeath);
#else
    (void)OnSanitizerDeath;
    std::signal(SIGSEGV, OnSignal);
    std::signal(SIGABRT, OnSignal);
#endif
    std::signal(SIGFPE, OnSignal);
    // A step that never returns (a dead lock, a loop) is a finding too.
    g_progressMs = NowMs();
    std::thread([] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(5));
            if (NowMs() - g_progressMs.load() > 180000) {
                // Where every thread waits, for the log, when a debugger is at hand.
                if (std::system("command -v gdb >/dev/null 2>&1") == 0) {
                    const std::string stacks = "gdb -batch -p " + std::to_string(::getpid()) +
                                               " -ex 'thread apply all bt' 1>&2 2>/dev/null";
                    std::fprintf(stderr, "soak: the stacks of the waiting program:\n");
                    std::fflush(stderr);
                    [[maybe_unused]] const int shown = std::system(stacks.c_str());
                }
                WriteReport("no step for three minutes: the program hangs");
                std::_Exit(3);
            }
        }
    }).detach();
}

int Soak::Uniform(int low, int high) {
    if (high <= low) return low;
    return std::uniform_int_distribution<int>(low, high)(rng_);
}

double Soak::UniformReal(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng_);
}

bool Soak::Chance(double p) {
    return UniformReal(0.0, 1.0) < p;
}

void Soak::Note(const std::string& text) {
    if (options_.verbose) std::fprintf(stderr, "%s\n", text.c_str());
    recent_.push_back(text);
    while (recent_.size() > 400)
        recent_.pop_front();
}

void Soak::Fail(const std::string& what) {
    std::fprintf(stderr, "\n---- the last steps ----\n");
    for (const std::string& line : recent_)
        std::fprintf(stderr, "%s\n", line.c_str());
    std::fprintf(stderr, "\nSOAK FAILURE: seed %llu, step %lld: %s\n",
                 static_cast<unsigned long long>(options_.seed), static_cast<long long>(step_), what.c_str());
    std::fprintf(stderr, "replay: kelmora-soak --seed %llu --steps %lld --verbose\n",
                 static_cast<unsigned long long>(options_.seed), static_cast<long long>(step_));
    std::fflush(stderr);
    std::_Exit(1);
}

void Soak::ExpectLateEvents(int ms) {
    lateUntil_ = std::max(lateUntil_, Clock::now() + std::chrono::milliseconds(ms));
}

void Soak::CreateWindow() {
    window_ = std::make_unique<MainWindow>(context_);
    window_->show();
}

int Soak::Run() {
    QApplication::setQuitOnLastWindowClosed(false);
    start_ = Clock::now();
    CreateWindow();
    window_->RestoreSession();
    window_->documents().Open(QString::fromStdString((options_.work / "example.kel").string()));
    Settle();
    TrackDocuments();
    for (auto& ticker : tickers_)
        ticker->start(2);
    while (!stopping_)
        Step(0);
    for (auto& ticker : tickers_)
        ticker->stop();
    // The end: every document's history taken back and made again, then the program closed.
    Settle();
    if (window_) {
        for (KelmoraDocument* document : window_->documents().documents())
            if (document->transaction().CommandsEnabled()) CheckUndoToStart(*document);
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::fprintf(stderr, "soak: seed %llu, %lld steps in %.0f s (%.0f s of CPU), no finding\n",
                 static_cast<unsigned long long>(options_.seed), static_cast<long long>(step_),
                 std::chrono::duration<double>(Clock::now() - start_).count(), cpu);
    for (const auto& [name, count] : counts_)
        std::fprintf(stderr, "  %-28s %7lld %8.1f s\n", name.c_str(), static_cast<long long>(count),
                     seconds_[name]);
    for (const char* part : {"(actions)", "(settling)", "(checks)"})
        std::fprintf(stderr, "  %-28s %7s %8.1f s\n", part, "", seconds_[part]);
    return 0;
}

void Soak::Tick() {
    // Only inside a nested event loop that a step is held in; the top-level loop is Run's.
    const int level = QThread::currentThread()->loopLevel();
    // The loops above this one have returned.
    fewerWindowsSince_.erase(fewerWindowsSince_.upper_bound(level), fewerWindowsSince_.end());
    if (level == 0 || busyLevels_.count(level) != 0) return;
    Step(level);
}

Scene Soak::Observe(int level) const {
    Scene scene;
    scene.level = level;
    scene.popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    scene.modal = QApplication::activeModalWidget();
    if (scene.modal != nullptr && !scene.modal->isVisible()) scene.modal = nullptr;
    if (scene.modal != nullptr) {
        scene.box = qobject_cast<QMessageBox*>(scene.modal);
        scene.fileDialog = qobject_cast<QFileDialog*>(scene.modal);
        scene.list = qobject_cast<ChainListDialog*>(scene.modal);
        scene.modalEditor = qobject_cast<EditorDialog*>(scene.modal);
        if (!scene.box && !scene.fileDialog && !scene.list && !scene.modalEditor)
            scene.otherModal = qobject_cast<QDialog*>(scene.modal);
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible()) continue;
        scene.windows.push_back(widget);
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog != nullptr && dialog != scene.modal && dialog->windowModality() == Qt::NonModal)
            scene.modeless.push_back(dialog);
        if ((dialog != nullptr && dialog->windowModality() != Qt::NonModal &&
             qobject_cast<ChainDialog*>(dialog) == nullptr) ||
            (qobject_cast<QMenu*>(widget) != nullptr && widget->windowType() == Qt::Popup))
            ++scene.loopWindows;
    }
    if (window_) {
        scene.documents = window_->documents().documents();
        scene.active = window_->documents().activeDocument();
        for (KelmoraDocument* document : scene.documents)
            for (PlanView* view : document->views())
                if (view->isVisible()) scene.views.push_back(view);
    }
    return scene;
}

const Action* Soak::Choose(const Scene& scene) {
    std::vector<const Action*> candidates;
    int total = 0;
    for (const Action& action : Actions()) {
        if (action.weight <= 0 || options_.skip.count(action.name) != 0) continue;
        if (scene.level > 0 && action.topOnly) continue;
        if (!action.applies(*this, scene)) continue;
        candidates.push_back(&action);
        total += action.weight;
    }
    if (candidates.empty()) return nullptr;
    int roll = Uniform(0, total - 1);
    for (const Action* action : candidates) {
        if (roll < action->weight) return action;
        roll -= action->weight;
    }
    return candidates.back();
}

void Soak::Step(int level) {
    if (stopping_ && level == 0) return;
    Scene scene = Observe(level);
    // Inside a nested loop only while as many windows that run one are up: with fewer, the window of
    // this loop has usually just closed and the loop is about to return, before a person could do
    // anything more. A chain's own dialogs may stand above it meanwhile (a cancelled editor's list
    // comes back over the offset dialog of a click), and are used there as anywhere. When it is the
    // window of a loop beneath that closed (a menu, closed by the dialog a screen reader opened from
    // it), this loop stays: after a second with fewer windows, its level is used like any other.
    if (level > 0 && scene.free()) return;
    if (level > 0 && scene.loopWindows < level) {
        const auto since = fewerWindowsSince_.try_emplace(level, Clock::now()).first->second;
        if (Clock::now() - since < std::chrono::seconds(1)) return;
    } else {
        fewerWindowsSince_.erase(level);
    }
    busyLevels_.insert(level);
    ++step_;
    g_step = step_;
    g_progressMs = NowMs();
    rng_.seed(Mix(options_.seed ^ Mix(static_cast<std::uint64_t>(step_))));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    if ((options_.steps >= 0 && step_ > options_.steps) || (options_.steps < 0 && elapsed > options_.seconds))
        stopping_ = true;

    if (stopping_) {
        // Unwind: close whatever holds a nested loop, so that the run ends at the top.
        if (level > 0) {
            Note(std::to_string(step_) + " [" + std::to_string(level) + "] unwind");
            if (scene.popup != nullptr) {
                scene.popup->close();
            } else if (auto* dialog = qobject_cast<QDialog*>(scene.modal)) {
                dialog->reject();
            } else if (scene.modal != nullptr) {
                scene.modal->close();
            }
        }
        --step_;
        busyLevels_.erase(level);
        return;
    }

    const Action* action = Choose(scene);
    if (action == nullptr) {
        Note(std::to_string(step_) + " [" + std::to_string(level) + "] nothing to do");
        if (level == 0) Settle(5);
        busyLevels_.erase(level);
        return;
    }
    ++counts_[action->name];
    std::string state;
    for (KelmoraDocument* document : scene.documents)
        state +=
            " " + document->title().toStdString() + ":" + std::to_string(document->transaction().editMode());
    Note(std::to_string(step_) + " [" + std::to_string(level) + "] " + action->name + "   {" + state + " }");
    const Clock::time_point began = Clock::now();
    action->run(*this, scene);
    if (level == 0) {
        seconds_["(actions)"] += std::chrono::duration<double>(Clock::now() - began).count();
        const Clock::time_point settling = Clock::now();
        Settle();
        seconds_["(settling)"] += std::chrono::duration<double>(Clock::now() - settling).count();
        const Clock::time_point checking = Clock::now();
        CheckAfterStep(level);
        seconds_["(checks)"] += std::chrono::duration<double>(Clock::now() - checking).count();
        seconds_[action->name] += std::chrono::duration<double>(Clock::now() - began).count();
    }
    busyLevels_.erase(level);
}

std::string Soak::Signature() const {
    std::string s;
    const auto ptr = [](const void* p) { return std::to_string(reinterpret_cast<std::uintptr_t>(p)); };
    s += ptr(QApplication::activeModalWidget()) + "|" + ptr(QApplication::activePopupWidget()) + "|";
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible()) s += ptr(widget) + ",";
    if (window_) {
        for (KelmoraDocument* document : window_->documents().documents()) {
            const EditTransaction& tx = document->transaction();
            s += "|" + std::to_string(tx.editMode()) + ":" + std::to_string(tx.cascade()) + ":" +
                 ptr(document->openDialog()) + ":" + (document->calculating() ? "c" : "-");
        }
    }
    return s;
}

void Soak::Settle(int minMs) {
    const Clock::time_point until = std::max(Clock::now() + std::chrono::milliseconds(minMs), lateUntil_);
    std::string last;
    int stable = 0;
    for (int round = 0; round < 2000; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (QThread::currentThread()->loopLevel() == 0)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const std::string s = Signature();
        if (s == last && Clock::now() >= until) {
            if (++stable >= 3) return;
        } else {
            stable = 0;
        }
        last = s;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

void Soak::TrackDocuments() {
    std::vector<KelmoraDocument*> documents;
    if (window_) documents = window_->documents().documents();
    std::erase_if(starts_, [&](const DocumentStart& s) {
        return s.document.isNull() ||
               std::find(documents.begin(), documents.end(), s.document.data()) == documents.end();
    });
    for (KelmoraDocument* document : documents) {
        const bool known = std::any_of(starts_.begin(), starts_.end(), [document](const DocumentStart& s) {
            return s.document.data() == document;
        });
        if (known) continue;
        starts_.push_back({document, ModelDump(document->transaction().model()), document->extras()});
    }
}

void Soak::CheckAfterStep(int level) {
    if (level != 0 || !window_) return;
    TrackDocuments();
    const Scene scene = Observe(0);
    for (KelmoraDocument* document : scene.documents) {
        const EditTransaction& tx = document->transaction();
        const std::string name = document->title().toStdString();
        if (document->calculating()) continue;
        if (document->openDialog() == nullptr && tx.editMode() != kIdleMode)
            Fail(name + ": no dialog open, but edit mode " + std::to_string(tx.editMode()));
        if (tx.editMode() == kIdleMode && tx.cascade() != 0)
            Fail(name + ": a cascade flag is left behind after the chain ended");
        // A cascade pauses at an editor that refuses its OK and goes on when that editor closes; a list
        // never refuses, so a list waiting with the cascade armed has failed to press its button.
        if (tx.cascade() != 0 && scene.free() && !IsEditorMode(tx.editMode()))
            Fail(name +
                 ": an All OK / All Cancel cascade stopped at a dialog that does not press (edit mode " +
                 std::to_string(tx.editMode()) + ")");
        // Through the files now and then (they are written the safe way, which takes its time).
        const bool files = step_ % 50 == 0;
        if (auto issue = RoundTripIssue(*document, files ? options_.work / "roundtrip.kel" : fs::path()))
            Fail(name + ": " + *issue);
        if (auto issue = ModelIssue(tx.model())) Fail(name + ": the model fails its own checks: " + *issue);
        for (PlanView* view : document->views())
            if (QWidget* frame = view->window() == window_.get() ? FrameOf(view) : nullptr;
                frame != nullptr && frame->isWindowModified() != tx.modified())
                Fail(name + ": a window's title shows the document " +
                     (tx.modified() ? "unmodified" : "modified") + " when it is not");
        if (tx.editMode() >= kGroundLineListMode)
            if (auto issue = WorkingCopyIssue(tx.workingCopy(), tx.edit()))
                Fail(name + ": an item outside the open editors fails its checks: " + *issue);
    }
    if (scene.active != nullptr && scene.free()) {
        const EditTransaction& tx = scene.active->transaction();
        const CommandActions& a = window_->actions();
        const bool idle = tx.editMode() == kIdleMode;
        for (QAction* command : {a.groundLines, a.buildings, a.outdoorSources, a.prediction, a.sizeChange})
            if (command->isEnabled() != idle)
                Fail("the command '" + command->text().toStdString() + "' is " +
                     (command->isEnabled() ? "enabled" : "disabled") + " in edit mode " +
                     std::to_string(tx.editMode()));
        if (a.undo->isEnabled() != tx.CanUndo() || a.redo->isEnabled() != tx.CanRedo())
            Fail("undo or redo enabled other than the document's history allows");
    }
    if (scene.free() && window_->isVisible()) {
        bool anyOpen = false;
        for (KelmoraDocument* document : scene.documents)
            anyOpen = anyOpen || !document->transaction().CanClose();
        if (anyOpen != window_->EditInProgress()) Fail("the main window's edit-in-progress state is wrong");
    }
}

void Soak::CheckUndoToStart(KelmoraDocument& document) {
    EditTransaction& tx = document.transaction();
    if (!tx.CommandsEnabled()) return;
    TrackDocuments();
    const auto start = std::find_if(starts_.begin(), starts_.end(),
                                    [&](const DocumentStart& s) { return s.document.data() == &document; });
    const std::string now = ModelDump(tx.model());
    const ProjectExtras extras = tx.extras();
    const bool modified = tx.modified();
    const std::string path = tx.path();
    int undone = 0;
    while (tx.CanUndo()) {
        document.Undo();
        if (++undone > 100000) Fail("undo never reaches the start");
    }
    Settle();
    if (start != starts_.end() && tx.history().KeepsEveryStep()) {
        const std::string back = ModelDump(tx.model());
        if (back != start->dump)
            Fail("undo back to the start gives another model than the document started with");
        if (!(tx.extras() == start->extras)) Fail("undo back to the start gives other extras");
    }
    // Forward again to where the history stood (steps undone before the check stay undone).
    for (int redone = 0; redone < undone; ++redone) {
        if (!tx.CanRedo())
            Fail("undid " + std::to_string(undone) + " steps but can redo only " + std::to_string(redone));
        document.Redo();
    }
    Settle();
    if (ModelDump(tx.model()) != now) Fail("redo of every step gives another model than before the undo");
    if (!(tx.extras() == extras)) Fail("redo of every step gives other extras");
    if (tx.modified() != modified || tx.path() != path)
        Fail("redo of every step leaves another modified flag or path");
    Note("  undid and redid " + std::to_string(undone) + " steps");
}

void Soak::RestartWindow() {
    // What the session's backups must bring back: every document's model, extras and windows.
    struct Kept {
        std::string model;
        ProjectExtras extras;
        std::vector<CKelmoraViewData> views;
    };
    std::vector<Kept> kept;
    for (KelmoraDocument* document : window_->documents().documents()) {
        Kept k{ModelDump(document->transaction().model()), document->extras(), {}};
        for (PlanView* view : document->views())
            k.views.push_back(view->viewData());
        kept.push_back(std::move(k));
    }
    window_->close();
    Settle();
    if (window_->isVisible()) {
        Note("  the window stays open");
        return;
    }
    window_.reset();
    Settle();
    CreateWindow();
    window_->RestoreSession();
    Settle();
    TrackDocuments();
    const std::vector<KelmoraDocument*> restored = window_->documents().documents();
    if (restored.size() != kept.size())
        Fail("the session brought back " + std::to_string(restored.size()) + " documents of " +
             std::to_string(kept.size()));
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const KelmoraDocument& document = *restored[i];
        const std::string name = "restored document " + std::to_string(i + 1);
        if (ModelDump(document.transaction().model()) != kept[i].model) Fail(name + " has another model");
        ProjectExtras extras = document.extras();
        if (!(extras == kept[i].extras)) Fail(name + " has other extras");
        std::vector<CKelmoraViewData> views;
        for (PlanView* view : document.views())
            views.push_back(view->viewData());
        if (views != kept[i].views) Fail(name + " has other windows or other view data");
        if (!document.transaction().modified()) Fail(name + " does not count as modified");
    }
    Note("  restored " + std::to_string(restored.size()) + " documents");
}

}  // namespace kelmora::soak
