#pragma once
// The items and collections of the model under edit that the chain's current indices name, for the
// lists and editors that change them. A missing parent, an index of −1 or out of range gives null.
// (The plan reads the same slots through view/EditedItems.h.)
#include <cstddef>
#include <vector>

#include "model/Noise.h"
#include "view/EditState.h"

namespace kelmora {

CGroundLine* CurrentGroundLine(CNoise& model, const EditState& edit);
CWall* CurrentWall(CNoise& model, const EditState& edit);
CBuilding* CurrentBuilding(CNoise& model, const EditState& edit);
CRoof* CurrentRoof(CNoise& model, const EditState& edit);
CBuildingWall* CurrentExteriorWall(CNoise& model, const EditState& edit);
CRoom* CurrentRoom(CNoise& model, const EditState& edit);
CSound* CurrentRoomSource(CNoise& model, const EditState& edit);
CSound* CurrentOutdoorSource(CNoise& model, const EditState& edit);

// The openings that the opening list of nesting level `depth` shows: the current room's openings at
// depth 0, the contained openings of the opening chosen at depth − 1 otherwise.
std::vector<CWindow>* OpeningsAtLevel(CNoise& model, const EditState& edit, std::size_t depth);
// The opening chosen at nesting level `depth`.
CWindow* OpeningAtLevel(CNoise& model, const EditState& edit, std::size_t depth);

}  // namespace kelmora
