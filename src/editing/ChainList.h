#pragma once
// ChainList: the list dialog of an editing chain without its window — one mechanism for all nine
// lists. It shows the collection of its level in the working copy, one row per item (ListTable.h),
// and keeps the list's selection as the level's current item in the transaction, so that the plan
// highlights it and "変更..." hands it to the editor.
//
// Selection rules: a non-empty list always has exactly one selected row; Refresh(row) refills the rows
// and selects row clamped to the list (an empty list leaves its level without a current item).
// "変更..." and "削除" (and the ground lines' "選択地表線移動追加...") need a row; "↑" a row that is
// not the first, "↓" one that is not the last.
//
// The window binds the buttons to the actions and, after each ListUpdate, sends its hints to the plan
// windows and refills or reselects its rows; the actions that close the list return the transaction's
// ChainStep for the dialog to finish with.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editing/ChainStep.h"
#include "editing/EditTransaction.h"
#include "editing/ListTable.h"
#include "model/UserMessage.h"

namespace kelmora {

// What an action inside the list asks of its window.
struct ListUpdate {
    std::vector<int> hints;              // redraw hints for the plan windows, in order
    bool rowsChanged = false;            // the rows must be refilled
    std::optional<UserMessage> message;  // a message box to show afterwards
};

class ChainList {
public:
    // The list of the transaction's current edit mode, which must be a list mode.
    explicit ChainList(EditTransaction& transaction);

    EditLevel level() const { return level_; }
    const std::vector<std::string>& headers() const { return ListTableOf(level_).headers; }

    // The cell texts of every row, in collection order.
    std::vector<std::vector<std::string>> Rows() const;
    int RowCount() const;
    // The selected row: the level's current item, −1 when there is none.
    int SelectedRow() const;

    // The extra button of this list, None when it has none or hides it (the openings of an opening
    // cannot be generated from the room's shape).
    ListExtra extra() const;
    // The list's own buttons (ListTable.h); "OK" and "キャンセル" are always there and enabled.
    bool IsButtonShown(int buttonId) const;
    bool IsButtonEnabled(int buttonId) const;

    // Refills the rows and selects `row`, clamped to the list.
    ListUpdate Refresh(int row);
    // The list as it opens: its level's current item selected (the first row when it has none).
    ListUpdate Open() { return Refresh(SelectedRow()); }
    // The user selected a row.
    ListUpdate Select(int row);
    // "削除": the selected item goes at once, without confirmation; the same row number stays selected.
    ListUpdate Delete();
    // "↑" / "↓": the selected item changes place with its neighbour and stays selected.
    ListUpdate MoveUp();
    ListUpdate MoveDown();
    // "屋上情報から外壁生成" / "室形状から壁生成": the generated items appended and the last selected,
    // or the message why nothing was generated.
    ListUpdate Generate();

    // "追加...": appends the level's new item (defaults on add, NewItems.h) and hands it to its editor.
    ChainStep Add();
    // "変更...": hands the selected item to its editor.
    ChainStep Change();
    // The two fields of the dialog of "選択地表線移動追加...": the horizontal distance h [m] (left of
    // the line's direction positive) and the vertical distance v [m]. Each must be a finite number (there
    // is no range), and the selected line moved by them must keep finite coordinates; otherwise the
    // message of the first field refused, which then takes the focus.
    std::optional<UserMessage> ReadShiftDistances(std::string_view horizontalText,
                                                  std::string_view verticalText, double& h, double& v) const;
    // "選択地表線移動追加..." after its dialog: appends the selected ground line moved by h and v, and
    // hands it to the editor as an addition. Nothing happens (an empty step) when no line is selected
    // or when the distances are refused.
    ChainStep AddShiftedCopy(double h, double v);

    // "OK" and "キャンセル" (also Esc and the close box).
    ChainStep Ok();
    ChainStep Cancel();

private:
    template <typename F>
    void WithItems(F&& f) const;
    ListUpdate Swap(int row, int other);
    ChainStep HandOver(int row, ListExit exit);
    // The field (1036 or 1038) whose distance would move the selected line out of the finite numbers,
    // or 0.
    int ShiftFieldOutOfRange(double h, double v) const;

    EditTransaction& tx_;
    EditLevel level_;
};

// Identifiers of the two fields of the shift dialog
// "地表線移動量　＜左右は地表面ポリライン矢印方向に対して＞".
inline constexpr int kShiftHorizontalFieldId =
    1036;  // "水平移動距離[m]　…　矢印左側がプラス、右側がマイナス"
inline constexpr int kShiftVerticalFieldId = 1038;  // "鉛直移動距離[m]"

}  // namespace kelmora
