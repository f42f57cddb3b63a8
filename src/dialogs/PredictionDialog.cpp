#include "dialogs/PredictionDialog.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "propagation/GroundModel.h"

namespace kelmora {

namespace {

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The number fields and the editor's texts they show.
struct NumberBinding {
    int controlId;
    std::string PredictionEditor::*text;
};

constexpr NumberBinding kNumberFields[] = {
    {kPredictionPointXId, &PredictionEditor::pointX},
    {kPredictionPointYId, &PredictionEditor::pointY},
    {kPredictionPointZId, &PredictionEditor::pointZ},
    {kRowDivisionsId, &PredictionEditor::rowDivisions},
    {kColumnDivisionsId, &PredictionEditor::columnDivisions},
    {kGridHeightId, &PredictionEditor::gridHeight},
    {kGridTopHeightId, &PredictionEditor::gridTopHeight},
    {kPredictionLineStartXId, &PredictionEditor::lineStartX},
    {kPredictionLineStartYId, &PredictionEditor::lineStartY},
    {kPredictionLineEndXId, &PredictionEditor::lineEndX},
    {kPredictionLineEndYId, &PredictionEditor::lineEndY},
    {kTargetTimeId, &PredictionEditor::targetTime},
    {kMaxReflectionsId, &PredictionEditor::maxReflections},
    {kTemperatureId, &PredictionEditor::temperature},
    {kHumidityId, &PredictionEditor::humidity},
    {kEffectiveDistanceId, &PredictionEditor::effectiveDistance},
};

// The calculation conditions in the order the dialog shows them.
struct ConditionRow {
    int controlId;
    const char* label;
};

constexpr ConditionRow kConditionRows[] = {
    {kTargetTimeId, "対象とする時間[s]:"},
    {kMaxReflectionsId, "最大反射回数:"},
    {kTemperatureId, "気温[℃]:"},
    {kHumidityId, "相対湿度[%]:"},
    {kEffectiveDistanceId, "予測計算有効距離[m]:"},
};

}  // namespace

PredictionDialog::PredictionDialog(ChainHost& host, const DialogRequest& request, QWidget* parent)
    : ChainDialog(host, request, parent), editor_(host.transaction().workingCopy()) {
    Build();
    ToControls();
    const CNoise& workingCopy = transaction().workingCopy();
    // The list mode opens on the row the document chose (the last point).
    RefillList(editor_.mode == kPointListMode ? transaction().edit().selectedPointIndex
                                              : static_cast<int>(workingCopy.calcInfo.pointList.size()) - 1);
    // A mode is chosen by a click, the keyboard or a screen reader's action alike.
    connect(modes_, &QButtonGroup::idToggled, this, [this](int mode, bool checked) {
        if (checked) ModeChosen(mode);
    });
}

ChainDialog* PredictionDialog::Make(ChainHost& host, const DialogRequest& request, QWidget* parent) {
    return new PredictionDialog(host, request, parent);
}

QLineEdit* PredictionDialog::NumberField(int controlId, bool picked) {
    auto* field = new QLineEdit(this);
    SetControlId(field, controlId);
    BindField(controlId, field);
    if (!picked) field->setMaximumWidth(120);
    return field;
}

void PredictionDialog::Build() {
    auto* top = new QVBoxLayout(this);
    top->addWidget(BuildPointBox());
    top->addWidget(BuildGridBox());
    top->addWidget(BuildConditionBox());
    memo_ = new QLineEdit;
    SetControlId(memo_, kPredictionMemoId);
    auto* memoRow = new QFormLayout;
    memoRow->addRow(BuddyLabel("メモ :", memo_), memo_);  // the label first, for screen readers too
    top->addLayout(memoRow);
    top->addLayout(BuildButtons());
}

QWidget* PredictionDialog::BuildPointBox() {
    auto* box = new QGroupBox(Text("予測点"), this);
    auto* layout = new QVBoxLayout(box);

    auto* radios = new QHBoxLayout;
    modes_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < kPredictionModeLabels.size(); ++i) {
        auto* radio = new QRadioButton(Text(kPredictionModeLabels[i]), box);
        SetControlId(radio, kPredictionModeRadioIds[i]);
        modes_->addButton(radio, static_cast<int>(i));
        radios->addWidget(radio);
    }
    radios->addStretch();
    layout->addLayout(radios);

    auto* note = new QLabel(Text("予測点論理座標　→　画面のマウス左クリックで指定できます"), box);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* coordinates = new QHBoxLayout;
    for (const auto& [id, label] :
         {std::pair{kPredictionPointXId, "X :"}, std::pair{kPredictionPointYId, "Y :"},
          std::pair{kPredictionPointZId, "Z :"}}) {
        QLineEdit* field = NumberField(id, true);
        coordinates->addWidget(BuddyLabel(label, field));
        coordinates->addWidget(field);
    }
    layout->addLayout(coordinates);

    auto* listRow = new QHBoxLayout;
    pointList_ = new QTreeWidget(box);
    SetControlId(pointList_, kPointListId);
    pointList_->setAccessibleName(Text("予測点一覧"));
    pointList_->setRootIsDecorated(false);
    pointList_->setUniformRowHeights(true);
    pointList_->setSelectionMode(QAbstractItemView::SingleSelection);
    pointList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    pointList_->setAllColumnsShowFocus(true);
    QStringList headers;
    for (const char* header : kPointListHeaders)
        headers << Text(header);
    pointList_->setHeaderLabels(headers);
    pointList_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    pointList_->header()->setStretchLastSection(false);
    pointList_->setMinimumHeight(120);
    connect(pointList_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = pointList_->selectedItems();
        if (selected.isEmpty()) return;
        const int row = pointList_->indexOfTopLevelItem(selected.front());
        editor_.SelectRow(row, transaction().workingCopy());
        host().Apply(transaction().SelectPredictionPoint(editor_.selectedRow()));
        RefreshEnabling();
    });
    listRow->addWidget(pointList_, 1);

    auto* listButtons = new QVBoxLayout;
    const auto button = [&](int id, const char* text, void (PredictionDialog::*action)()) {
        auto* b = new QPushButton(Text(text), box);
        SetControlId(b, id);
        b->setAutoDefault(false);
        BindButton(id, b);
        connect(b, &QPushButton::clicked, this, action);
        listButtons->addWidget(b);
        return b;
    };
    add_ = button(kAddPointId, "追加", &PredictionDialog::AddPoint);
    change_ = button(kChangePointId, "変更", &PredictionDialog::ChangePoint);
    deleteAll_ = button(kDeleteAllPointsId, "全削除", &PredictionDialog::DeleteAllPoints);
    listButtons->addStretch();
    listRow->addLayout(listButtons);
    layout->addLayout(listRow);
    return box;
}

QWidget* PredictionDialog::BuildGridBox() {
    auto* box = new QGroupBox(Text("格子"), this);
    auto* grid = new QGridLayout(box);
    const auto labelled = [&](const char* text, QLineEdit* field, int row, int column,
                              std::vector<QWidget*>& together) {
        QLabel* label = BuddyLabel(text, field);
        grid->addWidget(label, row, column);
        grid->addWidget(field, row, column + 1);
        together.push_back(label);
        together.push_back(field);
    };
    labelled("縦分割数:", NumberField(kRowDivisionsId), 0, 0, divisionControls_);
    labelled("横分割数:", NumberField(kColumnDivisionsId), 0, 2, divisionControls_);
    labelled("地上高さ[m] : ", NumberField(kGridHeightId), 1, 0, divisionControls_);
    labelled("～", NumberField(kGridTopHeightId), 1, 2, verticalGridControls_);

    auto* note = new QLabel(Text("鉛直格子状の水平直線→画面のマウスドラッグで指定できます"), box);
    note->setWordWrap(true);
    grid->addWidget(note, 2, 0, 1, 9);
    verticalGridControls_.push_back(note);
    labelled("X :", NumberField(kPredictionLineStartXId, true), 3, 0, verticalGridControls_);
    labelled("Y :", NumberField(kPredictionLineStartYId, true), 3, 2, verticalGridControls_);
    auto* to = new QLabel(Text("～"), box);
    grid->addWidget(to, 3, 4);
    verticalGridControls_.push_back(to);
    labelled("X :", NumberField(kPredictionLineEndXId, true), 3, 5, verticalGridControls_);
    labelled("Y :", NumberField(kPredictionLineEndYId, true), 3, 7, verticalGridControls_);
    return box;
}

QWidget* PredictionDialog::BuildConditionBox() {
    auto* box = new QGroupBox(Text("計算条件"), this);
    auto* form = new QFormLayout(box);
    for (const ConditionRow& row : kConditionRows) {
        QLineEdit* field = NumberField(row.controlId);
        form->addRow(BuddyLabel(row.label, field), field);
    }
    return box;
}

QLayout* PredictionDialog::BuildButtons() {
    auto* row = new QHBoxLayout;
    const auto button = [&](int id, const char* text, auto action) {
        auto* b = new QPushButton(Text(text), this);
        SetControlId(b, id);
        b->setAutoDefault(false);
        BindButton(id, b);
        connect(b, &QPushButton::clicked, this, action);
        return b;
    };
    row->addWidget(
        button(kStartRunId, "予測計算開始...", [this] { Close(PredictionExit::StartCalculation); }));
    row->addStretch();
    row->addWidget(button(kApplyId, "適用", [this] { ApplySettings(); }));
    QPushButton* ok = button(kOkButtonId, "OK", [this] { Close(PredictionExit::Ok); });
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(button(kCancelButtonId, "キャンセル", [this] { Close(PredictionExit::Cancel); }));
    return row;
}

void PredictionDialog::FromControls() {
    for (const NumberBinding& b : kNumberFields)
        editor_.*b.text = FieldString(Field(b.controlId));
    editor_.memo = FieldString(memo_);
    if (modes_->checkedId() >= 0) editor_.mode = modes_->checkedId();
}

void PredictionDialog::ToControls() {
    for (const NumberBinding& b : kNumberFields)
        SetFieldString(Field(b.controlId), editor_.*b.text);
    SetFieldString(memo_, editor_.memo);
    if (QAbstractButton* radio = modes_->button(editor_.mode)) radio->setChecked(true);
}

void PredictionDialog::RefreshEnabling() {
    const PredictionEnabling e = editor_.Enabling(transaction().workingCopy());
    pointList_->setEnabled(e.pointList);
    add_->setEnabled(e.pointList);
    change_->setEnabled(e.change && editor_.selectedRow() >= 0);
    deleteAll_->setEnabled(e.deleteAll);
    for (QWidget* w : divisionControls_)
        w->setEnabled(e.divisions);
    for (QWidget* w : verticalGridControls_)
        w->setEnabled(e.verticalGrid);
}

void PredictionDialog::RefillList(int row) {
    const CNoise& workingCopy = transaction().workingCopy();
    {
        const QSignalBlocker block(pointList_);
        pointList_->clear();
        for (const auto& cells : editor_.PointRows(workingCopy)) {
            auto* item = new QTreeWidgetItem(pointList_);
            for (int c = 0; c < 3; ++c) {
                item->setText(c, QString::fromStdString(cells[static_cast<std::size_t>(c)]));
                item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
            }
        }
        editor_.SelectRow(row, workingCopy);
        // Only the list mode has a selected point; the others draw no list on the plan.
        const int shown = editor_.mode == kPointListMode ? editor_.selectedRow() : -1;
        if (QTreeWidgetItem* item = shown >= 0 ? pointList_->topLevelItem(shown) : nullptr) {
            pointList_->setCurrentItem(item);
            item->setSelected(true);
            pointList_->scrollToItem(item);
        }
        host().Apply(transaction().SelectPredictionPoint(shown));
    }
    RefreshEnabling();
}

void PredictionDialog::ModeChosen(int mode) {
    FromControls();
    editor_.mode = mode;
    // The plan draws the points of the chosen mode (the working copy is discarded unless the settings
    // are checked and stored).
    transaction().workingCopy().calcInfo.mode = mode;
    RefillList(static_cast<int>(transaction().workingCopy().calcInfo.pointList.size()) - 1);
    host().UpdateViews(4);
}

void PredictionDialog::AddPoint() {
    FromControls();
    if (const std::optional<UserMessage> refused = editor_.AddPoint(transaction().workingCopy())) {
        ShowUserMessage(this, *refused);
        return;
    }
    RefillList(editor_.selectedRow());
}

void PredictionDialog::ChangePoint() {
    FromControls();
    if (const std::optional<UserMessage> refused = editor_.ChangePoint(transaction().workingCopy())) {
        ShowUserMessage(this, *refused);
        return;
    }
    RefillList(editor_.selectedRow());
}

void PredictionDialog::DeleteAllPoints() {
    editor_.DeleteAllPoints(transaction().workingCopy());
    RefillList(-1);
}

bool PredictionDialog::Store() {
    FromControls();
    CNoise& workingCopy = transaction().workingCopy();
    PredictionGridContext grids;
    if (const CKelmoraViewData* view = host().activeViewData()) grids.planView = GridPlanViewOf(*view);
    grids.groundHeightAt = [&workingCopy](const CVector3D& p) { return GroundHeightAt(workingCopy, p); };
    if (const std::optional<UserMessage> refused = editor_.ValidateAndStore(workingCopy, grids)) {
        ShowUserMessage(this, *refused);
        return false;
    }
    return true;
}

void PredictionDialog::ApplySettings() {
    if (Store()) host().UpdateViews(4);
}

void PredictionDialog::Close(PredictionExit exit) {
    if (finishing_) return;
    if (exit != PredictionExit::Cancel && !Store()) return;
    finishing_ = true;
    Finish(transaction().PredictionClosed(exit), exit == PredictionExit::Cancel ? Rejected : Accepted);
}

}  // namespace kelmora
