#include "geometry/Plane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "GeometryExpect.h"
#include "geometry/VectorOps.h"

namespace kelmora {
namespace {

// A horizontal 10 m × 10 m face at z = 0 whose corners turn anticlockwise seen from above: its left
// side (normal) is up.
const CFaceCorners kFloor{{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}};

TEST(Plane, NormalFollowsTheTurnFromSideAToSideB) {
    EXPECT_TRUE(Near(UnitNormal(kFloor[0], kFloor[1], kFloor[2]), {0, 0, 1}));
    EXPECT_TRUE(Near(UnitNormal(kFloor[2], kFloor[1], kFloor[0]), {0, 0, -1}));
    EXPECT_EQ(UnitNormal({0, 0, 0}, {1, 1, 1}, {3, 3, 3}), CVector3D{});
    const CPlane plane = PlaneFromPoints({0, 0, 2}, {1, 0, 2}, {1, 1, 2});
    EXPECT_EQ(plane, (CPlane{0, 0, 1, 2}));
}

TEST(Plane, SideOfPlaneHasNoTolerance) {
    const CVector3D p0{0, 0, 5}, p1{10, 0, 5}, p2{10, 10, 5};
    EXPECT_EQ(SideOfPlane({3, 3, 5}, p0, p1, p2), 0);
    EXPECT_EQ(SideOfPlane({3, 3, 5 + 1e-12}, p0, p1, p2), 1);
    EXPECT_EQ(SideOfPlane({3, 3, 5 - 1e-12}, p0, p1, p2), -1);
    EXPECT_EQ(SideOfPlane({3, 3, 6}, p2, p1, p0), -1);  // reversed corners swap the sides
}

TEST(Plane, DistanceProjectionAndMirrorInATiltedPlane) {
    // The plane x + z = 2 through three of its points; normal (1, 0, 1)/√2.
    const CVector3D p0{2, 0, 0}, p1{0, 0, 2}, p2{0, 5, 2};
    const CVector3D p{3, 7, 3};  // x + z = 6: 4/√2 = √8 from the plane
    EXPECT_NEAR(DistancePointPlane(p, p0, p1, p2), std::sqrt(8.0), 1e-12);
    EXPECT_TRUE(Near(ProjectPointOnPlane(p, p0, p1, p2), {1, 7, 1}));
    EXPECT_TRUE(Near(MirrorPoint(p, p0, p1, p2), {-1, 7, -1}));
}

TEST(Plane, MirrorTwiceIsIdentityAndProjectionLiesHalfway) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> u(-100.0, 100.0);
    for (int i = 0; i < 200; ++i) {
        const CVector3D p0{u(rng), u(rng), u(rng)}, p1{u(rng), u(rng), u(rng)}, p2{u(rng), u(rng), u(rng)};
        const CVector3D p{u(rng), u(rng), u(rng)};
        const CVector3D image = MirrorPoint(p, p0, p1, p2);
        EXPECT_TRUE(Near(MirrorPoint(image, p0, p1, p2), p, 1e-9));
        EXPECT_TRUE(Near(ProjectPointOnPlane(p, p0, p1, p2), 0.5 * (p + image), 1e-9));
        EXPECT_NEAR(DistancePointPlane(image, p0, p1, p2), DistancePointPlane(p, p0, p1, p2), 1e-9);
        if (DistancePointPlane(p, p0, p1, p2) > 1e-6) {
            EXPECT_EQ(SideOfPlane(image, p0, p1, p2), -SideOfPlane(p, p0, p1, p2));
        }
    }
}

TEST(Plane, SegmentMeetsPlaneWithTheMicrometreRule) {
    const CPlane ground = PlaneFromPoints(kFloor[0], kFloor[1], kFloor[2]);  // z = 0
    struct Case {
        CVector3D a, b;
        bool hits;
        CVector3D at;
        const char* what;
    };
    const Case cases[] = {
        {{1, 2, -1}, {1, 2, 3}, true, {1, 2, 0}, "crossing at a quarter"},
        {{0, 0, 4}, {8, 0, -4}, true, {4, 0, 0}, "oblique"},
        {{1, 2, 5e-7}, {1, 2, 3}, true, {1, 2, 5e-7}, "touching with one end within 1e-6"},
        {{1, 2, 3}, {1, 2, -9e-7}, true, {1, 2, -9e-7}, "touching from above"},
        {{1, 2, 2e-6}, {1, 2, 3}, false, {}, "end 2e-6 above: same side"},
        {{0, 0, 0}, {5, 5, 0}, false, {}, "lying in the plane"},
        {{0, 0, 1e-7}, {5, 5, -1e-7}, false, {}, "within 1e-6 of the plane all along"},
        {{0, 0, 1}, {5, 5, 2}, false, {}, "above"},
    };
    for (const Case& c : cases) {
        const auto hit = IntersectSegmentPlane(c.a, c.b, ground);
        ASSERT_EQ(hit.has_value(), c.hits) << c.what;
        if (hit) {
            EXPECT_TRUE(Near(*hit, c.at, 1e-12)) << c.what;
        }
    }
    const auto viaFace = IntersectSegmentFacePlane({50, 50, -1}, {50, 50, 1}, kFloor);  // outside the face
    ASSERT_TRUE(viaFace);
    EXPECT_TRUE(Near(*viaFace, {50, 50, 0}));
}

TEST(Plane, PointInFaceOffPlaneLimitIsFixed) {
    for (double tol : {0.0, 0.001, 1.0}) {
        EXPECT_TRUE(PointInFace(kFloor, {5, 5, 0.0009}, tol)) << tol;
        EXPECT_TRUE(PointInFace(kFloor, {5, 5, -0.0009}, tol)) << tol;
        EXPECT_FALSE(PointInFace(kFloor, {5, 5, 0.0011}, tol)) << tol;
    }
}

TEST(Plane, PointInFaceRimAndSurroundings) {
    struct Case {
        CVector3D p;
        double tol;
        bool on;
        const char* what;
    };
    const Case cases[] = {
        {{5, 5, 0}, 0.001, true, "middle"},
        {{9.99, 0.01, 0}, -1.0, true, "inside near a corner, by the triangles alone"},
        {{5, 0, 0}, 0.0, true, "on side A, by the side rule"},
        {{5, 0, 0}, -1.0, false, "on side A is not inside any triangle"},
        {{10, 10, 0}, 0.0, true, "corner"},
        {{5, 10.0009, 0}, 0.001, true, "just outside side C"},
        {{5, 10.0011, 0}, 0.001, false, "outside side C"},
        {{-0.0011, 5, 0}, 0.001, false, "outside side D"},
        {{50, 0, 0}, 0.001, false, "far out on the line of side A"},
        {{10.0005, -0.0005, 0}, 0.001, true, "just beyond a corner"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PointInFace(kFloor, c.p, c.tol), c.on) << c.what;
}

// Along every side and at every corner of a level square and of a tilted, turned 8 m × 3 m rectangle:
// on the rim, within the tolerance outside it, beyond the tolerance.
TEST(Plane, PointInFaceRimOnEverySide) {
    const double c = std::cos(0.6);
    const double s = std::sin(0.6);
    const CVector3D u{c, s, 0.2};
    const CVector3D v{-s * 0.9, c * 0.9, 0.3};
    const CVector3D o{100, -50, 7};
    const CFaceCorners tilted{{o, o + 8.0 * u, o + 8.0 * u + 3.0 * v, o + 3.0 * v}};
    for (const CFaceCorners& face : {kFloor, tilted}) {
        const CVector3D n = UnitNormal(face[0], face[1], face[2]);
        const CVector3D centre = 0.25 * (face[0] + face[1] + face[2] + face[3]);
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE(testing::Message() << "side " << k);
            const CVector3D& a = face[k];
            const CVector3D& b = face[(k + 1) % 4];
            const CVector3D along = (1.0 / Length(b - a)) * (b - a);
            const CVector3D out = Cross(along, n);  // in the plane, away from the face
            ASSERT_GT(Dot(out, a - centre), 0.0);
            for (const double t : {0.0, 0.3, 1.0}) {
                const CVector3D rim = a + t * (b - a);
                EXPECT_TRUE(PointInFace(face, rim, 0.0)) << t;
                EXPECT_TRUE(PointInFace(face, rim + 0.0009 * out, 0.001)) << t;
                EXPECT_FALSE(PointInFace(face, rim + 0.0011 * out, 0.001)) << t;
            }
            EXPECT_TRUE(PointInFace(face, a + 0.3 * (b - a) - 0.0009 * out, 0.0));  // just inside
            // Beyond the side's end along its line.
            EXPECT_FALSE(PointInFace(face, b + 0.0011 * along, 0.001));
            EXPECT_TRUE(PointInFace(face, b + 0.0009 * along, 0.001));
        }
    }
}

TEST(Plane, PointInFaceOnAVerticalWall) {
    const CFaceCorners wall{{{0, 0, 5}, {10, 0, 5}, {10, 0, 0}, {0, 0, 0}}};
    EXPECT_TRUE(PointInFace(wall, {4, 0.0005, 2}, 0.001));
    EXPECT_FALSE(PointInFace(wall, {4, 0.002, 2}, 0.001));
    EXPECT_FALSE(PointInFace(wall, {4, 0, 5.5}, 0.001));
}

TEST(Plane, HeightOfAPlaneAboveAPlanPoint) {
    const auto z = PlaneHeightAt(5, 5, {0, 0, 1}, {10, 0, 2}, {0, 10, 3});  // z = 1 + x/10 + y/5
    ASSERT_TRUE(z);
    EXPECT_NEAR(*z, 2.5, 1e-9);  // the ±50 km probe leaves about 1e-11 m of rounding
    const auto far = PlaneHeightAt(-100, 40, {0, 0, 1}, {10, 0, 2}, {0, 10, 3});
    ASSERT_TRUE(far);
    EXPECT_NEAR(*far, 1 - 10 + 8, 1e-9);
    EXPECT_FALSE(PlaneHeightAt(5, 5, {0, 0, 0}, {10, 0, 0}, {10, 0, 5}));  // vertical plane
}

}  // namespace
}  // namespace kelmora
