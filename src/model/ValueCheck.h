#pragma once
// The check of a whole model before a run: every value must be a finite number, and every value that a
// dialog edits must lie in the range that dialog accepts (the limits in Validation.h). A project made in the
// dialogs always passes; one written as JSON, by another program or damaged may not, and a run over
// such values would compute nonsense, never end or run out of memory.
//
// Only ranges are checked, not the editors' other rules (a wall's range order, a room's height):
// those stay as the file has them. Spectra are checked in their own representation (the 21 bands of a
// one-third-octave spectrum). Generated grid points need only be finite: a grid over a large picture
// may reach beyond the range of the coordinate fields.
#include <optional>
#include <string>

#include "model/Noise.h"

namespace kelmora {

struct ValueProblem {
    std::string object;   // "地表線 2 の壁・法肩 1", "屋外音源 3", "計算条件", ...
    std::string field;    // "height", "powerAverage 1000Hz", "vertices 4 x", ...
    std::string message;  // the whole text shown to the user, naming both
};

// The first value out of order, walking the model in the order of the project file; none when every
// value is in order.
std::optional<ValueProblem> FindValueProblem(const CNoise& model);

}  // namespace kelmora
