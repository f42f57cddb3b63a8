#pragma once
// UndoHistory: the committed steps of a document, for "元に戻す" and "やり直し". Each step keeps whole
// copies of the parts of the document it changed, as they were before and after it:
//
//   - the ground lines, the buildings, the outdoor sources (a chain's OK changes one of them);
//   - the prediction settings: the calculation settings with their points, the five conditions and the
//     opening sources of the last run (the prediction dialog's OK and "予測計算開始...");
//   - the extras of the extension file (coordinates, limits, scenarios, map settings);
//   - the view data of one plan window, named by the window's id (the size dialog's "適用", the
//     background picture). Only the fields the step changed are put back, so a pan or zoom made since
//     stays; a window closed since is left alone.
//
// An import or an applied scenario keeps only the parts it changed. A part a step leaves as the
// previous step made it shares that step's copy instead of taking one of its own.
//
// The levels a calculation writes into the points are no step: undoing the step after a run brings the
// model back as it stood, levels included; redoing "予測計算開始..." itself gives the settings as
// committed, and the document recomputes the levels from the run's transfers where they still hold.
//
// Bounds: at most `kMaxUndoSteps` (100) steps and `kMaxUndoBytes` (128 MiB) of kept copies, counted as
// the copies take memory (MemoryFootprint.h). The oldest steps go first; a single step larger than the
// whole bound is not kept, and every step before it goes with it (none of them leads back any more).
//
// The clean state: the step the document was last saved or opened at. The document counts as
// unmodified exactly while the history stands there; a new step after an undo drops the steps that
// could have been redone, and with them a clean state among them.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Noise.h"
#include "model/ProjectExtras.h"
#include "model/ViewRecord.h"

namespace kelmora {

inline constexpr std::size_t kMaxUndoSteps = 100;
inline constexpr std::size_t kMaxUndoBytes = std::size_t{128} << 20;

// The parts of a document's model and extras that a committed step compares and keeps.
enum class DocumentPart : unsigned {
    GroundLines = 1,
    Buildings = 2,
    OutdoorSources = 4,
    Prediction = 8,
    Extras = 16,
};
inline constexpr unsigned kWholeModel = 1 | 2 | 4 | 8;
inline constexpr unsigned kModelAndExtras = kWholeModel | 16;

// The prediction settings of a model, kept as one part.
struct PredictionPart {
    CCalcInfo calcInfo;
    double targetTime = 0.0;
    double effectiveDistance = 0.0;
    double temperature = 0.0;
    double humidity = 0.0;
    std::int32_t maxReflections = 0;
    std::vector<CSound> openingSources;

    friend bool operator==(const PredictionPart&, const PredictionPart&) = default;
};

// One part as a step keeps it: a copy shared with the neighbouring step where they are the same, and
// the memory it takes.
template <typename Part>
struct KeptPart {
    std::shared_ptr<const Part> value;
    std::size_t bytes = 0;
};

template <typename Part>
struct PartChange {
    KeptPart<Part> before;
    KeptPart<Part> after;
};

struct UndoStep {
    std::string name;        // as the edit menu shows it: "建物情報の変更"
    std::vector<int> hints;  // the redraw hints the commit sent, sent again by undo and redo
    std::optional<PartChange<std::vector<CGroundLine>>> groundLines;
    std::optional<PartChange<std::vector<CBuilding>>> buildings;
    std::optional<PartChange<std::vector<CSound>>> outdoorSources;
    std::optional<PartChange<PredictionPart>> prediction;
    std::optional<PartChange<ProjectExtras>> extras;
    std::optional<PartChange<CKelmoraViewData>> view;
    int windowId = 0;  // of `view`
};

// The view data of one plan window: the fields that differ between `from` and `to` take their value
// in `to`; the others keep what `current` holds.
void ApplyViewChange(CKelmoraViewData& current, const CKelmoraViewData& from, const CKelmoraViewData& to);

class UndoHistory {
public:
    explicit UndoHistory(std::size_t maxSteps = kMaxUndoSteps, std::size_t maxBytes = kMaxUndoBytes);

    // A committed change of the model or the extras: the parts named by `parts` (DocumentPart bits)
    // are compared between before and after, and those that differ are kept. Call it before the
    // change is made to the document's own model. The steps that could have been redone go.
    void RecordModel(std::string name, std::vector<int> hints, unsigned parts, const CNoise& before,
                     const ProjectExtras& extrasBefore, const CNoise& after,
                     const ProjectExtras& extrasAfter);
    // A committed change of the view data of the plan window `windowId`.
    void RecordView(std::string name, std::vector<int> hints, int windowId, const CKelmoraViewData& before,
                    const CKelmoraViewData& after);

    bool CanUndo() const { return position_ > base_; }
    bool CanRedo() const { return position_ < base_ + steps_.size(); }
    // The name of the step undo or redo would take back or make again; "" when there is none.
    std::string UndoName() const;
    std::string RedoName() const;

    // Takes back the last step: the parts it changed become what they were before it. The step is
    // returned for its hints and its window; null when there is nothing to undo.
    const UndoStep* Undo(CNoise& model, ProjectExtras& extras);
    // Makes the next step again; null when there is nothing to redo.
    const UndoStep* Redo(CNoise& model, ProjectExtras& extras);

    // New contents: no steps; the clean state is where the history stands.
    void Clear();
    // The document was saved: the clean state is where the history stands.
    void MarkClean() { clean_ = position_; }
    // A change without a step (or contents never saved): no position is clean any more.
    void ForgetClean() { clean_.reset(); }
    bool AtCleanState() const { return clean_ == position_; }

    std::size_t steps() const { return steps_.size(); }
    // True while undo leads back to the contents as loaded: no step has gone for the bounds.
    bool KeepsEveryStep() const { return base_ == 0; }
    // Memory of the kept copies (each shared copy counted once).
    std::size_t bytes() const;
    std::size_t maxSteps() const { return maxSteps_; }
    std::size_t maxBytes() const { return maxBytes_; }

private:
    void Push(UndoStep step);
    // Keeps a changed part in `step`; its before-copy is shared with the newest earlier step that kept
    // the part, when that step left it so.
    template <typename Part>
    void Keep(std::optional<PartChange<Part>> UndoStep::*member, UndoStep& step, Part before, Part after);

    std::size_t maxSteps_;
    std::size_t maxBytes_;
    // steps_[i] leads from state base_ + i to state base_ + i + 1; the states are numbered for the
    // whole life of the contents, so a clean state that fell off the front stays unreachable.
    std::deque<UndoStep> steps_;
    std::size_t base_ = 0;
    std::size_t position_ = 0;
    std::optional<std::size_t> clean_ = 0;
};

}  // namespace kelmora
