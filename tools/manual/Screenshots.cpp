// kelmora-screenshots: the pictures of the user manual, made by the desktop program itself. It runs the
// program's main window offscreen on the bundled example and works it as a user does — the menus, every
// list and editor of the editing chains, the band editor, the prediction dialog and a calculation with
// its progress dialog, the noise map of the example's grid results, the paths of a boundary point and the
// section of a vertical grid — and writes what each window shows as a PNG file (at twice the screen's
// resolution, with the window's title bar drawn above it). A dialog changed in the program shows changed
// in the next build's manual.
//
//   kelmora-screenshots OUTPUT_FOLDER PROJECT GRID_RESULTS
//
// It also writes OUTPUT_FOLDER/captions.txt, the title of every window it photographed, and
// OUTPUT_FOLDER/menus.txt, every menu item of the program, one a line.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "app/MapController.h"
#include "app/PathsController.h"
#include "app/PathsWindow.h"
#include "app/PlanView.h"
#include "app/ResultsController.h"
#include "app/SectionWindow.h"
#include "app/StartUp.h"
#include "dialogs/BandListDialog.h"
#include "dialogs/ChainListDialog.h"
#include "dialogs/ProgressDialog.h"
#include "dialogs/ResultsWindow.h"
#include "editing/EditorFields.h"
#include "editing/EditorKinds.h"
#include "editing/PredictionEditor.h"
#include "view/EditState.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora::manual {

namespace {

constexpr int kTitleBarHeight = 26;  // logical pixels of the title bar drawn above each window
constexpr double kScreenDpi = 96.0;

// ---- The user's side of the program's questions ----

// Files chosen by the dialog's title, questions answered by a part of their text; every message is
// kept (the manual's figures do not show the run's final message box).
class DriverQuestions : public UserQuestions {
public:
    std::map<QString, std::string> files;
    std::map<QString, QMessageBox::StandardButton> answers;
    QStringList told;

    std::optional<std::string> ChooseFileToOpen(QWidget*, const QString& title, const QString&) override {
        const auto it = files.find(title);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::string> ChooseFileToSave(QWidget*, const QString& title, const QString&,
                                                const QString&, const QString&) override {
        return ChooseFileToOpen(nullptr, title, {});
    }
    QMessageBox::StandardButton Ask(QWidget*, const QString&, const QString& text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::Icon) override {
        for (const auto& [key, button] : answers)
            if (text.contains(key)) return button;
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No;
    }
    void Tell(QWidget*, const QString&, const QString& text, QMessageBox::Icon) override { told << text; }
};

// ---- Waiting for the program ----

bool WaitUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents();
    return true;
}

[[noreturn]] void Fail(const QString& what) {
    std::fprintf(stderr, "kelmora-screenshots: %s\n", what.toUtf8().constData());
    std::exit(1);
}

// ---- Pictures ----

class Camera {
public:
    explicit Camera(const QString& folder) : folder_(folder) {}

    // The window with its title bar.
    void Shoot(const QString& name, QWidget& window) { Save(name, Compose(window, {})); }
    // The main window with the windows over it (dialogs, an open menu) where the screen has them.
    void ShootOver(const QString& name, QWidget& main, const std::vector<QWidget*>& over) {
        Save(name, Compose(main, over));
    }
    void WriteCaptions() const {
        QFile file(folder_ + QStringLiteral("/captions.txt"));
        if (!file.open(QIODevice::WriteOnly)) Fail(QStringLiteral("cannot write captions.txt"));
        file.write(captions_.join(QLatin1Char('\n')).toUtf8() + "\n");
    }
    int count() const { return count_; }

private:
    QImage Compose(QWidget& main, const std::vector<QWidget*>& over) {
        QCoreApplication::processEvents();
        const QPixmap base = main.grab();
        const qreal dpr = base.devicePixelRatio();
        const QPoint origin = main.geometry().topLeft();
        QRect bounds(0, -kTitleBarHeight, main.width(), main.height() + kTitleBarHeight);
        std::vector<std::pair<QPixmap, QRect>> layers;
        for (QWidget* w : over) {
            const QRect r(w->geometry().topLeft() - origin, w->size());
            const bool menu = qobject_cast<QMenu*>(w) != nullptr;
            layers.emplace_back(w->grab(), r);
            bounds = bounds.united(r.adjusted(0, menu ? 0 : -kTitleBarHeight, 0, 0));
            if (!menu) Remember(w->windowTitle());
        }
        Remember(main.windowTitle());
        QImage image((bounds.size() * dpr), QImage::Format_RGB32);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.translate(-bounds.topLeft());
        DrawWindow(painter, base, QRect(QPoint(0, 0), main.size()), main.windowTitle(), true);
        for (std::size_t i = 0; i < layers.size(); ++i) {
            QWidget* w = over[i];
            DrawWindow(painter, layers[i].first, layers[i].second, w->windowTitle(),
                       qobject_cast<QMenu*>(w) == nullptr);
        }
        painter.end();
        return image;
    }

    static void DrawWindow(QPainter& painter, const QPixmap& content, const QRect& at, const QString& title,
                           bool titleBar) {
        if (titleBar) {
            const QRect bar(at.left(), at.top() - kTitleBarHeight, at.width(), kTitleBarHeight);
            painter.fillRect(bar, QColor(0xD9, 0xDE, 0xE6));
            QFont font = QApplication::font();
            font.setPointSizeF(font.pointSizeF() * 1.05);
            painter.setFont(font);
            painter.setPen(QColor(0x20, 0x20, 0x20));
            painter.drawText(bar.adjusted(10, 0, -34, 0), Qt::AlignVCenter | Qt::AlignLeft, title);
            // The close box.
            const QRect close(bar.right() - 24, bar.top() + 6, 14, 14);
            painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.6));
            painter.drawLine(close.topLeft(), close.bottomRight());
            painter.drawLine(close.topRight(), close.bottomLeft());
        }
        painter.drawPixmap(at, content);
        painter.setPen(QPen(QColor(0x80, 0x88, 0x94), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(at.left(), at.top() - (titleBar ? kTitleBarHeight : 0), at.width() - 1,
                               at.height() + (titleBar ? kTitleBarHeight : 0) - 1));
    }

    void Remember(const QString& title) {
        if (!title.isEmpty() && !captions_.contains(title)) captions_ << title;
    }

    void Save(const QString& name, QImage image) {
        // The pixels' density, so that the manual prints them at their size on the screen.
        const double dpi = kScreenDpi * image.devicePixelRatio();
        image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
        image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
        const QString path = folder_ + QStringLiteral("/") + name + QStringLiteral(".png");
        if (!image.save(path)) Fail(QStringLiteral("cannot write ") + path);
        ++count_;
    }

    QString folder_;
    QStringList captions_;
    int count_ = 0;
};

// ---- The program ----

class Session {
public:
    Session(MainWindow& window, KelmoraDocument& document, Camera& camera)
        : window_(window), document_(document), camera_(camera) {}

    // The chain dialog of `editMode` once it is on the screen.
    ChainDialog& Dialog(int editMode) {
        ChainDialog* found = nullptr;
        const bool shown = WaitUntil([&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* d = qobject_cast<ChainDialog*>(w);
                if (d != nullptr && d->isVisible() && d->request().editMode == editMode &&
                    document_.transaction().editMode() == editMode) {
                    found = d;
                    return true;
                }
            }
            return false;
        });
        if (!shown) Fail(QStringLiteral("the dialog of edit mode %1 did not open").arg(editMode));
        return *found;
    }

    // Presses a button of the dialog on the screen; returns the dialog of `nextMode` that follows.
    ChainDialog& Press(ChainDialog& dialog, int button, int nextMode) {
        dialog.PressButton(button);
        return Dialog(nextMode);
    }

    // In the list on the screen, `row` selected and "変更..." pressed.
    ChainDialog& Change(ChainDialog& list, int row, int editorMode) {
        auto* table = qobject_cast<ChainListDialog*>(&list);
        if (table == nullptr) Fail(QStringLiteral("not a list: ") + list.windowTitle());
        table->table()->selectRow(row);
        return Press(list, 1008, editorMode);
    }

    void WaitIdle() {
        if (!WaitUntil([&] { return document_.transaction().editMode() == kIdleMode; }, 120000))
            Fail(QStringLiteral("the document did not come back to rest"));
    }

    // Presses a button that opens a modal dialog of its own (exec): the dialog is photographed as soon
    // as it shows, then closed with `close` (its Esc by default).
    void ShootModal(
        const QString& name, const std::function<void()>& press,
        const std::function<void(QWidget&)>& close = [](QWidget& w) {
            if (auto* d = qobject_cast<QDialog*>(&w)) d->reject();
        }) {
        bool shot = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible() || shot || qobject_cast<ChainDialog*>(modal)) return;
            shot = true;
            camera_.Shoot(name, *modal);
            close(*modal);
        });
        poll.start();
        press();
        if (!WaitUntil([&] { return shot; })) Fail(QStringLiteral("no dialog for ") + name);
        poll.stop();
    }

    // A dialog moved over the right part of the main window, where it leaves the plan in view.
    QWidget& Beside(QWidget& dialog) {
        dialog.move(window_.x() + window_.width() - 240, window_.y() + 100);
        QCoreApplication::processEvents();
        return dialog;
    }

    MainWindow& window() { return window_; }
    KelmoraDocument& document() { return document_; }
    Camera& camera() { return camera_; }

private:
    MainWindow& window_;
    KelmoraDocument& document_;
    Camera& camera_;
};

// Every menu item of the program as it reads ("新規作成(N)"), one a line: the chapters' parts that
// describe commands depend on them.
void WriteMenuItems(MainWindow& window, const QString& folder) {
    QStringList items;
    const auto shown = [](QString text) {
        text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        text.remove(QLatin1Char('&'));
        text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
        return text.trimmed();
    };
    const std::function<void(QMenu&)> walk = [&](QMenu& menu) {
        emit menu.aboutToShow();
        items << shown(menu.title());
        for (QAction* action : menu.actions()) {
            if (action->isSeparator()) continue;
            if (QMenu* sub = action->menu())
                walk(*sub);
            else
                items << shown(action->text());
        }
    };
    for (QAction* entry : window.menuBar()->actions())
        if (QMenu* menu = entry->menu()) walk(*menu);
    QFile file(folder + QStringLiteral("/menus.txt"));
    if (!file.open(QIODevice::WriteOnly)) Fail(QStringLiteral("cannot write menus.txt"));
    file.write(items.join(QLatin1Char('\n')).toUtf8() + "\n");
}

void ShootMenus(Session& s) {
    MainWindow& w = s.window();
    const CommandActions& a = w.actions();
    for (const auto& [menu, name] : {std::pair{a.editMenu, QStringLiteral("menu-edit")},
                                     std::pair{a.viewMenu, QStringLiteral("menu-view")},
                                     std::pair{a.fileMenu, QStringLiteral("menu-file")}}) {
        const QRect entry = w.menuBar()->actionGeometry(menu->menuAction());
        menu->popup(w.menuBar()->mapToGlobal(entry.bottomLeft()));
        if (!WaitUntil([&] { return menu->isVisible(); })) Fail(QStringLiteral("menu did not open"));
        s.camera().ShootOver(name, w, {menu});
        menu->hide();
        QCoreApplication::processEvents();
    }
}

void ShootGroundLines(Session& s) {
    s.window().actions().groundLines->trigger();
    ChainDialog& list = s.Dialog(kGroundLineListMode);
    s.camera().Shoot(QStringLiteral("list-ground-lines"), list);
    ChainDialog& editor = s.Change(list, 0, kGroundLineChangeMode);
    s.camera().Shoot(QStringLiteral("editor-ground-line"), editor);
    s.camera().ShootOver(QStringLiteral("tutorial-ground-line"), s.window(), {&s.Beside(editor)});
    ChainDialog& walls = s.Press(editor, 1030, kWallListMode);  // "壁・法肩..."
    s.camera().Shoot(QStringLiteral("list-walls"), walls);
    ChainDialog& wall = s.Change(walls, 0, kWallChangeMode);
    s.camera().Shoot(QStringLiteral("editor-wall"), wall);
    ChainDialog& wallsAgain = s.Press(wall, kCancelButtonId, kWallListMode);
    ChainDialog& lineAgain = s.Press(wallsAgain, kCancelButtonId, kGroundLineChangeMode);
    s.ShootModal(QStringLiteral("band-editor-absorption"),
                 [&] { lineAgain.PressButton(1012); });  // "左側吸音率..."
    ChainDialog& listAgain = s.Press(lineAgain, kCancelButtonId, kGroundLineListMode);
    s.ShootModal(QStringLiteral("shift-amount"),
                 [&] { listAgain.PressButton(1005); });  // "選択地表線移動追加..."
    s.Dialog(kGroundLineListMode).PressButton(kCancelButtonId);
    s.WaitIdle();
}

void ShootBuildings(Session& s) {
    Camera& c = s.camera();
    s.window().actions().buildings->trigger();
    ChainDialog& list = s.Dialog(kBuildingListMode);
    c.Shoot(QStringLiteral("list-buildings"), list);
    ChainDialog& building = s.Change(list, 0, kBuildingChangeMode);
    c.Shoot(QStringLiteral("editor-building"), building);

    ChainDialog& roofs = s.Press(building, 1023, kRoofListMode);  // "屋上編集..."
    c.Shoot(QStringLiteral("list-roofs"), roofs);
    ChainDialog& roof = s.Change(roofs, 0, kRoofChangeMode);
    c.Shoot(QStringLiteral("editor-roof"), roof);
    c.ShootOver(QStringLiteral("tutorial-roof"), s.window(), {&s.Beside(roof)});
    // A check of the editor: side A made shorter than 1 m.
    roof.SetControlText(kRectEntryX2Id, "20.5");
    s.ShootModal(QStringLiteral("message-check"), [&] { roof.PressButton(kOkButtonId); });
    ChainDialog& roofs2 = s.Press(s.Dialog(kRoofChangeMode), kCancelButtonId, kRoofListMode);
    ChainDialog& building2 = s.Press(roofs2, kCancelButtonId, kBuildingChangeMode);

    ChainDialog& walls = s.Press(building2, 1024, kExteriorWallListMode);  // "外壁編集..."
    c.Shoot(QStringLiteral("list-exterior-walls"), walls);
    ChainDialog& wall = s.Change(walls, 0, kExteriorWallChangeMode);
    c.Shoot(QStringLiteral("editor-exterior-wall"), wall);
    ChainDialog& walls2 = s.Press(wall, kCancelButtonId, kExteriorWallListMode);
    ChainDialog& building3 = s.Press(walls2, kCancelButtonId, kBuildingChangeMode);

    ChainDialog& rooms = s.Press(building3, 1025, kRoomListMode);  // "室編集..."
    c.Shoot(QStringLiteral("list-rooms"), rooms);
    ChainDialog& room = s.Change(rooms, 0, kRoomChangeMode);
    c.Shoot(QStringLiteral("editor-room"), room);
    c.ShootOver(QStringLiteral("tutorial-room"), s.window(), {&s.Beside(room)});
    ChainDialog& openings = s.Press(room, 1051, kOpeningListMode);  // "壁など開口部情報..."
    c.Shoot(QStringLiteral("list-openings"), openings);
    ChainDialog& opening = s.Change(openings, 0, kOpeningChangeMode);
    c.Shoot(QStringLiteral("editor-opening"), opening);
    ChainDialog& contained = s.Press(opening, 1051, kOpeningListMode);  // "包含する開口部情報..."
    c.Shoot(QStringLiteral("list-openings-contained"), contained);
    ChainDialog& opening2 = s.Press(contained, kCancelButtonId, kOpeningChangeMode);
    ChainDialog& openings2 = s.Press(opening2, kCancelButtonId, kOpeningListMode);
    ChainDialog& room2 = s.Press(openings2, kCancelButtonId, kRoomChangeMode);
    ChainDialog& sources = s.Press(room2, 1052, kRoomSourceListMode);  // "室内音源情報..."
    c.Shoot(QStringLiteral("list-room-sources"), sources);
    ChainDialog& source = s.Change(sources, 0, kRoomSourceChangeMode);
    c.Shoot(QStringLiteral("editor-room-source"), source);
    ChainDialog& sources2 = s.Press(source, kCancelButtonId, kRoomSourceListMode);
    ChainDialog& room3 = s.Press(sources2, kCancelButtonId, kRoomChangeMode);
    ChainDialog& rooms2 = s.Press(room3, kCancelButtonId, kRoomListMode);
    ChainDialog& building4 = s.Press(rooms2, kCancelButtonId, kBuildingChangeMode);
    ChainDialog& list2 = s.Press(building4, kCancelButtonId, kBuildingListMode);
    list2.PressButton(kCancelButtonId);
    s.WaitIdle();
}

void ShootOutdoorSources(Session& s) {
    s.window().actions().outdoorSources->trigger();
    ChainDialog& list = s.Dialog(kOutdoorSourceListMode);
    s.camera().Shoot(QStringLiteral("list-outdoor-sources"), list);
    ChainDialog& editor = s.Change(list, 0, kOutdoorSourceChangeMode);
    s.camera().Shoot(QStringLiteral("editor-outdoor-source"), editor);
    s.camera().ShootOver(QStringLiteral("tutorial-outdoor-source"), s.window(), {&s.Beside(editor)});
    s.ShootModal(QStringLiteral("band-editor"), [&] { editor.PressButton(1048); });  // "平均レベル..."
    ChainDialog& list2 = s.Press(editor, kCancelButtonId, kOutdoorSourceListMode);
    list2.PressButton(kCancelButtonId);
    s.WaitIdle();

    // The choice among the spectra of a band library with several lines.
    const CNoise& model = s.document().transaction().model();
    std::vector<CBand> spectra;
    for (const CSound& source : model.outdoorSources) {
        spectra.push_back(source.powerAverage);
        spectra.push_back(source.powerMax);
    }
    BandListDialog choice(spectra, &s.window());
    choice.show();
    WaitUntil([&] { return choice.isVisible(); });
    s.camera().Shoot(QStringLiteral("band-list"), choice);
    choice.reject();
}

void ShootSizeDialog(Session& s) {
    s.window().actions().sizeChange->trigger();
    ChainDialog& size = s.Dialog(kSizeChangeMode);
    s.camera().Shoot(QStringLiteral("size-dialog"), size);
    size.PressButton(kOkButtonId);  // "戻る"
    s.WaitIdle();
}

void ShootNoiseMap(Session& s, DriverQuestions& questions, const QString& results) {
    questions.files[QString::fromUtf8(kResultFileDialogTitle)] = results.toStdString();
    s.window().maps().OpenResultFile();
    if (!WaitUntil([&] { return s.document().noiseMap().Shown(); })) Fail(QStringLiteral("no noise map"));
    s.camera().ShootOver(QStringLiteral("noise-map"), s.window(), {});
}

void ShootPaths(Session& s) {
    // Boundary point No.2 with its strongest path chosen, as after an Alt + double click on it.
    PathsController& paths = s.window().paths();
    if (!paths.ShowPathsOfPoint(s.document(), 1)) Fail(QStringLiteral("no paths at the example's point 2"));
    PathsWindow* window = paths.pathsWindow(s.document());
    if (window == nullptr) Fail(QStringLiteral("no window of paths"));
    window->resize(760, 620);
    window->table()->selectRow(0);
    s.camera().Shoot(QStringLiteral("paths-window"), *window);
    s.camera().ShootOver(QStringLiteral("plan-paths"), s.window(), {});
    window->close();
    QCoreApplication::processEvents();
}

void ShootPredictionAndSection(Session& s, DriverQuestions& questions, const QString& work) {
    Camera& c = s.camera();
    s.window().actions().prediction->trigger();
    ChainDialog& dialog = s.Dialog(kPredictionMode);
    c.Shoot(QStringLiteral("prediction-dialog"), dialog);
    c.ShootOver(QStringLiteral("tutorial-prediction"), s.window(), {&s.Beside(dialog)});
    const auto chooseMode = [&](int mode) {
        for (QRadioButton* radio : dialog.findChildren<QRadioButton*>())
            if (radio->text() == QString::fromUtf8(kPredictionModeLabels[static_cast<std::size_t>(mode)]))
                radio->click();
        QCoreApplication::processEvents();
    };
    chooseMode(kHorizontalGridMode);
    c.Shoot(QStringLiteral("prediction-dialog-grid"), dialog);

    // A vertical grid along the example's line, coarse enough to be computed in seconds.
    chooseMode(kVerticalGridMode);
    dialog.SetControlText(kRowDivisionsId, "3");
    dialog.SetControlText(kColumnDivisionsId, "5");
    c.Shoot(QStringLiteral("prediction-dialog-vertical"), dialog);
    questions
        .files[QString::fromUtf8("等価騒音レベル計算結果を出力するテキストファイル名を指定してください")] =
        (work + QStringLiteral("/section-laeq.txt")).toStdString();
    questions
        .files[QString::fromUtf8("最大騒音レベル計算結果を出力するテキストファイル名を指定してください")] =
        (work + QStringLiteral("/section-lamax.txt")).toStdString();
    questions.answers[QStringLiteral("X Y Z")] = QMessageBox::Yes;
    dialog.PressButton(kStartRunId);

    ProgressDialog* progress = nullptr;
    WaitUntil([&] {
        progress = s.document().progressDialog();
        return progress != nullptr && progress->isVisible();
    });
    if (progress == nullptr) Fail(QStringLiteral("no progress dialog"));
    // Once a few points are done, with the count and the time left.
    WaitUntil([&] {
        const QString text = progress->findChildren<QLabel*>().isEmpty()
                                 ? QString()
                                 : progress->findChildren<QLabel*>().front()->text();
        return text.contains(QStringLiteral(" / ")) && !text.startsWith(QStringLiteral("1 /"));
    });
    c.Shoot(QStringLiteral("progress-dialog"), *progress);
    c.ShootOver(QStringLiteral("tutorial-progress"), s.window(), {&s.Beside(*progress)});
    s.WaitIdle();

    SectionWindow* section = nullptr;
    if (!WaitUntil([&] {
            section = s.window().maps().sectionWindow(s.document());
            return section != nullptr;
        }))
        Fail(QStringLiteral("no section window after the vertical grid run: ") +
             questions.told.join(QLatin1Char('|')));
    section->resize(720, 420);
    QCoreApplication::processEvents();
    c.Shoot(QStringLiteral("section"), *section);
    section->close();
    c.ShootOver(QStringLiteral("plan-vertical-grid"), s.window(), {});
}

void ShootResults(Session& s) {
    // The points of the last run (the vertical section's grid) with the contributions of its first.
    ResultsController& results = s.window().results();
    results.Open(s.document(), 0);
    ResultsWindow* window = results.window(s.document());
    if (window == nullptr || !WaitUntil([&] { return window->isVisible(); }))
        Fail(QStringLiteral("no results window after the run"));
    window->resize(900, 640);
    QCoreApplication::processEvents();
    s.camera().Shoot(QStringLiteral("results-window"), *window);
    window->close();
    QCoreApplication::processEvents();
}

void ShootAbout(Session& s, const QString& programFolder) {
    AboutBox box(programFolder, &s.window());
    box.show();
    WaitUntil([&] { return box.isVisible(); });
    s.camera().Shoot(QStringLiteral("about-box"), box);
    box.reject();
}

QString ScreenConfig(const QTemporaryDir& work) {
    // One screen large enough for the main window and its dialogs, at twice the pixels of a usual one.
    const QString path = work.filePath(QStringLiteral("screens.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) Fail(QStringLiteral("cannot write ") + path);
    file.write(R"({"screens": [{"name": "manual", "x": 0, "y": 0, "width": 1600, "height": 1000,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2}]})");
    return path;
}

}  // namespace

int Run(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: kelmora-screenshots OUTPUT_FOLDER PROJECT GRID_RESULTS\n");
        return 2;
    }
    QTemporaryDir work;
    if (!work.isValid()) Fail(QStringLiteral("no temporary folder"));
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + ScreenConfig(work).toLocal8Bit());
    qunsetenv("QT_SCALE_FACTOR");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Brenwick"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelmora-screenshots"));
    PrepareApplication(app);

    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString project = QString::fromLocal8Bit(argv[2]);
    const QString results = QString::fromLocal8Bit(argv[3]);
    if (!QDir().mkpath(output)) Fail(QStringLiteral("cannot make ") + output);

    DriverQuestions questions;
    AppContext context;
    context.programFolder = work.path().toStdString();
    context.dataFolder = std::filesystem::path(work.filePath(QStringLiteral("Data")).toStdString());
    std::filesystem::create_directories(*context.dataFolder);
    context.questions = &questions;
    RegisterChainDialogs(context.registry);

    MainWindow window(context);
    window.move(0, 0);
    window.resize(820, 560);
    window.show();
    KelmoraDocument* document = window.documents().Open(project);
    if (document == nullptr)
        Fail(QStringLiteral("cannot open ") + project + QStringLiteral(": ") +
             questions.told.join(QLatin1Char(' ')));
    WaitUntil([&] { return !document->views().empty(); });
    // The plan window filling the window area: the pictures show the plan, not an empty area around it.
    if (QMdiSubWindow* plan = window.area().activeSubWindow()) plan->showMaximized();
    QCoreApplication::processEvents();
    window.statusBar()->showMessage(QString::fromUtf8("レディ"));

    WriteMenuItems(window, output);
    Camera camera(output);
    Session session(window, *document, camera);
    QElapsedTimer clock;
    clock.start();
    const auto stage = [&](const char* name, const std::function<void()>& shoot) {
        const qint64 before = clock.elapsed();
        shoot();
        if (qEnvironmentVariableIsSet("KELMORA_SCREENSHOT_TIMES"))
            std::fprintf(stderr, "%s: %lld ms\n", name, static_cast<long long>(clock.elapsed() - before));
    };
    stage("main window", [&] { camera.ShootOver(QStringLiteral("main-window"), window, {}); });
    stage("menus", [&] { ShootMenus(session); });
    stage("ground lines", [&] { ShootGroundLines(session); });
    stage("buildings", [&] { ShootBuildings(session); });
    stage("outdoor sources", [&] { ShootOutdoorSources(session); });
    stage("size dialog", [&] { ShootSizeDialog(session); });
    stage("noise map", [&] { ShootNoiseMap(session, questions, results); });
    stage("paths", [&] { ShootPaths(session); });
    stage("prediction and section", [&] { ShootPredictionAndSection(session, questions, work.path()); });
    stage("results", [&] { ShootResults(session); });
    stage("about box", [&] { ShootAbout(session, work.path()); });
    camera.WriteCaptions();
    std::printf("kelmora-screenshots: %d pictures in %s\n", camera.count(), output.toLocal8Bit().constData());

    window.documents().CloseAllSilently();
    return 0;
}

}  // namespace kelmora::manual

int main(int argc, char** argv) {
    return kelmora::manual::Run(argc, argv);
}
