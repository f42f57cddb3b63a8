#pragma once
// The items that "追加..." appends where a list's default item would be of no use as it stands. (A new
// wall is placed by PlaceNewWall, model/GroundLine.h; every other list appends its class's default.)
#include "model/Room.h"
#include "model/Sound.h"

namespace kelmora {

// A source inside the room: in plan at (0, 0) when the room has no outline, at its single vertex when
// it has one, otherwise at the plan centroid of the outline; at the height of the floor. Every
// coordinate is rounded to the millimetre, halves away from zero, so the editor shows it exactly.
CSound NewIndoorSource(const CRoom& room);

// An opening inside `containing`: the same rectangle on the same surface, which the user then shrinks
// to the opening's own size.
CWindow NewContainedOpening(const CWindow& containing);

}  // namespace kelmora
