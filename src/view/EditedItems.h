#pragma once
// The items of a model that the edit state's current-item slots name. A slot of −1, an index out of
// range, or a missing parent item gives null: the plan then draws or snaps to nothing for that slot.
#include <vector>

#include "model/Noise.h"
#include "view/EditState.h"

namespace kelmora {

const CGroundLine* CurrentGroundLine(const CNoise& model, const EditState& edit);
// A wall of the current ground line.
const CWall* CurrentWall(const CNoise& model, const EditState& edit);
const CBuilding* CurrentBuilding(const CNoise& model, const EditState& edit);
// The roof, exterior wall and room of the current building.
const CRoof* CurrentRoof(const CNoise& model, const EditState& edit);
const CBuildingWall* CurrentExteriorWall(const CNoise& model, const EditState& edit);
const CRoom* CurrentRoom(const CNoise& model, const EditState& edit);
// A source of the current room.
const CSound* CurrentRoomSource(const CNoise& model, const EditState& edit);
const CSound* CurrentOutdoorSource(const CNoise& model, const EditState& edit);

// The openings of the nested opening levels, outermost first (element k − 1 is the opening of level k,
// nesting depth k). The list stops at the first level that names no opening.
std::vector<const CWindow*> OpeningsUnderEdit(const CNoise& model, const EditState& edit);

}  // namespace kelmora
