#include "app/PathsController.h"

#include <QApplication>
#include <QScreen>
#include <algorithm>

#include "app/DocumentManager.h"
#include "app/KelmoraDocument.h"
#include "app/PathsWindow.h"
#include "calc/PointPaths.h"

namespace kelmora {

PathsController::PathsController(QWidget& mainWindow, DocumentManager& documents)
    : QObject(&mainWindow), mainWindow_(mainWindow) {
    connect(&documents, &DocumentManager::predictionPointDoubleClicked, this,
            &PathsController::PointDoubleClicked);
}

PathsWindow* PathsController::pathsWindow(const KelmoraDocument& document) const {
    for (const QPointer<PathsWindow>& window : windows_)
        if (!window.isNull() && window->document() == &document && window->isVisible()) return window.data();
    return nullptr;
}

void PathsController::PointDoubleClicked(KelmoraDocument* document, int pointIndex,
                                         Qt::KeyboardModifiers modifiers) {
    if (document == nullptr || pointIndex < 0 || !modifiers.testFlag(Qt::AltModifier)) return;
    ShowPathsOfPoint(*document, static_cast<std::size_t>(pointIndex));
}

bool PathsController::ShowPathsOfPoint(KelmoraDocument& document, std::size_t pointIndex,
                                       std::optional<std::size_t> userSource, PathsFocus focus) {
    // A run writes its results into the model while it calculates.
    if (document.calculating()) return false;
    std::optional<PointPaths> found;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        found = FindPointPaths(document.transaction().model(), pointIndex, userSource);
        QApplication::restoreOverrideCursor();
    }
    if (!found) return false;
    document.ShowPaths(ShownPaths{pointIndex, std::move(*found), std::nullopt});
    PathsWindow* window = pathsWindow(document);
    if (window == nullptr) window = OpenWindow(document, focus);
    if (focus == PathsFocus::Bring) {
        window->raise();
        window->activateWindow();
    }
    return true;
}

void PathsController::ClearPaths(KelmoraDocument& document) {
    document.ShowPaths(std::nullopt);
}

PathsWindow* PathsController::OpenWindow(KelmoraDocument& document, PathsFocus focus) {
    std::erase_if(windows_, [](const QPointer<PathsWindow>& w) { return w.isNull(); });
    auto* window = new PathsWindow(document, &mainWindow_);
    windows_.push_back(window);
    connect(window, &PathsWindow::sourceChosen, this,
            [this, window, d = QPointer<KelmoraDocument>(&document)](std::optional<std::size_t> userSource) {
                if (d.isNull() || d->shownPaths() == nullptr) return;
                if (!ShowPathsOfPoint(*d, d->shownPaths()->pointIndex, userSource, PathsFocus::Keep))
                    window->Reload();
            });
    // The window follows the document's paths, and its closing takes them off the plan.
    connect(&document, &KelmoraDocument::pathsChanged, window, &PathsWindow::Reload);
    connect(window, &QDialog::finished, this, [d = QPointer<KelmoraDocument>(&document)] {
        if (!d.isNull()) d->ShowPaths(std::nullopt);
    });
    // At the right of the screen, leaving the plan at the left of the main window in sight; placed once
    // shown, when its frame has its real size.
    window->setAttribute(Qt::WA_ShowWithoutActivating, focus == PathsFocus::Keep);
    window->show();
    const QRect frame = mainWindow_.geometry();
    const QScreen* screen = mainWindow_.screen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : frame;
    const int width = window->frameGeometry().width();
    window->move(std::max(available.left(), available.right() + 1 - width), frame.top() + 60);
    return window;
}

}  // namespace kelmora
