#include "editing/ChainList.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <type_traits>
#include <utility>

#include "editing/CurrentItems.h"
#include "editing/FieldParser.h"
#include "editing/NewItems.h"

namespace kelmora {

namespace {

// The nesting depth of the open opening list: 0 for a room's openings, k for the openings inside the
// opening chosen at depth k − 1.
std::size_t OpeningDepth(const EditState& edit) {
    return edit.openingLevels.empty() ? 0 : edit.openingLevels.size() - 1;
}

int CurrentIndex(EditLevel level, const EditState& edit) {
    switch (level) {
        case EditLevel::GroundLine:
            return edit.currentGroundLine;
        case EditLevel::Wall:
            return edit.currentWall;
        case EditLevel::Building:
            return edit.currentBuilding;
        case EditLevel::Roof:
            return edit.currentRoof;
        case EditLevel::ExteriorWall:
            return edit.currentExteriorWall;
        case EditLevel::Room:
            return edit.currentRoom;
        case EditLevel::Opening:
            return edit.openingLevels.empty() ? -1 : edit.openingLevels.back();
        case EditLevel::RoomSource:
            return edit.currentRoomSource;
        case EditLevel::OutdoorSource:
            return edit.currentOutdoorSource;
    }
    return -1;
}

bool IsFinite(const CPolyline& line) {
    return std::all_of(line.vertices.begin(), line.vertices.end(), [](const CVector3D& v) {
        return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    });
}

void Append(std::vector<int>& hints, const ChainStep& step) {
    hints.insert(hints.end(), step.hints.begin(), step.hints.end());
}

}  // namespace

ChainList::ChainList(EditTransaction& transaction)
    : tx_(transaction), level_(LevelOfMode(transaction.editMode()).value_or(EditLevel::GroundLine)) {}

// Calls f with the collection this list shows (a typed null pointer while its parent item is missing).
template <typename F>
void ChainList::WithItems(F&& f) const {
    CNoise& wc = tx_.workingCopy();
    const EditState& edit = tx_.edit();
    switch (level_) {
        case EditLevel::GroundLine:
            f(&wc.groundLines);
            return;
        case EditLevel::Wall: {
            CGroundLine* line = CurrentGroundLine(wc, edit);
            f(line ? &line->walls : nullptr);
            return;
        }
        case EditLevel::Building:
            f(&wc.buildings);
            return;
        case EditLevel::Roof: {
            CBuilding* building = CurrentBuilding(wc, edit);
            f(building ? &building->roofs : nullptr);
            return;
        }
        case EditLevel::ExteriorWall: {
            CBuilding* building = CurrentBuilding(wc, edit);
            f(building ? &building->walls : nullptr);
            return;
        }
        case EditLevel::Room: {
            CBuilding* building = CurrentBuilding(wc, edit);
            f(building ? &building->rooms : nullptr);
            return;
        }
        case EditLevel::Opening:
            f(edit.openingLevels.empty() ? nullptr : OpeningsAtLevel(wc, edit, OpeningDepth(edit)));
            return;
        case EditLevel::RoomSource: {
            CRoom* room = CurrentRoom(wc, edit);
            f(room ? &room->sources : nullptr);
            return;
        }
        case EditLevel::OutdoorSource:
            f(&wc.outdoorSources);
            return;
    }
}

std::vector<std::vector<std::string>> ChainList::Rows() const {
    std::vector<std::vector<std::string>> rows;
    WithItems([&](auto* items) {
        if (items == nullptr) return;
        for (const auto& item : *items) {
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(item)>, CSound>)
                rows.push_back(SourceListCells(item, level_ == EditLevel::RoomSource));
            else
                rows.push_back(ListCells(item));
        }
    });
    return rows;
}

int ChainList::RowCount() const {
    int n = 0;
    WithItems([&](auto* items) {
        if (items != nullptr) n = static_cast<int>(items->size());
    });
    return n;
}

int ChainList::SelectedRow() const {
    const int row = CurrentIndex(level_, tx_.edit());
    return row >= 0 && row < RowCount() ? row : -1;
}

ListExtra ChainList::extra() const {
    const ListExtra extra = ListTableOf(level_).extra;
    if (extra == ListExtra::OpeningsFromRoomShape && OpeningDepth(tx_.edit()) > 0) return ListExtra::None;
    return extra;
}

bool ChainList::IsButtonShown(int buttonId) const {
    switch (buttonId) {
        case kShiftedCopyButtonId:
        case kGenerateButtonId:
            return ListExtraButtonId(extra()) == buttonId;
        case kListAddButtonId:
        case kChangeButtonId:
        case kDeleteButtonId:
        case kUpButtonId:
        case kDownButtonId:
            return true;
        default:
            return false;
    }
}

bool ChainList::IsButtonEnabled(int buttonId) const {
    if (!IsButtonShown(buttonId)) return false;
    const int row = SelectedRow();
    const int n = RowCount();
    switch (buttonId) {
        case kChangeButtonId:
        case kDeleteButtonId:
        case kShiftedCopyButtonId:
            return row >= 0;
        case kUpButtonId:
            return row > 0;
        case kDownButtonId:
            return row >= 0 && row < n - 1;
        default:
            return true;
    }
}

ListUpdate ChainList::Refresh(int row) {
    ListUpdate update;
    update.rowsChanged = true;
    const int n = RowCount();
    if (n == 0) {
        Append(update.hints, tx_.ClearListSelection());
        return update;
    }
    Append(update.hints, tx_.SelectListRow(std::clamp(row, 0, n - 1)));
    return update;
}

ListUpdate ChainList::Select(int row) {
    ListUpdate update;
    if (row < 0 || row >= RowCount()) return update;
    Append(update.hints, tx_.SelectListRow(row));
    return update;
}

ListUpdate ChainList::Delete() {
    const int row = SelectedRow();
    if (row < 0) return {};
    WithItems([&](auto* items) {
        if (items != nullptr) items->erase(items->begin() + row);
    });
    ListUpdate update = Refresh(row);
    update.hints.insert(update.hints.begin(), 2);
    return update;
}

ListUpdate ChainList::Swap(int row, int other) {
    WithItems([&](auto* items) {
        if (items != nullptr) std::swap((*items)[row], (*items)[other]);
    });
    return Refresh(other);
}

ListUpdate ChainList::MoveUp() {
    const int row = SelectedRow();
    if (row <= 0) return {};
    return Swap(row, row - 1);
}

ListUpdate ChainList::MoveDown() {
    const int row = SelectedRow();
    if (row < 0 || row >= RowCount() - 1) return {};
    return Swap(row, row + 1);
}

ListUpdate ChainList::Generate() {
    CNoise& wc = tx_.workingCopy();
    const EditState& edit = tx_.edit();
    CBuilding* building = CurrentBuilding(wc, edit);
    if (building == nullptr) return {};
    int generated = 0;
    UserMessage failure;
    failure.icon = MessageIcon::kWarning;
    try {
        switch (extra()) {
            case ListExtra::WallsFromRoofs:
                failure.caption = "外壁生成エラー";
                generated = GenerateWallsFromRoofs(*building);
                failure.text =
                    generated == 0 ? "屋上矩形が定義されていません" : "1m未満の外壁は生成できません";
                break;
            case ListExtra::OpeningsFromRoomShape: {
                CRoom* room = CurrentRoom(wc, edit);
                if (room == nullptr) return {};
                failure.caption = "壁生成エラー";
                generated = GenerateWallOpenings(*room, building->roofs);
                failure.text = generated == 0 ? "室形状が定義されていません" : "1m未満の壁は生成できません";
                break;
            }
            default:
                return {};
        }
    } catch (const std::exception& e) {
        // Shapes the polygon library refuses (coordinates from a damaged file): nothing is generated,
        // and the user learns why instead of losing the program.
        ListUpdate update;
        failure.text = e.what();
        update.message = failure;
        return update;
    }
    if (generated <= 0) {
        ListUpdate update;
        update.message = failure;
        return update;
    }
    ListUpdate update = Refresh(RowCount() - 1);
    update.hints.insert(update.hints.begin(), 2);
    return update;
}

ChainStep ChainList::HandOver(int row, ListExit exit) {
    if (row < 0) return {};
    return tx_.ListClosed(exit, row);
}

ChainStep ChainList::Add() {
    CNoise& wc = tx_.workingCopy();
    const EditState& edit = tx_.edit();
    int row = -1;
    switch (level_) {
        case EditLevel::Wall:
            if (CGroundLine* line = CurrentGroundLine(wc, edit)) row = PlaceNewWall(*line, SelectedRow());
            break;
        case EditLevel::RoomSource:
            if (CRoom* room = CurrentRoom(wc, edit)) {
                room->sources.push_back(NewIndoorSource(*room));
                row = static_cast<int>(room->sources.size()) - 1;
            }
            break;
        case EditLevel::Opening: {
            if (edit.openingLevels.empty()) break;
            const std::size_t depth = OpeningDepth(edit);
            std::vector<CWindow>* openings = OpeningsAtLevel(wc, edit, depth);
            if (openings == nullptr) break;
            const CWindow* containing = depth > 0 ? OpeningAtLevel(wc, edit, depth - 1) : nullptr;
            openings->push_back(containing ? NewContainedOpening(*containing) : CWindow{});
            row = static_cast<int>(openings->size()) - 1;
            break;
        }
        default:
            WithItems([&](auto* items) {
                if (items == nullptr) return;
                items->emplace_back();
                row = static_cast<int>(items->size()) - 1;
            });
            break;
    }
    return HandOver(row, ListExit::Add);
}

ChainStep ChainList::Change() {
    return HandOver(SelectedRow(), ListExit::Change);
}

int ChainList::ShiftFieldOutOfRange(double h, double v) const {
    if (level_ != EditLevel::GroundLine || SelectedRow() < 0) return 0;
    if (!std::isfinite(h)) return kShiftHorizontalFieldId;
    if (!std::isfinite(v)) return kShiftVerticalFieldId;
    const CGroundLine& source = tx_.workingCopy().groundLines[static_cast<std::size_t>(SelectedRow())];
    // The plan coordinates move only with the horizontal distance, the heights only with the vertical.
    if (!IsFinite(ShiftedCopy(source, h, 0.0).polyline)) return kShiftHorizontalFieldId;
    if (!IsFinite(ShiftedCopy(source, 0.0, v).polyline)) return kShiftVerticalFieldId;
    return 0;
}

std::optional<UserMessage> ChainList::ReadShiftDistances(std::string_view horizontalText,
                                                         std::string_view verticalText, double& h,
                                                         double& v) const {
    FieldReader reader;
    reader.Number(horizontalText, "horizontal", kShiftHorizontalFieldId, h)
        .Number(verticalText, "vertical", kShiftVerticalFieldId, v);
    if (!reader.ok()) return FieldMessage(*reader.issue());
    // A distance that moves the line beyond the largest coordinate is no usable number either.
    if (const int field = ShiftFieldOutOfRange(h, v); field != 0)
        return FieldMessage({ValidationKind::kRange, kNotANumberMessage, "", field});
    return std::nullopt;
}

ChainStep ChainList::AddShiftedCopy(double h, double v) {
    const int row = SelectedRow();
    if (level_ != EditLevel::GroundLine || row < 0 || ShiftFieldOutOfRange(h, v) != 0) return {};
    std::vector<CGroundLine>& lines = tx_.workingCopy().groundLines;
    lines.push_back(ShiftedCopy(lines[static_cast<std::size_t>(row)], h, v));
    return HandOver(static_cast<int>(lines.size()) - 1, ListExit::Add);
}

ChainStep ChainList::Ok() {
    return tx_.ListClosed(ListExit::Ok);
}

ChainStep ChainList::Cancel() {
    return tx_.ListClosed(ListExit::Cancel);
}

}  // namespace kelmora
