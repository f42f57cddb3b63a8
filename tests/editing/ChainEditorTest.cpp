// The common behaviour of the editors: the point list's buttons, the rules that enable controls, the
// buttons that open the lists of an item's parts, the opening's own buttons, and the "All OK" /
// "All Cancel" cascade through every level of a chain.
#include "editing/ChainEditor.h"

#include <gtest/gtest.h>

#include "editing/ChainDriver.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using testing::ChainDriver;

CVector3D V(double x, double y, double z = 0) {
    return {x, y, z};
}

class PointListTest : public ::testing::Test {
protected:
    // A new ground line: no vertices yet.
    void SetUp() override {
        d.Start(EditCommand::GroundLines);
        ASSERT_EQ(d.Add(d.working().groundLines), kGroundLineAddMode);
    }
    const std::vector<CVector3D>& vertices() { return d.working().groundLines.back().polyline.vertices; }
    void TypeVertex(const char* x, const char* y, const char* z) {
        d.Type(1006, x);
        d.Type(1014, y);
        d.Type(1022, z);
    }

    ChainDriver d{plantest::SmallSite()};
};

TEST_F(PointListTest, InsertTakesTheCoordinatesLastRead) {
    for (int button : {1008, 1018, 1017, 1020, 1019})
        EXPECT_FALSE(d.editor->IsButtonEnabled(button)) << "no vertex yet: " << button;
    EXPECT_TRUE(d.editor->IsButtonEnabled(1004));

    TypeVertex("1", "2", "3");
    EXPECT_EQ(d.Press(1004).hints, std::vector<int>{4});  // "追加"
    TypeVertex("4", "5", "6");
    d.Press(1004);
    EXPECT_EQ(d.editor->selectedVertex(), 1);

    // New numbers typed but not read: "挿入" puts the last read point before the selected one.
    TypeVertex("70", "80", "90");
    d.editor->SelectVertex(0);
    d.Press(1020);
    EXPECT_EQ(vertices(), (std::vector{V(4, 5, 6), V(1, 2, 3), V(4, 5, 6)}));
    EXPECT_EQ(d.editor->selectedVertex(), 0) << "the inserted vertex is selected";

    // "数値コピー" shows the selected vertex in the fields, and that is what "挿入" inserts next.
    d.editor->SelectVertex(1);
    d.Press(1019);
    EXPECT_EQ(d.editor->form().Text(1006), "1");
    EXPECT_EQ(d.editor->form().Text(1022), "3");
    d.editor->SelectVertex(0);
    d.Press(1020);
    EXPECT_EQ(vertices().front(), V(1, 2, 3));

    // "変更" reads the fields and replaces the selected vertex, which stays selected.
    TypeVertex("7", "8", "9");
    d.editor->SelectVertex(1);
    d.Press(1008);
    EXPECT_EQ(vertices()[1], V(7, 8, 9));
    EXPECT_EQ(d.editor->selectedVertex(), 1);
}

TEST_F(PointListTest, DeletingKeepsTheRowNumberWithinTheList) {
    for (const char* x : {"0", "10", "20"}) {
        TypeVertex(x, "0", "0");
        d.Press(1004);
    }
    d.editor->SelectVertex(2);
    d.Press(1018);  // "削除" of the last row selects the new last row
    EXPECT_EQ(vertices(), (std::vector{V(0, 0), V(10, 0)}));
    EXPECT_EQ(d.editor->selectedVertex(), 1);
    d.editor->SelectVertex(0);
    d.Press(1018);
    EXPECT_EQ(vertices(), std::vector{V(10, 0)});
    EXPECT_EQ(d.editor->selectedVertex(), 0);

    d.Press(1017);  // "全削除"
    EXPECT_TRUE(vertices().empty());
    EXPECT_EQ(d.editor->selectedVertex(), -1);
    EXPECT_FALSE(d.editor->IsButtonEnabled(1020));
    d.Press(1020);  // a disabled "挿入" does nothing
    EXPECT_TRUE(vertices().empty());
}

TEST_F(PointListTest, AddingReadsEveryFieldAndStoresNothingOnARefusal) {
    TypeVertex("100001", "0", "0");  // X beyond its limit
    const EditorReply reply = d.Press(1004);
    ASSERT_TRUE(reply.message);
    EXPECT_EQ(reply.message->text, "-10000 から 100000 までの数字を入力してください。");
    EXPECT_EQ(reply.message->focusControl, 1006);
    EXPECT_TRUE(vertices().empty());

    // "挿入" after a refused read still has the coordinates of the last good one.
    TypeVertex("1", "1", "1");
    d.Press(1004);
    TypeVertex("2", "2", "abc");
    EXPECT_TRUE(d.Press(1008).message);
    d.Press(1020);
    EXPECT_EQ(vertices(), (std::vector{V(1, 1, 1), V(1, 1, 1)}));
}

TEST(PointLists, CancelUndoesEveryVertexChange) {
    ChainDriver d(plantest::SmallSite());
    d.Start(EditCommand::Buildings);
    d.Change(0);
    d.Press(1025);
    ASSERT_EQ(d.Change(0), kRoomChangeMode);
    const CRoom before = d.working().buildings[0].rooms[0];
    d.Press(1017);  // "全削除"
    d.Type(1016, "5");
    d.Type(1044, "5");
    d.Press(1004);
    EXPECT_EQ(d.working().buildings[0].rooms[0].outline.vertices, std::vector{V(5, 5)})
        << "the plan shows the change at once";
    d.Cancel();
    EXPECT_EQ(d.mode(), kRoomListMode);
    EXPECT_EQ(d.working().buildings[0].rooms[0], before);
}

TEST(EditorControls, EnablingFollowsTheChoicesAndFlags) {
    ChainDriver d(plantest::SmallSite());
    d.Start(EditCommand::GroundLines);
    d.Change(0);
    d.Press(1030);
    d.Change(0);  // a knife-edge barrier
    ChainEditor& wall = *d.editor;
    for (int slopeControl : {1008, 1051, 1052}) {
        EXPECT_FALSE(wall.IsButtonEnabled(slopeControl)) << slopeControl;
        d.Choose(1031, 2);  // "法肩"
        EXPECT_TRUE(wall.IsButtonEnabled(slopeControl)) << slopeControl;
        d.Choose(1031, 1);
    }

    d.Start(EditCommand::Buildings);  // refused: a chain is open
    EXPECT_EQ(d.mode(), kWallChangeMode);
}

TEST(EditorControls, ClosingAnExteriorWallShowsAtOnceAndDiffractsAtBothEnds) {
    ChainDriver d(plantest::SmallSite());
    d.Start(EditCommand::Buildings);
    d.Change(0);
    d.Press(1024);
    CBuildingWall open;
    open.polyline.vertices = {V(0, 0), V(10, 0), V(10, 10)};
    open.closed = 0;
    open.diffractStart = open.diffractEnd = 0;
    ASSERT_EQ(d.Add(d.working().buildings[0].walls, open), kExteriorWallAddMode);
    const auto wall = [&] { return d.working().buildings[0].walls.back(); };
    EXPECT_TRUE(d.editor->IsButtonEnabled(1038));
    EXPECT_TRUE(d.editor->IsButtonEnabled(1040));

    d.Choose(1026, 1);
    EXPECT_EQ(d.editor->Changed(1026).hints, std::vector<int>{4});
    EXPECT_EQ(wall().closed, 1) << "applied before OK";
    EXPECT_FALSE(d.editor->IsButtonEnabled(1038));
    EXPECT_FALSE(d.editor->IsButtonEnabled(1040));

    EXPECT_FALSE(d.Ok().message);
    EXPECT_EQ(wall().diffractStart, 1);
    EXPECT_EQ(wall().diffractEnd, 1);
}

TEST(EditorControls, SubListButtonsCheckAndStoreFirst) {
    ChainDriver d(plantest::SmallSite());
    d.Start(EditCommand::Buildings);
    d.Change(0);
    d.Press(1025);
    d.Change(0);
    // The room is checked before its openings' list opens.
    d.Type(1027, "2");
    d.Type(1039, "2.9");
    d.Type(kMemoFieldId, "Press hall");
    EditorReply reply = d.Press(1051);
    ASSERT_TRUE(reply.message);
    EXPECT_EQ(reply.message->focusControl, 1039);
    EXPECT_EQ(d.mode(), kRoomChangeMode);
    EXPECT_EQ(d.working().buildings[0].rooms[0].memo, "");

    d.Type(1039, "3");
    reply = d.Press(1052);  // "室内音源情報..."
    EXPECT_FALSE(reply.message);
    EXPECT_EQ(d.mode(), kRoomSourceListMode);
    EXPECT_EQ(d.working().buildings[0].rooms[0].ceilingZ, 3.0);
    EXPECT_EQ(d.working().buildings[0].rooms[0].memo, "Press hall");

    // Back from the list, the editor opens again on the room as it was stored.
    ASSERT_EQ(d.ListOk(), kRoomChangeMode);
    EXPECT_EQ(d.editor->form().Text(1039), "3");
    EXPECT_EQ(d.editor->form().Text(kMemoFieldId), "Press hall");
}

TEST(OpeningEditor, HeightsFromTheSurfaceAndTheStoredRectangle) {
    ChainDriver d(plantest::SmallSite());
    d.Start(EditCommand::Buildings);
    d.Change(0);
    d.Press(1025);
    d.Change(0);  // storey 0 .. 2.5 m
    d.Press(1051);
    ASSERT_EQ(d.Change(0), kOpeningChangeMode);

    d.Choose(1050, 1);  // "天井に属する"
    d.Press(1009);      // "→Z座標編集"
    EXPECT_EQ(d.editor->form().Text(1039), "2.5");
    EXPECT_EQ(d.editor->form().Text(1042), "2.5");
    d.Choose(1050, 0);
    d.Press(1009);
    EXPECT_EQ(d.editor->form().Text(1039), "2.5");
    EXPECT_EQ(d.editor->form().Text(1042), "0");

    // Entered as a roof is: side A, then any point on the line of side C. Reopened, the third point
    // shows corner 3.
    const std::pair<int, const char*> entry[] = {{1016, "0"}, {1044, "0"}, {1039, "10"}, {1056, "20"},
                                                 {1024, "0"}, {1058, "5"}, {1028, "8"},  {1042, "6"}};
    for (auto [id, text] : entry)
        d.Type(id, text);
    d.Press(1051);  // "包含する開口部情報..." stores like OK
    ASSERT_EQ(d.mode(), kOpeningListMode);
    const CMyRect stored = d.working().buildings[0].rooms[0].openings[0].rect;
    EXPECT_EQ(stored.p3, V(20, 8, 6));

    // A wall opening inside it takes the containing opening's heights.
    ASSERT_EQ(d.Change(0), kOpeningChangeMode);
    d.Choose(1050, 0);
    d.Press(1009);
    EXPECT_EQ(d.editor->form().Text(1039), "10");
    EXPECT_EQ(d.editor->form().Text(1042), "6");
    d.Cancel();
    ASSERT_EQ(d.ListOk(), kOpeningChangeMode);
    EXPECT_EQ(d.editor->form().Text(1058), "20");
    EXPECT_EQ(d.editor->form().Text(1028), "8");

    // "Z1→Z3" reads the fields first.
    d.Type(1039, "7.25");
    d.Press(1008);
    EXPECT_EQ(d.editor->form().Text(1042), "7.25");
    d.Type(1016, "x");
    EXPECT_TRUE(d.Press(1008).message);
}

TEST(OpeningEditor, AreaTakenFromTheRectangleIsShownInItsGreyedField) {
    CNoise site = plantest::SmallSite();
    site.buildings[0].rooms[0].openings[0].area = 7.5;  // a rectangle of 12 m × 2 m
    site.buildings[0].rooms[0].openings[0].areaFromRect = 0;
    ChainDriver d(site);
    d.Start(EditCommand::Buildings);
    d.Change(0);
    d.Press(1025);
    d.Change(0);
    d.Press(1051);
    ASSERT_EQ(d.Change(0), kOpeningChangeMode);
    EditorForm& f = d.editor->form();
    EXPECT_EQ(f.Text(1040), "7.5");

    d.Choose(1043, 1);  // "矩形から表面積を計算する"
    d.editor->Changed(1043);
    EXPECT_FALSE(f.IsEnabled(1040));
    EXPECT_EQ(f.Text(1040), "24.00");
    // The rectangle's fields as they are typed (or clicked on the plan): the area follows.
    d.Type(1056, "52");
    EXPECT_TRUE(d.editor->TextChanged(1056));
    EXPECT_EQ(f.Text(1040), "36.00");
    d.Type(1056, "");
    EXPECT_FALSE(d.editor->TextChanged(1056)) << "a field being typed leaves the area as it was";
    EXPECT_EQ(f.Text(1040), "36.00");
    d.Type(1056, "46");
    d.editor->TextChanged(1056);

    // Unticked, the area typed before comes back; ticked and stored, the opening keeps it.
    d.Choose(1043, 0);
    d.editor->Changed(1043);
    EXPECT_EQ(f.Text(1040), "7.5");
    d.Choose(1043, 1);
    d.editor->Changed(1043);
    d.Apply();
    const CWindow& stored = d.working().buildings[0].rooms[0].openings[0];
    EXPECT_EQ(stored.areaFromRect, 1);
    EXPECT_EQ(stored.area, 7.5);
    EXPECT_EQ(EffectiveArea(stored), 24.0);
}

// The building chain down to a new opening inside the second opening level of the site's room:
// buildings → building 0 → rooms → room 0 → openings → opening 0 → its openings → opening 0 → its
// openings → a new opening, typed in. Returns with the new opening's editor open.
void OpenThreeOpeningLevels(ChainDriver& d) {
    ASSERT_EQ(d.Start(EditCommand::Buildings), kBuildingListMode);
    ASSERT_EQ(d.Change(0), kBuildingChangeMode);
    d.Type(kMemoFieldId, "Press shop");
    d.Press(1025);
    ASSERT_EQ(d.Change(0), kRoomChangeMode);
    d.Press(1051);
    ASSERT_EQ(d.Change(0), kOpeningChangeMode);
    d.Type(kMemoFieldId, "outer");
    d.Press(1051);
    ASSERT_EQ(d.Change(0), kOpeningChangeMode);
    d.Press(1051);
    ASSERT_EQ(d.tx.edit().openingLevels.size(), 3u);
    CWindow& middle = d.working().buildings[0].rooms[0].openings[0].containedOpenings[0];
    ASSERT_EQ(d.Add(middle.containedOpenings), kOpeningAddMode);
    const std::pair<int, const char*> entry[] = {{1016, "39"}, {1044, "12"}, {1039, "1.5"}, {1056, "41"},
                                                 {1024, "12"}, {1058, "41"}, {1028, "12"},  {1042, "0.5"}};
    for (auto [id, text] : entry)
        d.Type(id, text);
}

TEST(Cascade, AllCancelFromThreeOpeningLevelsLeavesTheModel) {
    const CNoise site = plantest::SmallSite();
    ChainDriver d(site);
    OpenThreeOpeningLevels(d);
    d.AllCancel();
    EXPECT_EQ(d.mode(), kIdleMode);
    EXPECT_EQ(d.outcome, ChainOutcome::Discarded);
    EXPECT_EQ(d.tx.model(), site);
    EXPECT_FALSE(d.tx.modified());
    EXPECT_EQ(d.tx.cascade(), 0);
}

TEST(Cascade, AllOkFromThreeOpeningLevelsCommitsTheBuildingsOnly) {
    const CNoise site = plantest::SmallSite();
    ChainDriver d(site);
    OpenThreeOpeningLevels(d);
    d.working().outdoorSources.clear();  // not part of a building chain: never committed by it
    d.AllOk();
    EXPECT_EQ(d.mode(), kIdleMode);
    EXPECT_EQ(d.outcome, ChainOutcome::Committed);
    EXPECT_TRUE(d.tx.modified());
    const CNoise& model = d.tx.model();
    EXPECT_EQ(model.outdoorSources, site.outdoorSources);
    EXPECT_EQ(model.groundLines, site.groundLines);
    const CBuilding& building = model.buildings[0];
    EXPECT_EQ(building.memo, "Press shop");
    const CWindow& outer = building.rooms[0].openings[0];
    EXPECT_EQ(outer.memo, "outer");
    const auto& innermost = outer.containedOpenings[0].containedOpenings;
    ASSERT_EQ(innermost.size(), 2u);
    EXPECT_EQ(innermost[1].rect.p1, V(39, 12, 1.5));
    EXPECT_EQ(innermost[1].rect.p3, V(41, 12, 0.5));
    EXPECT_EQ(model.buildings[1], site.buildings[1]);
}

TEST(Cascade, StopsAtAnEditorThatRefusesAndGoesOnWhenItCloses) {
    const CNoise site = plantest::SmallSite();
    ChainDriver d(site);
    d.Start(EditCommand::GroundLines);
    d.Change(0);  // 40 m long
    d.Press(1030);
    d.Change(0);
    d.Type(1018, "40.5");  // a wall beyond the line: the wall editor accepts it, the line does not
    d.AllOk();
    ASSERT_EQ(d.mode(), kGroundLineChangeMode);
    EXPECT_EQ(d.tx.cascade(), 1) << "the flag stays set";
    EXPECT_EQ(d.working().groundLines[0].walls[0].rangeEnd, 40.5);

    d.Cancel();  // the line as its list handed it over; the cascade goes on and commits
    EXPECT_EQ(d.mode(), kIdleMode);
    EXPECT_EQ(d.outcome, ChainOutcome::Committed);
    EXPECT_EQ(d.tx.model().groundLines, site.groundLines);
    EXPECT_EQ(d.tx.cascade(), 0);
}

}  // namespace
}  // namespace kelmora
