#pragma once
// The window "伝搬経路": the paths of the prediction point whose paths a document shows on its plan
// windows (KelmoraDocument::shownPaths), one row each with its source, kind, the faces it touches and its
// A-weighted levels at the point, sortable by any column (strongest first at the start); the source
// whose paths are listed (every source, or one); and the vertical section of the path chosen in the
// table, which the plan draws over the others. A modeless dialog of its document: closing it (Esc) takes
// the paths off the plan, and it closes when they go.
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <cstddef>
#include <optional>
#include <vector>

#include "model/GroundLine.h"

class QComboBox;
class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace kelmora {

class KelmoraDocument;
class PathTableModel;
class PathSectionCanvas;

inline constexpr const char* kPathsWindowTitle = "伝搬経路";

class PathsWindow : public QDialog {
    Q_OBJECT

public:
    PathsWindow(KelmoraDocument& document, QWidget* parent);

    KelmoraDocument* document() const { return document_.data(); }
    // Shows the document's paths again (other paths, or none: the window closes).
    void Reload();

    QTableView* table() const { return table_; }
    QComboBox* sourceChoice() const { return source_; }
    QLabel* summary() const { return summary_; }
    // The section sketch as last drawn (blank until a path is chosen), for tests.
    const QImage& sectionImage() const;
    // The row of the table (as sorted) that shows path `path` (an index into the found paths).
    int RowOfPath(std::size_t path) const;

signals:
    // The user chose the source whose paths to list: an index into UserSources, or none for all.
    void sourceChosen(std::optional<std::size_t> userSource);

private:
    void PathChosen();

    QPointer<KelmoraDocument> document_;
    QLabel* summary_;
    QComboBox* source_;
    QTableView* table_;
    PathTableModel* rows_;
    QSortFilterProxyModel* sorted_;
    PathSectionCanvas* section_;
    std::vector<CGroundLine> terrain_;  // of the model the paths were found in
};

}  // namespace kelmora
