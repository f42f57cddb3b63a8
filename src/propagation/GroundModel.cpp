#include "propagation/GroundModel.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "geometry/Polygon.h"
#include "geometry/PolylineOps.h"
#include "geometry/VectorOps.h"
#include "model/Noise.h"

namespace kelmora {

namespace {

// Plan reach of the search for the next ground line beyond a point [m].
constexpr double kTerrainReach = 5000.0;

// The point nearest in plan to p over all ground lines (the first line wins ties).
std::optional<CNearestOnOffset> NearestGroundPoint(std::span<const CGroundLine> terrain, const CVertex2D& p) {
    std::optional<CNearestOnOffset> best;
    double bestDistance = std::numeric_limits<double>::max();
    for (const CGroundLine& line : terrain) {
        const auto nearest = NearestPointOnOffset2D(line.polyline, 0.0, p);
        if (!nearest) continue;
        const double distance = Distance2D(Plan(nearest->point), p);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = nearest;
        }
    }
    return best;
}

}  // namespace

CGroundLine SlopeFootGroundLine(const CGroundLine& line, const CWall& shoulder) {
    const bool slopeLeft = shoulder.slopeSide == kSlopeLeft;
    const double sideways = slopeLeft ? shoulder.slopeHorizontal : -shoulder.slopeHorizontal;
    CGroundLine foot;
    foot.polyline = OffsetPolyline(SubPolyline(line.polyline, shoulder.rangeStart, shoulder.rangeEnd),
                                   shoulder.offsetHorizontal + sideways,
                                   shoulder.offsetVertical + shoulder.height - shoulder.slopeVertical);
    // The slope face's upper side is its left side when it descends to the left and its right side when
    // it descends to the right; the ground at the foot towards the shoulder belongs to that slope.
    if (slopeLeft) {
        foot.absorptionLeft = line.absorptionLeft;
        foot.absorptionRight = shoulder.absorptionLeft;
    } else {
        foot.absorptionLeft = shoulder.absorptionRight;
        foot.absorptionRight = line.absorptionRight;
    }
    foot.memo = kSlopeFootMemo;
    return foot;
}

std::vector<CGroundLine> AllGroundLines(const CNoise& model) {
    std::vector<CGroundLine> terrain = model.groundLines;
    for (const CGroundLine& line : model.groundLines) {
        for (const CWall& wall : line.walls) {
            if (wall.type == kSlopeShoulder) terrain.push_back(SlopeFootGroundLine(line, wall));
        }
    }
    return terrain;
}

bool GroundLineCrossings(const CPolyline& line, const CVertex2D& a, const CVertex2D& b,
                         std::vector<COffsetCrossing>& records) {
    records.clear();
    OffsetCrossings2D(line, a, b, 0.0, records);
    // A path through a vertex of the line crosses neither segment at that vertex properly; with ground
    // lines and points entered on round coordinates this happens often and would lose the line.
    const auto& v = line.vertices;
    const CVertex2D ab = b - a;
    bool throughVertex = false;
    for (std::size_t i = 1; i + 1 < v.size(); ++i) {
        const CVertex2D p = Plan(v[i]);
        if (SideOfLine2D(p, a, b) != 0 || Dot(p - a, ab) <= 0.0 || Dot(b - p, ab) <= 0.0) continue;
        if (SideOfLine2D(Plan(v[i - 1]), a, b) * SideOfLine2D(Plan(v[i + 1]), a, b) >= 0) continue;
        records.push_back({0.0, false, i == 1, v[i], v[i - 1], p});
        throughVertex = true;
    }
    if (throughVertex) {
        std::stable_sort(records.begin(), records.end(),
                         [&](const COffsetCrossing& x, const COffsetCrossing& y) {
                             return Distance2D(a, x.point) < Distance2D(a, y.point);
                         });
    }
    return !records.empty();
}

CVector3D GroundPointOnSegment(const CVertex2D& p, const CVector3D& start, const CVector3D& end) {
    const CVertex2D along = Plan(end) - Plan(start);
    const double length2 = Dot(along, along);
    const double t = length2 == 0.0 ? 0.0 : Dot(p - Plan(start), along) / length2;
    return {p.x, p.y, start.z + t * (end.z - start.z)};
}

double GroundHeightAt(std::span<const CGroundLine> terrain, const CVector3D& p) {
    const CVertex2D at = Plan(p);
    const auto nearest = NearestGroundPoint(terrain, at);
    if (!nearest) return 0.0;
    const CVector3D n = nearest->point;

    // The next ground line beyond p, looking away from the nearest line. The search runs in the plan,
    // so that the height under a plan position does not depend on the height it is asked from.
    const CVertex2D away = Normalize(at - Plan(n));
    const CVertex2D far = at + kTerrainReach * away;
    std::vector<COffsetCrossing> crossings;
    std::optional<COffsetCrossing> next;
    double nextDistance = std::numeric_limits<double>::max();
    for (const CGroundLine& line : terrain) {
        if (!GroundLineCrossings(line.polyline, at, far, crossings)) continue;
        const COffsetCrossing& first = crossings.front();  // this line's crossing nearest to p
        const double distance = DistancePointLine2D(at, Plan(first.segmentStart), Plan(first.segmentEnd));
        if (distance < nextDistance) {
            nextDistance = distance;
            next = first;
        }
    }
    if (!next) return n.z;

    // The next line's height where the plan ray crosses it (not the 3-D closest point of the two lines,
    // which slides far along a line that the ray crosses at a shallow angle).
    const CVector3D x = GroundPointOnSegment(next->point, next->segmentStart, next->segmentEnd);
    return n.z + (x.z - n.z) * Distance2D(at, Plan(n)) / Distance2D(Plan(x), Plan(n));
}

double GroundHeightAt(const CNoise& model, const CVector3D& p) {
    return GroundHeightAt(AllGroundLines(model), p);
}

CBand GroundAbsorptionAt(std::span<const CGroundLine> terrain, const CVector3D& p) {
    const CVertex2D at = Plan(p);
    const CGroundLine* nearestLine = nullptr;
    bool leftSide = false;
    double bestDistance = std::numeric_limits<double>::max();
    for (const CGroundLine& line : terrain) {
        const auto nearest = NearestPointOnOffset2D(line.polyline, 0.0, at);
        if (!nearest) continue;
        const double distance = Distance2D(Plan(nearest->point), at);
        if (distance < bestDistance) {
            bestDistance = distance;
            nearestLine = &line;
            leftSide = SideOfLine2D(at, Plan(nearest->segment.start), Plan(nearest->segment.end)) == 1;
        }
    }
    if (!nearestLine) return CBand::Filled(1.0);
    return leftSide ? nearestLine->absorptionLeft : nearestLine->absorptionRight;
}

CBand GroundAbsorptionAt(const CNoise& model, const CVector3D& p) {
    return GroundAbsorptionAt(AllGroundLines(model), p);
}

}  // namespace kelmora
