#include "model/Building.h"

namespace kelmora {

void CBuilding::Serialize(CArchive& ar) {
    SerializeList(ar, walls, CBuildingWall::kMinArchiveBytes);
    SerializeList(ar, roofs, CRoof::kMinArchiveBytes);
    SerializeList(ar, rooms, CRoom::kMinArchiveBytes);
    ar.Io(memo);
}

}  // namespace kelmora
