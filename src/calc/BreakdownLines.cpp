#include "calc/BreakdownLines.h"

#include <string>

#include "calc/OpeningSources.h"
#include "calc/PrintfFormat.h"

namespace kelmora {
namespace {

void AppendFaceItems(CBreakdownWriter& w, const BreakdownFace& face) {
    w.AppendFace(face.corners, face.edgeDiffracts);
}

void AppendNoiseType(CBreakdownWriter& w, const CSound& source) {
    switch (source.noiseType) {
        case kSteadyNoise:
            w.Append(Format(", <定常騒音>, 継続時間[s]→, %g, 発生回数/h→, %g",
                            {source.duration, source.eventsPerHour}));
            break;
        case kFluctuatingNoise:
            w.Append(Format(", <変動騒音>, 継続時間[s]→, %g, 発生回数/h→, %g",
                            {source.duration, source.eventsPerHour}));
            break;
        case kImpulsiveNoise:
            w.Append(Format(", <衝撃騒音>, 発生回数/h→, %g", {source.eventsPerHour}));
            break;
        default:
            break;  // a type the program does not know shows no item
    }
}

void SpectrumLine(CBreakdownWriter& w, int lineBreaks, std::string_view heading, const CBand& spectrum,
                  bool withOverall) {
    w.Line(lineBreaks, heading);
    w.AppendSpectrum(spectrum, withOverall);
}

// A line one level deeper than the current one, after which the level returns.
void DeeperLine(CBreakdownWriter& w, std::string_view text) {
    w.ChangeLevel(1);
    w.Line(1, text);
    w.ChangeLevel(-1);
}

}  // namespace

void WritePointHeading(CBreakdownWriter& w, int pointNumber, int pointCount, const CVector3D& position) {
    if (!w.Writing()) return;
    w.LineAtLevel(pointNumber == 1 ? 0 : 3, 0, Format("予測点(%d/%d)", {pointNumber, pointCount}));
    w.AppendCoordinates(position);
}

void WriteSinglePointHeading(CBreakdownWriter& w, const CVector3D& position) {
    w.LineAtLevel(0, 0, "予測点");
    w.AppendCoordinates(position);
}

void WritePointResult(CBreakdownWriter& w, int pointNumber, int pointCount, double laeq, double lamax) {
    if (!w.Writing()) return;
    w.LineAtLevel(2, 1,
                  Format("予測点(%d/%d), 等価騒音レベルLAeqT[dB]→, %.1f", {pointNumber, pointCount, laeq}));
    w.Append(Format(", 最大騒音レベルLAmax[dB]→, %.1f\n", {lamax}));
}

void WriteSinglePointResult(CBreakdownWriter& w, double laeq, double lamax) {
    if (!w.Writing()) return;
    w.LineAtLevel(2, 1, Format("等価騒音レベルLAeqT[dB]→, %.1f", {laeq}));
    w.Append(Format(", 最大騒音レベルLAmax[dB]→, %.1f\n", {lamax}));
}

void WritePointBelowGround(CBreakdownWriter& w) {
    w.LineAtLevel(1, 1, "予測点が地下の為、計算しない");
}

void WriteSourceHeading(CBreakdownWriter& w, SourceOrigin origin, int sourceNumber, int sourceCount,
                        const CSound& source) {
    if (!w.Writing()) return;
    const bool outdoor = origin == SourceOrigin::Outdoor;
    std::string heading =
        Format(outdoor ? "<外部音源(%d/%d)>" : "<建物開口部音源(%d/%d)>", {sourceNumber, sourceCount});
    const std::string memo = SourceMemo(source);
    if (!memo.empty()) AppendFormat(heading, "(%s)", {memo});
    w.Line(2, heading);
    w.AppendCoordinates(source.position);
    if (outdoor) w.Append(Format(", 指向係数Q→, %g", {source.q}));
    AppendNoiseType(w, source);
    w.Append(", <A特性音響パワーレベル[dB]>");
    w.AppendSpectrum(source.powerAverage, true);
    w.Append(", <A特性音響最大パワーレベル[dB]>");
    w.AppendSpectrum(source.powerMax, true);
}

void WriteSourceSkipped(CBreakdownWriter& w, SourceSkip reason) {
    DeeperLine(w, reason == SourceSkip::BelowGround ? "音源が地下の為、計算しない"
                                                    : "距離が離れている為、計算しない");
}

void WriteNoPath(CBreakdownWriter& w) {
    DeeperLine(w, "伝搬経路無し");
}

void WriteSourceLevels(CBreakdownWriter& w, const CBand& level, const CBand& maxLevel) {
    SpectrumLine(w, 2, "予測点の音圧レベル[dB]", level, true);
    SpectrumLine(w, 1, "予測点の最大音圧レベル[dB]", maxLevel, true);
    w.ChangeLevel(-1);
}

void WritePathHeading(CBreakdownWriter& w, int pathNumber, int pathCount) {
    if (w.Writing()) w.Line(2, Format("伝搬経路(%d/%d)", {pathNumber, pathCount}));
    w.ChangeLevel(1);
}

void WriteDiffuseReflection(CBreakdownWriter& w, const BreakdownFace& face, const CVector3D& start,
                            const CVector3D& outgoing, const CBand* correction) {
    if (!w.Writing()) return;
    w.Line(1, Format("【散乱反射】%s, <音源位置>", {face.name}));
    w.AppendCoordinates(start);
    w.Append(", <予測位置>");
    w.AppendCoordinates(outgoing);
    w.Append(", <反射面>");
    AppendFaceItems(w, face);
    if (correction != nullptr) {
        SpectrumLine(w, 1, "<散乱反射面補正量(距離減衰量含む)[dB]>", *correction, false);
    } else {
        w.Line(1, "<散乱反射面補正量無し>");
    }
}

void WriteSingleDiffraction(CBreakdownWriter& w, const BreakdownFace& face, const CVector3D& start,
                            const CVector3D& end, const CVector3D& point, bool crosses,
                            const CBand& correction) {
    if (!w.Writing()) return;
    w.Line(1, Format("【1回回折】%s, <音源位置>", {face.name}));
    w.AppendCoordinates(start);
    w.Append(", <予測位置>");
    w.AppendCoordinates(end);
    w.Append(crosses ? ", <最小経路差回折位置>" : ", <最小経路差回折位置(交差無し)>");
    w.AppendCoordinates(point);
    w.Append(", <回折壁>");
    AppendFaceItems(w, face);
    SpectrumLine(w, 1, "<1回回折補正量[dB]>", correction, false);
}

void WriteDoubleDiffraction(CBreakdownWriter& w, const BreakdownFace& faceX, const BreakdownFace& faceY,
                            const CVector3D& start, const CVector3D& end, const CVector3D& pointX,
                            bool crossesX, const CVector3D& pointY, bool crossesY, const CBand& correction) {
    if (!w.Writing()) return;
    w.Line(1, Format("【2回回折】%s%s, <音源位置>", {faceX.name, faceY.name}));
    w.AppendCoordinates(start);
    w.Append(", <予測位置>");
    w.AppendCoordinates(end);
    w.Append(crossesX ? ", <最小経路差回折X位置>" : ", <最小経路差回折X位置(交差無し)>");
    w.AppendCoordinates(pointX);
    w.Append(crossesY ? ", <最小経路差回折Y位置>" : ", <最小経路差回折Y位置(交差無し)>");
    w.AppendCoordinates(pointY);
    w.Append(", <回折壁1>");
    AppendFaceItems(w, faceX);
    w.Append(", <回折壁2>");
    AppendFaceItems(w, faceY);
    SpectrumLine(w, 1, "<2回回折補正量[dB]>", correction, false);
}

void WriteSpecularReflection(CBreakdownWriter& w, const BreakdownFace& face, const CVector3D& incoming,
                             const CVector3D& outgoing, const CVector3D& reflectionPoint, bool onFace,
                             SpecularOutcome outcome, const CBand& correction) {
    if (!w.Writing()) return;
    w.Line(1, Format("【鏡面反射】%s, <音源位置>", {face.name}));
    w.AppendCoordinates(incoming);
    w.Append(", <予測位置>");
    w.AppendCoordinates(outgoing);
    w.Append(onFace ? ", <反射面反射位置>" : ", <反射面反射位置(交差無し)>");
    w.AppendCoordinates(reflectionPoint);
    w.Append(", <反射面>");
    AppendFaceItems(w, face);
    switch (outcome) {
        case SpecularOutcome::NearFace:
            w.Line(1, "<反射面に近い為、全反射>");
            break;
        case SpecularOutcome::Corrected:
            SpectrumLine(w, 1, "<反射面補正量[dB]>", correction, false);
            break;
        case SpecularOutcome::NoCorrection:
            w.Line(1, "<反射補正量無し>");
            break;
    }
}

void WriteAbsorption(CBreakdownWriter& w, const CBand& correction) {
    SpectrumLine(w, 1, "<吸音補正量[dB]>", correction, false);
}

void WritePathDistances(CBreakdownWriter& w, double pathLength, double straightDistance, double spreading,
                        double temperature, double humidity, const CBand& airAbsorption) {
    if (!w.Writing()) return;
    w.Line(
        1,
        Format("<伝搬経路距離[m]>→, %.3f, <直線距離[m]>→, %.3f, <距離減衰量[dB]>→, %.2f, <気温[℃]>→, %.1f, "
               "<湿度[%%]>→, %.1f",
               {pathLength, straightDistance, spreading, temperature, humidity}));
    SpectrumLine(w, 1, "<空気音響吸収補正量[dB]>", airAbsorption, false);
}

void WritePathLevels(CBreakdownWriter& w, const CBand& level, const CBand& maxLevel) {
    SpectrumLine(w, 1, "【音圧レベル[dB]】", level, true);
    SpectrumLine(w, 1, "【最大音圧レベル[dB]】", maxLevel, true);
    w.ChangeLevel(-1);
}

}  // namespace kelmora
