#include "editing/EditLevels.h"

#include <array>

namespace kelmora {

namespace {

struct LevelRow {
    EditLevel level;
    LevelModes modes;
};

constexpr std::array<LevelRow, 9> kLevels{{
    {EditLevel::GroundLine, {kGroundLineListMode, kGroundLineAddMode, kGroundLineChangeMode}},
    {EditLevel::Wall, {kWallListMode, kWallAddMode, kWallChangeMode}},
    {EditLevel::Building, {kBuildingListMode, kBuildingAddMode, kBuildingChangeMode}},
    {EditLevel::Roof, {kRoofListMode, kRoofAddMode, kRoofChangeMode}},
    {EditLevel::ExteriorWall, {kExteriorWallListMode, kExteriorWallAddMode, kExteriorWallChangeMode}},
    {EditLevel::Room, {kRoomListMode, kRoomAddMode, kRoomChangeMode}},
    {EditLevel::Opening, {kOpeningListMode, kOpeningAddMode, kOpeningChangeMode}},
    {EditLevel::RoomSource, {kRoomSourceListMode, kRoomSourceAddMode, kRoomSourceChangeMode}},
    {EditLevel::OutdoorSource, {kOutdoorSourceListMode, kOutdoorSourceAddMode, kOutdoorSourceChangeMode}},
}};

}  // namespace

LevelModes ModesOf(EditLevel level) {
    for (const LevelRow& row : kLevels)
        if (row.level == level) return row.modes;
    return {};
}

std::optional<EditLevel> LevelOfMode(int editMode) {
    for (const LevelRow& row : kLevels)
        if (editMode == row.modes.list || editMode == row.modes.add || editMode == row.modes.change)
            return row.level;
    return std::nullopt;
}

bool IsListMode(int editMode) {
    const std::optional<EditLevel> level = LevelOfMode(editMode);
    return level && ModesOf(*level).list == editMode;
}

bool IsEditorMode(int editMode) {
    return LevelOfMode(editMode).has_value() && !IsListMode(editMode);
}

bool IsAddMode(int editMode) {
    const std::optional<EditLevel> level = LevelOfMode(editMode);
    return level && ModesOf(*level).add == editMode;
}

std::optional<EditLevel> ParentLevel(EditLevel level) {
    switch (level) {
        case EditLevel::Wall:
            return EditLevel::GroundLine;
        case EditLevel::Roof:
        case EditLevel::ExteriorWall:
        case EditLevel::Room:
            return EditLevel::Building;
        case EditLevel::Opening:
        case EditLevel::RoomSource:
            return EditLevel::Room;
        case EditLevel::GroundLine:
        case EditLevel::Building:
        case EditLevel::OutdoorSource:
            break;
    }
    return std::nullopt;
}

std::optional<EditCommand> ChainCommandOf(int editMode) {
    if (editMode >= kGroundLineListMode && editMode <= kWallChangeMode) return EditCommand::GroundLines;
    if (editMode >= kBuildingListMode && editMode <= kRoomSourceChangeMode) return EditCommand::Buildings;
    if (editMode >= kOutdoorSourceListMode && editMode <= kOutdoorSourceChangeMode)
        return EditCommand::OutdoorSources;
    return std::nullopt;
}

bool IsModalDialogMode(int editMode) {
    return IsListMode(editMode) || editMode == kBuildingAddMode || editMode == kBuildingChangeMode;
}

const char* DialogCaption(int editMode) {
    switch (editMode) {
        case kCalculationMode:
            return "騒音予測計算処理";
        case kSizeChangeMode:
            return "サイズ変更";
        case kGroundLineListMode:
            return "地表線情報一覧";
        case kGroundLineAddMode:
        case kGroundLineChangeMode:
            return "地表線情報編集";
        case kWallListMode:
            return "壁・法肩情報一覧";
        case kWallAddMode:
        case kWallChangeMode:
            return "壁・法肩の編集　＜左右は地表線矢印方向に対してです(左↑右)＞";
        case kBuildingListMode:
            return "建物情報一覧";
        case kBuildingAddMode:
        case kBuildingChangeMode:
            return "建物情報編集";
        case kRoofListMode:
            return "屋上情報一覧";
        case kRoofAddMode:
        case kRoofChangeMode:
            return "屋上情報編集 … 平面の左側は辺Aから辺Bに回した右ネジ方向";
        case kExteriorWallListMode:
            return "建物外壁情報一覧";
        case kExteriorWallAddMode:
        case kExteriorWallChangeMode:
            return "建物外壁情報編集";
        case kRoomListMode:
            return "室情報一覧";
        case kRoomAddMode:
        case kRoomChangeMode:
            return "室情報編集";
        case kOpeningListMode:
            return "壁など開口部情報一覧";
        case kOpeningAddMode:
        case kOpeningChangeMode:
            return "壁など開口部情報編集";
        case kRoomSourceListMode:
            return "室内音源情報一覧";
        case kRoomSourceAddMode:
        case kRoomSourceChangeMode:
            return "室内音源情報編集";
        case kOutdoorSourceListMode:
            return "屋外音源情報一覧";
        case kOutdoorSourceAddMode:
        case kOutdoorSourceChangeMode:
            return "屋外音源情報編集";
        case kPredictionMode:
            return "予測";
        default:
            return "";
    }
}

}  // namespace kelmora
