#include "app/CommandActions.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

#include "app/Icons.h"
#include "app/KelmoraDocument.h"
#include "app/UserSettings.h"

namespace kelmora {

namespace {

// The toolbar's tip of a menu text: without its mnemonic and dots.
QString TipOf(QString text) {
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    text.remove(mnemonic).remove(QStringLiteral("...")).remove('&');
    return text.trimmed();
}

// ---- Import ----------------------------------------------------------------------------------------

// "インポート..." after the save commands of the file menu, and after "上書き保存" on the toolbar.
void AddImportAction(CommandActions& a, QObject* owner) {
    a.importSite = MakeAction(owner, "インポート...", "図面 (DXF) や GIS レイヤから敷地を取り込みます");
    a.importSite->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowDown));
    const QList<QAction*> menu = a.fileMenu->actions();
    const qsizetype afterSaveAs = menu.indexOf(a.saveAs) + 1;
    QAction* before = afterSaveAs > 0 && afterSaveAs < menu.size() ? menu[afterSaveAs] : nullptr;
    a.fileMenu->insertSeparator(before);
    a.fileMenu->insertAction(before, a.importSite);
    const QList<QAction*> tools = a.toolBarWidget->actions();
    const qsizetype afterSave = tools.indexOf(a.save) + 1;
    a.toolBarWidget->insertAction(afterSave > 0 && afterSave < tools.size() ? tools[afterSave] : nullptr,
                                  a.importSite);
}

// Without a document an import makes one; with one it adds to it while it has no dialog open.
void RefreshImportAction(const CommandActions& a, const KelmoraDocument* active) {
    a.importSite->setEnabled(active == nullptr || active->transaction().CommandsEnabled());
}

}  // namespace

QAction* MakeAction(QObject* parent, std::string_view text, std::string_view prompt,
                    const QKeySequence& keys) {
    auto* action = new QAction(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), parent);
    action->setStatusTip(QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size())));
    if (!keys.isEmpty()) action->setShortcut(keys);
    action->setToolTip(TipOf(action->text()));
    return action;
}

CommandActions CommandActions::Create(QMainWindow& window) {
    CommandActions a;
    QStyle* style = QApplication::style();
    QObject* owner = &window;

    a.newDocument = MakeAction(owner, "新規作成(&N)", "新しいドキュメントを作成します",
                               QKeySequence(QStringLiteral("Ctrl+N")));
    a.newDocument->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    a.open = MakeAction(owner, "開く(&O)...", "既存のドキュメントを開きます",
                        QKeySequence(QStringLiteral("Ctrl+O")));
    a.open->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    a.close = MakeAction(owner, "閉じる(&C)", "作業中のドキュメントを閉じます");
    a.save = MakeAction(owner, "上書き保存(&S)", "作業中のドキュメントを保存します",
                        QKeySequence(QStringLiteral("Ctrl+S")));
    a.save->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    a.saveAs = MakeAction(owner, "名前を付けて保存(&A)...", "作業中のドキュメントを新しい名前で保存します");
    a.exit = MakeAction(owner, "アプリケーションの終了(&X)",
                        "アプリケーションを終了し、ドキュメントの保存を指示します");

    a.groundLines = MakeAction(owner, "地表線情報...", "地表線情報編集");
    a.groundLines->setIcon(PaintedIcon(ToolIcon::GroundLines));
    a.buildings = MakeAction(owner, "建物情報...", "建物情報編集");
    a.buildings->setIcon(PaintedIcon(ToolIcon::Buildings));
    a.outdoorSources = MakeAction(owner, "屋外音源情報...", "屋外音源情報編集");
    a.outdoorSources->setIcon(PaintedIcon(ToolIcon::OutdoorSources));
    a.prediction = MakeAction(owner, "予測...", "予測点編集＆計算処理");
    a.prediction->setIcon(PaintedIcon(ToolIcon::Prediction));
    a.sizeChange = MakeAction(owner, "サイズ変更...", "サイズ変更");
    a.sizeChange->setIcon(PaintedIcon(ToolIcon::SizeChange));
    a.picture = MakeAction(owner, "背景画像変更...", "背景画像変更");
    a.picture->setIcon(PaintedIcon(ToolIcon::Picture));
    a.CreateUndoActions(owner);

    a.toolBar = MakeAction(owner, "ツール バー(&T)", "ツール バーの表示/非表示を切り替えます");
    a.toolBar->setCheckable(true);
    a.toolBar->setChecked(true);
    a.statusBar = MakeAction(owner, "ステータス バー(&S)", "ステータス バーの表示/非表示を切り替えます");
    a.statusBar->setCheckable(true);
    a.statusBar->setChecked(true);

    a.newWindow = MakeAction(owner, "新しいウィンドウを開く(&N)",
                             "作業中のドキュメントを表示する別のウィンドウを開きます");
    a.cascade = MakeAction(owner, "重ねて表示(&C)", "ウィンドウを重ねて表示します");
    a.tile = MakeAction(owner, "並べて表示(&T)", "ウィンドウを並べて表示します");
    a.arrangeIcons = MakeAction(owner, "アイコンの整列(&A)", "最小化されたウィンドウを整列します");

    a.about = MakeAction(owner, "Kelmoraについて(&A)...", "プログラム情報、バージョン番号を表示します");
    a.about->setIcon(style->standardIcon(QStyle::SP_MessageBoxInformation));

    QMenuBar* bar = window.menuBar();
    a.fileMenu = bar->addMenu(QString::fromUtf8("ファイル(&F)"));
    a.fileMenu->addAction(a.newDocument);
    a.fileMenu->addAction(a.open);
    a.fileMenu->addAction(a.close);
    a.fileMenu->addAction(a.save);
    a.fileMenu->addAction(a.saveAs);
    a.fileMenu->addSeparator();
    for (int i = 0; i < kRecentFileCount; ++i) {
        auto* entry = new QAction(owner);
        entry->setStatusTip(QString::fromUtf8("このドキュメントを開きます"));
        a.recentEntries.push_back(entry);
    }
    a.recentSeparator = a.fileMenu->addSeparator();  // the recent files stand before it
    a.fileMenu->addAction(a.exit);

    a.editMenu = bar->addMenu(QString::fromUtf8("編集(&E)"));
    a.editMenu->addAction(a.undo);
    a.editMenu->addAction(a.redo);
    a.editMenu->addSeparator();
    for (QAction* action :
         {a.groundLines, a.buildings, a.outdoorSources, a.prediction, a.sizeChange, a.picture})
        a.editMenu->addAction(action);
    a.editMenuEntry = a.editMenu->menuAction();

    a.viewMenu = bar->addMenu(QString::fromUtf8("表示(&V)"));
    a.viewMenu->addAction(a.toolBar);
    a.viewMenu->addAction(a.statusBar);

    a.windowMenu = bar->addMenu(QString::fromUtf8("ウィンドウ(&W)"));
    a.windowMenuEntry = a.windowMenu->menuAction();

    a.helpMenu = bar->addMenu(QString::fromUtf8("ヘルプ(&H)"));
    a.helpMenu->addAction(a.about);

    a.toolBarWidget = window.addToolBar(QString::fromUtf8("ツール バー"));
    a.toolBarWidget->setObjectName(QStringLiteral("toolBar"));
    a.toolBarWidget->setIconSize(QSize(24, 24));
    a.toolBarWidget->addAction(a.newDocument);
    a.toolBarWidget->addAction(a.open);
    a.toolBarWidget->addAction(a.save);
    a.toolBarWidget->addSeparator();
    a.toolBarWidget->addAction(a.undo);
    a.toolBarWidget->addAction(a.redo);
    a.toolBarWidget->addSeparator();
    a.toolBarWidget->addAction(a.groundLines);
    a.toolBarWidget->addAction(a.buildings);
    a.toolBarWidget->addAction(a.outdoorSources);
    a.toolBarWidget->addSeparator();
    a.toolBarWidget->addAction(a.prediction);
    a.toolBarWidget->addSeparator();
    a.toolBarWidget->addAction(a.sizeChange);
    a.toolBarWidget->addAction(a.picture);
    a.toolBarWidget->addSeparator();
    a.toolBarWidget->addAction(a.about);

    QObject::connect(a.toolBar, &QAction::toggled, a.toolBarWidget, &QToolBar::setVisible);
    QObject::connect(a.toolBarWidget, &QToolBar::visibilityChanged, a.toolBar, &QAction::setChecked);
    QStatusBar* status = window.statusBar();
    QObject::connect(a.statusBar, &QAction::toggled, status, &QStatusBar::setVisible);
    AddImportAction(a, owner);
    return a;
}

void CommandActions::Refresh(const KelmoraDocument* active, bool anyWindow) const {
    const bool document = active != nullptr;
    const int mode = document ? active->transaction().editMode() : kIdleMode;
    const bool idle = document && mode == kIdleMode;
    save->setVisible(document);
    saveAs->setVisible(document);
    editMenuEntry->setVisible(document);
    windowMenuEntry->setVisible(document);
    close->setEnabled(document && active->transaction().CanClose());
    // A running calculation writes its results into the model; it is not saved meanwhile.
    save->setEnabled(document && mode != kCalculationMode);
    saveAs->setEnabled(document && mode != kCalculationMode);
    for (QAction* action : {groundLines, buildings, outdoorSources, prediction, sizeChange, picture})
        action->setEnabled(idle);
    RefreshUndo(active);
    newWindow->setEnabled(document);
    cascade->setEnabled(anyWindow);
    tile->setEnabled(anyWindow);
    arrangeIcons->setEnabled(anyWindow);
    RefreshImportAction(*this, active);
}

// ---- Undo and redo ------------------------------------------------------------------------------

namespace {

const char* const kUndoText = "元に戻す(&U)";
const char* const kRedoText = "やり直し(&R)";

// The menu text names the step ("元に戻す(&U): 建物情報の変更"), the tip without the mnemonic
// ("元に戻す: 建物情報の変更").
void NameStep(QAction* action, const char* text, const std::string& step) {
    QString menu = QString::fromUtf8(text);
    QString tip = TipOf(menu);
    if (!step.empty()) {
        QString name = QString::fromStdString(step);
        tip += QStringLiteral(": ") + name;
        menu += QStringLiteral(": ") + name.replace('&', QStringLiteral("&&"));
    }
    action->setText(menu);
    action->setToolTip(tip);
}

}  // namespace

void CommandActions::CreateUndoActions(QObject* owner) {
    undo = MakeAction(owner, kUndoText, "直前の操作を元に戻します");
    undo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))});
    undo->setIcon(PaintedIcon(ToolIcon::Undo));
    redo = MakeAction(owner, kRedoText, "元に戻した操作をやり直します");
    redo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    redo->setIcon(PaintedIcon(ToolIcon::Redo));
}

void CommandActions::RefreshUndo(const KelmoraDocument* active) const {
    const EditTransaction* tx = active != nullptr ? &active->transaction() : nullptr;
    undo->setEnabled(tx != nullptr && tx->CanUndo());
    redo->setEnabled(tx != nullptr && tx->CanRedo());
    NameStep(undo, kUndoText, tx != nullptr ? tx->UndoName() : std::string());
    NameStep(redo, kRedoText, tx != nullptr ? tx->RedoName() : std::string());
}

// -------------------------------------------------------------------------------------------------

void CommandActions::ShowRecentFiles(const QStringList& files) const {
    // Only the entries in use stand in the menu (a hidden entry would still be announced by a screen
    // reader); with none, the disabled "最近使ったファイル".
    for (QAction* entry : recentEntries)
        fileMenu->removeAction(entry);
    QAction* before = recentSeparator;
    const std::size_t shown = std::max<std::size_t>(static_cast<std::size_t>(files.size()), 1);
    for (std::size_t i = 0; i < std::min(shown, recentEntries.size()); ++i) {
        QAction* entry = recentEntries[i];
        if (static_cast<qsizetype>(i) < files.size()) {
            const QString& path = files[static_cast<qsizetype>(i)];
            QString text = path;
            text.replace('&', QStringLiteral("&&"));
            entry->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(text));
            entry->setData(path);
            entry->setEnabled(true);
        } else {
            entry->setText(QString::fromUtf8("最近使ったファイル"));
            entry->setData(QString());
            entry->setEnabled(false);
        }
        fileMenu->insertAction(before, entry);
    }
}

}  // namespace kelmora
