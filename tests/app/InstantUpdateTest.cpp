// Re-prediction from the transfers of the last run: an edit of powers or time patterns gives every
// point, and the map on the plan, exactly the results of a full run of the edited model, at once and
// without a run; any other edit waits for the next run, which traces only the pairs it touched.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QLabel>
#include <QSignalSpy>
#include <algorithm>
#include <bit>
#include <filesystem>

#include "QtTestApplication.h"
#include "app/CountedPredictionJob.h"
#include "app/MainWindow.h"
#include "app/MainWindowTest.h"
#include "app/MapController.h"
#include "app/RunTransfers.h"
#include "calc/FakeRunHost.h"
#include "model/persistence/ProjectFile.h"
#include "view/noisemap/LevelGrid.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

// The example's grid thinned to 3 × 3 nodes (every fifth node of its 11 × 11), once.
void UseSmallGrid(CNoise& m) {
    CCalcInfo& c = m.calcInfo;
    if (c.gridPoints.size() != 121) return;
    std::vector<CPredictivePoint> nodes;
    for (const int i : {0, 5, 10})
        for (const int j : {0, 5, 10})
            nodes.push_back(c.gridPoints.at(static_cast<std::size_t>(i * 11 + j)));
    c.mode = kHorizontalGridMode;
    c.rowDivisions = 2;
    c.columnDivisions = 2;
    c.gridPoints = nodes;
    m.maxReflections = 1;
}

CNoise SmallGrid() {
    CNoise m = ReadProjectFile(KELMORA_EXAMPLE_PROJECT).model;
    UseSmallGrid(m);
    return m;
}

// A whole run of `model` without files (every save dialog cancelled): the model with its results.
CNoise RunWhole(CNoise model, CTransferStore* store = nullptr) {
    FakeRunHost host;
    CPredictionJob job(model, {2, 0}, store);
    job.RunHere(host);
    EXPECT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    return model;
}

// A band's kind and values as bits.
std::vector<std::uint64_t> Bits(const CBand& band) {
    std::vector<std::uint64_t> bits{static_cast<std::uint64_t>(band.kind)};
    for (int b = 0; b < band.bandCount(); ++b)
        bits.push_back(std::bit_cast<std::uint64_t>(band.value(b)));
    return bits;
}

// Every point's LAeqT and LAmax, bit for bit.
void ExpectSameResults(const CNoise& got, const CNoise& want) {
    const std::span<const CPredictivePoint> a = got.calcInfo.PredictionPoints();
    const std::span<const CPredictivePoint> b = want.calcInfo.PredictionPoints();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(Bits(a[i].resultAverage), Bits(b[i].resultAverage)) << "LAeqT at point " << i;
        EXPECT_EQ(Bits(a[i].resultMax), Bits(b[i].resultMax)) << "LAmax at point " << i;
    }
}

CSound& FirstRoomSource(CNoise& m) {
    for (CBuilding& building : m.buildings)
        for (CRoom& room : building.rooms)
            if (!room.sources.empty()) return room.sources.front();
    throw std::runtime_error("the example has no room source");
}

void Raise(CBand& band, double dB) {
    for (int b = 0; b < band.bandCount(); ++b)
        band.value(b) += dB;
}

TEST(RunTransfers, PowerAndTimePatternEditsGiveTheResultsOfAFullRunWithoutOne) {
    RunTransfers transfers;
    CNoise model = SmallGrid();
    EXPECT_FALSE(transfers.UpdateResults(model)) << "nothing run yet";
    model = RunWhole(model, &transfers.store());
    transfers.RunEnded(model);
    ASSERT_TRUE(transfers.HasRun());
    const CNoise ran = model;

    // +3 dB on an outdoor source, another's duration halved, a room source's maximum power raised.
    Raise(model.outdoorSources.at(0).powerAverage, 3.0);
    model.outdoorSources.at(1).duration /= 2;
    Raise(FirstRoomSource(model).powerMax, 5.0);
    const CNoise before = model;
    ASSERT_TRUE(transfers.UpdateResults(model));
    ExpectSameResults(model, RunWhole(before));
    EXPECT_NE(Bits(model.calcInfo.gridPoints[4].resultAverage),
              Bits(ran.calcInfo.gridPoints[4].resultAverage));

    // Edits one after the other stay exact: a room source's power and the target time.
    Raise(FirstRoomSource(model).powerAverage, -6.0);
    model.targetTime /= 2;
    const CNoise again = model;
    ASSERT_TRUE(transfers.UpdateResults(model));
    ExpectSameResults(model, RunWhole(again));

    // A value a run refuses is left for the run to tell.
    model.outdoorSources.at(0).duration = -1;
    const CNoise refused = model;
    EXPECT_FALSE(transfers.UpdateResults(model));
    ExpectSameResults(model, refused);
}

TEST(RunTransfers, OtherEditsWaitForARunThatTracesOnlyThePairsTheyTouch) {
    RunTransfers transfers;
    const CNoise ran = RunWhole(SmallGrid(), &transfers.store());
    transfers.RunEnded(ran);

    // An outdoor source's Q and a moved barrier are no instant edits: the points keep their results.
    CNoise q = ran;
    q.outdoorSources.at(0).q = 4.0;
    EXPECT_FALSE(transfers.UpdateResults(q));
    ExpectSameResults(q, ran);
    CNoise moved = ran;
    moved.groundLines.at(1).walls.at(0).offsetHorizontal += 1.0;
    EXPECT_FALSE(transfers.UpdateResults(moved));
    ExpectSameResults(moved, ran);
    const CNoise edited = moved;

    // The next run counts the pairs it will trace first, traces just those and gives a full run's
    // results.
    const std::int64_t pairs = 9 * static_cast<std::int64_t>(UserSources(ran).size());
    FakeRunHost host;
    CountedPredictionJob job(moved, {2, 0}, transfers.store());
    job.RunHere(host);
    ASSERT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    EXPECT_GT(job.pairsToTrace(), 0);
    EXPECT_LT(job.pairsToTrace(), pairs);
    EXPECT_EQ(job.pairsTraced(), job.pairsToTrace());
    EXPECT_EQ(job.transferCounts().computed + job.transferCounts().reused, pairs);
    ExpectSameResults(moved, RunWhole(edited));

    // Without stored transfers nothing is counted: the run counts its points.
    CTransferStore none;
    CNoise fresh = SmallGrid();
    CountedPredictionJob full(fresh, {2, 0}, none);
    full.RunHere(host);
    EXPECT_EQ(full.pairsToTrace(), -1);
    EXPECT_EQ(full.pairsTraced(), pairs);
}

// Points and sources found by what they are: removed or reordered ones, or a copy of a source at its
// place, re-predict at once; a point added to the computed grid waits for a run that traces its pairs
// alone.
TEST(RunTransfers, PointsAndSourcesAreFoundByWhatTheyAre) {
    RunTransfers transfers;
    const CNoise ran = RunWhole(SmallGrid(), &transfers.store());
    transfers.RunEnded(ran);
    const std::int64_t users = static_cast<std::int64_t>(UserSources(ran).size());

    CNoise fewer = ran;
    std::vector<CPredictivePoint>& grid = fewer.calcInfo.gridPoints;
    grid.erase(grid.begin() + 4);
    std::reverse(grid.begin(), grid.end());
    std::swap(fewer.outdoorSources.at(0), fewer.outdoorSources.at(1));
    fewer.outdoorSources.push_back(fewer.outdoorSources.at(0));
    Raise(fewer.outdoorSources.back().powerAverage, 6.0);
    const CNoise instant = fewer;
    ASSERT_TRUE(transfers.UpdateResults(fewer));
    ExpectSameResults(fewer, RunWhole(instant));

    CNoise more = fewer;
    CPredictivePoint added = more.calcInfo.gridPoints.front();
    added.position.x += 3.7;
    more.calcInfo.gridPoints.push_back(added);
    EXPECT_FALSE(transfers.UpdateResults(more));
    const CNoise edited = more;
    FakeRunHost host;
    CountedPredictionJob job(more, {2, 0}, transfers.store());
    job.RunHere(host);
    ASSERT_EQ(host.ends, std::vector<int>{kJobNormalEnd});
    EXPECT_EQ(job.pairsToTrace(), users + 1);
    EXPECT_EQ(job.transferCounts().computed, users + 1);
    EXPECT_EQ(job.transferCounts().reused, 8 * (users + 1));
    ExpectSameResults(more, RunWhole(edited));
}

// The desktop program with the example open, without a display.
class InstantUpdate : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        MakeWorkFolder("instant");
        context.runSettings.threads = 2;
        OpenWindow();
        OpenExample();
    }

    // "予測計算開始..." of the prediction dialog on the small grid; returns once the run has ended.
    void RunGrid() {
        QSignalSpy finished(doc, &KelmoraDocument::calculationFinished);
        EditTransaction& tx = doc->transaction();
        tx.BeginPrediction({});
        UseSmallGrid(tx.workingCopy());
        doc->Apply(tx.PredictionClosed(PredictionExit::StartCalculation));
        ASSERT_TRUE(finished.wait(60000));
        ASSERT_EQ(finished.front().front().toInt(), kJobNormalEnd);
    }
    // A chain of the edit menu whose outermost list ends with OK after `edit` changed its working copy
    // (as its dialogs would).
    template <typename Edit>
    void Commit(EditCommand command, Edit edit) {
        EditTransaction& tx = doc->transaction();
        tx.StartChain(command, {});
        edit(tx.workingCopy());
        doc->Apply(tx.ListClosed(ListExit::Ok));
    }
    std::vector<double> MapLevels() {
        const NoiseMap* map = doc->noiseMap().Map();
        return map != nullptr ? map->grid.levels : std::vector<double>{};
    }
    static LevelGrid LevelsGrid(const CNoise& m) {
        const CCalcInfo& c = m.calcInfo;
        return GridFromPoints(c.gridPoints, c.rowDivisions, c.columnDivisions, MapQuantity::LAeqT);
    }
    static std::vector<double> LevelsOf(const CNoise& m) { return LevelsGrid(m).levels; }
};

TEST_F(InstantUpdate, PowerEditRedrawsTheMapAtOnceAndAGeometryEditWaitsForTheRun) {
    RunGrid();
    const std::vector<double> ran = MapLevels();
    ASSERT_EQ(ran.size(), 9u);
    const QLabel& mark = window->maps().outOfDateMark();

    // The band editor's OK on an outdoor source's power, the source editor's OK, the list's OK.
    QSignalSpy runs(doc, &KelmoraDocument::calculationFinished);
    QSignalSpy updates(doc, &KelmoraDocument::resultsUpdated);
    Commit(EditCommand::OutdoorSources, [](CNoise& m) { Raise(m.outdoorSources.at(0).powerAverage, 10.0); });
    EXPECT_EQ(updates.size(), 1);
    EXPECT_EQ(runs.size(), 0);
    EXPECT_FALSE(doc->calculating()) << "no progress dialog";
    EXPECT_FALSE(doc->mapOutOfDate());
    EXPECT_FALSE(mark.isVisibleTo(window.get()));
    const CNoise full = RunWhole(doc->transaction().model());
    ExpectSameResults(doc->transaction().model(), full);
    EXPECT_NE(MapLevels(), ran);
    EXPECT_EQ(MapLevels(), LevelsOf(full));

    // A moved barrier only marks the map out of date.
    Commit(EditCommand::GroundLines,
           [](CNoise& m) { m.groundLines.at(1).walls.at(0).offsetHorizontal += 1.0; });
    EXPECT_EQ(updates.size(), 1);
    EXPECT_TRUE(doc->mapOutOfDate());
    EXPECT_TRUE(mark.isVisibleTo(window.get()));

    // The run after it reuses the other pairs and ends with a full run's map.
    RunGrid();
    EXPECT_FALSE(doc->mapOutOfDate());
    EXPECT_EQ(MapLevels(), LevelsOf(RunWhole(doc->transaction().model())));
}

TEST_F(InstantUpdate, AResultFileOnThePlanStaysAndTheLevelShownIsKept) {
    RunGrid();
    window->maps().actions().lamax->trigger();
    ASSERT_EQ(doc->noiseMap().Showing(), MapQuantity::LAmax);
    Commit(EditCommand::OutdoorSources, [](CNoise& m) { m.outdoorSources.at(0).duration /= 4; });
    EXPECT_EQ(doc->noiseMap().Showing(), MapQuantity::LAmax) << "the user's choice of level stays";
    EXPECT_FALSE(doc->mapOutOfDate());

    // A result file opened onto the plan is not replaced by an edit's results.
    doc->noiseMap().TakeResultFile(LevelsGrid(doc->transaction().model()), MapQuantity::LAeqT,
                                   doc->transaction().model());
    QSignalSpy updates(doc, &KelmoraDocument::resultsUpdated);
    Commit(EditCommand::OutdoorSources, [](CNoise& m) { m.outdoorSources.at(0).duration /= 2; });
    EXPECT_EQ(updates.size(), 1);
    EXPECT_FALSE(doc->noiseMap().FromRun());
    EXPECT_TRUE(doc->mapOutOfDate());
}

}  // namespace
}  // namespace kelmora
