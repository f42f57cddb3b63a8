#include "app/OffsetDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "view/PickingHost.h"

namespace kelmora {

namespace {

std::optional<double> ParseNumber(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    double value = 0.0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A modal dialog of labelled number fields (initially 0) with OK and キャンセル (the default); the
// values on OK, none on cancel. A field that is not a number, or a negative one where only
// non-negative values count, keeps the dialog open.
std::optional<std::vector<double>> AskNumbers(QWidget* parent, const char* caption, const char* heading,
                                              const std::vector<const char*>& labels, bool nonNegative) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QString::fromUtf8(caption));
    auto* layout = new QVBoxLayout(&dialog);
    if (heading != nullptr) layout->addWidget(new QLabel(QString::fromUtf8(heading), &dialog));
    auto* form = new QFormLayout;
    std::vector<QLineEdit*> fields;
    for (const char* text : labels) {
        auto* field = new QLineEdit(QStringLiteral("0"), &dialog);
        auto* label = new QLabel(QString::fromUtf8(text), &dialog);
        label->setBuddy(field);
        form->addRow(label, field);
        fields.push_back(field);
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QString::fromUtf8("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setAutoDefault(false);
    cancel->setDefault(true);
    layout->addWidget(buttons);
    std::vector<double> values;
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        values.clear();
        for (QLineEdit* field : fields) {
            const std::optional<double> v = ParseNumber(field->text());
            if (!v || (nonNegative && *v < 0)) {
                QMessageBox::information(
                    &dialog, QString::fromUtf8(caption),
                    QString::fromUtf8(nonNegative && v ? "0 以上の数字を入力してください。"
                                                       : "数字を入力してください。"));
                field->setFocus();
                field->selectAll();
                return;
            }
            values.push_back(*v);
        }
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return values;
}

}  // namespace

std::optional<double> AskOffsetLengthDialog(QWidget* parent) {
    const auto values = AskNumbers(parent, kOffsetLengthCaption, nullptr, {"線の近接端点からの距離"}, true);
    if (!values) return std::nullopt;
    return (*values)[0];
}

std::optional<CVertex2D> AskOffsetXYDialog(QWidget* parent) {
    const auto values =
        AskNumbers(parent, kOffsetXYCaption, "近接点に加えるオフセット値", {"X :", "Y :"}, false);
    if (!values) return std::nullopt;
    return CVertex2D{(*values)[0], (*values)[1]};
}

}  // namespace kelmora
