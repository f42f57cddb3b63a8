#pragma once
// The noise map of a plan window as the window and its "表示(&V)" menu use it, in plain code: the maps
// of the last grid run or of an opened result file, what is shown (map, iso-lines, legend, LAeqT or
// LAmax), whether the model has been edited since, and the display items for the plan's base layer.
// The window only binds menu items and redraws.
#include <cstdint>
#include <optional>
#include <string>

#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/DisplayList.h"
#include "view/noisemap/NoiseMap.h"

namespace kelmora {

// A fingerprint of the site model as a project file stores it (run results are not stored): equal
// fingerprints mean an unchanged model.
std::uint64_t ModelFingerprint(const CNoise& model);

// What the "表示(&V)" menu shows for the map items.
struct MapMenuState {
    bool mapEnabled = false;
    bool mapChecked = false;
    bool isoLinesEnabled = false;
    bool isoLinesChecked = false;
    bool legendEnabled = false;
    bool legendChecked = false;
    bool laeqEnabled = false;
    bool laeqChecked = false;
    bool lamaxEnabled = false;
    bool lamaxChecked = false;
    bool openResultFileEnabled = false;
    bool sectionEnabled = false;
};

// The display items of a map for the plan's base layer (PlanSceneInputs::mapBeneath / mapAbove).
struct PlanMapLayers {
    DisplayLayer beneath;  // bands and iso-lines
    DisplayLayer above;    // the legend
};

class PlanMapState {
public:
    // The levels of a grid run: the LAeqT and LAmax results of the model's grid points. The map is
    // shown (LAeqT) unless it is a vertical grid, which is drawn as a section. Throws NoiseMapError when
    // the model's points are no grid. `again`: the same grid's results predicted anew after an edit; a
    // map of the last run keeps the level shown and whether it is shown.
    void TakeRunResults(const CNoise& model, bool again = false);
    // A result file opened onto the plan: the one level it holds (LAeqT when its header does not say).
    void TakeResultFile(LevelGrid grid, MapQuantity quantity, const CNoise& model);
    // The difference of two scenarios' result files of the same grid (DifferenceGrid): levels in dB
    // classed from −10 to +10 dB in 2 dB steps in the diverging scheme, whatever classes the level maps
    // use.
    void TakeDifference(LevelGrid difference, MapQuantity quantity, const CNoise& model);
    void Clear();

    bool HasMap() const { return laeq_.has_value() || lamax_.has_value(); }
    bool Has(MapQuantity quantity) const;
    bool IsSection() const { return vertical_; }
    bool IsDifference() const { return difference_; }
    // True for the map of a run's results (not of a result file).
    bool FromRun() const { return fromRun_; }

    // Menu toggles.
    void SetShown(bool on) { shown_ = on; }
    void SetIsoLines(bool on) { isoLines_ = on; }
    void SetLegend(bool on) { legend_ = on; }
    // Shows LAeqT or LAmax; ignored for a level the map does not have.
    void Show(MapQuantity quantity);
    MapQuantity Showing() const { return showing_; }
    bool Shown() const { return shown_ && HasMap() && !vertical_; }

    // Classes and colours; the default is the European scheme from 35 dB in 5 dB steps.
    void SetClasses(const ColourScheme& scheme, LevelClasses classes);

    // True when the model has been edited since the results were computed.
    bool IsOutOfDate(const CNoise& current) const;

    // The map of the level shown, built on first use and kept until the level or the classes change;
    // null without a map.
    const NoiseMap* Map();

    // What to draw with the plan: nothing unless shown; the legend at the top-right corner of the
    // client area (8 px in), with the out-of-date warning when the model has changed.
    PlanMapLayers Layers(const CKelmoraViewData& view, int clientWidth, const TextWidth& width,
                         const CNoise& current);
    // The same with the out-of-date verdict known beforehand: a window redraws far more often than its
    // model changes, and the check reads the whole model, every grid point included.
    PlanMapLayers Layers(const CKelmoraViewData& view, int clientWidth, const TextWidth& width,
                         bool outOfDate);

    // The menu items of the map for a document in `editMode`: toggles need a map; opening a result
    // file needs the idle document (its grid settings place the file).
    MapMenuState Menu(int editMode) const;

private:
    std::optional<LevelGrid> laeq_;
    std::optional<LevelGrid> lamax_;
    bool vertical_ = false;
    bool difference_ = false;
    bool fromRun_ = false;
    double gridHeight_ = 0.0;
    std::uint64_t fingerprint_ = 0;
    bool shown_ = true;
    bool isoLines_ = true;
    bool legend_ = true;
    MapQuantity showing_ = MapQuantity::LAeqT;
    MapQuantity averageQuantity_ = MapQuantity::LAeqT;  // what the levels held as LAeqT are
    ColourScheme scheme_;
    LevelClasses classes_;
    bool classesChosen_ = false;
    std::optional<NoiseMap> cache_;
};

}  // namespace kelmora
