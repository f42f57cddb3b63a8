#pragma once
// Labels on the plan, each kind switched on and off from the view menu: the prediction points' labels
// (a point's own label, or else its number in the run as the breakdown counts it), the memos of the
// sources (outdoor and room sources) and the memos of the buildings. They are drawn over the model in
// the base layer, so the window and a picture of the plan show the same.
#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/DisplayList.h"

namespace kelmora {

struct PlanLabels {
    bool points = false;         // "点のラベル"
    bool sourceMemos = false;    // "音源のメモ"
    bool buildingMemos = false;  // "建物のメモ"

    bool any() const { return points || sourceMemos || buildingMemos; }
    friend bool operator==(const PlanLabels&, const PlanLabels&) = default;
};

inline constexpr Rgb kPointLabelColour{200, 0, 0};
inline constexpr Rgb kSourceMemoColour{128, 0, 64};
inline constexpr Rgb kBuildingMemoColour{0, 96, 0};
inline constexpr int kLabelHeightPx = 13;

// The text beside a prediction point: its label, or for a single point and the points of a list its
// number from 1 ("予測点(n/N)" of the breakdown); grid points without a label have none.
std::string PredictionPointLabel(const CPredictivePoint& point, int mode, std::size_t index);

// The labels switched on, for every object of `model` that has a text: point labels above and right of
// the points, source memos below and right of the sources, building memos centred on the building.
void DrawPlanLabels(DisplayLayer& layer, const CKelmoraViewData& v, const CNoise& model,
                    const PlanLabels& labels);

}  // namespace kelmora
