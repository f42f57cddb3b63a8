#pragma once
// The levels of the editing chains and the edit modes that belong to them. A chain starts at an
// outermost list (ground lines, buildings, outdoor sources); a list hands one item to its editor, and
// some editors open the lists of their item's parts:
//
//   ground lines (3) → ground-line editor (4/5) → walls (6) → wall editor (7/8)
//   buildings (9) → building editor (10/11) → roofs (12) → roof editor (13/14)
//                                           → exterior walls (15) → exterior-wall editor (16/17)
//                                           → rooms (18) → room editor (19/20) → openings (21) → …
//                                                                              → room sources (24) → …
//   openings (21) → opening editor (22/23) → contained openings (21 again, one level deeper) → …
//   outdoor sources (27) → outdoor-source editor (28/29)
#include <optional>

#include "view/EditState.h"

namespace kelmora {

enum class EditLevel {
    GroundLine,
    Wall,
    Building,
    Roof,
    ExteriorWall,
    Room,
    Opening,
    RoomSource,
    OutdoorSource,
};

// The three edit modes of a level: its list, its editor adding an item, its editor changing one.
struct LevelModes {
    int list = 0;
    int add = 0;
    int change = 0;
};
LevelModes ModesOf(EditLevel level);

// The level of an edit mode of a list or an editor (3 … 29); none for 0, 1, 2, 30 and unknown values.
std::optional<EditLevel> LevelOfMode(int editMode);

bool IsListMode(int editMode);
// An editor adding (4, 7, 10, …) or changing (5, 8, 11, …) an item.
bool IsEditorMode(int editMode);
bool IsAddMode(int editMode);

// The level whose editor opens this level's list: none for the outermost lists. An opening list's
// parent is the room (first opening level) or the enclosing opening (deeper levels); this gives Room.
std::optional<EditLevel> ParentLevel(EditLevel level);

// The document commands of the edit menu ("編集(&E)"), by their command numbers.
enum class EditCommand : int {
    GroundLines = 32771,     // "地表線情報..."
    Buildings = 32772,       // "建物情報..."
    Prediction = 32773,      // "予測..."
    SizeChange = 32774,      // "サイズ変更..."
    ChangePicture = 32776,   // "背景画像変更..." (handled by the plan window)
    OutdoorSources = 32778,  // "屋外音源情報..."
};

// The command whose chain holds an edit mode: 3–8 ground lines, 9–26 buildings, 27–29 outdoor
// sources; none otherwise.
std::optional<EditCommand> ChainCommandOf(int editMode);

// True for the dialogs that run modally: every list and the building editor (10, 11). The other
// editors, the size dialog, the prediction dialog and the progress dialog are modeless, so that the
// plan can feed them coordinates while they are open.
bool IsModalDialogMode(int editMode);

// The caption of the dialog an edit mode opens (UTF-8), or "" for 0 and unknown values.
const char* DialogCaption(int editMode);

}  // namespace kelmora
