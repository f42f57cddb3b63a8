#pragma once
// A small but complete site model with non-default values in every field, shared by the model tests.
#include <string>

#include "model/Noise.h"
#include "model/persistence/Archive.h"

namespace kelmora::testing {

inline CBand OctaveSpectrum(double first, const std::string& title) {
    CBand b;
    b.kind = 1;
    b.overall = first + 7.0;
    for (int i = 0; i < 7; ++i)
        b.octave[i] = first + i;
    b.title = title;
    return b;
}

inline CBand OverallOnly(double overall) {
    CBand b;
    b.kind = 0;
    b.overall = overall;
    return b;
}

inline CSound SampleSource(double x, const std::string& memo) {
    CSound s;
    s.position = {x, -4.25, 1.5};
    s.q = 4.0;
    s.noiseType = kImpulsiveNoise;
    s.duration = 0.5;
    s.eventsPerHour = 120.0;
    s.powerAverage = CBand::Filled(88.5);
    s.powerAverage.title = "コンプレッサ";
    s.powerMax = OctaveSpectrum(90.0, "最大");
    s.memo = memo;
    return s;
}

inline CWindow SampleOpening(double z1, const std::string& memo) {
    CWindow w;
    w.rect = {{0, 0, z1}, {4, 0, z1}, {4, 0.5, z1 - 2.5}};
    w.areaFromRect = 0;
    w.area = 7.25;
    w.absorption = CBand::Filled(0.2);
    w.tl = OverallOnly(25.0);
    w.belongsTo = kOnWall;
    w.isOutdoorSource = 0;
    w.q = 1.0;
    w.memo = memo;
    return w;
}

inline CNoise SampleModel() {
    CNoise model;

    CGroundLine line;
    line.polyline.vertices = {{0, 0, 0}, {30, 0, 0.5}, {30, 40, -1.25}};
    line.absorptionLeft = CBand::Filled(0.35);
    line.absorptionRight = OctaveSpectrum(0.1, "芝生");
    line.memo = "敷地境界";
    CWall barrier;
    barrier.type = kRightAngleBarrier;
    barrier.rangeStart = 1.5;
    barrier.rangeEnd = 29.0;
    barrier.offsetHorizontal = -2.0;
    barrier.offsetVertical = 0.25;
    barrier.height = 3.0;
    barrier.diffractBottom = 1;
    barrier.diffractStart = 1;
    barrier.tl = CBand::Filled(20.0);
    barrier.diffuseRight = kDiffuseReflection;
    barrier.memo = "遮音壁";
    CWall shoulder;
    shoulder.type = kSlopeShoulder;
    shoulder.slopeSide = kSlopeRight;
    shoulder.slopeHorizontal = 4.5;
    shoulder.slopeVertical = 2.0;
    shoulder.height = 0.3;
    line.walls = {barrier, shoulder};
    model.groundLines = {line, CGroundLine{}};

    CBuilding building;
    CRoof roof;
    roof.face.rect = {{0, 0, 8}, {20, 0, 8}, {20, 10, 6}};
    roof.face.diffracts = {1, 0, 1, 0};
    roof.face.wedgeType = kKnifeEdgeWedge;
    roof.face.reflects = 0;
    roof.face.obstructs = 0;
    roof.face.absorptionLeft = CBand::Filled(0.05);
    roof.face.diffuseLeft = kDiffuseReflection;
    roof.face.edgeOffset = {0.1, -0.2, 0.3};
    roof.face.name = "屋上1";
    roof.memo = "工場棟";
    CBuildingWall wall;
    wall.polyline.vertices = {{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {0, 10, 0}};
    wall.closed = 1;
    wall.absorption = CBand::Filled(0.1);
    wall.diffuse = kDiffuseReflection;
    wall.bottomZ = -1.0;
    wall.diffractBottom = 1;
    wall.topZ = 6.0;
    wall.diffractTop = 0;
    wall.memo = "外壁";
    CRoom room;
    room.surfaceArea = 812.5;
    room.meanAbsorption = CBand::Filled(0.15);
    room.computeFromShape = 1;
    room.ceilingZ = 6.0;
    room.floorZ = 0.0;
    room.outline.vertices = {{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {0, 10, 0}};
    room.defaultAbsorptionCeiling = CBand::Filled(0.3);
    room.defaultAbsorptionFloor = CBand::Filled(0.02);
    room.defaultAbsorptionWall = CBand::Filled(0.1);
    room.defaultTl = CBand::Filled(30.0);
    // A wall surface holding a door holding a vision panel: three levels of openings.
    CWindow panel = SampleOpening(2.0, "のぞき窓");
    CWindow door = SampleOpening(2.5, "扉");
    door.containedOpenings = {panel};
    CWindow surface = SampleOpening(6.0, "北面");
    surface.containedOpenings = {door, SampleOpening(5.0, "換気口")};
    room.openings = {surface};
    room.sources = {SampleSource(5.0, "プレス機"), SampleSource(12.0, "コンプレッサ")};
    room.memo = "プレス室";
    building.roofs = {roof};
    building.walls = {wall};
    building.rooms = {room};
    building.memo = "第1工場";
    model.buildings = {building, CBuilding{}};

    model.outdoorSources = {SampleSource(-30.0, "冷却塔"), SampleSource(45.0, std::string(255, 'x'))};

    CCalcInfo& info = model.calcInfo;
    info.mode = kVerticalGridMode;
    info.singlePoint.position = {1, 2, 3};
    info.singlePoint.label = "P0";
    info.pointList = {CPredictivePoint({50, 0, 1.2}), CPredictivePoint({50, 20, 1.2})};
    info.pointList[1].label = std::string(254, 'y');
    info.rowDivisions = 3;
    info.columnDivisions = 1;
    info.gridHeight = 1.25;
    info.gridPoints = {CPredictivePoint({0, 0, 1.25}), CPredictivePoint({0, 0, 3.5})};
    info.memo = "境界予測";
    info.gridTopHeight = 3.5;
    info.lineStart = {-5.0, 7.5};
    info.lineEnd = {15.0, -2.5};
    model.targetTime = 28800.0;
    model.effectiveDistance = 500.0;
    model.temperature = -5.5;
    model.humidity = 85.0;
    model.maxReflections = 3;
    return model;
}

// The bytes that an object writes.
template <typename T>
std::vector<std::uint8_t> StoredBytes(T& object) {
    CArchive out;
    object.Serialize(out);
    return out.Bytes();
}

// An object of type T read from the bytes; every byte must be used.
template <typename T>
T LoadedFrom(const std::vector<std::uint8_t>& bytes) {
    CArchive in(bytes.data(), bytes.size());
    T object;
    object.Serialize(in);
    if (in.BytesLeft() != 0) throw std::runtime_error("bytes left over after reading");
    return object;
}

}  // namespace kelmora::testing
