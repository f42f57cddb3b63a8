#include "view/PlanExtent.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/RectGeometry.h"
#include "view/PlanObjects.h"

namespace kelmora {

namespace {

// The model's plan points, gathered as the plan draws them.
class ExtentGatherer {
public:
    void Add(double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        if (!extent_) {
            extent_ = ModelExtent{x, y, x, y};
            return;
        }
        extent_->minX = std::min(extent_->minX, x);
        extent_->minY = std::min(extent_->minY, y);
        extent_->maxX = std::max(extent_->maxX, x);
        extent_->maxY = std::max(extent_->maxY, y);
    }
    void Add(const CVector3D& p) { Add(p.x, p.y); }
    void Add(const CPolyline& line) {
        for (const CVector3D& p : line.vertices)
            Add(p);
    }
    void Add(const CMyRect& rect) {
        for (const CVector3D& p : RectCorners(rect))
            Add(p);
    }
    void AddOpenings(const std::vector<CWindow>& openings) {
        for (const CWindow& opening : openings) {
            Add(opening.rect);
            AddOpenings(opening.containedOpenings);
        }
    }
    void Add(const CBuilding& building) {
        for (const CRoof& roof : building.roofs)
            Add(roof.face.rect);
        for (const CBuildingWall& wall : building.walls)
            Add(wall.polyline);
        for (const CRoom& room : building.rooms) {
            Add(room.outline);
            AddOpenings(room.openings);
            for (const CSound& source : room.sources)
                Add(source.position);
        }
    }
    const std::optional<ModelExtent>& extent() const { return extent_; }

private:
    std::optional<ModelExtent> extent_;
};

}  // namespace

std::optional<ModelExtent> ExtentOfSite(const CNoise& model) {
    ExtentGatherer g;
    for (const CGroundLine& line : model.groundLines) {
        g.Add(line.polyline);
        for (const CWall& wall : line.walls)
            g.Add(wall.type == kSlopeShoulder ? SlopeBand(line, wall) : WallPlanLine(line, wall));
    }
    for (const CBuilding& building : model.buildings)
        g.Add(building);
    for (const CSound& source : model.outdoorSources)
        g.Add(source.position);
    for (const CPredictivePoint& point : model.calcInfo.PredictionPoints())
        g.Add(point.position);
    return g.extent();
}

std::optional<ModelExtent> ExtentOfBuilding(const CBuilding& building) {
    ExtentGatherer g;
    g.Add(building);
    return g.extent();
}

}  // namespace kelmora
