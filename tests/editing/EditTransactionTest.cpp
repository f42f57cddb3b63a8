#include "editing/EditTransaction.h"

#include <gtest/gtest.h>

#include "editing/CurrentItems.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using plantest::SmallSite;

constexpr ScreenPoint kCentre{400, 300};

// The window side of a chain as far as the tests need it: the queued ResumeChain of a step is run at
// once, and the dialog it opens is returned (its edit mode, or 0 when none opens).
int Continue(EditTransaction& tx, const ChainStep& step) {
    EXPECT_TRUE(step.resume) << "the step queues no continuation";
    if (!step.resume) return 0;
    const ChainStep next = tx.ResumeChain();
    return next.open ? next.open->editMode : 0;
}

EditTransaction LoadedSite(const std::string& path = "/work/site.kel") {
    EditTransaction tx;
    tx.Load(SmallSite(), path, false);
    return tx;
}

// The chain walks the user through: building list → building 0 changed → its roof list.
void OpenRoofListOfBuilding0(EditTransaction& tx) {
    ASSERT_EQ(tx.StartChain(EditCommand::Buildings, kCentre).open->editMode, kBuildingListMode);
    ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Change, 0)), kBuildingChangeMode);
    ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::OpenSubList, kRoofListMode)), kRoofListMode);
}

TEST(EditChain, EveryCancelRestoresTheSnapshotOfItsLevel) {
    const CNoise site = SmallSite();
    {
        // Cancelling the ground-line list after edits leaves the model, its path and flag alone.
        EditTransaction tx = LoadedSite();
        tx.StartChain(EditCommand::GroundLines, kCentre);
        tx.workingCopy().groundLines.clear();
        const ChainStep end = tx.ListClosed(ListExit::Cancel);
        EXPECT_EQ(end.outcome, ChainOutcome::Discarded);
        EXPECT_EQ(end.hints, std::vector<int>{5});
        EXPECT_EQ(tx.model(), site);
        EXPECT_EQ(tx.workingCopy(), CNoise{});
        EXPECT_FALSE(tx.modified());
        EXPECT_EQ(tx.path(), "/work/site.kel");
        EXPECT_EQ(tx.editMode(), kIdleMode);
    }
    {
        // A ground line added and its editor cancelled is gone again; the list starts at its first row.
        EditTransaction tx = LoadedSite();
        tx.StartChain(EditCommand::GroundLines, kCentre);
        tx.workingCopy().groundLines.emplace_back();
        ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Add, 2)), kGroundLineAddMode);
        ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::Cancel)), kGroundLineListMode);
        EXPECT_EQ(tx.workingCopy().groundLines, site.groundLines);
        EXPECT_EQ(tx.edit().currentGroundLine, -1);
    }
    {
        // Changing a ground line, changing one of its walls through the wall list (OK), then
        // cancelling the ground-line editor: polyline and walls as before the editor opened.
        EditTransaction tx = LoadedSite();
        tx.StartChain(EditCommand::GroundLines, kCentre);
        ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Change, 0)), kGroundLineChangeMode);
        CurrentGroundLine(tx.workingCopy(), tx.edit())->polyline.vertices.push_back({30, 30, 0});
        ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::OpenSubList, kWallListMode)), kWallListMode);
        ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Change, 1)), kWallChangeMode);
        CurrentWall(tx.workingCopy(), tx.edit())->height = 9.5;
        ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::Ok)), kWallListMode);
        ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Ok)), kGroundLineChangeMode);
        EXPECT_EQ(tx.workingCopy().groundLines[0].walls[1].height, 9.5);
        ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::Cancel)), kGroundLineListMode);
        EXPECT_EQ(tx.workingCopy().groundLines, site.groundLines);
    }
    {
        // Cancelling the wall list undoes only what was done since it opened.
        EditTransaction tx = LoadedSite();
        tx.StartChain(EditCommand::GroundLines, kCentre);
        Continue(tx, tx.ListClosed(ListExit::Change, 0));
        CurrentGroundLine(tx.workingCopy(), tx.edit())->memo = "before the wall list";
        Continue(tx, tx.EditorClosed(EditorExit::OpenSubList, kWallListMode));
        tx.workingCopy().groundLines[0].walls.clear();
        ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Cancel)), kGroundLineChangeMode);
        const CGroundLine& line = tx.workingCopy().groundLines[0];
        EXPECT_EQ(line.memo, "before the wall list");
        EXPECT_EQ(line.walls, site.groundLines[0].walls);
        EXPECT_EQ(tx.edit().currentWall, -1);
    }
    {
        // Cancelling the roof list after adding two roofs and changing the first: the building as it
        // was when its editor opened the list, and the building editor again.
        EditTransaction tx = LoadedSite();
        OpenRoofListOfBuilding0(tx);
        for (int added = 1; added <= 2; ++added) {
            CBuilding& building = tx.workingCopy().buildings[0];
            building.roofs.push_back(plantest::Roof(0, 0, added, added));
            ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Add, static_cast<int>(building.roofs.size()) - 1)),
                      kRoofAddMode);
            ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::Ok)), kRoofListMode);
        }
        Continue(tx, tx.ListClosed(ListExit::Change, 0));
        CurrentRoof(tx.workingCopy(), tx.edit())->memo = "changed";
        Continue(tx, tx.EditorClosed(EditorExit::Ok));
        EXPECT_EQ(tx.workingCopy().buildings[0].roofs.size(), 3u);
        EXPECT_EQ(Continue(tx, tx.ListClosed(ListExit::Cancel)), kBuildingChangeMode);
        EXPECT_EQ(tx.workingCopy().buildings[0], site.buildings[0]);
    }
}

TEST(EditChain, OpeningsNestInLevelsThatUndoOneAtATime) {
    const CNoise site = SmallSite();
    EditTransaction tx = LoadedSite();
    tx.StartChain(EditCommand::Buildings, kCentre);
    Continue(tx, tx.ListClosed(ListExit::Change, 0));
    ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::OpenSubList, kRoomListMode)), kRoomListMode);
    ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Change, 0)), kRoomChangeMode);
    CurrentRoom(tx.workingCopy(), tx.edit())->memo = "kept";
    ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::OpenSubList, kOpeningListMode)), kOpeningListMode);
    EXPECT_EQ(tx.edit().openingLevels, std::vector<int>{-1});

    // Opening 0 of the room, then its contained openings one level deeper.
    ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Change, 0)), kOpeningChangeMode);
    CWindow* outer = OpeningAtLevel(tx.workingCopy(), tx.edit(), 0);
    ASSERT_NE(outer, nullptr);
    outer->memo = "outer changed";
    ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::OpenSubList, kOpeningListMode)), kOpeningListMode);
    EXPECT_EQ(tx.edit().openingLevels, (std::vector<int>{0, -1}));
    std::vector<CWindow>* contained = OpeningsAtLevel(tx.workingCopy(), tx.edit(), 1);
    ASSERT_NE(contained, nullptr);
    contained->push_back(plantest::Opening(40, 41, 12, 2, 0));
    ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Add, 1)), kOpeningAddMode);
    EXPECT_EQ(tx.edit().openingLevels, (std::vector<int>{0, 1}));
    // A cancelled addition in an opening list starts it again from its first row.
    ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::Cancel)), kOpeningListMode);
    EXPECT_EQ(tx.edit().openingLevels, (std::vector<int>{0, -1}));
    EXPECT_EQ(OpeningsAtLevel(tx.workingCopy(), tx.edit(), 1)->size(), 1u);

    // Cancelling the inner list restores the enclosing opening as its editor opened the list (its memo
    // change made before stays) and goes back to that opening's editor.
    OpeningsAtLevel(tx.workingCopy(), tx.edit(), 1)->clear();
    ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Cancel)), kOpeningChangeMode);
    EXPECT_EQ(tx.edit().openingLevels, std::vector<int>{0});
    const CWindow& restored = tx.workingCopy().buildings[0].rooms[0].openings[0];
    EXPECT_EQ(restored.memo, "outer changed");
    EXPECT_EQ(restored.containedOpenings, site.buildings[0].rooms[0].openings[0].containedOpenings);

    // Cancelling the editor and then the outer list brings back the room as the room editor left it.
    ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::Cancel)), kOpeningListMode);
    ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Cancel)), kRoomChangeMode);
    EXPECT_TRUE(tx.edit().openingLevels.empty());
    CRoom expected = site.buildings[0].rooms[0];
    expected.memo = "kept";
    EXPECT_EQ(tx.workingCopy().buildings[0].rooms[0], expected);
}

TEST(EditChain, CascadeClosesLevelByLevelAndEndsCommittedOrDiscarded) {
    const CNoise site = SmallSite();
    for (const int direction : {+1, -1}) {
        EditTransaction tx = LoadedSite();
        OpenRoofListOfBuilding0(tx);
        ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Change, 0)), kRoofChangeMode);
        CurrentRoof(tx.workingCopy(), tx.edit())->memo = "roof";
        // Ground lines change in the working copy too, but only buildings belong to this chain.
        tx.workingCopy().groundLines.clear();

        tx.SetCascade(direction);
        ChainStep last = tx.EditorClosed(direction > 0 ? EditorExit::Ok : EditorExit::Cancel);
        // Roof list, building editor, building list: each shown in its own turn presses at once, as
        // the dialogs do.
        ChainStep step = last;
        int pressed = 0;
        while (step.resume) {
            const ChainStep shown = tx.ResumeChain();
            ASSERT_TRUE(shown.open);
            EXPECT_EQ(shown.open->cascadePress, direction);
            ++pressed;
            const bool ok = direction > 0;
            step = IsListMode(shown.open->editMode)
                       ? tx.ListClosed(ok ? ListExit::Ok : ListExit::Cancel)
                       : tx.EditorClosed(ok ? EditorExit::Ok : EditorExit::Cancel);
            last = step;
        }
        EXPECT_EQ(pressed, 3);
        EXPECT_EQ(tx.editMode(), kIdleMode);
        EXPECT_EQ(tx.cascade(), 0);
        EXPECT_EQ(tx.model().groundLines, site.groundLines);
        if (direction > 0) {
            EXPECT_EQ(last.outcome, ChainOutcome::Committed);
            EXPECT_EQ(tx.model().buildings[0].roofs[0].memo, "roof");
            EXPECT_TRUE(tx.modified());
        } else {
            EXPECT_EQ(last.outcome, ChainOutcome::Discarded);
            EXPECT_EQ(tx.model(), site);
            EXPECT_FALSE(tx.modified());
        }
    }
    // The next chain starts without a cascade.
    EditTransaction tx = LoadedSite();
    tx.SetCascade(1);
    EXPECT_EQ(tx.StartChain(EditCommand::OutdoorSources, kCentre).open->cascadePress, 0);
}

TEST(EditChain, CommitMarksModifiedAndTheNextPlainSaveAsksForAName) {
    EditTransaction tx = LoadedSite();
    tx.StartChain(EditCommand::OutdoorSources, kCentre);
    ASSERT_EQ(Continue(tx, tx.ListClosed(ListExit::Change, 0)), kOutdoorSourceChangeMode);
    CurrentOutdoorSource(tx.workingCopy(), tx.edit())->position = {61, 21, 1};
    ASSERT_EQ(Continue(tx, tx.EditorClosed(EditorExit::Ok)), kOutdoorSourceListMode);
    const ChainStep end = tx.ListClosed(ListExit::Ok);
    EXPECT_EQ(end.outcome, ChainOutcome::Committed);
    EXPECT_EQ(tx.model().outdoorSources[0].position, (CVector3D{61, 21, 1}));
    EXPECT_TRUE(tx.modified());
    EXPECT_EQ(tx.path(), "");
    tx.Saved("/work/renamed.kel");
    EXPECT_FALSE(tx.modified());
    EXPECT_EQ(tx.path(), "/work/renamed.kel");
}

TEST(EditChain, NothingElseStartsWhileADialogOrACalculationIsOpen) {
    const CNoise site = SmallSite();
    EditTransaction tx = LoadedSite();
    OpenRoofListOfBuilding0(tx);
    Continue(tx, tx.ListClosed(ListExit::Change, 0));
    ASSERT_EQ(tx.editMode(), kRoofChangeMode);
    EXPECT_FALSE(tx.CommandsEnabled());
    EXPECT_FALSE(tx.CanClose());
    const EditState before = tx.edit();
    EXPECT_TRUE(tx.StartChain(EditCommand::GroundLines, kCentre).Empty());
    EXPECT_TRUE(tx.BeginPrediction(kCentre).Empty());
    EXPECT_TRUE(tx.BeginSizeChange(kCentre).Empty());
    EXPECT_TRUE(tx.CalculationEnded().Empty());
    EXPECT_TRUE(tx.ListClosed(ListExit::Ok).Empty()) << "no list is open";
    EXPECT_EQ(tx.edit(), before);

    // A calculation holds the model just the same until it has ended.
    EditTransaction calc = LoadedSite();
    calc.BeginPrediction(kCentre);
    const ChainStep start = calc.PredictionClosed(PredictionExit::StartCalculation);
    EXPECT_TRUE(start.startCalculation);
    EXPECT_EQ(calc.editMode(), kCalculationMode);
    EXPECT_FALSE(calc.CanClose());
    EXPECT_TRUE(calc.StartChain(EditCommand::Buildings, kCentre).Empty());
    const ChainStep end = calc.CalculationEnded();
    EXPECT_EQ(end.hints, std::vector<int>{5});
    EXPECT_TRUE(calc.CommandsEnabled());
}

TEST(EditChain, PredictionDialogCommitsTheWholeWorkingCopyOrNothing) {
    const CNoise site = SmallSite();
    {
        EditTransaction tx = LoadedSite();
        const ChainStep open = tx.BeginPrediction(kCentre);
        EXPECT_EQ(open.hints, std::vector<int>{2});
        EXPECT_EQ(open.open, (DialogRequest{kPredictionMode, false, 0}));
        EXPECT_EQ(tx.edit().selectedPointIndex, 1) << "the point list's last row";
        tx.workingCopy().temperature = 5;
        const ChainStep cancel = tx.PredictionClosed(PredictionExit::Cancel);
        EXPECT_EQ(cancel.outcome, ChainOutcome::Discarded);
        EXPECT_EQ(tx.model(), site);
        EXPECT_FALSE(tx.modified());
        EXPECT_EQ(tx.edit(), EditState{});
    }
    {
        EditTransaction tx = LoadedSite();
        tx.BeginPrediction(kCentre);
        tx.workingCopy().temperature = 5;
        tx.workingCopy().groundLines.clear();
        const ChainStep ok = tx.PredictionClosed(PredictionExit::Ok);
        EXPECT_EQ(ok.outcome, ChainOutcome::Committed);
        EXPECT_EQ(ok.hints, std::vector<int>{5});
        EXPECT_FALSE(ok.startCalculation);
        EXPECT_EQ(tx.model().temperature, 5);
        EXPECT_TRUE(tx.model().groundLines.empty());
        EXPECT_EQ(tx.editMode(), kIdleMode);
        EXPECT_EQ(tx.path(), "");
    }
}

TEST(EditChain, EditorsAskForTheRedrawsOfTheirEntry) {
    EditTransaction tx = LoadedSite();
    tx.StartChain(EditCommand::GroundLines, kCentre);
    tx.workingCopy().groundLines.emplace_back();
    tx.ListClosed(ListExit::Add, 2);
    const ChainStep add = tx.ResumeChain();
    EXPECT_EQ(add.hints, (std::vector<int>{2, 5}));
    EXPECT_EQ(add.open, (DialogRequest{kGroundLineAddMode, false, 0}));
    EXPECT_EQ(add.hintsAfterShow, std::vector<int>{5});
    EXPECT_EQ(tx.memory().groundLine.returnMode, kGroundLineAddMode);

    EditTransaction b = LoadedSite();
    b.StartChain(EditCommand::Buildings, kCentre);
    b.ListClosed(ListExit::Change, 1);
    const ChainStep change = b.ResumeChain();
    EXPECT_EQ(change.hints, (std::vector<int>{2, 2}));
    EXPECT_EQ(change.open, (DialogRequest{kBuildingChangeMode, true, 0})) << "the building editor is modal";
    EXPECT_TRUE(change.hintsAfterShow.empty());

    // A list row that does not exist hands nothing over.
    EXPECT_TRUE(b.ListClosed(ListExit::Change, 7).Empty());
    // An editor button may only open the lists of its own item's parts.
    EXPECT_TRUE(b.EditorClosed(EditorExit::OpenSubList, kWallListMode).Empty());
    EXPECT_EQ(b.editMode(), kBuildingChangeMode);
}

TEST(EditChain, CancelledAdditionSelectsTheLastRemainingRow) {
    EditTransaction tx = LoadedSite();
    OpenRoofListOfBuilding0(tx);
    tx.workingCopy().buildings[0].roofs.push_back(plantest::Roof(0, 0, 1, 1));
    Continue(tx, tx.ListClosed(ListExit::Add, 1));
    Continue(tx, tx.EditorClosed(EditorExit::Cancel));
    EXPECT_EQ(tx.edit().currentRoof, 0);
    EXPECT_EQ(tx.workingCopy().buildings[0].roofs.size(), 1u);
}

TEST(EditChain, SizeDialogHoldsTheDocumentUntilItGoesBack) {
    EditTransaction tx = LoadedSite();
    const ChainStep open = tx.BeginSizeChange({10, 20});
    EXPECT_EQ(open.open, (DialogRequest{kSizeChangeMode, false, 0}));
    EXPECT_EQ(tx.dialogCentre(), (ScreenPoint{10, 20}));
    EXPECT_FALSE(tx.CanClose());
    EXPECT_TRUE(tx.SizeDialogClosed().Empty()) << "going back redraws nothing";
    EXPECT_EQ(tx.editMode(), kIdleMode);
    EXPECT_EQ(tx.workingCopy(), CNoise{});
}

}  // namespace
}  // namespace kelmora

namespace kelmora {
namespace {

TEST(EditChain, AChangeFromOutsideTheChainCommitsModelAndExtrasTogether) {
    EditTransaction tx;
    ProjectExtras extras;
    extras.coordinates = SiteCoordinates{6677, "", 100.0, 200.0};
    tx.Load(plantest::SmallSite(), "/work/site.kel", false, extras);
    EXPECT_EQ(tx.extras(), extras);

    CNoise imported = tx.model();
    imported.buildings.emplace_back();
    ProjectExtras moved = extras;
    moved.coordinates->originX = 150.0;
    // Not while a dialog of the document is open: nothing changes.
    tx.StartChain(EditCommand::Buildings, kCentre);
    EXPECT_TRUE(tx.CommitChange("インポート", imported, moved).Empty());
    tx.ListClosed(ListExit::Cancel);
    EXPECT_EQ(tx.extras(), extras);

    const ChainStep step = tx.CommitChange("インポート", imported, moved);
    EXPECT_EQ(step.outcome, ChainOutcome::Committed);
    EXPECT_EQ(step.hints, std::vector<int>{5});
    EXPECT_EQ(tx.model(), imported);
    EXPECT_EQ(tx.extras(), moved);
    EXPECT_TRUE(tx.modified());
    EXPECT_EQ(tx.path(), "");
}

}  // namespace
}  // namespace kelmora
