#pragma once
// The plane geometry of a noise map: points, band polygons with holes and iso-lines, in the map's own
// coordinates (plan metres x, y for a horizontal grid; distance along the line and elevation for a
// vertical section). Polygons are counter-clockwise with clockwise holes, rings closed.
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

namespace kelmora {

using MapPoint = boost::geometry::model::d2::point_xy<double>;
using MapPolygon = boost::geometry::model::polygon<MapPoint, /*ClockWise=*/false, /*Closed=*/true>;
using MapRing = MapPolygon::ring_type;
using MapMultiPolygon = boost::geometry::model::multi_polygon<MapPolygon>;
using MapLine = boost::geometry::model::linestring<MapPoint>;

}  // namespace kelmora
