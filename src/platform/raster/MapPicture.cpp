#include "platform/raster/MapPicture.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "platform/raster/PlanRasterizer.h"
#include "view/EditState.h"
#include "view/PlanScene.h"

namespace kelmora {

namespace {

constexpr int kPanelMargin = 12;  // px around the legend in its panel
constexpr Rgb kPanelColour{255, 255, 255};

}  // namespace

TextWidth PlanTextWidth() {
    return [](const std::string& text) { return TextExtent(FontSpec{}, text).width(); };
}

MapDrawing PlanMapDrawing(const NoiseMap& map, const PlanMapInputs& in) {
    const TextWidth width = PlanTextWidth();
    MapLegend legend = map.legend;
    legend.warning = in.warning;
    const LegendSize legendSize = MeasureLegend(legend, width);
    const int planWidth = std::max(1, in.planSize.width());
    const int panelWidth = legendSize.width + 2 * kPanelMargin;
    const QSize size(planWidth + panelWidth,
                     std::max(in.planSize.height(), legendSize.height + 2 * kPanelMargin));

    // Labels as the window places them: within its width.
    const LabelFrame frame{0.0, 0.0, static_cast<double>(planWidth), INFINITY};
    const DisplayLayer beneath =
        DrawPlanMap(map, PlanMapToPixels(in.view), MapLook{in.isoLines, in.isoLineLabels}, width, frame);
    const EditState idle;
    PlanSceneInputs scene{in.model, in.model, idle, in.view, in.hasPicture};
    scene.mapBeneath = &beneath;
    scene.labels = in.labels;
    scene.gridCrosses = in.gridCrosses;
    MapDrawing drawing{DrawBase(scene), size};
    drawing.layer.push_back(
        RectanglePrimitive{{planWidth, 0}, {size.width(), size.height()}, kNoPen, SolidBrush(kPanelColour)});
    DrawLegend(drawing.layer, legend, {planWidth + kPanelMargin, kPanelMargin}, width);
    return drawing;
}

MapDrawing SectionDrawing(const NoiseMap& map, const SectionFrame& frame) {
    return {DrawSection(map, frame, PlanTextWidth()), QSize(frame.width, frame.height)};
}

QImage RenderDrawing(const MapDrawing& drawing, const QImage* picture) {
    QImage image = NewLayerImage(drawing.size.width(), drawing.size.height());
    RasterizeLayer(image, drawing.layer, picture);
    return image;
}

QByteArray EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return {};
    return bytes;
}

QByteArray RenderSvg(const MapDrawing& drawing, const std::string& title, const QImage* picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(drawing.size);
    svg.setViewBox(QRect(QPoint(0, 0), drawing.size));
    svg.setTitle(QString::fromStdString(title));
    svg.setDescription(QStringLiteral("Kelmora"));
    {
        QPainter painter(&svg);
        PaintLayer(painter, QRect(QPoint(0, 0), drawing.size), drawing.layer, picture);
    }
    return bytes;
}

}  // namespace kelmora
