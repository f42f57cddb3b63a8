#include "dialogs/SizeChangeDialog.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "dialogs/DialogSupport.h"
#include "editing/FieldParser.h"

namespace kelmora {

namespace {

struct FieldRow {
    int id;
    const char* label;
};

constexpr FieldRow kRows[] = {
    {kSizeOnScreenLengthId, "画面上の長さ"}, {kSizeLogicalLengthId, "論理上の長さ[m]"},
    {kSizePositionXId, "画面上の位置 X"},    {kSizePositionYId, "画面上の位置 Y"},
    {kSizeLogicalXId, "論理座標 X"},         {kSizeLogicalYId, "論理座標 Y"},
};

}  // namespace

SizeChangeDialog::SizeChangeDialog(ChainHost& host, const DialogRequest& request, QWidget* parent)
    : ChainDialog(host, request, parent) {
    auto* form = new QFormLayout;
    for (const FieldRow& row : kRows) {
        auto* field = new QLineEdit(this);
        auto* label = new QLabel(QString::fromUtf8(row.label), this);
        label->setBuddy(field);
        form->addRow(label, field);
        BindField(row.id, field);
    }
    auto* lowerLeft = new QPushButton(QString::fromUtf8("画像左下(デフォルト値)"), this);
    auto* apply = new QPushButton(QString::fromUtf8("適用"), this);
    back_ = new QPushButton(QString::fromUtf8("戻る"), this);
    back_->setDefault(true);
    BindButton(kSizeLowerLeftButtonId, lowerLeft);
    BindButton(kSizeApplyButtonId, apply);
    BindButton(kOkButtonId, back_);
    connect(lowerLeft, &QPushButton::clicked, this, &SizeChangeDialog::LowerLeft);
    connect(apply, &QPushButton::clicked, this, &SizeChangeDialog::Apply);
    connect(back_, &QPushButton::clicked, this, &SizeChangeDialog::Back);

    auto* hint = new QLabel(
        QString::fromUtf8("画面上の長さ → 画面のマウス左ドラッグ、画面上の位置 → 右クリックで指定できます"),
        this);
    hint->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lowerLeft);
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(back_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addLayout(buttons);

    const CKelmoraViewData* view = this->host().activeViewData();
    ShowValues(view ? SizeDialogInitialValues(*view) : SizeDialogValues{});
}

void SizeChangeDialog::ShowValues(const SizeDialogValues& v) {
    SetFieldString(Field(kSizeOnScreenLengthId), FieldText(v.onScreenLength));
    SetFieldString(Field(kSizeLogicalLengthId), FieldText(v.logicalLength));
    SetFieldString(Field(kSizePositionXId), FieldText(v.positionX));
    SetFieldString(Field(kSizePositionYId), FieldText(v.positionY));
    SetFieldString(Field(kSizeLogicalXId), FieldText(v.logicalX));
    SetFieldString(Field(kSizeLogicalYId), FieldText(v.logicalY));
}

bool SizeChangeDialog::Tell(const std::string& text) {
    return ShowUserMessage(this, {kSizeDialogCaption, text, MessageIcon::kInformation});
}

std::optional<SizeDialogValues> SizeChangeDialog::ReadFields() {
    SizeDialogValues v;
    double* targets[] = {&v.onScreenLength, &v.logicalLength, &v.positionX,
                         &v.positionY,      &v.logicalX,      &v.logicalY};
    int i = 0;
    for (const FieldRow& row : kRows) {
        QLineEdit* field = Field(row.id);
        const std::optional<double> value = ParseFieldNumber(FieldString(field));
        if (!value) {
            if (!Tell(kNotANumberMessage)) return std::nullopt;
            field->setFocus();
            field->selectAll();
            return std::nullopt;
        }
        *targets[i++] = *value;
    }
    if (const std::optional<SizeDialogProblem> problem = ValidateSizeDialog(v)) {
        if (!Tell(problem->message)) return std::nullopt;
        if (QLineEdit* field = Field(problem->controlId)) {
            field->setFocus();
            field->selectAll();
        }
        return std::nullopt;
    }
    return v;
}

void SizeChangeDialog::LowerLeft() {
    const CKelmoraViewData* view = host().activeViewData();
    if (view == nullptr) return;
    SizeDialogValues v;
    SetPositionToPictureLowerLeft(*view, v);
    SetFieldString(Field(kSizePositionXId), FieldText(v.positionX));
    SetFieldString(Field(kSizePositionYId), FieldText(v.positionY));
}

void SizeChangeDialog::Apply() {
    const std::optional<SizeDialogValues> values = ReadFields();
    if (!values) return;
    CKelmoraViewData* view = host().activeViewData();
    if (view == nullptr) {
        Tell(kSizeNoPlanViewMessage);
        return;
    }
    const CKelmoraViewData before = *view;
    ApplySizeDialog(*view, *values);
    // One undoable step of the window's calibration; the plan windows redraw and the title and the
    // commands show the modified document.
    host().Apply(
        transaction().CommitViewChange(kSizeChangeStepName, host().activeViewId(), before, *view, {5}));
}

void SizeChangeDialog::Back() {
    if (finishing_) return;
    finishing_ = true;
    Finish(transaction().SizeDialogClosed());
}

void SizeChangeDialog::reject() {}

void SizeChangeDialog::closeEvent(QCloseEvent* event) {
    if (!finishing_) {
        event->ignore();
        Back();
        return;
    }
    ChainDialog::closeEvent(event);
}

}  // namespace kelmora
