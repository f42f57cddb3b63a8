#include "dialogs/BandEditorDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/BandListDialog.h"
#include "dialogs/DialogSupport.h"
#include "model/persistence/BandLibrary.h"

namespace kelmora {
namespace {

constexpr int kBandColumns = 7;  // band fields per row: three rows of seven

QLineEdit* Field(QWidget* parent, int id, int width = 64) {
    auto* field = new QLineEdit(parent);
    field->setFixedWidth(width);
    SetControlId(field, id);
    return field;
}

QPushButton* Button(const char* text, int id) {
    auto* button = new QPushButton(QString::fromUtf8(text));
    button->setAutoDefault(false);
    SetControlId(button, id);
    return button;
}

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

BandEditorDialog::BandEditorDialog(const CBand& spectrum, const BandEditorCaller& caller, QWidget* parent)
    : QDialog(parent), editor_(spectrum, caller), spectrum_(spectrum) {
    setWindowTitle(Utf8(editor_.WindowTitle()));
    auto* layout = new QVBoxLayout(this);

    auto* bands = new QGroupBox(QString::fromUtf8("1/3オクターブバンド中心周波数[Hz]"), this);
    auto* grid = new QGridLayout(bands);
    for (int i = 0; i < kThirdOctaveBands; ++i) {
        bandFields_[i] = Field(bands, kFirstBandFieldId + i);
        QLabel* label = BuddyLabel(BandFieldLabels()[i], bandFields_[i]);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        grid->addWidget(label, 2 * (i / kBandColumns), i % kBandColumns);
        grid->addWidget(bandFields_[i], 2 * (i / kBandColumns) + 1, i % kBandColumns);
    }
    layout->addWidget(bands);

    auto* allBands = new QHBoxLayout;
    allBandsField_ = Field(this, kAllBandsFieldId);
    QPushButton* setAll = Button("←全バンドの値にする", kAllBandsButtonId);
    allBandsField_->setAccessibleName(QString::fromUtf8("全バンドの値"));
    allBands->addWidget(allBandsField_);
    allBands->addWidget(setAll);
    allBands->addStretch();
    layout->addLayout(allBands);

    auto* title = new QHBoxLayout;
    titleField_ = Field(this, kTitleFieldId, 360);
    title->addWidget(BuddyLabel("タイトル :", titleField_));
    title->addWidget(titleField_, 1);
    layout->addLayout(title);

    auto* library = new QHBoxLayout;
    QPushButton* select = Button("ファイル情報から選択する...", kSelectFromFileId);
    QPushButton* append = Button("ファイル情報に追加する...", kAppendToFileId);
    library->addWidget(select);
    library->addWidget(append);
    library->addStretch();
    layout->addLayout(library);

    // The level tools; without them (spectra of coefficients) the fields keep their defaults.
    auto* conversion =
        new QGroupBox(QString::fromUtf8("点音源音圧レベルから音響パワーレベルに変換する"), this);
    SetControlId(conversion, 1058);
    auto* conversionRow = new QHBoxLayout(conversion);
    distanceField_ = Field(conversion, kDistanceFieldId);
    qField_ = Field(conversion, kQFieldId);
    QPushButton* convert = Button("音響パワーレベル変換", kConvertToPowerId);
    QLabel* distanceLabel = BuddyLabel("距離[m]", distanceField_);
    QLabel* qLabel = BuddyLabel("Q値", qField_);
    SetControlId(distanceLabel, 1055);
    SetControlId(qLabel, 1056);
    conversionRow->addWidget(distanceLabel);
    conversionRow->addWidget(distanceField_);
    conversionRow->addWidget(qLabel);
    conversionRow->addWidget(qField_);
    conversionRow->addWidget(convert);
    conversionRow->addStretch();
    layout->addWidget(conversion);
    auto* levelTools = new QHBoxLayout;
    QPushButton* weighting = Button("A特性補正", kAWeightingButtonId);
    QPushButton* overall = Button("OA値表示...", kOverallValueButtonId);
    levelTools->addWidget(weighting);
    levelTools->addWidget(overall);
    levelTools->addStretch();
    layout->addLayout(levelTools);
    if (!caller.levelTools) {
        conversion->hide();
        weighting->hide();
        overall->hide();
    }

    auto* ending = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"));
    auto* cancel = Button("キャンセル", 2);
    ok->setDefault(true);
    SetControlId(ok, 1);
    ending->addStretch();
    ending->addWidget(ok);
    ending->addWidget(cancel);
    layout->addLayout(ending);

    ShowFields();

    connect(ok, &QPushButton::clicked, this, &BandEditorDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(setAll, &QPushButton::clicked, this, [this] { Act([this] { return editor_.SetAllBands(); }); });
    connect(weighting, &QPushButton::clicked, this,
            [this] { Act([this] { return editor_.ApplyAWeighting(); }); });
    connect(convert, &QPushButton::clicked, this,
            [this] { Act([this] { return editor_.ConvertToPower(); }); });
    connect(overall, &QPushButton::clicked, this,
            [this] { Act([this] { return std::optional<UserMessage>(editor_.OverallValue()); }); });
    connect(select, &QPushButton::clicked, this, &BandEditorDialog::SelectFromLibrary);
    connect(append, &QPushButton::clicked, this, &BandEditorDialog::AppendToLibrary);
}

BandEditorDialog* BandEditorDialog::Open(QWidget* owner, const CBand& spectrum, BandSpectrum which,
                                         std::function<void(const CBand&)> accepted) {
    auto* dialog = new BandEditorDialog(spectrum, BandEditorCallerFor(which), owner);
    // The callback lives with the owner: once the owner is gone (and the dialog with it) it is not
    // called.
    QObject* context = owner != nullptr ? static_cast<QObject*>(owner) : dialog;
    connect(dialog, &QDialog::accepted, context,
            [dialog, accepted = std::move(accepted)] { accepted(dialog->spectrum()); });
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    return dialog;
}

void BandEditorDialog::ReadControls() {
    for (int i = 0; i < kThirdOctaveBands; ++i)
        editor_.bandTexts[i] = FieldString(bandFields_[i]);
    editor_.allBandsText = FieldString(allBandsField_);
    editor_.titleText = FieldString(titleField_);
    editor_.distanceText = FieldString(distanceField_);
    editor_.qText = FieldString(qField_);
}

void BandEditorDialog::ShowFields() {
    for (int i = 0; i < kThirdOctaveBands; ++i)
        SetFieldString(bandFields_[i], editor_.bandTexts[i]);
    SetFieldString(allBandsField_, editor_.allBandsText);
    SetFieldString(titleField_, editor_.titleText);
    SetFieldString(distanceField_, editor_.distanceText);
    SetFieldString(qField_, editor_.qText);
}

void BandEditorDialog::Act(const std::function<std::optional<UserMessage>()>& action) {
    if (AsksQuestion(this)) return;
    ReadControls();
    const std::optional<UserMessage> message = action();
    ShowFields();
    if (message) ShowUserMessage(this, *message);
}

void BandEditorDialog::accept() {
    if (AsksQuestion(this)) return;
    ReadControls();
    CBand edited = spectrum_;
    if (const std::optional<UserMessage> refused = editor_.Accept(edited)) {
        ShowUserMessage(this, *refused);
        return;
    }
    spectrum_ = std::move(edited);
    QDialog::accept();
}

void BandEditorDialog::SelectFromLibrary() {
    if (AsksQuestion(this)) return;
    const QString path =
        ChooseFile(this, {QString::fromUtf8("バンド情報一覧を読み込むcsvファイルを指定してください"),
                          QString::fromUtf8("csvファイル(*.csv)"),
                          {},
                          false,
                          true});
    if (path.isEmpty()) return;
    BandLibraryRead read;
    {
        const WaitCursor wait;
        read = ReadBandLibraryFile(path.toStdString());
    }
    if (read.message) {
        ShowUserMessage(this, *read.message);
        return;
    }
    int chosen = 0;
    if (read.spectra.size() > 1) {
        chosen = BandListDialog::Choose(read.spectra, this);
        if (chosen < 0) return;
    }
    ReadControls();
    editor_.TakeSpectrum(read.spectra[static_cast<std::size_t>(chosen)]);
    ShowFields();
}

void BandEditorDialog::AppendToLibrary() {
    if (AsksQuestion(this)) return;
    ReadControls();
    const std::variant<CBand, UserMessage> toAppend = editor_.SpectrumToAppend();
    if (const auto* refused = std::get_if<UserMessage>(&toAppend)) {
        ShowUserMessage(this, *refused);
        return;
    }
    const QString path =
        ChooseFile(this, {QString::fromUtf8("バンド情報を追加出力するCSVファイル名を指定してください"),
                          QString::fromUtf8("csv File (*.csv)"), QStringLiteral("csv"), true, false});
    if (path.isEmpty()) return;
    ShowUserMessage(this, AppendToBandLibrary(path.toStdString(), std::get<CBand>(toAppend)));
}

}  // namespace kelmora
