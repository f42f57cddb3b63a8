#pragma once
// The editing state of a document as the plan reads it: which dialog of which editing chain is open
// (`editMode`) and which item each level of the chain is working on. The document owns and changes it;
// the plan's drawing and clicks only read it. Every index is −1 for "none" and refers to the model
// being drawn (the working copy while a list or editor is open).
#include <vector>

namespace kelmora {

// Values of `editMode`: which dialog is open.
inline constexpr int kIdleMode = 0;
inline constexpr int kCalculationMode = 1;          // "予測計算処理" progress dialog
inline constexpr int kSizeChangeMode = 2;           // "サイズ変更"
inline constexpr int kGroundLineListMode = 3;       // "地表線情報一覧"
inline constexpr int kGroundLineAddMode = 4;        // "地表線情報編集", adding
inline constexpr int kGroundLineChangeMode = 5;     // … changing
inline constexpr int kWallListMode = 6;             // "壁・法肩情報一覧"
inline constexpr int kWallAddMode = 7;              // wall editor, adding
inline constexpr int kWallChangeMode = 8;           // … changing
inline constexpr int kBuildingListMode = 9;         // "建物情報一覧"
inline constexpr int kBuildingAddMode = 10;         // "建物情報編集", adding
inline constexpr int kBuildingChangeMode = 11;      // … changing
inline constexpr int kRoofListMode = 12;            // "屋上情報一覧"
inline constexpr int kRoofAddMode = 13;             // roof editor, adding
inline constexpr int kRoofChangeMode = 14;          // … changing
inline constexpr int kExteriorWallListMode = 15;    // "建物外壁情報一覧"
inline constexpr int kExteriorWallAddMode = 16;     // exterior-wall editor, adding
inline constexpr int kExteriorWallChangeMode = 17;  // … changing
inline constexpr int kRoomListMode = 18;            // "室情報一覧"
inline constexpr int kRoomAddMode = 19;             // room editor, adding
inline constexpr int kRoomChangeMode = 20;          // … changing
inline constexpr int kOpeningListMode = 21;  // "壁など開口部情報一覧" (of a room or of an opening)
inline constexpr int kOpeningAddMode = 22;   // opening editor, adding
inline constexpr int kOpeningChangeMode = 23;        // … changing
inline constexpr int kRoomSourceListMode = 24;       // "室内音源情報一覧"
inline constexpr int kRoomSourceAddMode = 25;        // room-source editor, adding
inline constexpr int kRoomSourceChangeMode = 26;     // … changing
inline constexpr int kOutdoorSourceListMode = 27;    // "屋外音源情報一覧"
inline constexpr int kOutdoorSourceAddMode = 28;     // outdoor-source editor, adding
inline constexpr int kOutdoorSourceChangeMode = 29;  // … changing
inline constexpr int kPredictionMode = 30;           // "予測" prediction dialog

// True for the two values of an editor's mode pair (adding, changing).
inline bool IsEditorMode(int editMode, int addMode) {
    return editMode == addMode || editMode == addMode + 1;
}

struct EditState {
    int editMode = kIdleMode;

    int currentGroundLine = -1;  // in the model's ground lines
    int currentWall = -1;        // in the current ground line's walls
    int currentBuilding = -1;    // in the model's buildings
    int currentRoof = -1;        // in the current building's roofs
    int currentExteriorWall = -1;
    int currentRoom = -1;  // in the current building's rooms
    // One entry per open opening list, outermost first: entry 0 indexes the current room's openings,
    // entry k the contained openings of the opening chosen at entry k − 1; −1 while that list has no
    // opening handed to an editor.
    std::vector<int> openingLevels;
    int currentRoomSource = -1;     // in the current room's sources
    int currentOutdoorSource = -1;  // in the model's outdoor sources
    // The prediction dialog's selected row of its point list (the dialog edits the working copy's
    // calculation settings).
    int selectedPointIndex = -1;

    friend bool operator==(const EditState&, const EditState&) = default;
};

}  // namespace kelmora
