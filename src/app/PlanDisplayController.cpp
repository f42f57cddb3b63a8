#include "app/PlanDisplayController.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "app/CommandActions.h"
#include "app/DocumentManager.h"
#include "app/Icons.h"
#include "app/PlanView.h"

namespace kelmora {

namespace {

const QString kPointLabelsKey = QStringLiteral("Plan/pointLabels");
const QString kSourceMemosKey = QStringLiteral("Plan/sourceMemos");
const QString kBuildingMemosKey = QStringLiteral("Plan/buildingMemos");

}  // namespace

PlanDisplayController::PlanDisplayController(QMainWindow& window, QMdiArea& area, QMenu& viewMenu,
                                             QToolBar& toolBar, QAction* toolBarBefore,
                                             DocumentManager& documents)
    : QObject(&window), area_(area), documents_(documents) {
    PlanDisplayActions& a = actions_;
    a.fit = MakeAction(this, "全体表示(&A)", "敷地全体をウィンドウに合わせて表示します",
                       QKeySequence(QStringLiteral("Ctrl+0")));
    a.fit->setIcon(PaintedIcon(ToolIcon::FitWindow));
    a.zoomIn = MakeAction(this, "拡大(&Z)", "表示を拡大します (Ctrl＋マウスホイール)", QKeySequence::ZoomIn);
    a.zoomIn->setIcon(PaintedIcon(ToolIcon::ZoomIn));
    a.zoomOut =
        MakeAction(this, "縮小(&K)", "表示を縮小します (Ctrl＋マウスホイール)", QKeySequence::ZoomOut);
    a.zoomOut->setIcon(PaintedIcon(ToolIcon::ZoomOut));
    a.zoomArea =
        MakeAction(this, "範囲を指定して拡大(&G)", "マウスドラッグで指定した範囲を拡大して表示します");
    a.zoomArea->setIcon(PaintedIcon(ToolIcon::ZoomArea));
    a.pointLabels =
        MakeAction(this, "予測点のラベル(&B)", "予測点のラベル (番号) の表示/非表示を切り替えます");
    a.sourceMemos = MakeAction(this, "音源のメモ(&N)", "音源のメモの表示/非表示を切り替えます");
    a.buildingMemos = MakeAction(this, "建物のメモ(&U)", "建物のメモの表示/非表示を切り替えます");
    const QSettings settings;
    for (const auto& [item, key] :
         {std::pair{a.pointLabels, kPointLabelsKey}, std::pair{a.sourceMemos, kSourceMemosKey},
          std::pair{a.buildingMemos, kBuildingMemosKey}}) {
        item->setCheckable(true);
        item->setChecked(settings.value(key, false).toBool());
    }

    a.separators.push_back(viewMenu.addSeparator());
    for (QAction* item : {a.fit, a.zoomIn, a.zoomOut, a.zoomArea})
        viewMenu.addAction(item);
    a.separators.push_back(viewMenu.addSeparator());
    for (QAction* item : {a.pointLabels, a.sourceMemos, a.buildingMemos})
        viewMenu.addAction(item);

    // Before the last group of the toolbar (its own separator stands before them).
    toolBar.insertActions(toolBarBefore, {a.fit, a.zoomIn, a.zoomOut, a.zoomArea});
    if (toolBarBefore != nullptr) a.separators.push_back(toolBar.insertSeparator(toolBarBefore));

    scale_ = new QLabel(&window);
    scale_->setAccessibleName(QString::fromUtf8("表示倍率"));
    window.statusBar()->addPermanentWidget(scale_);

    const auto onView = [this](void (PlanView::*act)()) {
        return [this, act] {
            if (PlanView* view = ActiveView()) (view->*act)();
        };
    };
    connect(a.fit, &QAction::triggered, this, onView(&PlanView::FitToWindow));
    connect(a.zoomIn, &QAction::triggered, this, onView(&PlanView::ZoomIn));
    connect(a.zoomOut, &QAction::triggered, this, onView(&PlanView::ZoomOut));
    connect(a.zoomArea, &QAction::triggered, this, onView(&PlanView::ArmZoomArea));
    for (QAction* item : {a.pointLabels, a.sourceMemos, a.buildingMemos}) {
        connect(item, &QAction::toggled, this, [this] {
            StoreLabels();
            Refresh();
        });
    }
    connect(&documents, &DocumentManager::changed, this, &PlanDisplayController::Refresh);
    connect(&area, &QMdiArea::subWindowActivated, this, &PlanDisplayController::Refresh);
    Refresh();
}

PlanLabels PlanDisplayController::labels() const {
    return {actions_.pointLabels->isChecked(), actions_.sourceMemos->isChecked(),
            actions_.buildingMemos->isChecked()};
}

void PlanDisplayController::StoreLabels() const {
    QSettings settings;
    settings.setValue(kPointLabelsKey, actions_.pointLabels->isChecked());
    settings.setValue(kSourceMemosKey, actions_.sourceMemos->isChecked());
    settings.setValue(kBuildingMemosKey, actions_.buildingMemos->isChecked());
}

PlanView* PlanDisplayController::ActiveView() const {
    auto* window = qobject_cast<PlanWindow*>(area_.currentSubWindow());
    return window != nullptr ? window->view() : nullptr;
}

void PlanDisplayController::Refresh() {
    const PlanLabels shown = labels();
    for (KelmoraDocument* document : documents_.documents()) {
        for (PlanView* view : document->views()) {
            view->SetLabels(shown);
            connect(view, &PlanView::displayChanged, this, &PlanDisplayController::Refresh,
                    Qt::UniqueConnection);
        }
    }
    PlanView* active = ActiveView();
    const bool document = documents_.activeDocument() != nullptr;
    const PlanDisplayActions& a = actions_;
    for (QAction* item : a.separators)
        item->setVisible(document);
    for (QAction* item :
         {a.fit, a.zoomIn, a.zoomOut, a.zoomArea, a.pointLabels, a.sourceMemos, a.buildingMemos})
        item->setVisible(document);
    for (QAction* item : {a.fit, a.zoomIn, a.zoomOut, a.zoomArea})
        item->setEnabled(active != nullptr);
    scale_->setText(active != nullptr ? active->displayScaleText() : QString());
    scale_->setVisible(active != nullptr);
}

}  // namespace kelmora
