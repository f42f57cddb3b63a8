#pragma once
// The lines of the calculation breakdown, in the words and number formats the breakdown has
// always used. The prediction run and the path evaluation write the breakdown only through these.
//
// The block of one prediction point, with the level after each step:
//   WritePointHeading (0); ChangeLevel(+1) (1);
//   for each source: WriteSourceHeading (1); then WriteSourceSkipped or WriteNoPath (1), or
//     ChangeLevel(+1) (2); for each path: WritePathHeading (3), the lines of its nodes, its
//     distances, WritePathLevels (2); then WriteSourceLevels (1);
//   ChangeLevel(-1) (0); WritePointResult or WritePointBelowGround (1).
#include <array>
#include <string_view>

#include "calc/BreakdownWriter.h"
#include "geometry/Vector.h"
#include "model/Band.h"
#include "model/Sound.h"

namespace kelmora {

// A face as the breakdown shows it.
struct BreakdownFace {
    std::string_view name;
    std::array<CVector3D, 4> corners;
    std::array<bool, 4> edgeDiffracts;  // edges 1–2, 2–3, 3–4, 4–1
};

// ---- Prediction points ----

// "予測点(%d/%d)" of point m of M (lists and grids) at level 0, after 3 line breaks except for the
// first point, with the point's coordinates.
void WritePointHeading(CBreakdownWriter& w, int pointNumber, int pointCount, const CVector3D& position);
// "予測点" of the single point at level 0, with its coordinates.
void WriteSinglePointHeading(CBreakdownWriter& w, const CVector3D& position);
// "予測点(%d/%d), 等価騒音レベルLAeqT[dB]→, %.1f" at level 1 after 2 line breaks, then
// ", 最大騒音レベルLAmax[dB]→, %.1f" and its line break.
void WritePointResult(CBreakdownWriter& w, int pointNumber, int pointCount, double laeq, double lamax);
// The same for the single point: "等価騒音レベルLAeqT[dB]→, %.1f" ...
void WriteSinglePointResult(CBreakdownWriter& w, double laeq, double lamax);
// "予測点が地下の為、計算しない" at level 1.
void WritePointBelowGround(CBreakdownWriter& w);

// ---- Sources ----

enum class SourceOrigin { Outdoor, BuildingOpening };
enum class SourceSkip { BelowGround, TooFar };

// "<外部音源(%d/%d)>(%s)" or "<建物開口部音源(%d/%d)>(%s)" (without "(%s)" for an empty memo) after
// 2 line breaks, then the source's coordinates, its directivity (outdoor sources only), its noise
// type with duration and events per hour, and both power spectra with their overall values.
void WriteSourceHeading(CBreakdownWriter& w, SourceOrigin origin, int sourceNumber, int sourceCount,
                        const CSound& source);
// "音源が地下の為、計算しない" or "距離が離れている為、計算しない" one level deeper; the level returns.
void WriteSourceSkipped(CBreakdownWriter& w, SourceSkip reason);
// "伝搬経路無し" one level deeper; the level returns.
void WriteNoPath(CBreakdownWriter& w);
// "予測点の音圧レベル[dB]" and "予測点の最大音圧レベル[dB]" of a source at the point, with overall
// values; then the level falls back by one, out of the source's paths.
void WriteSourceLevels(CBreakdownWriter& w, const CBand& level, const CBand& maxLevel);

// ---- Paths ----

// "伝搬経路(%d/%d)" after 2 line breaks; the lines of the path follow one level deeper.
void WritePathHeading(CBreakdownWriter& w, int pathNumber, int pathCount);
// "【散乱反射】%s, <音源位置>" with the face's name and the segment start, the outgoing point and the
// face; then the correction "<散乱反射面補正量(距離減衰量含む)[dB]>", or "<散乱反射面補正量無し>" when
// `correction` is null.
void WriteDiffuseReflection(CBreakdownWriter& w, const BreakdownFace& face, const CVector3D& start,
                            const CVector3D& outgoing, const CBand* correction);
// "【1回回折】%s, <音源位置>" with the segment's ends, the diffraction point (crossing or not), the
// face and the correction "<1回回折補正量[dB]>".
void WriteSingleDiffraction(CBreakdownWriter& w, const BreakdownFace& face, const CVector3D& start,
                            const CVector3D& end, const CVector3D& point, bool crosses,
                            const CBand& correction);
// "【2回回折】%s%s, <音源位置>" with both faces' names, the segment's ends, both diffraction points,
// both faces and the correction "<2回回折補正量[dB]>".
void WriteDoubleDiffraction(CBreakdownWriter& w, const BreakdownFace& faceX, const BreakdownFace& faceY,
                            const CVector3D& start, const CVector3D& end, const CVector3D& pointX,
                            bool crossesX, const CVector3D& pointY, bool crossesY, const CBand& correction);

// What became of the correction of a specular reflection.
enum class SpecularOutcome {
    NearFace,      // "<反射面に近い為、全反射>": incoming point within 0.3 m of the face plane
    Corrected,     // "<反射面補正量[dB]>" with the correction
    NoCorrection,  // "<反射補正量無し>": the correction failed
};
// "【鏡面反射】%s, <音源位置>" with the incoming and outgoing points, the reflection point (on the face
// or not) and the face; then the line of `outcome` (`correction` is used for Corrected only).
void WriteSpecularReflection(CBreakdownWriter& w, const BreakdownFace& face, const CVector3D& incoming,
                             const CVector3D& outgoing, const CVector3D& reflectionPoint, bool onFace,
                             SpecularOutcome outcome, const CBand& correction);
// "<吸音補正量[dB]>" after either kind of reflection.
void WriteAbsorption(CBreakdownWriter& w, const CBand& correction);
// "<伝搬経路距離[m]>→, ..." with path length, straight distance, spreading term, temperature and
// humidity, then "<空気音響吸収補正量[dB]>" with the air absorption.
void WritePathDistances(CBreakdownWriter& w, double pathLength, double straightDistance, double spreading,
                        double temperature, double humidity, const CBand& airAbsorption);
// "【音圧レベル[dB]】" and "【最大音圧レベル[dB]】" of a path with overall values; then the level
// falls back by one, out of the path.
void WritePathLevels(CBreakdownWriter& w, const CBand& level, const CBand& maxLevel);

}  // namespace kelmora
