#include "view/EditedItems.h"

namespace kelmora {

namespace {

template <typename T>
const T* At(const std::vector<T>& items, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return nullptr;
    return &items[static_cast<std::size_t>(index)];
}

}  // namespace

const CGroundLine* CurrentGroundLine(const CNoise& model, const EditState& edit) {
    return At(model.groundLines, edit.currentGroundLine);
}

const CWall* CurrentWall(const CNoise& model, const EditState& edit) {
    const CGroundLine* line = CurrentGroundLine(model, edit);
    return line ? At(line->walls, edit.currentWall) : nullptr;
}

const CBuilding* CurrentBuilding(const CNoise& model, const EditState& edit) {
    return At(model.buildings, edit.currentBuilding);
}

const CRoof* CurrentRoof(const CNoise& model, const EditState& edit) {
    const CBuilding* building = CurrentBuilding(model, edit);
    return building ? At(building->roofs, edit.currentRoof) : nullptr;
}

const CBuildingWall* CurrentExteriorWall(const CNoise& model, const EditState& edit) {
    const CBuilding* building = CurrentBuilding(model, edit);
    return building ? At(building->walls, edit.currentExteriorWall) : nullptr;
}

const CRoom* CurrentRoom(const CNoise& model, const EditState& edit) {
    const CBuilding* building = CurrentBuilding(model, edit);
    return building ? At(building->rooms, edit.currentRoom) : nullptr;
}

const CSound* CurrentRoomSource(const CNoise& model, const EditState& edit) {
    const CRoom* room = CurrentRoom(model, edit);
    return room ? At(room->sources, edit.currentRoomSource) : nullptr;
}

const CSound* CurrentOutdoorSource(const CNoise& model, const EditState& edit) {
    return At(model.outdoorSources, edit.currentOutdoorSource);
}

std::vector<const CWindow*> OpeningsUnderEdit(const CNoise& model, const EditState& edit) {
    std::vector<const CWindow*> out;
    const CRoom* room = CurrentRoom(model, edit);
    if (!room) return out;
    const std::vector<CWindow>* siblings = &room->openings;
    for (int index : edit.openingLevels) {
        const CWindow* opening = At(*siblings, index);
        if (!opening) break;
        out.push_back(opening);
        siblings = &opening->containedOpenings;
    }
    return out;
}

}  // namespace kelmora
