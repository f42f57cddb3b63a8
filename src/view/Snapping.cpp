#include "view/Snapping.h"

#include <exception>

#include "geometry/Polygon.h"
#include "geometry/PolylineOps.h"
#include "geometry/RectGeometry.h"
#include "view/ViewTransform.h"

namespace kelmora {

namespace {

CPolyline FlatPolyline(const std::vector<CVertex2D>& points) {
    CPolyline line;
    line.vertices.reserve(points.size());
    for (const CVertex2D& p : points)
        line.vertices.push_back({p.x, p.y, 0.0});
    return line;
}

std::vector<CVertex2D> RoofFootprint(const CRoof& roof) {
    const auto corners = RectCorners2D(roof.face.rect);
    return {corners.begin(), corners.end()};
}

}  // namespace

std::vector<CPolyline> CornerCandidateSets(const CBuilding& building) {
    std::vector<CPolyline> sets;
    for (const CRoof& roof : building.roofs)
        sets.push_back(RectCornersPolyline2D(roof.face.rect));
    for (std::size_t i = 0; i < building.roofs.size(); ++i) {
        for (std::size_t j = i + 1; j < building.roofs.size(); ++j) {
            // A degenerate roof rectangle can make the polygon library refuse the pair; such a pair
            // simply offers no crossing points.
            try {
                for (const auto& polygon : PolygonIntersection2D(RoofFootprint(building.roofs[i]),
                                                                 RoofFootprint(building.roofs[j])))
                    sets.push_back(FlatPolyline(polygon));
            } catch (const std::exception&) {
            }
        }
    }
    for (const CBuildingWall& wall : building.walls)
        sets.push_back(wall.polyline);
    for (const CRoom& room : building.rooms)
        sets.push_back(room.outline);
    return sets;
}

std::optional<CVertex2D> NearestCorner(const CBuilding& building, const CVertex2D& p) {
    std::optional<CNearestVertex> best;
    for (const CPolyline& set : CornerCandidateSets(building)) {
        const auto found = NearestVertex2D(set, p);
        if (found && (!best || found->distancePlan < best->distancePlan)) best = found;
    }
    if (!best) return std::nullopt;
    return Plan(best->vertex);
}

std::vector<CPolyline> EdgeCandidateLines(const CBuilding& building) {
    std::vector<CPolyline> lines;
    for (const CRoof& roof : building.roofs)
        lines.push_back(RectCornersPolyline2D(roof.face.rect));
    for (const CBuildingWall& wall : building.walls)
        lines.push_back(wall.polyline);
    for (const CRoom& room : building.rooms)
        lines.push_back(room.outline);
    return lines;
}

std::optional<EdgeSnap> NearestEdgePoint(const CBuilding& building, const CVertex2D& p) {
    std::optional<EdgeSnap> best;
    double bestDistance = 0.0;
    for (const CPolyline& line : EdgeCandidateLines(building)) {
        const auto found = NearestPointOnOffset2D(line, 0.0, p);
        if (!found) continue;
        const CVertex2D q = Plan(found->point);
        const double d = Distance2D(q, p);
        if (best && d > bestDistance) continue;  // equally near: the later line wins
        const CVertex2D s = Plan(found->segment.start);
        const CVertex2D e = Plan(found->segment.end);
        const bool startNearer = Distance2D(s, p) <= Distance2D(e, p);
        best = EdgeSnap{q, startNearer ? s : e, startNearer ? e : s};
        bestDistance = d;
    }
    return best;
}

CVertex2D PointAlongEdge(const EdgeSnap& snap, double distance) {
    const CVertex2D along = snap.farEnd - snap.nearEnd;
    const double length = Length(along);
    if (!(length > 0.0)) return snap.nearEnd;
    return snap.nearEnd + (distance / length) * along;
}

bool WithinSnapRadius(const CKelmoraViewData& v, const CVertex2D& modelPoint, ClientPoint click) {
    const CVertex2D s = ModelToClient(v, {modelPoint.x, modelPoint.y, 0.0});
    const double dx = s.x - click.x;
    const double dy = s.y - click.y;
    return dx * dx + dy * dy <= kSnapRadiusPx * kSnapRadiusPx;
}

}  // namespace kelmora
