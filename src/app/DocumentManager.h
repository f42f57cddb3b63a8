#pragma once
// The open documents and their plan windows: new, open, save, close with the save prompt, another
// window on a document, and the reopening of backups at start-up. A document lives as long as it has a
// window; closing its last window closes it (after the save prompt), but never while a dialog of its
// own is open or a calculation runs on it.
#include <QMdiSubWindow>
#include <QObject>
#include <QString>
#include <vector>

#include "app/KelmoraDocument.h"
#include "app/UserSettings.h"
#include "model/persistence/ExtensionFile.h"

class QMdiArea;

namespace kelmora {

class DocumentManager;
class PlanView;

// The frame of one plan window in the main window's window area. It keeps its normal rectangle (the
// one it comes back to from maximised or minimised), which the project's window record stores.
class PlanWindow : public QMdiSubWindow {
    Q_OBJECT

public:
    PlanWindow(KelmoraDocument& document, DocumentManager& manager);
    KelmoraDocument& document() const { return document_; }
    PlanView* view() const;
    // The rectangle in the window area while neither maximised nor minimised.
    QRect normalRect() const { return normalRect_; }
    void SetNormalRect(const QRect& r) { normalRect_ = r; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void KeepNormalRect();

    KelmoraDocument& document_;
    DocumentManager& manager_;
    QRect normalRect_;
};

class DocumentManager : public QObject {
    Q_OBJECT

public:
    DocumentManager(QMdiArea& area, const DocumentServices& services, QObject* parent = nullptr);

    // "新規作成": an empty document "Kelmora<n>" whose window asks for its background picture.
    KelmoraDocument* NewDocument();
    // An empty document "Kelmora<n>" whose one window shows no picture and takes the view data given
    // (a document that an import fills).
    KelmoraDocument* NewDocumentWithView(const CKelmoraViewData& view);
    // "開く": the project at `path` in its stored windows (an open one is brought forward instead).
    // A file that cannot be read is reported and opens nothing.
    KelmoraDocument* Open(const QString& path);
    // "開く(&O)...": the open dialog, then Open.
    void OpenChosen();
    // A backup of the last session. It is reopened as a document with unsaved changes and no file: it
    // asks to be saved when closed and its plain save asks for a name, so that the work it carries is
    // neither dropped nor written into a backup file that the next session overwrites. The project it
    // was made of (recorded beside the backup) is its origin: the save prompt names it and
    // "名前を付けて保存" starts there.
    KelmoraDocument* OpenBackup(const QString& path);

    // "上書き保存" (asks for a name when the document has no file) and "名前を付けて保存", which starts
    // in the folder of the document's origin with its name. False when nothing was saved.
    bool Save(KelmoraDocument& document);
    bool SaveAs(KelmoraDocument& document);

    // "閉じる": after the save prompt; false when refused or cancelled.
    bool Close(KelmoraDocument& document);
    // Every document, each after its save prompt; false when one was cancelled (the others stay closed).
    bool CloseAll();
    // Every document without asking (the start-up's restore).
    void CloseAllSilently();
    // One document without asking (a document made for an import that was cancelled).
    void CloseSilently(KelmoraDocument& document);

    // "新しいウィンドウを開く": another window on the document, with a background picture of its own.
    PlanWindow* NewWindow(KelmoraDocument& document);

    KelmoraDocument* activeDocument() const;
    std::vector<KelmoraDocument*> documents() const;
    RecentFiles& recentFiles() { return recent_; }

    // The last window of a document asks to close: the document closes with it (or the close is refused).
    bool WindowClosing(PlanWindow& window);

signals:
    // Documents, windows, titles or edit states changed.
    void changed();
    void statusText(const QString& text);
    void editMenuRequested(const QPoint& globalPos);

private:
    KelmoraDocument* AddDocument(ProjectDocument project, const std::string& path, const QString& title,
                                 bool modified, ProjectExtras extras = {});
    // A plan window on the document: at the record's rectangle (a new one cascades from the last window
    // opened), kept inside the window area, maximised when asked.
    PlanWindow* CreateWindow(KelmoraDocument& document, const ViewRecord* record, bool maximized = false);
    // The size of the window area the plan windows are placed in.
    QSize AreaSize() const;
    std::vector<PlanWindow*> WindowsOf(const KelmoraDocument& document) const;
    void RefreshTitles(KelmoraDocument& document);
    bool AskToSave(KelmoraDocument& document);
    bool WriteTo(KelmoraDocument& document, const QString& path);
    void Discard(KelmoraDocument& document);
    // The project at `path` with its extras; a file that cannot be read is reported (nothing returned),
    // an extension file that cannot be read is reported and the project opens without its extras.
    std::optional<ProjectWithExtras> Read(const QString& path);

    QMdiArea& area_;
    DocumentServices services_;
    RecentFiles recent_;
    std::vector<KelmoraDocument*> documents_;
    int untitledCount_ = 0;
    bool closingDocument_ = false;
};

}  // namespace kelmora
