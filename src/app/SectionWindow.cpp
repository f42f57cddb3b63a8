#include "app/SectionWindow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "app/KelmoraDocument.h"
#include "app/MapPictureFile.h"
#include "view/EditState.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {

namespace {

// Smallest picture drawn [px]: below it axes and legend no longer fit.
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 200;

// Shows the section's picture; a new size asks for a new picture.
class SectionCanvas : public QWidget {
public:
    SectionCanvas(const QImage& image, std::function<void()> resized, QWidget* parent)
        : QWidget(parent), image_(image), resized_(std::move(resized)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(kMinWidth, kMinHeight);
        setAccessibleName(QString::fromUtf8("鉛直断面図"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (!image_.isNull()) painter.drawImage(QPoint(0, 0), image_);
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        resized_();
    }

private:
    const QImage& image_;
    std::function<void()> resized_;
};

// The map of the document's section with the out-of-date mark, at `size`; none when the document's
// map is no section.
std::optional<MapDrawing> SectionOf(KelmoraDocument& document, QSize size) {
    PlanMapState& state = document.noiseMap();
    if (!state.HasMap() || !state.IsSection()) return std::nullopt;
    const NoiseMap* map = state.Map();
    const CNoise& model = document.transaction().model();
    SectionFrame frame;
    frame.width = std::max(kMinWidth, size.width());
    frame.height = std::max(kMinHeight, size.height());
    frame.lowestNodeAboveGround = model.calcInfo.gridHeight;
    frame.isoLines = state.Menu(kIdleMode).isoLinesChecked;
    if (!document.mapOutOfDate()) return SectionDrawing(*map, frame);
    NoiseMap marked = *map;
    marked.legend.warning = std::string(kMapOutOfDate);
    return SectionDrawing(marked, frame);
}

}  // namespace

SectionWindow::SectionWindow(KelmoraDocument& document, UserQuestions& questions, QWidget* parent)
    : QDialog(parent), document_(&document), questions_(questions) {
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QDialog::finished, this, &QObject::deleteLater);  // Esc hides without a close event
    canvas_ = new SectionCanvas(
        image_, [this] { Render(); }, this);
    level_ = new QComboBox(this);
    auto* levelLabel = new QLabel(QString::fromUtf8(kSectionLevelLabel), this);
    levelLabel->setBuddy(level_);
    save_ = new QPushButton(QString::fromUtf8(kSectionSaveButton), this);
    auto* close = new QPushButton(QString::fromUtf8(kSectionCloseButton), this);
    // Enter does not save a picture by surprise.
    save_->setAutoDefault(false);
    close->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(levelLabel);
    buttons->addWidget(level_);
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(canvas_, 1);
    layout->addLayout(buttons);
    resize(980, 560);

    connect(level_, &QComboBox::activated, this, [this] {
        if (document_.isNull()) return;
        document_->noiseMap().Show(static_cast<MapQuantity>(level_->currentData().toInt()));
        Render();
        emit levelChosen();
    });
    connect(save_, &QPushButton::clicked, this, &SectionWindow::SavePicture);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // The section belongs to its document: it goes with it, and shows its edits as they are committed.
    connect(&document, &QObject::destroyed, this, &QWidget::close);
    connect(&document, &KelmoraDocument::stateChanged, this, &SectionWindow::Reload);
    Reload();
}

void SectionWindow::Reload() {
    if (document_.isNull()) return;
    PlanMapState& state = document_->noiseMap();
    if (!state.HasMap() || !state.IsSection()) {
        close();
        return;
    }
    setWindowTitle(QString::fromUtf8(kSectionWindowTitle) + QStringLiteral(" - ") + document_->title());
    const QSignalBlocker block(level_);
    level_->clear();
    for (const auto& [quantity, text] :
         {std::pair{MapQuantity::LAeqT, kMenuShowLAeqT}, std::pair{MapQuantity::LAmax, kMenuShowLAmax}}) {
        if (!state.Has(quantity)) continue;
        QString label = QString::fromUtf8(text);
        label.remove(QStringLiteral("(&E)")).remove(QStringLiteral("(&X)"));
        level_->addItem(label, static_cast<int>(quantity));
    }
    level_->setCurrentIndex(std::max(0, level_->findData(static_cast<int>(state.Showing()))));
    level_->setEnabled(level_->count() > 1);
    Render();
}

void SectionWindow::Render() {
    if (document_.isNull()) return;
    const std::optional<MapDrawing> drawing = SectionOf(*document_, canvas_->size());
    if (!drawing) return;
    image_ = RenderDrawing(*drawing);
    canvas_->update();
}

void SectionWindow::SavePicture() {
    if (document_.isNull()) return;
    const std::optional<MapDrawing> drawing = SectionOf(*document_, canvas_->size());
    if (!drawing) return;
    const MapLegend& legend = document_->noiseMap().Map()->legend;
    SaveMapPicture(this, questions_, QString::fromUtf8(kSaveSectionPictureTitle),
                   QStringLiteral("section.png"), *drawing, legend.heading + " " + legend.subheading);
}

}  // namespace kelmora
