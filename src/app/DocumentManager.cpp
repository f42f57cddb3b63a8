#include "app/DocumentManager.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLayout>
#include <QMdiArea>
#include <algorithm>
#include <utility>

#include "app/MapLegendPanel.h"
#include "app/PlanView.h"
#include "app/WindowPlacement.h"

namespace kelmora {

namespace {

const QSize kNewWindowSize(760, 520);

QString FileTitle(const QString& path) {
    return QFileInfo(path).fileName();
}

// Every file, whatever its name (project files have no extension of their own).
const QString kProjectFilter = QString::fromUtf8("すべてのファイル (*)");

// The document as the save prompt names it: its title, and the project it came from when that has
// another name ("DOC1.asj1 (factory.kel)" for a restored backup).
QString PromptName(const KelmoraDocument& document) {
    const std::string& origin = document.transaction().origin();
    if (origin.empty()) return document.title();
    const QString originName = FileTitle(QString::fromStdString(origin));
    if (originName == document.title()) return document.title();
    return QStringLiteral("%1 (%2)").arg(document.title(), originName);
}

}  // namespace

PlanWindow::PlanWindow(KelmoraDocument& document, DocumentManager& manager)
    : document_(document), manager_(manager) {
    setAttribute(Qt::WA_DeleteOnClose);
}

PlanView* PlanWindow::view() const {
    auto* pane = qobject_cast<PlanPane*>(widget());
    return pane != nullptr ? pane->view() : nullptr;
}

void PlanWindow::closeEvent(QCloseEvent* event) {
    if (!manager_.WindowClosing(*this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

void PlanWindow::KeepNormalRect() {
    // Maximising sets the state before it changes the geometry, restoring sets it back before it
    // restores the geometry: only the normal rectangle is kept.
    if (!isMaximized() && !isMinimized()) normalRect_ = geometry();
}

void PlanWindow::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    KeepNormalRect();
}

void PlanWindow::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    KeepNormalRect();
}

DocumentManager::DocumentManager(QMdiArea& area, const DocumentServices& services, QObject* parent)
    : QObject(parent), area_(area), services_(services) {}

KelmoraDocument* DocumentManager::AddDocument(ProjectDocument project, const std::string& path,
                                              const QString& title, bool modified, ProjectExtras extras) {
    auto* document = new KelmoraDocument(services_, this);
    // Which windows of a backup were maximised is the session's, not the project's: it is not kept.
    const std::vector<std::int32_t> maximizedWindows = std::exchange(extras.maximizedWindows, {});
    document->Load(std::move(project), path, title, modified, std::move(extras));
    documents_.push_back(document);
    connect(document, &KelmoraDocument::stateChanged, this, [this, document] {
        RefreshTitles(*document);
        emit changed();
    });
    // The stored windows, each set up with its own record; a project without any gets one new window.
    const std::vector<ViewRecord> records = std::move(document->pendingViewRecords());
    document->pendingViewRecords().clear();
    const std::size_t windows = std::max<std::size_t>(records.size(), 1);
    for (std::size_t i = 0; i < windows; ++i) {
        const bool maximized =
            std::ranges::find(maximizedWindows, static_cast<std::int32_t>(i)) != maximizedWindows.end();
        CreateWindow(*document, i < records.size() ? &records[i] : nullptr, maximized);
    }
    RefreshTitles(*document);
    emit changed();
    return document;
}

QSize DocumentManager::AreaSize() const {
    // Before the main window is first shown its layout has not placed the area yet.
    if (QWidget* main = area_.window(); main != nullptr && !main->isVisible() && main->layout() != nullptr)
        main->layout()->activate();
    return area_.contentsRect().size();
}

PlanWindow* DocumentManager::CreateWindow(KelmoraDocument& document, const ViewRecord* record,
                                          bool maximized) {
    // The window opened last, where a new window cascades from.
    std::optional<QRect> last;
    const QList<QMdiSubWindow*> open = area_.subWindowList(QMdiArea::CreationOrder);
    if (!open.isEmpty()) {
        auto* before = qobject_cast<PlanWindow*>(open.back());
        last = before != nullptr ? before->normalRect() : open.back()->geometry();
    }
    auto* window = new PlanWindow(document, *this);
    // The plan with its map legend beside it.
    auto* pane = new PlanPane(document, window);
    PlanView* view = pane->view();
    window->setWidget(pane);
    area_.addSubWindow(window);
    const QSize area = AreaSize();
    const QRect placed = record != nullptr && !record->info.frameRect.IsEmpty()
                             ? PlaceInArea(ToQRect(record->info.frameRect), area)
                             : NewWindowRect(kNewWindowSize, area, last);
    window->setGeometry(placed);
    window->SetNormalRect(placed);
    connect(view, &PlanView::statusText, this, &DocumentManager::statusText);
    connect(view, &PlanView::editMenuRequested, this, &DocumentManager::editMenuRequested);
    if (maximized)
        window->showMaximized();
    else
        window->show();
    document.SetActiveView(view);
    view->SetUp(record);
    RefreshTitles(document);
    return window;
}

std::vector<PlanWindow*> DocumentManager::WindowsOf(const KelmoraDocument& document) const {
    std::vector<PlanWindow*> out;
    for (QMdiSubWindow* sub : area_.subWindowList(QMdiArea::CreationOrder)) {
        auto* window = qobject_cast<PlanWindow*>(sub);
        if (window != nullptr && &window->document() == &document) out.push_back(window);
    }
    return out;
}

void DocumentManager::RefreshTitles(KelmoraDocument& document) {
    const std::vector<PlanWindow*> windows = WindowsOf(document);
    const bool modified = document.transaction().modified();
    int n = 0;
    for (PlanWindow* window : windows) {
        ++n;
        QString title = document.title();
        if (windows.size() > 1) title += QStringLiteral(":%1").arg(n);
        window->setWindowTitle(title + QStringLiteral("[*]"));
        window->setWindowModified(modified);
    }
}

KelmoraDocument* DocumentManager::NewDocument() {
    ++untitledCount_;
    ProjectDocument project;  // no window record: the window asks for its picture
    return AddDocument(std::move(project), "", QStringLiteral("Kelmora%1").arg(untitledCount_), false);
}

KelmoraDocument* DocumentManager::NewDocumentWithView(const CKelmoraViewData& view) {
    ++untitledCount_;
    ProjectDocument project;
    ViewRecord record;
    record.viewData = view;
    project.viewRecords.push_back(record);
    return AddDocument(std::move(project), "", QStringLiteral("Kelmora%1").arg(untitledCount_), false);
}

std::optional<ProjectWithExtras> DocumentManager::Read(const QString& path) {
    try {
        ProjectWithExtras read = ReadProjectWithExtras(path.toStdString());
        if (!read.extrasProblem.empty())
            services_.questions->Tell(services_.mainWindow, QString::fromUtf8(kProgramCaption),
                                      QString::fromUtf8("拡張ファイルを読めませんでした。座標系・規制値・シナ"
                                                        "リオ・騒音マップ設定なしで開きます。\n") +
                                          QString::fromStdString(read.extrasProblem),
                                      QMessageBox::Warning);
        return read;
    } catch (const ProjectFileError& e) {
        services_.questions->Tell(services_.mainWindow, QString::fromUtf8(kProgramCaption),
                                  QString::fromUtf8(e.what()) + QStringLiteral("\n") + path,
                                  QMessageBox::Warning);
    } catch (const ArchiveError& e) {
        services_.questions->Tell(services_.mainWindow, QString::fromUtf8(kProgramCaption),
                                  QString::fromUtf8(e.what()) + QStringLiteral("\n") + path,
                                  QMessageBox::Warning);
    }
    return std::nullopt;
}

KelmoraDocument* DocumentManager::Open(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (KelmoraDocument* document : documents_) {
        if (QString::fromStdString(document->transaction().path()) == absolute) {
            if (const auto windows = WindowsOf(*document); !windows.empty())
                area_.setActiveSubWindow(windows.front());
            return document;
        }
    }
    std::optional<ProjectWithExtras> read = Read(absolute);
    if (!read) {
        if (!QFileInfo::exists(absolute)) recent_.Remove(absolute);
        emit changed();
        return nullptr;
    }
    recent_.Add(absolute);
    // A backup opened as a file is that file: where it was made from is not the document's business.
    read->extras.backupOf.clear();
    return AddDocument(std::move(read->project), absolute.toStdString(), FileTitle(absolute), false,
                       std::move(read->extras));
}

void DocumentManager::OpenChosen() {
    const std::optional<std::string> path = services_.questions->ChooseFileToOpen(
        services_.mainWindow, QString::fromUtf8("開く"), kProjectFilter);
    if (path) Open(QString::fromStdString(*path));
}

KelmoraDocument* DocumentManager::OpenBackup(const QString& path) {
    std::optional<ProjectWithExtras> read = Read(path);
    if (!read) return nullptr;
    // The project the backup was made of becomes the document's origin, and stays out of its extras:
    // saving the document writes it into no project's extension file.
    std::string origin = std::move(read->extras.backupOf);
    read->extras.backupOf.clear();
    KelmoraDocument* document =
        AddDocument(std::move(read->project), "", FileTitle(path), true, std::move(read->extras));
    document->transaction().SetOrigin(std::move(origin));
    return document;
}

bool DocumentManager::WriteTo(KelmoraDocument& document, const QString& path) {
    try {
        SaveProjectWithExtras(path.toStdString(), document.ToProject(), document.extras());
    } catch (const ProjectFileError& e) {
        services_.questions->Tell(
            services_.mainWindow, QString::fromUtf8(kProgramCaption),
            QString::fromUtf8(e.what()) + QStringLiteral("\n") + QString::fromStdString(e.reason()),
            QMessageBox::Warning);
        return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    document.transaction().Saved(absolute.toStdString());
    document.SetTitle(FileTitle(absolute));
    recent_.Add(absolute);
    emit changed();
    return true;
}

bool DocumentManager::Save(KelmoraDocument& document) {
    if (document.calculating()) return false;
    const std::string& path = document.transaction().path();
    if (path.empty()) return SaveAs(document);
    return WriteTo(document, QString::fromStdString(path));
}

bool DocumentManager::SaveAs(KelmoraDocument& document) {
    if (document.calculating()) return false;
    // In the project's folder with its name (for a restored backup, the project it was made of).
    const std::string& origin = document.transaction().origin();
    const QString suggested = origin.empty() ? document.title() : QString::fromStdString(origin);
    const std::optional<std::string> path = services_.questions->ChooseFileToSave(
        services_.mainWindow, QString::fromUtf8("名前を付けて保存"), kProjectFilter, QString(), suggested);
    if (!path) return false;
    return WriteTo(document, QString::fromStdString(*path));
}

bool DocumentManager::AskToSave(KelmoraDocument& document) {
    if (!document.transaction().modified()) return true;
    const QMessageBox::StandardButton answer = services_.questions->Ask(
        services_.mainWindow, QString::fromUtf8(kProgramCaption),
        QString::fromUtf8("%1 への変更を保存しますか?").arg(PromptName(document)),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Warning);
    if (answer == QMessageBox::Yes) return Save(document);
    return answer == QMessageBox::No;
}

void DocumentManager::Discard(KelmoraDocument& document) {
    closingDocument_ = true;
    for (PlanWindow* window : WindowsOf(document)) {
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        delete window;
    }
    closingDocument_ = false;
    std::erase(documents_, &document);
    delete &document;
    emit changed();
}

bool DocumentManager::Close(KelmoraDocument& document) {
    if (!document.transaction().CanClose()) return false;
    if (!AskToSave(document)) return false;
    Discard(document);
    return true;
}

bool DocumentManager::CloseAll() {
    while (!documents_.empty())
        if (!Close(*documents_.front())) return false;
    return true;
}

void DocumentManager::CloseAllSilently() {
    while (!documents_.empty())
        Discard(*documents_.front());
}

void DocumentManager::CloseSilently(KelmoraDocument& document) {
    Discard(document);
}

bool DocumentManager::WindowClosing(PlanWindow& window) {
    if (closingDocument_) return true;
    KelmoraDocument& document = window.document();
    if (WindowsOf(document).size() > 1) {
        QMetaObject::invokeMethod(
            this,
            [this, &document] {
                RefreshTitles(document);
                emit changed();
            },
            Qt::QueuedConnection);
        return true;
    }
    // The last window: the document goes with it.
    if (!document.transaction().CanClose() || !AskToSave(document)) return false;
    std::erase(documents_, &document);
    // The window's plan view still reads the document while the window is taken down.
    connect(&window, &QObject::destroyed, &document, &QObject::deleteLater);
    QMetaObject::invokeMethod(this, &DocumentManager::changed, Qt::QueuedConnection);
    return true;
}

PlanWindow* DocumentManager::NewWindow(KelmoraDocument& document) {
    PlanWindow* window = CreateWindow(document, nullptr);
    emit changed();
    return window;
}

KelmoraDocument* DocumentManager::activeDocument() const {
    auto* window = qobject_cast<PlanWindow*>(area_.currentSubWindow());
    return window != nullptr ? &window->document() : nullptr;
}

std::vector<KelmoraDocument*> DocumentManager::documents() const {
    return documents_;
}

}  // namespace kelmora
