#include "app/MapLegendPanel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QStringList>

#include "app/KelmoraDocument.h"
#include "app/PlanView.h"
#include "platform/raster/MapPicture.h"
#include "platform/raster/PlanRasterizer.h"

namespace kelmora {

namespace {

constexpr int kPanelMargin = 8;  // px around the legend

}  // namespace

MapLegendPanel::MapLegendPanel(KelmoraDocument& document, QWidget* parent)
    : QWidget(parent), document_(document) {
    setAccessibleName(QString::fromUtf8("凡例"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    // One turn after the plan's redraw, so that showing or hiding the panel does not resize the plan in
    // the middle of its own update.
    connect(&document, &KelmoraDocument::viewsUpdated, this, &MapLegendPanel::Refresh, Qt::QueuedConnection);
    hide();
}

void MapLegendPanel::Refresh() {
    std::optional<MapLegend> legend = document_.noiseMap().Legend(document_.mapOutOfDate());
    if (legend == legend_) return;
    legend_ = std::move(legend);
    if (legend_) {
        QStringList lines{QString::fromStdString(legend_->heading),
                          QString::fromStdString(legend_->subheading)};
        for (const std::string& note : legend_->notes)
            lines << QString::fromStdString(note);
        if (!legend_->warning.empty()) lines << QString::fromStdString(legend_->warning);
        for (const LegendEntry& entry : legend_->entries)
            lines << QString::fromStdString(entry.label);
        lines.removeAll(QString());
        setAccessibleDescription(lines.join(QStringLiteral("\n")));
        setFixedWidth(sizeHint().width());
    }
    setVisible(legend_.has_value());
    updateGeometry();
    update();
}

QSize MapLegendPanel::sizeHint() const {
    if (!legend_) return {0, 0};
    const LegendSize size = MeasureLegend(*legend_, PlanTextWidth());
    return {size.width + 2 * kPanelMargin, size.height + 2 * kPanelMargin};
}

void MapLegendPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!legend_) return;
    DisplayLayer layer;
    DrawLegend(layer, *legend_, {kPanelMargin, kPanelMargin}, PlanTextWidth());
    PaintLayer(painter, rect(), layer);
}

PlanPane::PlanPane(KelmoraDocument& document, QWidget* parent) : QWidget(parent) {
    view_ = new PlanView(document, this);
    legend_ = new MapLegendPanel(document, this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(legend_);
    setFocusProxy(view_);
}

}  // namespace kelmora
