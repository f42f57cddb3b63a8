#include "editing/CurrentItems.h"

#include "view/EditedItems.h"

namespace kelmora {

namespace {

// The plan's read-only lookups, for a model the caller may change.
template <typename T>
T* Mutable(const T* item) {
    return const_cast<T*>(item);
}

template <typename T>
T* At(std::vector<T>* items, int index) {
    if (items == nullptr || index < 0 || static_cast<std::size_t>(index) >= items->size()) return nullptr;
    return &(*items)[static_cast<std::size_t>(index)];
}

}  // namespace

CGroundLine* CurrentGroundLine(CNoise& model, const EditState& edit) {
    return Mutable(CurrentGroundLine(static_cast<const CNoise&>(model), edit));
}

CWall* CurrentWall(CNoise& model, const EditState& edit) {
    return Mutable(CurrentWall(static_cast<const CNoise&>(model), edit));
}

CBuilding* CurrentBuilding(CNoise& model, const EditState& edit) {
    return Mutable(CurrentBuilding(static_cast<const CNoise&>(model), edit));
}

CRoof* CurrentRoof(CNoise& model, const EditState& edit) {
    return Mutable(CurrentRoof(static_cast<const CNoise&>(model), edit));
}

CBuildingWall* CurrentExteriorWall(CNoise& model, const EditState& edit) {
    return Mutable(CurrentExteriorWall(static_cast<const CNoise&>(model), edit));
}

CRoom* CurrentRoom(CNoise& model, const EditState& edit) {
    return Mutable(CurrentRoom(static_cast<const CNoise&>(model), edit));
}

CSound* CurrentRoomSource(CNoise& model, const EditState& edit) {
    return Mutable(CurrentRoomSource(static_cast<const CNoise&>(model), edit));
}

CSound* CurrentOutdoorSource(CNoise& model, const EditState& edit) {
    return Mutable(CurrentOutdoorSource(static_cast<const CNoise&>(model), edit));
}

std::vector<CWindow>* OpeningsAtLevel(CNoise& model, const EditState& edit, std::size_t depth) {
    CRoom* room = CurrentRoom(model, edit);
    if (room == nullptr || depth >= edit.openingLevels.size()) return nullptr;
    std::vector<CWindow>* openings = &room->openings;
    for (std::size_t k = 0; k < depth; ++k) {
        CWindow* chosen = At(openings, edit.openingLevels[k]);
        if (chosen == nullptr) return nullptr;
        openings = &chosen->containedOpenings;
    }
    return openings;
}

CWindow* OpeningAtLevel(CNoise& model, const EditState& edit, std::size_t depth) {
    if (depth >= edit.openingLevels.size()) return nullptr;
    return At(OpeningsAtLevel(model, edit, depth), edit.openingLevels[depth]);
}

}  // namespace kelmora
