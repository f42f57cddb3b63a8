#include "dialogs/PointsTableModel.h"

#include <QColor>
#include <array>

#include "calc/PrintfFormat.h"
#include "dialogs/DialogSupport.h"

namespace kelmora {
namespace {

// What a cell shows and the number it sorts by (an empty cell below every number).
struct Cell {
    QString text;
    QVariant sort;
};

Cell Level(double value, const char* format = "%.1f") {
    return {QtText(Format(format, {value})), value};
}

Cell Limit(const std::optional<double>& limit) {
    return limit ? Level(*limit) : Cell{QString(), -1e300};
}

Cell Over(double level, const std::optional<double>& limit) {
    if (!limit) return {QString(), -1e300};
    return {QtText(ExceedanceText(level, limit)), Exceedance(level, *limit)};
}

Cell CellOf(const PointRow& r, int column) {
    switch (column) {
        case 0:
            return {QtText(r.label), QtText(r.label)};
        case 1:
            return Level(r.position.x, "%.3f");
        case 2:
            return Level(r.position.y, "%.3f");
        case 3:
            return Level(r.position.z, "%.3f");
        case 4:
            return Level(r.laeq);
        case 5:
            return Level(r.lamax);
        case 6:
            return Limit(r.limits.laeq);
        case 7:
            return Limit(r.limits.lamax);
        case 8:
            return Over(r.laeqAfter, r.limits.laeq);
        case 9:
            return Over(r.lamaxAfter, r.limits.lamax);
        case 10:
            return Level(r.laeqAfter);
        case 11:
            return {QtText(DifferenceText(r.laeqAfter, r.laeq)), r.laeqAfter - r.laeq};
        case 12:
            return Level(r.lamaxAfter);
        case 13:
            return {QtText(DifferenceText(r.lamaxAfter, r.lamax)), r.lamaxAfter - r.lamax};
        default:
            return {};
    }
}

}  // namespace

int PointsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int PointsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kPointsTableHeaders.size());
}

QVariant PointsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(study_.rows().size())) return {};
    const PointRow& r = study_.rows()[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return CellOf(r, index.column()).text;
        case kSortRole:
            return CellOf(r, index.column()).sort;
        case kPointRole:
            return index.row();
        case Qt::TextAlignmentRole:
            return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                       : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::ForegroundRole: {
            const bool red = (index.column() == 0 && r.verdict == LimitVerdict::Exceeded) ||
                             (index.column() == 8 && Exceeds(r.laeqAfter, r.limits.laeq)) ||
                             (index.column() == 9 && Exceeds(r.lamaxAfter, r.limits.lamax));
            return red ? QVariant(QColor(200, 0, 0)) : QVariant();
        }
        default:
            return {};
    }
}

QVariant PointsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(kPointsTableHeaders.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf8(kPointsTableHeaders[static_cast<std::size_t>(section)]);
}

void PointsTableModel::Refresh() {
    const int rows = static_cast<int>(study_.rows().size());
    if (rows != rows_) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
        return;
    }
    if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1));
}

}  // namespace kelmora
