#include "view/ImportPreview.h"

#include "view/ViewTransform.h"

namespace kelmora {

namespace {

constexpr int kMarkRadiusPx = 4;

Pen PreviewPen(int width, PenStyle style = PenStyle::Solid) {
    return {kImportPreviewColour, width, style};
}

std::vector<ClientPoint> Corners(const CMyRect& r, const CKelmoraViewData& view) {
    // The fourth corner of a roof rectangle: p1 moved as p2 moved to p3.
    const CVector3D p4 = r.p1 + (r.p3 - r.p2);
    const CVector3D corners[] = {r.p1, r.p2, r.p3, p4};
    return PointsToClient(view, corners);
}

}  // namespace

DisplayLayer DrawImportPreview(const CNoise& additions, const CKelmoraViewData& view) {
    DisplayLayer layer;
    for (const CBuilding& building : additions.buildings) {
        for (const CRoof& roof : building.roofs)
            layer.push_back(PolygonPrimitive{Corners(roof.face.rect, view), FillRule::Alternate,
                                             PreviewPen(1, PenStyle::Dot), Brush{}});
        for (const CBuildingWall& wall : building.walls) {
            std::vector<ClientPoint> points = PolylineToClient(view, wall.polyline);
            if (wall.closed != 0 && !points.empty()) points.push_back(points.front());
            layer.push_back(PolylinePrimitive{std::move(points), PreviewPen(2)});
        }
    }
    for (const CGroundLine& line : additions.groundLines) {
        // A barrier's line drawn heavy, a plain ground line dashed.
        const bool barrier = !line.walls.empty();
        layer.push_back(PolylinePrimitive{PolylineToClient(view, line.polyline),
                                          barrier ? PreviewPen(3) : PreviewPen(1, PenStyle::Dash)});
    }
    for (const CSound& source : additions.outdoorSources) {
        const ClientPoint at = ModelToPixel(view, source.position);
        layer.push_back(EllipsePrimitive{at.x - kMarkRadiusPx, at.y - kMarkRadiusPx, at.x + kMarkRadiusPx,
                                         at.y + kMarkRadiusPx, PreviewPen(1),
                                         SolidBrush(kImportPreviewColour)});
    }
    for (const CPredictivePoint& point : additions.calcInfo.pointList) {
        const ClientPoint at = ModelToPixel(view, point.position);
        layer.push_back(RectanglePrimitive{{at.x - kMarkRadiusPx, at.y - kMarkRadiusPx},
                                           {at.x + kMarkRadiusPx, at.y + kMarkRadiusPx},
                                           PreviewPen(2),
                                           Brush{}});
    }
    return layer;
}

}  // namespace kelmora
