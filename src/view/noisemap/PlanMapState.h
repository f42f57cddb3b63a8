#pragma once
// The noise map of a plan window as the window and its "表示(&V)" menu use it, in plain code: the maps
// of the last grid run or of an opened result file, what is shown (map, iso-lines, legend, LAeqT or
// LAmax), whether the model has been edited since, and the display items for the plan's base layer.
// The window only binds menu items and redraws.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/MapSettings.h"
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

// The display items of a map for the plan's base layer (PlanSceneInputs::mapBeneath / mapAbove). The
// legend is not among them: it stands in a panel beside the plan (Legend), never over the site.
struct PlanMapLayers {
    DisplayLayer beneath;     // bands, iso-lines and their labels
    DisplayLayer above;       // nothing over the plan
    bool gridCrosses = true;  // whether the plan draws the grid's points (PlanSceneInputs::gridCrosses)
};

// A prediction point marked over the plan against its limits: a green dot when its levels meet them, a
// red one when they exceed one, with its level beside it.
struct PointMark {
    CVector3D position;
    std::string text;
    bool exceeded = false;
};

class PlanMapState {
public:
    // The levels of a grid run: the LAeqT and LAmax results of the model's grid points. The map is
    // shown (LAeqT) unless it is a vertical grid, which is drawn as a section. Throws NoiseMapError when
    // the model's points are no grid. `again`: the same grid's results predicted anew after an edit; a
    // map of the last run keeps the level shown and whether it is shown.
    void TakeRunResults(const CNoise& model, bool again = false);
    // The levels of a what-if study of the last grid run: the grid results of `study` (a copy of
    // `current` with other powers, its points re-predicted) shown as the run's map is, and the map still
    // counted as up to date for the unchanged `current`.
    void TakeStudyResults(const CNoise& study, const CNoise& current);
    // A result file opened onto the plan: the one level it holds (LAeqT when its header does not say).
    void TakeResultFile(LevelGrid grid, MapQuantity quantity, const CNoise& model);
    // The difference A − B of two results of the same grid (DifferenceGrid), each named for the
    // legend: classed by the settings' difference classes around a neutral class at no change. Throws
    // NoiseMapError (and keeps the map shown before) when the grids differ.
    void TakeDifference(const LevelGrid& a, std::string nameA, const LevelGrid& b, std::string nameB,
                        MapQuantity quantity, const CNoise& model);
    void Clear();

    bool HasMap() const { return laeq_.has_value() || lamax_.has_value(); }
    bool Has(MapQuantity quantity) const;
    bool IsSection() const { return vertical_; }
    bool IsDifference() const { return difference_; }
    // True for the map of a run's results (not of a result file).
    bool FromRun() const { return fromRun_; }

    // The points marked against their limits over the plan, whether a map is shown or not (none: no
    // marks).
    void SetPointMarks(std::vector<PointMark> marks) { marks_ = std::move(marks); }
    const std::vector<PointMark>& PointMarks() const { return marks_; }

    // Menu toggles.
    void SetShown(bool on) { shown_ = on; }
    void SetIsoLines(bool on) { isoLines_ = on; }
    void SetLegend(bool on) { legend_ = on; }
    // Shows LAeqT or LAmax; ignored for a level the map does not have.
    void Show(MapQuantity quantity);
    MapQuantity Showing() const { return showing_; }
    bool Shown() const { return shown_ && HasMap() && !vertical_; }

    // The document's map settings (classes, colours, iso-lines, crosses, masking, smoothing) and the
    // building footprints of its model, masked when the settings say so. A change of either rebuilds
    // the map; a change of the settings also resets the iso-line toggle to the settings' choice.
    void UseSettings(const MapSettings& settings, const CNoise& model);
    const MapSettings& Settings() const { return settings_; }
    // Whether the plan draws the grid's points: always without a shown plan map, else as the settings
    // say (off by default: at a fine grid they would cover the map).
    bool GridCrossesShown() const { return !Shown() || settings_.gridCrosses; }

    // True when the model has been edited since the results were computed.
    bool IsOutOfDate(const CNoise& current) const;

    // The map of the level shown, built on first use and kept until the level or the classes change;
    // null without a map.
    const NoiseMap* Map();

    // What to draw with the plan: nothing unless shown; the bands, the iso-lines and their labels
    // (within the client area's width) as the settings and the toggles say.
    PlanMapLayers Layers(const CKelmoraViewData& view, int clientWidth, const TextWidth& width,
                         const CNoise& current);
    // The same for a caller that knows whether the model changed since (the legend's business, not
    // the plan's: the verdict changes nothing here).
    PlanMapLayers Layers(const CKelmoraViewData& view, int clientWidth, const TextWidth& width,
                         bool outOfDate);

    // The legend for the panel beside the plan, with the out-of-date warning when asked for; none
    // unless the map is shown with its legend.
    std::optional<MapLegend> Legend(bool outOfDate);

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
    std::string nameA_;                                 // the two results of a difference
    std::string nameB_;
    MapSettings settings_;
    std::vector<CBuilding> buildings_;  // those the footprints were made of
    MapMultiPolygon footprints_;
    std::optional<NoiseMap> cache_;
    std::vector<PointMark> marks_;
};

}  // namespace kelmora
