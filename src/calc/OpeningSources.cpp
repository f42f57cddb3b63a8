#include "calc/OpeningSources.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "geometry/Plane.h"
#include "geometry/Polygon.h"
#include "geometry/RectGeometry.h"
#include "geometry/VectorOps.h"

namespace kelmora {
namespace {

constexpr double kPatchSize = 1.0;        // m, largest side of a patch
constexpr double kSourceOffset = 0.2;     // m, from the patch centre to the generated source
constexpr double kProbeDistance = 0.5;    // m, probe in front of a wall opening for its outside
constexpr double kHorizontalFace = 1e-6;  // plan length of a unit normal below which a face is horizontal
constexpr double kFourPi = 12.566370614359172;

bool CentreInAnyOf(const std::vector<CWindow>& openings, const CVector3D& p) {
    return std::any_of(openings.begin(), openings.end(),
                       [&](const CWindow& w) { return RectContains(w.rect, p); });
}

// The cells of the opening's own rectangle, leaving out those whose centre lies in a contained opening.
void AppendOwnPatches(const CWindow& opening, std::vector<OpeningPatch>& patches) {
    const CFaceCorners c = RectCorners(opening.rect);
    const double lengthA = Distance(c[0], c[1]);
    const double lengthB = Distance(c[1], c[2]);
    // A damaged file may hold coordinates that are not finite; such a rectangle has no cells (an
    // infinite side would never end the loops below).
    if (!std::isfinite(lengthA) || !std::isfinite(lengthB) || lengthB <= 0.0) return;
    const CVector3D u = Normalize(c[1] - c[0]);
    const CVector3D w = Normalize(c[2] - c[1]);
    for (double a = 0.0; a < lengthA; a += kPatchSize) {
        const double width = std::min(kPatchSize, lengthA - a);
        const double alongA = a + width / 2.0;
        for (double b = 0.0; b < lengthB; b += kPatchSize) {
            const double height = std::min(kPatchSize, lengthB - b);
            const CVector3D centre = c[0] + alongA * u + (b + height / 2.0) * w;
            if (CentreInAnyOf(opening.containedOpenings, centre)) continue;
            patches.push_back({&opening, width * height, centre});
        }
    }
}

void AppendPatches(const CWindow& opening, std::vector<OpeningPatch>& patches) {
    for (const CWindow& inner : opening.containedOpenings)
        AppendPatches(inner, patches);
    if (opening.isOutdoorSource != 0) AppendOwnPatches(opening, patches);
}

double SumOfEffectiveAreas(const std::vector<CWindow>& openings, std::int32_t belongsTo) {
    double sum = 0.0;
    for (const CWindow& w : openings) {
        if (w.belongsTo == belongsTo) sum += EffectiveArea(w);
    }
    return sum;
}

// Everything that makes one opening source.
struct OpeningSourceMaking {
    const CBuilding& building;
    const CRoom& room;
    int roomSourceIndex;  // over the room sources of every building and room, from 0
    const CSound& roomSource;
    const OpeningPatch& patch;
    const CVector3D& normal;
    const CBand& roomConstant;
};

// Calls `make` for every opening source of the buildings, in the order of the run: building, room
// with sources, top-level opening, patch, and for each patch every room source in turn.
template <typename Make>
void ForEachOpeningSource(const std::vector<CBuilding>& buildings, Make make) {
    int firstOfRoom = 0;
    for (const CBuilding& building : buildings) {
        for (const CRoom& room : building.rooms) {
            if (room.sources.empty()) continue;
            const CBand roomConstant = RoomConstant(RoomMeanAbsorption(room), RoomSurfaceArea(room));
            for (const CWindow& opening : room.openings) {
                for (const OpeningPatch& patch : OpeningPatches(opening)) {
                    for (std::size_t k = 0; k < room.sources.size(); ++k) {
                        const CSound& roomSource = room.sources[k];
                        const CVector3D n = OpeningOutwardNormal(room, *patch.opening, roomSource.position);
                        make(OpeningSourceMaking{building, room, firstOfRoom + static_cast<int>(k),
                                                 roomSource, patch, n, roomConstant});
                    }
                }
            }
            firstOfRoom += static_cast<int>(room.sources.size());
        }
    }
}

}  // namespace

double OpeningPatchCount(const CWindow& opening) {
    double count = 0.0;
    for (const CWindow& inner : opening.containedOpenings)
        count += OpeningPatchCount(inner);
    if (opening.isOutdoorSource == 0) return count;
    const CFaceCorners c = RectCorners(opening.rect);
    const double lengthA = Distance(c[0], c[1]);
    const double lengthB = Distance(c[1], c[2]);
    if (!std::isfinite(lengthA) || !std::isfinite(lengthB) || lengthB <= 0.0) return count;
    return count + std::ceil(lengthA / kPatchSize) * std::ceil(lengthB / kPatchSize);
}

std::optional<std::string> FindOversizedOpening(const std::vector<CBuilding>& buildings) {
    for (std::size_t b = 0; b < buildings.size(); ++b) {
        const std::vector<CRoom>& rooms = buildings[b].rooms;
        for (std::size_t r = 0; r < rooms.size(); ++r) {
            const double sources = static_cast<double>(rooms[r].sources.size());
            for (std::size_t w = 0; w < rooms[r].openings.size(); ++w) {
                const double made = OpeningPatchCount(rooms[r].openings[w]) * sources;
                if (!(made > kMaxSourcesPerOpening)) continue;
                char text[200];
                std::snprintf(text, sizeof text,
                              "建物 %zu の室 %zu の開口部 %zu が大きすぎます: 音源 %.15g 個（%.15g 個まで）",
                              b + 1, r + 1, w + 1, made, kMaxSourcesPerOpening);
                return std::string(text);
            }
        }
    }
    return std::nullopt;
}

std::vector<OpeningPatch> OpeningPatches(const CWindow& opening) {
    std::vector<OpeningPatch> patches;
    AppendPatches(opening, patches);
    return patches;
}

double RoomSurfaceArea(const CRoom& room) {
    return room.computeFromShape != 0 ? ComputedSurfaceArea(room) : room.surfaceArea;
}

CBand OpeningAbsorptionArea(const CWindow& opening) {
    double netArea = EffectiveArea(opening);
    for (const CWindow& inner : opening.containedOpenings)
        netArea -= EffectiveArea(inner);
    CBand result = CBand::Filled(0.0);
    for (int i = 0; i < kThirdOctaveBands; ++i)
        result.third[i] = netArea * opening.absorption.levelAt(bandFrequency(2, i));
    for (const CWindow& inner : opening.containedOpenings) {
        const CBand innerArea = OpeningAbsorptionArea(inner);
        for (int i = 0; i < kThirdOctaveBands; ++i)
            result.third[i] += innerArea.third[i];
    }
    return result;
}

CBand RoomMeanAbsorption(const CRoom& room) {
    if (room.computeFromShape == 0) return room.meanAbsorption;
    CBand mean = CBand::Filled(0.0);
    if (room.outline.vertices.size() < 3) return mean;

    // The ceiling and the floor each cover the plan area of the outline, the walls its perimeter over
    // the storey height; an opening takes its area from the surface it lies in and brings its own
    // absorption instead.
    const double planArea = PolylineArea2D(room.outline);
    const double ceilingArea = std::max(0.0, planArea - SumOfEffectiveAreas(room.openings, kOnCeiling));
    const double floorArea = std::max(0.0, planArea - SumOfEffectiveAreas(room.openings, kOnFloor));
    const double wallArea = std::max(0.0, WallArea(room) - SumOfEffectiveAreas(room.openings, kOnWall));
    std::vector<CBand> openingAreas;
    for (const CWindow& w : room.openings)
        openingAreas.push_back(OpeningAbsorptionArea(w));

    const double surface = RoomSurfaceArea(room);
    for (int i = 0; i < kThirdOctaveBands; ++i) {
        const double f = bandFrequency(2, i);
        double absorptionArea = ceilingArea * room.defaultAbsorptionCeiling.levelAt(f) +
                                floorArea * room.defaultAbsorptionFloor.levelAt(f) +
                                wallArea * room.defaultAbsorptionWall.levelAt(f);
        for (const CBand& a : openingAreas)
            absorptionArea += a.third[i];
        mean.third[i] = absorptionArea / surface;
    }
    return mean;
}

CBand RoomConstant(const CBand& meanAbsorption, double surfaceArea) {
    CBand r = meanAbsorption;
    for (int i = 0; i < r.bandCount(); ++i) {
        const double a = meanAbsorption.value(i);
        // A fully absorbing room (ᾱ = 1) has R = +∞: no reverberant field, only the direct one.
        r.value(i) = a * surfaceArea / (1.0 - a);
    }
    return r;
}

CVector3D OpeningOutwardNormal(const CRoom& room, const CWindow& opening, const CVector3D& sourcePosition) {
    const CMyRect& rect = opening.rect;
    const CVector3D n = UnitNormal(rect.p1, rect.p2, rect.p3);
    const CVector3D reversed = -1.0 * n;
    // The plan probe tells the outside of a wall from the room's outline. It cannot for a ceiling or
    // floor opening, whose probe stands over the opening itself and so always inside the outline
    // whichever way the face was wound; there, as without an outline, the source's side decides.
    const bool horizontal = std::hypot(n.x, n.y) < kHorizontalFace;
    if (room.outline.vertices.size() >= 3 && !horizontal) {
        const CVector3D probe = RectCentre(rect) + kProbeDistance * n;
        return ContainsPoint2D(room.outline, Plan(probe)) ? reversed : n;
    }
    return SideOfPlane(sourcePosition, rect.p1, rect.p2, rect.p3) == 1 ? reversed : n;
}

CBand OpeningGain(const CSound& roomSource, const OpeningPatch& patch, const CVector3D& n,
                  const CBand& roomConstant, int kind) {
    const CWindow& opening = *patch.opening;
    const CVector3D position = patch.centre + kSourceOffset * n;
    // Direct field at the new position: Q·cos θ / (4π r²), θ between the ray from the room source and
    // the outward normal.
    const CVector3D v = position - roomSource.position;
    const double r = Length(v);
    const double denominator = r * Length(n);
    const double cosTheta = denominator > 0.0 ? Dot(v, n) / denominator : 1.0;
    const double sphere = kFourPi * r * r;
    const double direct = sphere != 0.0 ? roomSource.q * cosTheta / sphere : 0.0;
    const double areaTerm = 10.0 * std::log10(patch.area);

    CBand gain;
    gain.kind = kind;
    for (int i = 0; i < gain.bandCount(); ++i) {
        const double f = bandFrequency(kind, i);
        const double roomR = roomConstant.levelAt(f);
        double roomTerm = 0.0;
        if (roomR != 0.0 && sphere != 0.0) {
            const double bracket = direct + 1.0 / roomR;
            if (bracket > 0.0) roomTerm = 10.0 * std::log10(bracket);
        }
        gain.value(i) = -opening.tl.levelAt(f) + roomTerm + areaTerm;
    }
    return gain;
}

CSound OpeningSource(const CSound& roomSource, const OpeningPatch& patch, const CVector3D& n,
                     const CBand& roomConstant) {
    CSound source = roomSource;
    source.isOpeningSource = 1;
    source.openingNormal = n;
    source.position = patch.centre + kSourceOffset * n;
    source.q = patch.opening->q;
    for (CBand* spectrum : {&source.powerAverage, &source.powerMax}) {
        const CBand gain = OpeningGain(roomSource, patch, n, roomConstant, spectrum->kind);
        for (int i = 0; i < spectrum->bandCount(); ++i)
            spectrum->value(i) += gain.value(i);
    }
    return source;
}

std::string OpeningSourceMemo(const std::string& buildingMemo, const std::string& roomMemo,
                              const std::string& openingMemo) {
    std::string memo;
    for (const std::string* part : {&buildingMemo, &roomMemo, &openingMemo}) {
        if (part->empty()) continue;
        if (!memo.empty()) memo += ':';
        memo += *part;
    }
    return memo;
}

std::string SourceMemo(const CSound& source) {
    const auto& parts = source.openingMemos;
    if (!parts[0] || !parts[1] || !parts[2]) return source.memo;
    return OpeningSourceMemo(*parts[0], *parts[1], *parts[2]);
}

std::vector<CSound> OpeningSourcesOf(const std::vector<CBuilding>& buildings) {
    std::vector<CSound> sources;
    const CBuilding* memosOfBuilding = nullptr;
    const CRoom* memosOfRoom = nullptr;
    const CWindow* memoOfOpening = nullptr;
    std::shared_ptr<const std::string> buildingMemo, roomMemo, openingMemo;
    ForEachOpeningSource(buildings, [&](const OpeningSourceMaking& m) {
        // The sources of one building, room and opening follow each other and share its memo.
        if (&m.building != memosOfBuilding) {
            memosOfBuilding = &m.building;
            buildingMemo = std::make_shared<const std::string>(m.building.memo);
        }
        if (&m.room != memosOfRoom) {
            memosOfRoom = &m.room;
            roomMemo = std::make_shared<const std::string>(m.room.memo);
        }
        if (m.patch.opening != memoOfOpening) {
            memoOfOpening = m.patch.opening;
            openingMemo = std::make_shared<const std::string>(m.patch.opening->memo);
        }
        CSound source = OpeningSource(m.roomSource, m.patch, m.normal, m.roomConstant);
        source.memo.clear();
        source.openingMemos = {buildingMemo, roomMemo, openingMemo};
        sources.push_back(std::move(source));
    });
    return sources;
}

std::vector<OpeningOrigin> OpeningOriginsOf(const std::vector<CBuilding>& buildings) {
    std::vector<OpeningOrigin> origins;
    ForEachOpeningSource(buildings, [&](const OpeningSourceMaking& m) {
        origins.push_back({m.roomSourceIndex, OpeningGain(m.roomSource, m.patch, m.normal, m.roomConstant,
                                                          m.roomSource.powerAverage.kind)});
    });
    return origins;
}

void BuildOpeningSources(CNoise& noise) {
    noise.openingSources = OpeningSourcesOf(noise.buildings);
}

}  // namespace kelmora
