#include "view/noisemap/PlanMapState.h"

#include <functional>
#include <string_view>

#include "model/persistence/Archive.h"
#include "view/EditState.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {

namespace {

constexpr int kLegendInset = 8;            // px from the client area's corner
constexpr double kDifferenceRange = 10.0;  // dB either side of no change
constexpr double kDifferenceStep = 2.0;    // dB

}  // namespace

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

void PlanMapState::TakeDifference(LevelGrid difference, MapQuantity quantity, const CNoise& model) {
    TakeResultFile(std::move(difference), quantity, model);
    difference_ = true;
}

void PlanMapState::Clear() {
    fromRun_ = false;
    laeq_.reset();
    lamax_.reset();
    vertical_ = false;
    difference_ = false;
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

void PlanMapState::SetClasses(const ColourScheme& scheme, LevelClasses classes) {
    scheme_ = scheme;
    classes_ = std::move(classes);
    classesChosen_ = true;
    cache_.reset();
}

bool PlanMapState::IsOutOfDate(const CNoise& current) const {
    return HasMap() && ModelFingerprint(current) != fingerprint_;
}

const NoiseMap* PlanMapState::Map() {
    if (!HasMap()) return nullptr;
    if (!cache_) {
        if (!classesChosen_) SetClasses(EuropeanScheme(), EvenClasses(35, 5, 10));
        const bool maximum = showing_ == MapQuantity::LAmax ? lamax_.has_value() : !laeq_.has_value();
        const MapQuantity quantity = maximum ? MapQuantity::LAmax : averageQuantity_;
        const LevelGrid& grid = maximum ? *lamax_ : *laeq_;
        const NoiseMapKind kind{quantity, difference_, gridHeight_};
        if (difference_) {
            LevelClasses classes = DifferenceClasses(kDifferenceRange, kDifferenceStep);
            const ColourScheme scheme = DivergingScheme(classes.ClassCount());
            cache_ = BuildNoiseMap(grid, std::move(classes), scheme, kind);
        } else {
            cache_ = BuildNoiseMap(grid, classes_, scheme_, kind);
        }
    }
    return &*cache_;
}

PlanMapLayers PlanMapState::Layers(const CKelmoraViewData& view, int clientWidth, const TextWidth& width,
                                   const CNoise& current) {
    return Layers(view, clientWidth, width, Shown() && legend_ && IsOutOfDate(current));
}

PlanMapLayers PlanMapState::Layers(const CKelmoraViewData& view, int clientWidth, const TextWidth& width,
                                   bool outOfDate) {
    PlanMapLayers layers;
    if (!Shown()) return layers;
    const NoiseMap* map = Map();
    layers.beneath = DrawPlanMap(*map, view, isoLines_);
    if (legend_) {
        MapLegend legend = map->legend;
        if (outOfDate) legend.warning = std::string(kMapOutOfDate);
        const LegendSize size = MeasureLegend(legend, width);
        DrawLegend(layers.above, legend, {clientWidth - size.width - kLegendInset, kLegendInset}, width);
    }
    return layers;
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
