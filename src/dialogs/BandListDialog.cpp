#include "dialogs/BandListDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "editing/BandListTable.h"

namespace kelmora {

BandListDialog::BandListDialog(std::span<const CBand> spectra, QWidget* parent)
    : QDialog(parent), table_(new QTableWidget(static_cast<int>(spectra.size()), kBandListColumns, this)) {
    setWindowTitle(QString::fromUtf8(kBandListTitle));

    QStringList headers;
    for (const char* header : BandListHeaders())
        headers << QString::fromUtf8(header);
    table_->setHorizontalHeaderLabels(headers);
    table_->setAccessibleName(QString::fromUtf8(kBandListTitle));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setShowGrid(true);
    table_->verticalHeader()->hide();
    for (int row = 0; row < static_cast<int>(spectra.size()); ++row) {
        const auto texts = BandListRow(spectra[static_cast<std::size_t>(row)]);
        for (int column = 0; column < kBandListColumns; ++column) {
            auto* item =
                new QTableWidgetItem(QString::fromStdString(texts[static_cast<std::size_t>(column)]));
            if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, column, item);
        }
    }
    // Each column as wide as its header.
    QHeaderView* header = table_->horizontalHeader();
    for (int column = 0; column < kBandListColumns; ++column)
        table_->setColumnWidth(column, header->sectionSizeHint(column));
    if (!spectra.empty()) table_->selectRow(0);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromUtf8("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    SetControlId(ok, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(960, 320);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        const QModelIndexList rows = table_->selectionModel()->selectedRows();
        chosen_ = rows.isEmpty() ? -1 : rows.front().row();
        accept();
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        chosen_ = row;
        accept();
    });
}

int BandListDialog::Choose(std::span<const CBand> spectra, QWidget* parent) {
    auto* dialog = new BandListDialog(spectra, parent);
    int chosen = -1;
    connect(dialog, &QDialog::accepted, dialog, [dialog, &chosen] { chosen = dialog->chosenRow(); });
    if (RunOwnedDialog(dialog) != QDialog::Accepted) return -1;
    return chosen;
}

}  // namespace kelmora
