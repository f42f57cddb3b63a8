#include "view/noisemap/PlanMapState.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>

#include "model/persistence/Archive.h"
#include "view/EditState.h"
#include "view/ViewTransform.h"
#include "view/noisemap/BuildingMask.h"
#include "view/noisemap/DifferenceMap.h"
#include "view/noisemap/MapStyle.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {

std::uint64_t ModelFingerprint(const CNoise& model) {
    CArchive archive;
    // Storing only reads the model; the archive's one transfer function takes it mutable.
    const_cast<CNoise&>(model).Serialize(archive);
    const std::vector<std::uint8_t>& bytes = archive.Bytes();
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void PlanMapState::TakeRunResults(const CNoise& model, bool again) {
    const CCalcInfo& calc = model.calcInfo;
    LevelGrid laeq =
        GridFromPoints(calc.gridPoints, calc.rowDivisions, calc.columnDivisions, MapQuantity::LAeqT);
    LevelGrid lamax =
        GridFromPoints(calc.gridPoints, calc.rowDivisions, calc.columnDivisions, MapQuantity::LAmax);
    const bool keep = again && fromRun_;
    Clear();
    vertical_ = IsVerticalGrid(laeq);
    laeq_ = std::move(laeq);
    lamax_ = std::move(lamax);
    gridHeight_ = calc.gridHeight;
    fingerprint_ = ModelFingerprint(model);
    fromRun_ = true;
    averageQuantity_ = MapQuantity::LAeqT;
    if (keep) return;
    showing_ = MapQuantity::LAeqT;
    shown_ = true;
}

void PlanMapState::TakeStudyResults(const CNoise& study, const CNoise& current) {
    TakeRunResults(study, true);
    fingerprint_ = ModelFingerprint(current);
}

void PlanMapState::TakeResultFile(LevelGrid grid, MapQuantity quantity, const CNoise& model) {
    Clear();
    vertical_ = IsVerticalGrid(grid);
    if (quantity == MapQuantity::LAmax)
        lamax_ = std::move(grid);
    else
        laeq_ = std::move(grid);
    showing_ = quantity == MapQuantity::LAmax ? MapQuantity::LAmax : MapQuantity::LAeqT;
    // A matrix file does not say which level it holds: the legend says so too.
    averageQuantity_ = quantity == MapQuantity::Unknown ? MapQuantity::Unknown : MapQuantity::LAeqT;
    gridHeight_ = model.calcInfo.gridHeight;
    fingerprint_ = ModelFingerprint(model);
    shown_ = true;
}

void PlanMapState::TakeDifference(const LevelGrid& a, std::string nameA, const LevelGrid& b,
                                  std::string nameB, MapQuantity quantity, const CNoise& model) {
    TakeResultFile(DifferenceGrid(a, b), quantity, model);
    difference_ = true;
    nameA_ = std::move(nameA);
    nameB_ = std::move(nameB);
}

void PlanMapState::Clear() {
    fromRun_ = false;
    laeq_.reset();
    lamax_.reset();
    vertical_ = false;
    difference_ = false;
    nameA_.clear();
    nameB_.clear();
    cache_.reset();
}

bool PlanMapState::Has(MapQuantity quantity) const {
    return quantity == MapQuantity::LAmax ? lamax_.has_value() : laeq_.has_value();
}

void PlanMapState::Show(MapQuantity quantity) {
    if (quantity == MapQuantity::Unknown || !Has(quantity) || quantity == showing_) return;
    showing_ = quantity;
    cache_.reset();
}

void PlanMapState::UseSettings(const MapSettings& settings, const CNoise& model) {
    // The footprints are made again only when the buildings changed: this runs at every edit step.
    if (model.buildings != buildings_) {
        buildings_ = model.buildings;
        footprints_ = BuildingFootprints(model);
        if (settings_.maskBuildings) cache_.reset();
    }
    if (settings == settings_) return;
    settings_ = settings;
    isoLines_ = settings.isoLines;
    cache_.reset();
}

bool PlanMapState::IsOutOfDate(const CNoise& current) const {
    return HasMap() && ModelFingerprint(current) != fingerprint_;
}

const NoiseMap* PlanMapState::Map() {
    if (!HasMap()) return nullptr;
    if (!cache_) {
        const bool maximum = showing_ == MapQuantity::LAmax ? lamax_.has_value() : !laeq_.has_value();
        const MapQuantity quantity = maximum ? MapQuantity::LAmax : averageQuantity_;
        const LevelGrid& grid = maximum ? *lamax_ : *laeq_;
        const NoiseMapKind kind{quantity, difference_, gridHeight_};
        MapShaping shaping;
        shaping.smooth = settings_.smooth;
        if (settings_.maskBuildings) shaping.mask = footprints_;
        const MapStyle style =
            difference_ ? DifferenceMapStyleOrDefault(settings_) : LevelMapStyleOrDefault(settings_);
        cache_ = BuildNoiseMap(grid, style.classes, style.scheme, kind, shaping);
        if (difference_) cache_->legend.notes = DifferenceNotes(nameA_, nameB_);
    }
    return &*cache_;
}

PlanMapLayers PlanMapState::Layers(const CKelmoraViewData& view, int clientWidth, const TextWidth& width,
                                   const CNoise&) {
    return Layers(view, clientWidth, width, false);
}

PlanMapLayers PlanMapState::Layers(const CKelmoraViewData& view, int clientWidth, const TextWidth& width,
                                   bool) {
    PlanMapLayers layers;
    layers.gridCrosses = GridCrossesShown();
    for (const PointMark& mark : marks_) {
        const ClientPoint at = ModelToPixel(view, mark.position);
        const Rgb colour = mark.exceeded ? Rgb{220, 30, 30} : Rgb{20, 160, 60};
        layers.above.push_back(EllipsePrimitive{at.x - 5, at.y - 5, at.x + 6, at.y + 6, Pen{Rgb{0, 0, 0}, 1},
                                                SolidBrush(colour)});
        TextPrimitive label;
        label.at = {at.x + 8, at.y};
        label.anchor = 3;
        label.text = mark.text;
        label.font.heightPx = 13;
        label.textColor = colour;
        label.halo = true;
        layers.above.push_back(std::move(label));
    }
    if (!Shown()) return layers;
    const NoiseMap* map = Map();
    const LabelFrame frame{0.0, 0.0, static_cast<double>(clientWidth), INFINITY};
    layers.beneath =
        DrawPlanMap(*map, PlanMapToPixels(view), MapLook{isoLines_, settings_.isoLineLabels}, width, frame);
    return layers;
}

std::optional<MapLegend> PlanMapState::Legend(bool outOfDate) {
    if (!Shown() || !legend_) return std::nullopt;
    MapLegend legend = Map()->legend;
    if (outOfDate) legend.warning = std::string(kMapOutOfDate);
    return legend;
}

MapMenuState PlanMapState::Menu(int editMode) const {
    MapMenuState menu;
    const bool plan = HasMap() && !vertical_;
    menu.mapEnabled = plan;
    menu.mapChecked = plan && shown_;
    menu.isoLinesEnabled = plan && shown_;
    menu.isoLinesChecked = isoLines_;
    menu.legendEnabled = plan && shown_;
    menu.legendChecked = legend_;
    menu.laeqEnabled = plan && shown_ && laeq_.has_value();
    menu.laeqChecked = plan && showing_ == MapQuantity::LAeqT;
    menu.lamaxEnabled = plan && shown_ && lamax_.has_value();
    menu.lamaxChecked = plan && showing_ == MapQuantity::LAmax;
    menu.openResultFileEnabled = editMode == kIdleMode;
    menu.sectionEnabled = HasMap() && vertical_;
    return menu;
}

}  // namespace kelmora
