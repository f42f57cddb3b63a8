#include "editing/ChainList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editing/CurrentItems.h"
#include "editing/NewItems.h"
#include "model/SiteModelSamples.h"

namespace kelmora {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using testing::SampleModel;

constexpr ScreenPoint kListCentre{500, 400};

// The row `row` goes to its editor, and the editor opens the list `subListMode` of its parts.
void Enter(EditTransaction& tx, int row, int subListMode) {
    ASSERT_TRUE(tx.ListClosed(ListExit::Change, row).resume);
    ASSERT_TRUE(tx.ResumeChain().open);
    ASSERT_TRUE(tx.EditorClosed(EditorExit::OpenSubList, subListMode).resume);
    ASSERT_EQ(tx.ResumeChain().open->editMode, subListMode);
}

// A transaction over `site` with the list of `level` open, reached through the first item of every
// enclosing level; opening lists `depth` levels below the room.
EditTransaction ListOpen(EditLevel level, int depth = 0, const CNoise& site = SampleModel()) {
    EditTransaction tx;
    tx.Load(site, "/work/site.kel", false);
    switch (level) {
        case EditLevel::GroundLine:
        case EditLevel::Wall:
            tx.StartChain(EditCommand::GroundLines, kListCentre);
            if (level == EditLevel::Wall) Enter(tx, 0, kWallListMode);
            break;
        case EditLevel::OutdoorSource:
            tx.StartChain(EditCommand::OutdoorSources, kListCentre);
            break;
        default:
            tx.StartChain(EditCommand::Buildings, kListCentre);
            if (level == EditLevel::Building) break;
            if (level != EditLevel::Opening && level != EditLevel::RoomSource) {
                Enter(tx, 0, ModesOf(level).list);
                break;
            }
            Enter(tx, 0, kRoomListMode);
            Enter(tx, 0, ModesOf(level).list);
            for (int d = 0; d < depth; ++d)
                Enter(tx, 0, kOpeningListMode);
            break;
    }
    EXPECT_EQ(tx.editMode(), ModesOf(level).list);
    return tx;
}

// The hints an update sends, and the list's rows and selection afterwards.
struct Seen {
    std::vector<int> hints;
    int selected;
    int rows;
};

Seen After(const ChainList& list, const ListUpdate& update) {
    return {update.hints, list.SelectedRow(), list.RowCount()};
}

std::optional<UserMessage> Failure(const char* caption, const char* text) {
    return UserMessage{caption, text, MessageIcon::kWarning, 0};
}

std::string Wide(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "\xE3\x80\x80";  // U+3000 IDEOGRAPHIC SPACE
    return s;
}

TEST(ChainList, EveryListShowsItsHeadersAndTheCellsOfTheSampleSite) {
    const std::string memo = " コメント" + Wide(17);
    struct Case {
        EditLevel level;
        int depth;
        std::vector<std::string> headers;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {EditLevel::GroundLine,
         0,
         {" ポリライン点数 ", " 遮音壁・法肩 個数 ", memo},
         {{"3", "2", "敷地境界"}, {"0", "0", ""}}},
        {EditLevel::Wall,
         0,
         {"種類" + Wide(8), "壁高さ[m]", "上回折" + Wide(4), "下回折" + Wide(4), "始点側側方回折",
          "終点側側方回折", "左側反射タイプ", "右側反射タイプ", memo},
         {{"直角ウェッジ", "3.000", "回折有り", "回折有り", "回折有り", "回折無し", "鏡面反射", "散乱反射",
           "遮音壁"},
          {"法肩", "0.300", "回折有り", "回折無し", "回折無し", "回折無し", "鏡面反射", "鏡面反射", ""}}},
        {EditLevel::Building,
         0,
         {" 屋上矩形個数 ", " 外壁個数" + Wide(2) + " ", " 室個数" + Wide(3) + " ", memo},
         {{"1", "1", "1", "第1工場"}, {"0", "0", "0", ""}}},
        // The roof falls 2 m over its 10 m width: 20 m × √104 m.
        {EditLevel::Roof,
         0,
         {" 辺ABCD回折有無 ", " 回折タイプ" + Wide(2) + " ", "左側反射タイプ", "右側反射タイプ",
          " 辺AのZ座標[m] ", " 辺CのZ座標[m] ", " 面積[m2] ", memo},
         {{"有無有無", "ナイフウェッジ", "散乱反射", "鏡面反射", "8.000", "6.000", "203.961", "工場棟"}}},
        {EditLevel::ExteriorWall,
         0,
         {" 辺数 ", " 上辺Z座標 ", " 下辺Z座標 ", " 閉じた図形 ", " 始点側回折 ", " 終点側回折 ",
          " 上辺回折 ", " 下辺回折 ", " 反射タイプ ", memo},
         {{"4", "6.000", "-1.000", "Yes", "有", "有", "無", "有", "散乱反射", "外壁"}}},
        // Surface from the 20 m × 10 m outline, 6 m high: 2·200 + 60·6 m².
        {EditLevel::Room,
         0,
         {" 表面積[m^2] ", " 天井Z座標[m] ", " 床面Z座標[m] ", " 形状辺数 ", " 開口部数 ", " 音源数 ", memo},
         {{"760.000", "6.000", "0.000", "4", "1", "2", "プレス室"}}},
        {EditLevel::Opening,
         0,
         {" 表面積[m^2] ", " 上辺Z座標 ", " 下辺Z座標 ", " 属する開口部 ", " 音源になる ", " 包含開口部数 ",
          memo},
         {{"7.250", "6.000", "3.500", "壁", "No", "2", "北面"}}},
        {EditLevel::Opening,
         1,
         {" 表面積[m^2] ", " 上辺Z座標 ", " 下辺Z座標 ", " 属する開口部 ", " 音源になる ", " 包含開口部数 ",
          memo},
         {{"7.250", "2.500", "0.000", "壁", "No", "1", "扉"},
          {"7.250", "5.000", "2.500", "壁", "No", "0", "換気口"}}},
        // 21 bands at 88.5 dB sum to 88.5 + 10·log10 21; octaves 90 … 96 dB to 101.9 dB.
        {EditLevel::RoomSource,
         0,
         {" Z座標値 ", " 指向係数Q値 ", " 騒音タイプ ", " 1回あたりの継続時間[sec] ",
          " 1時間あたりの発生回数 ", " A特性平均音響パワーレベル[dBA] ", " A特性最大音響パワーレベル[dBA] ",
          memo},
         {{"1.500", "4", "衝撃騒音", "0.500", "120", "101.7", "101.9", "プレス機"},
          {"1.500", "4", "衝撃騒音", "0.500", "120", "101.7", "101.9", "コンプレッサ"}}},
        {EditLevel::OutdoorSource,
         0,
         {" Z座標値 ", " 騒音タイプ ", " 1回あたりの継続時間[sec] ", " 1時間あたりの発生回数 ",
          " A特性平均音響パワーレベル[dBA] ", " A特性最大音響パワーレベル[dBA] ", memo},
         {{"1.500", "衝撃騒音", "0.500", "120", "101.7", "101.9", "冷却塔"},
          {"1.500", "衝撃騒音", "0.500", "120", "101.7", "101.9", std::string(255, 'x')}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(DialogCaption(ModesOf(c.level).list) + std::string(" depth ") + std::to_string(c.depth));
        EditTransaction tx = ListOpen(c.level, c.depth);
        ChainList list(tx);
        EXPECT_EQ(list.headers(), c.headers);
        EXPECT_EQ(list.Rows(), c.rows);
        for (const auto& row : list.Rows())
            EXPECT_EQ(row.size(), c.headers.size());
    }
}

TEST(ChainList, CellsOfTheLessCommonValues) {
    CWall wall;
    wall.type = 7;  // a type no editor offers, from an old file
    EXPECT_EQ(ListCells(wall)[0], "回折無し障害物");

    // Edges of an exterior wall: none below two vertices, one for two, one fewer than the vertices
    // for an open wall; an open wall's ends show their own flags.
    CBuildingWall open;
    open.closed = 0;
    open.diffractStart = 0;
    for (const auto& [vertices, edges] :
         std::vector<std::pair<int, std::string>>{{1, "0"}, {2, "1"}, {5, "4"}}) {
        open.polyline.vertices.assign(static_cast<std::size_t>(vertices), CVector3D{});
        EXPECT_EQ(ListCells(open)[0], edges);
    }
    const std::vector<std::string> cells = ListCells(open);
    EXPECT_EQ(cells[3], "No");
    EXPECT_EQ(cells[4], "無");
    EXPECT_EQ(cells[5], "有");

    // A room that takes its entered surface; a ceiling opening; one third-octave band in use.
    CRoom room;
    room.outline.vertices.assign(2, CVector3D{});
    EXPECT_EQ(ListCells(room)[0], "37.500");
    EXPECT_EQ(ListCells(room)[3], "1");
    CWindow ceiling;
    ceiling.belongsTo = kOnCeiling;
    ceiling.rect = {{0, 0, 3}, {4, 0, 3}, {4, 2.5, 3}};
    ceiling.areaFromRect = 1;
    EXPECT_EQ(ListCells(ceiling)[0], "10.000");
    EXPECT_EQ(ListCells(ceiling)[3], "天井");
    CSound source;
    source.q = 0.25;
    source.eventsPerHour = 1234567.0;
    source.powerAverage = CBand::Filled(kNoSoundLevel);
    const std::vector<std::string> sourceCells = SourceListCells(source, true);
    EXPECT_EQ(sourceCells[1], "0.25");
    EXPECT_EQ(sourceCells[4], "1.23457e+06") << "as %g prints it";
    EXPECT_EQ(sourceCells[5], "-86.8") << "21 bands of no sound still sum to energy";
    EXPECT_EQ(FormatFixed(-0.0004, 3), "-0.000") << "as %.3f prints it";
    EXPECT_EQ(FormatFixed(1.0005, 3), "1.000") << "the double nearest 1.0005 lies below it";
}

TEST(ChainList, SelectionFollowsDeletionsAndMovesAndStopsAtTheEnds) {
    CNoise site = SampleModel();
    site.outdoorSources = {testing::SampleSource(1, "a"), testing::SampleSource(2, "b"),
                           testing::SampleSource(3, "c")};
    EditTransaction tx = ListOpen(EditLevel::OutdoorSource, 0, site);
    ChainList list(tx);
    const auto memos = [&] {
        std::string s;
        for (const CSound& source : tx.workingCopy().outdoorSources)
            s += source.memo;
        return s;
    };

    // The list opens on its first row; the plan highlights it.
    Seen open = After(list, list.Open());
    EXPECT_EQ(open.hints, std::vector<int>{4});
    EXPECT_EQ(open.selected, 0);
    EXPECT_EQ(tx.edit().currentOutdoorSource, 0);
    EXPECT_FALSE(list.IsButtonEnabled(kUpButtonId));
    EXPECT_TRUE(list.IsButtonEnabled(kDownButtonId));

    // "↑" on the first row and "↓" on the last do nothing.
    EXPECT_TRUE(list.MoveUp().hints.empty());
    list.Select(2);
    EXPECT_FALSE(list.IsButtonEnabled(kDownButtonId));
    EXPECT_TRUE(list.MoveDown().hints.empty());
    EXPECT_EQ(memos(), "abc");

    // A moved row stays selected.
    Seen up = After(list, list.MoveUp());
    EXPECT_EQ(memos(), "acb");
    EXPECT_EQ(up.selected, 1);
    EXPECT_EQ(up.hints, std::vector<int>{4});
    list.MoveUp();
    EXPECT_EQ(memos(), "cab");
    EXPECT_EQ(list.SelectedRow(), 0);
    list.MoveDown();
    EXPECT_EQ(memos(), "acb");

    // Deleting the last row of three selects the new last row; deleting in the middle keeps the row
    // number.
    list.Select(2);
    Seen last = After(list, list.Delete());
    EXPECT_EQ(memos(), "ac");
    EXPECT_EQ(last.hints, (std::vector<int>{2, 4}));
    EXPECT_EQ(last.selected, 1);
    EXPECT_EQ(tx.edit().currentOutdoorSource, 1);
    list.Select(0);
    list.Delete();
    EXPECT_EQ(memos(), "c");
    EXPECT_EQ(list.SelectedRow(), 0);
    EXPECT_FALSE(list.IsButtonEnabled(kUpButtonId));
    EXPECT_FALSE(list.IsButtonEnabled(kDownButtonId));
    EXPECT_TRUE(list.IsButtonEnabled(kChangeButtonId));

    // Deleting the only row leaves no current item and only "追加...", OK and Cancel to press.
    Seen empty = After(list, list.Delete());
    EXPECT_EQ(empty.hints, (std::vector<int>{2, 3}));
    EXPECT_EQ(empty.rows, 0);
    EXPECT_EQ(empty.selected, -1);
    EXPECT_EQ(tx.edit().currentOutdoorSource, -1);
    for (const int id : {kChangeButtonId, kDeleteButtonId, kUpButtonId, kDownButtonId})
        EXPECT_FALSE(list.IsButtonEnabled(id)) << id;
    EXPECT_TRUE(list.IsButtonEnabled(kListAddButtonId));
    EXPECT_TRUE(list.Delete().hints.empty());
    EXPECT_TRUE(list.Change().Empty());
    EXPECT_TRUE(list.Select(0).hints.empty());

    // The model is untouched until the list's OK.
    EXPECT_EQ(tx.model(), site);
    EXPECT_EQ(list.Ok().outcome, ChainOutcome::Committed);
    EXPECT_TRUE(tx.model().outdoorSources.empty());
}

TEST(ChainList, ANestedListsCancelRestoresTheEnclosingItemAsItsEditorOpenedTheList) {
    const CNoise site = SampleModel();
    EditTransaction tx;
    tx.Load(site, "", false);
    tx.StartChain(EditCommand::Buildings, kListCentre);
    tx.ListClosed(ListExit::Change, 0);
    tx.ResumeChain();
    // The building editor stores a change of its own before it opens the roof list.
    CurrentBuilding(tx.workingCopy(), tx.edit())->memo = "before the roof list";
    tx.EditorClosed(EditorExit::OpenSubList, kRoofListMode);
    tx.ResumeChain();
    const CBuilding asOpened = *CurrentBuilding(tx.workingCopy(), tx.edit());

    // Two roofs added, each confirmed in its editor, then the first roof changed.
    for (int added = 0; added < 2; ++added) {
        ChainList roofs(tx);
        roofs.Open();
        ASSERT_TRUE(roofs.Add().resume);
        tx.ResumeChain();
        ASSERT_EQ(tx.editMode(), kRoofAddMode);
        CurrentRoof(tx.workingCopy(), tx.edit())->memo = "added";
        tx.EditorClosed(EditorExit::Ok);
        tx.ResumeChain();
    }
    {
        ChainList roofs(tx);
        roofs.Open();
        EXPECT_EQ(roofs.SelectedRow(), 2) << "the last added roof";
        roofs.Select(0);
        ASSERT_TRUE(roofs.Change().resume);
        tx.ResumeChain();
        CurrentRoof(tx.workingCopy(), tx.edit())->face.rect.p1.z = 99.0;
        tx.EditorClosed(EditorExit::Ok);
        tx.ResumeChain();
    }
    ChainList roofs(tx);
    roofs.Open();
    EXPECT_EQ(roofs.RowCount(), 3);
    EXPECT_EQ(roofs.Rows()[0][4], "99.000");

    ASSERT_TRUE(roofs.Cancel().resume);
    EXPECT_EQ(tx.ResumeChain().open->editMode, kBuildingChangeMode);
    EXPECT_EQ(*CurrentBuilding(tx.workingCopy(), tx.edit()), asOpened);
    EXPECT_EQ(asOpened.roofs, site.buildings[0].roofs);
    EXPECT_EQ(tx.edit().currentRoof, -1);
}

TEST(ChainList, AfterACancelledAdditionTheListSelectsItsLastRowOrStartsAgain) {
    // Roofs: the last remaining row, whichever row was selected before "追加...".
    CNoise site = SampleModel();
    site.buildings[0].roofs.push_back(site.buildings[0].roofs[0]);
    EditTransaction tx = ListOpen(EditLevel::Roof, 0, site);
    {
        ChainList roofs(tx);
        roofs.Open();
        ASSERT_EQ(roofs.SelectedRow(), 0);
        roofs.Add();
        tx.ResumeChain();
        tx.EditorClosed(EditorExit::Cancel);
        tx.ResumeChain();
    }
    ChainList roofs(tx);
    roofs.Open();
    EXPECT_EQ(roofs.RowCount(), 2);
    EXPECT_EQ(roofs.SelectedRow(), 1);

    // Ground lines (and openings): the first row again.
    EditTransaction lines = ListOpen(EditLevel::GroundLine);
    {
        ChainList list(lines);
        list.Open();
        list.Select(1);
        list.Add();
        lines.ResumeChain();
        lines.EditorClosed(EditorExit::Cancel);
        lines.ResumeChain();
    }
    ChainList list(lines);
    EXPECT_EQ(list.Open().hints, std::vector<int>{4});
    EXPECT_EQ(list.SelectedRow(), 0);
    EXPECT_EQ(list.RowCount(), 2);
}

TEST(ChainList, NewItemsStartWhereTheUserWillWantThem) {
    {
        // An indoor source in the 10 m square at floor 1.2345 m: its centre, the height rounded to the
        // millimetre with the half going away from zero.
        CNoise site = SampleModel();
        CRoom& room = site.buildings[0].rooms[0];
        room.outline.vertices = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
        room.floorZ = 1.2345;
        EditTransaction tx = ListOpen(EditLevel::RoomSource, 0, site);
        ChainList sources(tx);
        sources.Open();
        ASSERT_TRUE(sources.Add().resume);
        EXPECT_EQ(tx.edit().currentRoomSource, 2);
        const CSound& added = tx.workingCopy().buildings[0].rooms[0].sources.back();
        EXPECT_EQ(added.position, (CVector3D{5, 5, 1.235}));
        EXPECT_EQ(added.q, CSound{}.q);
        EXPECT_EQ(added.powerAverage, CSound{}.powerAverage);
    }
    {
        // Outlines without an area: none puts the source at the origin, one vertex on it.
        CRoom room;
        room.floorZ = -0.0015;
        EXPECT_EQ(NewIndoorSource(room).position, (CVector3D{0, 0, -0.002}));
        room.outline.vertices = {{3.14159, -2.71828, 9}};
        EXPECT_EQ(NewIndoorSource(room).position, (CVector3D{3.142, -2.718, -0.002}));
        // An L-shaped room: its area centroid, not the mean of its corners.
        room.outline.vertices = {{0, 0, 0}, {4, 0, 0}, {4, 1, 0}, {1, 1, 0}, {1, 4, 0}, {0, 4, 0}};
        EXPECT_EQ(NewIndoorSource(room).position, (CVector3D{1.357, 1.357, -0.002})) << "(16·2 − 9·2.5) / 7";
    }
    {
        // An opening added inside an opening copies its container's rectangle and surface; the
        // room's shape cannot make the openings of an opening.
        CNoise site = SampleModel();
        CWindow& surface = site.buildings[0].rooms[0].openings[0];
        surface.belongsTo = kOnCeiling;
        EditTransaction tx = ListOpen(EditLevel::Opening, 1, site);
        ChainList inner(tx);
        inner.Open();
        EXPECT_EQ(inner.extra(), ListExtra::None);
        EXPECT_FALSE(inner.IsButtonShown(kGenerateButtonId));
        EXPECT_TRUE(inner.Generate().hints.empty());
        ASSERT_TRUE(inner.Add().resume);
        const CWindow& added = tx.workingCopy().buildings[0].rooms[0].openings[0].containedOpenings.back();
        EXPECT_EQ(added.rect, surface.rect);
        EXPECT_EQ(added.belongsTo, kOnCeiling);
        EXPECT_EQ(added.memo, "");
        EXPECT_TRUE(added.containedOpenings.empty());
        EXPECT_EQ(tx.edit().openingLevels, (std::vector<int>{0, 2}));

        // In the room's own list the new opening is the default one.
        EditTransaction roomTx = ListOpen(EditLevel::Opening, 0, site);
        ChainList outer(roomTx);
        outer.Open();
        EXPECT_TRUE(outer.IsButtonShown(kGenerateButtonId));
        outer.Add();
        EXPECT_EQ(roomTx.workingCopy().buildings[0].rooms[0].openings.back(), CWindow{});
    }
    {
        // A wall added while a wall beside the line is selected mirrors it; while one on the line is
        // selected it spans the whole line, 30 m + 50.0425 m long, its end rounded down.
        EditTransaction tx = ListOpen(EditLevel::Wall);
        ChainList walls(tx);
        walls.Open();
        walls.Add();
        const std::vector<CWall>& added = tx.workingCopy().groundLines[0].walls;
        CWall mirrored = added[0];
        mirrored.offsetHorizontal = 2.0;
        EXPECT_EQ(added.back(), mirrored);

        EditTransaction other = ListOpen(EditLevel::Wall);
        ChainList list(other);
        list.Open();
        list.Select(1);
        list.Add();
        const CWall& whole = other.workingCopy().groundLines[0].walls.back();
        EXPECT_EQ(whole.rangeStart, 0.0);
        EXPECT_EQ(whole.rangeEnd, std::floor((std::sqrt(900.25) + std::sqrt(1603.0625)) * 1000) / 1000);
        EXPECT_EQ(whole.type, CWall{}.type);
    }
}

TEST(ChainList, ShiftedCopyOfTheSelectedGroundLineGoesToTheEditorAsAnAddition) {
    EditTransaction tx = ListOpen(EditLevel::GroundLine);
    ChainList lines(tx);
    lines.Open();
    EXPECT_TRUE(lines.IsButtonShown(kShiftedCopyButtonId));
    EXPECT_TRUE(lines.IsButtonEnabled(kShiftedCopyButtonId));
    EXPECT_FALSE(lines.IsButtonShown(kGenerateButtonId));

    // The fields: any finite number, typed as Japanese input methods type it; the first refused field
    // is named with the framework's message.
    double h = 0;
    double v = 0;
    EXPECT_EQ(lines.ReadShiftDistances(" －２．５ ", "1e3", h, v), std::nullopt);
    EXPECT_EQ(h, -2.5);
    EXPECT_EQ(v, 1000.0);
    const UserMessage notANumber{"Kelmora", "数字を入力してください。", MessageIcon::kWarning,
                                 kShiftHorizontalFieldId};
    EXPECT_EQ(lines.ReadShiftDistances("nan", "x", h, v), notANumber);
    UserMessage vertical = notANumber;
    vertical.focusControl = kShiftVerticalFieldId;
    EXPECT_EQ(lines.ReadShiftDistances("0", "1m", h, v), vertical);
    EXPECT_EQ(lines.ReadShiftDistances("0", "-1.7e308", h, v), std::nullopt);
    // A distance that carries a coordinate of the line beyond the largest number is refused too.
    tx.workingCopy().groundLines[0].polyline.vertices[0].z = 1e308;
    EXPECT_EQ(lines.ReadShiftDistances("0", "1e308", h, v), vertical);
    EXPECT_TRUE(lines.AddShiftedCopy(0, 1e308).Empty());
    EXPECT_EQ(tx.workingCopy().groundLines.size(), 2u);
    tx.workingCopy().groundLines[0].polyline.vertices[0].z = 0;

    // Moved 2 m to the left of its first segment (+x), so +y, and 0.5 m up; nothing else is copied.
    ASSERT_TRUE(lines.AddShiftedCopy(2.0, 0.5).resume);
    EXPECT_EQ(tx.editMode(), kGroundLineAddMode);
    const std::vector<CGroundLine>& all = tx.workingCopy().groundLines;
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(tx.edit().currentGroundLine, 2);
    EXPECT_EQ(all[2].polyline.vertices.front(), (CVector3D{0, 2, 0.5}));
    EXPECT_TRUE(all[2].walls.empty());
    EXPECT_EQ(all[2].memo, "");

    // With no line to copy the button does nothing.
    CNoise empty;
    EditTransaction none;
    none.Load(empty, "", false);
    none.StartChain(EditCommand::GroundLines, kListCentre);
    ChainList nothing(none);
    nothing.Open();
    EXPECT_FALSE(nothing.IsButtonEnabled(kShiftedCopyButtonId));
    EXPECT_TRUE(nothing.AddShiftedCopy(1, 1).Empty());
    EXPECT_TRUE(none.workingCopy().groundLines.empty());
}

TEST(ChainList, GenerationAppendsAndSelectsTheLastRowOrSaysWhyItCannot) {
    {
        // Exterior walls around the roofs: one appended after the existing wall.
        EditTransaction tx = ListOpen(EditLevel::ExteriorWall);
        ChainList walls(tx);
        walls.Open();
        EXPECT_TRUE(walls.IsButtonShown(kGenerateButtonId));
        const Seen generated = After(walls, walls.Generate());
        EXPECT_EQ(generated.hints, (std::vector<int>{2, 4}));
        EXPECT_EQ(generated.rows, 2);
        EXPECT_EQ(generated.selected, 1);
        EXPECT_EQ(walls.Rows()[1][1], "6.000") << "up to the lowest roof height";
    }
    {
        // A building without roofs; a roof too narrow for a wall.
        CNoise site = SampleModel();
        site.buildings[0].roofs.clear();
        EditTransaction tx = ListOpen(EditLevel::ExteriorWall, 0, site);
        ChainList walls(tx);
        walls.Open();
        const ListUpdate none = walls.Generate();
        EXPECT_EQ(none.message, Failure("外壁生成エラー", "屋上矩形が定義されていません"));
        EXPECT_TRUE(none.hints.empty());
        EXPECT_EQ(walls.RowCount(), 1);

        CRoof narrow;
        narrow.face.rect = {{0, 0, 5}, {10, 0, 5}, {10, 0.9, 5}};
        CurrentBuilding(tx.workingCopy(), tx.edit())->roofs = {narrow};
        EXPECT_EQ(walls.Generate().message, Failure("外壁生成エラー", "1m未満の外壁は生成できません"));
        EXPECT_EQ(walls.RowCount(), 1);
        EXPECT_EQ(walls.SelectedRow(), 0);

        // Roofs whose union the polygon library refuses (coordinates near the largest number, from a
        // damaged file): its reason is told and nothing is generated.
        CRoof huge;
        huge.face.rect = {{0, 0, 5}, {1e308, 0, 5}, {1e308, 1e308, 5}};
        CRoof square;
        square.face.rect = {{0, 0, 5}, {10, 0, 5}, {10, 10, 5}};
        CurrentBuilding(tx.workingCopy(), tx.edit())->roofs = {square, huge};
        EXPECT_EQ(walls.Generate().message,
                  Failure("外壁生成エラー", "Boost.Geometry Overlay invalid input exception"));
        EXPECT_EQ(walls.RowCount(), 1);
    }
    {
        // Wall openings from the room's 20 m × 10 m outline: four, after the existing one.
        EditTransaction tx = ListOpen(EditLevel::Opening);
        ChainList openings(tx);
        openings.Open();
        const Seen generated = After(openings, openings.Generate());
        EXPECT_EQ(generated.rows, 5);
        EXPECT_EQ(generated.selected, 4);
        EXPECT_EQ(openings.Rows()[4][0], "60.000") << "the closing edge, 10 m by 6 m";

        CRoom* room = CurrentRoom(tx.workingCopy(), tx.edit());
        room->ceilingZ = 0.5;
        EXPECT_EQ(openings.Generate().message, Failure("壁生成エラー", "1m未満の壁は生成できません"));
        room->outline.vertices.clear();
        EXPECT_EQ(openings.Generate().message, Failure("壁生成エラー", "室形状が定義されていません"));
        EXPECT_EQ(openings.RowCount(), 5);
    }
}

}  // namespace
}  // namespace kelmora
