#pragma once
// The rows of the results window's table of points, read from the study as they are shown: a what-if
// change is one notice of changed data, not thousands of new cells (a grid of 2,601 points stays
// instant, for screen readers too). Sorting goes by the value of each column (kSortRole), the point by
// kPointRole (its index in the model's PredictionPoints).
#include <QAbstractTableModel>

#include "calc/ResultsStudy.h"

namespace kelmora {

class PointsTableModel : public QAbstractTableModel {
public:
    static constexpr int kSortRole = Qt::UserRole;
    static constexpr int kPointRole = Qt::UserRole + 1;

    explicit PointsTableModel(const CResultsStudy& study, QObject* parent = nullptr)
        : QAbstractTableModel(parent), study_(study) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The study's rows changed: their number (a reset) or only their levels and limits.
    void Refresh();

private:
    const CResultsStudy& study_;
    int rows_ = 0;
};

}  // namespace kelmora
