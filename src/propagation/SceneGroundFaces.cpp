#include "propagation/SceneGroundFaces.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/Plane.h"
#include "geometry/Polygon.h"
#include "geometry/PolylineOps.h"
#include "geometry/RectGeometry.h"
#include "geometry/VectorOps.h"
#include "propagation/GroundModel.h"

namespace kelmora {

namespace {

// Where the path S–R crosses a ground line.
struct CGroundCrossing {
    const CGroundLine* line = nullptr;
    CVector3D point;  // on the ground line, under or over the path [m]
    CVector3D segmentEnd;
    CVector3D segmentStart;
    double fromSource = 0.0;  // plan distance from S [m]
};

bool IsFinite(const CVector3D& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The crossings of S–R with every terrain line, ordered from S (crossings at the same distance keep the
// order of the lines, so runs are reproducible).
std::vector<CGroundCrossing> GroundCrossings(std::span<const CGroundLine> terrain, const CVector3D& s,
                                             const CVector3D& r) {
    std::vector<CGroundCrossing> crossings;
    std::vector<COffsetCrossing> records;
    for (const CGroundLine& line : terrain) {
        if (!GroundLineCrossings(line.polyline, Plan(s), Plan(r), records)) continue;
        for (const COffsetCrossing& record : records) {
            // The crossing lies on the ground line where the path crosses it in plan, at the line's height
            // there. (The closest points of the ground segment and the 3-D line S–R would slide far along
            // the ground line when the path crosses it at a shallow angle while rising or falling.)
            const CVector3D point =
                GroundPointOnSegment(record.point, record.segmentStart, record.segmentEnd);
            if (!IsFinite(point)) throw SceneError(kGroundCrossingError);
            crossings.push_back(
                {&line, point, record.segmentEnd, record.segmentStart, Distance2D(Plan(s), record.point)});
        }
    }
    std::stable_sort(
        crossings.begin(), crossings.end(),
        [](const CGroundCrossing& a, const CGroundCrossing& b) { return a.fromSource < b.fromSource; });
    return crossings;
}

// One end of a ground face: the plan points on the strip's left and right sides, and the height used
// there when the ground plane of the face gives none (a vertical or undefined plane).
struct CStripBoundary {
    CVertex2D left;
    CVertex2D right;
    double fallbackHeight = 0.0;
};

CStripBoundary BoundaryThrough(const CVector3D& centre, const CVertex2D& halfWidth) {
    return {Plan(centre) + halfWidth, Plan(centre) - halfWidth, centre.z};
}

// Appends the ground face between two strip boundaries lying in the plane through p0, p1, p2.
void AppendGroundFace(const CStripBoundary& from, const CStripBoundary& to, const CVector3D& p0,
                      const CVector3D& p1, const CVector3D& p2, const CBand& absorption, Scene& scene) {
    const auto onPlane = [&](const CVertex2D& at, double fallback) {
        const auto height = PlaneHeightAt(at.x, at.y, p0, p1, p2);
        return CVector3D{at.x, at.y, height ? *height : fallback};
    };
    CRectObstacle face;
    SetGroundFace(face, onPlane(from.left, from.fallbackHeight), onPlane(to.left, to.fallbackHeight),
                  onPlane(to.right, to.fallbackHeight), absorption);
    face.name = kGroundFaceName;
    face.obstructs = 0;
    scene.push_back(std::move(face));
}

}  // namespace

void SetGroundFace(CRectObstacle& face, const CVector3D& c1, const CVector3D& c2, const CVector3D& c3,
                   const CBand& absorption) {
    const CFaceCorners corners = RectCorners(CMyRect{c1, c2, c3});
    face.rect = CMyRect{corners[0], corners[1], corners[2]};
    face.diffracts = {0, 0, 0, 0};
    face.wedgeType = kGroundFace;
    face.tl = CBand::Filled(0.0);
    // Only the upper side reflects; the underside of the ground absorbs everything.
    const CVector3D above = RectCentre(face.rect) + 10.0 * kUp;
    const bool upperIsLeft = SideOfPlane(above, corners[0], corners[1], corners[2]) == 1;
    face.absorptionLeft = upperIsLeft ? absorption : CBand::Filled(1.0);
    face.absorptionRight = upperIsLeft ? CBand::Filled(1.0) : absorption;
    face.diffuseLeft = kSpecularReflection;
    face.diffuseRight = kSpecularReflection;
}

void AppendGroundFaces(std::span<const CGroundLine> terrain, const CPathStrip& strip, Scene& scene) {
    const CVector3D& s = strip.source;
    const CVector3D& r = strip.receiver;
    const std::vector<CGroundCrossing> crossings = GroundCrossings(terrain, s, r);
    const CVector3D groundS{s.x, s.y, GroundHeightAt(terrain, s)};
    const CVector3D groundR{r.x, r.y, GroundHeightAt(terrain, r)};
    const CVertex2D halfWidth = kPathStripHalfWidth * LeftNormal2D(Plan(s), Plan(r));
    const std::array<CVector3D, 4>& c = strip.corners;
    const CStripBoundary start{Plan(c[0]), Plan(c[3]), groundS.z};
    const CStripBoundary end{Plan(c[1]), Plan(c[2]), groundR.z};

    if (crossings.empty()) {
        // One plane over the whole strip, through the ground under S, under R and under the middle of the
        // strip's left side.
        const CVertex2D middle = 0.5 * (Plan(c[0]) + Plan(c[1]));
        const CVector3D groundM{middle.x, middle.y, GroundHeightAt(terrain, {middle.x, middle.y, 0.0})};
        AppendGroundFace(start, end, groundS, groundR, groundM, GroundAbsorptionAt(terrain, s), scene);
        return;
    }

    // Before each crossing: the ground from the previous boundary up to the crossed line, in the plane of
    // the previous line and the crossing point, absorbing as the crossed line's side facing the source.
    CStripBoundary from = start;
    for (std::size_t k = 0; k < crossings.size(); ++k) {
        const CGroundCrossing& crossing = crossings[k];
        const CStripBoundary to = BoundaryThrough(crossing.point, halfWidth);
        const bool receiverLeft =
            SideOfLine2D(Plan(r), Plan(crossing.segmentStart), Plan(crossing.segmentEnd)) > 0;
        const CBand& absorption =
            receiverLeft ? crossing.line->absorptionRight : crossing.line->absorptionLeft;
        if (k == 0) {
            AppendGroundFace(from, to, crossing.segmentStart, crossing.segmentEnd, groundS, absorption,
                             scene);
        } else {
            const CGroundCrossing& previous = crossings[k - 1];
            AppendGroundFace(from, to, previous.segmentStart, previous.segmentEnd, crossing.point, absorption,
                             scene);
        }
        from = to;
    }
    // After the last crossing: up to the strip's end, on the receiver's side of the last line.
    const CGroundCrossing& last = crossings.back();
    const bool receiverLeft = SideOfLine2D(Plan(r), Plan(last.segmentStart), Plan(last.segmentEnd)) > 0;
    AppendGroundFace(from, end, last.segmentStart, last.segmentEnd, groundR,
                     receiverLeft ? last.line->absorptionLeft : last.line->absorptionRight, scene);
}

}  // namespace kelmora
