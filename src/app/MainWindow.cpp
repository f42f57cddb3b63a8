#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>

#include "app/AboutBox.h"
#include "app/Icons.h"
#include "app/ImportController.h"
#include "app/MapController.h"
#include "app/PathsController.h"
#include "app/PlanDisplayController.h"
#include "app/PlanView.h"
#include "app/PrintController.h"
#include "app/ResultsController.h"
#include "app/UserSettings.h"
#include "app/WindowPlacement.h"
#include "model/persistence/SessionFiles.h"

namespace kelmora {

MainWindow::MainWindow(AppContext& context) : context_(context) {
    setWindowTitle(QStringLiteral("Kelmora"));
    setWindowIcon(PaintedIcon(ToolIcon::Program));
    setAcceptDrops(true);
    area_ = new QMdiArea(this);
    area_->setAccessibleName(QString::fromUtf8("ウィンドウ領域"));
    setCentralWidget(area_);
    services_ = {&context_.registry, context_.questions, this, context_.runSettings};
    documents_ = new DocumentManager(*area_, services_, this);
    actions_ = CommandActions::Create(*this);
    maps_ = new MapController(*this, *area_, *actions_.viewMenu, *documents_, *context_.questions);
    displays_ = new PlanDisplayController(*this, *area_, *actions_.viewMenu, *actions_.toolBarWidget,
                                          actions_.about, *documents_);
    printing_ =
        new PrintController(*this, *actions_.fileMenu, actions_.saveAs, *documents_, *context_.questions);
    imports_ = new ImportController(*this, *documents_, *context_.questions);
    paths_ = new PathsController(*this, *documents_);
    results_ = new ResultsController(*this, *actions_.viewMenu, *documents_, *context_.questions);
    // The results window's point (and source) shown with its paths; the keyboard stays in its table.
    connect(results_, &ResultsController::pathsRequested, this,
            [this](KelmoraDocument* document, int point, int source) {
                if (document == nullptr || point < 0) return;
                std::optional<std::size_t> userSource;
                if (source >= 0) userSource = static_cast<std::size_t>(source);
                paths_->ShowPathsOfPoint(*document, static_cast<std::size_t>(point), userSource,
                                         PathsFocus::Keep);
            });
    // A status tip cleared by the mouse leaving a menu item, or a prompt timed out, leaves "レディ".
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty()) statusBar()->showMessage(QString::fromUtf8(kReadyText));
    });
    statusBar()->showMessage(QString::fromUtf8(kReadyText));
    resize(1100, 760);
    Connect();
    Refresh();
}

MainWindow::~MainWindow() {
    // Taken down while it still shows plan windows, the window area announces that they go; by then
    // this window's members are gone, so neither it nor its controllers may hear of it.
    for (QObject* listener : std::initializer_list<QObject*>{this, maps_, printing_, imports_}) {
        disconnect(area_, nullptr, listener, nullptr);
        disconnect(documents_, nullptr, listener, nullptr);
    }
}

void MainWindow::Connect() {
    DocumentManager& docs = *documents_;
    const CommandActions& a = actions_;
    connect(a.newDocument, &QAction::triggered, &docs, &DocumentManager::NewDocument);
    connect(a.open, &QAction::triggered, &docs, &DocumentManager::OpenChosen);
    connect(a.close, &QAction::triggered, this, [&docs] {
        if (KelmoraDocument* d = docs.activeDocument()) docs.Close(*d);
    });
    connect(a.save, &QAction::triggered, this, [&docs] {
        if (KelmoraDocument* d = docs.activeDocument()) docs.Save(*d);
    });
    connect(a.saveAs, &QAction::triggered, this, [&docs] {
        if (KelmoraDocument* d = docs.activeDocument()) docs.SaveAs(*d);
    });
    connect(a.exit, &QAction::triggered, this, &QWidget::close);
    for (QAction* entry : a.recentEntries)
        connect(entry, &QAction::triggered, this, [&docs, entry] { docs.Open(entry->data().toString()); });

    const std::pair<QAction*, EditCommand> commands[] = {
        {a.groundLines, EditCommand::GroundLines},       {a.buildings, EditCommand::Buildings},
        {a.outdoorSources, EditCommand::OutdoorSources}, {a.prediction, EditCommand::Prediction},
        {a.sizeChange, EditCommand::SizeChange},         {a.picture, EditCommand::ChangePicture}};
    for (const auto& [action, command] : commands)
        connect(action, &QAction::triggered, this, [this, command = command] { RunEditCommand(command); });

    connect(a.undo, &QAction::triggered, this, [&docs] {
        if (KelmoraDocument* d = docs.activeDocument()) d->Undo();
    });
    connect(a.redo, &QAction::triggered, this, [&docs] {
        if (KelmoraDocument* d = docs.activeDocument()) d->Redo();
    });

    connect(a.newWindow, &QAction::triggered, this, [&docs] {
        if (KelmoraDocument* d = docs.activeDocument()) docs.NewWindow(*d);
    });
    connect(a.cascade, &QAction::triggered, area_, &QMdiArea::cascadeSubWindows);
    connect(a.tile, &QAction::triggered, area_, &QMdiArea::tileSubWindows);
    connect(a.arrangeIcons, &QAction::triggered, this, [this] {
        // The minimised windows in a row along the bottom of the window area.
        int x = 0;
        for (QMdiSubWindow* w : area_->subWindowList(QMdiArea::CreationOrder)) {
            if (!w->isMinimized()) continue;
            w->move(x, area_->viewport()->height() - w->height());
            x += w->width();
        }
    });
    connect(a.windowMenu, &QMenu::aboutToShow, this, &MainWindow::FillWindowMenu);
    connect(a.about, &QAction::triggered, this, &MainWindow::ShowAbout);
    connect(a.importSite, &QAction::triggered, imports_, &ImportController::Run);

    connect(&docs, &DocumentManager::changed, this, &MainWindow::Refresh);
    connect(&docs, &DocumentManager::statusText, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(&docs, &DocumentManager::editMenuRequested, this,
            [this](const QPoint& at) { actions_.editMenu->exec(at); });
    connect(area_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (auto* window = qobject_cast<PlanWindow*>(sub))
            if (PlanView* view = window->view()) window->document().SetActiveView(view);
        Refresh();
    });
}

void MainWindow::Refresh() {
    KelmoraDocument* active = documents_->activeDocument();
    actions_.Refresh(active, !area_->subWindowList().isEmpty());
    actions_.ShowRecentFiles(documents_->recentFiles().files());
    setWindowTitle(active != nullptr ? QStringLiteral("Kelmora - %1").arg(active->title())
                                     : QStringLiteral("Kelmora"));
}

void MainWindow::FillWindowMenu() {
    QMenu* menu = actions_.windowMenu;
    menu->clear();
    menu->addAction(actions_.newWindow);
    menu->addAction(actions_.cascade);
    menu->addAction(actions_.tile);
    menu->addAction(actions_.arrangeIcons);
    const QList<QMdiSubWindow*> windows = area_->subWindowList(QMdiArea::CreationOrder);
    if (!windows.isEmpty()) menu->addSeparator();
    int n = 0;
    for (QMdiSubWindow* window : windows) {
        ++n;
        QString title = window->windowTitle();
        title.remove(QStringLiteral("[*]"));
        QAction* entry = menu->addAction(QStringLiteral("&%1 %2").arg(n).arg(title));
        entry->setCheckable(true);
        entry->setChecked(window == area_->activeSubWindow());
        connect(entry, &QAction::triggered, area_, [this, window] { area_->setActiveSubWindow(window); });
    }
}

void MainWindow::RunEditCommand(EditCommand command) {
    if (KelmoraDocument* document = documents_->activeDocument()) document->RunCommand(command);
}

void MainWindow::ShowAbout() {
    AboutBox box(QString::fromStdString(context_.programFolder.string()), this);
    box.exec();
}

bool MainWindow::EditInProgress() const {
    for (const KelmoraDocument* document : documents_->documents())
        if (!document->transaction().CanClose()) return true;
    return false;
}

bool MainWindow::WriteSession() {
    if (!context_.dataFolder) return false;
    SessionSnapshot session;
    session.mainWindow = ToFrameRect(isMaximized() || isMinimized() ? normalGeometry() : geometry());
    WriteInitialShow(isMaximized());
    for (const KelmoraDocument* document : documents_->documents()) {
        session.documents.push_back(document->ToProject());
        // Beside the backup, the project it is a copy of and which of its windows were maximised, for
        // the document restored from it.
        ProjectExtras extras = document->extras();
        extras.backupOf = document->transaction().origin();
        extras.maximizedWindows = document->MaximizedWindows();
        session.extras.push_back(std::move(extras));
    }
    return kelmora::WriteSession(*context_.dataFolder, session).settingsWritten;
}

void MainWindow::RestoreSession() {
    if (!context_.dataFolder) return;
    MainSettings settings;
    const std::vector<std::filesystem::path> backups = BackupsToRestore(*context_.dataFolder, &settings);
    if (settings.documentsPerTemplate.empty()) return;  // no settings file, or one that does not count
    const QScreen* screen = this->screen();
    if (screen != nullptr)
        if (const std::optional<QRect> r =
                RestoredMainWindowRect(settings.mainWindow, screen->availableGeometry()))
            setGeometry(*r);
    documents_->CloseAllSilently();
    for (const std::filesystem::path& backup : backups)
        documents_->OpenBackup(QString::fromStdString(backup.string()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Never while a dialog of a document is open or a calculation runs.
    if (EditInProgress()) {
        event->ignore();
        statusBar()->showMessage(
            QString::fromUtf8("編集中のダイアログまたは予測計算が終わってから終了してください"), 5000);
        return;
    }
    WriteSession();
    if (!documents_->CloseAll()) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) documents_->Open(url.toLocalFile());
    event->acceptProposedAction();
}

}  // namespace kelmora
