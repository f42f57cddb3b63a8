#pragma once
// "予測結果一覧": the results of a document's last run. The table of points (label, position, levels,
// limits, exceedance; before and after the what-if changes, and their difference) can be sorted, copied
// as tab-separated text and exported as CSV. Below it the selected point's sources ranked by their
// share, the what-if controls (a source switched off, its power changed by some dB), the saved
// scenarios and the limits. The state and its arithmetic are CResultsStudy's; this window binds
// controls to it and tells its owner what the user asks for that reaches beyond it (the map, the
// document's scenarios and limits, the model).
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "calc/ResultsStudy.h"
#include "model/Scenarios.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTableWidget;

namespace kelmora {

class PointsTableModel;
class UserQuestions;

class ResultsWindow : public QDialog {
    Q_OBJECT

public:
    ResultsWindow(CResultsStudy& study, UserQuestions& questions, QWidget* parent = nullptr);

    // The study was reset (a run ended, an edit, other limits or scenarios): every control filled again;
    // the what-if changes are those of the study. `scenarios` are the document's saved ones.
    void Reload(const Scenarios& scenarios);
    // Selects point i (stored order) in the table and shows its contributions.
    void SelectPoint(int point);
    // The selected point (stored order), or −1.
    int selectedPoint() const;

    // Controls, for tests and scripts.
    QTableView& pointsTable() const { return *points_; }
    QTableWidget& contributionsTable() const { return *contributions_; }
    QTableWidget& sourcesTable() const { return *sources_; }
    QTableWidget& limitsTable() const { return *limits_; }
    QLineEdit& scenarioName() const { return *scenarioName_; }
    QCheckBox& byBuilding() const { return *byBuilding_; }

    // The points table in its shown order as tab-separated text, put on the clipboard ("コピー").
    void CopyPoints();
    // The contributions of every point after the changes written to `path` (CP932, CR LF), as
    // kelmora-calc contributions writes them; false after telling why it failed.
    bool ExportCsv(const std::string& path);

signals:
    // The what-if changes changed: every level of the study is new (the map follows).
    void studyChanged();
    // "シナリオとして保存": the changes to be kept as a scenario of this name.
    void saveScenarioRequested(const Scenario& scenario);
    // "差分マップ": the map of the levels after the changes against those before.
    void differenceMapRequested(const QString& name);
    // "モデルに反映": the changes to be made in the model as one step.
    void applyRequested(const Scenario& scenario);
    // "規制値を適用": the limits of the table to be kept with the document.
    void limitsRequested(const LevelLimits& limits);
    // The paths of point `point` from user source `source` (−1: from every source) to be drawn on the plan.
    void showPathsRequested(int point, int source);

private:
    void FillPoints();
    void FillContributions();
    void FillSources();
    void FillLimits();
    void Tell(const QString& text);
    // The changes made to the source table by the user.
    void SourceEdited(int row, int column);
    void ApplyLimits();

    CResultsStudy& study_;
    UserQuestions& questions_;
    QLabel* status_;
    PointsTableModel* pointsModel_;
    QSortFilterProxyModel* pointsOrder_;
    QTableView* points_;
    QTableWidget* contributions_;
    QCheckBox* byBuilding_;
    QTableWidget* sources_;
    QLineEdit* scenarioName_;
    QComboBox* savedScenarios_;
    QTableWidget* limits_;
    Scenarios scenarios_;
    bool filling_ = false;
};

}  // namespace kelmora
