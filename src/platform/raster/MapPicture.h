#pragma once
// Pictures of noise maps: the plan with the map under its site drawing and the legend in a panel at the
// right, or a vertical section; as pixels (PNG) or as a vector drawing (SVG). Both rasterise the same
// display list as the plan window.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <string>

#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/DisplayList.h"
#include "view/PlanLabels.h"
#include "view/noisemap/MapLayer.h"
#include "view/noisemap/NoiseMap.h"
#include "view/noisemap/SectionPicture.h"

namespace kelmora {

// Widths of texts in the plan's label font, for laying out legends.
TextWidth PlanTextWidth();

// A picture as a display list and its size.
struct MapDrawing {
    DisplayLayer layer;
    QSize size;
};

struct PlanMapInputs {
    const CNoise& model;
    const CKelmoraViewData& view;
    bool hasPicture = false;
    QSize planSize;  // the plan's client area [px]
    bool isoLines = true;
    std::string warning;  // shown in red in the legend when not empty
    bool isoLineLabels = true;
    bool gridCrosses = true;  // the grid's points over the map
    PlanLabels labels{};      // the labels the plan window shows
};

// The plan as an idle window draws it with the map's bands beneath the model, and a white panel at its
// right with the legend.
MapDrawing PlanMapDrawing(const NoiseMap& map, const PlanMapInputs& in);

// The section of a vertical grid's map.
MapDrawing SectionDrawing(const NoiseMap& map, const SectionFrame& frame);

// The drawing in pixels; `picture` is the background picture for the plan's picture primitive.
QImage RenderDrawing(const MapDrawing& drawing, const QImage* picture = nullptr);
// PNG bytes of an image; empty when it cannot be encoded.
QByteArray EncodePng(const QImage& image);
// The drawing as SVG bytes, with a title.
QByteArray RenderSvg(const MapDrawing& drawing, const std::string& title, const QImage* picture = nullptr);

}  // namespace kelmora
