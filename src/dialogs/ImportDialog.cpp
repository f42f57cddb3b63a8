#include "dialogs/ImportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/DialogSupport.h"
#include "dialogs/UserQuestions.h"
#include "editing/FieldParser.h"

namespace kelmora {

namespace {

// The preview waits this long after a change for the next one [ms].
constexpr int kPreviewDelayMs = 400;

constexpr const char* kLayerColumns[] = {"レイヤ", "図形", "件数", "取り込み"};

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

int ChoiceIndex(const std::vector<ValueSource>& choices, const ValueSource& value) {
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (choices[i].from == value.from &&
            (value.from != ValueSource::From::Field || choices[i].field == value.field))
            return static_cast<int>(i);
    return -1;
}

void FillChoices(QComboBox* combo, const std::vector<ValueSource>& choices, const ValueSource& current) {
    const QSignalBlocker block(combo);
    combo->clear();
    for (const ValueSource& choice : choices)
        combo->addItem(Text(ValueChoiceLabel(choice)));
    combo->setCurrentIndex(ChoiceIndex(choices, current));
    combo->setEnabled(!choices.empty());
}

void ShowConstant(QLineEdit* field, const std::vector<ValueSource>& choices, const ValueSource& value) {
    const QSignalBlocker block(field);
    const bool constant = !choices.empty() && value.from == ValueSource::From::Constant;
    field->setEnabled(constant);
    SetFieldString(field, constant ? FieldText(value.value) : std::string());
}

}  // namespace

ImportDialog::ImportDialog(ImportDialogState& state, UserQuestions& questions, QWidget* parent)
    : QDialog(parent), state_(state), questions_(questions) {
    setWindowTitle(QString::fromUtf8(kImportTitle));
    refresh_ = new QTimer(this);
    refresh_->setSingleShot(true);
    refresh_->setInterval(kPreviewDelayMs);
    connect(refresh_, &QTimer::timeout, this, &ImportDialog::RefreshNow);
    BuildLayout();
    ShowLayers();
    ShowSelected();
    ShowCoordinates();
    refresh_->start();
}

void ImportDialog::BuildLayout() {
    auto* source = new QLabel(Text(state_.source().path.string() + "\n" + state_.SourceText()), this);
    source->setAccessibleName(QString::fromUtf8("ファイル"));
    source->setTextInteractionFlags(Qt::TextSelectableByMouse);

    layers_ = new QTableWidget(0, static_cast<int>(std::size(kLayerColumns)), this);
    layers_->setAccessibleName(QString::fromUtf8("レイヤ"));
    QStringList headers;
    for (const char* column : kLayerColumns)
        headers << QString::fromUtf8(column);
    layers_->setHorizontalHeaderLabels(headers);
    layers_->setSelectionBehavior(QAbstractItemView::SelectRows);
    layers_->setSelectionMode(QAbstractItemView::SingleSelection);
    layers_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layers_->verticalHeader()->hide();
    layers_->horizontalHeader()->setStretchLastSection(true);
    layers_->setMinimumHeight(140);
    connect(layers_, &QTableWidget::currentCellChanged, this, [this](int row) {
        state_.SelectLayer(row);
        ShowSelected();
    });

    layerBox_ = new QGroupBox(QString::fromUtf8("レイヤの設定"), this);
    kind_ = new QComboBox(layerBox_);
    for (ImportKind kind : kAllKinds)
        kind_->addItem(QString::fromUtf8(KindLabel(kind)));
    height_ = new QComboBox(layerBox_);
    heightValue_ = new QLineEdit(layerBox_);
    ground_ = new QComboBox(layerBox_);
    groundValue_ = new QLineEdit(layerBox_);
    label_ = new QComboBox(layerBox_);
    library_ = new QLineEdit(layerBox_);
    library_->setReadOnly(true);
    chooseLibrary_ = new QPushButton(QString::fromUtf8("参照..."), layerBox_);
    spectrum_ = new QComboBox(layerBox_);
    auto* libraryRow = new QHBoxLayout;
    libraryRow->addWidget(library_);
    libraryRow->addWidget(chooseLibrary_);
    auto* layerForm = new QFormLayout(layerBox_);
    layerForm->addRow(BuddyLabel("種類:", kind_), kind_);
    layerForm->addRow(BuddyLabel("高さ:", height_), height_);
    layerForm->addRow(BuddyLabel("高さ[m]:", heightValue_), heightValue_);
    layerForm->addRow(BuddyLabel("地盤高:", ground_), ground_);
    layerForm->addRow(BuddyLabel("地盤高[m]:", groundValue_), groundValue_);
    layerForm->addRow(BuddyLabel("ラベル:", label_), label_);
    layerForm->addRow(BuddyLabel("バンドライブラリ:", library_), libraryRow);
    layerForm->addRow(BuddyLabel("スペクトル:", spectrum_), spectrum_);
    connect(kind_, &QComboBox::activated, this, &ImportDialog::KindChosen);
    connect(height_, &QComboBox::activated, this, &ImportDialog::HeightChosen);
    connect(ground_, &QComboBox::activated, this, &ImportDialog::GroundChosen);
    connect(heightValue_, &QLineEdit::editingFinished, this, &ImportDialog::HeightTyped);
    connect(groundValue_, &QLineEdit::editingFinished, this, &ImportDialog::GroundTyped);
    connect(label_, &QComboBox::activated, this, &ImportDialog::LabelChosen);
    connect(chooseLibrary_, &QPushButton::clicked, this, &ImportDialog::ChooseLibrary);
    connect(spectrum_, &QComboBox::activated, this, &ImportDialog::SpectrumChosen);

    auto* coordinates = new QGroupBox(QString::fromUtf8("座標"), this);
    unit_ = new QComboBox(coordinates);
    for (LengthUnit unit : {LengthUnit::Millimetre, LengthUnit::Centimetre, LengthUnit::Metre})
        unit_->addItem(QString::fromUtf8(UnitName(unit)));
    crs_ = new QLineEdit(coordinates);
    crs_->setPlaceholderText(QStringLiteral("EPSG:6677"));
    defaultOrigin_ = new QCheckBox(QString::fromUtf8("範囲の左下 (10m 単位)"), coordinates);
    originX_ = new QLineEdit(coordinates);
    originY_ = new QLineEdit(coordinates);
    auto* coordinateForm = new QFormLayout(coordinates);
    coordinateForm->addRow(BuddyLabel("単位:", unit_), unit_);
    coordinateForm->addRow(BuddyLabel("座標系:", crs_), crs_);
    coordinateForm->addRow(QString(), defaultOrigin_);
    coordinateForm->addRow(BuddyLabel("原点 X[m]:", originX_), originX_);
    coordinateForm->addRow(BuddyLabel("原点 Y[m]:", originY_), originY_);
    connect(unit_, &QComboBox::activated, this, &ImportDialog::UnitChosen);
    connect(crs_, &QLineEdit::editingFinished, this, &ImportDialog::CrsTyped);
    connect(defaultOrigin_, &QCheckBox::toggled, this, &ImportDialog::OriginModeChanged);
    connect(originX_, &QLineEdit::editingFinished, this, &ImportDialog::OriginTyped);
    connect(originY_, &QLineEdit::editingFinished, this, &ImportDialog::OriginTyped);

    report_ = new QPlainTextEdit(this);
    report_->setReadOnly(true);
    report_->setAccessibleName(QString::fromUtf8("取り込みの見込み"));
    report_->setMinimumHeight(120);

    auto* saveMapping = new QPushButton(QString::fromUtf8("マッピングを保存..."), this);
    auto* loadMapping = new QPushButton(QString::fromUtf8("マッピングを読込..."), this);
    connect(saveMapping, &QPushButton::clicked, this, &ImportDialog::SaveMapping);
    connect(loadMapping, &QPushButton::clicked, this, &ImportDialog::LoadMapping);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QString::fromUtf8("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportDialog::reject);

    auto* settings = new QHBoxLayout;
    settings->addWidget(layerBox_, 3);
    settings->addWidget(coordinates, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(saveMapping);
    bottom->addWidget(loadMapping);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(BuddyLabel("レイヤ:", layers_));
    layout->addWidget(layers_);
    layout->addLayout(settings);
    layout->addWidget(BuddyLabel("取り込みの見込み:", report_));
    layout->addWidget(report_);
    layout->addLayout(bottom);
    resize(760, 720);
}

void ImportDialog::ShowLayers() {
    const QSignalBlocker block(layers_);
    layers_->setRowCount(state_.LayerCount());
    for (int row = 0; row < state_.LayerCount(); ++row) {
        const ImportDialogState::LayerRow r = state_.Row(row);
        const std::string texts[] = {r.name, r.geometry, r.features, r.kind};
        for (int column = 0; column < 4; ++column) {
            QTableWidgetItem* item = layers_->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                layers_->setItem(row, column, item);
            }
            item->setText(Text(texts[column]));
        }
    }
    layers_->resizeColumnsToContents();
    if (state_.selectedLayer() >= 0) layers_->setCurrentCell(state_.selectedLayer(), 0);
}

void ImportDialog::ShowSelected() {
    const LayerMapping m = state_.Selected();
    layerBox_->setEnabled(state_.selectedLayer() >= 0);
    {
        const QSignalBlocker block(kind_);
        kind_->setCurrentIndex(static_cast<int>(m.kind));
    }
    heightChoices_ = state_.HeightChoices();
    groundChoices_ = state_.GroundChoices();
    FillChoices(height_, heightChoices_, m.height);
    FillChoices(ground_, groundChoices_, m.ground);
    ShowConstant(heightValue_, heightChoices_, m.height);
    ShowConstant(groundValue_, groundChoices_, m.ground);
    {
        const QSignalBlocker block(label_);
        label_->clear();
        label_->addItem(QString::fromUtf8("(なし)"));
        for (const std::string& field : state_.FieldNames())
            label_->addItem(Text(field));
        label_->setCurrentIndex(std::max(0, label_->findText(Text(m.label))));
        if (m.label.empty()) label_->setCurrentIndex(0);
        label_->setEnabled(state_.TakesLabel());
    }
    const bool spectrum = state_.TakesSpectrum();
    library_->setEnabled(spectrum);
    chooseLibrary_->setEnabled(spectrum);
    SetFieldString(library_, m.spectrum.library);
    {
        const QSignalBlocker block(spectrum_);
        spectrum_->clear();
        spectrumChoices_.clear();
        spectrum_->addItem(QString::fromUtf8("(新しい音源の既定)"));
        spectrumChoices_.push_back("");
        if (!m.spectrum.library.empty()) {
            for (const std::string& field : state_.FieldNames()) {
                spectrum_->addItem(Text("属性 " + field + " のタイトル"));
                spectrumChoices_.push_back("field:" + field);
            }
            for (const std::string& title : state_.LibraryTitles()) {
                spectrum_->addItem(Text(title));
                spectrumChoices_.push_back("title:" + title);
            }
        }
        const std::string current = !m.spectrum.field.empty()   ? "field:" + m.spectrum.field
                                    : !m.spectrum.title.empty() ? "title:" + m.spectrum.title
                                                                : "";
        const auto it = std::find(spectrumChoices_.begin(), spectrumChoices_.end(), current);
        spectrum_->setCurrentIndex(
            it == spectrumChoices_.end() ? 0 : static_cast<int>(it - spectrumChoices_.begin()));
        spectrum_->setEnabled(spectrum && !m.spectrum.library.empty());
    }
}

void ImportDialog::ShowCoordinates() {
    {
        const QSignalBlocker block(unit_);
        unit_->setCurrentIndex(static_cast<int>(state_.unit()));
        unit_->setEnabled(state_.UnitMatters() || state_.source().dxf);
    }
    SetFieldString(crs_, state_.crs());
    crs_->setEnabled(!state_.CrsFixed());
    {
        const QSignalBlocker block(defaultOrigin_);
        defaultOrigin_->setChecked(state_.OriginIsDefault() && !state_.OriginFixed());
        defaultOrigin_->setEnabled(!state_.OriginFixed());
    }
    const std::optional<CVertex2D> origin = state_.OriginShown();
    for (QLineEdit* field : {originX_, originY_}) {
        const QSignalBlocker block(field);
        field->setEnabled(!state_.OriginFixed() && !state_.OriginIsDefault());
    }
    SetFieldString(originX_, origin ? FieldText(origin->x) : std::string());
    SetFieldString(originY_, origin ? FieldText(origin->y) : std::string());
}

void ImportDialog::ShowReport() {
    report_->setPlainText(Text(state_.ReportText()));
}

void ImportDialog::Changed() {
    const int row = state_.selectedLayer();
    if (row >= 0)
        if (QTableWidgetItem* item = layers_->item(row, 3)) item->setText(Text(state_.Row(row).kind));
    refresh_->start();
}

void ImportDialog::RefreshNow() {
    refresh_->stop();
    if (state_.PreviewCurrent()) return;
    {
        const WaitCursor wait;
        state_.RefreshPreview();
    }
    ShowReport();
    ShowCoordinates();
    emit previewChanged();
}

void ImportDialog::Tell(const std::string& text) {
    questions_.Tell(this, QString::fromUtf8(kImportCaption), Text(text), QMessageBox::Warning);
}

void ImportDialog::KindChosen(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kAllKinds))) return;
    state_.SetKind(kAllKinds[index]);
    ShowSelected();
    ShowCoordinates();
    Changed();
}

void ImportDialog::HeightChosen(int index) {
    if (index < 0 || index >= static_cast<int>(heightChoices_.size())) return;
    state_.SetHeight(heightChoices_[static_cast<std::size_t>(index)]);
    ShowConstant(heightValue_, heightChoices_, state_.Selected().height);
    Changed();
}

void ImportDialog::GroundChosen(int index) {
    if (index < 0 || index >= static_cast<int>(groundChoices_.size())) return;
    state_.SetGround(groundChoices_[static_cast<std::size_t>(index)]);
    ShowConstant(groundValue_, groundChoices_, state_.Selected().ground);
    Changed();
}

void ImportDialog::HeightTyped() {
    if (const std::optional<std::string> refused = state_.SetHeightText(FieldString(heightValue_))) {
        Tell(*refused);
        ShowConstant(heightValue_, heightChoices_, state_.Selected().height);
        return;
    }
    Changed();
}

void ImportDialog::GroundTyped() {
    if (const std::optional<std::string> refused = state_.SetGroundText(FieldString(groundValue_))) {
        Tell(*refused);
        ShowConstant(groundValue_, groundChoices_, state_.Selected().ground);
        return;
    }
    Changed();
}

void ImportDialog::LabelChosen(int index) {
    state_.SetLabel(index <= 0 ? std::string() : label_->itemText(index).toStdString());
    Changed();
}

void ImportDialog::ChooseLibrary() {
    const std::optional<std::string> path = questions_.ChooseFileToOpen(
        this, QString::fromUtf8("バンド情報一覧を読み込むcsvファイルを指定してください"),
        QtFileFilter(kBandLibraryFilter));
    if (!path) return;
    if (const std::optional<std::string> refused = state_.SetLibrary(*path)) {
        Tell(*refused);
        return;
    }
    ShowSelected();
    Changed();
}

void ImportDialog::SpectrumChosen(int index) {
    if (index < 0 || index >= static_cast<int>(spectrumChoices_.size())) return;
    const std::string& choice = spectrumChoices_[static_cast<std::size_t>(index)];
    if (choice.empty()) {
        // Without a library: a new source's spectrum, and the library field emptied.
        state_.SetLibrary("");
        ShowSelected();
    } else if (choice.rfind("field:", 0) == 0) {
        state_.SetSpectrumField(choice.substr(6));
    } else {
        state_.SetSpectrumTitle(choice.substr(6));
    }
    Changed();
}

void ImportDialog::UnitChosen(int index) {
    static constexpr LengthUnit kUnits[] = {LengthUnit::Millimetre, LengthUnit::Centimetre,
                                            LengthUnit::Metre};
    if (index < 0 || index > 2) return;
    state_.SetUnit(kUnits[index]);
    Changed();
}

void ImportDialog::CrsTyped() {
    if (const std::optional<std::string> refused = state_.SetCrs(FieldString(crs_))) {
        Tell(*refused);
        SetFieldString(crs_, state_.crs());
        return;
    }
    Changed();
}

void ImportDialog::OriginModeChanged(bool useDefault) {
    if (useDefault) {
        state_.UseDefaultOrigin();
    } else if (state_.OriginShown()) {
        // The origin shown becomes the one set, for the user to change.
        state_.SetOriginText(FieldString(originX_), FieldString(originY_));
    }
    ShowCoordinates();
    Changed();
}

void ImportDialog::OriginTyped() {
    if (state_.OriginIsDefault()) return;
    if (const std::optional<std::string> refused =
            state_.SetOriginText(FieldString(originX_), FieldString(originY_))) {
        Tell(*refused);
        ShowCoordinates();
        return;
    }
    Changed();
}

void ImportDialog::SaveMapping() {
    const std::optional<std::string> path = questions_.ChooseFileToSave(
        this, QString::fromUtf8(kSaveMappingTitle), QtFileFilter(kMappingFileFilter), QStringLiteral("json"),
        QStringLiteral("mapping.json"));
    if (!path) return;
    if (const std::optional<std::string> refused = state_.SaveMapping(*path)) Tell(*refused);
}

void ImportDialog::LoadMapping() {
    const std::optional<std::string> path = questions_.ChooseFileToOpen(
        this, QString::fromUtf8(kLoadMappingTitle), QtFileFilter(kMappingFileFilter));
    if (!path) return;
    if (const std::optional<std::string> refused = state_.LoadMapping(*path)) {
        Tell(*refused);
        return;
    }
    ShowLayers();
    ShowSelected();
    ShowCoordinates();
    refresh_->start();
}

void ImportDialog::accept() {
    // Fields typed but not yet left count as entered.
    if (heightValue_->hasFocus()) HeightTyped();
    if (groundValue_->hasFocus()) GroundTyped();
    RefreshNow();
    if (const std::optional<std::string> refused = state_.RefuseOk()) {
        Tell(*refused);
        return;
    }
    QDialog::accept();
}

}  // namespace kelmora
