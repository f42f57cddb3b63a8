#pragma once
// The commands of the main window as actions, its menus and its toolbar.
//
// Without a document the menu bar holds "ファイル(&F)", "表示(&V)" and "ヘルプ(&H)"; with one it adds
// "編集(&E)" (also the plan's context menu) and "ウィンドウ(&W)", and the file menu gains the two save
// commands. The edit commands are enabled exactly while the active document has no dialog open and no
// calculation running. The edit menu starts with "元に戻す" and "やり直し", which name the step they
// take back or make again.
#include <QKeySequence>
#include <QObject>
#include <QString>
#include <QStringList>
#include <string_view>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;
class QToolBar;

namespace kelmora {

class KelmoraDocument;

// A command of a menu or the toolbar: its text (with its mnemonic), the prompt the status bar shows,
// its shortcut, and the toolbar's tip (the text without its mnemonic and dots).
QAction* MakeAction(QObject* parent, std::string_view text, std::string_view prompt,
                    const QKeySequence& keys = {});

struct CommandActions {
    // File
    QAction* newDocument = nullptr;  // 57600
    QAction* open = nullptr;         // 57601
    QAction* close = nullptr;        // 57602
    QAction* save = nullptr;         // 57603
    QAction* saveAs = nullptr;       // 57604
    QAction* exit = nullptr;         // 57665
    // Edit
    QAction* groundLines = nullptr;     // 32771
    QAction* buildings = nullptr;       // 32772
    QAction* outdoorSources = nullptr;  // 32778
    QAction* prediction = nullptr;      // 32773
    QAction* sizeChange = nullptr;      // 32774
    QAction* picture = nullptr;         // 32776
    // Undo and redo of committed steps
    QAction* undo = nullptr;  // 57643
    QAction* redo = nullptr;  // 57644
    // View
    QAction* toolBar = nullptr;
    QAction* statusBar = nullptr;
    // Window
    QAction* newWindow = nullptr;     // 57648
    QAction* cascade = nullptr;       // 57650
    QAction* tile = nullptr;          // 57651
    QAction* arrangeIcons = nullptr;  // 57649
    // Help
    QAction* about = nullptr;  // 57664

    // Import: "インポート..." in the file menu (with and without a document) and on the toolbar.
    QAction* importSite = nullptr;

    QMenu* fileMenu = nullptr;
    QMenu* recentMenu = nullptr;  // holds the recent-file entries in the file menu
    QMenu* editMenu = nullptr;
    QMenu* viewMenu = nullptr;
    QMenu* windowMenu = nullptr;
    QMenu* helpMenu = nullptr;
    QToolBar* toolBarWidget = nullptr;
    QAction* editMenuEntry = nullptr;  // the menu bar's entries, shown only with a document
    QAction* windowMenuEntry = nullptr;
    QAction* recentSeparator = nullptr;   // below the recent-file entries
    std::vector<QAction*> recentEntries;  // four slots, "&1 path" …

    // Creates every action, the menus in order and the toolbar on `window`.
    static CommandActions Create(QMainWindow& window);

    // Menu 128 or 130 and the enabled state of every command for the active document (null: none).
    void Refresh(const KelmoraDocument* active, bool anyWindow) const;
    // The recent-file entries, most recent first ("&1 path").
    void ShowRecentFiles(const QStringList& files) const;

private:
    void CreateUndoActions(QObject* owner);
    // Undo and redo enabled and named after the active document's steps.
    void RefreshUndo(const KelmoraDocument* active) const;
};

}  // namespace kelmora
