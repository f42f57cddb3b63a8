#include "calc/ResultsStudy.h"

#include <cmath>

#include "calc/PrintfFormat.h"
#include "calc/ScenarioModel.h"

namespace kelmora {
namespace {

std::string Field(const std::string& text, char separator) {
    if (separator == ',') return CsvField(text);
    std::string out = text;
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return out;
}

std::string LimitText(const std::optional<double>& limit) {
    return limit ? Format("%.1f", {*limit}) : "";
}

}  // namespace

std::string DifferenceText(double after, double before) {
    const double d = std::round(after * 10.0) / 10.0 - std::round(before * 10.0) / 10.0;
    return Format("%.1f", {std::fabs(d) < 0.05 ? 0.0 : d});
}

bool CResultsStudy::Reset(const CNoise& model, const CTransferStore* store, const LevelLimits& limits) {
    store_ = nullptr;
    match_ = CTransferMatch();
    base_ = model;
    limits_ = limits;
    infos_ = UserSourceInfos(model);
    adjustments_.clear();
    for (const UserSourceInfo& info : infos_)
        adjustments_.push_back({info.name, true, 0.0});
    rows_.clear();
    if (store == nullptr || !InstantUpdatePossible(model, model, *store)) {
        variant_ = base_;
        return false;
    }
    store_ = store;
    match_ = CTransferMatch(*store, UserSourceKeys(model), RunPointPositions(model));
    // The levels as the transfers give them, which are the run's own.
    RecomputeFromTransfers(base_, *store_);
    const std::span<const CPredictivePoint> points = base_.calcInfo.PredictionPoints();
    for (std::size_t i = 0; i < points.size(); ++i) {
        PointRow row;
        row.label = points[i].label.empty() ? Format("%d", {static_cast<int>(i) + 1}) : points[i].label;
        row.position = points[i].position;
        row.laeq = points[i].resultAverage.overallLevel();
        row.lamax = points[i].resultMax.overallLevel();
        row.limits = LimitsForPoint(limits_, points[i].label);
        rows_.push_back(row);
    }
    Recompute();
    return true;
}

void CResultsStudy::SetLimits(const LevelLimits& limits) {
    limits_ = limits;
    const std::span<const CPredictivePoint> points = base_.calcInfo.PredictionPoints();
    for (std::size_t i = 0; i < rows_.size() && i < points.size(); ++i) {
        rows_[i].limits = LimitsForPoint(limits_, points[i].label);
        rows_[i].verdict = VerdictFor(rows_[i].limits, rows_[i].laeqAfter, rows_[i].lamaxAfter);
    }
}

void CResultsStudy::SetSourceOn(std::size_t s, bool on) {
    if (s >= adjustments_.size() || adjustments_[s].on == on) return;
    adjustments_[s].on = on;
    Recompute();
}

void CResultsStudy::SetSourceGain(std::size_t s, double gainDb) {
    if (s >= adjustments_.size() || !std::isfinite(gainDb) || adjustments_[s].gainDb == gainDb) return;
    adjustments_[s].gainDb = gainDb;
    Recompute();
}

void CResultsStudy::ClearChanges() {
    for (SourceAdjustment& a : adjustments_) {
        a.on = true;
        a.gainDb = 0.0;
    }
    Recompute();
}

std::vector<std::string> CResultsStudy::Load(const Scenario& scenario) {
    std::vector<std::string> unknown;
    for (SourceAdjustment& a : adjustments_) {
        a.on = true;
        a.gainDb = 0.0;
    }
    for (const SourceAdjustment& change : scenario.adjustments) {
        bool found = false;
        for (SourceAdjustment& a : adjustments_) {
            if (a.source != change.source) continue;
            a.on = change.on;
            a.gainDb = std::isfinite(change.gainDb) ? change.gainDb : 0.0;
            found = true;
        }
        if (!found) unknown.push_back(change.source);
    }
    Recompute();
    return unknown;
}

bool CResultsStudy::Changed() const {
    return !EffectiveAdjustments(adjustments_).empty();
}

Scenario CResultsStudy::AsScenario(const std::string& name) const {
    return {name, EffectiveAdjustments(adjustments_)};
}

void CResultsStudy::Recompute() {
    if (store_ == nullptr) return;
    variant_ = ApplyScenario(base_, AsScenario(""));
    RecomputeFromTransfers(variant_, *store_);
    const std::span<const CPredictivePoint> points = variant_.calcInfo.PredictionPoints();
    for (std::size_t i = 0; i < rows_.size() && i < points.size(); ++i) {
        PointRow& row = rows_[i];
        row.laeqAfter = points[i].resultAverage.overallLevel();
        row.lamaxAfter = points[i].resultMax.overallLevel();
        row.verdict = VerdictFor(row.limits, row.laeqAfter, row.lamaxAfter);
    }
}

std::vector<RankedShare> CResultsStudy::Contributions(std::size_t point, bool after, bool byBuilding) const {
    if (store_ == nullptr) return {};
    const std::vector<SourceShare> shares = PointShares(after ? variant_ : base_, match_, point);
    return byBuilding ? RankSharesByBuilding(shares, infos_) : RankShares(shares, infos_);
}

std::string CResultsStudy::PointsText(char separator, const std::vector<std::size_t>& order) const {
    const std::string sep(1, separator);
    std::string out;
    for (std::size_t h = 0; h < kPointsTableHeaders.size(); ++h)
        out += (h == 0 ? "" : sep) + kPointsTableHeaders[h];
    out += "\n";
    std::vector<std::size_t> rows = order;
    if (rows.empty()) {
        for (std::size_t i = 0; i < rows_.size(); ++i)
            rows.push_back(i);
    }
    for (const std::size_t i : rows) {
        if (i >= rows_.size()) continue;
        const PointRow& r = rows_[i];
        out += Field(r.label, separator);
        for (const double v : {r.position.x, r.position.y, r.position.z})
            out += sep + Format("%.3f", {v});
        out += sep + Format("%.1f", {r.laeq}) + sep + Format("%.1f", {r.lamax});
        out += sep + LimitText(r.limits.laeq) + sep + LimitText(r.limits.lamax);
        out += sep + (r.limits.laeq ? ExceedanceText(r.laeqAfter, r.limits.laeq) : "");
        out += sep + (r.limits.lamax ? ExceedanceText(r.lamaxAfter, r.limits.lamax) : "");
        out += sep + Format("%.1f", {r.laeqAfter}) + sep + DifferenceText(r.laeqAfter, r.laeq);
        out += sep + Format("%.1f", {r.lamaxAfter}) + sep + DifferenceText(r.lamaxAfter, r.lamax);
        out += "\n";
    }
    return out;
}

std::string CResultsStudy::ContributionsCsvText() const {
    return store_ == nullptr ? std::string() : ContributionsCsv(variant_, *store_);
}

}  // namespace kelmora
