#include "view/noisemap/BuildingMask.h"

#include <boost/geometry/algorithms/area.hpp>
#include <boost/geometry/algorithms/correct.hpp>
#include <boost/geometry/algorithms/difference.hpp>
#include <boost/geometry/algorithms/disjoint.hpp>
#include <boost/geometry/algorithms/envelope.hpp>
#include <boost/geometry/algorithms/union.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/multi_linestring.hpp>
#include <cmath>
#include <exception>

#include "geometry/RectGeometry.h"

namespace kelmora {

namespace bg = boost::geometry;

namespace {

using MapBox = bg::model::box<MapPoint>;

// A closed, counter-clockwise polygon of plan points; none when it has no area.
std::optional<MapPolygon> PolygonOf(const std::vector<CVertex2D>& corners) {
    MapPolygon polygon;
    for (const CVertex2D& c : corners) {
        if (!std::isfinite(c.x) || !std::isfinite(c.y)) return std::nullopt;
        polygon.outer().emplace_back(c.x, c.y);
    }
    if (polygon.outer().size() < 3) return std::nullopt;
    bg::correct(polygon);
    if (!(std::fabs(bg::area(polygon)) > 1e-9)) return std::nullopt;
    return polygon;
}

void Merge(MapMultiPolygon& all, const MapPolygon& polygon) {
    try {
        MapMultiPolygon merged;
        bg::union_(all, polygon, merged);
        all = std::move(merged);
    } catch (const std::exception&) {
        // A self-crossing wall outline: kept as drawn.
        all.push_back(polygon);
    }
}

}  // namespace

MapMultiPolygon BuildingFootprints(const CNoise& model) {
    MapMultiPolygon all;
    for (const CBuilding& building : model.buildings) {
        for (const CRoof& roof : building.roofs) {
            const CFaceCorners corners = RectCorners(roof.face.rect);
            std::vector<CVertex2D> plan;
            for (const CVector3D& c : corners)
                plan.push_back({c.x, c.y});
            if (const std::optional<MapPolygon> p = PolygonOf(plan)) Merge(all, *p);
        }
        for (const CBuildingWall& wall : building.walls) {
            if (wall.closed == 0) continue;
            std::vector<CVertex2D> plan;
            for (const CVector3D& v : wall.polyline.vertices)
                plan.push_back({v.x, v.y});
            if (const std::optional<MapPolygon> p = PolygonOf(plan)) Merge(all, *p);
        }
    }
    return all;
}

void MaskBands(std::vector<LevelBand>& bands, const MapMultiPolygon& footprints) {
    if (footprints.empty()) return;
    std::vector<MapBox> footprintBoxes;
    for (const MapPolygon& f : footprints)
        footprintBoxes.push_back(bg::return_envelope<MapBox>(f));
    for (LevelBand& band : bands) {
        MapMultiPolygon masked;
        for (const MapPolygon& polygon : band.area) {
            const MapBox box = bg::return_envelope<MapBox>(polygon);
            MapMultiPolygon near;
            for (std::size_t i = 0; i < footprints.size(); ++i)
                if (!bg::disjoint(box, footprintBoxes[i])) near.push_back(footprints[i]);
            if (near.empty()) {
                masked.push_back(polygon);
                continue;
            }
            try {
                MapMultiPolygon rest;
                bg::difference(polygon, near, rest);
                masked.insert(masked.end(), rest.begin(), rest.end());
            } catch (const std::exception&) {
                masked.push_back(polygon);
            }
        }
        band.area = std::move(masked);
    }
}

void MaskIsoLines(std::vector<IsoLine>& lines, const MapMultiPolygon& footprints) {
    if (footprints.empty()) return;
    const MapBox all = bg::return_envelope<MapBox>(footprints);
    for (IsoLine& iso : lines) {
        std::vector<MapLine> kept;
        for (const MapLine& line : iso.lines) {
            if (bg::disjoint(bg::return_envelope<MapBox>(line), all)) {
                kept.push_back(line);
                continue;
            }
            try {
                bg::model::multi_linestring<MapLine> rest;
                bg::difference(line, footprints, rest);
                for (MapLine& piece : rest)
                    if (piece.size() >= 2) kept.push_back(std::move(piece));
            } catch (const std::exception&) {
                kept.push_back(line);
            }
        }
        iso.lines = std::move(kept);
    }
}

}  // namespace kelmora
