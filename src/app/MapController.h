#pragma once
// The noise map in the desktop program: the map items of the "表示(&V)" menu on the active document,
// the map a grid run ends with, result files of earlier runs opened onto the plan, difference maps of
// two result files, the section window of a vertical grid, the shown map saved as a picture or a GIS
// file, the map settings dialog, and the out-of-date mark in the status bar. The map itself is the document's
// (PlanMapState), drawn by all its plan windows.
//
// Without a document the view menu holds only its two bar items; with one, the map items follow
// them.
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

#include "view/noisemap/LevelGrid.h"

class QAction;
class QDialog;
class QLabel;
class QMainWindow;
class QMdiArea;
class QMenu;

namespace kelmora {

class DocumentManager;
class KelmoraDocument;
class SectionWindow;
class UserQuestions;

struct MapActions {
    QAction* showMap = nullptr;         // "騒音マップ(&M)", checkable
    QAction* isoLines = nullptr;        // "等値線(&I)", checkable
    QAction* legend = nullptr;          // "凡例(&L)", checkable
    QAction* laeq = nullptr;            // "等価騒音レベル LAeqT(&E)", one of two
    QAction* lamax = nullptr;           // "最大騒音レベル LAmax(&X)"
    QAction* openResultFile = nullptr;  // "計算結果ファイルを開く(&R)..."
    QAction* differenceMap = nullptr;   // "差分マップ(&F)..."
    QAction* section = nullptr;         // "鉛直断面(&D)..."
    QAction* savePicture = nullptr;     // "騒音マップを画像で保存(&P)..."
    QAction* settings = nullptr;        // "騒音マップ設定(&O)..."
    std::vector<QAction*> separators;   // between the groups, the first after the bar items
};

class MapController : public QObject {
    Q_OBJECT

public:
    // Adds the map items to `viewMenu` and the out-of-date mark to the window's status bar; follows the
    // plan window activated in `area`.
    MapController(QMainWindow& window, QMdiArea& area, QMenu& viewMenu, DocumentManager& documents,
                  UserQuestions& questions);

    const MapActions& actions() const { return actions_; }
    // The status bar's mark, shown while the active document's map is out of date.
    const QLabel& outOfDateMark() const { return *outOfDate_; }
    // The open section window of a document, or null.
    SectionWindow* sectionWindow(const KelmoraDocument& document) const;

    // Menu items and the status bar's mark for the active document.
    void Refresh();

    // "計算結果ファイルを開く(&R)...": a result file chosen in the open dialog onto the active document.
    void OpenResultFile();
    // "差分マップ(&F)...": scenario A's result file, then scenario B's; the map of A − B.
    void OpenDifferenceMap();
    // "鉛直断面(&D)...": the section window of the active document's vertical grid.
    void ShowSection();
    // "騒音マップを画像で保存(&P)...": the active plan window with its map and legend as a picture, or the
    // map as a GIS file.
    void SavePicture();
    // "騒音マップ設定(&O)...": the settings dialog on the active document's map settings; a change is
    // committed as one undoable step ("騒音マップ設定の変更") and saved with the document.
    void OpenSettings();
    // The dialog the last OpenSettings showed (for tests), or null.
    QDialog* settingsDialog() const { return settingsDialog_.data(); }

private:
    void RunFinished(int result);
    // A document's points predicted anew after an edit: the map of its last run follows them.
    void ResultsUpdated();
    // The map of the document's grid results (`again`: predicted anew after an edit, the section window
    // not brought up).
    void TakeRunResults(KelmoraDocument& document, bool again);
    KelmoraDocument* Active() const;
    // After the document's map changed: its plan windows redrawn, its section window, the menus.
    void MapChanged(KelmoraDocument& document);
    void OpenSection(KelmoraDocument& document);
    // A result file chosen under `title` read onto the document's grid; none when cancelled or not a
    // usable file (told). `name` receives the file's name.
    std::optional<LevelGrid> ChooseResults(KelmoraDocument& document, const QString& title,
                                           MapQuantity& quantity, std::string* name = nullptr);
    void Tell(const QString& text);

    QMainWindow& window_;
    DocumentManager& documents_;
    UserQuestions& questions_;
    MapActions actions_;
    QLabel* outOfDate_;
    std::vector<QPointer<SectionWindow>> sections_;
    QPointer<QDialog> settingsDialog_;
};

}  // namespace kelmora
