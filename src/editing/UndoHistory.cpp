#include "editing/UndoHistory.h"

#include <unordered_set>
#include <utility>

#include "editing/MemoryFootprint.h"

namespace kelmora {

namespace {

PredictionPart PredictionOf(const CNoise& model) {
    return {model.calcInfo, model.targetTime,     model.effectiveDistance, model.temperature,
            model.humidity, model.maxReflections, model.openingSources};
}

bool SamePrediction(const CNoise& a, const CNoise& b) {
    return a.calcInfo == b.calcInfo && a.targetTime == b.targetTime &&
           a.effectiveDistance == b.effectiveDistance && a.temperature == b.temperature &&
           a.humidity == b.humidity && a.maxReflections == b.maxReflections &&
           a.openingSources == b.openingSources;
}

void SetPrediction(CNoise& model, const PredictionPart& part) {
    model.calcInfo = part.calcInfo;
    model.targetTime = part.targetTime;
    model.effectiveDistance = part.effectiveDistance;
    model.temperature = part.temperature;
    model.humidity = part.humidity;
    model.maxReflections = part.maxReflections;
    model.openingSources = part.openingSources;
}

std::size_t Bytes(const std::vector<CGroundLine>& part) {
    return MemoryBytes(part);
}
std::size_t Bytes(const std::vector<CBuilding>& part) {
    return MemoryBytes(part);
}
std::size_t Bytes(const std::vector<CSound>& part) {
    return MemoryBytes(part);
}
std::size_t Bytes(const PredictionPart& part) {
    return sizeof(part) + MemoryBytes(part.calcInfo) - sizeof(part.calcInfo) +
           MemoryBytes(part.openingSources) - sizeof(part.openingSources);
}
std::size_t Bytes(const ProjectExtras& part) {
    return MemoryBytes(part);
}
std::size_t Bytes(const CKelmoraViewData& part) {
    return sizeof(part) + part.imagePath.capacity();
}

template <typename Part>
KeptPart<Part> Kept(Part value) {
    auto copy = std::make_shared<const Part>(std::move(value));
    return {copy, Bytes(*copy)};
}

// Which parts of the two steps' sides apply, in the direction of travel.
enum class Side { Before, After };

template <typename Part>
const Part* SideOf(const std::optional<PartChange<Part>>& change, Side side) {
    if (!change) return nullptr;
    return (side == Side::Before ? change->before : change->after).value.get();
}

void PutSide(const UndoStep& step, Side side, CNoise& model, ProjectExtras& extras) {
    if (const auto* lines = SideOf(step.groundLines, side)) model.groundLines = *lines;
    if (const auto* buildings = SideOf(step.buildings, side)) model.buildings = *buildings;
    if (const auto* sources = SideOf(step.outdoorSources, side)) model.outdoorSources = *sources;
    if (const auto* prediction = SideOf(step.prediction, side)) SetPrediction(model, *prediction);
    if (const auto* kept = SideOf(step.extras, side)) extras = *kept;
}

template <typename Part>
void CountPart(const std::optional<PartChange<Part>>& change, std::unordered_set<const void*>& seen,
               std::size_t& total) {
    if (!change) return;
    for (const KeptPart<Part>* kept : {&change->before, &change->after})
        if (kept->value && seen.insert(kept->value.get()).second) total += kept->bytes;
}

}  // namespace

void ApplyViewChange(CKelmoraViewData& current, const CKelmoraViewData& from, const CKelmoraViewData& to) {
    if (from.imagePath != to.imagePath) current.imagePath = to.imagePath;
    if (from.imageHeight != to.imageHeight) current.imageHeight = to.imageHeight;
    if (from.imageWidth != to.imageWidth) current.imageWidth = to.imageWidth;
    if (!(from.calibration == to.calibration)) current.calibration = to.calibration;
    if (!(from.zoom == to.zoom)) current.zoom = to.zoom;
}

UndoHistory::UndoHistory(std::size_t maxSteps, std::size_t maxBytes)
    : maxSteps_(maxSteps), maxBytes_(maxBytes) {}

std::string UndoHistory::UndoName() const {
    return CanUndo() ? steps_[position_ - base_ - 1].name : std::string();
}

std::string UndoHistory::RedoName() const {
    return CanRedo() ? steps_[position_ - base_].name : std::string();
}

template <typename Part>
void UndoHistory::Keep(std::optional<PartChange<Part>> UndoStep::*member, UndoStep& step, Part before,
                       Part after) {
    PartChange<Part> change;
    for (std::size_t i = position_ - base_; i-- > 0;) {
        const std::optional<PartChange<Part>>& earlier = steps_[i].*member;
        if (!earlier) continue;
        if (*earlier->after.value == before) change.before = earlier->after;
        break;
    }
    if (!change.before.value) change.before = Kept(std::move(before));
    change.after = Kept(std::move(after));
    step.*member = std::move(change);
}

void UndoHistory::RecordModel(std::string name, std::vector<int> hints, unsigned parts, const CNoise& before,
                              const ProjectExtras& extrasBefore, const CNoise& after,
                              const ProjectExtras& extrasAfter) {
    auto wanted = [parts](DocumentPart part) { return (parts & static_cast<unsigned>(part)) != 0; };
    UndoStep step;
    step.name = std::move(name);
    step.hints = std::move(hints);
    if (wanted(DocumentPart::GroundLines) && before.groundLines != after.groundLines)
        Keep(&UndoStep::groundLines, step, before.groundLines, after.groundLines);
    if (wanted(DocumentPart::Buildings) && before.buildings != after.buildings)
        Keep(&UndoStep::buildings, step, before.buildings, after.buildings);
    if (wanted(DocumentPart::OutdoorSources) && before.outdoorSources != after.outdoorSources)
        Keep(&UndoStep::outdoorSources, step, before.outdoorSources, after.outdoorSources);
    if (wanted(DocumentPart::Prediction) && !SamePrediction(before, after))
        Keep(&UndoStep::prediction, step, PredictionOf(before), PredictionOf(after));
    if (wanted(DocumentPart::Extras) && !(extrasBefore == extrasAfter))
        Keep(&UndoStep::extras, step, extrasBefore, extrasAfter);
    Push(std::move(step));
}

void UndoHistory::RecordView(std::string name, std::vector<int> hints, int windowId,
                             const CKelmoraViewData& before, const CKelmoraViewData& after) {
    UndoStep step;
    step.name = std::move(name);
    step.hints = std::move(hints);
    step.windowId = windowId;
    step.view = PartChange<CKelmoraViewData>{Kept(before), Kept(after)};
    Push(std::move(step));
}

void UndoHistory::Push(UndoStep step) {
    // The steps that could have been redone go, and a clean state among them with them.
    steps_.resize(position_ - base_);
    if (clean_ && *clean_ > position_) clean_.reset();
    steps_.push_back(std::move(step));
    ++position_;
    while (!steps_.empty() && (steps_.size() > maxSteps_ || bytes() > maxBytes_)) {
        steps_.pop_front();
        ++base_;
    }
}

const UndoStep* UndoHistory::Undo(CNoise& model, ProjectExtras& extras) {
    if (!CanUndo()) return nullptr;
    --position_;
    const UndoStep& step = steps_[position_ - base_];
    PutSide(step, Side::Before, model, extras);
    return &step;
}

const UndoStep* UndoHistory::Redo(CNoise& model, ProjectExtras& extras) {
    if (!CanRedo()) return nullptr;
    const UndoStep& step = steps_[position_ - base_];
    ++position_;
    PutSide(step, Side::After, model, extras);
    return &step;
}

void UndoHistory::Clear() {
    steps_.clear();
    base_ = 0;
    position_ = 0;
    clean_ = 0;
}

std::size_t UndoHistory::bytes() const {
    std::unordered_set<const void*> seen;
    std::size_t total = 0;
    for (const UndoStep& step : steps_) {
        CountPart(step.groundLines, seen, total);
        CountPart(step.buildings, seen, total);
        CountPart(step.outdoorSources, seen, total);
        CountPart(step.prediction, seen, total);
        CountPart(step.extras, seen, total);
        CountPart(step.view, seen, total);
    }
    return total;
}

}  // namespace kelmora
