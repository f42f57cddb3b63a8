#include <gtest/gtest.h>

#include <vector>

#include "propagation/ObstacleFixtures.h"
#include "propagation/ReflectionCorrection.h"

namespace kelmora {
namespace {

TEST(AbsorptionTowards, SideFacingThePointAndLeftOnThePlane) {
    CRectObstacle wall = Barrier(0.0, 5.0);  // left side faces +x
    wall.absorptionLeft = CBand::Filled(0.3);
    wall.absorptionRight = CBand::Filled(0.7);
    wall.diffuseLeft = kDiffuseReflection;
    const auto left = AbsorptionTowards(wall, {2, 0, 1});
    EXPECT_EQ(&left.facing, &wall.absorptionLeft);
    EXPECT_EQ(&left.other, &wall.absorptionRight);
    const auto right = AbsorptionTowards(wall, {-2, 0, 1});
    EXPECT_EQ(&right.facing, &wall.absorptionRight);
    EXPECT_EQ(&right.other, &wall.absorptionLeft);
    const auto on = AbsorptionTowards(wall, {0, 3, 1});
    EXPECT_EQ(&on.facing, &wall.absorptionLeft);
    EXPECT_EQ(&on.other, &wall.absorptionLeft);

    EXPECT_TRUE(IsDiffuseTowards(wall, {2, 0, 1}));
    EXPECT_FALSE(IsDiffuseTowards(wall, {-2, 0, 1}));
    EXPECT_FALSE(IsDiffuseTowards(wall, {0, 3, 1}));  // on the plane: the right side decides
}

// The scene's flags answer as the spectra do, also for a side absorbing all but one band.
TEST(AbsorptionTowards, SceneKnowsWhichSidesAbsorbEverything) {
    std::vector<CRectObstacle> faces(2, Barrier(0.0, 5.0));  // left sides face +x
    faces[0].absorptionLeft = CBand::Filled(1.0);
    faces[0].absorptionRight = CBand::Filled(0.7);
    faces[1].absorptionLeft = CBand::Filled(1.0);
    faces[1].absorptionLeft.value(k1kHz) = 0.99;
    faces[1].absorptionRight = CBand::Filled(1.0);
    const CFaceFrames scene(faces);
    for (FaceIndex f = 0; f < 2; ++f) {
        for (const CVector3D& p : {CVector3D{2, 0, 1}, CVector3D{-2, 0, 1}, CVector3D{0, 3, 1}}) {
            EXPECT_EQ(AbsorbsAllTowards(scene, f, p), AbsorptionTowards(faces[f], p).facing.allEqual(1.0))
                << f << " " << p;
        }
    }
    EXPECT_TRUE(AbsorbsAllTowards(scene, 0, {0, 3, 1}));  // on the plane: the left side
    EXPECT_FALSE(AbsorbsAllTowards(scene, 1, {0, 3, 1}));
}

TEST(SpecularReflectionCorrection, ReflectorWithoutFiniteEdgesReflectsFully) {
    const auto c = SpecularReflectionCorrection(Barrier(5.0, 4.0, kNoSide), {10, 0, 1}, {-35, 0, 1});
    ASSERT_TRUE(c);
    for (const double v : c->third)
        EXPECT_EQ(v, 0.0);
}

// A 4 m high, long reflector in the plane x = 5 with only its top as a finite edge; the source at (0,0,1)
// is mirrored to S′ = (10,0,1), the receiver stands at x = −35 at various heights. Values worked out by
// hand from g(N) = 0.5/(1 + (10N)^(2/3))^1.5, N = 2|δ|f/343.7: a reflection point on the reflector keeps
// 1 − g, one above the top only g.
TEST(SpecularReflectionCorrection, OneEdgeOnBothSidesOfIt) {
    struct Case {
        double receiverHeight;
        double expected;  // dB at 1 kHz
    };
    const std::vector<Case> cases = {
        {1.0, -0.035928680},    // reflection point 3 m below the top (10·log10 g, the share beyond the edge,
                                // would be −20.8 dB)
        {9.0, -0.073128891},    // 2.1 m below the top (10·log10 g would be −17.8 dB)
        {27.95, -2.993878363},  // just below the top
        {28.0, -3.010299957},   // S′–R through the top: half the energy
        {28.05, -3.026761030},  // just above the top
        {30.0, -4.901108603},   // 0.22 m above the top
    };
    for (const Case& c : cases) {
        const auto d =
            SpecularReflectionCorrection(Barrier(5.0, 4.0), {10, 0, 1}, {-35, 0, c.receiverHeight});
        ASSERT_TRUE(d) << c.receiverHeight;
        EXPECT_NEAR(d->third[k1kHz], c.expected, 1e-8) << c.receiverHeight;
        EXPECT_DOUBLE_EQ(d->overall, d->overallLevel());
    }
}

// The reflector from z = 2 to z = 4 with top and foot as finite edges.
TEST(SpecularReflectionCorrection, StripBetweenTwoOppositeEdges) {
    struct Case {
        double receiverHeight;
        double expected;  // dB at 1 kHz
    };
    const std::vector<Case> cases = {
        {19.0, -0.578472886},   // S′–R crosses at z = 3: 10·log10(1 − e_top − e_foot)
        {37.0, -11.378239732},  // above the top at z = 5: 10·log10 |e_top − e_foot|
        {5.5, -9.011399807},    // below the foot at z = 1.5
    };
    const CRectObstacle strip = Barrier(5.0, 4.0, SideMask{1, 0, 1, 0}, 50.0, 2.0);
    for (const Case& c : cases) {
        const auto d = SpecularReflectionCorrection(strip, {10, 0, 1}, {-35, 0, c.receiverHeight});
        ASSERT_TRUE(d) << c.receiverHeight;
        EXPECT_NEAR(d->third[k1kHz], c.expected, 1e-8) << c.receiverHeight;
    }
}

// A 6 m × 4 m reflector in the plane x = 5 (y from −3 to 3, z from 0 to 4), S′ = (10,1,2), R = (−20,−1,2.5):
// the reflection point (5, 0.67, 2.08) lies on it.
TEST(SpecularReflectionCorrection, AdjacentThreeAndFourEdges) {
    struct Case {
        SideMask sides;
        double expected;  // dB at 1 kHz
    };
    const std::vector<Case> cases = {
        {{1, 1, 0, 0}, -0.099388775},  // (1 − eA)(1 − eB)
        {{1, 1, 0, 1}, -0.151512535},  // (1 − eA)(1 − eB − eD)
        {{1, 1, 1, 1}, -0.216764445},  // (1 − eA − eC)(1 − eB − eD)
    };
    for (const Case& c : cases) {
        const auto d =
            SpecularReflectionCorrection(Barrier(5.0, 4.0, c.sides, 3.0, 0.0), {10, 1, 2}, {-20, -1, 2.5});
        ASSERT_TRUE(d);
        EXPECT_NEAR(d->third[k1kHz], c.expected, 1e-8)
            << c.sides[0] << c.sides[1] << c.sides[2] << c.sides[3];
    }
}

TEST(SpecularReflectionCorrection, FailsWhenTheReflectedRayMissesThePlane) {
    EXPECT_FALSE(SpecularReflectionCorrection(Barrier(5.0, 4.0), {10, 0, 1}, {8, 0, 1}));
}

}  // namespace
}  // namespace kelmora
