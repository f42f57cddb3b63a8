#include <gtest/gtest.h>

#include <algorithm>

#include "view/PlanObjects.h"
#include "view/PlanScene.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using namespace plantest;
using Texts = std::vector<std::string>;
using Points = std::vector<ClientPoint>;

Texts Join(std::initializer_list<Texts> parts) {
    Texts out;
    for (const Texts& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A 3 px arrow along an axis-parallel segment: the bar, then the two head strokes.
Texts Arrow(const std::string& colour) {
    return {"rect " + colour, "polygon " + colour, "polygon " + colour};
}

const Texts kPlusMark{"polyline red w1", "polyline red w1"};
const Texts kBoldPlusMark{"polyline red w3", "polyline red w3"};
const Texts kCornerLabels{"text a6 (0m, 0m)", "text a0 (0m, 60m)", "text a2 (100m, 60m)",
                          "text a8 (100m, 0m)"};
const Texts kGroundLine0{"polyline brown w1", "polyline blue w1", "polygon tan hatch"};
const Texts kGroundLine1{"polyline brown w1"};
const Texts kRoofNormal{"polygon green hatch", "polyline green w1"};
const Texts kOpeningsNormal{"polyline red w1", "polyline black w1", "polyline olive w1"};
const Texts kBuilding0Normal =
    Join({kRoofNormal, {"polyline blue w1", "polygon orange hatch"}, kOpeningsNormal, {"ellipse red r5"}});

struct Scene {
    CNoise model = SmallSite();
    CNoise workingCopy = SmallSite();
    EditState edit;
    CKelmoraViewData view = BlankWindow();
    bool picture = false;

    PlanSceneInputs Inputs() const { return {model, workingCopy, edit, view, picture}; }
    DisplayLayer Base() const { return DrawBase(Inputs()); }
    DisplayLayer Overlay() const { return DrawOverlay(Inputs()); }
};

TEST(PlanScene, IdleBaseDrawsEveryObjectInListOrderAndNoOverlay) {
    Scene s;
    const DisplayLayer base = s.Base();
    EXPECT_EQ(Summaries(base), Join({{"fill sky"},
                                     kGroundLine0,
                                     kGroundLine1,
                                     kBuilding0Normal,
                                     kRoofNormal,
                                     {"ellipse red r5"},
                                     kPlusMark,
                                     kPlusMark,
                                     kCornerLabels}));
    EXPECT_TRUE(s.Overlay().empty());

    // Model (x, y) on client (5x, 300 − 5y).
    EXPECT_EQ(PointsOf(base[1]), (Points{{0, 300}, {100, 300}, {100, 200}}));  // ground line 0
    EXPECT_EQ(PointsOf(base[2]), (Points{{0, 300}, {50, 300}}));               // barrier over 0..10 m
    // The slope band: shoulder along the line, foot 3 m (15 px) to its left, back to the start.
    EXPECT_EQ(PointsOf(base[3]), (Points{{0, 300}, {100, 300}, {100, 285}, {0, 285}}));
    EXPECT_EQ(PointsOf(base[5]), (Points{{150, 250}, {250, 250}, {250, 150}, {150, 150}}));  // roof
    EXPECT_EQ(PointsOf(base[7]), (Points{{150, 250}, {250, 250}, {250, 150}, {150, 150}, {150, 250}}));
    // The prediction point (70, 10) as a plus of half-size 5 at (350, 250).
    EXPECT_EQ(PointsOf(base[16]), (Points{{350, 245}, {350, 255}}));
    EXPECT_EQ(PointsOf(base[17]), (Points{{345, 250}, {355, 250}}));
}

TEST(PlanScene, SlopeFallingToTheRightHasItsFootOnTheRight) {
    CGroundLine line;
    line.polyline.vertices = {{0, 0, 0}, {20, 0, 0}};
    CWall slope;
    slope.type = kSlopeShoulder;
    slope.rangeStart = 2;
    slope.rangeEnd = 12;
    slope.offsetHorizontal = 1;
    slope.slopeSide = kSlopeRight;
    slope.slopeHorizontal = 4;
    const CPolyline band = SlopeBand(line, slope);
    ASSERT_EQ(band.vertices.size(), 4u);
    // Shoulder 1 m left of the line from 2 to 12 m, foot 4 m to the right of the shoulder.
    EXPECT_EQ(Plan(band.vertices[0]), (CVertex2D{2, 1}));
    EXPECT_EQ(Plan(band.vertices[1]), (CVertex2D{12, 1}));
    EXPECT_EQ(Plan(band.vertices[2]), (CVertex2D{12, -3}));
    EXPECT_EQ(Plan(band.vertices[3]), (CVertex2D{2, -3}));
}

TEST(PlanScene, NewProjectShowsTheBlankAreaWithItsCornerLabels) {
    Scene s;
    s.model = CNoise{};
    s.model.calcInfo.singlePoint.position = {-50, -50, 0};  // the default single point, far off the picture
    const DisplayLayer base = s.Base();
    EXPECT_EQ(Summaries(base), Join({{"fill sky"}, kPlusMark, kCornerLabels}));
    const Points at{{0, 300}, {0, 0}, {500, 0}, {500, 300}};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(std::get<TextPrimitive>(base[3 + i]).at, at[i]);
    EXPECT_EQ(std::get<TextPrimitive>(base[3]).textColor, (Rgb{0, 0, 255}));
    EXPECT_TRUE(std::get<TextPrimitive>(base[3]).opaque);
}

TEST(PlanScene, PictureFollowsTheZoomAndIsLeftOutWhileACalculationRuns) {
    Scene s;
    s.picture = true;
    s.view.zoom.origin = {10, 20};
    s.view.zoom.magnification = 2.0;
    DisplayLayer base = s.Base();
    EXPECT_EQ(std::get<PicturePrimitive>(base[1]), (PicturePrimitive{10, 20, 1000, 600}));

    s.edit.editMode = kCalculationMode;
    base = s.Base();
    EXPECT_EQ(Summary(base.front()), "polyline brown w1");  // the old pixels stay under the model
    EXPECT_EQ(Summaries(base).size(), 23u);
}

TEST(PlanScene, ListsAndEditorsDrawTheWorkingCopy) {
    Scene s;
    s.workingCopy.outdoorSources.clear();
    for (int mode : {kIdleMode, kCalculationMode, kSizeChangeMode}) {
        s.edit.editMode = mode;
        EXPECT_EQ(std::ranges::count(Summaries(s.Base()), "ellipse red r5"), 2) << mode;
    }
    for (int mode : {kGroundLineListMode, kOutdoorSourceListMode, kPredictionMode}) {
        s.edit.editMode = mode;
        EXPECT_EQ(std::ranges::count(Summaries(s.Base()), "ellipse red r5"), 1) << mode;
    }
}

TEST(PlanScene, GroundLineUnderItsEditorIsDrawnOnceHighlightedWithArrows) {
    Scene s;
    s.edit.editMode = kGroundLineAddMode;
    s.edit.currentGroundLine = 0;
    EXPECT_EQ(Summaries(s.Base()), Join({{"fill sky"},
                                         kGroundLine1,
                                         kBuilding0Normal,
                                         kRoofNormal,
                                         {"ellipse red r5"},
                                         kPlusMark,
                                         kPlusMark,
                                         kCornerLabels}));
    const DisplayLayer overlay = s.Overlay();
    EXPECT_EQ(Summaries(overlay), Join({{"polyline brown w3"},
                                        Arrow("brown"),
                                        Arrow("brown"),
                                        {"polyline blue w1", "polygon tan hatch"}}));
    // The arrow heads point along the line: 10 px strokes at ±45° back from each segment's end.
    EXPECT_EQ(PointsOf(overlay[2]), (Points{{94, 292}, {92, 294}, {99, 301}, {101, 299}}));
    EXPECT_EQ(std::get<RectanglePrimitive>(overlay[4]).corner1, (ClientPoint{99, 300}));

    // The list of ground lines highlights the chosen line over the base, which still holds it.
    s.edit.editMode = kGroundLineListMode;
    EXPECT_EQ(Summaries(s.Base())[1], "polyline brown w1");
    EXPECT_EQ(Summaries(s.Overlay()).front(), "polyline brown w3");
}

TEST(PlanScene, WallUnderEditIsHighlightedOverItsLine) {
    Scene s;
    s.edit.editMode = kWallChangeMode;
    s.edit.currentGroundLine = 0;
    s.edit.currentWall = 1;
    EXPECT_EQ(Summaries(s.Base()).size(), 24u);
    const DisplayLayer overlay = s.Overlay();
    EXPECT_EQ(Summaries(overlay), Join({{"polyline brown w3"},
                                        Arrow("brown"),
                                        Arrow("brown"),
                                        {"polyline blue w1", "polygon tan hatch"},
                                        {"polygon tan hatch", "polyline tan w3"}}));
    EXPECT_EQ(PointsOf(overlay.back()), (Points{{0, 300}, {100, 300}, {100, 285}, {0, 285}, {0, 300}}));

    s.edit.currentWall = 0;  // a barrier: only wider
    EXPECT_EQ(Summary(s.Overlay().back()), "polyline blue w3");
}

TEST(PlanScene, RoofUnderEditLeavesTheBaseAndIsHighlightedOverItsBuilding) {
    Scene s;
    s.edit.editMode = kRoofChangeMode;
    s.edit.currentBuilding = 0;
    s.edit.currentRoof = 0;
    // Only building 0's roof 0 is left out, not roof 0 of every building.
    EXPECT_EQ(Summaries(s.Base()), Join({{"fill sky"},
                                         kGroundLine0,
                                         kGroundLine1,
                                         {"polyline blue w1", "polygon orange hatch"},
                                         kOpeningsNormal,
                                         {"ellipse red r5"},
                                         kRoofNormal,
                                         {"ellipse red r5"},
                                         kPlusMark,
                                         kPlusMark,
                                         kCornerLabels}));
    const DisplayLayer overlay = s.Overlay();
    EXPECT_EQ(Summaries(overlay),
              Join({kBuilding0Normal, {"polygon green hatch", "polyline green w3"}, Arrow("green")}));
    // The closed outline, and the arrow along side A (corner 1 → corner 2).
    EXPECT_EQ(PointsOf(overlay[9]), (Points{{150, 250}, {250, 250}, {250, 150}, {150, 150}, {150, 250}}));
    EXPECT_EQ(std::get<RectanglePrimitive>(overlay[10]).corner1, (ClientPoint{150, 249}));
    EXPECT_EQ(std::get<RectanglePrimitive>(overlay[10]).corner2, (ClientPoint{250, 251}));
}

TEST(PlanScene, BuildingUnderItsEditorIsHighlightedWholeWithFilledSources) {
    Scene s;
    s.edit.editMode = kBuildingChangeMode;
    s.edit.currentBuilding = 0;
    EXPECT_EQ(Summaries(s.Base()), Join({{"fill sky"},
                                         kGroundLine0,
                                         kGroundLine1,
                                         kRoofNormal,
                                         {"ellipse red r5"},
                                         kPlusMark,
                                         kPlusMark,
                                         kCornerLabels}));
    EXPECT_EQ(Summaries(s.Overlay()), Join({{"polygon green hatch", "polyline green w3"},
                                            Arrow("green"),
                                            {"polyline blue w3"},
                                            Arrow("blue"),
                                            Arrow("blue"),
                                            Arrow("blue"),  // not the closing side
                                            {"polyline orange w3"},
                                            Arrow("orange"),
                                            Arrow("orange"),
                                            Arrow("orange"),
                                            {"polyline red w3", "polyline black w3", "polyline olive w3"},
                                            {"ellipse red solid r6"}}));
}

TEST(PlanScene, NestedOpeningEditorsHighlightEachLevelWithItsDepthColour) {
    Scene s;
    s.edit.editMode = kOpeningChangeMode;
    s.edit.currentBuilding = 0;
    s.edit.currentRoom = 0;
    s.edit.openingLevels = {0, 0};  // editing the opening inside the room's first opening
    // The edited opening and what it holds leave the base; its container stays.
    EXPECT_EQ(Summaries(s.Base()),
              Join({{"fill sky"},
                    kGroundLine0,
                    kGroundLine1,
                    kRoofNormal,
                    {"polyline blue w1", "polygon orange hatch", "polyline red w1", "ellipse red r5"},
                    kRoofNormal,
                    {"ellipse red r5"},
                    kPlusMark,
                    kPlusMark,
                    kCornerLabels}));
    EXPECT_EQ(Summaries(s.Overlay()),
              Join({kBuilding0Normal,
                    {"polyline orange w3"},
                    Arrow("orange"),
                    Arrow("orange"),
                    Arrow("orange"),
                    kOpeningsNormal,
                    {"ellipse red r5"},
                    // level 1 (outdoor, depth 1) and level 2 (closed, depth 2), then level 2's own contents
                    {"polyline red w3", "polyline black w3", "polyline olive w1"}}));

    // Under the list of the inner opening's contents nothing is skipped and nothing is edited below level 1.
    s.edit.editMode = kOpeningListMode;
    s.edit.openingLevels = {0, -1};
    EXPECT_EQ(std::ranges::count(Summaries(s.Base()), "polyline olive w1"), 1);
    const Texts overlay = Summaries(s.Overlay());
    EXPECT_EQ(Texts(overlay.end() - 4, overlay.end()),
              (Texts{"ellipse red r5", "polyline red w3", "polyline black w1", "polyline olive w1"}));
}

TEST(PlanScene, SourcesUnderTheirEditorsAreFilledAndLeaveTheBase) {
    Scene s;
    s.edit.editMode = kOutdoorSourceChangeMode;
    s.edit.currentOutdoorSource = 0;
    EXPECT_EQ(std::ranges::count(Summaries(s.Base()), "ellipse red r5"), 1);
    EXPECT_EQ(Summaries(s.Overlay()), (Texts{"ellipse red solid r6"}));
    EXPECT_EQ(std::get<EllipsePrimitive>(s.Overlay()[0]).left, 294);  // (60, 20) → (300, 200), radius 6

    s.edit = {};
    s.edit.editMode = kRoomSourceAddMode;
    s.edit.currentBuilding = 0;
    s.edit.currentRoom = 0;
    s.edit.currentRoomSource = 0;
    EXPECT_EQ(std::ranges::count(Summaries(s.Base()), "ellipse red r5"), 1);
    EXPECT_EQ(Summaries(s.Overlay()).back(), "ellipse red solid r6");
}

TEST(PlanScene, PredictionDialogShowsItsOwnPointsWithTheSelectedRowHighlighted) {
    Scene s;
    s.edit.editMode = kPredictionMode;
    s.edit.selectedPointIndex = 1;
    const Texts base = Summaries(s.Base());
    EXPECT_EQ(base.size(), 20u);  // the idle base less the model's two plus marks
    EXPECT_EQ(std::ranges::count(base, "polyline red w1"), 1);  // only the opening
    EXPECT_EQ(Summaries(s.Overlay()), Join({kPlusMark, kBoldPlusMark}));
    EXPECT_EQ(PointsOf(s.Overlay()[2]), (Points{{350, 193}, {350, 207}}));  // (70, 20), half-size 7

    s.workingCopy.calcInfo.mode = kHorizontalGridMode;
    s.workingCopy.calcInfo.gridPoints = {CPredictivePoint({1, 1, 0})};
    EXPECT_EQ(Summaries(s.Overlay()), kBoldPlusMark);
    s.workingCopy.calcInfo.mode = kSinglePointMode;
    EXPECT_EQ(Summaries(s.Overlay()), kBoldPlusMark);
}

// A computed horizontal grid of n × n points `spacing` metres apart from the origin.
CCalcInfo GridOf(int n, double spacing) {
    CCalcInfo calc;
    calc.mode = kHorizontalGridMode;
    calc.columnDivisions = n - 1;
    calc.rowDivisions = n - 1;
    for (int c = 0; c < n; ++c)
        for (int r = 0; r < n; ++r)
            calc.gridPoints.push_back(CPredictivePoint({spacing * c, spacing * r, 1.2}));
    return calc;
}

TEST(PlanScene, GridCrossesAreThinnedWhereDenseAndLeftOutOverAMap) {
    Scene s;
    const auto crosses = [&s] { return std::ranges::count(Summaries(s.Base()), "polyline red w1") - 1; };
    s.model.calcInfo = GridOf(11, 3.0);  // 15 px apart: every point
    EXPECT_EQ(crosses(), 2 * 121);
    // 101 × 101 points 0.5 m (2.5 px) apart would paint the plan red: every fifth is drawn, 12.5 px apart.
    s.model.calcInfo = GridOf(101, 0.5);
    EXPECT_EQ(crosses(), 2 * 21 * 21);
    const DisplayLayer base = s.Base();
    std::vector<ClientPoint> centres;
    for (const Primitive& p : base)
        if (const auto* line = std::get_if<PolylinePrimitive>(&p);
            line != nullptr && line->pen.color == kPredictionPointColour &&
            line->points[0].y == line->points[1].y)
            centres.push_back({(line->points[0].x + line->points[1].x) / 2, line->points[0].y});
    ASSERT_GE(centres.size(), 2u);
    EXPECT_GE(std::abs(centres[1].y - centres[0].y), 12);
    // Over a shown map they are left out; a point list is always drawn.
    PlanSceneInputs in = s.Inputs();
    in.gridCrosses = false;
    EXPECT_EQ(std::ranges::count(Summaries(DrawBase(in)), "polyline red w1"), 1);
    s.model.calcInfo.mode = kPointListMode;
    s.model.calcInfo.pointList = SmallSite().calcInfo.pointList;
    PlanSceneInputs list = s.Inputs();
    list.gridCrosses = false;
    EXPECT_EQ(std::ranges::count(Summaries(DrawBase(list)), "polyline red w1"), 1 + 2 * 2);
}

TEST(PlanObjects, RoomsWithoutAreaAreOpenLinesAndHighlightsSkipTheClosingArrow) {
    const CKelmoraViewData v = BlankWindow();
    CRoom room;
    room.outline.vertices = {{0, 0, 0}, {10, 0, 0}};
    DisplayLayer layer;
    DrawRoomOutline(layer, v, room, DrawStyle::Normal);
    EXPECT_EQ(Summaries(layer), (Texts{"polyline orange w1"}));
    layer.clear();
    DrawRoomOutline(layer, v, room, DrawStyle::Highlight);
    EXPECT_EQ(Summaries(layer), Join({{"polyline orange w3"}, Arrow("orange")}));

    CBuildingWall wall;
    wall.polyline.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}};
    wall.closed = 1;
    layer.clear();
    DrawExteriorWall(layer, v, wall, DrawStyle::Highlight);
    EXPECT_EQ(Summaries(layer), Join({{"polyline blue w3"}, Arrow("blue"), Arrow("blue")}));
    EXPECT_EQ(PointsOf(layer[0]).size(), 4u);  // three segments
}

TEST(PlanObjects, OpeningColoursByDepthAndRadiation) {
    struct Case {
        int depth;
        bool outdoor;
        Rgb colour;
    };
    const Case cases[] = {
        {1, false, {79, 79, 79}},  {1, true, {255, 0, 0}},   {2, false, {0, 0, 0}}, {2, true, {255, 255, 0}},
        {3, false, {128, 128, 0}}, {3, true, {255, 0, 255}}, {4, false, {0, 0, 0}}, {5, true, {255, 0, 255}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OpeningColour(c.depth, c.outdoor), c.colour) << c.depth;
}

TEST(PlanObjects, ContainersAreDrawnUnderTheirContentsLaterSiblingsFirst) {
    const CKelmoraViewData v = BlankWindow();
    // Top opening T holds A and B; B holds B1. Each is told apart by its start x (5 px per metre).
    CWindow t = Opening(0, 1, 0, 5, 0);
    CWindow a = Opening(10, 11, 0, 5, 0);
    CWindow b = Opening(20, 21, 0, 5, 0);
    b.containedOpenings = {Opening(30, 31, 0, 5, 0)};
    t.containedOpenings = {a, b};
    CWindow u = Opening(40, 41, 0, 5, 0);
    auto order = [&](const std::vector<int>* skip) {
        DisplayLayer layer;
        DrawOpeningTrees(layer, v, {t, u}, 1, DrawStyle::Normal, skip);
        std::vector<int> xs;
        for (const Primitive& p : layer)
            xs.push_back(PointsOf(p).front().x / 5);
        return xs;
    };
    EXPECT_EQ(order(nullptr), (std::vector<int>{0, 20, 30, 10, 40}));
    const std::vector<int> skipB{0, 1};
    EXPECT_EQ(order(&skipB), (std::vector<int>{0, 10, 40}));
    const std::vector<int> skipU{1};
    EXPECT_EQ(order(&skipU), (std::vector<int>{0, 20, 30, 10}));
}

TEST(PlanScene, HintsRedrawTheLayersTheyName) {
    struct Case {
        int hint;
        bool base, overlay, repaint;
    };
    const Case cases[] = {
        {0, false, false, true}, {1, true, false, false},  {2, true, false, false},
        {3, false, false, true}, {4, false, true, true},   {5, true, true, true},
        {6, true, true, true},   {7, false, false, false}, {-1, false, false, false},
    };
    Scene s;
    s.edit.editMode = kOutdoorSourceChangeMode;
    s.edit.currentOutdoorSource = 0;
    const DisplayLayer stale{FillPrimitive{{1, 2, 3}}};
    for (const Case& c : cases) {
        PlanDisplayList layers{stale, stale};
        const HintEffect effect = UpdateLayers(layers, c.hint, s.Inputs());
        EXPECT_EQ(layers.base != stale, c.base) << c.hint;
        EXPECT_EQ(layers.overlay != stale, c.overlay) << c.hint;
        EXPECT_EQ(effect.repaint, c.repaint) << c.hint;
        EXPECT_EQ(effect.rebuildLayers, c.hint == 6) << c.hint;
    }
    EXPECT_EQ(EffectOfHint(3).compose, ComposeStep::CopyPictureArea);
}

}  // namespace
}  // namespace kelmora
