// Whole breakdown blocks written through the line functions, in the order a run writes them,
// against text worked out by hand from the breakdown's line formats (decoded from CP932 to compare).
#include "calc/BreakdownLines.h"

#include <gtest/gtest.h>

#include "calc/TextOutput.h"
#include "model/persistence/TextCodec.h"

namespace kelmora {
namespace {

// 21 band items all showing `value`.
std::string Bands(const std::string& value) {
    const char* frequencies[] = {"50",   "63",   "80",   "100",  "125",  "160",  "200",
                                 "250",  "315",  "400",  "500",  "630",  "800",  "1000",
                                 "1250", "1600", "2000", "2500", "3150", "4000", "5000"};
    std::string s;
    for (const char* f : frequencies)
        s += std::string(", ") + f + "[Hz]バンド→, " + value;
    return s;
}

const BreakdownFace kWall{
    "壁1", {CVector3D{5, -5, 0}, {5, 5, 0}, {5, 5, 3}, {5, -5, 3}}, {false, false, true, false}};
const std::string kWallItems =
    ", 角1_X[m]→, 5.000, 角1_Y[m]→, -5.000, 角1_Z[m]→, 0.000, 角2_X[m]→, 5.000, 角2_Y[m]→, 5.000, 角2_Z[m]→, "
    "0.000"
    ", 角3_X[m]→, 5.000, 角3_Y[m]→, 5.000, 角3_Z[m]→, 3.000, 角4_X[m]→, 5.000, 角4_Y[m]→, -5.000, 角4_Z[m]→, "
    "3.000"
    ", 辺(角1-角2)_回折無し, 辺(角2-角3)_回折無し, 辺(角3-角4)_回折あり, 辺(角4-角1)_回折無し";

TEST(BreakdownLines, PointsOfAListRun) {
    CTextBuffer out;
    CBreakdownWriter w(&out, nullptr);

    CSound pump;
    pump.position = {10, 0, 1};
    pump.memo = "ポンプ";
    pump.powerAverage = CBand::Filled(80.0);
    pump.powerMax = CBand::Filled(85.0);

    // Point 1: one outdoor source, one path over a barrier.
    WritePointHeading(w, 1, 2, {0, 0, 1.5});
    w.ChangeLevel(1);
    WriteSourceHeading(w, SourceOrigin::Outdoor, 1, 1, pump);
    w.ChangeLevel(1);
    WritePathHeading(w, 1, 1);
    WriteSingleDiffraction(w, kWall, {10, 0, 1}, {0, 0, 1.5}, {5, 0, 3}, true, CBand::Filled(-10.0));
    WritePathDistances(w, 10.05, 10.0, -28.0, 20.0, 60.0, CBand::Filled(-0.05));
    WritePathLevels(w, CBand::Filled(42.0), CBand::Filled(47.0));
    WriteSourceLevels(w, CBand::Filled(42.0), CBand::Filled(47.0));
    w.ChangeLevel(-1);
    WritePointResult(w, 1, 2, 55.222, 60.222);

    // Point 2: an opening source beyond the effective distance.
    CSound opening;
    opening.position = {300, 0, 2};
    opening.noiseType = kImpulsiveNoise;
    opening.eventsPerHour = 36.0;
    opening.powerAverage = CBand::Filled(70.0);
    opening.powerMax = CBand::Filled(75.0);
    WritePointHeading(w, 2, 2, {1, 2, 3});
    w.ChangeLevel(1);
    WriteSourceHeading(w, SourceOrigin::BuildingOpening, 1, 1, opening);
    WriteSourceSkipped(w, SourceSkip::TooFar);
    w.ChangeLevel(-1);
    WritePointResult(w, 2, 2, -86.778, -86.778);

    // Band levels of 21 equal bands: OA = value + 13.22 dB.
    const std::string expected =
        "★予測点(1/2), X[m]→, 0.000, Y[m]→, 0.000, Z[m]→, 1.500"
        "\r\n\r\n , ◆<外部音源(1/1)>(ポンプ), X[m]→, 10.000, Y[m]→, 0.000, Z[m]→, 1.000, 指向係数Q→, 2"
        ", <定常騒音>, 継続時間[s]→, 3600, 発生回数/h→, 10, <A特性音響パワーレベル[dB]>, OA→, 93.22" +
        Bands("80.00") + ", <A特性音響最大パワーレベル[dB]>, OA→, 98.22" + Bands("85.00") +
        "\r\n\r\n , , ■伝搬経路(1/1)"
        "\r\n , , , ▲【1回回折】壁1, <音源位置>, X[m]→, 10.000, Y[m]→, 0.000, Z[m]→, 1.000"
        ", <予測位置>, X[m]→, 0.000, Y[m]→, 0.000, Z[m]→, 1.500"
        ", <最小経路差回折位置>, X[m]→, 5.000, Y[m]→, 0.000, Z[m]→, 3.000, <回折壁>" +
        kWallItems + "\r\n , , , ▲<1回回折補正量[dB]>" + Bands("-10.00") +
        "\r\n , , , ▲<伝搬経路距離[m]>→, 10.050, <直線距離[m]>→, 10.000, <距離減衰量[dB]>→, -28.00"
        ", <気温[℃]>→, 20.0, <湿度[%]>→, 60.0"
        "\r\n , , , ▲<空気音響吸収補正量[dB]>" +
        Bands("-0.05") + "\r\n , , , ▲【音圧レベル[dB]】, OA→, 55.22" + Bands("42.00") +
        "\r\n , , , ▲【最大音圧レベル[dB]】, OA→, 60.22" + Bands("47.00") +
        "\r\n\r\n , , ■予測点の音圧レベル[dB], OA→, 55.22" + Bands("42.00") +
        "\r\n , , ■予測点の最大音圧レベル[dB], OA→, 60.22" + Bands("47.00") +
        "\r\n\r\n , ◆予測点(1/2), 等価騒音レベルLAeqT[dB]→, 55.2, 最大騒音レベルLAmax[dB]→, 60.2\r\n"
        "\r\n\r\n\r\n★予測点(2/2), X[m]→, 1.000, Y[m]→, 2.000, Z[m]→, 3.000"
        "\r\n\r\n , ◆<建物開口部音源(1/1)>, X[m]→, 300.000, Y[m]→, 0.000, Z[m]→, 2.000"
        ", <衝撃騒音>, 発生回数/h→, 36, <A特性音響パワーレベル[dB]>, OA→, 83.22" +
        Bands("70.00") + ", <A特性音響最大パワーレベル[dB]>, OA→, 88.22" + Bands("75.00") +
        "\r\n , , ■距離が離れている為、計算しない"
        "\r\n\r\n , ◆予測点(2/2), 等価騒音レベルLAeqT[dB]→, -86.8, 最大騒音レベルLAmax[dB]→, -86.8\r\n";
    EXPECT_EQ(Cp932ToUtf8(out.bytes()), expected);
}

TEST(BreakdownLines, SinglePointAndReflections) {
    CTextBuffer out;
    CBreakdownWriter w(&out, nullptr);
    WriteSinglePointHeading(w, {1, 1, 1.2});
    w.ChangeLevel(3);  // inside a path
    const CVector3D p{0, 0, 0};
    WriteSpecularReflection(w, kWall, p, p, p, false, SpecularOutcome::NearFace, CBand());
    WriteAbsorption(w, CBand::Filled(-std::numeric_limits<double>::infinity()));
    WriteSpecularReflection(w, kWall, p, p, p, true, SpecularOutcome::NoCorrection, CBand());
    WriteSpecularReflection(w, kWall, p, p, p, true, SpecularOutcome::Corrected, CBand::Filled(-1.0));
    WriteDiffuseReflection(w, kWall, p, p, nullptr);
    w.ChangeLevel(-3);
    WriteNoPath(w);
    WritePointBelowGround(w);
    WriteSinglePointResult(w, 40.04, 45.05);

    const std::string zero = "X[m]→, 0.000, Y[m]→, 0.000, Z[m]→, 0.000";
    const std::string specular = "【鏡面反射】壁1, <音源位置>, " + zero + ", <予測位置>, " + zero;
    const std::string expected =
        "★予測点, X[m]→, 1.000, Y[m]→, 1.000, Z[m]→, 1.200"
        "\r\n , , , ▲" +
        specular + ", <反射面反射位置(交差無し)>, " + zero + ", <反射面>" + kWallItems +
        "\r\n , , , ▲<反射面に近い為、全反射>"
        "\r\n , , , ▲<吸音補正量[dB]>" +
        Bands("-inf") + "\r\n , , , ▲" + specular + ", <反射面反射位置>, " + zero + ", <反射面>" +
        kWallItems + "\r\n , , , ▲<反射補正量無し>\r\n , , , ▲" + specular + ", <反射面反射位置>, " + zero +
        ", <反射面>" + kWallItems + "\r\n , , , ▲<反射面補正量[dB]>" + Bands("-1.00") +
        "\r\n , , , ▲【散乱反射】壁1, <音源位置>, " + zero + ", <予測位置>, " + zero + ", <反射面>" +
        kWallItems + "\r\n , , , ▲<散乱反射面補正量無し>" +
        "\r\n , ◆伝搬経路無し"
        "\r\n , ◆予測点が地下の為、計算しない"
        "\r\n\r\n , ◆等価騒音レベルLAeqT[dB]→, 40.0, 最大騒音レベルLAmax[dB]→, 45.0\r\n";
    EXPECT_EQ(Cp932ToUtf8(out.bytes()), expected);
    EXPECT_EQ(w.level(), 1);
}

}  // namespace
}  // namespace kelmora
