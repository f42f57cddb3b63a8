#include "dialogs/OffsetDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "dialogs/DialogSupport.h"
#include "editing/FieldParser.h"
#include "model/Validation.h"
#include "view/PickingHost.h"

namespace kelmora {

namespace {

struct OffsetField {
    const char* label;
    int controlId;
    std::optional<FieldLimits> limits;  // none: any number
};

struct OffsetDialogSpec {
    const char* caption;
    const char* heading;      // above the fields, or null
    const char* explanation;  // below them, or null
    bool cancelIsDefault;     // Enter keeps the snapped point instead of taking the fields
    std::vector<OffsetField> fields;
};

// A modal dialog of labelled number fields (initially 0) with OK and キャンセル; the values on OK, none
// on cancel. The fields are read as every numeric field of the program is (full-width digits too); a
// refused field keeps the dialog open with the framework's message and the focus on it.
std::optional<std::vector<double>> AskNumbers(QWidget* parent, const OffsetDialogSpec& spec) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QString::fromUtf8(spec.caption));
    auto* layout = new QVBoxLayout(&dialog);
    if (spec.heading != nullptr) layout->addWidget(new QLabel(QString::fromUtf8(spec.heading), &dialog));
    auto* form = new QFormLayout;
    std::vector<QLineEdit*> fields;
    for (const OffsetField& f : spec.fields) {
        auto* field = new QLineEdit(QStringLiteral("0"), &dialog);
        SetControlId(field, f.controlId);
        form->addRow(BuddyLabel(f.label, field), field);
        fields.push_back(field);
    }
    layout->addLayout(form);
    if (spec.explanation != nullptr)
        layout->addWidget(new QLabel(QString::fromUtf8(spec.explanation), &dialog));
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QString::fromUtf8("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    (spec.cancelIsDefault ? cancel : ok)->setDefault(true);
    layout->addWidget(buttons);
    std::vector<double> values;
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        values.assign(fields.size(), 0.0);
        FieldReader reader;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const OffsetField& f = spec.fields[i];
            const std::string text = FieldString(fields[i]);
            if (f.limits)
                reader.Number(text, f.limits->low, f.limits->high, f.label, f.controlId, values[i]);
            else
                reader.Number(text, f.label, f.controlId, values[i]);
        }
        if (!reader.ok()) {
            ShowUserMessage(&dialog, FieldMessage(*reader.issue()));
            return;
        }
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return values;
}

}  // namespace

std::optional<double> AskOffsetLengthDialog(QWidget* parent) {
    const auto values = AskNumbers(
        parent, {kOffsetLengthCaption,
                 nullptr,
                 "線の近接点で良い場合は\n[キャンセル]をクリックしてください",
                 true,
                 {{"線の近接端点からの距離", kOffsetLengthId, FieldLimits{0.0, kLargestFieldValue}}}});
    if (!values) return std::nullopt;
    return (*values)[0];
}

std::optional<CVertex2D> AskOffsetXYDialog(QWidget* parent) {
    const auto values =
        AskNumbers(parent, {kOffsetXYCaption,
                            "近接点に加えるオフセット値",
                            nullptr,
                            false,
                            {{"X :", kOffsetXId, std::nullopt}, {"Y :", kOffsetYId, std::nullopt}}});
    if (!values) return std::nullopt;
    return CVertex2D{(*values)[0], (*values)[1]};
}

}  // namespace kelmora
