#pragma once
// The results window "予測結果一覧" of each document: opened from the view menu and by a double click on
// a prediction point of the plan after a run; kept up to date with the document's runs, edits and
// limits; its what-if levels shown on the document's noise map and point marks; its scenarios and
// limits kept in the document's extension file and its changes made in the model, each as one
// committed step of the document.
//
// The paths of a point are drawn by another part of the program: pathsRequested tells it which.
#include <QObject>
#include <QPointer>
#include <map>
#include <memory>
#include <string>

#include "calc/ResultsStudy.h"

class QAction;
class QMainWindow;
class QMenu;

namespace kelmora {

class DocumentManager;
class KelmoraDocument;
class ResultsWindow;
class UserQuestions;

// The names of the steps these commits leave in the edit menu's undo.
inline constexpr const char* kScenarioSaveStep = "シナリオの保存";
inline constexpr const char* kScenarioApplyStep = "シナリオの反映";
inline constexpr const char* kLimitsChangeStep = "規制値の変更";

class ResultsController : public QObject {
    Q_OBJECT

public:
    ResultsController(QMainWindow& window, QMenu& viewMenu, DocumentManager& documents,
                      UserQuestions& questions);
    ~ResultsController() override;

    // "予測結果一覧(&T)..."
    QAction* action() const { return action_; }
    // Opens (or raises) the results window of the document, with point `point` selected (−1: as it was).
    void Open(KelmoraDocument& document, int point = -1);
    // The open results window of the document, or null.
    ResultsWindow* window(const KelmoraDocument& document) const;
    // The study the document's results window shows, or null before it was opened.
    const CResultsStudy* study(const KelmoraDocument& document) const;

signals:
    // The user asks for the paths of `point` (index into the model's PredictionPoints) from user source
    // `source` (UserSources order; −1: from every source) to be drawn over the document's plan.
    void pathsRequested(KelmoraDocument* document, int point, int source);

private:
    struct Entry {
        std::unique_ptr<CResultsStudy> study;
        QPointer<ResultsWindow> window;
        std::uint64_t modelFingerprint = 0;
        LevelLimits limits;
        Scenarios scenarios;
        // The name of the difference map of the study shown on the plan (empty: none), kept up to date
        // with the study's changes.
        std::string difference;
    };
    void Refresh();
    void Connect(KelmoraDocument& document);
    // The study of the document made again from its model, last run and limits; the window refilled.
    void Reset(KelmoraDocument& document);
    // After an edit: reset when the model or its limits changed.
    void StateChanged(KelmoraDocument& document);
    // The what-if levels onto the map (grid runs) and the point marks, and the plan redrawn.
    void ShowStudy(KelmoraDocument& document);
    void SaveScenario(KelmoraDocument& document, const Scenario& scenario);
    void ApplyScenario(KelmoraDocument& document, const Scenario& scenario);
    void ChangeLimits(KelmoraDocument& document, const LevelLimits& limits);
    void ShowDifference(KelmoraDocument& document, const QString& name);
    // The study's difference map (after − before) onto the document's map; false after telling why not.
    bool TakeDifference(KelmoraDocument& document);
    void Tell(const QString& text);

    QMainWindow& window_;
    DocumentManager& documents_;
    UserQuestions& questions_;
    QAction* separator_;
    QAction* action_;
    std::map<const KelmoraDocument*, Entry> entries_;
};

}  // namespace kelmora
