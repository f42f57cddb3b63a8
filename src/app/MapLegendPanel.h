#pragma once
// The legend of a plan window's noise map in a panel of its own beside the plan — never over the
// site — and the pane that holds the plan with it. The panel shows the document's legend (with the
// out-of-date warning) after the document's plan windows redraw, and hides when no map or no legend is
// shown, giving its width back to the plan.
#include <QWidget>
#include <optional>

#include "view/noisemap/MapLayer.h"

namespace kelmora {

class KelmoraDocument;
class PlanView;

class MapLegendPanel : public QWidget {
    Q_OBJECT

public:
    MapLegendPanel(KelmoraDocument& document, QWidget* parent = nullptr);

    // The legend shown, none while hidden.
    const std::optional<MapLegend>& legend() const { return legend_; }
    // Takes the document's legend as it is now.
    void Refresh();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    KelmoraDocument& document_;
    std::optional<MapLegend> legend_;
};

// A plan window's contents: the plan, with the legend panel at its right.
class PlanPane : public QWidget {
    Q_OBJECT

public:
    PlanPane(KelmoraDocument& document, QWidget* parent = nullptr);
    PlanView* view() const { return view_; }
    MapLegendPanel* legendPanel() const { return legend_; }

private:
    PlanView* view_;
    MapLegendPanel* legend_;
};

}  // namespace kelmora
