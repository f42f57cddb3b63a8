#include "geometry/PolylineOps.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelmora {

double PolylineLength(const CPolyline& line) {
    double length = 0.0;
    for (std::size_t i = 0; i + 1 < line.vertices.size(); ++i) {
        length += Distance(line.vertices[i], line.vertices[i + 1]);
    }
    return length;
}

namespace {

// The point at arc length s > 0 on the line (not raised) and the index of the segment it lies on; the
// last vertex on the last segment when s exceeds the length. The line has at least one vertex.
struct CPointOnLine {
    CVector3D point;
    std::size_t segment = 0;
};

CPointOnLine LocateAtLength(const CPolyline& line, double s) {
    const auto& v = line.vertices;
    double before = 0.0;  // length of the line up to the start of segment i
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        const double segmentLength = Distance(v[i], v[i + 1]);
        if (before + segmentLength >= s) {
            return {v[i] + (s - before) * Normalize(v[i + 1] - v[i]), i};
        }
        before += segmentLength;
    }
    return {v.back(), v.size() >= 2 ? v.size() - 2 : 0};
}

}  // namespace

CVector3D PointAtLength(const CPolyline& line, double s, double up, double left) {
    if (line.vertices.empty()) return {};
    if (s <= 0.0) return line.vertices.front();
    const CPointOnLine at = LocateAtLength(line, s);
    CVector3D p = at.point + up * kUp;
    // The sideways move follows the segment the point was found on. (Searching again for the segment
    // from the raised point could miss it near a vertex, and the point would silently stay on the line.)
    if (left != 0.0 && line.vertices.size() >= 2) {
        p = OffsetPointLeft(p, line.vertices[at.segment], line.vertices[at.segment + 1], left);
    }
    return p;
}

CPolyline SubPolyline(const CPolyline& line, double s1, double s2) {
    CPolyline part;
    const auto& v = line.vertices;
    if (v.size() < 2) return part;
    if (s1 > s2) std::swap(s1, s2);
    bool started = false;
    double reached = 0.0;  // arc length at the end of segment i
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        reached += Distance(v[i], v[i + 1]);
        if (!started && reached >= s1) {
            part.vertices.push_back(PointAtLength(line, s1));
            started = true;
        }
        if (!started) continue;
        if (reached >= s2) {
            part.vertices.push_back(PointAtLength(line, s2));
            break;
        }
        if (part.vertices.back() != v[i + 1]) part.vertices.push_back(v[i + 1]);
    }
    return part;
}

namespace {
// True when two segments keep the same direction to within 1e-6 rad. Collinear segments of a line typed
// in with round coordinates have unit directions that differ only by rounding, so the closest points of
// their offset lines come from dividing rounding noise by rounding noise and may land tens of metres
// away along the line. Below this angle the meeting point of the offset lines lies within
// |left| · 5e-7 m of the end of the first offset segment, which is then used instead.
bool RunStraightOn(const CSegment3D& first, const CSegment3D& second) {
    constexpr double kSinSquaredStraight = 1e-12;  // sin² of 1e-6 rad
    const double w = Dot(Normalize(first.end - first.start), Normalize(second.end - second.start));
    return 1.0 - w * w < kSinSquaredStraight;
}
}  // namespace

CPolyline OffsetPolyline(const CPolyline& line, double left, double up) {
    CPolyline copy = line;
    const auto& v = line.vertices;
    const std::size_t n = v.size();
    if (left != 0.0 && n >= 2) {
        std::vector<CSegment3D> offset;
        for (std::size_t i = 0; i + 1 < n; ++i)
            offset.push_back(OffsetSegmentLeft(v[i], v[i + 1], left));
        copy.vertices.front() = offset.front().start;
        copy.vertices.back() = offset.back().end;
        // An inner vertex goes where the two offset segments beside it meet; where they run on in the same
        // direction it stays at the end of the first one.
        for (std::size_t i = 1; i + 1 < n; ++i) {
            const CSegment3D& before = offset[i - 1];
            const CSegment3D& after = offset[i];
            const CLinesClosestPoints meet =
                ClosestPointsOfLines(before.start, before.end, after.start, after.end);
            const bool straightOn = meet.relation == kLinesParallel || RunStraightOn(before, after);
            copy.vertices[i] = straightOn ? before.end : meet.onB;
        }
    }
    // The raise applies also without a sideways move (a wall standing on a gap above the ground line).
    if (up != 0.0) {
        for (CVector3D& p : copy.vertices)
            p = p + up * kUp;
    }
    return copy;
}

namespace {
// Index of the first segment holding p: p ahead of the segment start and not farther from it than the
// segment's end.
std::optional<std::size_t> FindSegmentHolding(const CPolyline& line, const CVector3D& p) {
    const auto& v = line.vertices;
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        if (Dot(p - v[i], v[i + 1] - v[i]) >= 0.0 && Distance(v[i], v[i + 1]) >= Distance(v[i], p)) return i;
    }
    return std::nullopt;
}
}  // namespace

double LengthAtPoint(const CPolyline& line, const CVector3D& p) {
    const auto segment = FindSegmentHolding(line, p);
    if (!segment) return 0.0;
    double length = 0.0;
    for (std::size_t i = 0; i < *segment; ++i)
        length += Distance(line.vertices[i], line.vertices[i + 1]);
    return length + Distance(line.vertices[*segment], p);
}

std::optional<CSegment3D> SegmentContaining(const CPolyline& line, const CVector3D& p) {
    const auto segment = FindSegmentHolding(line, p);
    if (!segment) return std::nullopt;
    return CSegment3D{line.vertices[*segment], line.vertices[*segment + 1]};
}

std::optional<CNearestVertex> NearestVertex2D(const CPolyline& line, const CVertex2D& p) {
    std::optional<CNearestVertex> best;
    for (std::size_t i = 0; i < line.vertices.size(); ++i) {
        const double d = Distance2D(Plan(line.vertices[i]), p);
        if (!best || d < best->distancePlan) best = CNearestVertex{line.vertices[i], i, d};
    }
    return best;
}

std::optional<CNearestOnOffset> NearestPointOnOffset2D(const CPolyline& line, double left,
                                                       const CVertex2D& p) {
    const auto& v = line.vertices;
    std::optional<CNearestOnOffset> best;
    double bestDistance = std::numeric_limits<double>::max();
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        const CSegment3D segment = OffsetSegmentLeft(v[i], v[i + 1], left);
        const CVertex2D start = Plan(segment.start);
        const CVertex2D direction = Plan(segment.end) - start;
        const double planLength2 = Dot(direction, direction);
        // Fraction of the way along the segment, clamped to its ends.
        const double t =
            planLength2 == 0.0 ? 0.0 : std::clamp(Dot(p - start, direction) / planLength2, 0.0, 1.0);
        const CVertex2D q = start + t * direction;
        const double d = Distance2D(q, p);
        if (d < bestDistance) {
            bestDistance = d;
            const double z = segment.start.z + t * (segment.end.z - segment.start.z);
            best = CNearestOnOffset{segment, {q.x, q.y, z}};
        }
    }
    return best;
}

bool OffsetCrossings2D(const CPolyline& line, const CVertex2D& a, const CVertex2D& b, double left,
                       std::vector<COffsetCrossing>& records) {
    if (a == b) return false;
    const auto& v = line.vertices;
    std::vector<COffsetCrossing> candidates;
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        if (Plan(v[i]) == Plan(v[i + 1])) continue;
        const CSegment3D offset = OffsetSegmentLeft(v[i], v[i + 1], left);
        if (SegmentsCross2D(Plan(offset.start), Plan(offset.end), a, b)) {
            candidates.push_back({left, i + 2 == v.size(), i == 0, v[i + 1], v[i], {}});
        }
    }
    candidates.insert(candidates.end(), records.begin(), records.end());

    // Every record's offset segment line is met with the line a–b; records whose lines are parallel drop out.
    std::vector<std::pair<double, COffsetCrossing>> found;
    for (COffsetCrossing& crossing : candidates) {
        const CSegment3D offset =
            OffsetSegmentLeft(crossing.segmentStart, crossing.segmentEnd, crossing.offset);
        const auto point = LineIntersection2D(Plan(offset.start), Plan(offset.end), a, b);
        if (!point) continue;
        crossing.point = *point;
        found.emplace_back(Distance2D(a, *point), crossing);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    records.clear();
    for (const auto& [distance, crossing] : found)
        records.push_back(crossing);
    return !records.empty();
}

}  // namespace kelmora
