#include "importing/SiteObjects.h"

#include <boost/geometry.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <cmath>
#include <exception>

namespace kelmora {

namespace bg = boost::geometry;

namespace {

using Point = bg::model::d2::point_xy<double>;
using Polygon = bg::model::polygon<Point>;
using Line = bg::model::linestring<Point>;

// How far beyond a roof side the footprint is looked for [m].
constexpr double kSideProbe = 1e-4;
// The exterior wall editor's shortest edge [m].
constexpr double kShortestWallEdge = 1.0;

Polygon ToPolygon(const FootprintRings& rings) {
    Polygon polygon;
    for (std::size_t r = 0; r < rings.size(); ++r) {
        auto& ring = r == 0 ? polygon.outer() : (polygon.inners().emplace_back(), polygon.inners().back());
        for (const CVertex2D& p : rings[r])
            ring.push_back(Point(p.x, p.y));
        if (!rings[r].empty()) ring.push_back(ring.front());
    }
    bg::correct(polygon);
    return polygon;
}

// True when the footprint goes on beyond the side a → b of a counter-clockwise rectangle: the side,
// moved outwards a little and shortened as much at both ends, lies within the footprint.
bool FootprintBeyond(const Polygon& footprint, const CVertex2D& a, const CVertex2D& b) {
    const CVertex2D d = b - a;
    const double length = std::hypot(d.x, d.y);
    if (length <= 2.0 * kSideProbe) return false;
    const CVertex2D along = (1.0 / length) * d;
    const CVertex2D out{along.y, -along.x};  // right of a counter-clockwise side: outwards
    const CVertex2D s = a + kSideProbe * out + kSideProbe * along;
    const CVertex2D e = b + kSideProbe * out - kSideProbe * along;
    Line side;
    side.push_back(Point(s.x, s.y));
    side.push_back(Point(e.x, e.y));
    try {
        return bg::covered_by(side, footprint);
    } catch (const std::exception&) {
        return false;
    }
}

CBuildingWall WallAlong(const std::vector<CVertex2D>& ring, double bottom, double top, bool& shortEdges) {
    CBuildingWall wall;
    for (const CVertex2D& p : ring)
        wall.polyline.vertices.push_back({p.x, p.y, 0.0});
    // The editor enters a closed wall as its vertices without the first repeated.
    std::vector<CVector3D>& v = wall.polyline.vertices;
    while (v.size() > 1 && v.front().x == v.back().x && v.front().y == v.back().y)
        v.pop_back();
    for (std::size_t i = 0; i < v.size(); ++i) {
        const CVector3D& a = v[i];
        const CVector3D& b = v[(i + 1) % v.size()];
        if (std::hypot(b.x - a.x, b.y - a.y) < kShortestWallEdge) shortEdges = true;
    }
    wall.closed = 1;
    wall.bottomZ = bottom;
    wall.topZ = top;
    return wall;
}

}  // namespace

BuildingMade BuildingOverFootprints(const std::vector<FootprintRings>& footprints, double groundZ,
                                    double height, std::string memo) {
    BuildingMade made;
    made.building.memo = std::move(memo);
    const double top = groundZ + height;
    for (const FootprintRings& rings : footprints) {
        for (const std::vector<CVertex2D>& ring : rings)
            made.building.walls.push_back(WallAlong(ring, groundZ, top, made.shortEdges));
        const RoofCover cover = CoverFootprint(rings);
        made.strips = made.strips || cover.strips;
        made.footprintArea += cover.footprintArea;
        made.coveredArea += cover.coveredArea;
        const Polygon footprint = ToPolygon(rings);
        for (const PlanRectangle& rect : cover.rectangles) {
            CRoof roof;
            const auto& c = rect.corners;
            roof.face.rect.p1 = {c[0].x, c[0].y, top};
            roof.face.rect.p2 = {c[1].x, c[1].y, top};
            roof.face.rect.p3 = {c[2].x, c[2].y, top};
            for (int side = 0; side < 4; ++side)
                if (FootprintBeyond(footprint, c[side], c[(side + 1) % 4])) roof.face.diffracts[side] = 0;
            made.building.roofs.push_back(std::move(roof));
        }
    }
    return made;
}

CGroundLine GroundLineAlong(const std::vector<CVector3D>& vertices) {
    CGroundLine line;
    line.polyline.vertices = vertices;
    return line;
}

CGroundLine BarrierAlong(const std::vector<CVector3D>& vertices, double height) {
    CGroundLine line = GroundLineAlong(vertices);
    const int wall = PlaceNewWall(line, -1);
    line.walls[static_cast<std::size_t>(wall)].height = height;
    return line;
}

CSound SourceAt(const CVector3D& position, const CBand* spectrum, std::string memo) {
    CSound source;
    source.position = position;
    source.memo = std::move(memo);
    if (spectrum != nullptr) {
        for (CBand* power : {&source.powerAverage, &source.powerMax}) {
            power->kind = 2;
            power->third = spectrum->third;
            power->title = spectrum->title;
        }
    }
    return source;
}

CPredictivePoint PointAt(const CVector3D& position, std::string label) {
    CPredictivePoint point(position);
    point.label = std::move(label);
    return point;
}

}  // namespace kelmora
