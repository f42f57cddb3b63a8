#include "RandomSite.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "propagation/GroundModel.h"

namespace kelmora::corpus {
namespace {

// Site extent [m]: everything of interest lies in 0..60 × 0..60.
constexpr double kSiteSize = 60.0;
constexpr double kCell = 20.0;  // buildings stand in a 3 × 3 lattice of cells

class Dice {
public:
    explicit Dice(std::uint64_t seed) : engine_(seed) {}

    // In [0, 1), from the top 53 bits of one draw.
    double Unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    double Uniform(double low, double high) { return low + (high - low) * Unit(); }
    // Rounded to `step` as a user would type it.
    double Typed(double low, double high, double step) {
        return std::round(Uniform(low, high) / step) * step;
    }
    int Int(int low, int high) {
        return low + static_cast<int>(engine_() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool Chance(double p) { return Unit() < p; }

private:
    std::mt19937_64 engine_;
};

// A coefficient spectrum (absorption 0..1) sloping over the bands, two decimals as in a band library.
CBand Coefficients(Dice& dice, double low, double high) {
    const double base = dice.Uniform(low, high);
    const double slope = dice.Uniform(-0.2, 0.3);
    CBand band = CBand::Filled(0.0);
    for (int i = 0; i < kThirdOctaveBands; ++i)
        band.third[i] = std::round(std::clamp(base + slope * (i - 10) / 10.0, 0.01, 0.95) * 100.0) / 100.0;
    band.syncRepresentations();
    return band;
}

// A transmission loss [dB] rising with frequency, or none (0) half of the time.
CBand TransmissionLoss(Dice& dice) {
    CBand band = CBand::Filled(0.0);
    if (dice.Chance(0.5)) return band;
    const double base = dice.Typed(8.0, 30.0, 1.0);
    for (int i = 0; i < kThirdOctaveBands; ++i)
        band.third[i] = base + 0.8 * i;
    band.syncRepresentations();
    return band;
}

// A sound power spectrum [dB] with a broad peak.
CBand Power(Dice& dice, double offset = 0.0) {
    const double peak = dice.Typed(75.0, 100.0, 0.5) + offset;
    const double centre = dice.Uniform(5.0, 16.0);
    CBand band = CBand::Filled(0.0);
    for (int i = 0; i < kThirdOctaveBands; ++i)
        band.third[i] = std::round((peak - 0.15 * (i - centre) * (i - centre)) * 10.0) / 10.0;
    band.syncRepresentations();
    return band;
}

std::int32_t Flag(Dice& dice, double p) {
    return dice.Chance(p) ? 1 : 0;
}

// A ground line running west to east near y, with bends and heights.
CGroundLine Terrain(Dice& dice, double y, double baseHeight) {
    CGroundLine line;
    const int bends = dice.Int(0, 2);
    const double x0 = -10.0;
    const double x1 = kSiteSize + 10.0;
    for (int k = 0; k <= bends + 1; ++k) {
        const double x = x0 + (x1 - x0) * k / (bends + 1);
        line.polyline.vertices.push_back({x, y + dice.Typed(-3.0, 3.0, 0.5),
                                          baseHeight + (dice.Chance(0.5) ? 0.0 : dice.Typed(0.0, 2.0, 0.5))});
    }
    line.absorptionLeft = Coefficients(dice, 0.01, 0.5);
    line.absorptionRight = dice.Chance(0.5) ? line.absorptionLeft : Coefficients(dice, 0.01, 0.5);
    return line;
}

// A barrier or slope shoulder on part of a ground line of plan length `length`.
CWall Barrier(Dice& dice, double length) {
    CWall wall;
    const double roll = dice.Unit();
    wall.type = roll < 0.5 ? kKnifeEdgeBarrier : roll < 0.75 ? kRightAngleBarrier : kSlopeShoulder;
    wall.rangeStart = dice.Typed(0.0, length / 2.0, 0.5);
    wall.rangeEnd = std::min(length, wall.rangeStart + dice.Typed(6.0, length / 2.0 + 6.0, 0.5));
    wall.offsetHorizontal = dice.Chance(0.2) ? dice.Typed(-2.0, 2.0, 0.5) : 0.0;
    wall.offsetVertical = dice.Chance(0.1) ? 0.5 : 0.0;
    wall.height = dice.Typed(1.5, 5.0, 0.5);
    wall.diffractTop = Flag(dice, 0.9);
    wall.diffractBottom = Flag(dice, 0.1);
    wall.diffractStart = Flag(dice, 0.6);
    wall.diffractEnd = Flag(dice, 0.6);
    wall.tl = TransmissionLoss(dice);
    wall.absorptionLeft = Coefficients(dice, 0.02, 0.9);
    wall.absorptionRight = Coefficients(dice, 0.02, 0.9);
    wall.diffuseLeft = Flag(dice, 0.2);
    wall.diffuseRight = Flag(dice, 0.2);
    wall.slopeSide = dice.Int(0, 1);
    wall.slopeHorizontal = dice.Typed(1.0, 4.0, 0.5);
    wall.slopeVertical = dice.Typed(0.5, 3.0, 0.5);
    wall.memo = dice.Chance(0.5) ? "遮音壁" : "";
    return wall;
}

CRoof Roof(Dice& dice, double x0, double y0, double x1, double y1, double z, double rise) {
    CRoof roof;
    roof.face.rect = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z + rise}};
    for (std::int32_t& d : roof.face.diffracts)
        d = Flag(dice, 0.85);
    roof.face.wedgeType = dice.Chance(0.8) ? kRightAngleWedge : kKnifeEdgeWedge;
    roof.face.tl = TransmissionLoss(dice);
    roof.face.absorptionLeft = Coefficients(dice, 0.02, 0.5);
    roof.face.absorptionRight = CBand::Filled(1.0);
    roof.face.diffuseLeft = Flag(dice, 0.1);
    roof.memo = dice.Chance(0.5) ? "屋上" : "";
    return roof;
}

CBuildingWall Wall(Dice& dice, std::vector<CVector3D> vertices, bool closed, double top) {
    CBuildingWall wall;
    wall.polyline.vertices = std::move(vertices);
    wall.closed = closed ? 1 : 0;
    wall.diffractStart = Flag(dice, 0.7);
    wall.diffractEnd = Flag(dice, 0.7);
    wall.absorption = Coefficients(dice, 0.02, 0.6);
    wall.diffuse = Flag(dice, 0.25);
    wall.bottomZ = 0.0;
    wall.topZ = top;
    wall.diffractTop = Flag(dice, 0.9);
    wall.diffractBottom = Flag(dice, 0.05);
    return wall;
}

// A room over the building's box with its machines and one opening in its south wall (y = y0).
CRoom Room(Dice& dice, double x0, double y0, double x1, double y1, double height) {
    CRoom room;
    room.computeFromShape = Flag(dice, 0.5);
    room.surfaceArea = dice.Typed(200.0, 900.0, 10.0);
    room.meanAbsorption = Coefficients(dice, 0.05, 0.4);
    room.floorZ = 0.0;
    room.ceilingZ = height - 0.5;
    room.outline.vertices = {{x0, y0, 0.0}, {x1, y0, 0.0}, {x1, y1, 0.0}, {x0, y1, 0.0}};
    room.defaultAbsorptionCeiling = Coefficients(dice, 0.05, 0.5);
    room.defaultAbsorptionFloor = Coefficients(dice, 0.01, 0.1);
    room.defaultAbsorptionWall = Coefficients(dice, 0.02, 0.3);
    room.defaultTl = CBand::Filled(30.0);
    CWindow opening;
    const double ox = dice.Typed(x0 + 1.0, x1 - 3.0, 0.5);
    const double width = dice.Typed(0.5, 2.0, 0.5);
    const double bottom = dice.Typed(0.5, 1.5, 0.5);
    const double tall = dice.Typed(0.5, 2.0, 0.5);
    opening.rect = {{ox, y0, bottom + tall}, {ox + width, y0, bottom + tall}, {ox + width, y0, bottom}};
    opening.absorption = Coefficients(dice, 0.05, 0.5);
    opening.tl = dice.Chance(0.7) ? TransmissionLoss(dice) : CBand::Filled(0.0);
    opening.q = dice.Chance(0.8) ? 2.0 : 1.0;
    opening.belongsTo = kOnWall;
    room.openings.push_back(opening);
    // One to three machines: each opening patch carries one source per machine, at the same place.
    const int machines = dice.Int(1, 3);
    for (int m = 0; m < machines; ++m) {
        CSound machine;
        machine.position = {dice.Uniform(x0 + 1.0, x1 - 1.0), dice.Uniform(y0 + 1.0, y1 - 1.0),
                            dice.Typed(0.5, 2.5, 0.5)};
        machine.noiseType = dice.Int(0, 2);
        machine.powerAverage = Power(dice);
        machine.powerMax = Power(dice, 5.0);
        machine.memo = "機械";
        room.sources.push_back(machine);
    }
    room.memo = dice.Chance(0.5) ? "作業場" : "";
    return room;
}

// A building in the lattice cell (cx, cy): roof only, box, L-shaped or with an open wall.
CBuilding Building(Dice& dice, int cx, int cy) {
    const double x0 = cx * kCell + dice.Typed(1.0, 4.0, 0.5);
    const double y0 = cy * kCell + dice.Typed(1.0, 4.0, 0.5);
    const double x1 = x0 + dice.Typed(7.0, 14.0, 0.5);
    const double y1 = y0 + dice.Typed(6.0, 14.0, 0.5);
    const double height = dice.Typed(3.0, 12.0, 0.5);
    const double rise = dice.Chance(0.25) ? dice.Typed(0.5, 3.0, 0.5) : 0.0;
    CBuilding building;
    building.memo = dice.Chance(0.5) ? "工場棟" : "";
    const int shape = dice.Int(0, 3);
    if (shape == 2) {
        // L shape: two roofs, one closed wall of six vertices (more than four segments: screen B).
        const double xm = 0.5 * (x0 + x1);
        const double ym = 0.5 * (y0 + y1);
        building.roofs.push_back(Roof(dice, x0, y0, x1, ym, height, 0.0));
        building.roofs.push_back(Roof(dice, x0, ym, xm, y1, height, 0.0));
        building.walls.push_back(
            Wall(dice, {{x0, y0, 0}, {x1, y0, 0}, {x1, ym, 0}, {xm, ym, 0}, {xm, y1, 0}, {x0, y1, 0}}, true,
                 height));
    } else {
        building.roofs.push_back(Roof(dice, x0, y0, x1, y1, height, rise));
        if (shape == 1) {
            building.walls.push_back(
                Wall(dice, {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}}, true, height));
        } else if (shape == 3) {
            building.walls.push_back(Wall(dice, {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}}, false, height));
        }
    }
    if (!building.walls.empty() && dice.Chance(0.6))
        building.rooms.push_back(Room(dice, x0, y0, x1, y1, height));
    return building;
}

CSound OutdoorSource(Dice& dice, std::span<const CGroundLine> terrain) {
    CSound source;
    source.position = {dice.Uniform(0.0, kSiteSize), dice.Uniform(0.0, kSiteSize), 0.0};
    const double ground = GroundHeightAt(terrain, source.position);
    source.position.z = dice.Chance(0.05) ? ground - 1.0 : ground + dice.Typed(0.5, 6.0, 0.5);
    source.q = dice.Chance(0.7) ? 2.0 : dice.Typed(1.0, 4.0, 1.0);
    source.noiseType = dice.Int(0, 2);
    source.duration = dice.Typed(10.0, 3600.0, 10.0);
    source.eventsPerHour = dice.Typed(0.0, 20.0, 1.0);
    source.powerAverage = Power(dice);
    source.powerMax = Power(dice, 6.0);
    source.memo = dice.Chance(0.5) ? "送風機" : "";
    return source;
}

}  // namespace

CNoise RandomSite(std::uint64_t seed) {
    Dice dice(seed);
    CNoise site;

    const int lines = dice.Int(0, 3);
    for (int j = 0; j < lines; ++j) {
        const double y = lines == 1 ? dice.Typed(5.0, 55.0, 0.5) : 5.0 + j * 50.0 / (lines - 1);
        CGroundLine line = Terrain(dice, y, j * dice.Typed(0.0, 2.0, 0.5));
        const double length = kSiteSize + 20.0;
        const int walls = dice.Int(0, 2);
        for (int w = 0; w < walls; ++w)
            line.walls.push_back(Barrier(dice, length));
        site.groundLines.push_back(line);
    }

    std::array<int, 9> cells{0, 1, 2, 3, 4, 5, 6, 7, 8};
    const int buildings = dice.Int(0, 3);
    for (int b = 0; b < buildings; ++b) {
        std::swap(cells[b], cells[b + dice.Int(0, 8 - b)]);
        site.buildings.push_back(Building(dice, cells[b] % 3, cells[b] / 3));
    }

    const std::vector<CGroundLine> terrain = AllGroundLines(site);
    const int sources = dice.Int(1, 4);
    for (int k = 0; k < sources; ++k)
        site.outdoorSources.push_back(OutdoorSource(dice, terrain));

    // Three reflections multiply the candidates by the scene's size: only with a short list of points.
    const double reflections = dice.Unit();
    site.maxReflections = reflections < 0.1 ? 0 : reflections < 0.3 ? 1 : reflections < 0.92 ? 2 : 3;
    site.targetTime = dice.Chance(0.7) ? 3600.0 : dice.Chance(0.5) ? 28800.0 : 600.0;
    site.effectiveDistance = dice.Chance(0.85) ? 250.0 : dice.Typed(20.0, 50.0, 5.0);
    site.temperature = dice.Typed(-5.0, 35.0, 1.0);
    site.humidity = dice.Typed(20.0, 95.0, 5.0);

    CCalcInfo& calc = site.calcInfo;
    calc.gridHeight = 1.2;
    const bool grid = site.maxReflections < 3 && dice.Chance(0.4);
    const int count = site.maxReflections == 3 ? 2 : dice.Int(3, 6);
    std::vector<CPredictivePoint>& points = grid ? calc.gridPoints : calc.pointList;
    calc.mode = grid ? kHorizontalGridMode : kPointListMode;
    calc.rowDivisions = calc.columnDivisions = 2;
    for (int i = 0; i < (grid ? 9 : count); ++i) {
        CVector3D p{grid ? 5.0 + 25.0 * (i / 3) : dice.Uniform(0.0, kSiteSize),
                    grid ? 5.0 + 25.0 * (i % 3) : dice.Uniform(0.0, kSiteSize), 0.0};
        const double ground = GroundHeightAt(terrain, p);
        p.z =
            dice.Chance(0.05) ? ground - 0.5 : ground + (grid ? calc.gridHeight : dice.Typed(1.2, 8.0, 0.1));
        CPredictivePoint point(p);
        point.label = "No." + std::to_string(i + 1);
        points.push_back(point);
    }
    return site;
}

}  // namespace kelmora::corpus
