#include "view/PlanObjects.h"

#include <array>
#include <cstdio>

#include "geometry/Polygon.h"
#include "geometry/PolylineOps.h"
#include "geometry/RectGeometry.h"
#include "view/PlotInfo.h"
#include "view/TextInfo.h"
#include "view/ViewTransform.h"

namespace kelmora {

namespace {

int WidthOf(DrawStyle style) {
    return style == DrawStyle::Highlight ? kHighlightWidth : kNormalWidth;
}

std::vector<ClientPoint> Closed(std::vector<ClientPoint> points) {
    if (!points.empty()) points.push_back(points.front());
    return points;
}

// An arrow along every segment of the points, the last `skipLast` segments left without one.
void DrawSegmentArrows(DisplayLayer& layer, const CLineInfo& info, const std::vector<ClientPoint>& points,
                       std::size_t skipLast) {
    if (points.size() < 2) return;
    const std::size_t segments = points.size() - 1;
    for (std::size_t i = 0; i + skipLast < segments; ++i)
        info.DrawArrow(layer, points[i], points[i + 1]);
}

std::vector<ClientPoint> FaceCornersToClient(const CKelmoraViewData& v, const CMyRect& rect) {
    const CFaceCorners corners = RectCorners(rect);
    return PointsToClient(v, std::span<const CVector3D>(corners));
}

void DrawOpeningTree(DisplayLayer& layer, const CKelmoraViewData& v, const CWindow& opening, int depth,
                     DrawStyle style, const std::vector<int>* skip, std::size_t skipLevel);

void DrawOpeningList(DisplayLayer& layer, const CKelmoraViewData& v, const std::vector<CWindow>& openings,
                     int depth, DrawStyle style, const std::vector<int>* skip, std::size_t skipLevel,
                     bool laterFirst) {
    const std::size_t n = openings.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = laterFirst ? n - 1 - k : k;
        // The skip path applies below this list only while every level above it matched.
        const std::vector<int>* below = nullptr;
        if (skip && skipLevel < skip->size() && (*skip)[skipLevel] == static_cast<int>(i)) {
            if (skipLevel + 1 == skip->size()) continue;  // the skipped opening and its contents
            below = skip;
        }
        DrawOpeningTree(layer, v, openings[i], depth, style, below, skipLevel + 1);
    }
}

void DrawOpeningTree(DisplayLayer& layer, const CKelmoraViewData& v, const CWindow& opening, int depth,
                     DrawStyle style, const std::vector<int>* skip, std::size_t skipLevel) {
    DrawOpening(layer, v, opening, depth, style);
    DrawOpeningList(layer, v, opening.containedOpenings, depth + 1, style, skip, skipLevel, true);
}

}  // namespace

CLineInfo PlanLineStyle(Rgb color, int width) {
    CLineInfo info;
    info.visible = 1;
    info.penStyle = 0;
    info.color = color;
    info.width = width;
    info.filled = 0;
    info.hatched = 1;
    info.hatchStyle = 5;
    info.hatchBackground = {255, 255, 255};
    return info;
}

Rgb OpeningColour(int depth, bool outdoorSource) {
    if (depth <= 1) return outdoorSource ? Rgb{255, 0, 0} : Rgb{79, 79, 79};
    if (depth % 2 == 0) return outdoorSource ? Rgb{255, 255, 0} : Rgb{0, 0, 0};
    return outdoorSource ? Rgb{255, 0, 255} : Rgb{128, 128, 0};
}

CPolyline WallPlanLine(const CGroundLine& line, const CWall& wall) {
    return OffsetPolyline(SubPolyline(line.polyline, wall.rangeStart, wall.rangeEnd), wall.offsetHorizontal,
                          wall.offsetVertical);
}

CPolyline SlopeBand(const CGroundLine& line, const CWall& wall) {
    CPolyline band = WallPlanLine(line, wall);
    const double run = wall.slopeSide == kSlopeRight ? -wall.slopeHorizontal : wall.slopeHorizontal;
    const CPolyline foot = OffsetPolyline(band, run, 0.0);
    band.vertices.insert(band.vertices.end(), foot.vertices.rbegin(), foot.vertices.rend());
    return band;
}

void DrawGroundLine(DisplayLayer& layer, const CKelmoraViewData& v, const CGroundLine& line,
                    DrawStyle style) {
    const CLineInfo info = PlanLineStyle(kGroundLineColour, WidthOf(style));
    const std::vector<ClientPoint> points = PolylineToClient(v, line.polyline);
    info.DrawPolyline(layer, points);
    if (style == DrawStyle::Highlight) DrawSegmentArrows(layer, info, points, 0);
}

void DrawWall(DisplayLayer& layer, const CKelmoraViewData& v, const CGroundLine& line, const CWall& wall,
              DrawStyle style) {
    if (wall.type == kSlopeShoulder) {
        const std::vector<ClientPoint> band = PolylineToClient(v, SlopeBand(line, wall));
        PlanLineStyle(kSlopeColour, kNormalWidth).DrawHatchedPolygon(layer, band);
        if (style == DrawStyle::Highlight && band.size() >= 2)
            PlanLineStyle(kSlopeColour, kHighlightWidth).DrawPolyline(layer, Closed(band));
        return;
    }
    PlanLineStyle(kBarrierColour, WidthOf(style))
        .DrawPolyline(layer, PolylineToClient(v, WallPlanLine(line, wall)));
}

void DrawRoof(DisplayLayer& layer, const CKelmoraViewData& v, const CRectObstacle& face, DrawStyle style) {
    const std::vector<ClientPoint> corners = FaceCornersToClient(v, face.rect);
    const CLineInfo thin = PlanLineStyle(kRoofColour, kNormalWidth);
    thin.DrawHatchedPolygon(layer, corners);
    if (style == DrawStyle::Normal) {
        thin.DrawPolyline(layer, corners);
        return;
    }
    const CLineInfo wide = PlanLineStyle(kRoofColour, kHighlightWidth);
    wide.DrawPolyline(layer, Closed(corners));
    wide.DrawArrow(layer, corners[0], corners[1]);
}

void DrawExteriorWall(DisplayLayer& layer, const CKelmoraViewData& v, const CBuildingWall& wall,
                      DrawStyle style) {
    const CLineInfo info = PlanLineStyle(kExteriorWallColour, WidthOf(style));
    std::vector<ClientPoint> points = PolylineToClient(v, wall.polyline);
    const bool closed = wall.closed != 0 && !points.empty();
    if (closed) points = Closed(std::move(points));
    info.DrawPolyline(layer, points);
    if (style == DrawStyle::Highlight) DrawSegmentArrows(layer, info, points, closed ? 1 : 0);
}

void DrawRoomOutline(DisplayLayer& layer, const CKelmoraViewData& v, const CRoom& room, DrawStyle style) {
    const bool enclosesArea = PolylineArea2D(room.outline) > 0.0;
    std::vector<ClientPoint> points = PolylineToClient(v, room.outline);
    if (style == DrawStyle::Normal) {
        const CLineInfo info = PlanLineStyle(kRoomColour, kNormalWidth);
        if (enclosesArea) {
            info.DrawHatchedPolygon(layer, points);
        } else {
            info.DrawPolyline(layer, points);
        }
        return;
    }
    const CLineInfo info = PlanLineStyle(kRoomColour, kHighlightWidth);
    if (enclosesArea) points = Closed(std::move(points));
    info.DrawPolyline(layer, points);
    DrawSegmentArrows(layer, info, points, enclosesArea ? 1 : 0);
}

void DrawOpening(DisplayLayer& layer, const CKelmoraViewData& v, const CWindow& opening, int depth,
                 DrawStyle style) {
    PlanLineStyle(OpeningColour(depth, opening.isOutdoorSource != 0), WidthOf(style))
        .DrawPolyline(layer, Closed(FaceCornersToClient(v, opening.rect)));
}

void DrawOpeningTrees(DisplayLayer& layer, const CKelmoraViewData& v, const std::vector<CWindow>& openings,
                      int depth, DrawStyle style, const std::vector<int>* skip) {
    // The top-level openings of a list go in their stored order; inside each, later siblings first.
    DrawOpeningList(layer, v, openings, depth, style, skip, 0, false);
}

void DrawSource(DisplayLayer& layer, const CKelmoraViewData& v, const CSound& source, SourceMark mark) {
    CPlotInfo marker;
    marker.shape = static_cast<int>(MarkerShape::Circle);
    marker.color = kSourceColour;
    marker.width = 1;
    marker.filled = mark == SourceMark::Filled ? 1 : 0;
    marker.size = mark == SourceMark::Filled ? 6 : 5;
    marker.Draw(layer, ModelToPixel(v, source.position));
}

void DrawPredictionPoint(DisplayLayer& layer, const CKelmoraViewData& v, const CPredictivePoint& point,
                         DrawStyle style) {
    CPlotInfo marker;
    marker.shape = static_cast<int>(MarkerShape::Plus);
    marker.color = kPredictionPointColour;
    marker.size = style == DrawStyle::Highlight ? 7 : 5;
    marker.width = WidthOf(style);
    marker.Draw(layer, ModelToPixel(v, point.position));
}

std::string CornerLabelText(const CVector3D& modelPoint) {
    char text[96];
    std::snprintf(text, sizeof text, "(%.0fm, %.0fm)", modelPoint.x, modelPoint.y);
    return text;
}

void DrawCornerLabels(DisplayLayer& layer, const CKelmoraViewData& v) {
    struct Corner {
        CVertex2D picturePixel;
        int anchor;  // so that the label lies inside the picture at that corner
    };
    const double w = v.imageWidth;
    const double h = v.imageHeight;
    const std::array<Corner, 4> corners{{{{0.0, h}, 6}, {{0.0, 0.0}, 0}, {{w, 0.0}, 2}, {{w, h}, 8}}};
    CTextInfo label;
    for (const Corner& c : corners) {
        const CVector3D model = FromScreen(v.calibration, c.picturePixel);
        label.anchor = c.anchor;
        label.Draw(layer, ModelToPixel(v, model), CornerLabelText(model));
    }
}

}  // namespace kelmora
