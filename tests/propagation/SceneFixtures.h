#pragma once
// Site pieces for the propagation tests: ground lines, barriers and box buildings whose faces can be
// followed by hand. Everything stands on the plan with x east, y north, z up [m].
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/Building.h"
#include "model/GroundLine.h"
#include "model/Noise.h"

namespace kelmora::fixtures {

// The source and the receiver of the scene tests: 100 m apart along x, 1.5 m above the plan.
inline const CVector3D kS{0.0, 0.0, 1.5};
inline const CVector3D kR{100.0, 0.0, 1.5};

// An absorption (or transmission-loss) spectrum with every band at `value`.
inline CBand Spectrum(double value) {
    return CBand::Filled(value);
}

// A ground line through the vertices, with the ground absorption on its left and right.
inline CGroundLine GroundLine(std::vector<CVector3D> vertices, double absorptionLeft = 0.0,
                              double absorptionRight = 0.0) {
    CGroundLine line;
    line.polyline.vertices = std::move(vertices);
    line.absorptionLeft = Spectrum(absorptionLeft);
    line.absorptionRight = Spectrum(absorptionRight);
    return line;
}

// A wall of the given kind over the arc lengths from..to of its ground line, standing on the line.
inline CWall Wall(double from, double to, double height, std::int32_t type = kKnifeEdgeBarrier) {
    CWall wall;
    wall.type = type;
    wall.rangeStart = from;
    wall.rangeEnd = to;
    wall.height = height;
    return wall;
}

// A straight ground line from a to b at ground height z carrying one knife-edge barrier of the given
// height over its whole length. The barrier's faces have their left side on the left of a → b.
inline CGroundLine BarrierLine(const CVertex2D& a, const CVertex2D& b, double height, double z = 0.0) {
    CGroundLine line = GroundLine({{a.x, a.y, z}, {b.x, b.y, z}});
    line.walls.push_back(Wall(0.0, std::hypot(b.x - a.x, b.y - a.y), height));
    return line;
}

// A flat roof over the plan box x0..x1, y0..y1 at height z; its corners run anticlockwise from (x0, y0),
// so its left side faces up. Every edge diffracts, right-angle wedge (the defaults of a roof).
inline CRoof FlatRoof(double x0, double y0, double x1, double y1, double z) {
    CRoof roof;
    roof.face.rect = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}};
    return roof;
}

// A closed exterior wall around the plan box x0..x1, y0..y1 from bottomZ to topZ, its vertices running
// anticlockwise from (x0, y0): the building's inside lies on the left of every segment.
inline CBuildingWall BoxWall(double x0, double y0, double x1, double y1, double bottomZ, double topZ) {
    CBuildingWall wall;
    wall.polyline.vertices = {{x0, y0, 0.0}, {x1, y0, 0.0}, {x1, y1, 0.0}, {x0, y1, 0.0}};
    wall.closed = 1;
    wall.bottomZ = bottomZ;
    wall.topZ = topZ;
    return wall;
}

// A box building over x0..x1, y0..y1 with a flat roof at `height`, and a closed exterior wall from the
// ground to the roof around it when withWalls.
inline CBuilding BoxBuilding(double x0, double y0, double x1, double y1, double height,
                             bool withWalls = true) {
    CBuilding building;
    building.roofs.push_back(FlatRoof(x0, y0, x1, y1, height));
    if (withWalls) building.walls.push_back(BoxWall(x0, y0, x1, y1, 0.0, height));
    return building;
}

// Points compared within a tolerance [m], with a readable failure message.
inline ::testing::AssertionResult SamePoint(const CVector3D& actual, const CVector3D& expected,
                                            double tol = 1e-9) {
    if (std::abs(actual.x - expected.x) <= tol && std::abs(actual.y - expected.y) <= tol &&
        std::abs(actual.z - expected.z) <= tol)
        return ::testing::AssertionSuccess();
    std::ostringstream text;
    text.precision(17);
    text << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not (" << expected.x << ", "
         << expected.y << ", " << expected.z << ")";
    return ::testing::AssertionFailure() << text.str();
}

}  // namespace kelmora::fixtures
