#include "editing/NewItems.h"

#include <cmath>
#include <exception>

#include "geometry/Polygon.h"

namespace kelmora {

namespace {

double ToMillimetre(double metres) {
    return std::round(metres * 1000.0) / 1000.0;
}

CVertex2D PlanCentre(const CPolyline& outline) {
    const std::vector<CVector3D>& v = outline.vertices;
    if (v.empty()) return {0.0, 0.0};
    if (v.size() == 1) return {v[0].x, v[0].y};
    try {
        return PolygonCentroid2D(PlanVertices(v));
    } catch (const std::exception&) {
        // An outline the polygon library refuses (a damaged file): the source starts at its first
        // vertex rather than taking the program down.
        return {v[0].x, v[0].y};
    }
}

}  // namespace

CSound NewIndoorSource(const CRoom& room) {
    CSound source;
    const CVertex2D centre = PlanCentre(room.outline);
    source.position = {ToMillimetre(centre.x), ToMillimetre(centre.y), ToMillimetre(room.floorZ)};
    return source;
}

CWindow NewContainedOpening(const CWindow& containing) {
    CWindow opening;
    opening.rect = containing.rect;
    opening.belongsTo = containing.belongsTo;
    return opening;
}

}  // namespace kelmora
