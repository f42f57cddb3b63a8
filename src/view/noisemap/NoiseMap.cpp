#include "view/noisemap/NoiseMap.h"

#include <cmath>

#include "view/noisemap/BuildingMask.h"
#include "view/noisemap/GridSmoothing.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {

std::string LegendHeading(const NoiseMapKind& kind) {
    switch (kind.quantity) {
        case MapQuantity::LAeqT:
            return std::string(kind.difference ? kLegendDifferenceLAeqT : kLegendLAeqT);
        case MapQuantity::LAmax:
            return std::string(kind.difference ? kLegendDifferenceLAmax : kLegendLAmax);
        case MapQuantity::Unknown:
            break;
    }
    return std::string(kind.difference ? kLegendDifference : kLegendLevel);
}

NoiseMap BuildNoiseMap(LevelGrid grid, LevelClasses classes, ColourScheme scheme, const NoiseMapKind& kind,
                       const MapShaping& shaping) {
    NoiseMap map;
    map.vertical = IsVerticalGrid(grid);
    const std::vector<MapPoint> nodes = MapCoordinates(grid);
    if (shaping.smooth) {
        const RefinedGrid fine =
            RefineGrid(nodes, grid.levels, grid.columns, grid.rows, SmoothingFactor(grid.columns, grid.rows));
        map.surface = TriangulateGrid(fine.nodes, fine.levels, fine.columns, fine.rows);
    } else {
        map.surface = TriangulateGrid(nodes, grid.levels, grid.columns, grid.rows);
    }
    map.bands = BuildLevelBands(map.surface, classes);
    map.isoLines = BuildIsoLines(map.surface, classes);
    if (!map.vertical) {
        MaskBands(map.bands, shaping.mask);
        MaskIsoLines(map.isoLines, shaping.mask);
    }
    std::string subheading;
    if (map.vertical) {
        // "鉛直断面 (70m, 38m)–(70m, 0m)": the plan line from the first column to the last.
        const CVector3D& from = grid.positions.front();
        const CVector3D& to = grid.positions.back();
        subheading = std::string(kLegendSection) + " (" + FormatLimit(from.x) + "m, " + FormatLimit(from.y) +
                     "m)–(" + FormatLimit(to.x) + "m, " + FormatLimit(to.y) + "m)";
    } else if (kind.gridHeight && std::isfinite(*kind.gridHeight)) {
        subheading = std::string(kLegendGridHeightPrefix) + FormatLimit(*kind.gridHeight) +
                     std::string(kLegendGridHeightSuffix);
    }
    map.legend = MakeLegend(classes, scheme, LegendHeading(kind), subheading);
    map.grid = std::move(grid);
    map.classes = std::move(classes);
    map.scheme = std::move(scheme);
    return map;
}

DisplayLayer DrawPlanMap(const NoiseMap& map, const CKelmoraViewData& view, bool isoLines) {
    DisplayLayer layer;
    const MapToPixels toPixels = PlanMapToPixels(view);
    DrawMapBands(layer, map.bands, map.scheme, toPixels);
    if (isoLines) DrawIsoLines(layer, map.isoLines, toPixels);
    return layer;
}

DisplayLayer DrawPlanMap(const NoiseMap& map, const MapToPixels& toPixels, const MapLook& look,
                         const TextWidth& width, const std::optional<LabelFrame>& frame) {
    DisplayLayer layer;
    DrawMapBands(layer, map.bands, map.scheme, toPixels);
    if (!look.isoLines) return layer;
    DrawIsoLines(layer, map.isoLines, toPixels);
    if (!look.isoLineLabels || !width) return layer;
    IsoLabelStyle style;
    style.signedLevels = map.classes.signedLabels;
    // The platform measures the plan's 15 px font; the labels' font is smaller in proportion.
    const int height = style.textHeight;
    const TextWidth labelWidth = [&width, height](const std::string& text) {
        return (width(text) * height + 14) / 15;
    };
    DrawIsoLineLabels(layer, PlaceIsoLineLabels(map.isoLines, toPixels, labelWidth, style, frame), style);
    return layer;
}

std::optional<double> LevelAtPoint(const NoiseMap& map, const MapPoint& p) {
    const LevelSurface& s = map.surface;
    for (const auto& t : s.triangles) {
        const MapPoint& a = s.nodes[t[0]];
        const MapPoint& b = s.nodes[t[1]];
        const MapPoint& c = s.nodes[t[2]];
        const double det = (b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y());
        const double wb = ((p.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (p.y() - a.y())) / det;
        const double wc = ((b.x() - a.x()) * (p.y() - a.y()) - (p.x() - a.x()) * (b.y() - a.y())) / det;
        const double wa = 1.0 - wb - wc;
        if (wa >= 0.0 && wb >= 0.0 && wc >= 0.0)
            return wa * s.levels[t[0]] + wb * s.levels[t[1]] + wc * s.levels[t[2]];
    }
    return std::nullopt;
}

}  // namespace kelmora
