#pragma once
// What the plan windows show, in the desktop program: "全体表示", zoom in and out, the zoom-to-area tool
// and the label switches of the "表示(&V)" menu and the toolbar, acting on the active plan window, and
// the display scale of that window in the status bar. The label switches hold for every plan window
// and are kept in the per-user settings.
//
// The commands change a window's display transform only (PlanView, DisplayTransform.h), never its
// record.
#include <QObject>
#include <vector>

#include "view/PlanLabels.h"

class QAction;
class QLabel;
class QMainWindow;
class QMdiArea;
class QMenu;
class QToolBar;

namespace kelmora {

class DocumentManager;
class PlanView;

struct PlanDisplayActions {
    QAction* fit = nullptr;            // "全体表示(&A)"
    QAction* zoomIn = nullptr;         // "拡大(&Z)"
    QAction* zoomOut = nullptr;        // "縮小(&K)"
    QAction* zoomArea = nullptr;       // "範囲を指定して拡大(&G)"
    QAction* pointLabels = nullptr;    // "予測点のラベル(&B)", checkable
    QAction* sourceMemos = nullptr;    // "音源のメモ(&N)", checkable
    QAction* buildingMemos = nullptr;  // "建物のメモ(&U)", checkable
    std::vector<QAction*> separators;
};

class PlanDisplayController : public QObject {
    Q_OBJECT

public:
    // Adds the items at the end of `viewMenu`, the zoom buttons to `toolBar` before `toolBarBefore`
    // (null: at its end) and the scale to the window's status bar.
    PlanDisplayController(QMainWindow& window, QMdiArea& area, QMenu& viewMenu, QToolBar& toolBar,
                          QAction* toolBarBefore, DocumentManager& documents);

    const PlanDisplayActions& actions() const { return actions_; }
    const QLabel& scaleLabel() const { return *scale_; }
    PlanLabels labels() const;

    // Items, labels and the scale for the active plan window; every window gets the labels.
    void Refresh();

private:
    PlanView* ActiveView() const;
    void StoreLabels() const;

    QMdiArea& area_;
    DocumentManager& documents_;
    PlanDisplayActions actions_;
    QLabel* scale_;
};

}  // namespace kelmora
