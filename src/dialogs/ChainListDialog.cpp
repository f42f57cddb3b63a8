#include "dialogs/ChainListDialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "dialogs/ShiftAmountDialog.h"
#include "editing/ChainList.h"

namespace kelmora {

namespace {

// Width of the list when its columns do not fit on the screen [px].
constexpr int kMaxListWidth = 1100;
constexpr int kListHeight = 280;

}  // namespace

ChainDialog* ChainListDialog::Make(ChainHost& host, const DialogRequest& request, QWidget* parent) {
    return new ChainListDialog(host, request, parent);
}

ChainListDialog::ChainListDialog(ChainHost& host, const DialogRequest& request, QWidget* parent)
    : ChainDialog(host, request, parent), list_(std::make_unique<ChainList>(host.transaction())) {
    if (request.modal) setWindowModality(Qt::WindowModal);

    table_ = new QTableWidget(this);
    table_->setObjectName(QString::number(kListControlId));
    table_->setAccessibleName(windowTitle());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setShowGrid(true);
    table_->setWordWrap(false);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    QHeaderView* header = table_->horizontalHeader();
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setStretchLastSection(true);

    const std::vector<std::string>& headers = list_->headers();
    table_->setColumnCount(static_cast<int>(headers.size()));
    QStringList labels;
    for (const std::string& text : headers)
        labels << QString::fromStdString(text);
    table_->setHorizontalHeaderLabels(labels);
    // Each column as wide as its header, so the padded Japanese headers set the layout of the cells.
    int width = 0;
    for (int c = 0; c < table_->columnCount(); ++c) {
        table_->setColumnWidth(c, header->sectionSizeHint(c));
        width += table_->columnWidth(c);
    }
    width += 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    table_->setMinimumSize(std::min(width, kMaxListWidth), kListHeight);

    auto* side = new QVBoxLayout;
    AddButton(kListAddButtonId, "追加...");
    AddButton(kChangeButtonId, "変更...");
    AddButton(kDeleteButtonId, "削除");
    AddButton(kUpButtonId, "↑");
    AddButton(kDownButtonId, "↓");
    for (const int id : {kListAddButtonId, kChangeButtonId, kDeleteButtonId, kUpButtonId, kDownButtonId})
        side->addWidget(button(id));
    const ListExtra extra = ListTableOf(list_->level()).extra;
    if (extra != ListExtra::None) {
        const int id = ListExtraButtonId(extra);
        side->addSpacing(12);
        side->addWidget(AddButton(id, ListExtraText(extra)));
        button(id)->setVisible(list_->IsButtonShown(id));
    }
    side->addStretch(1);
    QPushButton* ok = AddButton(kOkButtonId, "OK");
    ok->setDefault(true);
    side->addWidget(ok);
    side->addWidget(AddButton(kCancelButtonId, "キャンセル"));

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(side);

    connect(button(kListAddButtonId), &QPushButton::clicked, this, [this] { HandOver(list_->Add()); });
    connect(button(kChangeButtonId), &QPushButton::clicked, this, [this] { HandOver(list_->Change()); });
    connect(button(kDeleteButtonId), &QPushButton::clicked, this, [this] { Carry(list_->Delete()); });
    connect(button(kUpButtonId), &QPushButton::clicked, this, [this] { Carry(list_->MoveUp()); });
    connect(button(kDownButtonId), &QPushButton::clicked, this, [this] { Carry(list_->MoveDown()); });
    if (QPushButton* shift = button(kShiftedCopyButtonId))
        connect(shift, &QPushButton::clicked, this, &ChainListDialog::AddShiftedCopy);
    if (QPushButton* generate = button(kGenerateButtonId))
        connect(generate, &QPushButton::clicked, this, [this] { Carry(list_->Generate()); });
    connect(ok, &QPushButton::clicked, this, [this] { Finish(list_->Ok()); });
    connect(button(kCancelButtonId), &QPushButton::clicked, this,
            [this] { Finish(list_->Cancel(), QDialog::Rejected); });

    connect(table_, &QTableWidget::itemSelectionChanged, this, &ChainListDialog::RowSelectedByUser);
    // A double click on a row is "変更...".
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] {
        if (list_->IsButtonEnabled(kChangeButtonId)) button(kChangeButtonId)->click();
    });

    Carry(list_->Open());
    table_->setFocus();
}

ChainListDialog::~ChainListDialog() = default;

QPushButton* ChainListDialog::AddButton(int buttonId, const char* text) {
    auto* pushButton = new QPushButton(QString::fromUtf8(text), this);
    pushButton->setObjectName(QString::number(buttonId));
    pushButton->setAutoDefault(false);
    buttons_[buttonId] = pushButton;
    BindButton(buttonId, pushButton);
    return pushButton;
}

QPushButton* ChainListDialog::button(int buttonId) const {
    const auto it = buttons_.find(buttonId);
    return it == buttons_.end() ? nullptr : it->second;
}

void ChainListDialog::Carry(const ListUpdate& update) {
    for (const int hint : update.hints)
        host().UpdateViews(hint);
    if (update.rowsChanged)
        FillRows();
    else
        ShowSelection();
    EnableButtons();
    if (update.message) ShowUserMessage(this, *update.message);
}

void ChainListDialog::FillRows() {
    filling_ = true;
    const std::vector<std::vector<std::string>> rows = list_->Rows();
    table_->clearContents();
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const std::vector<std::string>& cells = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < table_->columnCount() && c < static_cast<int>(cells.size()); ++c)
            table_->setItem(r, c,
                            new QTableWidgetItem(QString::fromStdString(cells[static_cast<std::size_t>(c)])));
    }
    filling_ = false;
    ShowSelection();
}

void ChainListDialog::ShowSelection() {
    filling_ = true;
    const int row = list_->SelectedRow();
    if (row < 0) {
        table_->clearSelection();
    } else {
        table_->setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        table_->scrollToItem(table_->item(row, 0));
    }
    filling_ = false;
}

void ChainListDialog::EnableButtons() {
    for (const auto& [id, pushButton] : buttons_)
        if (id != kOkButtonId && id != kCancelButtonId) pushButton->setEnabled(list_->IsButtonEnabled(id));
}

void ChainListDialog::RowSelectedByUser() {
    if (filling_) return;
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    if (selected.isEmpty()) {
        // A row stays selected while the list has rows: it is the item the plan shows and the editor
        // would get.
        ShowSelection();
        return;
    }
    Carry(list_->Select(selected.first()->row()));
}

void ChainListDialog::HandOver(const ChainStep& step) {
    if (!step.Empty()) Finish(step);
}

void ChainListDialog::AddShiftedCopy() {
    if (!list_->IsButtonEnabled(kShiftedCopyButtonId)) return;
    auto* amount = new ShiftAmountDialog(*list_, this);
    double horizontal = 0.0;
    double vertical = 0.0;
    connect(amount, &QDialog::accepted, amount, [amount, &horizontal, &vertical] {
        horizontal = amount->horizontal();
        vertical = amount->vertical();
    });
    if (RunOwnedDialog(amount) != QDialog::Accepted) return;
    HandOver(list_->AddShiftedCopy(horizontal, vertical));
}

}  // namespace kelmora
