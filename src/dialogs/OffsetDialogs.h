#pragma once
// The two small dialogs of a snapped click on the plan: "線上点オフセット" (a distance from the near end of
// the snapped line) and "オフセット" (an X and a Y added to the snapped corner). Cancel keeps the snapped
// point. In "線上点オフセット", which says so, Cancel is the default button: Enter keeps the nearest point.
// In "オフセット" OK is: an offset typed and confirmed with Enter is taken.
#include <optional>

#include "geometry/Vector.h"

class QWidget;

namespace kelmora {

std::optional<double> AskOffsetLengthDialog(QWidget* parent);
std::optional<CVertex2D> AskOffsetXYDialog(QWidget* parent);

}  // namespace kelmora
