#include "propagation/Scene.h"

#include "model/Noise.h"
#include "propagation/BuildingFaces.h"
#include "propagation/GroundModel.h"
#include "propagation/SceneGroundFaces.h"
#include "propagation/ScenePathStrip.h"
#include "propagation/SiteFaces.h"
#include "propagation/WallFaces.h"

namespace kelmora {

Scene BuildScene(const CNoise& model, const CVector3D& s, const CVector3D& r) {
    Scene scene;
    BuildScene(model, s, r, scene);
    return scene;
}

void BuildScene(const CNoise& model, const CVector3D& s, const CVector3D& r, Scene& scene) {
    BuildScene(model, AllGroundLines(model), s, r, scene);
}

void BuildScene(const CNoise& model, std::span<const CGroundLine> terrain, const CVector3D& s,
                const CVector3D& r, Scene& scene) {
    scene.clear();
    BuildScene(PrepareSiteFaces(model), terrain, s, r, scene);
}

CSiteFaces PrepareSiteFaces(const CNoise& model) {
    CSiteFaces faces;
    faces.buildings.reserve(model.buildings.size());
    for (const CBuilding& building : model.buildings)
        faces.buildings.push_back(PrepareBuildingFaces(building));
    // Only the project's own ground lines carry walls; the slope-foot lines are terrain only.
    for (const CGroundLine& line : model.groundLines) {
        for (const CWall& wall : line.walls)
            faces.walls.push_back(PrepareWallFaces(wall, line));
    }
    return faces;
}

void BuildScene(const CSiteFaces& faces, std::span<const CGroundLine> terrain, const CVector3D& s,
                const CVector3D& r, Scene& scene) {
    scene.clear();
    const CPathStrip strip = MakePathStrip(s, r);
    try {
        for (const CPreparedBuilding& building : faces.buildings)
            AppendBuildingFaces(building, strip, scene);
        for (const CPreparedWall& wall : faces.walls)
            AppendWallFaces(wall, strip, scene);
        AppendGroundFaces(terrain, strip, scene);
    } catch (...) {
        scene.clear();  // a failed construction leaves no partial scene behind
        throw;
    }
}

}  // namespace kelmora
