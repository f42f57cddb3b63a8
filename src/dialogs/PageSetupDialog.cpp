#include "dialogs/PageSetupDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>
#include <optional>

#include "dialogs/DialogSupport.h"
#include "platform/raster/PagePicture.h"

namespace kelmora {

namespace {

constexpr std::array<const char*, 4> kPaperCodes{"A4P", "A4L", "A3P", "A3L"};

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QString::fromUtf8("キャンセル"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QString Shown(const QString& text) {
    return text.isEmpty() ? QString::fromUtf8("(なし)") : text;
}

}  // namespace

PageSetupDialog::PageSetupDialog(const QString& title, Target target, const PageSetup& setup, int dpi,
                                 const ReportAuthor& author, Hooks hooks, QWidget* parent)
    : QDialog(parent), hooks_(std::move(hooks)), author_(author) {
    setWindowTitle(title);
    paper_ = new QComboBox(this);
    for (const char* code : kPaperCodes)
        paper_->addItem(QString::fromStdString(PageName(*PageOfCode(code))), QString::fromLatin1(code));
    paper_->setCurrentIndex(std::max(0, paper_->findData(QString::fromStdString(PageCode(setup)))));
    scale_ = new QComboBox(this);
    for (const int s : kPageScales)
        scale_->addItem(QString::fromStdString(ScaleText(s)), s);
    scale_->addItem(QString::fromUtf8("用紙に合わせる"), 0);
    scale_->setCurrentIndex(std::max(0, scale_->findData(setup.scale.value_or(0))));
    title_ = new QLineEdit(QString::fromStdString(setup.title), this);
    table_ = new QCheckBox(QString::fromUtf8("予測点の計算結果の表を次のページに付ける(&R)"), this);
    table_->setChecked(setup.resultsTable);
    dpi_ = new QSpinBox(this);
    dpi_->setRange(kLeastPageDpi, kMostPageDpi);
    dpi_->setSuffix(QStringLiteral(" dpi"));
    dpi_->setValue(dpi);
    company_ = new QLabel(this);
    authorName_ = new QLabel(this);
    auto* change = new QPushButton(QString::fromUtf8("変更(&H)..."), this);
    fitNote_ = new QLabel(this);
    fitNote_->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
    fitNote_->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(BuddyLabel("用紙(&P):", paper_), paper_);
    form->addRow(BuddyLabel("縮尺(&S):", scale_), scale_);
    form->addRow(BuddyLabel("表題(&T):", title_), title_);
    form->addRow(QString(), table_);
    form->addRow(BuddyLabel("画像の解像度(&D):", dpi_), dpi_);
    auto* authorRow = new QHBoxLayout;
    authorRow->addWidget(company_);
    authorRow->addWidget(authorName_);
    authorRow->addStretch();
    authorRow->addWidget(change);
    form->addRow(QString::fromUtf8("会社名と作成者:"), authorRow);

    auto* buttons = OkCancel(this);
    preview_ = buttons->addButton(QString::fromUtf8("プレビュー(&V)..."), QDialogButtonBox::ActionRole);
    const bool file = target == Target::File;
    preview_->setVisible(file && static_cast<bool>(hooks_.preview));
    form->setRowVisible(dpi_, file);
    // The preview and the author question run over this dialog (RunOwnedDialog), which counts them.
    connect(preview_, &QPushButton::clicked, this, [this] {
        if (hooks_.preview && !AsksQuestion(this)) hooks_.preview(this->setup(), this);
    });
    connect(change, &QPushButton::clicked, this, [this] {
        if (!hooks_.changeAuthor || AsksQuestion(this)) return;
        // None also when this dialog went meanwhile: nothing of it is touched then.
        if (const std::optional<ReportAuthor> a = hooks_.changeAuthor(this)) {
            author_ = *a;
            ShowAuthor();
        }
    });
    connect(paper_, &QComboBox::currentIndexChanged, this, &PageSetupDialog::Recheck);
    connect(scale_, &QComboBox::currentIndexChanged, this, &PageSetupDialog::Recheck);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(fitNote_);
    layout->addWidget(buttons);
    ShowAuthor();
    Recheck();
}

PageSetup PageSetupDialog::setup() const {
    PageSetup s = *PageOfCode(paper_->currentData().toString().toStdString());
    const int scale = scale_->currentData().toInt();
    if (scale > 0) s.scale = scale;
    s.title = title_->text().toStdString();
    s.resultsTable = table_->isChecked();
    return s;
}

int PageSetupDialog::dpi() const {
    return dpi_->value();
}

void PageSetupDialog::done(int result) {
    // The page stays open while its preview or its author question is: OK there would print from
    // beneath a dialog still waiting for its answer.
    if (AsksQuestion(this)) return;
    QDialog::done(result);
}

void PageSetupDialog::ShowAuthor() {
    company_->setText(Shown(author_.company));
    authorName_->setText(Shown(author_.author));
}

void PageSetupDialog::Recheck() {
    const PageSetup s = setup();
    const bool fits = !s.scale || !hooks_.fits || hooks_.fits(s);
    fitNote_->setText(
        fits ? QString()
             : QString::fromUtf8("%1 では地図の一部が %2 の枠に入りません。")
                   .arg(QString::fromStdString(ScaleText(*s.scale)), QString::fromStdString(PageName(s))));
    fitNote_->setVisible(!fits);
}

ReportAuthorDialog::ReportAuthorDialog(const ReportAuthor& author, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kReportAuthorTitle));
    company_ = new QLineEdit(author.company, this);
    author_ = new QLineEdit(author.author, this);
    auto* note =
        new QLabel(QString::fromUtf8(
                       "印刷と PDF の表題欄に書く会社名と作成者です。ここで決めた名前は次回からも使います。"),
                   this);
    note->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(BuddyLabel("会社名(&C):", company_), company_);
    form->addRow(BuddyLabel("作成者(&A):", author_), author_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addWidget(OkCancel(this));
}

ReportAuthor ReportAuthorDialog::author() const {
    return {company_->text().trimmed(), author_->text().trimmed()};
}

}  // namespace kelmora
