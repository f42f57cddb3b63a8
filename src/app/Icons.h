#pragma once
// The toolbar's own icons, painted in the plan's colours so that each looks like what its command
// edits: ground lines, buildings, outdoor sources, prediction points, the size calibration and the
// background picture; the undo and redo arrows; the display's fit and zoom commands; and the program's
// icon.
#include <QIcon>

namespace kelmora {

enum class ToolIcon {
    GroundLines,
    Buildings,
    OutdoorSources,
    Prediction,
    SizeChange,
    Picture,
    Program,
    Undo,
    Redo,
    FitWindow,
    ZoomIn,
    ZoomOut,
    ZoomArea
};

QIcon PaintedIcon(ToolIcon icon);

}  // namespace kelmora
