#include "view/PlanLabels.h"

#include <algorithm>
#include <climits>

#include "view/PlanExtent.h"
#include "view/TextInfo.h"
#include "view/ViewTransform.h"

namespace kelmora {

namespace {

constexpr int kMarkClearancePx = 7;  // from a marker's centre to its label

CTextInfo LabelStyle(Rgb colour, int anchor) {
    CTextInfo style;
    style.textColor = colour;
    style.opaque = 0;
    style.font.heightPx = kLabelHeightPx;
    style.anchor = anchor;
    return style;
}

ClientPoint Shifted(ClientPoint p, int dx, int dy) {
    // A marker far off the screen is clamped to the int range; its label need not be exact.
    const auto add = [](int a, int d) {
        const long long sum = static_cast<long long>(a) + d;
        return static_cast<int>(std::clamp<long long>(sum, INT_MIN, INT_MAX));
    };
    return {add(p.x, dx), add(p.y, dy)};
}

void DrawSourceMemo(DisplayLayer& layer, const CKelmoraViewData& v, const CSound& source,
                    const CTextInfo& style) {
    if (source.memo.empty()) return;
    style.Draw(layer, Shifted(ModelToPixel(v, source.position), kMarkClearancePx, kMarkClearancePx - 4),
               source.memo);
}

}  // namespace

std::string PredictionPointLabel(const CPredictivePoint& point, int mode, std::size_t index) {
    if (!point.label.empty()) return point.label;
    if (mode == kSinglePointMode || mode == kPointListMode) return std::to_string(index + 1);
    return {};
}

void DrawPlanLabels(DisplayLayer& layer, const CKelmoraViewData& v, const CNoise& model,
                    const PlanLabels& labels) {
    if (labels.buildingMemos) {
        const CTextInfo style = LabelStyle(kBuildingMemoColour, 4);
        for (const CBuilding& building : model.buildings) {
            const std::optional<ModelExtent> extent = ExtentOfBuilding(building);
            if (building.memo.empty() || !extent) continue;
            const CVector3D centre{0.5 * (extent->minX + extent->maxX), 0.5 * (extent->minY + extent->maxY),
                                   0.0};
            style.Draw(layer, ModelToPixel(v, centre), building.memo);
        }
    }
    if (labels.sourceMemos) {
        const CTextInfo style = LabelStyle(kSourceMemoColour, 0);
        for (const CBuilding& building : model.buildings)
            for (const CRoom& room : building.rooms)
                for (const CSound& source : room.sources)
                    DrawSourceMemo(layer, v, source, style);
        for (const CSound& source : model.outdoorSources)
            DrawSourceMemo(layer, v, source, style);
    }
    if (labels.points) {
        const CTextInfo style = LabelStyle(kPointLabelColour, 6);
        const CCalcInfo& calc = model.calcInfo;
        const std::span<const CPredictivePoint> points = calc.PredictionPoints();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const std::string text = PredictionPointLabel(points[i], calc.mode, i);
            if (text.empty()) continue;
            style.Draw(layer, Shifted(ModelToPixel(v, points[i].position), kMarkClearancePx - 2, -3), text);
        }
    }
}

}  // namespace kelmora
