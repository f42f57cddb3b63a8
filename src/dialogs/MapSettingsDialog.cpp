#include "dialogs/MapSettingsDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "dialogs/DialogSupport.h"
#include "dialogs/UserQuestions.h"
#include "view/noisemap/MapStyle.h"

namespace kelmora {

namespace {

constexpr int kLowerColumn = 0;
constexpr int kColourColumn = 1;

QDoubleSpinBox* DecibelField(QWidget* parent, double least, double most) {
    auto* field = new QDoubleSpinBox(parent);
    field->setRange(least, most);
    field->setDecimals(1);
    field->setSingleStep(1.0);
    field->setSuffix(QStringLiteral(" dB"));
    return field;
}

QString ColourName(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFFu)).name(QColor::HexRgb).toUpper();
}

}  // namespace

MapSettingsDialog::MapSettingsDialog(const MapSettings& settings, UserQuestions& questions, QWidget* parent)
    : QDialog(parent), questions_(questions) {
    setWindowTitle(QString::fromUtf8(kMapSettingsTitle));

    // Colours and classes.
    scheme_ = new QComboBox(this);
    for (const SchemeChoice& choice : SchemeChoices())
        scheme_->addItem(QString::fromStdString(choice.name), QString::fromStdString(choice.id));
    lowest_ = DecibelField(this, -200.0, 300.0);
    width_ = DecibelField(this, 0.1, 50.0);
    auto* classes = new QGroupBox(QString::fromUtf8("配色と等級"), this);
    auto* classForm = new QFormLayout(classes);
    classForm->addRow(BuddyLabel("配色(&S):", scheme_), scheme_);
    classForm->addRow(BuddyLabel("最も低い等級の下限(&L):", lowest_), lowest_);
    classForm->addRow(BuddyLabel("等級の幅(&W):", width_), width_);

    userClasses_ = new QTableWidget(0, 2, this);
    userClasses_->setHorizontalHeaderLabels({QString::fromUtf8("下限 [dB]"), QString::fromUtf8("色")});
    userClasses_->horizontalHeader()->setStretchLastSection(true);
    userClasses_->verticalHeader()->setVisible(false);
    userClasses_->setSelectionBehavior(QAbstractItemView::SelectRows);
    userClasses_->setSelectionMode(QAbstractItemView::SingleSelection);
    userClasses_->setMinimumHeight(150);
    addClass_ = new QPushButton(QString::fromUtf8("等級の追加(&A)"), this);
    removeClass_ = new QPushButton(QString::fromUtf8("等級の削除(&D)"), this);
    colour_ = new QPushButton(QString::fromUtf8("色の選択(&C)..."), this);
    auto* userButtons = new QHBoxLayout;
    userButtons->addWidget(addClass_);
    userButtons->addWidget(removeClass_);
    userButtons->addWidget(colour_);
    userButtons->addStretch();
    classForm->addRow(BuddyLabel("ユーザー定義の等級(&U):", userClasses_), userClasses_);
    classForm->addRow(QString(), userButtons);

    // What is drawn with the map.
    isoLines_ = new QCheckBox(QString::fromUtf8("等値線を描く(&I)"), this);
    labels_ = new QCheckBox(QString::fromUtf8("等値線にレベルを書く(&B)"), this);
    crosses_ = new QCheckBox(QString::fromUtf8("格子点の十字を描く(&G)"), this);
    mask_ = new QCheckBox(QString::fromUtf8("建物の範囲は塗らない(&M)"), this);
    smooth_ = new QCheckBox(QString::fromUtf8("格子の間を補間して滑らかに描く(&O)"), this);
    auto* drawing = new QGroupBox(QString::fromUtf8("表示"), this);
    auto* drawingLayout = new QVBoxLayout(drawing);
    for (QCheckBox* box : {isoLines_, labels_, crosses_, mask_, smooth_})
        drawingLayout->addWidget(box);

    // Difference maps.
    differenceWidth_ = DecibelField(this, 0.1, 50.0);
    differenceWidth_->setSingleStep(0.5);
    differenceClasses_ = new QSpinBox(this);
    differenceClasses_->setRange(1, 20);
    auto* difference = new QGroupBox(QString::fromUtf8("差分マップ (中央の灰色は ± 幅の半分)"), this);
    auto* differenceForm = new QFormLayout(difference);
    differenceForm->addRow(BuddyLabel("差分の等級の幅(&F):", differenceWidth_), differenceWidth_);
    differenceForm->addRow(BuddyLabel("片側の等級の数(&N):", differenceClasses_), differenceClasses_);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QString::fromUtf8("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(classes);
    layout->addWidget(drawing);
    layout->addWidget(difference);
    layout->addWidget(buttons);

    connect(scheme_, &QComboBox::currentIndexChanged, this, &MapSettingsDialog::SchemeChanged);
    connect(addClass_, &QPushButton::clicked, this, &MapSettingsDialog::AddUserClass);
    connect(removeClass_, &QPushButton::clicked, this, &MapSettingsDialog::RemoveUserClass);
    connect(colour_, &QPushButton::clicked, this, &MapSettingsDialog::ChooseColour);
    connect(isoLines_, &QCheckBox::toggled, labels_, &QWidget::setEnabled);
    Show(settings);
}

void MapSettingsDialog::Show(const MapSettings& settings) {
    shown_ = settings;
    const int index = scheme_->findData(QString::fromStdString(settings.scheme));
    scheme_->setCurrentIndex(index >= 0 ? index : 0);
    lowest_->setValue(settings.lowestClassDb);
    width_->setValue(settings.classWidthDb);
    userClasses_->setRowCount(0);
    for (const MapClassColour& c : settings.userClasses) {
        const int row = userClasses_->rowCount();
        userClasses_->insertRow(row);
        SetUserRow(row, c.lowerDb, c.rgb);
    }
    isoLines_->setChecked(settings.isoLines);
    labels_->setChecked(settings.isoLineLabels);
    labels_->setEnabled(settings.isoLines);
    crosses_->setChecked(settings.gridCrosses);
    mask_->setChecked(settings.maskBuildings);
    smooth_->setChecked(settings.smooth);
    differenceWidth_->setValue(settings.differenceClassWidthDb);
    differenceClasses_->setValue(settings.differenceClassesEachSide);
    SchemeChanged();
}

MapSettings MapSettingsDialog::settings() const {
    MapSettings s = shown_;
    s.scheme = scheme_->currentData().toString().toStdString();
    s.lowestClassDb = lowest_->value();
    s.classWidthDb = width_->value();
    s.userClasses.clear();
    for (int row = 0; row < userClasses_->rowCount(); ++row) {
        const QTableWidgetItem* lower = userClasses_->item(row, kLowerColumn);
        const QTableWidgetItem* colour = userClasses_->item(row, kColourColumn);
        bool ok = false;
        const double lowerDb = lower != nullptr ? lower->text().trimmed().toDouble(&ok) : 0.0;
        const QColor c = colour != nullptr ? QColor::fromString(colour->text().trimmed()) : QColor();
        // A cell that does not read is passed on as not a number, which the check refuses.
        s.userClasses.push_back(
            {ok ? lowerDb : NAN, c.isValid() ? static_cast<std::uint32_t>(c.rgb() & 0xFFFFFFu) : 0u});
    }
    s.isoLines = isoLines_->isChecked();
    s.isoLineLabels = labels_->isChecked();
    s.gridCrosses = crosses_->isChecked();
    s.maskBuildings = mask_->isChecked();
    s.smooth = smooth_->isChecked();
    s.differenceClassWidthDb = differenceWidth_->value();
    s.differenceClassesEachSide = differenceClasses_->value();
    return s;
}

void MapSettingsDialog::accept() {
    if (const std::optional<std::string> problem = MapSettingsProblem(settings())) {
        questions_.Tell(this, QString::fromUtf8("入力チェック"), QString::fromStdString(*problem),
                        QMessageBox::Warning);
        return;
    }
    QDialog::accept();
}

void MapSettingsDialog::SchemeChanged() {
    const bool user = scheme_->currentData().toString() == QString::fromLatin1(kUserSchemeId);
    lowest_->setEnabled(!user);
    width_->setEnabled(!user);
    userClasses_->setEnabled(user);
    addClass_->setEnabled(user);
    removeClass_->setEnabled(user);
    colour_->setEnabled(user);
    if (user && userClasses_->rowCount() == 0) {
        // The user's own scheme starts from what the named scheme draws now.
        MapSettings named = settings();
        named.scheme = shown_.scheme == kUserSchemeId ? MapSettings{}.scheme : shown_.scheme;
        for (const MapClassColour& c : UserClassesFrom(LevelMapStyleOrDefault(named))) {
            const int row = userClasses_->rowCount();
            userClasses_->insertRow(row);
            SetUserRow(row, c.lowerDb, c.rgb);
        }
    }
}

void MapSettingsDialog::SetUserRow(int row, double lowerDb, std::uint32_t rgb) {
    userClasses_->setItem(row, kLowerColumn, new QTableWidgetItem(QString::number(lowerDb, 'g', 6)));
    auto* colour = new QTableWidgetItem(ColourName(rgb));
    colour->setBackground(QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFFu)));
    colour->setForeground(qGray(static_cast<QRgb>(rgb)) < 128 ? Qt::white : Qt::black);
    userClasses_->setItem(row, kColourColumn, colour);
}

void MapSettingsDialog::AddUserClass() {
    const int rows = userClasses_->rowCount();
    double lower = 35.0;
    if (rows > 0) {
        bool ok = false;
        const double last = userClasses_->item(rows - 1, kLowerColumn)->text().toDouble(&ok);
        if (ok) lower = last + 5.0;
    }
    userClasses_->insertRow(rows);
    SetUserRow(rows, lower, 0x808080u);
    userClasses_->setCurrentCell(rows, kLowerColumn);
}

void MapSettingsDialog::RemoveUserClass() {
    const int row = userClasses_->currentRow();
    if (row >= 0) userClasses_->removeRow(row);
}

void MapSettingsDialog::ChooseColour() {
    const int row = userClasses_->currentRow();
    if (row < 0) return;
    const QColor now = QColor::fromString(userClasses_->item(row, kColourColumn)->text());
    const QColor chosen =
        QColorDialog::getColor(now.isValid() ? now : Qt::gray, this, QString::fromUtf8("色の選択"));
    if (!chosen.isValid()) return;
    bool ok = false;
    const double lower = userClasses_->item(row, kLowerColumn)->text().toDouble(&ok);
    SetUserRow(row, ok ? lower : 0.0, static_cast<std::uint32_t>(chosen.rgb() & 0xFFFFFFu));
}

}  // namespace kelmora
