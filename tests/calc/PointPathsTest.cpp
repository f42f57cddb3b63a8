// The paths of one prediction point on sites whose paths can be followed by hand: a barrier between
// source and point (one diffracted path over its top), an endless reflecting wall beside them (the
// direct path and one reflected at the wall's mid-point), and a room behind a small opening (a path
// from the room source out through the opening, and one more off the ground). The paths' levels must
// add up in energy to the point's levels as the run computes them.
#include "calc/PointPaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "RunSites.h"
#include "calc/OpeningSources.h"
#include "calc/PointPrediction.h"
#include "model/PredictivePoint.h"
#include "propagation/SceneFixtures.h"

namespace kelmora {
namespace {

using fixtures::SamePoint;
using runsites::Source;

// The point's LAeqT and LAmax as the run computes them (ComputePoint on the site of the run).
struct RunLevels {
    double laeq = 0.0;
    double lamax = 0.0;
};

RunLevels RunLevelsAt(const CNoise& model, const CVector3D& position) {
    CNoise copy = model;
    BuildOpeningSources(copy);
    const PredictionSite site(copy);
    CPredictivePoint point;
    point.position = position;
    CBreakdownWriter w(nullptr, nullptr);
    ComputePoint(site, point, w);
    return {point.resultAverage.overallLevel(), point.resultMax.overallLevel()};
}

CNoise WithSinglePoint(CNoise model, const CVector3D& position) {
    model.calcInfo.mode = kSinglePointMode;
    model.calcInfo.singlePoint.position = position;
    return model;
}

double EnergySumOf(const std::vector<PointPath>& paths, double PointPath::*level) {
    double energy = 0.0;
    for (const PointPath& p : paths)
        energy += std::pow(10.0, p.*level / 10.0);
    return 10.0 * std::log10(energy);
}

// The paths sum to the point's levels as a run computes them, and their shares to one.
void ExpectPathsSumToTheRun(const CNoise& model, const PointPaths& found) {
    const RunLevels run = RunLevelsAt(model, found.position);
    EXPECT_NEAR(EnergySumOf(found.paths, &PointPath::laeq), run.laeq, 0.01);
    EXPECT_NEAR(EnergySumOf(found.paths, &PointPath::lamax), run.lamax, 0.01);
    EXPECT_NEAR(found.laeq, run.laeq, 1e-9);
    EXPECT_NEAR(found.lamax, run.lamax, 1e-9);
    double shares = 0.0;
    for (const PointPath& p : found.paths)
        shares += p.share;
    EXPECT_NEAR(shares, 1.0, 1e-9);
}

std::vector<PathNodeRole> RolesOf(const PointPath& path) {
    std::vector<PathNodeRole> roles;
    for (const PathNodePlace& node : path.nodes)
        roles.push_back(node.role);
    return roles;
}

TEST(FindPointPaths, OneBarrierGivesOneDiffractedPathOverItsTop) {
    // A knife-edge barrier 4 m high across the path halfway, on ground that absorbs everything.
    CNoise site;
    CGroundLine line = fixtures::GroundLine({{10, -100, 0}, {10, 100, 0}}, 1.0, 1.0);
    CWall wall = fixtures::Wall(0.0, 200.0, 4.0);
    wall.absorptionLeft = wall.absorptionRight = CBand::Filled(1.0);
    wall.memo = "遮音壁";
    line.walls.push_back(wall);
    site.groundLines.push_back(line);
    site.outdoorSources.push_back(Source({0, 0, 1}, 100.0));
    site = WithSinglePoint(site, {20, 0, 1});

    const std::optional<PointPaths> found = FindPointPaths(site, 0);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->paths.size(), 1u);
    const PointPath& path = found->paths[0];
    EXPECT_EQ(path.kind, PathKind::Diffracted);
    EXPECT_EQ(path.diffractions, 1);
    EXPECT_EQ(path.reflections, 0);
    EXPECT_EQ(RolesOf(path), (std::vector<PathNodeRole>{PathNodeRole::Source, PathNodeRole::Diffraction,
                                                        PathNodeRole::Receiver}));
    EXPECT_TRUE(SamePoint(path.nodes[0].point, {0, 0, 1}));
    EXPECT_TRUE(SamePoint(path.nodes[1].point, {10, 0, 4}, 1e-6));
    EXPECT_TRUE(path.nodes[1].onPath);
    EXPECT_TRUE(SamePoint(path.nodes[2].point, {20, 0, 1}));
    ASSERT_EQ(path.faces.size(), 1u);
    EXPECT_EQ(path.faces[0].role, PathFaceRole::Diffraction);
    EXPECT_EQ(path.faces[0].name, "ofナイフウェッジ壁(遮音壁)");
    EXPECT_FALSE(path.faces[0].passesBeside);
    EXPECT_EQ(PathFacesText(path), "回折 ofナイフウェッジ壁(遮音壁)");
    EXPECT_EQ(PathKindText(path), "回折(1)");
    ExpectPathsSumToTheRun(site, *found);
}

TEST(FindPointPaths, OneReflectorGivesTheDirectAndTheReflectedPath) {
    // Source and point 20 m apart, 5 m from an endless wall that absorbs half.
    CNoise site = runsites::ReflectingWallSite(CBand::Filled(0.5), CBand::Filled(0.5));
    site.outdoorSources.push_back(Source({0, 0, 1}, 100.0));
    site = WithSinglePoint(site, {20, 0, 1});

    const std::optional<PointPaths> found = FindPointPaths(site, 0);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->paths.size(), 2u);
    const PointPath& direct = found->paths[0];
    const PointPath& reflected = found->paths[1];
    EXPECT_EQ(direct.kind, PathKind::Direct);
    EXPECT_EQ(RolesOf(direct), (std::vector<PathNodeRole>{PathNodeRole::Source, PathNodeRole::Receiver}));
    EXPECT_TRUE(direct.faces.empty());
    EXPECT_EQ(PathKindText(direct), "直接");
    EXPECT_EQ(PathFacesText(direct), "");
    EXPECT_EQ(reflected.kind, PathKind::Reflected);
    EXPECT_EQ(RolesOf(reflected), (std::vector<PathNodeRole>{PathNodeRole::Source, PathNodeRole::Reflection,
                                                             PathNodeRole::Receiver}));
    EXPECT_TRUE(SamePoint(reflected.nodes[1].point, {10, 5, 1}, 1e-9));
    ASSERT_EQ(reflected.faces.size(), 1u);
    EXPECT_EQ(reflected.faces[0].role, PathFaceRole::Reflection);
    EXPECT_EQ(reflected.faces[0].name, "ofナイフウェッジ壁");

    // The reflected path runs √500 m against the direct 20 m and loses 3 dB at the wall: by hand,
    // 20·log10(√500 / 20) + 3.01 = 3.98 dB below the direct path, air absorption aside.
    EXPECT_NEAR(direct.laeq - reflected.laeq, 3.98, 0.05);
    EXPECT_GT(direct.share, reflected.share);
    ExpectPathsSumToTheRun(site, *found);
}

// RoomWithOneOpening of the run's tests with a reflecting ground beside it and an outdoor source.
CNoise RoomBehindAnOpening() {
    CWindow opening;
    opening.rect = {{0, 0, 1}, {0, 1, 1}, {0, 1, 2}};
    opening.tl = CBand::Filled(10.0);
    opening.isOutdoorSource = 1;
    opening.memo = "シャッター";
    CRoom room;
    room.computeFromShape = 0;
    room.surfaceArea = 100.0;
    room.meanAbsorption = CBand::Filled(0.5);
    room.openings = {opening};
    room.memo = "プレス室";
    room.sources = {Source({-1.8, 0.5, 1.5}, 100.0, 2.0, 110.0)};
    CBuilding building;
    building.memo = "工場";
    building.rooms = {room};
    CNoise site;
    site.buildings = {building};
    // Ground far to the side: one flat ground face under the path that reflects everything.
    site.groundLines.push_back(fixtures::GroundLine({{-100, 80, 0}, {200, 80, 0}}, 0.0, 0.0));
    site.outdoorSources.push_back(Source({50, -30, 2}, 90.0));
    return WithSinglePoint(site, {40.2, 0.5, 1.5});
}

TEST(FindPointPaths, ARoomSourceReachesThePointThroughItsOpening) {
    const CNoise site = RoomBehindAnOpening();
    const std::optional<PointPaths> fromRoom = FindPointPaths(site, 0, std::size_t{1});
    ASSERT_TRUE(fromRoom);
    ASSERT_EQ(fromRoom->sources.size(), 1u);
    EXPECT_EQ(fromRoom->sources[0].outcome, SourceOutcome::Reached);
    // The direct path and the one off the ground, both from the opening's one patch.
    ASSERT_EQ(fromRoom->paths.size(), 2u);
    for (const PointPath& path : fromRoom->paths) {
        EXPECT_EQ(path.userSource, 1u);
        EXPECT_EQ(path.kind, PathKind::ThroughOpening);
        EXPECT_EQ(path.opening, "工場:プレス室:シャッター");
        ASSERT_GE(path.nodes.size(), 3u);
        EXPECT_EQ(path.nodes[0].role, PathNodeRole::RoomSource);
        EXPECT_TRUE(SamePoint(path.nodes[0].point, {-1.8, 0.5, 1.5}));
        EXPECT_EQ(path.nodes[1].role, PathNodeRole::Source);
        EXPECT_TRUE(SamePoint(path.nodes[1].point, {0.2, 0.5, 1.5}, 1e-12));
        EXPECT_EQ(path.nodes.back().role, PathNodeRole::Receiver);
    }
    EXPECT_EQ(fromRoom->paths[0].nodes.size(), 3u);
    const PointPath& viaGround = fromRoom->paths[1];
    ASSERT_EQ(viaGround.faces.size(), 1u);
    EXPECT_EQ(viaGround.faces[0].name, "of地表面");
    EXPECT_EQ(PathFacesText(viaGround), "開口部 工場:プレス室:シャッター → 反射 of地表面");
    EXPECT_EQ(PathKindText(viaGround), "開口部・反射(1)");
    EXPECT_EQ(PathKindText(fromRoom->paths[0]), "開口部");
    EXPECT_TRUE(SamePoint(viaGround.nodes[2].point, {20.2, 0.5, 0}, 1e-9));
    // The direct path from the opening: Lw − TL + C − 11 + 10·log10 Q − 20·log10 40, air aside.
    const double roomTerm = 10.0 * std::log10(2.0 / (4.0 * M_PI * 4.0) + 0.01);
    const double direct = 100.0 - 10.0 + roomTerm + runsites::Spreading(40.0, 2.0) + 10.0 * std::log10(21.0);
    EXPECT_NEAR(fromRoom->paths[0].laeq, direct, 0.3);
    EXPECT_EQ(UserSourceLabel(site, 1), "室内音源1(工場:プレス室)");

    // With every source, the outdoor source's paths come first, and all of them sum to the point.
    const std::optional<PointPaths> all = FindPointPaths(site, 0);
    ASSERT_TRUE(all);
    ASSERT_EQ(all->paths.size(), 4u);
    EXPECT_EQ(all->paths[0].userSource, 0u);
    EXPECT_EQ(all->paths[0].kind, PathKind::Direct);
    EXPECT_EQ(all->paths[1].kind, PathKind::Reflected);
    EXPECT_EQ(UserSourceLabel(site, 0), "外部音源1");
    ExpectPathsSumToTheRun(site, *all);
    // One source alone sums to its own share of the point.
    EXPECT_LT(fromRoom->laeq, all->laeq);
    EXPECT_NEAR(EnergySumOf(fromRoom->paths, &PointPath::laeq), fromRoom->laeq, 0.01);
}

TEST(FindPointPaths, NothingIsTracedToAPointUnderground) {
    CNoise site;
    site.groundLines.push_back(fixtures::GroundLine({{-100, 50, 5}, {100, 50, 5}}));
    site.outdoorSources.push_back(Source({0, 0, 6}, 100.0));
    site = WithSinglePoint(site, {10, 0, 1});  // 4 m below the ground at 5 m
    const std::optional<PointPaths> found = FindPointPaths(site, 0);
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->aboveGround);
    EXPECT_TRUE(found->paths.empty());
    EXPECT_EQ(found->laeq, kNoSoundLevel);
    // No such point or source: nothing.
    EXPECT_FALSE(FindPointPaths(site, 1));
    EXPECT_FALSE(FindPointPaths(site, 0, std::size_t{1}));
}

TEST(FindPointPaths, ASourceBeyondTheEffectiveDistanceIsToldApart) {
    CNoise site;
    site.effectiveDistance = 100.0;
    site.outdoorSources.push_back(Source({0, 0, 1}, 100.0));
    site.outdoorSources.push_back(Source({500, 0, 1}, 100.0));
    site = WithSinglePoint(site, {10, 0, 1});
    const std::optional<PointPaths> found = FindPointPaths(site, 0);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->sources.size(), 2u);
    EXPECT_EQ(found->sources[0].outcome, SourceOutcome::Reached);
    EXPECT_EQ(found->sources[1].outcome, SourceOutcome::TooFar);
    ASSERT_EQ(found->paths.size(), 1u);
    EXPECT_EQ(found->paths[0].userSource, 0u);
}

}  // namespace
}  // namespace kelmora
