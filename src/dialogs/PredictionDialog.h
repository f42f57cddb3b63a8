#pragma once
// The prediction dialog "予測" (modeless): how the prediction points are given — one point, a list, a
// horizontal grid over the active plan window or a vertical grid along a plan line — the point list,
// the calculation conditions and the memo, over the document's working copy. Its state and checks are
// PredictionEditor's; this window binds them to controls.
//
// "適用" checks and stores the settings (a grid is laid out anew and drawn on the plan), "OK" also
// commits the working copy, "キャンセル" (Esc, the close box) discards it, and "予測計算開始..."
// commits it and has the document run the prediction in its progress dialog.
//
// Clicks on the plan reach it as an EditorPort: a left click writes X and Y of the point (and adds it
// to the list in the list mode, through "追加"), a drag writes the vertical grid's line.
#include <vector>

#include "dialogs/ChainDialog.h"
#include "editing/PredictionEditor.h"

class QButtonGroup;
class QPushButton;
class QTreeWidget;

namespace kelmora {

class PredictionDialog : public ChainDialog {
    Q_OBJECT

public:
    PredictionDialog(ChainHost& host, const DialogRequest& request, QWidget* parent = nullptr);

    // The factory of the chain dialog registry for the prediction mode.
    static ChainDialog* Make(ChainHost& host, const DialogRequest& request, QWidget* parent);

private:
    void Build();
    QWidget* BuildPointBox();
    QWidget* BuildGridBox();
    QWidget* BuildConditionBox();
    QLayout* BuildButtons();
    // A number field with its identifier, bound for the plan's clicks when `picked`.
    QLineEdit* NumberField(int controlId, bool picked = false);

    // The controls into the editor's fields, and back.
    void FromControls();
    void ToControls();
    void RefreshEnabling();
    // Refills the point list and selects `row` (clamped) in the list mode; the document's selected
    // point follows, so that the plan highlights it.
    void RefillList(int row);

    void ModeChosen(int mode);
    void AddPoint();
    void ChangePoint();
    void DeleteAllPoints();
    // Reads, checks and stores the settings into the working copy; false after telling the user why not.
    bool Store();
    void ApplySettings();
    void Close(PredictionExit exit);

    PredictionEditor editor_;
    QButtonGroup* modes_ = nullptr;
    QTreeWidget* pointList_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* change_ = nullptr;
    QPushButton* deleteAll_ = nullptr;
    QLineEdit* memo_ = nullptr;
    // Controls enabled together (labels with their fields).
    std::vector<QWidget*> divisionControls_;
    std::vector<QWidget*> verticalGridControls_;
    bool finishing_ = false;
};

}  // namespace kelmora
