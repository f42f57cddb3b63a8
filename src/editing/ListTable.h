#pragma once
// The nine lists of the editing chains as one table: for each list its column headers (exactly as the
// list control shows them, with their ASCII and ideographic spaces) and its extra button, and for each
// kind of item the texts of its row. The list mechanism (ChainList.h) and the list dialog read them.
#include <string>
#include <vector>

#include "editing/EditLevels.h"
#include "model/Noise.h"

namespace kelmora {

// The list control and the buttons of every list dialog, by their control identifiers ("OK" and
// "キャンセル" are 1 and 2, as in every chain dialog).
inline constexpr int kListControlId = 1001;
inline constexpr int kListAddButtonId = 1004;      // "追加..."
inline constexpr int kChangeButtonId = 1008;       // "変更..."
inline constexpr int kDeleteButtonId = 1017;       // "削除"
inline constexpr int kUpButtonId = 1026;           // "↑"
inline constexpr int kDownButtonId = 1037;         // "↓"
inline constexpr int kShiftedCopyButtonId = 1005;  // "選択地表線移動追加..." (ground lines)
inline constexpr int kGenerateButtonId = 1018;  // "屋上情報から外壁生成" / "室形状から壁生成"

// The button a list has besides the common ones.
enum class ListExtra {
    None,
    ShiftedCopy,            // ground lines: a moved copy of the selected line
    WallsFromRoofs,         // exterior walls: closed walls around the building's roofs
    OpeningsFromRoomShape,  // openings of a room: one wall opening per edge of the room's outline
};

struct ListTable {
    std::vector<std::string> headers;  // UTF-8, one per column, in column order
    ListExtra extra = ListExtra::None;
};

const ListTable& ListTableOf(EditLevel level);

// The extra button's text and identifier; "" and 0 for None.
const char* ListExtraText(ListExtra extra);
int ListExtraButtonId(ListExtra extra);

// The texts of one row, one per column of the item's list. Numbers are printed as C's printf prints
// them in the "C" locale, whatever the user's locale.
std::vector<std::string> ListCells(const CGroundLine& line);
std::vector<std::string> ListCells(const CWall& wall);
std::vector<std::string> ListCells(const CBuilding& building);
std::vector<std::string> ListCells(const CRoof& roof);
std::vector<std::string> ListCells(const CBuildingWall& wall);
std::vector<std::string> ListCells(const CRoom& room);
std::vector<std::string> ListCells(const CWindow& opening);
// Indoor sources show their directivity factor Q; outdoor sources do not.
std::vector<std::string> SourceListCells(const CSound& source, bool withDirectivity);

// "%.<decimals>f" and "%g" as printed in the "C" locale.
std::string FormatFixed(double value, int decimals);
std::string FormatGeneral(double value);

}  // namespace kelmora
