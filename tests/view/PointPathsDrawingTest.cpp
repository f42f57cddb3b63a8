// The paths of a point over the plan and the section sketch of one path. A blank window shows model
// (x, y) at client (5x, 300 − 5y).
#include "view/PointPathsDrawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "PlanTestModel.h"
#include "view/PathSectionSketch.h"
#include "view/PlanScene.h"

namespace kelmora {
namespace {

using plantest::BlankWindow;

PointPath MakePath(PathKind kind, std::vector<PathNodePlace> nodes, double share) {
    PointPath p;
    p.kind = kind;
    p.nodes = std::move(nodes);
    p.share = share;
    return p;
}

// Source (0, 0), point (20, 0): a direct path, one reflected at (10, 10), one diffracted beside an edge
// at (10, −3) it passes without turning, and a weak one through an opening.
PointPaths FourPaths() {
    PointPaths paths;
    paths.position = {20, 0, 1.5};
    paths.paths = {
        MakePath(PathKind::Direct,
                 {{PathNodeRole::Source, {0, 0, 1}}, {PathNodeRole::Receiver, {20, 0, 1.5}}}, 0.6),
        MakePath(PathKind::Reflected,
                 {{PathNodeRole::Source, {0, 0, 1}},
                  {PathNodeRole::Reflection, {10, 10, 1}},
                  {PathNodeRole::Receiver, {20, 0, 1.5}}},
                 0.3),
        MakePath(PathKind::Diffracted,
                 {{PathNodeRole::Source, {0, 0, 1}},
                  {PathNodeRole::Diffraction, {10, -3, 2}, false},
                  {PathNodeRole::Receiver, {20, 0, 1.5}}},
                 0.095),
        MakePath(PathKind::ThroughOpening,
                 {{PathNodeRole::RoomSource, {0, 4, 1}},
                  {PathNodeRole::Source, {0, 2, 1}},
                  {PathNodeRole::Receiver, {20, 0, 1.5}}},
                 0.005),
    };
    return paths;
}

const PathPrimitive& AsPath(const Primitive& p) {
    return std::get<PathPrimitive>(p);
}

std::vector<CVertex2D> Line(std::initializer_list<CVertex2D> points) {
    return points;
}

TEST(PathLineWidth, GrowsWithTheRootOfTheShare) {
    const struct {
        double share;
        int width;
    } cases[] = {{0.0, 1}, {0.01, 2}, {0.1, 3}, {0.5, 6}, {1.0, 8}, {2.0, 8}, {-1.0, 1}, {NAN, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(PathLineWidth(c.share), c.width) << c.share;
}

TEST(DrawPointPaths, WeakestFirstEachOnAWhiteEdgeAndTheRingLast) {
    const PointPaths paths = FourPaths();
    DisplayLayer layer;
    DrawPointPaths(layer, BlankWindow(), paths.paths, std::nullopt, paths.position);
    // Pale opening path (1 primitive), then diffracted, reflected, direct (edge and line each), the ring.
    ASSERT_EQ(layer.size(), 1u + 3u * 2u + 1u);

    const PathPrimitive& pale = AsPath(layer[0]);
    EXPECT_EQ(pale.parts[0], Line({{0, 280}, {0, 290}, {100, 300}}));
    EXPECT_EQ(pale.pen.width, 1);
    EXPECT_EQ(pale.pen.color, PathColour(PathKind::ThroughOpening, 0.005));
    EXPECT_EQ(pale.pen.color, (Rgb{235, 201, 220}));  // 60 % of the way to white

    // The diffraction point it passes beside is no corner of its line.
    const PathPrimitive& diffractedEdge = AsPath(layer[1]);
    const PathPrimitive& diffracted = AsPath(layer[2]);
    EXPECT_EQ(diffracted.parts[0], Line({{0, 300}, {100, 300}}));
    EXPECT_EQ(diffracted.pen, (Pen{PathKindColour(PathKind::Diffracted), 3, PenStyle::Solid}));
    EXPECT_EQ(diffractedEdge.pen, (Pen{{255, 255, 255}, 5, PenStyle::Solid}));

    EXPECT_EQ(AsPath(layer[4]).parts[0], Line({{0, 300}, {50, 250}, {100, 300}}));
    EXPECT_EQ(AsPath(layer[4]).pen.width, PathLineWidth(0.3));
    EXPECT_EQ(AsPath(layer[6]).pen,
              (Pen{PathKindColour(PathKind::Direct), PathLineWidth(0.6), PenStyle::Solid}));

    const auto& ring = std::get<EllipsePrimitive>(layer.back());
    EXPECT_EQ((std::array{ring.left, ring.top, ring.right, ring.bottom}), (std::array{91, 291, 109, 309}));
}

TEST(DrawPointPaths, TheSelectedPathLiesOnTopOutlinedWithItsNodesMarked) {
    const PointPaths paths = FourPaths();
    DisplayLayer layer;
    DrawPointPaths(layer, BlankWindow(), paths.paths, std::size_t{2}, paths.position);
    // The others (pale 1, reflected 2, direct 2), then the selection: outline, line, its source and its
    // diffraction point; then the ring.
    ASSERT_EQ(layer.size(), 1u + 2u + 2u + 2u + 2u + 1u);
    const PathPrimitive& outline = AsPath(layer[5]);
    const PathPrimitive& line = AsPath(layer[6]);
    EXPECT_EQ(outline.pen.color, (Rgb{0, 0, 0}));
    EXPECT_EQ(outline.pen.width, line.pen.width + 4);
    EXPECT_EQ(line.pen.width, 3);  // never thinner than 3 px while selected
    EXPECT_EQ(line.parts[0], Line({{0, 300}, {100, 300}}));
    // The edge passed beside is marked hollow where it is.
    const auto& beside = std::get<EllipsePrimitive>(layer[8]);
    EXPECT_EQ((std::array{beside.left, beside.top}), (std::array{46, 311}));
    EXPECT_EQ(beside.brush.kind, Brush::Kind::None);
}

TEST(DrawPointPaths, TheOverlayShowsThemInEveryEditMode) {
    const PointPaths paths = FourPaths();
    const CNoise model;
    const CKelmoraViewData view = BlankWindow();
    for (const int mode : {0, 3}) {
        EditState edit;
        edit.editMode = mode;
        PlanSceneInputs in{model, model, edit, view, false};
        EXPECT_TRUE(DrawOverlay(in).empty());
        in.pointPaths = &paths;
        EXPECT_EQ(DrawOverlay(in).size(), 8u) << mode;
    }
}

TEST(PredictionPointAt, PicksTheNearestPointWithinTheRadius) {
    CCalcInfo calc;
    calc.mode = kPointListMode;
    calc.pointList.resize(3);
    calc.pointList[0].position = {10, 10, 1.2};  // client (50, 250)
    calc.pointList[1].position = {12, 10, 1.2};  // client (60, 250)
    calc.pointList[2].position = {12, 10, 5.0};  // the same place, higher
    const CKelmoraViewData v = BlankWindow();
    EXPECT_EQ(PredictionPointAt(calc, v, {52, 251}, 6.0), std::optional<std::size_t>(0));
    EXPECT_EQ(PredictionPointAt(calc, v, {57, 250}, 6.0), std::optional<std::size_t>(1));
    EXPECT_EQ(PredictionPointAt(calc, v, {80, 250}, 6.0), std::nullopt);
    calc.mode = kSinglePointMode;
    calc.singlePoint.position = {0, 0, 1};
    EXPECT_EQ(PredictionPointAt(calc, v, {1, 299}, 6.0), std::optional<std::size_t>(0));
}

// A path over a 10 m wide embankment: ground lines at heights 0, 2 and 0 across the path at x = 10, 15
// and 20 (the ground between them interpolated), a diffraction point on a barrier at x = 15.
TEST(ProfileOfPath, UnfoldsThePathAlongItsPlanLengthOverTheGround) {
    std::vector<CGroundLine> terrain(3);
    const double xs[] = {10, 15, 20};
    const double zs[] = {0, 2, 0};
    for (int i = 0; i < 3; ++i)
        terrain[i].polyline.vertices = {{xs[i], -50, zs[i]}, {xs[i], 50, zs[i]}};
    const PointPath path = MakePath(PathKind::Diffracted,
                                    {{PathNodeRole::Source, {0, 0, 1}},
                                     {PathNodeRole::Diffraction, {15, 0, 5}},
                                     {PathNodeRole::Diffraction, {15, 1, 9}, false},
                                     {PathNodeRole::Receiver, {30, 0, 1.2}}},
                                    1.0);
    const PathProfile profile = ProfileOfPath(terrain, path);
    ASSERT_EQ(profile.nodes.size(), 3u);  // the point passed beside is no node of the section
    EXPECT_DOUBLE_EQ(profile.length, 30.0);
    EXPECT_DOUBLE_EQ(profile.nodes[1].along, 15.0);
    EXPECT_DOUBLE_EQ(profile.nodes[1].ground, 2.0);
    EXPECT_DOUBLE_EQ(profile.nodes[2].along, 30.0);
    EXPECT_EQ(ProfileNodeLabel(profile.nodes[1], false), "回折点 地上3.0m");
    EXPECT_EQ(ProfileNodeLabel(profile.nodes[2], false), "予測点 地上1.2m");
    // Samples at most 0.5 m apart, the ground half way up the embankment at x = 12.5.
    ASSERT_EQ(profile.ground.size(), 61u);
    EXPECT_NEAR(profile.ground[25].x, 12.5, 1e-12);
    EXPECT_NEAR(profile.ground[25].y, 1.0, 1e-9);

    // The sketch names every node.
    const DisplayLayer sketch = DrawPathSection(profile, path.kind, 600, 300);
    int labels = 0;
    for (const Primitive& p : sketch) {
        if (const auto* t = std::get_if<TextPrimitive>(&p);
            t != nullptr && t->text.find("地上") != std::string::npos)
            ++labels;
    }
    EXPECT_EQ(labels, 3);
}

TEST(ProfileOfPath, AnOpeningPathStartsAtItsRoomSource) {
    const PointPath path = MakePath(PathKind::ThroughOpening,
                                    {{PathNodeRole::RoomSource, {-2, 0, 1.5}},
                                     {PathNodeRole::Source, {0.2, 0, 1.5}},
                                     {PathNodeRole::Receiver, {40.2, 0, 1.5}}},
                                    1.0);
    const PathProfile profile = ProfileOfPath({}, path);
    EXPECT_DOUBLE_EQ(profile.nodes[1].along, 2.2);
    EXPECT_EQ(ProfileNodeLabel(profile.nodes[0], true), "室内音源 地上1.5m");
    EXPECT_EQ(ProfileNodeLabel(profile.nodes[1], true), "開口部 地上1.5m");
}

}  // namespace
}  // namespace kelmora
