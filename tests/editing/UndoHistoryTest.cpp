#include "editing/UndoHistory.h"

#include <gtest/gtest.h>

#include "editing/CurrentItems.h"
#include "editing/EditTransaction.h"
#include "editing/MemoryFootprint.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using plantest::SmallSite;

constexpr ScreenPoint kUndoCentre{400, 300};

// Runs the queued continuations of a chain at once, as the window side does.
void Follow(EditTransaction& tx, const ChainStep& step) {
    if (step.resume) Follow(tx, tx.ResumeChain());
}

// The outermost list of `command` opened, `edit` made to the working copy, the list closed with OK.
template <typename Edit>
ChainStep CommitChain(EditTransaction& tx, EditCommand command, Edit edit) {
    Follow(tx, tx.StartChain(command, kUndoCentre));
    edit(tx.workingCopy());
    return tx.ListClosed(ListExit::Ok);
}

// What the document is at one moment: its model, its extras and the view data of its window 7.
struct DocumentState {
    CNoise model;
    ProjectExtras extras;
    CKelmoraViewData view;
    std::string name;  // the step that led here

    friend bool operator==(const DocumentState&, const DocumentState&) = default;
};

TEST(UndoHistory, EveryKindOfCommittedStepUndoesToTheStateBeforeAndRedoesToTheStateAfter) {
    EditTransaction tx;
    ProjectExtras extras;
    extras.limits = {LevelLimit{LimitScope::AllPoints, "", 55.0, std::nullopt}};
    tx.Load(SmallSite(), "/work/site.kel", false, extras);
    CKelmoraViewData window = plantest::BlankWindow();  // window 7 of the document
    std::vector<DocumentState> states{{tx.model(), tx.extras(), window, ""}};
    std::vector<std::vector<int>> hints;
    auto took = [&](const ChainStep& step, const char* name, std::vector<int> sent) {
        EXPECT_EQ(step.hints, sent) << name;
        EXPECT_EQ(tx.UndoName(), name);
        states.push_back({tx.model(), tx.extras(), window, name});
        hints.push_back(std::move(sent));
    };

    took(CommitChain(tx, EditCommand::GroundLines, [](CNoise& m) { m.groundLines[0].walls[1].height = 7.5; }),
         "地表線情報の変更", {5});
    took(CommitChain(tx, EditCommand::Buildings, [](CNoise& m) { m.buildings.erase(m.buildings.begin()); }),
         "建物情報の変更", {5});
    took(CommitChain(tx, EditCommand::OutdoorSources,
                     [](CNoise& m) { m.outdoorSources[0].powerAverage.fill(91); }),
         "屋外音源情報の変更", {5});
    tx.BeginPrediction(kUndoCentre);
    tx.workingCopy().temperature = 5;
    tx.workingCopy().calcInfo.pointList.pop_back();
    took(tx.PredictionClosed(PredictionExit::Ok), "予測条件の変更", {5});
    // "予測計算開始...": committed, and the run writes its levels into the model before it ends.
    tx.BeginPrediction(kUndoCentre);
    tx.workingCopy().maxReflections = 1;
    const ChainStep start = tx.PredictionClosed(PredictionExit::StartCalculation);
    ASSERT_TRUE(start.startCalculation);
    took(start, "予測条件の変更", {5});
    tx.CalculationEnded();
    CNoise imported = tx.model();
    imported.buildings.emplace_back();
    imported.calcInfo.memo = "imported";
    ProjectExtras placed = tx.extras();
    placed.coordinates = SiteCoordinates{6677, "", 100.0, 200.0};
    took(tx.CommitChange("インポート", imported, placed), "インポート", {5});
    // The size dialog's "適用" and the background picture change window 7's view data.
    tx.BeginSizeChange(kUndoCentre);
    CKelmoraViewData before = window;
    window.calibration.magnification = 2.5;
    took(tx.CommitViewChange(kSizeChangeStepName, 7, before, window, {5}), "サイズ変更", {5});
    tx.SizeDialogClosed();
    before = window;
    window.imagePath = "/work/site.png";
    window.imageWidth = 640;
    took(tx.CommitViewChange(kPictureStepName, 7, before, window, {6}), "背景画像の変更", {6});

    // Back to the start, one step at a time, then forward again. The window side puts each view
    // change into window 7.
    auto apply = [&](const ChainStep& step) {
        EXPECT_EQ(step.outcome, ChainOutcome::Committed);
        if (!step.viewChange) return;
        EXPECT_EQ(step.viewChange->windowId, 7);
        ApplyViewChange(window, step.viewChange->from, step.viewChange->to);
    };
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        EXPECT_EQ(tx.UndoName(), states[i].name);
        const ChainStep step = tx.Undo();
        apply(step);
        EXPECT_EQ(step.hints, hints[i - 1]) << states[i].name;
        EXPECT_EQ((DocumentState{tx.model(), tx.extras(), window, states[i - 1].name}), states[i - 1])
            << "undoing " << states[i].name;
        EXPECT_EQ(tx.RedoName(), states[i].name);
    }
    EXPECT_FALSE(tx.CanUndo());
    EXPECT_TRUE(tx.Undo().Empty());
    for (std::size_t i = 1; i < states.size(); ++i) {
        const ChainStep step = tx.Redo();
        apply(step);
        EXPECT_EQ(step.hints, hints[i - 1]) << states[i].name;
        EXPECT_EQ((DocumentState{tx.model(), tx.extras(), window, states[i].name}), states[i])
            << "redoing " << states[i].name;
    }
    EXPECT_FALSE(tx.CanRedo());
}

TEST(UndoHistory, LevelsOfARunComeBackWithTheStepAfterItNotWithTheRunsOwnCommit) {
    EditTransaction tx;
    tx.Load(SmallSite(), "/work/site.kel", false);
    tx.BeginPrediction(kUndoCentre);
    tx.workingCopy().maxReflections = 1;
    tx.PredictionClosed(PredictionExit::StartCalculation);
    const CNoise committed = tx.model();
    tx.modelForCalculation().calcInfo.pointList[0].resultAverage.fill(60);
    tx.CalculationEnded();
    const CNoise predicted = tx.model();
    CommitChain(tx, EditCommand::Buildings, [](CNoise& m) { m.buildings.pop_back(); });

    tx.Undo();
    EXPECT_EQ(tx.model(), predicted) << "as it stood before the buildings changed";
    tx.Undo();
    EXPECT_EQ(tx.model(), SmallSite());
    tx.Redo();
    EXPECT_EQ(tx.model(), committed) << "the settings as committed; the document recomputes the levels";
}

TEST(UndoHistory, AViewChangeTakesBackOnlyTheFieldsItChanged) {
    CKelmoraViewData before = plantest::BlankWindow();
    CKelmoraViewData after = before;
    after.calibration.origin = {12, 34};
    CKelmoraViewData shown = after;
    shown.zoom.magnification = 3;  // zoomed since the step
    ApplyViewChange(shown, after, before);
    EXPECT_EQ(shown.calibration, before.calibration);
    EXPECT_EQ(shown.zoom.magnification, 3);
}

TEST(UndoHistory, ModifiedFlagAndPathFollowTheCleanState) {
    EditTransaction tx;
    tx.Load(SmallSite(), "/work/site.kel", false);
    auto move = [](CNoise& m) { m.outdoorSources[0].position.x += 1; };
    auto expect = [&tx](bool modified, const std::string& path, int line) {
        EXPECT_EQ(tx.modified(), modified) << "line " << line;
        EXPECT_EQ(tx.path(), path) << "line " << line;
    };

    CommitChain(tx, EditCommand::OutdoorSources, move);
    expect(true, "", __LINE__);
    tx.Undo();
    expect(false, "/work/site.kel", __LINE__);  // back at the opened file
    tx.Redo();
    expect(true, "", __LINE__);
    tx.Saved("/work/second.kel");
    expect(false, "/work/second.kel", __LINE__);
    tx.Undo();
    expect(true, "", __LINE__);  // the opened file's state is no longer what is on disk
    tx.Redo();
    expect(false, "/work/second.kel", __LINE__);
    EXPECT_EQ(tx.origin(), "/work/second.kel");

    // A new step after an undo: the saved step could only be redone, and is gone with the redo.
    CommitChain(tx, EditCommand::OutdoorSources, move);
    tx.Saved("/work/third.kel");
    tx.Undo();
    CommitChain(tx, EditCommand::GroundLines, [](CNoise& m) { m.groundLines.pop_back(); });
    EXPECT_FALSE(tx.CanRedo());
    EXPECT_EQ(tx.RedoName(), "");
    tx.Undo();
    expect(true, "", __LINE__);
    tx.Redo();
    expect(true, "", __LINE__);
    EXPECT_EQ(tx.origin(), "/work/third.kel") << "commits and undo leave the origin";

    // A restored backup is modified from the start: no step of it is clean until it is saved.
    EditTransaction restored;
    restored.Load(SmallSite(), "", true);
    CommitChain(restored, EditCommand::OutdoorSources, move);
    restored.Undo();
    EXPECT_TRUE(restored.modified());
    EXPECT_FALSE(restored.CanUndo()) << "opening clears the history";

    // A change without a step leaves no clean state either.
    tx.MarkModified();
    tx.Undo();
    tx.Redo();
    EXPECT_TRUE(tx.modified());
}

TEST(UndoHistory, RefusedWhileADialogIsOpenOrACalculationRuns) {
    EditTransaction tx;
    tx.Load(SmallSite(), "/work/site.kel", false);
    CommitChain(tx, EditCommand::Buildings, [](CNoise& m) { m.buildings.pop_back(); });
    const CNoise committed = tx.model();

    Follow(tx, tx.StartChain(EditCommand::Buildings, kUndoCentre));
    Follow(tx, tx.ListClosed(ListExit::Change, 0));
    ASSERT_EQ(tx.editMode(), kBuildingChangeMode);
    EXPECT_FALSE(tx.CanUndo());
    EXPECT_TRUE(tx.Undo().Empty());
    EXPECT_TRUE(tx.Redo().Empty());
    EXPECT_EQ(tx.model(), committed);
    EXPECT_EQ(tx.UndoName(), "建物情報の変更") << "the menu still names the step it would take back";
    Follow(tx, tx.EditorClosed(EditorExit::Cancel));
    tx.ListClosed(ListExit::Cancel);
    EXPECT_TRUE(tx.CanUndo());

    tx.BeginSizeChange(kUndoCentre);
    EXPECT_TRUE(tx.Undo().Empty());
    tx.SizeDialogClosed();
    tx.BeginPrediction(kUndoCentre);
    tx.PredictionClosed(PredictionExit::StartCalculation);
    ASSERT_EQ(tx.editMode(), kCalculationMode);
    EXPECT_TRUE(tx.Undo().Empty());
    EXPECT_TRUE(tx.CommitViewChange(kPictureStepName, 1, {}, {}, {6}).Empty()) << "not while it runs";
    tx.CalculationEnded();
    EXPECT_FALSE(tx.Undo().Empty());
}

// A history on a few steps of the small site: step k removes building k's memo … any change will do.
CNoise WithMemo(int k) {
    CNoise model = SmallSite();
    model.buildings[0].memo = "step " + std::to_string(k);
    return model;
}

TEST(UndoHistory, DepthBoundDropsTheOldestStepsAndTheCleanStateWithThem) {
    EditTransaction tx;
    tx.Load(WithMemo(0), "/work/site.kel", false);
    for (int k = 1; k <= static_cast<int>(kMaxUndoSteps) + 5; ++k)
        tx.CommitChange("step " + std::to_string(k), WithMemo(k), {});
    EXPECT_EQ(tx.history().steps(), kMaxUndoSteps);
    int undone = 0;
    while (tx.CanUndo()) {
        tx.Undo();
        ++undone;
    }
    EXPECT_EQ(undone, static_cast<int>(kMaxUndoSteps));
    EXPECT_EQ(tx.model(), WithMemo(5));
    EXPECT_TRUE(tx.modified()) << "the opened state fell off the front";
}

TEST(UndoHistory, MemoryBoundCountsSharedCopiesOnceAndKeepsNoStepLargerThanItself) {
    const CNoise s0 = WithMemo(0), s1 = WithMemo(1), s2 = WithMemo(2);
    const std::size_t each = MemoryBytes(s0.buildings);
    ASSERT_EQ(MemoryBytes(s1.buildings), each);
    {
        // Two steps on the buildings: the second starts from the first one's copy.
        UndoHistory history;
        history.RecordModel("1", {5}, kModelAndExtras, s0, {}, s1, {});
        history.RecordModel("2", {5}, kModelAndExtras, s1, {}, s2, {});
        EXPECT_EQ(history.bytes(), 3 * each);
    }
    {
        // Room for two copies: each new step pushes out the one before.
        UndoHistory history(kMaxUndoSteps, 3 * each - 1);
        history.RecordModel("1", {5}, kModelAndExtras, s0, {}, s1, {});
        EXPECT_EQ(history.steps(), 1u);
        history.RecordModel("2", {5}, kModelAndExtras, s1, {}, s2, {});
        EXPECT_EQ(history.steps(), 1u);
        EXPECT_LE(history.bytes(), history.maxBytes());
        EXPECT_EQ(history.UndoName(), "2");
    }
    {
        // A step larger than the whole bound is not kept, and the steps before it go too.
        UndoHistory history(kMaxUndoSteps, 3 * each);
        history.RecordModel("1", {5}, kModelAndExtras, s0, {}, s1, {});
        CNoise big = s1;
        big.buildings.assign(10, s1.buildings[0]);
        ASSERT_GT(MemoryBytes(big.buildings), 3 * each);
        history.RecordModel("big", {5}, kModelAndExtras, s1, {}, big, {});
        EXPECT_EQ(history.steps(), 0u);
        EXPECT_FALSE(history.CanUndo());
        EXPECT_FALSE(history.AtCleanState());
    }
}

}  // namespace
}  // namespace kelmora
