#include <gtest/gtest.h>

#include <set>

#include "view/ClickActions.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using Log = std::vector<std::string>;

// The open dialog and the window in one log, so that the order of marks, fields and presses shows.
class FakeDialogAndWindow : public EditorPort, public PlanPickingHost {
public:
    Log log;
    std::set<int> disabledButtons;
    std::optional<double> offsetLength;
    std::optional<CVertex2D> offsetXY;

    void SetControlText(int id, const std::string& text) override {
        log.push_back(std::to_string(id) + "=" + text);
    }
    void PressButton(int id) override { log.push_back("press " + std::to_string(id)); }
    bool IsButtonEnabled(int id) const override { return !disabledButtons.contains(id); }

    void DrawOnScreen(const DisplayLayer& primitives) override {
        for (const Primitive& p : primitives) {
            if (const auto* e = std::get_if<EllipsePrimitive>(&p)) {
                EXPECT_EQ(e->op, RasterOp::Invert);
                log.push_back("mark " + std::to_string((e->left + e->right) / 2) + "," +
                              std::to_string((e->top + e->bottom) / 2) + " r" +
                              std::to_string((e->right - e->left) / 2));
            } else if (const auto* t = std::get_if<TextPrimitive>(&p)) {
                log.push_back("label " + std::to_string(t->at.x) + "," + std::to_string(t->at.y) + " " +
                              t->text);
            }
        }
    }
    void RepaintNow() override { log.push_back("repaint"); }
    void ShowMessage(const std::string& text) override { log.push_back("message " + text); }
    std::optional<double> AskOffsetLength() override {
        log.push_back("ask distance");
        return offsetLength;
    }
    std::optional<CVertex2D> AskOffsetXY() override {
        log.push_back("ask offset");
        return offsetXY;
    }
};

// The small site on the blank window: model (x, y) on client (5x, 300 − 5y); building 0's roof spans
// (30, 10)–(50, 30), i.e. client (150, 250)–(250, 150).
struct Bench {
    CNoise model = plantest::SmallSite();
    EditState edit;
    CKelmoraViewData view = plantest::BlankWindow();
    FakeDialogAndWindow fake;
    double groundHeight = 0.0;

    Log Click(int editMode, int dragMode, ClientPoint at) {
        return Release(editMode, dragMode, at, at, true);
    }
    Log Drag(int editMode, int dragMode, ClientPoint from, ClientPoint to) {
        return Release(editMode, dragMode, from, to, false);
    }
    Log Release(int editMode, int dragMode, ClientPoint from, ClientPoint to, bool isClick) {
        edit.editMode = editMode;
        fake.log.clear();
        const PlanEditContext ctx{model, edit, view,
                                  fake,  fake, [this](const CVector3D&) { return groundHeight; }};
        ActOnGestureEnd({dragMode, from, to, isClick}, ctx);
        return fake.log;
    }
};

TEST(ClickActions, EachDialogTakesItsGesturesIntoItsOwnFields) {
    using K = ClickKind;
    struct Case {
        int editMode, dragMode;
        ClickAction action;
    };
    const Case cases[] = {
        {4, 1, {K::Point, 1006, 1014, true}},
        {5, 2, {}},
        {7, 1, {K::LengthAlongGroundLine, 1010, 0}},
        {8, 9, {K::LengthAlongGroundLine, 1018, 0}},
        {7, 3, {}},
        {13, 1, {K::Point, 1016, 1044}},
        {14, 2, {K::EdgeSnap, 1016, 1044}},
        {22, 3, {K::CornerSnap, 1016, 1044}},
        {23, 4, {K::Point, 1058, 1028}},
        {13, 6, {K::EdgeSnap, 1058, 1028}},
        {14, 7, {K::CornerSnap, 1058, 1028}},
        {22, 9, {K::Point, 1056, 1024}},
        {23, 10, {K::EdgeSnap, 1056, 1024}},
        {13, 11, {K::CornerSnap, 1056, 1024}},
        {13, 5, {}},
        {13, 8, {}},
        {13, 12, {}},
        {16, 1, {K::Point, 1016, 1044, true}},
        {17, 2, {K::EdgeSnap, 1016, 1044, true}},
        {19, 3, {K::CornerSnap, 1016, 1044, true}},
        {20, 4, {}},
        {19, 9, {}},
        {25, 1, {K::Point, 1016, 1044}},
        {26, 3, {K::CornerSnap, 1016, 1044}},
        {28, 1, {K::Point, 1016, 1044}},
        {29, 2, {}},
        {30, 1, {K::PredictionPoint, 1006, 1014, true}},
        {30, 9, {}},
        {2, 9, {K::ClientPosition, 1001, 1003}},
        {2, 1, {}},
        {0, 1, {}},
        {3, 1, {}},
        {21, 1, {}},
        {1, 9, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClickActionFor(c.editMode, c.dragMode), c.action) << c.editMode << " / " << c.dragMode;

    EXPECT_EQ(DragActionFor(2, 1), DragKind::OnScreenLength);
    EXPECT_EQ(DragActionFor(30, 1), DragKind::VerticalGridLine);
    EXPECT_EQ(DragActionFor(30, 2), DragKind::None);
    EXPECT_EQ(DragActionFor(16, 1), DragKind::None);
}

TEST(ClickActions, PolylineEditorsAddTheClickedVertexAtOnceOthersOnlyFillTheFields) {
    Bench b;
    // Client (100, 200) is model (20, 20).
    EXPECT_EQ(b.Click(kExteriorWallAddMode, 1, {100, 200}),
              (Log{"mark 100,200 r3", "1016=20.000", "1044=20.000", "press 1004"}));
    EXPECT_EQ(b.Click(kGroundLineChangeMode, 1, {101, 198}),
              (Log{"mark 101,198 r3", "1006=20.200", "1014=20.400", "press 1004"}));
    EXPECT_EQ(b.Click(kRoofAddMode, 1, {100, 200}), (Log{"mark 100,200 r3", "1016=20.000", "1044=20.000"}));
    EXPECT_EQ(b.Click(kRoofAddMode, 9, {100, 200}), (Log{"mark 100,200 r3", "1056=20.000", "1024=20.000"}));
    EXPECT_EQ(b.Click(kOutdoorSourceAddMode, 1, {0, 300}),
              (Log{"mark 0,300 r3", "1016=0.000", "1044=0.000"}));
    EXPECT_EQ(b.Click(kRoomAddMode, 4, {100, 200}), Log{});      // Alt+click in the room editor
    EXPECT_EQ(b.Click(kRoofAddMode, 5, {100, 200}), Log{});      // Shift+Ctrl is the zoom's, not the editor's
    EXPECT_EQ(b.Click(kOpeningListMode, 1, {100, 200}), Log{});  // lists take no clicks
}

TEST(ClickActions, CornerSnapReachesTenPixelsAndTakesAnOffset) {
    Bench b;
    b.edit.currentBuilding = 0;
    // Roof corner (50, 30) m is client (250, 150): 10 px away snaps, 11 px does not.
    EXPECT_EQ(b.Click(kRoomAddMode, 3, {250, 160}),
              (Log{"mark 250,150 r3", "ask offset", "1016=50.000", "1044=30.000", "press 1004"}));
    EXPECT_EQ(b.Click(kRoomAddMode, 3, {261, 150}), (Log{"message 近接点がありません"}));

    b.fake.offsetXY = CVertex2D{1.5, -2};
    EXPECT_EQ(b.Click(kRoofChangeMode, 7, {248, 152}),
              (Log{"mark 250,150 r3", "ask offset", "mark 250,150 r3", "mark 257,160 r3", "1058=51.500",
                   "1028=28.000"}));

    b.edit.currentBuilding = -1;  // no building under edit: nothing to snap to
    EXPECT_EQ(b.Click(kRoofChangeMode, 3, {250, 150}), (Log{"message 近接点がありません"}));
}

TEST(ClickActions, EdgeSnapOffsetsRunFromTheNearEnd) {
    Bench b;
    b.edit.currentBuilding = 0;
    // Click (190, 253) is model (38, 9.4): nearest is roof side A (30, 10) → (50, 10) at (38, 10), 3 px
    // away; its near end is (30, 10).
    EXPECT_EQ(b.Click(kRoomSourceAddMode, 2, {190, 253}),
              (Log{"mark 190,250 r3", "ask distance", "1016=38.000", "1044=10.000"}));
    b.fake.offsetLength = 2.5;
    EXPECT_EQ(b.Click(kRoomSourceAddMode, 2, {190, 253}),
              (Log{"mark 190,250 r3", "ask distance", "mark 190,250 r3", "mark 162,250 r3", "1016=32.500",
                   "1044=10.000"}));
    b.fake.offsetLength = 25.0;  // 5 m beyond the far end (50, 10)
    EXPECT_EQ(b.Click(kRoomSourceAddMode, 2, {190, 253})[4], "1016=55.000");
    EXPECT_EQ(b.Click(kRoomSourceAddMode, 2, {190, 262}), (Log{"message 近接線がありません"}));
}

TEST(ClickActions, WallRangeIsTheLengthAlongTheGroundLine) {
    Bench b;
    b.edit.currentGroundLine = 0;  // (0, 0) → (20, 0) → (20, 20)
    EXPECT_EQ(b.Click(kWallAddMode, 1, {100, 250}), (Log{"mark 100,250 r3", "1010=30.000"}));
    EXPECT_EQ(b.Click(kWallChangeMode, 9, {25, 300}), (Log{"mark 25,300 r3", "1018=5.000"}));

    struct Case {
        std::vector<CVector3D> line;
        CVertex2D click;
        double length;
    };
    const Case cases[] = {
        // Terrain at 10 m elevation: the plan click lies on the line, not 10 m below it.
        {{{0, 0, 10}, {10, 0, 10}, {10, 10, 10}}, {10, 4}, 14.0},
        // A rising line measures along its slope: 3 m in plan, 5 m in space.
        {{{0, 0, 0}, {3, 0, 4}}, {1.5, 0}, 2.5},
        // The first segment that holds the point counts, even when a later one is nearer.
        {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, {9, 1}, 9.0554},
        // Behind the start of every segment.
        {{{0, 0, 0}, {10, 0, 0}}, {-1, 0}, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(LengthAlongGroundLine(CPolyline{c.line}, c.click), c.length, 1e-4) << c.click.x;
}

TEST(ClickActions, PredictionClickShowsTheGroundHeightAndAddsThePoint) {
    Bench b;
    b.groundHeight = 12.25;
    EXPECT_EQ(b.Click(kPredictionMode, 1, {100, 200}),
              (Log{"repaint", "1006=20.000", "1014=20.000", "label 0,17 (20.000m, 20.000m, 12.250m)",
                   "mark 100,200 r3", "press 1004"}));
    b.fake.disabledButtons = {kAddButtonId};
    EXPECT_EQ(b.Click(kPredictionMode, 1, {100, 200}).back(), "mark 100,200 r3");
    // A drag draws the vertical grid's plan line, whatever point mode the dialog shows.
    EXPECT_EQ(b.Drag(kPredictionMode, 1, {0, 300}, {250, 50}),
              (Log{"repaint", "1007=0.000", "1015=0.000", "1009=50.000", "1016=50.000"}));
    EXPECT_EQ(b.Drag(kPredictionMode, 3, {0, 300}, {250, 50}), Log{});
}

TEST(ClickActions, SizeDialogMeasuresDragsAndTakesRightClickPositions) {
    Bench b;
    EXPECT_EQ(b.Drag(kSizeChangeMode, 1, {10, 10}, {13, 14}), (Log{"1000=5"}));
    EXPECT_EQ(b.Drag(kSizeChangeMode, 1, {0, 0}, {10, 10}), (Log{"1000=14"}));  // 14.14 truncated
    EXPECT_EQ(b.Click(kSizeChangeMode, 9, {123, 45}), (Log{"mark 123,45 r3", "1001=123", "1003=45"}));
    EXPECT_EQ(b.Click(kSizeChangeMode, 1, {123, 45}), Log{});
    EXPECT_EQ(b.Drag(kRoofAddMode, 1, {0, 0}, {50, 50}), Log{});  // editors ignore drags
}

}  // namespace
}  // namespace kelmora
