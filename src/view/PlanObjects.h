#pragma once
// How each kind of site object appears on the plan, in its normal style and in the highlight style of
// the object under edit: which geometry, which colour, width, hatching and arrows. Every position
// reaches the screen through the window's view data.
#include <string>
#include <vector>

#include "geometry/Shapes.h"
#include "model/BuildingWall.h"
#include "model/CalcInfo.h"
#include "model/GroundLine.h"
#include "model/Room.h"
#include "model/Sound.h"
#include "model/ViewRecord.h"
#include "view/DisplayList.h"
#include "view/LineInfo.h"

namespace kelmora {

inline constexpr Rgb kPlanBackgroundColour{240, 248, 255};
inline constexpr Rgb kGroundLineColour{119, 17, 0};
inline constexpr Rgb kBarrierColour{0, 0, 255};
inline constexpr Rgb kSlopeColour{188, 118, 60};
inline constexpr Rgb kRoofColour{0, 255, 0};
inline constexpr Rgb kExteriorWallColour{0, 0, 255};
inline constexpr Rgb kRoomColour{255, 165, 0};
inline constexpr Rgb kSourceColour{255, 0, 0};
inline constexpr Rgb kPredictionPointColour{255, 0, 0};

inline constexpr int kNormalWidth = 1;     // px
inline constexpr int kHighlightWidth = 3;  // px

enum class DrawStyle { Normal, Highlight };

// The line style of the plan's objects: solid, not filled, diagonal cross-hatch on white; only the
// colour and the width vary.
CLineInfo PlanLineStyle(Rgb color, int width);

// The colour of an opening by its nesting depth (1 = an opening of the room) and whether it radiates
// outdoors: depth 1 dark grey / red, even depths black / yellow, odd depths from 3 olive / magenta.
Rgb OpeningColour(int depth, bool outdoorSource);

// The plan line of a wall: the part of the ground line between its range ends, moved sideways by its
// horizontal offset and raised by its vertical gap.
CPolyline WallPlanLine(const CGroundLine& line, const CWall& wall);
// The band of a slope shoulder: its plan line, then the slope foot line (the plan line moved by the
// slope's horizontal run to the side the slope descends) in reverse order.
CPolyline SlopeBand(const CGroundLine& line, const CWall& wall);

// Ground line: its polyline; highlighted 3 px wide with a direction arrow on every segment.
void DrawGroundLine(DisplayLayer& layer, const CKelmoraViewData& v, const CGroundLine& line, DrawStyle style);
// A wall of the line: a barrier as its plan line, a slope shoulder as its hatched band (highlighted:
// the band's outline 3 px wide over it).
void DrawWall(DisplayLayer& layer, const CKelmoraViewData& v, const CGroundLine& line, const CWall& wall,
              DrawStyle style);
// Roof: the hatched rectangle with its open corner line; highlighted: the closed outline 3 px wide and
// an arrow along side A.
void DrawRoof(DisplayLayer& layer, const CKelmoraViewData& v, const CRectObstacle& face, DrawStyle style);
// Exterior wall: its polyline, closed when the wall is; highlighted with arrows on every segment but
// the closing one.
void DrawExteriorWall(DisplayLayer& layer, const CKelmoraViewData& v, const CBuildingWall& wall,
                      DrawStyle style);
// Room outline: hatched when it encloses an area, otherwise an open line; highlighted never hatched but
// 3 px wide, closed when it encloses an area, with arrows on every segment but the closing one.
void DrawRoomOutline(DisplayLayer& layer, const CKelmoraViewData& v, const CRoom& room, DrawStyle style);
// One opening's closed rectangle in the colour of its depth.
void DrawOpening(DisplayLayer& layer, const CKelmoraViewData& v, const CWindow& opening, int depth,
                 DrawStyle style);

// Openings with their contained openings: each container before (under) its contents, among
// siblings the later-listed first. `depth` is that of the listed openings. When `skip` names a
// path of indices (from the list's level down), that opening and its contents are left out.
void DrawOpeningTrees(DisplayLayer& layer, const CKelmoraViewData& v, const std::vector<CWindow>& openings,
                      int depth, DrawStyle style, const std::vector<int>* skip = nullptr);

// Source markers: a hollow red circle of radius 5, or the filled one of radius 6 of a selected source.
enum class SourceMark { Hollow, Filled };
void DrawSource(DisplayLayer& layer, const CKelmoraViewData& v, const CSound& source, SourceMark mark);

// Prediction point: a red plus of half-size 5, width 1; highlighted half-size 7, width 3.
void DrawPredictionPoint(DisplayLayer& layer, const CKelmoraViewData& v, const CPredictivePoint& point,
                         DrawStyle style);

// The label of a picture corner: the model point under it as "(%.0fm, %.0fm)".
std::string CornerLabelText(const CVector3D& modelPoint);
// The model coordinates of the four picture corners, each written inside the picture at its corner:
// lower-left, upper-left, upper-right, lower-right.
void DrawCornerLabels(DisplayLayer& layer, const CKelmoraViewData& v);

}  // namespace kelmora
