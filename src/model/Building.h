#pragma once
// CBuilding: the roofs, exterior walls and rooms of one built volume.
#include <cstddef>
#include <string>
#include <vector>

#include "model/BuildingWall.h"
#include "model/Roof.h"
#include "model/Room.h"
#include "model/persistence/Archive.h"

namespace kelmora {

class CBuilding {
public:
    CBuilding() = default;
    virtual ~CBuilding() = default;
    CBuilding(const CBuilding&) = default;
    CBuilding& operator=(const CBuilding&) = default;
    CBuilding(CBuilding&&) = default;
    CBuilding& operator=(CBuilding&&) = default;

    // Stores the walls before the roofs, then the rooms and the memo.
    virtual void Serialize(CArchive& ar);

    friend bool operator==(const CBuilding&, const CBuilding&) = default;

    static constexpr std::size_t kMinArchiveBytes = 4 + 4 + 4 + kMinStringBytes;

    std::vector<CRoof> roofs;
    std::vector<CBuildingWall> walls;
    std::vector<CRoom> rooms;
    std::string memo;
};

// Appends closed exterior walls around the plan footprints of the building's roofs, one wall per
// group of overlapping or touching roofs, up to the lowest roof height. Returns the number
// appended, 0 when the building has no roof, −1 (nothing appended) when a wall would have an edge
// shorter than 1 m in plan.
int GenerateWallsFromRoofs(CBuilding& building);

inline constexpr const char* kGeneratedWallMemo = "自動生成, Z座標等を変更してください";

}  // namespace kelmora
