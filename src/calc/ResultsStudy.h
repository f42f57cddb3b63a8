#pragma once
// The results of a document's last run as the results window shows them, in plain code: a row per
// prediction point (label, position, levels, limits, exceedance), the ranked contributions of a
// point, and a what-if study — sources switched off or lowered and raised by some decibels — whose
// levels at every point are computed from the run's transfers at once (ScenarioModel.h), shown
// before, after and as the difference. Nothing here changes the document's model.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "calc/LimitCheck.h"
#include "calc/SourceContributions.h"
#include "calc/Transfers.h"
#include "model/LevelLimits.h"
#include "model/Noise.h"
#include "model/Scenarios.h"

namespace kelmora {

struct PointRow {
    std::string label;  // the point's label, or its number from 1 when it has none
    CVector3D position;
    double laeq = kNoSoundLevel;  // dB, as the run computed it
    double lamax = kNoSoundLevel;
    double laeqAfter = kNoSoundLevel;  // dB, with the what-if changes
    double lamaxAfter = kNoSoundLevel;
    PointLimits limits;
    LimitVerdict verdict = LimitVerdict::NoLimit;  // of the levels after the changes
};

// The difference after − before of two levels as they are printed (to 0.1 dB), "0.0" for none.
std::string DifferenceText(double after, double before);

// The columns of the points table, as the window shows them and as PointsText writes them.
inline constexpr std::array<const char*, 14> kPointsTableHeaders = {"予測点",
                                                                    "X[m]",
                                                                    "Y[m]",
                                                                    "Z[m]",
                                                                    "LAeqT[dB]",
                                                                    "LAmax[dB]",
                                                                    "規制値LAeqT[dB]",
                                                                    "規制値LAmax[dB]",
                                                                    "超過LAeqT[dB]",
                                                                    "超過LAmax[dB]",
                                                                    "変更後LAeqT[dB]",
                                                                    "差LAeqT[dB]",
                                                                    "変更後LAmax[dB]",
                                                                    "差LAmax[dB]"};

class CResultsStudy {
public:
    // The model of the document (its points hold the results of its last run) and the transfers of that
    // run; the store must stay unchanged while the study uses it. False (no results) unless the store
    // holds the transfers of this very model's sources and points: after any edit a run is needed.
    bool Reset(const CNoise& model, const CTransferStore* store, const LevelLimits& limits);
    bool HasResults() const { return store_ != nullptr; }
    // New limits: the verdicts follow.
    void SetLimits(const LevelLimits& limits);
    const LevelLimits& limits() const { return limits_; }

    const std::vector<PointRow>& rows() const { return rows_; }
    const std::vector<UserSourceInfo>& sources() const { return infos_; }

    // ---- What-if ----
    const std::vector<SourceAdjustment>& adjustments() const { return adjustments_; }
    // Source s (UserSources order) switched on or off, or its power changed by `gainDb`: every point's
    // levels after the changes are computed again.
    void SetSourceOn(std::size_t s, bool on);
    void SetSourceGain(std::size_t s, double gainDb);
    // Every source on and unchanged.
    void ClearChanges();
    // The changes of a saved scenario (sources it names that the model lacks go to the return value).
    std::vector<std::string> Load(const Scenario& scenario);
    bool Changed() const;
    // The changes as a scenario of that name (only the sources that change).
    Scenario AsScenario(const std::string& name) const;
    // The document's model with the changes, its points holding the levels after them.
    const CNoise& variant() const { return variant_; }
    const CNoise& base() const { return base_; }

    // The ranked contributions at point i, before or after the changes, each source or by building.
    std::vector<RankedShare> Contributions(std::size_t point, bool after, bool byBuilding) const;

    // The points table as text with `separator` between fields ('\t' for the clipboard, ',' for CSV),
    // a header line first, the rows in `order` (indices into rows(); empty: stored order).
    std::string PointsText(char separator, const std::vector<std::size_t>& order = {}) const;
    // The contributions of every point after the changes, as kelmora-calc contributions writes them.
    std::string ContributionsCsvText() const;

private:
    void Recompute();

    CNoise base_;
    CNoise variant_;
    const CTransferStore* store_ = nullptr;
    CTransferMatch match_;  // the store's pairs of the model's sources and points
    LevelLimits limits_;
    std::vector<UserSourceInfo> infos_;
    std::vector<SourceAdjustment> adjustments_;
    std::vector<PointRow> rows_;
};

}  // namespace kelmora
