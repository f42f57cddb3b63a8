#include <gtest/gtest.h>

#include "view/PlanTestModel.h"
#include "view/Snapping.h"

namespace kelmora {
namespace {

using plantest::BlankWindow;
using plantest::Roof;

CBuildingWall Wall(std::vector<CVector3D> vertices, int closed = 0) {
    CBuildingWall wall;
    wall.polyline.vertices = std::move(vertices);
    wall.closed = closed;
    return wall;
}

CRoom Room(std::vector<CVector3D> outline) {
    CRoom room;
    room.outline.vertices = std::move(outline);
    return room;
}

TEST(Snapping, OverlappingRoofsOfferTheCrossingsOfTheirEdgesAsCorners) {
    CBuilding building;
    building.roofs = {Roof(0, 0, 10, 10), Roof(5, 5, 15, 15)};
    building.walls = {Wall({{0, 20, 0}, {4, 20, 0}})};
    building.rooms = {Room({{20, 0, 0}, {24, 0, 0}, {24, 4, 0}})};
    // Both roofs, their overlap (5, 5)–(10, 10), the wall, the room: in this order.
    const std::vector<CPolyline> sets = CornerCandidateSets(building);
    ASSERT_EQ(sets.size(), 5u);
    EXPECT_EQ(sets[0].vertices.size(), 4u);
    EXPECT_EQ(sets[2].vertices.size(), 4u);
    EXPECT_EQ(sets[3], building.walls[0].polyline);
    EXPECT_EQ(sets[4], building.rooms[0].outline);

    struct Case {
        CVertex2D click, corner;
    };
    const Case cases[] = {
        {{10.2, 5.1}, {10, 5}},    // where roof 0's side B crosses roof 1's side A
        {{4.8, 9.7}, {5, 10}},     // the other crossing
        {{14.5, 14.1}, {15, 15}},  // a plain roof corner
        {{3.9, 19}, {4, 20}},      // a wall vertex
        {{23, 3.5}, {24, 4}},      // a room vertex
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NearestCorner(building, c.click), c.corner) << c.click.x << "," << c.click.y;
    }
}

TEST(Snapping, CornerTiesGoToTheCandidateFoundFirst) {
    CBuilding building;
    building.walls = {Wall({{0, 20, 0}, {6, 20, 0}})};
    building.rooms = {Room({{2, 20, 0}, {2, 30, 0}, {9, 30, 0}})};
    // (1, 20) is 1 m from the wall's first vertex and from the room's: the wall is searched first.
    EXPECT_EQ(NearestCorner(building, {1, 20}), (CVertex2D{0, 20}));
    // (4, 20) is 2 m from the wall's (6, 20) and from the room's (2, 20).
    EXPECT_EQ(NearestCorner(building, {4, 20}), (CVertex2D{6, 20}));
    EXPECT_EQ(NearestCorner(CBuilding{}, {0, 0}), std::nullopt);
}

TEST(Snapping, WithoutRoofsWallsAndRoomsStillOfferTheirVertices) {
    CBuilding building;
    building.rooms = {Room({{5, 5, 0}, {8, 5, 0}})};
    EXPECT_EQ(NearestCorner(building, {0, 0}), (CVertex2D{5, 5}));
    building.roofs = {CRoof{}};  // one degenerate roof: its corner at the origin
    EXPECT_EQ(NearestCorner(building, {1, 1}), (CVertex2D{0, 0}));
    building.roofs.push_back(CRoof{});  // two degenerate roofs: no crossings, no failure
    EXPECT_EQ(NearestCorner(building, {6, 5}), (CVertex2D{5, 5}));
}

TEST(Snapping, EdgeSnapSearchesRoofSidesAToCButNotSideD) {
    CBuilding building;
    building.roofs = {Roof(0, 0, 10, 10)};  // corners (0, 0), (10, 0), (10, 10), (0, 10)
    // Next to side D (x = 0): sides A and C are 5 m away, B 9.5 m; the earlier segment wins.
    EXPECT_EQ(NearestEdgePoint(building, {0.5, 5}), (EdgeSnap{{0.5, 0}, {0, 0}, {10, 0}}));
    // On side B, nearer to corner 3: the near end is corner 3.
    EXPECT_EQ(NearestEdgePoint(building, {11, 7}), (EdgeSnap{{10, 7}, {10, 10}, {10, 0}}));
    // Half way: the segment's start is the near end.
    EXPECT_EQ(NearestEdgePoint(building, {11, 5}), (EdgeSnap{{10, 5}, {10, 0}, {10, 10}}));
}

TEST(Snapping, EdgeTiesGoToTheLineFoundLast) {
    CBuilding building;
    building.roofs = {Roof(0, 0, 10, 10)};
    building.walls = {Wall({{0, 2, 0}, {10, 2, 0}, {10, 8, 0}, {0, 8, 0}}, 1)};  // closing side not searched
    EXPECT_EQ(NearestEdgePoint(building, {3, 1})->point, (CVertex2D{3, 2}));  // 1 m from side A and the wall
    // Roof side D and the wall's closing side (both 1 m off) are no candidates: the wall's first side and
    // its third are 3 m off, and the earlier of the two wins inside one line.
    EXPECT_EQ(NearestEdgePoint(building, {1, 5})->point, (CVertex2D{1, 2}));
    building.walls[0].polyline.vertices.resize(1);  // a one-vertex line is no candidate
    EXPECT_EQ(NearestEdgePoint(building, {3, 1})->point, (CVertex2D{3, 0}));
    EXPECT_EQ(NearestEdgePoint(CBuilding{}, {0, 0}), std::nullopt);
}

TEST(Snapping, OffsetsAlongTheSnappedEdgeRunFromItsNearEnd) {
    const EdgeSnap snap{{3, 0}, {0, 0}, {10, 0}};
    struct Case {
        double distance;
        CVertex2D point;
    };
    const Case cases[] = {
        {2.5, {2.5, 0}}, {0, {0, 0}}, {10, {10, 0}}, {15, {15, 0}}};  // not held to the segment
    for (const Case& c : cases)
        EXPECT_EQ(PointAlongEdge(snap, c.distance), c.point) << c.distance;
    // Toward the far end whatever the direction: from (4, 8) toward (4, 0), 2 m.
    EXPECT_EQ(PointAlongEdge({{4, 7}, {4, 8}, {4, 0}}, 2.0), (CVertex2D{4, 6}));
    // A segment without plan length keeps its near end instead of dividing by zero.
    EXPECT_EQ(PointAlongEdge({{1, 1}, {1, 1}, {1, 1}}, 3.0), (CVertex2D{1, 1}));
}

TEST(Snapping, ReachIsTenPixelsFromTheClick) {
    const CKelmoraViewData v = BlankWindow();  // (10, 0) m on client (50, 300)
    EXPECT_TRUE(WithinSnapRadius(v, {10, 0}, {50, 290}));
    EXPECT_TRUE(WithinSnapRadius(v, {10, 0}, {56, 308}));  // 6, 8: 10 px
    EXPECT_FALSE(WithinSnapRadius(v, {10, 0}, {50, 289}));
    EXPECT_FALSE(WithinSnapRadius(v, {10, 0}, {61, 300}));
}

}  // namespace
}  // namespace kelmora
