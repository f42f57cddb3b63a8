#include "model/ValueCheck.h"

#include <cmath>
#include <cstdio>
#include <span>
#include <utility>

#include "model/Validation.h"

namespace kelmora {
namespace {

// A value as the messages print it: up to 15 significant digits, "nan" and "inf" as such.
std::string Printed(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", v);
    return text;
}

std::string Numbered(const std::string& what, std::size_t index) {
    return what + " " + std::to_string(index + 1);
}

// The walk over the model. Each check returns false once a problem is found, which ends the walk.
class Checker {
public:
    std::optional<ValueProblem> problem;

    bool Finite(const std::string& object, const std::string& field, double v) {
        if (std::isfinite(v)) return true;
        return Fail(object, field, object + " の " + field + " が有限の数値ではありません: " + Printed(v));
    }

    bool InRange(const std::string& object, const std::string& field, double v, FieldLimits range) {
        if (!Finite(object, field, v)) return false;
        if (v >= range.low && v <= range.high) return true;
        return Fail(object, field,
                    object + " の " + field + " が範囲外です: " + Printed(v) + "（" +
                        RangeText(range.low, range.high) + "）");
    }

    bool InRange(const std::string& object, const std::string& field, std::int32_t v,
                 IntegerFieldLimits range) {
        if (v >= range.low && v <= range.high) return true;
        return Fail(object, field,
                    object + " の " + field + " が範囲外です: " + std::to_string(v) + "（" +
                        RangeText(range.low, range.high) + "）");
    }

    bool Point(const std::string& object, const std::string& field, const CVector3D& p) {
        return Finite(object, field + " x", p.x) && Finite(object, field + " y", p.y) &&
               Finite(object, field + " z", p.z);
    }

    bool PointInRange(const std::string& object, const std::string& field, const CVector3D& p,
                      FieldLimits plan, FieldLimits height) {
        return InRange(object, field + " x", p.x, plan) && InRange(object, field + " y", p.y, plan) &&
               InRange(object, field + " z", p.z, height);
    }

    bool Vertices(const std::string& object, const CPolyline& line) {
        for (std::size_t i = 0; i < line.vertices.size(); ++i) {
            if (!Point(object, Numbered("vertices", i), line.vertices[i])) return false;
        }
        return true;
    }

    bool Rect(const std::string& object, const CMyRect& rect) {
        return Point(object, "rect p1", rect.p1) && Point(object, "rect p2", rect.p2) &&
               Point(object, "rect p3", rect.p3);
    }

    // The values of the spectrum's own representation, named by their band.
    bool Spectrum(const std::string& object, const std::string& field, const CBand& band, FieldLimits range) {
        const int kind = band.kind == 0 || band.kind == 1 ? band.kind : 2;
        const int count = bandCount(kind);
        for (int i = 0; i < count; ++i) {
            const double v = kind == 0 ? band.overall : kind == 1 ? band.octave[i] : band.third[i];
            const std::string name =
                kind == 0 ? field + " OA" : field + " " + Printed(bandFrequency(kind, i)) + "Hz";
            if (!InRange(object, name, v, range)) return false;
        }
        return true;
    }

    bool Source(const std::string& object, const CSound& s) {
        return Point(object, "position", s.position) && InRange(object, "q", s.q, kDirectivityLimits) &&
               InRange(object, "duration", s.duration, kEventDurationLimits) &&
               InRange(object, "eventsPerHour", s.eventsPerHour, kEventsPerHourLimits) &&
               Spectrum(object, "powerAverage", s.powerAverage, kSoundPowerLimits) &&
               Spectrum(object, "powerMax", s.powerMax, kSoundPowerLimits);
    }

    bool Face(const std::string& object, const CRectObstacle& face) {
        return Rect(object, face.rect) && Spectrum(object, "tl", face.tl, kTransmissionLossLimits) &&
               Spectrum(object, "absorptionLeft", face.absorptionLeft, kAbsorptionLimits) &&
               Spectrum(object, "absorptionRight", face.absorptionRight, kAbsorptionLimits) &&
               Point(object, "edgeOffset", face.edgeOffset);
    }

    bool Opening(const std::string& object, const CWindow& w) {
        if (!(Rect(object, w.rect) && InRange(object, "area", w.area, kOpeningAreaLimits) &&
              Spectrum(object, "absorption", w.absorption, kAbsorptionLimits) &&
              Spectrum(object, "tl", w.tl, kTransmissionLossLimits) &&
              InRange(object, "q", w.q, kDirectivityLimits)))
            return false;
        for (std::size_t i = 0; i < w.containedOpenings.size(); ++i) {
            if (!Opening(object + "-" + std::to_string(i + 1), w.containedOpenings[i])) return false;
        }
        return true;
    }

    bool Room(const std::string& object, const CRoom& room) {
        if (!(InRange(object, "surfaceArea", room.surfaceArea, kRoomSurfaceAreaLimits) &&
              Spectrum(object, "meanAbsorption", room.meanAbsorption, kAbsorptionLimits) &&
              Finite(object, "ceilingZ", room.ceilingZ) && Finite(object, "floorZ", room.floorZ) &&
              Vertices(object, room.outline) &&
              Spectrum(object, "defaultAbsorptionCeiling", room.defaultAbsorptionCeiling,
                       kAbsorptionLimits) &&
              Spectrum(object, "defaultAbsorptionFloor", room.defaultAbsorptionFloor, kAbsorptionLimits) &&
              Spectrum(object, "defaultAbsorptionWall", room.defaultAbsorptionWall, kAbsorptionLimits) &&
              Spectrum(object, "defaultTl", room.defaultTl, kTransmissionLossLimits)))
            return false;
        for (std::size_t i = 0; i < room.openings.size(); ++i) {
            if (!Opening(object + " の" + Numbered("開口部", i), room.openings[i])) return false;
        }
        for (std::size_t i = 0; i < room.sources.size(); ++i) {
            if (!Source(object + " の" + Numbered("室内音源", i), room.sources[i])) return false;
        }
        return true;
    }

    bool Building(const std::string& object, const CBuilding& b) {
        for (std::size_t i = 0; i < b.roofs.size(); ++i) {
            if (!Face(object + " の" + Numbered("屋上", i), b.roofs[i].face)) return false;
        }
        for (std::size_t i = 0; i < b.walls.size(); ++i) {
            const std::string wall = object + " の" + Numbered("外壁", i);
            const CBuildingWall& w = b.walls[i];
            if (!(Vertices(wall, w.polyline) &&
                  Spectrum(wall, "absorption", w.absorption, kAbsorptionLimits) &&
                  Finite(wall, "bottomZ", w.bottomZ) && Finite(wall, "topZ", w.topZ)))
                return false;
        }
        for (std::size_t i = 0; i < b.rooms.size(); ++i) {
            if (!Room(object + " の" + Numbered("室", i), b.rooms[i])) return false;
        }
        return true;
    }

    bool Wall(const std::string& object, const CWall& w) {
        return InRange(object, "rangeStart", w.rangeStart, kWallRangeLimits) &&
               InRange(object, "rangeEnd", w.rangeEnd, kWallRangeLimits) &&
               InRange(object, "offsetHorizontal", w.offsetHorizontal, kWallOffsetHorizontalLimits) &&
               InRange(object, "offsetVertical", w.offsetVertical, kWallOffsetVerticalLimits) &&
               InRange(object, "height", w.height, kWallHeightLimits) &&
               Spectrum(object, "tl", w.tl, kTransmissionLossLimits) &&
               Spectrum(object, "absorptionLeft", w.absorptionLeft, kAbsorptionLimits) &&
               Spectrum(object, "absorptionRight", w.absorptionRight, kAbsorptionLimits) &&
               InRange(object, "slopeHorizontal", w.slopeHorizontal, kSlopeDistanceLimits) &&
               InRange(object, "slopeVertical", w.slopeVertical, kSlopeDistanceLimits);
    }

    bool GroundLine(const std::string& object, const CGroundLine& line) {
        for (std::size_t i = 0; i < line.polyline.vertices.size(); ++i) {
            if (!PointInRange(object, Numbered("vertices", i), line.polyline.vertices[i],
                              kGroundVertexPlanLimits, kGroundVertexHeightLimits))
                return false;
        }
        if (!(Spectrum(object, "absorptionLeft", line.absorptionLeft, kAbsorptionLimits) &&
              Spectrum(object, "absorptionRight", line.absorptionRight, kAbsorptionLimits)))
            return false;
        for (std::size_t i = 0; i < line.walls.size(); ++i) {
            if (!Wall(object + " の" + Numbered("壁・法肩", i), line.walls[i])) return false;
        }
        return true;
    }

    bool Points(const CCalcInfo& info) {
        const std::string object = "予測点設定";
        if (!PointInRange("予測点", "position", info.singlePoint.position, kPointCoordinateLimits,
                          kPointCoordinateLimits))
            return false;
        for (std::size_t i = 0; i < info.pointList.size(); ++i) {
            if (!PointInRange(Numbered("予測点リスト", i), "position", info.pointList[i].position,
                              kPointCoordinateLimits, kPointCoordinateLimits))
                return false;
        }
        for (std::size_t i = 0; i < info.gridPoints.size(); ++i) {
            if (!Point(Numbered("格子点", i), "position", info.gridPoints[i].position)) return false;
        }
        return InRange(object, "rowDivisions", info.rowDivisions, kGridDivisionsLimits) &&
               InRange(object, "columnDivisions", info.columnDivisions, kGridDivisionsLimits) &&
               InRange(object, "gridHeight", info.gridHeight, kGridHeightLimits) &&
               InRange(object, "gridTopHeight", info.gridTopHeight, kGridTopHeightLimits) &&
               InRange(object, "lineStart x", info.lineStart.x, kPointCoordinateLimits) &&
               InRange(object, "lineStart y", info.lineStart.y, kPointCoordinateLimits) &&
               InRange(object, "lineEnd x", info.lineEnd.x, kPointCoordinateLimits) &&
               InRange(object, "lineEnd y", info.lineEnd.y, kPointCoordinateLimits);
    }

    bool Conditions(const CNoise& model) {
        const std::string object = "計算条件";
        return InRange(object, "targetTime", model.targetTime, kTargetTimeLimits) &&
               InRange(object, "effectiveDistance", model.effectiveDistance, kEffectiveDistanceLimits) &&
               InRange(object, "temperature", model.temperature, kTemperatureLimits) &&
               InRange(object, "humidity", model.humidity, kHumidityLimits) &&
               InRange(object, "maxReflections", model.maxReflections, kMaxReflectionsLimits);
    }

private:
    bool Fail(const std::string& object, const std::string& field, std::string message) {
        problem = ValueProblem{object, field, std::move(message)};
        return false;
    }
};

}  // namespace

std::optional<ValueProblem> FindValueProblem(const CNoise& model) {
    Checker check;
    [&] {
        for (std::size_t i = 0; i < model.groundLines.size(); ++i) {
            if (!check.GroundLine(Numbered("地表線", i), model.groundLines[i])) return;
        }
        for (std::size_t i = 0; i < model.buildings.size(); ++i) {
            if (!check.Building(Numbered("建物", i), model.buildings[i])) return;
        }
        for (std::size_t i = 0; i < model.outdoorSources.size(); ++i) {
            if (!check.Source(Numbered("屋外音源", i), model.outdoorSources[i])) return;
        }
        if (!check.Points(model.calcInfo)) return;
        check.Conditions(model);
    }();
    return check.problem;
}

}  // namespace kelmora
