#include "app/PathsWindow.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <cstdio>
#include <span>
#include <string>

#include "app/KelmoraDocument.h"
#include "calc/PointPaths.h"
#include "calc/Transfers.h"
#include "platform/raster/PlanRasterizer.h"
#include "propagation/GroundModel.h"
#include "view/PathSectionSketch.h"
#include "view/PointPathsDrawing.h"

namespace kelmora {

namespace {

constexpr const char* kSourceLabel = "音源(&S):";
constexpr const char* kEverySource = "すべての音源";
constexpr const char* kTableName = "伝搬経路一覧";
constexpr const char* kSectionName = "経路の鉛直断面";
constexpr const char* kSectionHint = "一覧で経路を選ぶと、その鉛直断面を表示します";
constexpr const char* kCloseButton = "閉じる";
constexpr const char* kBelowGround = "予測点が地下の為、計算しない";
constexpr const char* kNoPath = "伝搬経路無し";

enum Column { kNumber, kSource, kKind, kFaces, kLaeq, kLamax, kShare, kColumnCount };

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString Decibels(double level) {
    return QString::number(level, 'f', 1);
}

}  // namespace

// The rows of the table, one per path in the order found; the proxy sorts them.
class PathTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Fill(const CNoise& model, std::span<const PointPath> paths) {
        beginResetModel();
        rows_.clear();
        rows_.reserve(paths.size());
        std::vector<QString> sources;  // one label per user source, made once
        for (std::size_t k = 0; k < paths.size(); ++k) {
            const PointPath& p = paths[k];
            if (p.userSource >= sources.size()) sources.resize(p.userSource + 1);
            if (sources[p.userSource].isEmpty())
                sources[p.userSource] = Utf8(UserSourceLabel(model, p.userSource));
            const Rgb c = PathKindColour(p.kind);
            rows_.push_back({static_cast<int>(k + 1), sources[p.userSource], Utf8(PathKindText(p)),
                             Utf8(PathFacesText(p)), p.laeq, p.lamax, p.share, QColor(c.r, c.g, c.b)});
        }
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : kColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const Row& r = rows_[static_cast<std::size_t>(index.row())];
        const int column = index.column();
        if (role == Qt::DecorationRole && column == kKind) return r.colour;
        // The long texts in full where the column cuts them.
        if (role == Qt::ToolTipRole && column == kSource) return r.source;
        if (role == Qt::ToolTipRole && column == kFaces) return r.faces;
        if (role == Qt::TextAlignmentRole) {
            const bool number = column == kNumber || column >= kLaeq;
            return QVariant::fromValue(
                Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
        }
        if (role != Qt::DisplayRole && role != Qt::UserRole) return {};
        const bool sortKey = role == Qt::UserRole;
        switch (column) {
            case kNumber:
                return r.number;
            case kSource:
                return r.source;
            case kKind:
                return r.kind;
            case kFaces:
                return r.faces;
            case kLaeq:
                return sortKey ? QVariant(r.laeq) : QVariant(Decibels(r.laeq));
            case kLamax:
                return sortKey ? QVariant(r.lamax) : QVariant(Decibels(r.lamax));
            case kShare:
                return sortKey ? QVariant(r.share) : QVariant(QString::number(100.0 * r.share, 'f', 1));
            default:
                return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const char* const kTitles[kColumnCount] = {
            "No.", "音源", "種別", "経由する面", "LAeqT [dB]", "LAmax [dB]", "寄与率 [%]"};
        return section >= 0 && section < kColumnCount ? QString::fromUtf8(kTitles[section]) : QVariant();
    }

private:
    struct Row {
        int number;
        QString source;
        QString kind;
        QString faces;
        double laeq;
        double lamax;
        double share;
        QColor colour;
    };
    std::vector<Row> rows_;
};

// The section of the chosen path, drawn at the widget's size.
class PathSectionCanvas : public QWidget {
public:
    explicit PathSectionCanvas(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(320, 200);
        setAccessibleName(QString::fromUtf8(kSectionName));
    }

    void Show(std::optional<PathProfile> profile, PathKind kind) {
        profile_ = std::move(profile);
        kind_ = kind;
        Render();
        update();
    }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (!profile_) {
            painter.drawText(rect(), Qt::AlignCenter, QString::fromUtf8(kSectionHint));
            return;
        }
        painter.drawImage(QPoint(0, 0), image_);
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        Render();
    }

private:
    void Render() {
        if (!profile_) {
            image_ = QImage();
            return;
        }
        image_ = NewLayerImage(std::max(1, width()), std::max(1, height()));
        RasterizeLayer(image_, DrawPathSection(*profile_, kind_, image_.width(), image_.height()));
    }

    std::optional<PathProfile> profile_;
    PathKind kind_ = PathKind::Direct;
    QImage image_;
};

namespace {

// "予測点 3 (境界1)  X 12.3  Y 45.6  Z 1.2 m    LAeqT 45.0 dB  LAmax 60.1 dB    経路 5217 本"
QString SummaryOf(const CNoise& model, const ShownPaths& shown) {
    const std::span<const CPredictivePoint> points = model.calcInfo.PredictionPoints();
    QString text = QStringLiteral("予測点 %1").arg(shown.pointIndex + 1);
    if (shown.pointIndex < points.size() && !points[shown.pointIndex].label.empty())
        text += QStringLiteral(" (%1)").arg(Utf8(points[shown.pointIndex].label));
    const CVector3D& p = shown.found.position;
    text +=
        QStringLiteral("  X %1  Y %2  Z %3 m    ")
            .arg(QString::number(p.x, 'f', 1), QString::number(p.y, 'f', 1), QString::number(p.z, 'f', 1));
    if (!shown.found.aboveGround) return text + QString::fromUtf8(kBelowGround);
    if (shown.found.paths.empty()) return text + QString::fromUtf8(kNoPath);
    text += QStringLiteral("LAeqT %1 dB  LAmax %2 dB    経路 %3 本")
                .arg(Decibels(shown.found.laeq), Decibels(shown.found.lamax))
                .arg(shown.found.paths.size());
    if (shown.found.userSource)
        text += QStringLiteral("（%1 のみ）").arg(Utf8(UserSourceLabel(model, *shown.found.userSource)));
    return text;
}

}  // namespace

PathsWindow::PathsWindow(KelmoraDocument& document, QWidget* parent) : QDialog(parent), document_(&document) {
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QDialog::finished, this, &QObject::deleteLater);  // Esc hides without a close event
    summary_ = new QLabel(this);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    source_ = new QComboBox(this);
    // As wide as a source's name with its memo, not as the longest of them: the window keeps its size.
    source_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    source_->setMinimumContentsLength(32);
    auto* sourceLabel = new QLabel(QString::fromUtf8(kSourceLabel), this);
    sourceLabel->setBuddy(source_);

    rows_ = new PathTableModel(this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(rows_);
    sorted_->setSortRole(Qt::UserRole);
    table_ = new QTableView(this);
    table_->setAccessibleName(QString::fromUtf8(kTableName));
    table_->setModel(sorted_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSortingEnabled(true);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(kFaces, QHeaderView::Stretch);
    for (const auto& [column, width] :
         {std::pair{kNumber, 48}, std::pair{kSource, 150}, std::pair{kKind, 140}, std::pair{kLaeq, 84},
          std::pair{kLamax, 84}, std::pair{kShare, 84}})
        table_->setColumnWidth(column, width);
    table_->sortByColumn(kLaeq, Qt::DescendingOrder);

    section_ = new PathSectionCanvas(this);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table_);
    split->addWidget(section_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* close = new QPushButton(QString::fromUtf8(kCloseButton), this);
    close->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(sourceLabel);
    top->addWidget(source_);
    top->addStretch(1);
    top->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    resize(780, 680);

    connect(source_, &QComboBox::activated, this, [this] {
        const int user = source_->currentData().toInt();
        emit sourceChosen(user < 0 ? std::nullopt
                                   : std::optional<std::size_t>(static_cast<std::size_t>(user)));
    });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &PathsWindow::PathChosen);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(&document, &QObject::destroyed, this, &QWidget::close);
    Reload();
}

const QImage& PathsWindow::sectionImage() const {
    return section_->image();
}

int PathsWindow::RowOfPath(std::size_t path) const {
    return sorted_->mapFromSource(rows_->index(static_cast<int>(path), 0)).row();
}

void PathsWindow::Reload() {
    const ShownPaths* shown = document_.isNull() ? nullptr : document_->shownPaths();
    if (shown == nullptr) {
        if (isVisible()) close();
        return;
    }
    const CNoise& model = document_->transaction().model();
    setWindowTitle(QString::fromUtf8(kPathsWindowTitle) + QStringLiteral(" - ") + document_->title());
    summary_->setText(SummaryOf(model, *shown));
    {
        const QSignalBlocker block(source_);
        source_->clear();
        source_->addItem(QString::fromUtf8(kEverySource), -1);
        const std::size_t users = UserSources(model).size();
        for (std::size_t s = 0; s < users; ++s)
            source_->addItem(Utf8(UserSourceLabel(model, s)), static_cast<int>(s));
        const int chosen = shown->found.userSource ? static_cast<int>(*shown->found.userSource) : -1;
        source_->setCurrentIndex(std::max(0, source_->findData(chosen)));
    }
    terrain_ = AllGroundLines(model);
    {
        const QSignalBlocker block(table_->selectionModel());
        rows_->Fill(model, shown->found.paths);
    }
    section_->Show(std::nullopt, PathKind::Direct);
    if (shown->selected) table_->selectRow(RowOfPath(*shown->selected));
}

void PathsWindow::PathChosen() {
    if (document_.isNull()) return;
    const ShownPaths* shown = document_->shownPaths();
    const QModelIndex current = sorted_->mapToSource(table_->currentIndex());
    if (shown == nullptr || !current.isValid()) return;
    const auto k = static_cast<std::size_t>(current.row());
    if (k >= shown->found.paths.size()) return;
    const PointPath& path = shown->found.paths[k];
    section_->Show(ProfileOfPath(terrain_, path), path.kind);
    document_->SelectPath(k);
}

}  // namespace kelmora
