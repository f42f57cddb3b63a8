#include "dialogs/ResultsWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

#include "calc/PrintfFormat.h"
#include "calc/TextOutput.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/PointsTableModel.h"
#include "dialogs/UserQuestions.h"

namespace kelmora {
namespace {

constexpr const char* kCaption = "予測結果一覧";

// A cell that sorts by a number (its UserRole) rather than by its text.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double value) : QTableWidgetItem(text) {
        setData(Qt::UserRole, value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QTableWidgetItem* Text(const std::string& text) {
    auto* item = new QTableWidgetItem(QtText(text));
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QTableWidgetItem* Number(double value, const char* format = "%.1f") {
    auto* item = new NumberItem(QtText(Format(format, {value})), value);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QTableWidget* Table(QWidget* parent, const QStringList& headers, const QString& name) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setAccessibleName(name);
    table->verticalHeader()->setVisible(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

QPushButton* Button(const char* text, QWidget* parent) {
    return new QPushButton(QString::fromUtf8(text), parent);
}

}  // namespace

ResultsWindow::ResultsWindow(CResultsStudy& study, UserQuestions& questions, QWidget* parent)
    : QDialog(parent), study_(study), questions_(questions) {
    setModal(false);
    setWindowTitle(QString::fromUtf8(kCaption));
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(this);
    layout->addWidget(status_);

    auto* split = new QSplitter(Qt::Vertical, this);
    layout->addWidget(split, 1);
    auto* top = new QWidget(split);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    pointsModel_ = new PointsTableModel(study_, this);
    pointsOrder_ = new QSortFilterProxyModel(this);
    pointsOrder_->setSourceModel(pointsModel_);
    pointsOrder_->setSortRole(PointsTableModel::kSortRole);
    points_ = new QTableView(top);
    points_->setModel(pointsOrder_);
    points_->setAccessibleName(QString::fromUtf8("予測点の一覧"));
    points_->verticalHeader()->setVisible(false);
    points_->setSelectionBehavior(QAbstractItemView::SelectRows);
    points_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    points_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Stored order until the user sorts by a column.
    points_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    points_->setSortingEnabled(true);
    topLayout->addWidget(points_, 1);
    auto* pointButtons = new QHBoxLayout();
    QPushButton* copy = Button("コピー", top);
    QPushButton* csv = Button("CSV出力...", top);
    QPushButton* paths = Button("伝搬経路を表示", top);
    pointButtons->addWidget(copy);
    pointButtons->addWidget(csv);
    pointButtons->addWidget(paths);
    pointButtons->addStretch(1);
    topLayout->addLayout(pointButtons);

    auto* tabs = new QTabWidget(split);
    // The selected point's sources, ranked.
    auto* contributionsPage = new QWidget(tabs);
    auto* cLayout = new QVBoxLayout(contributionsPage);
    byBuilding_ = new QCheckBox(QString::fromUtf8("建物ごとにまとめる"), contributionsPage);
    cLayout->addWidget(byBuilding_);
    contributions_ = Table(
        contributionsPage,
        {"順位", "音源", "メモ", "LAeqT[dB]", "LAmax[dB]", "寄与率[%]", "変更後LAeqT[dB]", "変更後寄与率[%]"},
        QString::fromUtf8("音源別寄与"));
    contributions_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cLayout->addWidget(contributions_, 1);
    tabs->addTab(contributionsPage, QString::fromUtf8("音源別寄与"));

    // What-if: a row per source.
    auto* whatIfPage = new QWidget(tabs);
    auto* wLayout = new QVBoxLayout(whatIfPage);
    sources_ = Table(whatIfPage, {"使用", "音源", "メモ", "補正[dB]"}, QString::fromUtf8("対策の検討"));
    wLayout->addWidget(sources_, 1);
    auto* scenarioRow = new QHBoxLayout();
    auto* nameLabel = new QLabel(QString::fromUtf8("シナリオ名"), whatIfPage);
    scenarioName_ = new QLineEdit(whatIfPage);
    nameLabel->setBuddy(scenarioName_);
    QPushButton* save = Button("シナリオとして保存", whatIfPage);
    QPushButton* difference = Button("差分マップ", whatIfPage);
    QPushButton* apply = Button("モデルに反映", whatIfPage);
    QPushButton* reset = Button("すべて元に戻す", whatIfPage);
    scenarioRow->addWidget(nameLabel);
    scenarioRow->addWidget(scenarioName_, 1);
    scenarioRow->addWidget(save);
    scenarioRow->addWidget(difference);
    scenarioRow->addWidget(apply);
    scenarioRow->addWidget(reset);
    wLayout->addLayout(scenarioRow);
    auto* savedRow = new QHBoxLayout();
    auto* savedLabel = new QLabel(QString::fromUtf8("保存したシナリオ"), whatIfPage);
    savedScenarios_ = new QComboBox(whatIfPage);
    savedLabel->setBuddy(savedScenarios_);
    QPushButton* load = Button("読み込み", whatIfPage);
    savedRow->addWidget(savedLabel);
    savedRow->addWidget(savedScenarios_, 1);
    savedRow->addWidget(load);
    wLayout->addLayout(savedRow);
    tabs->addTab(whatIfPage, QString::fromUtf8("対策の検討"));

    // Limits.
    auto* limitsPage = new QWidget(tabs);
    auto* lLayout = new QVBoxLayout(limitsPage);
    limits_ =
        Table(limitsPage, {"対象", "ラベル・先頭", "LAeqT[dB]", "LAmax[dB]"}, QString::fromUtf8("規制値"));
    lLayout->addWidget(limits_, 1);
    auto* limitButtons = new QHBoxLayout();
    QPushButton* addLimit = Button("行を追加", limitsPage);
    QPushButton* removeLimit = Button("行を削除", limitsPage);
    QPushButton* applyLimits = Button("規制値を適用", limitsPage);
    limitButtons->addWidget(addLimit);
    limitButtons->addWidget(removeLimit);
    limitButtons->addStretch(1);
    limitButtons->addWidget(applyLimits);
    lLayout->addLayout(limitButtons);
    tabs->addTab(limitsPage, QString::fromUtf8("規制値"));
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    connect(points_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ResultsWindow::FillContributions);
    connect(byBuilding_, &QCheckBox::toggled, this, &ResultsWindow::FillContributions);
    connect(copy, &QPushButton::clicked, this, &ResultsWindow::CopyPoints);
    auto* copyKey = new QShortcut(QKeySequence::Copy, points_);
    copyKey->setContext(Qt::WidgetShortcut);
    connect(copyKey, &QShortcut::activated, this, &ResultsWindow::CopyPoints);
    connect(csv, &QPushButton::clicked, this, [this] {
        const std::optional<std::string> path = questions_.ChooseFileToSave(
            this, QString::fromUtf8("音源別寄与を出力するCSVファイル名を指定してください"),
            QString::fromUtf8("csv File (*.csv)"), QStringLiteral("csv"),
            QStringLiteral("contributions.csv"));
        if (path) ExportCsv(*path);
    });
    connect(paths, &QPushButton::clicked, this, [this] {
        const int point = selectedPoint();
        if (point < 0) return;
        int source = -1;
        const QList<QTableWidgetItem*> chosen = contributions_->selectedItems();
        if (!chosen.isEmpty() && !byBuilding_->isChecked())
            source = contributions_->item(chosen.front()->row(), 1)->data(Qt::UserRole).toInt();
        emit showPathsRequested(point, source);
    });
    connect(sources_, &QTableWidget::cellChanged, this, &ResultsWindow::SourceEdited);
    connect(save, &QPushButton::clicked, this, [this] {
        const std::string name = scenarioName_->text().trimmed().toStdString();
        if (name.empty()) {
            Tell(QString::fromUtf8("シナリオ名を入力してください。"));
            scenarioName_->setFocus();
            return;
        }
        emit saveScenarioRequested(study_.AsScenario(name));
    });
    connect(difference, &QPushButton::clicked, this, [this] {
        const QString name = scenarioName_->text().trimmed();
        emit differenceMapRequested(name.isEmpty() ? QString::fromUtf8("変更後") : name);
    });
    connect(apply, &QPushButton::clicked, this, [this] {
        if (!study_.Changed()) return;
        emit applyRequested(study_.AsScenario(scenarioName_->text().trimmed().toStdString()));
    });
    connect(reset, &QPushButton::clicked, this, [this] {
        study_.ClearChanges();
        FillSources();
        FillPoints();
        emit studyChanged();
    });
    connect(load, &QPushButton::clicked, this, [this] {
        const int i = savedScenarios_->currentIndex();
        if (i < 0 || i >= static_cast<int>(scenarios_.size())) return;
        const std::vector<std::string> unknown = study_.Load(scenarios_[static_cast<std::size_t>(i)]);
        scenarioName_->setText(QtText(scenarios_[static_cast<std::size_t>(i)].name));
        FillSources();
        FillPoints();
        emit studyChanged();
        if (!unknown.empty()) {
            std::string names;
            for (const std::string& n : unknown)
                names += (names.empty() ? "" : "、") + n;
            Tell(QtText("シナリオの音源 " + names + " はこのプロジェクトにありません。"));
        }
    });
    connect(addLimit, &QPushButton::clicked, this, [this] {
        const int row = limits_->rowCount();
        limits_->insertRow(row);
        auto* scope = new QComboBox(limits_);
        for (const LimitScope s : {LimitScope::AllPoints, LimitScope::LabelPrefix, LimitScope::Label})
            scope->addItem(QString::fromUtf8(LimitScopeWord(s)));
        limits_->setCellWidget(row, 0, scope);
        for (int c = 1; c < 4; ++c)
            limits_->setItem(row, c, new QTableWidgetItem());
    });
    connect(removeLimit, &QPushButton::clicked, this, [this] {
        if (limits_->currentRow() >= 0) limits_->removeRow(limits_->currentRow());
    });
    connect(applyLimits, &QPushButton::clicked, this, &ResultsWindow::ApplyLimits);
    resize(980, 680);
}

void ResultsWindow::Reload(const Scenarios& scenarios) {
    const int selected = selectedPoint();
    scenarios_ = scenarios;
    savedScenarios_->clear();
    for (const Scenario& s : scenarios_)
        savedScenarios_->addItem(QtText(s.name));
    status_->setText(study_.HasResults()
                         ? QString::fromUtf8("予測点 %1 点、音源 %2 個")
                               .arg(study_.rows().size())
                               .arg(study_.sources().size())
                         : QString::fromUtf8("計算結果がありません。予測計算を実行してください。"));
    FillPoints();
    FillSources();
    FillLimits();
    SelectPoint(selected >= 0 ? selected : 0);
}

void ResultsWindow::FillPoints() {
    filling_ = true;
    const int selected = selectedPoint();
    pointsModel_->Refresh();
    filling_ = false;
    if (selected >= 0 && selectedPoint() != selected) SelectPoint(selected);
    FillContributions();
}

int ResultsWindow::selectedPoint() const {
    const QModelIndexList rows = points_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    return rows.front().data(PointsTableModel::kPointRole).toInt();
}

void ResultsWindow::SelectPoint(int point) {
    if (point < 0 || point >= pointsModel_->rowCount()) return;
    const QModelIndex at = pointsOrder_->mapFromSource(pointsModel_->index(point, 0));
    points_->selectRow(at.row());
    points_->scrollTo(at);
}

void ResultsWindow::FillContributions() {
    if (filling_) return;
    const int point = selectedPoint();
    contributions_->setRowCount(0);
    if (point < 0) return;
    const bool grouped = byBuilding_->isChecked();
    const std::vector<RankedShare> before =
        study_.Contributions(static_cast<std::size_t>(point), false, grouped);
    const std::vector<RankedShare> after =
        study_.Contributions(static_cast<std::size_t>(point), true, grouped);
    contributions_->setRowCount(static_cast<int>(before.size()));
    for (int i = 0; i < static_cast<int>(before.size()); ++i) {
        const RankedShare& r = before[static_cast<std::size_t>(i)];
        contributions_->setItem(i, 0, Number(r.rank, "%.0f"));
        QTableWidgetItem* name = Text(r.name);
        name->setData(Qt::UserRole, static_cast<int>(r.source));
        contributions_->setItem(i, 1, name);
        contributions_->setItem(i, 2, Text(r.memo));
        contributions_->setItem(i, 3, Number(r.laeq));
        contributions_->setItem(i, 4, Number(r.lamax));
        contributions_->setItem(i, 5, Number(r.percent));
        for (const RankedShare& a : after) {
            if (a.name != r.name) continue;
            contributions_->setItem(i, 6, Number(a.laeq));
            contributions_->setItem(i, 7, Number(a.percent));
        }
    }
}

void ResultsWindow::FillSources() {
    filling_ = true;
    const std::vector<UserSourceInfo>& infos = study_.sources();
    const std::vector<SourceAdjustment>& changes = study_.adjustments();
    sources_->setRowCount(static_cast<int>(infos.size()));
    for (int i = 0; i < static_cast<int>(infos.size()); ++i) {
        const SourceAdjustment& a = changes[static_cast<std::size_t>(i)];
        auto* on = new QTableWidgetItem();
        on->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        on->setCheckState(a.on ? Qt::Checked : Qt::Unchecked);
        on->setData(Qt::AccessibleTextRole, QString::fromUtf8("使用"));
        sources_->setItem(i, 0, on);
        sources_->setItem(i, 1, Text(infos[static_cast<std::size_t>(i)].name));
        sources_->setItem(i, 2, Text(infos[static_cast<std::size_t>(i)].memo));
        auto* gain = qobject_cast<QDoubleSpinBox*>(sources_->cellWidget(i, 3));
        if (gain == nullptr) {
            gain = new QDoubleSpinBox(sources_);
            gain->setRange(-60.0, 30.0);
            gain->setDecimals(1);
            gain->setSingleStep(1.0);
            gain->setAccessibleName(QString::fromUtf8("補正[dB]"));
            sources_->setCellWidget(i, 3, gain);
            connect(gain, &QDoubleSpinBox::valueChanged, this, [this, i](double value) {
                if (filling_) return;
                study_.SetSourceGain(static_cast<std::size_t>(i), value);
                FillPoints();
                emit studyChanged();
            });
        }
        gain->blockSignals(true);
        gain->setValue(a.gainDb);
        gain->blockSignals(false);
    }
    filling_ = false;
}

void ResultsWindow::SourceEdited(int row, int column) {
    if (filling_ || column != 0) return;
    QTableWidgetItem* on = sources_->item(row, 0);
    study_.SetSourceOn(static_cast<std::size_t>(row), on->checkState() == Qt::Checked);
    FillPoints();
    emit studyChanged();
}

void ResultsWindow::FillLimits() {
    const LevelLimits& limits = study_.limits();
    limits_->setRowCount(static_cast<int>(limits.size()));
    for (int i = 0; i < static_cast<int>(limits.size()); ++i) {
        const LevelLimit& l = limits[static_cast<std::size_t>(i)];
        auto* scope = new QComboBox(limits_);
        for (const LimitScope s : {LimitScope::AllPoints, LimitScope::LabelPrefix, LimitScope::Label})
            scope->addItem(QString::fromUtf8(LimitScopeWord(s)));
        scope->setCurrentIndex(static_cast<int>(l.scope));
        limits_->setCellWidget(i, 0, scope);
        limits_->setItem(i, 1, new QTableWidgetItem(QtText(l.text)));
        limits_->setItem(i, 2, new QTableWidgetItem(l.laeq ? QtText(Format("%g", {*l.laeq})) : QString()));
        limits_->setItem(i, 3, new QTableWidgetItem(l.lamax ? QtText(Format("%g", {*l.lamax})) : QString()));
    }
}

void ResultsWindow::ApplyLimits() {
    LevelLimits limits;
    for (int row = 0; row < limits_->rowCount(); ++row) {
        const auto* scope = qobject_cast<QComboBox*>(limits_->cellWidget(row, 0));
        const auto text = [this, row](int column) {
            const QTableWidgetItem* item = limits_->item(row, column);
            return item != nullptr ? item->text().trimmed().toStdString() : std::string();
        };
        std::string problem;
        const std::optional<LevelLimit> limit =
            ParseLimitRow(scope != nullptr ? scope->currentIndex() : 0, text(1), text(2), text(3), problem);
        if (!limit) {
            limits_->setCurrentCell(row, 2);
            Tell(QtText(Format("%d行目: ", {row + 1}) + problem));
            return;
        }
        limits.push_back(*limit);
    }
    emit limitsRequested(limits);
}

void ResultsWindow::CopyPoints() {
    std::vector<std::size_t> order;
    for (int row = 0; row < pointsOrder_->rowCount(); ++row)
        order.push_back(
            static_cast<std::size_t>(pointsOrder_->index(row, 0).data(PointsTableModel::kPointRole).toInt()));
    QApplication::clipboard()->setText(QtText(study_.PointsText('\t', order)));
}

bool ResultsWindow::ExportCsv(const std::string& path) {
    std::unique_ptr<CTextFile> file = CTextFile::Create(path, nullptr);
    if (!file) {
        Tell(QtText("出力テキストファイルオープンエラー\n(" + path + ")"));
        return false;
    }
    try {
        std::string bytes;
        AppendTextFileBytes(bytes, study_.ContributionsCsvText());
        file->Write(bytes);
        file->Close();
    } catch (const TextFileWriteError& e) {
        Tell(QtText(std::string(e.what()) + "\n(" + path + ")"));
        return false;
    }
    return true;
}

void ResultsWindow::Tell(const QString& text) {
    questions_.Tell(this, QString::fromUtf8(kCaption), text, QMessageBox::Warning);
}

}  // namespace kelmora
