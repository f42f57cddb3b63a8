#include "editing/ListTable.h"

#include <array>
#include <charconv>
#include <cstddef>

#include "geometry/RectGeometry.h"

namespace kelmora {

namespace {

// n ideographic spaces (U+3000), which pad the Japanese headers to the width of their cells.
std::string Wide(int n) {
    std::string spaces;
    for (int i = 0; i < n; ++i)
        spaces += "\u3000";
    return spaces;
}

const std::string kMemoHeader = " コメント" + Wide(17);

std::vector<ListTable> MakeTables() {
    std::vector<ListTable> t(9);
    t[static_cast<int>(EditLevel::GroundLine)] = {{" ポリライン点数 ", " 遮音壁・法肩 個数 ", kMemoHeader},
                                                  ListExtra::ShiftedCopy};
    t[static_cast<int>(EditLevel::Wall)] = {
        {"種類" + Wide(8), "壁高さ[m]", "上回折" + Wide(4), "下回折" + Wide(4), "始点側側方回折",
         "終点側側方回折", "左側反射タイプ", "右側反射タイプ", kMemoHeader},
        ListExtra::None};
    t[static_cast<int>(EditLevel::Building)] = {
        {" 屋上矩形個数 ", " 外壁個数" + Wide(2) + " ", " 室個数" + Wide(3) + " ", kMemoHeader},
        ListExtra::None};
    t[static_cast<int>(EditLevel::Roof)] = {
        {" 辺ABCD回折有無 ", " 回折タイプ" + Wide(2) + " ", "左側反射タイプ", "右側反射タイプ",
         " 辺AのZ座標[m] ", " 辺CのZ座標[m] ", " 面積[m2] ", kMemoHeader},
        ListExtra::None};
    t[static_cast<int>(EditLevel::ExteriorWall)] = {
        {" 辺数 ", " 上辺Z座標 ", " 下辺Z座標 ", " 閉じた図形 ", " 始点側回折 ", " 終点側回折 ", " 上辺回折 ",
         " 下辺回折 ", " 反射タイプ ", kMemoHeader},
        ListExtra::WallsFromRoofs};
    t[static_cast<int>(EditLevel::Room)] = {{" 表面積[m^2] ", " 天井Z座標[m] ", " 床面Z座標[m] ",
                                             " 形状辺数 ", " 開口部数 ", " 音源数 ", kMemoHeader},
                                            ListExtra::None};
    t[static_cast<int>(EditLevel::Opening)] = {
        {" 表面積[m^2] ", " 上辺Z座標 ", " 下辺Z座標 ", " 属する開口部 ", " 音源になる ", " 包含開口部数 ",
         kMemoHeader},
        ListExtra::OpeningsFromRoomShape};
    const std::vector<std::string> sourceHeaders = {" Z座標値 ",
                                                    " 指向係数Q値 ",
                                                    " 騒音タイプ ",
                                                    " 1回あたりの継続時間[sec] ",
                                                    " 1時間あたりの発生回数 ",
                                                    " A特性平均音響パワーレベル[dBA] ",
                                                    " A特性最大音響パワーレベル[dBA] ",
                                                    kMemoHeader};
    t[static_cast<int>(EditLevel::RoomSource)] = {sourceHeaders, ListExtra::None};
    std::vector<std::string> outdoor = sourceHeaders;
    outdoor.erase(outdoor.begin() + 1);  // no directivity column
    t[static_cast<int>(EditLevel::OutdoorSource)] = {outdoor, ListExtra::None};
    return t;
}

std::string Count(std::size_t n) {
    return std::to_string(n);
}

const char* Diffracts(std::int32_t flag) {
    return flag != 0 ? "回折有り" : "回折無し";
}

const char* Has(bool yes) {
    return yes ? "有" : "無";
}

const char* YesNo(std::int32_t flag) {
    return flag != 0 ? "Yes" : "No";
}

const char* Reflection(std::int32_t diffuse) {
    return diffuse != 0 ? "散乱反射" : "鏡面反射";
}

std::string Metres(double value) {
    return FormatFixed(value, 3);
}

// Edges of a plan outline as the lists count them: none below two vertices, one for two, else one per
// vertex (closed) or one fewer (open).
std::size_t EdgeCount(std::size_t vertices, bool closed) {
    if (vertices < 2) return 0;
    if (vertices == 2) return 1;
    return closed ? vertices : vertices - 1;
}

}  // namespace

const ListTable& ListTableOf(EditLevel level) {
    static const std::vector<ListTable> tables = MakeTables();
    return tables[static_cast<std::size_t>(level)];
}

const char* ListExtraText(ListExtra extra) {
    switch (extra) {
        case ListExtra::ShiftedCopy:
            return "選択地表線移動追加...";
        case ListExtra::WallsFromRoofs:
            return "屋上情報から外壁生成";
        case ListExtra::OpeningsFromRoomShape:
            return "室形状から壁生成";
        case ListExtra::None:
            break;
    }
    return "";
}

int ListExtraButtonId(ListExtra extra) {
    switch (extra) {
        case ListExtra::ShiftedCopy:
            return kShiftedCopyButtonId;
        case ListExtra::WallsFromRoofs:
        case ListExtra::OpeningsFromRoomShape:
            return kGenerateButtonId;
        case ListExtra::None:
            break;
    }
    return 0;
}

std::string FormatFixed(double value, int decimals) {
    std::array<char, 400> text{};  // room for the 309 integer digits of the largest double
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals).ptr;
    return {text.data(), end};
}

std::string FormatGeneral(double value) {
    std::array<char, 32> text{};
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 6).ptr;
    return {text.data(), end};
}

std::vector<std::string> ListCells(const CGroundLine& line) {
    return {Count(line.polyline.vertices.size()), Count(line.walls.size()), line.memo};
}

std::vector<std::string> ListCells(const CWall& wall) {
    const char* type = "回折無し障害物";
    if (wall.type == kKnifeEdgeBarrier) type = "ナイフウェッジ";
    if (wall.type == kRightAngleBarrier) type = "直角ウェッジ";
    if (wall.type == kSlopeShoulder) type = "法肩";
    return {type,
            Metres(wall.height),
            Diffracts(wall.diffractTop),
            Diffracts(wall.diffractBottom),
            Diffracts(wall.diffractStart),
            Diffracts(wall.diffractEnd),
            Reflection(wall.diffuseLeft),
            Reflection(wall.diffuseRight),
            wall.memo};
}

std::vector<std::string> ListCells(const CBuilding& building) {
    return {Count(building.roofs.size()), Count(building.walls.size()), Count(building.rooms.size()),
            building.memo};
}

std::vector<std::string> ListCells(const CRoof& roof) {
    const CRectObstacle& face = roof.face;
    std::string edges;
    for (const std::int32_t flag : face.diffracts)
        edges += Has(flag != 0);
    return {edges,
            face.wedgeType == kKnifeEdgeWedge ? "ナイフウェッジ" : "直角ウェッジ",
            Reflection(face.diffuseLeft),
            Reflection(face.diffuseRight),
            Metres(face.rect.p1.z),
            Metres(face.rect.p3.z),
            Metres(RectArea(face.rect)),
            roof.memo};
}

std::vector<std::string> ListCells(const CBuildingWall& wall) {
    const bool closed = wall.closed != 0;
    // A closed wall has no free ends, so both ends count as diffracting.
    return {Count(EdgeCount(wall.polyline.vertices.size(), closed)),
            Metres(wall.topZ),
            Metres(wall.bottomZ),
            closed ? "Yes" : "No",
            Has(closed || wall.diffractStart != 0),
            Has(closed || wall.diffractEnd != 0),
            Has(wall.diffractTop != 0),
            Has(wall.diffractBottom != 0),
            Reflection(wall.diffuse),
            wall.memo};
}

std::vector<std::string> ListCells(const CRoom& room) {
    const double surface = room.computeFromShape != 0 ? ComputedSurfaceArea(room) : room.surfaceArea;
    return {Metres(surface),
            Metres(room.ceilingZ),
            Metres(room.floorZ),
            Count(EdgeCount(room.outline.vertices.size(), true)),
            Count(room.openings.size()),
            Count(room.sources.size()),
            room.memo};
}

std::vector<std::string> ListCells(const CWindow& opening) {
    const char* surface = "壁";
    if (opening.belongsTo == kOnCeiling) surface = "天井";
    if (opening.belongsTo == kOnFloor) surface = "床";
    return {Metres(EffectiveArea(opening)),
            Metres(opening.rect.p1.z),
            Metres(opening.rect.p3.z),
            surface,
            YesNo(opening.isOutdoorSource),
            Count(opening.containedOpenings.size()),
            opening.memo};
}

std::vector<std::string> SourceListCells(const CSound& source, bool withDirectivity) {
    std::vector<std::string> cells = {Metres(source.position.z)};
    if (withDirectivity) cells.push_back(FormatGeneral(source.q));
    cells.insert(cells.end(),
                 {NoiseTypeShortName(source.noiseType), Metres(source.duration),
                  FormatGeneral(source.eventsPerHour), FormatFixed(source.powerAverage.overallLevel(), 1),
                  FormatFixed(source.powerMax.overallLevel(), 1), source.memo});
    return cells;
}

}  // namespace kelmora
