#include "propagation/BuildingFaces.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "geometry/Plane.h"
#include "geometry/Polygon.h"
#include "geometry/RectGeometry.h"
#include "geometry/VectorOps.h"

namespace kelmora {

namespace {

// A point this close to a building's surface [m] counts as on it, not inside.
constexpr double kSurfaceTolerance = 1e-6;

std::string BuildingFaceName(const char* kind, const CBuilding& building) {
    std::string name = std::string("of") + kind;
    if (!building.memo.empty()) name += "(" + building.memo + ")";
    return name;
}

// Plan ends of segment i of an exterior wall (the closing segment of a closed wall runs back to vertex 0).
struct CPlanSegment {
    CVertex2D a;
    CVertex2D b;
};

CPlanSegment WallSegment(const CBuildingWall& wall, int i) {
    const auto& v = wall.polyline.vertices;
    const std::size_t start = static_cast<std::size_t>(i);
    return {Plan(v[start]), Plan(v[(start + 1) % v.size()])};
}

std::vector<CVertex2D> Footprint(const CRoof& roof) {
    const std::array<CVertex2D, 4> c = RectCorners2D(roof.face.rect);
    return {c.begin(), c.end()};
}

// The vertical face over a wall segment: side A the upper edge a → b, B the edge at b, C the lower edge,
// D the edge at a. Its left side is the left of a → b.
CMyRect WallSegmentRect(const CBuildingWall& wall, const CPlanSegment& segment) {
    return {{segment.a.x, segment.a.y, wall.topZ},
            {segment.b.x, segment.b.y, wall.topZ},
            {segment.b.x, segment.b.y, wall.bottomZ}};
}

// The wall's absorption on the face side that looks out of the building, full absorption on the other.
void SetOutsideAbsorption(CRectObstacle& face, const CBuildingWall& wall, bool outsideLeft) {
    face.absorptionLeft = outsideLeft ? wall.absorption : CBand::Filled(1.0);
    face.absorptionRight = outsideLeft ? CBand::Filled(1.0) : wall.absorption;
}

// Screen A: a blocking stand-in over one crossed wall segment, diffracting at both lateral edges.
CRectObstacle ScreenA(const CBuilding& building, const CBuildingWall& wall, const CPlanSegment& segment,
                      bool outsideLeft) {
    CRectObstacle face;
    face.rect = WallSegmentRect(wall, segment);
    face.diffracts = {wall.diffractTop, 1, wall.diffractBottom, 1};
    face.wedgeType = kShoulderOrBuildingWall;
    face.reflects = 0;
    face.obstructs = 1;
    face.tl = CBand::Filled(0.0);
    SetOutsideAbsorption(face, wall, outsideLeft);
    face.name = BuildingFaceName("建物用回折壁A", building);
    return face;
}

// The reflecting surface of one exterior wall segment. cornerFlags: convex-hull corner flags of a closed
// wall's vertices (unused for an open wall).
CRectObstacle WallSurface(const CBuilding& building, const CBuildingWall& wall, int i,
                          const std::vector<int>& cornerFlags, bool outsideLeft) {
    const std::size_t n = wall.polyline.vertices.size();
    const std::size_t start = static_cast<std::size_t>(i);
    CRectObstacle face;
    face.rect = WallSegmentRect(wall, WallSegment(wall, i));
    // A closed wall diffracts sideways only at the corners that stand out of its outline; an open wall at
    // every segment end, as its end flags say.
    const int endEdge = wall.closed != 0 ? cornerFlags[(start + 1) % n] : wall.diffractEnd;
    const int startEdge = wall.closed != 0 ? cornerFlags[start] : wall.diffractStart;
    face.diffracts = {wall.diffractTop, endEdge, wall.diffractBottom, startEdge};
    face.wedgeType = kShoulderOrBuildingWall;
    face.reflects = 1;
    face.obstructs = 0;
    face.tl = CBand::Filled(0.0);
    SetOutsideAbsorption(face, wall, outsideLeft);
    face.diffuseLeft = outsideLeft ? wall.diffuse : kSpecularReflection;
    face.diffuseRight = outsideLeft ? kSpecularReflection : wall.diffuse;
    face.name = BuildingFaceName("建物外壁", building);
    return face;
}

double DistancePointSegment2D(const CVertex2D& p, const CVertex2D& a, const CVertex2D& b) {
    const CVertex2D ab = b - a;
    const double length2 = Dot(ab, ab);
    const double t = length2 == 0.0 ? 0.0 : std::clamp(Dot(p - a, ab) / length2, 0.0, 1.0);
    return Distance2D(p, a + t * ab);
}

// True when p lies within the tolerance of an edge of the footprint.
bool NearFootprintEdge(const std::vector<CVertex2D>& footprint, const CVertex2D& p) {
    for (std::size_t k = 0; k < footprint.size(); ++k) {
        if (DistancePointSegment2D(p, footprint[k], footprint[(k + 1) % footprint.size()]) <=
            kSurfaceTolerance)
            return true;
    }
    return false;
}

// ---- Screen B ----

// A wall vertex with the heights of its wall.
struct CWallVertex {
    CVertex2D p;
    double topZ = 0.0;
    double bottomZ = 0.0;
};

// The wall vertices on one side of the line S → R and their extremes as seen from S and from R
// (αS: plan angle at S between S → R and S → vertex; αR the same at R). The first vertex wins ties.
struct CSideVertices {
    bool any = false;
    CWallVertex largestAlphaS;
    CWallVertex largestAlphaR;
    CWallVertex smallestAlphaS;
    double maxAlphaS = -1.0;
    double maxAlphaR = -1.0;
    double minAlphaS = std::numeric_limits<double>::max();
    double maxDistance = 0.0;  // largest plan distance of a vertex from the line S–R [m]

    void Add(const CWallVertex& v, const CVertex2D& s, const CVertex2D& r) {
        const double alphaS = AngleBetween2D(r - s, v.p - s);
        const double alphaR = AngleBetween2D(s - r, v.p - r);
        if (alphaS > maxAlphaS) {
            maxAlphaS = alphaS;
            largestAlphaS = v;
        }
        if (alphaR > maxAlphaR) {
            maxAlphaR = alphaR;
            largestAlphaR = v;
        }
        if (alphaS < minAlphaS) {
            minAlphaS = alphaS;
            smallestAlphaS = v;
        }
        maxDistance = std::max(maxDistance, DistancePointLine2D(v.p, s, r));
        any = true;
    }
};

// Where the segment S–R crosses a wall segment, with that wall's heights.
struct CWallCrossing {
    CVertex2D point;
    double topZ = 0.0;
    double bottomZ = 0.0;
};

// The lateral end of the screen on one side of the path. When both extreme vertices are seen ahead from
// S and from R (angles below 90°), the end lies where the sight lines S → vertex and R → vertex meet and
// diffracts there; otherwise it stands beside the apex as far out as the building reaches and does not.
struct CScreenEnd {
    CVertex2D point;
    bool diffracts = false;
};

CScreenEnd ScreenEnd(const CSideVertices& side, const CVertex2D& s, const CVertex2D& r, const CVertex2D& apex,
                     const CVertex2D& outward) {
    constexpr double kRightAngle = std::numbers::pi / 2.0;
    if (side.maxAlphaS < kRightAngle && side.maxAlphaR < kRightAngle) {
        // Sight lines through a vertex on the line S–R coincide and have no meeting point.
        if (const auto meet = LineIntersection2D(s, side.largestAlphaS.p, r, side.largestAlphaR.p))
            return {*meet, true};
    }
    return {apex + side.maxDistance * outward, false};
}

// The screen of a building that the path passes through: from the left end to the right end at the
// height of the apex over the building, down to the lower edge of the wall crossed nearest to S.
std::optional<CRectObstacle> ScreenAcrossPath(const CBuilding& building, const CSideVertices& left,
                                              const CSideVertices& right, const CVector3D& s3,
                                              const CVector3D& r3) {
    const CVertex2D s = Plan(s3);
    const CVertex2D r = Plan(r3);
    std::optional<CWallCrossing> nearS;
    std::optional<CWallCrossing> nearR;
    double bestS = std::numeric_limits<double>::max();
    double bestR = std::numeric_limits<double>::max();
    for (const CBuildingWall& wall : building.walls) {
        for (int i = 0; i < WallSegmentCount(wall); ++i) {
            const CPlanSegment segment = WallSegment(wall, i);
            const auto x = SegmentIntersection2D(s, r, segment.a, segment.b);
            if (!x) continue;
            if (Distance2D(*x, s) < bestS) {
                bestS = Distance2D(*x, s);
                nearS = CWallCrossing{*x, wall.topZ, wall.bottomZ};
            }
            if (Distance2D(*x, r) < bestR) {
                bestR = Distance2D(*x, r);
                nearR = CWallCrossing{*x, wall.topZ, wall.bottomZ};
            }
        }
    }
    // Vertices on both sides of the line but no wall between S and R: the building lies behind S or
    // beyond R and does not stand in the way.
    if (!nearS || !nearR) return std::nullopt;

    // The apex: where the line from S over the first wall top meets the line from R over the last one
    // (both lie in the vertical plane of the path).
    const CVector3D topS{nearS->point.x, nearS->point.y, nearS->topZ};
    const CVector3D topR{nearR->point.x, nearR->point.y, nearR->topZ};
    const CLinesClosestPoints meet = ClosestPointsOfLines(s3, topS, r3, topR);
    const CVector3D apex = meet.relation == kLinesParallel ? 0.5 * (topS + topR) : meet.onA;
    const CVertex2D p = Plan(apex);
    const CVertex2D n = LeftNormal2D(s, r);

    const CScreenEnd leftEnd = ScreenEnd(left, s, r, p, n);
    const CScreenEnd rightEnd = ScreenEnd(right, s, r, p, -1.0 * n);
    CRectObstacle face;
    face.rect = {{leftEnd.point.x, leftEnd.point.y, apex.z},
                 {rightEnd.point.x, rightEnd.point.y, apex.z},
                 {rightEnd.point.x, rightEnd.point.y, nearS->bottomZ}};
    face.diffracts = {1, rightEnd.diffracts ? 1 : 0, 0, leftEnd.diffracts ? 1 : 0};
    // Diffraction points found on the top edge lie on the line between the two ends; this moves them to
    // the apex over the path.
    if (leftEnd.diffracts || rightEnd.diffracts) {
        if (const auto q = LineIntersection2D(s, r, leftEnd.point, rightEnd.point))
            face.edgeOffset = {p.x - q->x, p.y - q->y, 0.0};
    }
    return face;
}

// The screen of a building wholly on one side of the path: from its vertex seen widest from S to its
// vertex seen nearest to the direction of R.
CRectObstacle ScreenBesidePath(const CSideVertices& side, bool leftOfPath) {
    const CWallVertex& from = side.largestAlphaS;
    const CWallVertex& to = side.smallestAlphaS;
    CRectObstacle face;
    face.rect = {{from.p.x, from.p.y, from.topZ}, {to.p.x, to.p.y, to.topZ}, {to.p.x, to.p.y, to.bottomZ}};
    face.diffracts =
        leftOfPath ? std::array<std::int32_t, 4>{1, 0, 0, 1} : std::array<std::int32_t, 4>{1, 1, 0, 0};
    return face;
}

}  // namespace

int WallSegmentCount(const CBuildingWall& wall) {
    const int n = static_cast<int>(wall.polyline.vertices.size());
    if (n < 2) return 0;
    if (n == 2) return 1;
    return wall.closed != 0 ? n : n - 1;
}

int OutsideSide(const CBuildingWall& wall, int i, const CBuilding& building) {
    const int n = static_cast<int>(wall.polyline.vertices.size());
    if (i < 0 || i >= n || (wall.closed == 0 && i == n - 1)) return 0;
    const CPlanSegment segment = WallSegment(wall, i);
    const CVertex2D probe = 0.5 * (segment.a + segment.b) + 0.5 * LeftNormal2D(segment.a, segment.b);
    if (wall.closed != 0) return PointInPolygon2D(PlanVertices(wall.polyline.vertices), probe) ? -1 : 1;
    const bool underRoof = std::any_of(building.roofs.begin(), building.roofs.end(), [&](const CRoof& roof) {
        return PointInPolygon2D(Footprint(roof), probe);
    });
    return underRoof ? -1 : 1;
}

std::optional<CRectObstacle> BuildScreenB(const CBuilding& building, const CVector3D& s3,
                                          const CVector3D& r3) {
    const CVertex2D s = Plan(s3);
    const CVertex2D r = Plan(r3);
    if (s == r) return std::nullopt;  // a path without plan length has no sides to stand across

    // Vertices on the line S–R belong to both sides.
    CSideVertices left;
    CSideVertices right;
    for (const CBuildingWall& wall : building.walls) {
        for (const CVector3D& v : wall.polyline.vertices) {
            const CWallVertex vertex{Plan(v), wall.topZ, wall.bottomZ};
            const int side = SideOfLine2D(vertex.p, s, r);
            if (side >= 0) left.Add(vertex, s, r);
            if (side <= 0) right.Add(vertex, s, r);
        }
    }

    std::optional<CRectObstacle> screen;
    if (left.any && right.any) {
        screen = ScreenAcrossPath(building, left, right, s3, r3);
    } else if (left.any) {
        screen = ScreenBesidePath(left, true);
    } else if (right.any) {
        screen = ScreenBesidePath(right, false);
    }
    if (!screen) return std::nullopt;
    screen->wedgeType = kKnifeEdgeWedge;
    screen->tl = CBand::Filled(0.0);
    screen->absorptionLeft = CBand::Filled(1.0);
    screen->absorptionRight = CBand::Filled(1.0);
    screen->diffuseLeft = kSpecularReflection;
    screen->diffuseRight = kSpecularReflection;
    screen->reflects = 0;
    screen->obstructs = 1;
    return screen;
}

bool BuildingContainsPoint(const CBuilding& building, const CVector3D& p) {
    if (building.walls.empty()) return false;
    constexpr double kVerticalReach = 5000.0;  // m below and above p
    for (const CRoof& roof : building.roofs) {
        // A point farther than the tolerance outside the box of the footprint's corners lies outside the
        // footprint and away from its edges, far beyond rounding: the polygon test is spared for it.
        const std::array<CVertex2D, 4> c = RectCorners2D(roof.face.rect);
        const auto [xLow, xHigh] = std::minmax({c[0].x, c[1].x, c[2].x, c[3].x});
        const auto [yLow, yHigh] = std::minmax({c[0].y, c[1].y, c[2].y, c[3].y});
        if (p.x < xLow - kSurfaceTolerance || p.x > xHigh + kSurfaceTolerance ||
            p.y < yLow - kSurfaceTolerance || p.y > yHigh + kSurfaceTolerance)
            continue;
        const std::vector<CVertex2D> footprint(c.begin(), c.end());
        if (!PointInPolygon2D(footprint, Plan(p)) || NearFootprintEdge(footprint, Plan(p))) continue;
        const auto hit = IntersectSegmentFacePlane(p - kVerticalReach * kUp, p + kVerticalReach * kUp,
                                                   RectCorners(roof.face.rect));
        if (hit && hit->z - p.z > kSurfaceTolerance) return true;
    }
    return false;
}

void AppendBuildingFaces(const CBuilding& building, const CVector3D& s, const CVector3D& r, Scene& scene) {
    AppendBuildingFaces(building, MakePathStrip(s, r), scene);
}

void AppendBuildingFaces(const CBuilding& building, const CPathStrip& strip, Scene& scene) {
    AppendBuildingFaces(PrepareBuildingFaces(building), strip, scene);
}

CPreparedBuilding PrepareBuildingFaces(const CBuilding& building) {
    CPreparedBuilding prepared;
    prepared.building = &building;
    prepared.walls.reserve(building.walls.size());
    for (const CBuildingWall& wall : building.walls) {
        std::vector<CPreparedWallSegment>& segments = prepared.walls.emplace_back();
        const int count = WallSegmentCount(wall);
        std::vector<int> cornerFlags;
        if (wall.closed != 0 && count > 0)
            cornerFlags = ConvexCornerFlags(PlanVertices(wall.polyline.vertices));
        for (int i = 0; i < count; ++i) {
            const CPlanSegment segment = WallSegment(wall, i);
            const bool outsideLeft = OutsideSide(wall, i, building) == 1;
            segments.push_back({segment.a, segment.b,
                                WallSurface(building, wall, i, cornerFlags, outsideLeft),
                                ScreenA(building, wall, segment, outsideLeft)});
        }
        prepared.segmentCount += count;
    }
    prepared.roofs.reserve(building.roofs.size());
    for (const CRoof& roof : building.roofs) {
        CRectObstacle& face = prepared.roofs.emplace_back(roof.face);
        face.name = roof.memo.empty() ? std::string("of建物屋上面") : "of建物屋上面(" + roof.memo + ")";
        face.reflects = 1;
        face.obstructs = building.walls.empty() ? 1 : 0;
    }
    prepared.screenBName = BuildingFaceName("建物用回折壁B", building);
    return prepared;
}

void AppendBuildingFaces(const CPreparedBuilding& prepared, const CPathStrip& strip, Scene& scene) {
    // Which wall segments reach into the strip, in wall order (the test is costly and needed twice); the
    // flags' storage is kept by the thread from pair to pair.
    thread_local std::vector<char> crossesStrip;
    crossesStrip.clear();
    bool anyCrossing = false;
    for (const std::vector<CPreparedWallSegment>& wall : prepared.walls) {
        for (const CPreparedWallSegment& segment : wall) {
            const bool crosses = SegmentCrossesStrip(segment.a, segment.b, strip);
            crossesStrip.push_back(crosses ? 1 : 0);
            anyCrossing = anyCrossing || crosses;
        }
    }

    // Screens first: they carry the blocking role of a building with exterior walls.
    constexpr int kMostSegmentsForScreenA = 4;
    const CVertex2D s = Plan(strip.source);
    const CVertex2D r = Plan(strip.receiver);
    if (prepared.segmentCount >= 1 && prepared.segmentCount <= kMostSegmentsForScreenA) {
        std::size_t k = 0;
        for (const std::vector<CPreparedWallSegment>& wall : prepared.walls) {
            for (const CPreparedWallSegment& segment : wall) {
                if (crossesStrip[k++] == 0) continue;
                const auto x = LineIntersection2D(s, r, segment.a, segment.b);
                if (!x || PositionOnRay2D(segment.a, segment.b, *x) != kWithinReach) continue;
                scene.push_back(segment.screenA);
            }
        }
    } else if (prepared.segmentCount > kMostSegmentsForScreenA && anyCrossing) {
        if (auto screen = BuildScreenB(*prepared.building, strip.source, strip.receiver)) {
            screen->name = prepared.screenBName;
            scene.push_back(std::move(*screen));
        }
    }

    // Then the surfaces: roofs block only when the building has no exterior walls.
    for (const CRectObstacle& roof : prepared.roofs) {
        if (RoofReachesStrip(roof.rect, strip)) scene.push_back(roof);
    }
    std::size_t k = 0;
    for (const std::vector<CPreparedWallSegment>& wall : prepared.walls) {
        for (const CPreparedWallSegment& segment : wall) {
            if (crossesStrip[k++] != 0) scene.push_back(segment.surface);
        }
    }
}

}  // namespace kelmora
