#pragma once
// The paths of a prediction point on the plan. An Alt + double click on a prediction point of a plan
// window (with no dialog open, after a run or before any) finds the paths from every source to that
// point, as a run finds and evaluates them, draws them over every plan window of its document and lists
// them in the window "伝搬経路" (PathsWindow); choosing a row there draws that path on top and shows its
// vertical section. Esc on the plan, closing the window or any committed change of the model takes the
// paths away; a new point replaces them.
//
// Other windows show a point's paths through ShowPathsOfPoint, e.g. the results window when a point is
// selected in its table, keeping the keyboard in that table:
//   paths.ShowPathsOfPoint(document, pointIndex, std::nullopt, PathsFocus::Keep);  // every source
//   paths.ShowPathsOfPoint(document, pointIndex, userSource, PathsFocus::Keep);    // one (UserSources order)
#include <QObject>
#include <QPointer>
#include <cstddef>
#include <optional>
#include <vector>

#include <Qt>

class QWidget;

namespace kelmora {

class DocumentManager;
class KelmoraDocument;
class PathsWindow;

// Whether the window "伝搬経路" takes the keyboard when it shows new paths (Bring: raised and made
// active, as after a double click on the plan) or leaves it where it is (Keep: shown, or left where it
// stands, without being activated).
enum class PathsFocus { Bring, Keep };

class PathsController : public QObject {
    Q_OBJECT

public:
    // Follows the Alt + double clicks on the plan windows of `documents`; the paths windows stand over
    // `mainWindow`.
    PathsController(QWidget& mainWindow, DocumentManager& documents);

    // Finds the paths at prediction point `pointIndex` of the document's model (PredictionPoints order of
    // its calculation settings) from every user source, or from `userSource` only (UserSources order),
    // draws them over the document's plan windows and shows them in its window "伝搬経路" (opened, or
    // brought forward with the new paths). Takes a moment (a second or so for a point of the example)
    // and shows the wait cursor meanwhile. False, changing nothing, while the document calculates or
    // when there is no such point or source.
    bool ShowPathsOfPoint(KelmoraDocument& document, std::size_t pointIndex,
                          std::optional<std::size_t> userSource = std::nullopt,
                          PathsFocus focus = PathsFocus::Bring);
    // Takes the document's paths off its plan windows and closes its window "伝搬経路".
    void ClearPaths(KelmoraDocument& document);
    // The open window "伝搬経路" of a document, or null.
    PathsWindow* pathsWindow(const KelmoraDocument& document) const;

private:
    void PointDoubleClicked(KelmoraDocument* document, int pointIndex, Qt::KeyboardModifiers modifiers);
    PathsWindow* OpenWindow(KelmoraDocument& document, PathsFocus focus);

    QWidget& mainWindow_;
    std::vector<QPointer<PathsWindow>> windows_;
};

}  // namespace kelmora
