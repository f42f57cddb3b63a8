// Every editor's reading and checks at their thresholds, through the editor as a user fills it: the
// text typed, the message box shown (caption, text, focus), and nothing stored when it is refused.
#include <gtest/gtest.h>

#include <functional>

#include "editing/ChainDriver.h"
#include "view/PlanTestModel.h"

namespace kelmora {
namespace {

using testing::ChainDriver;

constexpr const char* kFramework = "Kelmora";
constexpr const char* kCheck = "入力チェック";
constexpr const char* kNotANumber = "数字を入力してください。";

// The editors of the small site, each opened on an item that the site already has.
void WallEditor(ChainDriver& d) {  // the barrier 0 .. 10 m of a 40 m ground line
    ASSERT_EQ(d.Start(EditCommand::GroundLines), kGroundLineListMode);
    ASSERT_EQ(d.Change(0), kGroundLineChangeMode);
    d.Press(1030);  // "壁・法肩..."
    ASSERT_EQ(d.Change(0), kWallChangeMode);
}

void BuildingEditor(ChainDriver& d) {
    ASSERT_EQ(d.Start(EditCommand::Buildings), kBuildingListMode);
    ASSERT_EQ(d.Change(0), kBuildingChangeMode);
}

void RoofEditor(ChainDriver& d) {
    BuildingEditor(d);
    d.Press(1023);  // "屋上編集..."
    ASSERT_EQ(d.Change(0), kRoofChangeMode);
}

void ExteriorWallEditor(ChainDriver& d) {
    BuildingEditor(d);
    d.Press(1024);  // "外壁編集..."
    ASSERT_EQ(d.Change(0), kExteriorWallChangeMode);
}

void RoomEditor(ChainDriver& d) {
    BuildingEditor(d);
    d.Press(1025);  // "室編集..."
    ASSERT_EQ(d.Change(0), kRoomChangeMode);
}

void OpeningEditor(ChainDriver& d) {
    RoomEditor(d);
    d.Press(1051);  // "壁など開口部情報..."
    ASSERT_EQ(d.Change(0), kOpeningChangeMode);
}

void OutdoorSourceEditor(ChainDriver& d) {
    ASSERT_EQ(d.Start(EditCommand::OutdoorSources), kOutdoorSourceListMode);
    ASSERT_EQ(d.Change(0), kOutdoorSourceChangeMode);
}

void RoomSourceEditor(ChainDriver& d) {
    RoomEditor(d);
    d.Press(1052);  // "室内音源情報..."
    ASSERT_EQ(d.Change(0), kRoomSourceChangeMode);
}

struct Refusal {
    const char* caption;
    std::string text;
    int focus;
};

struct Case {
    const char* name;
    std::function<void(ChainDriver&)> open;
    std::vector<std::pair<int, std::string>> typed;
    std::vector<std::pair<int, int>> chosen;
    std::optional<Refusal> refusal;  // none: accepted
};

const std::vector<CVector3D> kSquare{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
const std::vector<CVector3D> kHalfMetreEdge{{0, 0, 0}, {10, 0, 0}, {10, 0.5, 0}};

void RunCase(const Case& c, const std::function<void(ChainDriver&)>& prepare = {}) {
    SCOPED_TRACE(c.name);
    ChainDriver d(plantest::SmallSite());
    c.open(d);
    ASSERT_TRUE(d.editor);
    if (prepare) prepare(d);
    for (const auto& [id, text] : c.typed)
        d.Type(id, text);
    for (const auto& [id, value] : c.chosen)
        d.Choose(id, value);
    const CNoise before = d.working();
    const int mode = d.mode();
    const EditorReply reply = d.Ok();
    if (c.refusal) {
        ASSERT_TRUE(reply.message);
        EXPECT_EQ(reply.message->caption, c.refusal->caption);
        EXPECT_EQ(reply.message->text, c.refusal->text);
        EXPECT_EQ(reply.message->focusControl, c.refusal->focus);
        EXPECT_EQ(reply.message->icon, c.refusal->caption == std::string(kCheck) ? MessageIcon::kInformation
                                                                                 : MessageIcon::kWarning);
        EXPECT_FALSE(reply.close);
        EXPECT_EQ(d.mode(), mode) << "the editor stays open";
        EXPECT_EQ(d.working(), before) << "nothing is stored";
    } else {
        EXPECT_FALSE(reply.message) << reply.message->text;
        EXPECT_TRUE(reply.close);
        EXPECT_TRUE(IsListMode(d.mode()));
    }
}

TEST(EditorChecks, WallsAndSlopes) {
    const std::string order = "範囲終点（地表線開始点からの長さ[m]）を始点より後ろにしてください";
    const Case cases[] = {
        {"an empty range", WallEditor, {{1010, "10"}, {1018, "10"}}, {}, Refusal{kCheck, order, 1018}},
        {"a range of one millimetre", WallEditor, {{1010, "10"}, {1018, "10.001"}}, {}, std::nullopt},
        {"a knife edge just too low",
         WallEditor,
         {{1055, "0.4999"}},
         {{1031, 0}},
         Refusal{kCheck, "壁の高さが低すぎます", 1055}},
        {"a right-angle barrier of half a metre", WallEditor, {{1055, "0.5"}}, {{1031, 1}}, std::nullopt},
        {"a slope shoulder of no height", WallEditor, {{1055, "0"}}, {{1031, 2}}, std::nullopt},
        {"the order before the height",
         WallEditor,
         {{1010, "5"}, {1018, "5"}, {1055, "0.1"}},
         {},
         Refusal{kCheck, order, 1018}},
        {"a height above 100 m, typed full-width",
         WallEditor,
         {{1055, "１００．５"}},
         {},
         Refusal{kFramework, "0 から 100 までの数字を入力してください。", 1055}},
        {"a gap below the ground",
         WallEditor,
         {{1038, "-0.5"}},
         {},
         Refusal{kFramework, "0 から 100 までの数字を入力してください。", 1038}},
        // The slope fields are disabled for a barrier, and read all the same.
        {"a barrier with a slope field that is no number",
         WallEditor,
         {{1052, "3m"}},
         {{1031, 0}},
         Refusal{kFramework, kNotANumber, 1052}},
        {"a range end that is not finite",
         WallEditor,
         {{1018, "inf"}},
         {},
         Refusal{kFramework, kNotANumber, 1018}},
    };
    for (const Case& c : cases)
        RunCase(c);
}

TEST(EditorChecks, RoofsAndOpeningRectangles) {
    const std::vector<std::pair<int, std::string>> flat{{1016, "0"}, {1044, "0"}, {1039, "5"}, {1056, "10"},
                                                        {1024, "0"}, {1058, "0"}, {1028, "5"}, {1042, "5"}};
    const auto with = [&](std::vector<std::pair<int, std::string>> changes) {
        auto typed = flat;
        typed.insert(typed.end(), changes.begin(), changes.end());
        return typed;
    };
    const Refusal rising{kCheck, "Z1はZ3以上にしてください", 1039};
    const Refusal shortA{kCheck, "辺Aの長さが短すぎます", 1056};
    const Refusal narrow{kCheck, "辺Aと辺Cの距離(＝辺B、辺Dの長さ)が短すぎます", 1058};
    const Case cases[] = {
        {"a flat roof", RoofEditor, flat, {}, std::nullopt},
        {"Z3 5.0001 over Z1 5", RoofEditor, with({{1042, "5.0001"}}), {}, rising},
        {"side A of 0.999 m", RoofEditor, with({{1056, "0.999"}}), {}, shortA},
        {"side C 0.999 m from side A", RoofEditor, with({{1028, "0.999"}}), {}, narrow},
        {"a coordinate that is NaN",
         RoofEditor,
         with({{1016, "nan"}}),
         {},
         Refusal{kFramework, kNotANumber, 1016}},
        {"a coordinate beyond the doubles",
         RoofEditor,
         with({{1024, "1e999"}}),
         {},
         Refusal{kFramework, kNotANumber, 1024}},
        {"an opening like a roof", OpeningEditor, flat, {}, std::nullopt},
        {"an opening rising to side C", OpeningEditor, with({{1042, "5.0001"}}), {}, rising},
        // The entered area counts even while it is taken from the rectangle: it must never be negative.
        {"an opening of negative area",
         OpeningEditor,
         with({{1040, "-1"}}),
         {{1043, 1}},
         Refusal{kFramework, "0 以上の数字を入力してください。", 1040}},
        {"an opening of no area", OpeningEditor, with({{1040, "0"}}), {{1043, 0}}, std::nullopt},
        {"an opening's Q below 1",
         OpeningEditor,
         with({{1019, "0.99"}}),
         {},
         Refusal{kFramework, "1 以上の数字を入力してください。", 1019}},
    };
    for (const Case& c : cases)
        RunCase(c);
}

TEST(EditorChecks, ExteriorWalls) {
    const Refusal shortEdge{kCheck, "辺の長さは1m以上にしてください.", 1018};
    const auto outline = [](std::vector<CVector3D> vertices) {
        return [vertices](ChainDriver& d) {
            CurrentExteriorWall(d.working(), d.tx.edit())->polyline.vertices = vertices;
        };
    };
    // The closing edge (10,0.5)–(0,0) is long; the edge (10,0)–(10,0.5) is used either way.
    RunCase({"a closed wall with an edge of 0.5 m", ExteriorWallEditor, {}, {{1026, 1}}, shortEdge},
            outline(kHalfMetreEdge));
    RunCase({"an open wall with an edge of 0.5 m", ExteriorWallEditor, {}, {{1026, 0}}, shortEdge},
            outline(kHalfMetreEdge));
    RunCase({"a closed wall of two vertices",
             ExteriorWallEditor,
             {},
             {{1026, 1}},
             Refusal{kCheck, "閉じた多角形の座標値は3個以上必要です.", 1004}},
            outline({{0, 0, 0}, {10, 0, 0}}));
    RunCase({"an open wall of two vertices", ExteriorWallEditor, {}, {{1026, 0}}, std::nullopt},
            outline({{0, 0, 0}, {10, 0, 0}}));
    RunCase({"top at the bottom",
             ExteriorWallEditor,
             {{1039, "3"}, {1027, "3"}},
             {},
             Refusal{kCheck, "上辺Z座標は下辺Z座標より大きくしてください", 1039}});
}

TEST(EditorChecks, RoomsAndSources) {
    const Refusal storey{kCheck, "天井Z座標は床面Z座標より1m以上大きくしてください", 1039};
    const Case cases[] = {
        {"a storey of 0.9 m", RoomEditor, {{1027, "2"}, {1039, "2.9"}}, {}, storey},
        {"a storey of 1 m", RoomEditor, {{1027, "2"}, {1039, "3"}}, {}, std::nullopt},
        // The entered area is read while it is computed from the shape, and must be 1 m² at least.
        {"an area of 0.5 m² while computed",
         RoomEditor,
         {{1040, "0.5"}},
         {{1043, 1}},
         Refusal{kFramework, "1 以上の数字を入力してください。", 1040}},
        {"an outdoor source lasting -1 s",
         OutdoorSourceEditor,
         {{1167, "-1"}},
         {},
         Refusal{kFramework, "0 以上の数字を入力してください。", 1167}},
        {"an outdoor source lasting 0 s", OutdoorSourceEditor, {{1167, "0"}}, {}, std::nullopt},
        {"an indoor source without a position",
         RoomSourceEditor,
         {{1039, ""}},
         {},
         Refusal{kFramework, kNotANumber, 1039}},
        {"an indoor source of Q 1", RoomSourceEditor, {{1019, " 1 "}, {1021, "0"}}, {}, std::nullopt},
    };
    for (const Case& c : cases)
        RunCase(c);
    // A room of one or two vertices is refused; none at all is accepted.
    const auto outline = [](std::size_t n) {
        return [n](ChainDriver& d) { CurrentRoom(d.working(), d.tx.edit())->outline.vertices.resize(n); };
    };
    RunCase({"a room of two vertices",
             RoomEditor,
             {},
             {},
             Refusal{kCheck, "形状の座標値は3個以上必要です.", 1004}},
            outline(2));
    RunCase({"a room without outline", RoomEditor, {}, {}, std::nullopt}, outline(0));
}

TEST(EditorChecks, GroundLineNamesTheWallBeyondItsEnd) {
    ChainDriver d(plantest::SmallSite());
    ASSERT_EQ(d.Start(EditCommand::GroundLines), kGroundLineListMode);
    ASSERT_EQ(d.Change(0), kGroundLineChangeMode);  // 40 m long, walls 0 .. 10 and 0 .. 20
    CGroundLine& line = d.working().groundLines[0];
    line.walls[1].rangeEnd = 40.001;
    EditorReply reply = d.Ok();
    ASSERT_TRUE(reply.message);
    EXPECT_EQ(reply.message->text, "2番目の壁・法肩・法尻の範囲が地表線範囲を超えています");
    EXPECT_EQ(reply.message->caption, kCheck);
    EXPECT_EQ(reply.message->focusControl, 1030);  // "壁・法肩..."
    EXPECT_EQ(d.mode(), kGroundLineChangeMode);

    // The wall list still opens (it is where the wall is mended); then the line is accepted.
    d.Press(1030);
    ASSERT_EQ(d.mode(), kWallListMode);
    ASSERT_EQ(d.Change(1), kWallChangeMode);
    d.Type(1018, "40");
    EXPECT_FALSE(d.Ok().message);
    ASSERT_EQ(d.ListOk(), kGroundLineChangeMode);
    EXPECT_FALSE(d.Ok().message);
    EXPECT_EQ(d.mode(), kGroundLineListMode);

    // Fewer than two vertices: neither OK nor the wall list.
    ASSERT_EQ(d.Change(1), kGroundLineChangeMode);
    d.working().groundLines[1].polyline.vertices.resize(1);
    for (int button : {1, 1030}) {  // "OK", "壁・法肩..."
        reply = button == 1 ? d.Ok() : d.Press(button);
        ASSERT_TRUE(reply.message) << button;
        EXPECT_EQ(reply.message->text, "地表線ポリライン論理座標値は2個以上必要です.");
        EXPECT_EQ(reply.message->focusControl, 1004);
        EXPECT_EQ(d.mode(), kGroundLineChangeMode);
    }
}

}  // namespace
}  // namespace kelmora
