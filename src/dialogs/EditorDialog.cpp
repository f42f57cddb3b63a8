#include "dialogs/EditorDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstring>
#include <utility>

#include "dialogs/BandEditorDialog.h"
#include "dialogs/DialogSupport.h"

namespace kelmora {

namespace {

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The entry fields of a vertex, after which the point list is shown.
bool IsVertexEntry(const VertexListSpec& spec, int controlId) {
    return controlId != 0 && (controlId == spec.xId || controlId == spec.yId || controlId == spec.zId);
}

struct VertexButton {
    int id;
    const char* text;
};

constexpr VertexButton kVertexButtons[] = {
    {kVertexAddId, "追加"},         {kVertexChangeId, "変更"}, {kVertexDeleteId, "削除"},
    {kVertexDeleteAllId, "全削除"}, {kVertexInsertId, "挿入"}, {kVertexCopyId, "数値コピー"},
};

}  // namespace

EditorDialog::EditorDialog(ChainHost& host, const DialogRequest& request, std::unique_ptr<ChainEditor> editor,
                           QWidget* parent)
    : ChainDialog(host, request, parent), editor_(std::move(editor)) {
    Build();
    ToControls();
    RefreshVertexList();
    RefreshEnabling();
}

EditorDialog::~EditorDialog() = default;

ChainDialog* EditorDialog::Make(ChainHost& host, const DialogRequest& request, QWidget* parent) {
    std::unique_ptr<ChainEditor> editor = MakeChainEditor(host.transaction(), request.editMode);
    if (!editor) return nullptr;
    return new EditorDialog(host, request, std::move(editor), parent);
}

namespace {

// Buttons without a box of their own are laid out side by side, this many to a row.
constexpr int kButtonsPerRow = 3;
// A dialog with more rows than this shows its sections in two columns.
constexpr int kRowsInOneColumn = 16;

bool IsButtonRow(const EditorField& field) {
    return field.group == nullptr && (field.kind == FieldKind::kSpectrum ||
                                      field.kind == FieldKind::kSubList || field.kind == FieldKind::kAction);
}

}  // namespace

void EditorDialog::Build() {
    // The rows of the table in sections: a titled box per group, the rows between boxes, the point
    // list, and runs of buttons side by side. Each section counts its rows for the columns.
    struct Section {
        QWidget* widget;
        int rows;
    };
    std::vector<Section> sections;
    QFormLayout* form = nullptr;  // the open section of rows, if any
    QGridLayout* grid = nullptr;  // the open section of buttons, if any
    int gridCount = 0;
    const char* group = nullptr;
    const auto close = [&] {
        form = nullptr;
        grid = nullptr;
        group = nullptr;
    };

    const std::optional<VertexListSpec>& vertexSpec = editor_->vertexList();
    bool entrySeen = false;
    bool vertexListShown = !vertexSpec.has_value();
    for (const EditorField& field : editor_->form().fields()) {
        // The point list follows its entry fields and the notes that explain them.
        if (!vertexListShown && entrySeen && !IsVertexEntry(*vertexSpec, field.controlId) &&
            field.kind != FieldKind::kNote) {
            sections.push_back({BuildVertexList(), 8});
            vertexListShown = true;
            close();
        }
        if (vertexSpec && IsVertexEntry(*vertexSpec, field.controlId)) entrySeen = true;

        if (IsButtonRow(field)) {
            if (grid == nullptr) {
                close();
                auto* holder = new QWidget(this);
                grid = new QGridLayout(holder);
                grid->setContentsMargins(0, 0, 0, 0);
                gridCount = 0;
                sections.push_back({holder, 0});
            }
            QWidget* button = BuildRow(field, nullptr);
            if (gridCount % kButtonsPerRow == 0) ++sections.back().rows;
            grid->addWidget(button, gridCount / kButtonsPerRow, gridCount % kButtonsPerRow);
            ++gridCount;
            continue;
        }
        const bool sameSection =
            form != nullptr &&
            (field.group == nullptr ? group == nullptr
                                    : group != nullptr && std::strcmp(group, field.group) == 0);
        if (!sameSection) {
            close();
            QWidget* holder = nullptr;
            if (field.group != nullptr) {
                holder = new QGroupBox(Text(field.group), this);
                group = field.group;
            } else {
                holder = new QWidget(this);
            }
            form = new QFormLayout(holder);
            if (field.group == nullptr) form->setContentsMargins(0, 0, 0, 0);
            sections.push_back({holder, field.group != nullptr ? 1 : 0});
        }
        BuildRow(field, form);
        ++sections.back().rows;
    }
    if (!vertexListShown) sections.push_back({BuildVertexList(), 8});

    int total = 0;
    for (const Section& section : sections)
        total += section.rows;
    auto* top = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    if (total > kRowsInOneColumn) columns->addLayout(right);
    int placed = 0;
    for (const Section& section : sections) {
        // The left column takes the first half of the rows; sections are never split.
        const bool toLeft = total <= kRowsInOneColumn || placed < total / 2;
        (toLeft ? left : right)->addWidget(section.widget);
        placed += section.rows;
    }
    left->addStretch();
    right->addStretch();
    top->addLayout(columns);
    top->addWidget(BuildButtons());
}

QWidget* EditorDialog::BuildRow(const EditorField& field, QFormLayout* form) {
    const int id = field.controlId;
    std::vector<QWidget*>& row = rowWidgets_[id];
    QLabel* label = nullptr;
    if (field.kind == FieldKind::kNumber || field.kind == FieldKind::kText ||
        field.kind == FieldKind::kChoice || (field.kind == FieldKind::kRadios && field.label[0] != '\0')) {
        label = new QLabel(Text(field.label), this);
        row.push_back(label);
    }
    QWidget* control = nullptr;
    switch (field.kind) {
        case FieldKind::kNumber:
        case FieldKind::kText: {
            auto* edit = new QLineEdit(this);
            lineEdits_[id] = edit;
            if (field.kind == FieldKind::kNumber) BindField(id, edit);
            if (field.kind == FieldKind::kText) edit->setMinimumWidth(kMemoFieldMinimumWidth);
            // Typed, or written by a click on the plan: fields computed from it follow.
            connect(edit, &QLineEdit::textChanged, this, [this, id] {
                if (showingForm_) return;
                FromControls();
                if (editor_->TextChanged(id)) ToControls();
            });
            control = edit;
            break;
        }
        case FieldKind::kChoice: {
            auto* combo = new QComboBox(this);
            for (const char* choice : field.choices)
                combo->addItem(Text(choice));
            combos_[id] = combo;
            // Every change by the user (mouse, keyboard, accessibility); the form's own updates are
            // made with the signals blocked.
            connect(combo, &QComboBox::currentIndexChanged, this, [this] {
                FromControls();
                RefreshEnabling();
            });
            control = combo;
            break;
        }
        case FieldKind::kRadios: {
            auto* holder = new QWidget(this);
            auto* layout = new QHBoxLayout(holder);
            layout->setContentsMargins(0, 0, 0, 0);
            auto* group = new QButtonGroup(this);
            for (std::size_t i = 0; i < field.choices.size(); ++i) {
                auto* radio = new QRadioButton(Text(field.choices[i]), holder);
                if (i < field.choiceIds.size()) SetControlId(radio, field.choiceIds[i]);
                group->addButton(radio, static_cast<int>(i));
                layout->addWidget(radio);
            }
            layout->addStretch();
            radios_[id] = group;
            if (label != nullptr && !group->buttons().isEmpty()) label->setBuddy(group->buttons().front());
            control = holder;
            break;
        }
        case FieldKind::kFlag: {
            auto* check = new QCheckBox(Text(field.label), this);
            flags_[id] = check;
            connect(check, &QCheckBox::toggled, this, [this, id] {
                FromControls();
                Carry(editor_->Changed(id));
            });
            control = check;
            break;
        }
        case FieldKind::kSpectrum:
        case FieldKind::kSubList:
        case FieldKind::kAction: {
            auto* button = new QPushButton(Text(field.label), this);
            button->setAutoDefault(false);
            buttons_[id] = button;
            BindButton(id, button);
            if (field.kind == FieldKind::kSpectrum) {
                connect(button, &QPushButton::clicked, this, [this, id] { OnSpectrum(id); });
            } else {
                connect(button, &QPushButton::clicked, this, [this, id] {
                    FromControls();
                    Carry(editor_->Press(id));
                });
            }
            control = button;
            break;
        }
        case FieldKind::kNote: {
            auto* note = new QLabel(Text(field.label), this);
            note->setWordWrap(true);
            control = note;
            break;
        }
    }
    if (id != 0) SetControlId(control, id);
    row.push_back(control);

    QWidget* shown = control;
    if (field.hint != nullptr) {
        auto* holder = new QWidget(this);
        auto* layout = new QHBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(control);
        // The label is the buddy of a control in another widget than its own: a screen reader, which
        // looks for the buddy among the control's siblings, is given the name itself.
        if (label != nullptr) control->setAccessibleName(label->text());
        auto* hint = new QLabel(Text(field.hint), holder);
        layout->addWidget(hint);
        row.push_back(hint);
        shown = holder;
    }
    if (form == nullptr) return shown;
    if (label != nullptr) {
        if (field.kind != FieldKind::kRadios) label->setBuddy(control);
        form->addRow(label, shown);
    } else {
        form->addRow(shown);
    }
    return shown;
}

QWidget* EditorDialog::BuildVertexList() {
    const VertexListSpec& spec = *editor_->vertexList();
    auto* holder = new QWidget(this);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    vertexList_ = new QTreeWidget(holder);
    SetControlId(vertexList_, kVertexListId);
    vertexList_->setAccessibleName(QStringLiteral("座標値"));
    vertexList_->setRootIsDecorated(false);
    vertexList_->setUniformRowHeights(true);
    vertexList_->setSelectionMode(QAbstractItemView::SingleSelection);
    vertexList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    vertexList_->setAllColumnsShowFocus(true);
    QStringList headers;
    for (const char* header : spec.headers)
        headers << Text(header);
    vertexList_->setHeaderLabels(headers);
    vertexList_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    vertexList_->setMinimumHeight(140);
    connect(vertexList_, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = vertexList_->selectedItems();
        if (selected.isEmpty()) return;
        editor_->SelectVertex(vertexList_->indexOfTopLevelItem(selected.front()));
        RefreshEnabling();
    });
    layout->addWidget(vertexList_);

    auto* row = new QHBoxLayout;
    for (const VertexButton& b : kVertexButtons) {
        auto* button = new QPushButton(Text(b.text), this);
        button->setAutoDefault(false);
        SetControlId(button, b.id);
        buttons_[b.id] = button;
        BindButton(b.id, button);
        const int id = b.id;
        connect(button, &QPushButton::clicked, this, [this, id] {
            FromControls();
            Carry(editor_->Press(id));
        });
        row->addWidget(button);
    }
    layout->addLayout(row);
    return holder;
}

QWidget* EditorDialog::BuildButtons() {
    auto* holder = new QWidget(this);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    const auto add = [&](int id, const char* text, auto action) {
        auto* button = new QPushButton(Text(text), holder);
        SetControlId(button, id);
        button->setAutoDefault(false);
        BindButton(id, button);
        connect(button, &QPushButton::clicked, this, [this, action] {
            FromControls();
            Carry((editor_.get()->*action)());
        });
        row->addWidget(button);
        return button;
    };
    add(kOkButtonId, "OK", &ChainEditor::Ok)->setDefault(true);
    if (editor_->buttons().apply) add(kApplyButtonId, "適用", &ChainEditor::Apply);
    add(kCancelButtonId, "キャンセル", &ChainEditor::Cancel);
    if (editor_->buttons().cascade) {
        add(kAllOkButtonId, "All OK", &ChainEditor::AllOk);
        add(kAllCancelButtonId, "All Cancel", &ChainEditor::AllCancel);
    }
    return holder;
}

void EditorDialog::FromControls() {
    EditorForm& form = editor_->form();
    for (const auto& [id, edit] : lineEdits_)
        form.SetText(id, edit->text().toStdString());
    for (const auto& [id, combo] : combos_)
        form.SetValue(id, combo->currentIndex());
    for (const auto& [id, group] : radios_)
        form.SetValue(id, std::max(0, group->checkedId()));
    for (const auto& [id, check] : flags_)
        form.SetValue(id, check->isChecked() ? 1 : 0);
}

void EditorDialog::ToControls() {
    // The fields are set one after the other: none is read back meanwhile.
    const QScopedValueRollback showing(showingForm_, true);
    const EditorForm& form = editor_->form();
    for (const auto& [id, edit] : lineEdits_) {
        const QString text = QString::fromStdString(form.Text(id));
        if (edit->text() != text) {
            edit->setText(text);
            edit->setCursorPosition(0);  // the start of a long number, not its last digits
        }
    }
    for (const auto& [id, combo] : combos_) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(form.Value(id));
    }
    for (const auto& [id, group] : radios_) {
        if (QAbstractButton* radio = group->button(form.Value(id))) radio->setChecked(true);
    }
    for (const auto& [id, check] : flags_) {
        const QSignalBlocker block(check);
        check->setChecked(form.Value(id) != 0);
    }
}

void EditorDialog::RefreshEnabling() {
    for (const auto& [id, widgets] : rowWidgets_) {
        if (id == 0) continue;
        const bool enabled = editor_->IsButtonEnabled(id);
        for (QWidget* widget : widgets)
            widget->setEnabled(enabled);
    }
    if (vertexList_ != nullptr) {
        for (const VertexButton& b : kVertexButtons)
            buttons_[b.id]->setEnabled(editor_->IsButtonEnabled(b.id));
    }
}

void EditorDialog::RefreshVertexList() {
    if (vertexList_ == nullptr) return;
    const QSignalBlocker block(vertexList_);
    vertexList_->clear();
    const std::vector<CVector3D>* vertices = editor_->Vertices();
    if (vertices == nullptr) return;
    const int columns = static_cast<int>(editor_->vertexList()->headers.size());
    for (const CVector3D& vertex : *vertices) {
        QStringList cells;
        for (const std::string& cell : VertexListEditing::RowTexts(vertex, columns))
            cells << QString::fromStdString(cell);
        auto* item = new QTreeWidgetItem(cells);
        for (int column = 0; column < columns; ++column)
            item->setTextAlignment(column, Qt::AlignRight);
        vertexList_->addTopLevelItem(item);
    }
    if (QTreeWidgetItem* item = vertexList_->topLevelItem(editor_->selectedVertex())) {
        vertexList_->setCurrentItem(item);
        vertexList_->scrollToItem(item);
    }
}

void EditorDialog::Carry(const EditorReply& reply) {
    ToControls();
    RefreshVertexList();
    RefreshEnabling();
    for (int hint : reply.hints)
        host().UpdateViews(hint);
    // The message box, then the focus on the control it names; should the editor have been closed from
    // elsewhere meanwhile, nothing more.
    if (reply.message && !ShowUserMessage(this, *reply.message)) return;
    if (reply.close) Finish(*reply.close, reply.accepted ? QDialog::Accepted : QDialog::Rejected);
}

void EditorDialog::OnSpectrum(int controlId) {
    const EditorField* field = editor_->form().Find(controlId);
    if (field == nullptr) return;
    // One band editor at a time (a second press can only come from an accessibility client).
    if (!bandEditor_.isNull()) {
        bandEditor_->raise();
        bandEditor_->activateWindow();
        return;
    }
    // The band editor works on a copy: its "キャンセル" leaves the editor's spectrum as it was, and the
    // item itself changes only when the editor stores its fields. The editor owns it.
    bandEditor_ = BandEditorDialog::Open(
        this, editor_->form().Spectrum(controlId), field->spectrum,
        [this, controlId](const CBand& edited) { editor_->form().SetSpectrum(controlId, edited); });
}

}  // namespace kelmora
