// The paths of a prediction point in the desktop program, without a display: an Alt + double click on a
// boundary point of the example draws its paths over the plan and lists them in the window "伝搬経路";
// choosing a row draws that path on top and its section; Esc, the window's closing and a committed edit
// take them away.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "QtTestApplication.h"
#include "app/MainWindow.h"
#include "app/MainWindowTest.h"
#include "app/PathsController.h"
#include "app/PathsWindow.h"
#include "app/PlanView.h"
#include "calc/PointPaths.h"
#include "calc/RunSites.h"
#include "propagation/SceneFixtures.h"
#include "view/PointPathsDrawing.h"
#include "view/ViewTransform.h"

namespace kelmora {
namespace {

// Lines of the overlay in the colour of a kind of path (strong or pale).
int PathLines(const DisplayLayer& layer, PathKind kind) {
    return static_cast<int>(std::count_if(layer.begin(), layer.end(), [kind](const Primitive& p) {
        const auto* path = std::get_if<PathPrimitive>(&p);
        return path != nullptr && !path->closed &&
               (path->pen.color == PathColour(kind, 1.0) || path->pen.color == PathColour(kind, 0.0));
    }));
}

class PathsWindowTest : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        OpenWindow();
        ASSERT_NO_FATAL_FAILURE(OpenExample());
        view = doc->views().front();
        view->setFocus();
    }

    // Double-clicks the boundary point `index` of the example's list on the plan.
    void DoubleClickPoint(std::size_t index, Qt::KeyboardModifiers keys) {
        const CVector3D at = doc->transaction().model().calcInfo.pointList.at(index).position;
        const ClientPoint pixel = ModelToPixel(view->shownViewData(), at);
        ASSERT_TRUE(view->rect().contains(QPoint(pixel.x, pixel.y)));
        QTest::mouseDClick(view, Qt::LeftButton, keys, QPoint(pixel.x + 2, pixel.y - 1));
    }
    PathsWindow* pathsWindow() { return window->paths().pathsWindow(*doc); }
    const DisplayLayer& overlay() const { return view->displayList().overlay; }

    PlanView* view = nullptr;
};

TEST_F(PathsWindowTest, AltDoubleClickOnAPointShowsItsPathsOnThePlanAndInTheTable) {
    // The site fitted into the window: points are picked where the window shows them, not where the
    // record alone would put them.
    view->FitToWindow();
    ASSERT_FALSE(view->display() == DisplayTransform{});
    DoubleClickPoint(2, Qt::NoModifier);
    EXPECT_EQ(doc->shownPaths(), nullptr) << "a plain double click is not for the paths";

    DoubleClickPoint(2, Qt::AltModifier);
    const ShownPaths* shown = doc->shownPaths();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->pointIndex, 2u);
    const std::vector<PointPath>& paths = shown->found.paths;
    ASSERT_FALSE(paths.empty());
    // The example's rooms reach the point through their openings, its outdoor sources straight or round.
    EXPECT_GT(PathLines(overlay(), PathKind::ThroughOpening), 0);
    EXPECT_GT(PathLines(overlay(), PathKind::Direct) + PathLines(overlay(), PathKind::Diffracted) +
                  PathLines(overlay(), PathKind::Reflected),
              0);

    PathsWindow* w = pathsWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle().section(QStringLiteral(" - "), 0, 0), QString::fromUtf8("伝搬経路"));
    EXPECT_EQ(w->table()->model()->rowCount(), static_cast<int>(paths.size()));
    EXPECT_TRUE(
        w->summary()->text().contains(QStringLiteral("LAeqT %1 dB").arg(shown->found.laeq, 0, 'f', 1)));
    // Strongest first.
    const QAbstractItemModel& rows = *w->table()->model();
    const double top = rows.index(0, 4).data(Qt::UserRole).toDouble();
    const double second = rows.index(1, 4).data(Qt::UserRole).toDouble();
    EXPECT_GE(top, second);
    EXPECT_EQ(top, std::max_element(paths.begin(), paths.end(), [](const PointPath& a, const PointPath& b) {
                       return a.laeq < b.laeq;
                   })->laeq);

    // Choosing the strongest path draws it on top, outlined, with its section beside.
    EXPECT_TRUE(w->sectionImage().isNull());
    w->table()->selectRow(0);
    ASSERT_TRUE(shown->selected.has_value());
    EXPECT_EQ(w->RowOfPath(*shown->selected), 0);
    EXPECT_EQ(paths[*shown->selected].laeq, top);
    EXPECT_FALSE(w->sectionImage().isNull());
    const auto* ring = std::get_if<EllipsePrimitive>(&overlay().back());
    ASSERT_NE(ring, nullptr);
    const bool outlined = std::any_of(overlay().begin(), overlay().end(), [](const Primitive& p) {
        const auto* path = std::get_if<PathPrimitive>(&p);
        return path != nullptr && path->pen.color == Rgb{0, 0, 0};
    });
    EXPECT_TRUE(outlined);

    // One source only: its paths, which sum to less.
    QComboBox* source = w->sourceChoice();
    ASSERT_GT(source->count(), 2);
    EXPECT_EQ(source->itemText(0), QString::fromUtf8("すべての音源"));
    const double every = shown->found.laeq;
    source->setCurrentIndex(1);
    emit source->activated(1);
    shown = doc->shownPaths();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->found.userSource, std::optional<std::size_t>(0));
    EXPECT_LT(shown->found.laeq, every);
    EXPECT_EQ(pathsWindow(), w);

    // Esc on the plan takes them away, with the window.
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(doc->shownPaths(), nullptr);
    EXPECT_EQ(PathLines(overlay(), PathKind::ThroughOpening), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(pathsWindow(), nullptr);
}

TEST_F(PathsWindowTest, ClosingTheWindowOrEditingTheModelTakesThePathsAway) {
    PathsController& paths = window->paths();
    // Shown for another window (a table of points) that keeps the keyboard: the window opens all the same.
    ASSERT_TRUE(paths.ShowPathsOfPoint(*doc, 0, std::size_t{0}, PathsFocus::Keep));
    ASSERT_NE(pathsWindow(), nullptr);
    EXPECT_TRUE(pathsWindow()->isVisible());
    EXPECT_FALSE(paths.ShowPathsOfPoint(*doc, 99)) << "no such point";
    ASSERT_NE(doc->shownPaths(), nullptr);
    ASSERT_NE(pathsWindow(), nullptr);
    pathsWindow()->close();
    EXPECT_EQ(doc->shownPaths(), nullptr);

    ASSERT_TRUE(paths.ShowPathsOfPoint(*doc, 1));
    EditTransaction& tx = doc->transaction();
    CNoise edited = tx.model();
    edited.outdoorSources.front().position.x += 1.0;
    doc->Apply(tx.CommitChange("インポート", edited, tx.extras()));
    EXPECT_EQ(doc->shownPaths(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(pathsWindow(), nullptr);
}

// Small sites whose paths are known, put in the document in place of the example: every path is drawn
// through its nodes in its kind's colour, and the levels of the table's rows add up to the point's.
TEST_F(PathsWindowTest, TheKnownPathsOfSmallSitesAreDrawnThroughTheirNodesAndSumToThePoint) {
    CNoise reflector = runsites::ReflectingWallSite(CBand::Filled(0.5), CBand::Filled(0.5));
    CNoise barrier;
    CGroundLine line = fixtures::GroundLine({{10, -100, 0}, {10, 100, 0}}, 1.0, 1.0);
    line.walls.push_back(fixtures::Wall(0.0, 200.0, 4.0));
    barrier.groundLines.push_back(line);
    const struct {
        CNoise site;
        std::vector<PathKind> kinds;  // of the paths, in the order found
    } cases[] = {{reflector, {PathKind::Direct, PathKind::Reflected}}, {barrier, {PathKind::Diffracted}}};
    for (const auto& c : cases) {
        CNoise site = c.site;
        site.outdoorSources.push_back(runsites::Source({0, 0, 1}, 100.0));
        site.calcInfo.mode = kSinglePointMode;
        site.calcInfo.singlePoint.position = {20, 0, 1};
        EditTransaction& tx = doc->transaction();
        doc->Apply(tx.CommitChange("インポート", site, tx.extras()));
        ASSERT_TRUE(window->paths().ShowPathsOfPoint(*doc, 0));

        const PointPaths& found = doc->shownPaths()->found;
        ASSERT_EQ(found.paths.size(), c.kinds.size());
        for (std::size_t k = 0; k < found.paths.size(); ++k) {
            const PointPath& path = found.paths[k];
            EXPECT_EQ(path.kind, c.kinds[k]);
            std::vector<CVertex2D> expected;
            for (const PathNodePlace& node : path.nodes)
                expected.push_back(ModelToClient(view->shownViewData(), node.point));
            const bool drawn = std::any_of(overlay().begin(), overlay().end(), [&](const Primitive& p) {
                const auto* line = std::get_if<PathPrimitive>(&p);
                return line != nullptr && line->pen.color == PathColour(path.kind, path.share) &&
                       line->parts.size() == 1 && line->parts[0] == expected;
            });
            EXPECT_TRUE(drawn) << PathKindName(path.kind);
        }
        const QAbstractItemModel& rows = *pathsWindow()->table()->model();
        ASSERT_EQ(rows.rowCount(), static_cast<int>(c.kinds.size()));
        double energy = 0.0;
        for (int r = 0; r < rows.rowCount(); ++r)
            energy += std::pow(10.0, rows.index(r, 4).data(Qt::UserRole).toDouble() / 10.0);
        EXPECT_NEAR(10.0 * std::log10(energy), found.laeq, 0.01);
        EXPECT_TRUE(pathsWindow()->summary()->text().contains(
            QStringLiteral("LAeqT %1 dB").arg(found.laeq, 0, 'f', 1)));
    }
}

}  // namespace
}  // namespace kelmora
